// Publishes the station's live values, averages, stack states, alarms and
// events to an MQTT broker (libmosquitto). The network work runs on a thread of
// its own: nothing here waits for the broker on the GUI thread. While the broker
// cannot be reached it retries with a doubling delay, keeps the alarm and event
// messages (QoS 1) in order up to a limit and drops the oldest beyond it, and
// sends no live values.
#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "core/settings.h"
#include "core/station_event.h"
#include "core/station_ini.h"

namespace ws {

class StationRuntime;

class MqttPublisher final : public QObject, public EventSink {
  Q_OBJECT

 public:
  static constexpr size_t kQueueLimit = 10000;
  static constexpr int kFirstRetrySeconds = 1;
  static constexpr int kLastRetrySeconds = 60;
  static constexpr int kKeepAliveSeconds = 30;
  // QoS 1 messages handed to the library and not yet acknowledged, at most.
  static constexpr size_t kInFlight = 100;

  enum class State { kOff, kConnecting, kConnected, kRetrying, kRefused };

  struct Status {
    State state = State::kOff;
    std::string broker;     // "host:port"
    std::string clientId;
    std::string since;      // local time the retrying or refusal began
    std::string reason;     // why it is retrying, or why the broker refused
    int64_t sent = 0;       // messages taken by the broker (QoS 1 once acknowledged)
    int64_t dropped = 0;    // QoS 1 messages dropped beyond the queue limit
    int64_t waiting = 0;    // QoS 1 messages not yet acknowledged
  };

  // Adds itself to the runtime's event sinks; the runtime must outlive it.
  // `version` goes into the status message.
  MqttPublisher(StationRuntime& runtime, std::string version, QObject* parent = nullptr);
  ~MqttPublisher() override;

  // Takes the settings: starts, stops, or reconnects when anything changed.
  // Messages still waiting are carried over to the new connection.
  void Apply(const StationIni::Mqtt& settings);
  // The most QoS 1 messages kept (tests use a small one). At least 2.
  void SetQueueLimit(size_t limit);
  // The first and longest delay between attempts (tests shorten the longest,
  // which is also the delay after a refusal); taken by the next Apply that connects.
  void SetRetryDelays(int firstSeconds, int lastSeconds);

  Status status() const;
  // "off", "connected to host:port as id, sent n, dropped n, waiting n", ...
  static std::string StatusText(const Status& status);
  // Its two halves: the state ("off", "connected to host:port as id",
  // "retrying host:port since time (reason)", ...) and "sent n, dropped n, waiting n".
  static std::string StateText(const Status& status);
  static std::string CountersText(const Status& status);

  void Record(const StationEvent& event) override;

 signals:
  void statusChanged();
  // The broker refused the credentials or the client id: said once per refusal
  // (again only after a connection succeeded or the settings changed).
  void refused(const QString& text);

 private:
  class Session;
  struct SessionHandle;
  struct Message {
    std::string topic;
    std::string payload;
  };

  void StartSession();
  void StopSession();
  void OnConnected(uint64_t generation);
  void OnRefused(uint64_t generation, int code, const std::string& reason);
  void OnRetrying(uint64_t generation, const std::string& reason);
  void OnAcknowledged(uint64_t generation, int mid);
  void Enqueue(Message message);
  void Pump();
  void PublishNow(const std::string& leaf, const std::string& payload, int qos, bool retain);
  void PublishLive();
  void PublishAverages(int step);
  void CheckState(int stack, bool force);
  int64_t NowUtcMs() const;

  StationRuntime& m_Runtime;
  std::string m_Version;
  StationIni::Mqtt m_Settings;
  std::string m_Root;  // "windscope/<site>/"
  std::unique_ptr<SessionHandle> m_Handle;
  uint64_t m_Generation = 0;
  size_t m_Limit = kQueueLimit;
  int m_FirstRetry = kFirstRetrySeconds;
  int m_LastRetry = kLastRetrySeconds;

  Status m_Status;
  bool m_RefusalReported = false;
  bool m_DropJournalled = false;
  bool m_Journalling = false;
  int64_t m_Seq = 0;
  std::deque<Message> m_Queue;                       // not handed yet, oldest first
  std::deque<std::pair<int, Message>> m_InFlight;   // handed (mid), oldest first
  std::array<int, kMaxStacks> m_PublishedState{};  // tile state last published, 0: none
};

}  // namespace ws
