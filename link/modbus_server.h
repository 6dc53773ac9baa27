// The Modbus TCP server: read-only registers for a plant's control system
// (doc/modbus.md). It listens and serves on a thread of its own so that nothing
// a client sends reaches the station's loop; the loop only writes the register
// image, under a lock held for a copy.
#pragma once

#include <QObject>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "core/modbus_registers.h"

namespace ws {

class ModbusServer final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxClients = 16;
  static constexpr int kIdleMs = 60000;

  enum class State { kOff, kListening, kRefused };

  struct Status {
    State state = State::kOff;
    std::string address;  // where it listens (or was asked to)
    int port = 0;
    int clients = 0;
    std::string reason;  // why it was refused
    int64_t requestsServed = 0;  // reads answered with registers
    int64_t exceptionsSent = 0;
    int64_t clientsRefused = 0;  // connections beyond kMaxClients, closed at once
    int64_t clientsDropped = 0;  // closed by the server: idle, broken frame, not reading
  };

  explicit ModbusServer(QObject* parent = nullptr);
  ~ModbusServer() override;

  // Listens on an IPv4 address and port (0: any free port, for tests) and
  // starts serving. A running server is stopped first. Returns false, with the
  // state kRefused and its reason, when it cannot listen there.
  bool Start(const std::string& address, int port);
  // Closes every client and the listener; the state becomes kOff. The counters
  // stay.
  void Stop();
  bool Listening() const;

  Status status() const;

  // Runs `update(ModbusRegisters&)` under the image's lock.
  template <typename F>
  void Update(F&& update) {
    std::lock_guard<std::mutex> lock(m_ImageMutex);
    update(m_Image);
  }

  // How long a client may send no complete request before it is closed
  // (kIdleMs unless a test says otherwise); set before Start.
  void SetIdleMs(int ms) { m_IdleMs = ms; }

  // Why listening at address:port failed with the system's error: a port below
  // 1024 refused for want of privileges says so and what to do.
  static std::string BindFailureText(const std::string& address, int port, int error);
  // "off", "listening on 0.0.0.0:1502, 2 clients", "refused: ...".
  static std::string StateText(const Status& status);
  // "requests served n, exceptions n, clients refused n, clients dropped n".
  static std::string CountersText(const Status& status);
  // The state and every counter on one line, for the headless runner.
  static std::string StatsLine(const Status& status);

 signals:
  // The state or the number of clients changed (queued from the server's thread).
  void statusChanged();

 private:
  struct Client;
  class Loop;

  void Refuse(const std::string& address, int port, const std::string& reason);
  void NotifyStatus();

  mutable std::mutex m_StatusMutex;
  Status m_Status;
  std::mutex m_ImageMutex;
  ModbusRegisters m_Image;
  int m_IdleMs = kIdleMs;

  int m_ListenFd = -1;
  int m_WakeRead = -1;
  int m_WakeWrite = -1;
  std::atomic<bool> m_StopRequested{false};
  std::thread m_Thread;
};

}  // namespace ws
