// One simulated data logger: a TCP server that answers the station's polls,
// serves day-dump blocks from the fixed history, takes firmware pages and can
// be told to misbehave. Everything runs on the thread that owns it.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>

#include "core/clock.h"
#include "tools/sim/sim_fault.h"
#include "tools/sim/sim_wind.h"

class QTcpSocket;

namespace ws {

struct SimCommand {
  QDateTime time;
  QByteArray text;  // a firmware page is kept as its 9-byte "APPW:%04d" head
};

class SimLogger : public QObject {
  Q_OBJECT

 public:
  // Listens at once on `address` (which must be a loopback address) and
  // `port`; port 0 picks a free one (see Port()). `seed` varies the live wind.
  SimLogger(int index, const QHostAddress& address, quint16 port = 4000, uint32_t seed = 0,
            QObject* parent = nullptr);
  ~SimLogger() override;

  int Index() const { return m_index; }
  QHostAddress Address() const { return m_address; }
  quint16 Port() const;
  bool IsListening() const { return m_server.isListening(); }
  QString ErrorString() const { return m_error; }

  void SetFault(SimFault fault);
  SimFault Fault() const { return m_fault; }

  // Holds the live speed near `speed` m/s; ReleaseWind() returns to the model.
  void HoldWind(double speed) { m_wind.Hold(speed); }
  void ReleaseWind() { m_wind.Release(); }
  std::optional<double> Held() const { return m_wind.Held(); }
  SimReading CurrentWind();

  // The clock that decides "today" and "now" for dump blocks; null means the
  // system clock. The clock must outlive the logger.
  void SetClock(const Clock* clock) { m_clock = clock ? clock : &m_systemClock; }

  // Sends "APPE:" to every connected station. False when none is connected.
  bool SendAppe();

  // What the logger has received (the last kSimRecordLimit commands).
  const QList<SimCommand>& Commands() const { return m_commands; }
  QList<QByteArray> CommandTexts() const;
  // Firmware pages of the latest image by page number (a page 0 starts a new
  // image), their concatenation in page order, whether "APP>:" ended it, and
  // how many "REST:" arrived.
  const std::map<int, QByteArray>& FirmwarePages() const { return m_pages; }
  QByteArray FirmwareImage() const;
  bool FirmwareComplete() const { return m_firmwareComplete; }
  int RestartCount() const { return m_restarts; }
  int ConnectionCount() const { return static_cast<int>(m_connections.size()); }
  int AcceptedCount() const { return m_accepted; }
  void ClearRecords();

 signals:
  void commandReceived(int index, const QByteArray& command);
  void logLine(const QString& line);

 private:
  struct Connection;

  void OnNewConnection();
  void OnReadyRead(QTcpSocket* socket);
  void OnPartialTimeout(QTcpSocket* socket);
  void Drop(QTcpSocket* socket);
  void Handle(QTcpSocket* socket, const QByteArray& command);
  QByteArray Answer(const QByteArray& command);
  QByteArray DumpAnswer(const QByteArray& command);
  QByteArray PageAnswer(const QByteArray& command);
  QByteArray LiveReply();
  void Send(QTcpSocket* socket, QByteArray reply);
  void Record(const QByteArray& command);
  void Flood();

  int m_index;
  QHostAddress m_address;
  QTcpServer m_server;
  QString m_error;
  SimFault m_fault = SimFault::kNone;
  SimWind m_wind;
  std::mt19937 m_random;
  SystemClock m_systemClock;
  const Clock* m_clock = &m_systemClock;
  QElapsedTimer m_uptime;
  std::map<QTcpSocket*, std::unique_ptr<Connection>> m_connections;
  QTimer m_floodTimer;
  QList<SimCommand> m_commands;
  std::map<int, QByteArray> m_pages;
  bool m_firmwareComplete = false;
  int m_restarts = 0;
  int m_accepted = 0;
};

inline constexpr int kSimRecordLimit = 20000;

// Starts `server` listening on `address`:`port` (0 picks a free port). The simulator
// serves loopback only, so any address but an IPv4 loopback one is refused. Returns
// an empty string on success, otherwise the reason.
QString SimListenOnLoopback(QTcpServer& server, const QHostAddress& address, quint16 port);

// Printable form of received bytes for the log: ASCII as is, other bytes as
// \xHH; a firmware page shows its head and the payload size only.
QString SimPrintable(const QByteArray& bytes);

}  // namespace ws
