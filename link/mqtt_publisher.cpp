#include "link/mqtt_publisher.h"

#include <QMetaObject>

#include <mosquitto.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#include "core/mqtt_payloads.h"
#include "link/link_logging.h"
#include "link/station_runtime.h"

namespace ws {
namespace {

void InitLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

}  // namespace

// One connection's worth of libmosquitto: the client and the thread that runs
// its network loop, connects and reconnects. What it learns goes to the
// publisher as queued calls on the publisher's thread, tagged with the
// session's generation so that news of a replaced session is ignored.
class MqttPublisher::Session {
 public:
  struct Config {
    StationIni::Mqtt settings;
    std::string clientId;
    std::string willTopic;
    std::string willPayload;
    int firstRetry = kFirstRetrySeconds;
    int lastRetry = kLastRetrySeconds;
  };

  Session(Config config, MqttPublisher* target, uint64_t generation)
      : m_Config(std::move(config)), m_Target(target), m_Generation(generation) {
    InitLibraryOnce();
    m_Mosq = mosquitto_new(m_Config.clientId.c_str(), true, this);
    if (m_Mosq == nullptr) return;
    mosquitto_threaded_set(m_Mosq, true);
    mosquitto_connect_callback_set(m_Mosq, [](mosquitto*, void* self, int rc) {
      static_cast<Session*>(self)->OnConnect(rc);
    });
    mosquitto_publish_callback_set(m_Mosq, [](mosquitto*, void* self, int mid) {
      static_cast<Session*>(self)->OnPublish(mid);
    });
    const StationIni::Mqtt& s = m_Config.settings;
    if (!s.username.empty()) {
      mosquitto_username_pw_set(m_Mosq, s.username.c_str(), s.password.empty() ? nullptr : s.password.c_str());
    }
    if (s.tls) {
      m_SetupError = mosquitto_tls_set(m_Mosq, s.caFile.empty() ? nullptr : s.caFile.c_str(), nullptr,
                                       s.certFile.empty() ? nullptr : s.certFile.c_str(),
                                       s.keyFile.empty() ? nullptr : s.keyFile.c_str(), nullptr);
    }
    mosquitto_will_set(m_Mosq, m_Config.willTopic.c_str(), static_cast<int>(m_Config.willPayload.size()),
                       m_Config.willPayload.data(), 1, true);
  }

  ~Session() {
    if (m_Mosq != nullptr) mosquitto_destroy(m_Mosq);
  }

  mosquitto* client() const { return m_Mosq; }
  bool Finished() const { return m_Finished; }

  // The publisher goes away or replaces this session: nothing more is posted to it.
  void Detach() {
    std::lock_guard lock(m_TargetMutex);
    m_Target = nullptr;
  }

  // Asks the thread to end; with `graceful` the loop runs on (up to a second)
  // until the DISCONNECT already asked for has gone out.
  void RequestStop(bool graceful) {
    if (graceful) {
      m_GracefulUntil = std::chrono::steady_clock::now() + std::chrono::seconds(1);
      m_Graceful = true;
    }
    m_Stop = true;
  }

  static void Run(const std::shared_ptr<Session>& self) { self->Loop(); }

 private:
  // Runs f(publisher) on the publisher's thread, unless it has let go.
  template <typename F>
  void Post(F f) {
    std::lock_guard lock(m_TargetMutex);
    if (m_Target == nullptr) return;
    QMetaObject::invokeMethod(m_Target, [t = m_Target, f = std::move(f)] { f(t); }, Qt::QueuedConnection);
  }

  bool StopNow() const {
    if (!m_Stop) return false;
    return !m_Graceful || std::chrono::steady_clock::now() > m_GracefulUntil;
  }

  void Loop() {
    if (m_Mosq == nullptr || m_SetupError != MOSQ_ERR_SUCCESS) {
      const std::string reason = m_Mosq == nullptr ? "the MQTT client could not be made"
                                                   : std::string("TLS: ") + mosquitto_strerror(m_SetupError);
      Post([g = m_Generation, reason](MqttPublisher* t) { t->OnRetrying(g, reason); });
      m_Finished = true;
      return;
    }
    const StationIni::Mqtt& s = m_Config.settings;
    int delay = m_Config.firstRetry;
    bool first = true;
    while (!m_Stop) {
      errno = 0;
      int rc = first ? mosquitto_connect(m_Mosq, s.host.c_str(), s.port, kKeepAliveSeconds)
                     : mosquitto_reconnect(m_Mosq);
      first = false;
      if (rc == MOSQ_ERR_SUCCESS) {
        while (!StopNow()) {
          rc = mosquitto_loop(m_Mosq, 100, 1);
          if (rc != MOSQ_ERR_SUCCESS) break;
        }
      }
      if (m_Stop) break;
      const std::string reason = rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc);
      if (m_Connected.exchange(false)) delay = m_Config.firstRetry;
      const int wait = m_Refused ? m_Config.lastRetry : delay;
      Post([g = m_Generation, reason](MqttPublisher* t) { t->OnRetrying(g, reason); });
      for (int tenths = 0; tenths < wait * 10 && !m_Stop; ++tenths) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
      if (!m_Refused) delay = std::min(delay * 2, m_Config.lastRetry);
    }
    m_Finished = true;
  }

  void OnConnect(int rc) {
    if (rc == 0) {
      m_Refused = false;
      m_Connected = true;
      Post([g = m_Generation](MqttPublisher* t) { t->OnConnected(g); });
    } else {
      m_Refused = true;
      const std::string reason = mosquitto_connack_string(rc);
      Post([g = m_Generation, rc, reason](MqttPublisher* t) { t->OnRefused(g, rc, reason); });
    }
  }

  void OnPublish(int mid) {
    Post([g = m_Generation, mid](MqttPublisher* t) { t->OnAcknowledged(g, mid); });
  }

  const Config m_Config;
  mosquitto* m_Mosq = nullptr;
  int m_SetupError = MOSQ_ERR_SUCCESS;
  std::mutex m_TargetMutex;
  MqttPublisher* m_Target;
  const uint64_t m_Generation;
  std::atomic<bool> m_Stop{false};
  std::atomic<bool> m_Graceful{false};
  std::chrono::steady_clock::time_point m_GracefulUntil{};
  std::atomic<bool> m_Finished{false};
  std::atomic<bool> m_Connected{false};
  std::atomic<bool> m_Refused{false};
};

// The session and its thread, as the publisher holds them.
struct MqttPublisher::SessionHandle {
  std::shared_ptr<Session> session;
  std::thread thread;
};

MqttPublisher::MqttPublisher(StationRuntime& runtime, std::string version, QObject* parent)
    : QObject(parent), m_Runtime(runtime), m_Version(std::move(version)) {
  m_Runtime.AddEventSink(this);
  connect(&m_Runtime, &StationRuntime::clockTick, this, [this] { PublishLive(); });
  connect(&m_Runtime, &StationRuntime::averagesStepped, this, [this](int step) { PublishAverages(step); });
  connect(&m_Runtime, &StationRuntime::stackUpdated, this, [this](int stack) { CheckState(stack, false); });
  connect(&m_Runtime, &StationRuntime::stackNoCommunication, this, [this](int stack) { CheckState(stack, false); });
  connect(&m_Runtime, &StationRuntime::stackBusy, this, [this](int stack) { CheckState(stack, false); });
  connect(&m_Runtime, &StationRuntime::stacksRebuilt, this, [this](int count) {
    for (int i = 0; i < count; ++i) CheckState(i, true);
  });
}

MqttPublisher::~MqttPublisher() {
  m_Runtime.RemoveEventSink(this);
  StopSession();
}

void MqttPublisher::Apply(const StationIni::Mqtt& settings) {
  if (settings == m_Settings && (m_Handle != nullptr) == settings.enabled) return;
  StopSession();
  m_Settings = settings;
  m_RefusalReported = false;
  if (!settings.enabled) {
    m_Queue.clear();
    m_InFlight.clear();
    Status off;
    off.sent = m_Status.sent;
    off.dropped = m_Status.dropped;
    m_Status = off;
    emit statusChanged();
    return;
  }
  StartSession();
}

void MqttPublisher::SetQueueLimit(size_t limit) { m_Limit = std::max<size_t>(limit, 2); }

void MqttPublisher::SetRetryDelays(int firstSeconds, int lastSeconds) {
  m_FirstRetry = std::max(1, firstSeconds);
  m_LastRetry = std::max(m_FirstRetry, lastSeconds);
}

MqttPublisher::Status MqttPublisher::status() const {
  Status s = m_Status;
  s.waiting = static_cast<int64_t>(m_Queue.size() + m_InFlight.size());
  return s;
}

std::string MqttPublisher::StateText(const Status& s) {
  switch (s.state) {
    case State::kOff: return "off";
    case State::kConnecting: return "connecting to " + s.broker;
    case State::kConnected: return "connected to " + s.broker + " as " + s.clientId;
    case State::kRetrying: return "retrying " + s.broker + " since " + s.since + " (" + s.reason + ")";
    case State::kRefused: return "refused by " + s.broker + " (" + s.reason + ")";
  }
  return "off";
}

std::string MqttPublisher::CountersText(const Status& s) {
  return "sent " + std::to_string(s.sent) + ", dropped " + std::to_string(s.dropped) + ", waiting " +
         std::to_string(s.waiting);
}

std::string MqttPublisher::StatusText(const Status& s) {
  if (s.state == State::kOff) return "off";
  return StateText(s) + ", " + CountersText(s);
}

void MqttPublisher::StartSession() {
  m_Root = mqtt::TopicRoot(m_Settings.site);
  Session::Config config;
  config.settings = m_Settings;
  config.clientId = m_Settings.clientId.empty() ? "windscope-" + m_Settings.site : m_Settings.clientId;
  config.willTopic = m_Root + "status";
  config.willPayload = mqtt::StatusPayload(false, m_Version, -1);
  config.firstRetry = m_FirstRetry;
  config.lastRetry = m_LastRetry;
  m_Status.broker = m_Settings.host + ":" + std::to_string(m_Settings.port);
  m_Status.clientId = config.clientId;
  m_Status.reason.clear();
  m_Status.since.clear();
  m_Status.state = State::kConnecting;
  m_PublishedState.fill(0);
  m_Handle = std::make_unique<SessionHandle>();
  m_Handle->session = std::make_shared<Session>(std::move(config), this, ++m_Generation);
  m_Handle->thread = std::thread(&Session::Run, m_Handle->session);
  qCInfo(lcLink).noquote() << "mqtt: connecting to" << QString::fromStdString(m_Status.broker);
  emit statusChanged();
}

void MqttPublisher::StopSession() {
  if (m_Handle == nullptr) return;
  std::unique_ptr<SessionHandle> handle = std::move(m_Handle);
  Session& session = *handle->session;
  session.Detach();
  const bool graceful = m_Status.state == State::kConnected;
  if (graceful) {
    const std::string offline = mqtt::StatusPayload(false, m_Version, NowUtcMs());
    mosquitto_publish(session.client(), nullptr, (m_Root + "status").c_str(), static_cast<int>(offline.size()),
                      offline.data(), 1, true);
    mosquitto_disconnect(session.client());
  }
  session.RequestStop(graceful);
  // A thread stuck in connecting to an unreachable host is left to end by itself
  // (it owns its session); the window does not wait for the network.
  for (int i = 0; i < 150 && !session.Finished(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (session.Finished()) {
    handle->thread.join();
  } else {
    handle->thread.detach();
  }
  // What the old connection had not had acknowledged goes out again on the next.
  for (auto it = m_InFlight.rbegin(); it != m_InFlight.rend(); ++it) m_Queue.push_front(std::move(it->second));
  m_InFlight.clear();
  m_Status.state = State::kOff;
}

void MqttPublisher::OnConnected(uint64_t generation) {
  if (generation != m_Generation || m_Handle == nullptr) return;
  m_Status.state = State::kConnected;
  m_Status.since.clear();
  m_Status.reason.clear();
  m_RefusalReported = false;
  m_DropJournalled = false;
  qCInfo(lcLink).noquote() << "mqtt: connected to" << QString::fromStdString(m_Status.broker);
  PublishNow("status", mqtt::StatusPayload(true, m_Version, NowUtcMs()), 1, true);
  for (int i = 0; i < m_Runtime.stackCount(); ++i) CheckState(i, true);
  Pump();
  emit statusChanged();
}

void MqttPublisher::OnRefused(uint64_t generation, int code, const std::string& reason) {
  if (generation != m_Generation || m_Handle == nullptr) return;
  m_Status.state = State::kRefused;
  m_Status.reason = reason;
  m_Status.since = mqtt::LocalText(m_Runtime.clock().Now());
  if (!m_RefusalReported) {
    m_RefusalReported = true;
    qCWarning(lcLink).noquote() << "mqtt: broker" << QString::fromStdString(m_Status.broker) << "refused:" << code
                                << QString::fromStdString(reason);
    emit refused(QStringLiteral("MQTT broker %1 refused the connection: %2")
                     .arg(QString::fromStdString(m_Status.broker), QString::fromStdString(reason)));
  }
  emit statusChanged();
}

void MqttPublisher::OnRetrying(uint64_t generation, const std::string& reason) {
  if (generation != m_Generation || m_Handle == nullptr) return;
  if (m_Status.state == State::kRefused) return;  // still refused: said once already
  if (m_Status.state != State::kRetrying) {
    m_Status.since = mqtt::LocalText(m_Runtime.clock().Now());
    qCInfo(lcLink).noquote() << "mqtt: broker" << QString::fromStdString(m_Status.broker)
                             << "unreachable:" << QString::fromStdString(reason);
  }
  m_Status.state = State::kRetrying;
  m_Status.reason = reason;
  emit statusChanged();
}

void MqttPublisher::OnAcknowledged(uint64_t generation, int mid) {
  if (generation != m_Generation) return;
  const auto it = std::find_if(m_InFlight.begin(), m_InFlight.end(), [mid](const auto& m) { return m.first == mid; });
  if (it == m_InFlight.end()) return;  // a status or state message
  m_InFlight.erase(it);
  ++m_Status.sent;
  Pump();
}

void MqttPublisher::Record(const StationEvent& event) {
  if (m_Handle == nullptr) return;
  const std::string leaf = mqtt::IsAlarmKind(event.kind) ? "alarm" : "event";
  Enqueue({m_Root + leaf, mqtt::EventPayload(++m_Seq, event)});
}

void MqttPublisher::Enqueue(Message message) {
  m_Queue.push_back(std::move(message));
  bool firstDrop = false;
  while (m_Queue.size() + m_InFlight.size() > m_Limit && !m_Queue.empty()) {
    m_Queue.pop_front();
    ++m_Status.dropped;
    if (!m_DropJournalled) firstDrop = true;
  }
  Pump();
  if (firstDrop && !m_Journalling) {
    // Journalled once per outage; the journal hands it back to this sink as the
    // newest message, which is why the flag is set before.
    m_DropJournalled = true;
    m_Journalling = true;
    m_Runtime.Journal(EventKind::kMessagesDropped, -1, 0, 0.0,
                      "MQTT broker " + m_Status.broker + " unreachable: the oldest of " + std::to_string(m_Limit) +
                          " waiting messages are being dropped");
    m_Journalling = false;
    qCWarning(lcLink).noquote() << "mqtt: queue full, dropping the oldest messages";
  }
  if (firstDrop) emit statusChanged();
}

void MqttPublisher::Pump() {
  if (m_Handle == nullptr || m_Status.state != State::kConnected) return;
  const size_t window = std::min(kInFlight, std::max<size_t>(1, m_Limit / 2));
  while (!m_Queue.empty() && m_InFlight.size() < window) {
    Message& m = m_Queue.front();
    int mid = 0;
    const int rc = mosquitto_publish(m_Handle->session->client(), &mid, m.topic.c_str(),
                                     static_cast<int>(m.payload.size()), m.payload.data(), 1, false);
    if (rc != MOSQ_ERR_SUCCESS) return;
    m_InFlight.emplace_back(mid, std::move(m));
    m_Queue.pop_front();
  }
}

void MqttPublisher::PublishNow(const std::string& leaf, const std::string& payload, int qos, bool retain) {
  if (m_Handle == nullptr || m_Status.state != State::kConnected) return;
  const int rc = mosquitto_publish(m_Handle->session->client(), nullptr, (m_Root + leaf).c_str(),
                                   static_cast<int>(payload.size()), payload.data(), qos, retain);
  if (rc == MOSQ_ERR_SUCCESS) ++m_Status.sent;
}

void MqttPublisher::PublishLive() {
  if (m_Handle == nullptr || m_Status.state != State::kConnected) return;
  const SystemTime local = m_Runtime.clock().Now();
  const int64_t utcMs = LocalToUtcMs(local);
  for (int i = 0; i < m_Runtime.stackCount(); ++i) {
    const int state = m_Runtime.TileState(i);
    if (state == 0) continue;
    const StackStatistics& s = m_Runtime.statistics().Stack(i);
    PublishNow(mqtt::StackTopic(i, "live"), mqtt::LivePayload(utcMs, local, s.direction, s.speed, state),
               0, false);
  }
}

void MqttPublisher::PublishAverages(int step) {
  if (m_Handle == nullptr || m_Status.state != State::kConnected) return;
  const int64_t utcMs = NowUtcMs();
  for (int i = 0; i < m_Runtime.stackCount(); ++i) {
    PublishNow(mqtt::StackTopic(i, "averages"), mqtt::AveragesPayload(utcMs, step, m_Runtime.Averages(i)), 0, false);
  }
}

void MqttPublisher::CheckState(int stack, bool force) {
  if (stack < 0 || stack >= static_cast<int>(m_PublishedState.size())) return;
  if (m_Handle == nullptr || m_Status.state != State::kConnected) return;
  const int state = m_Runtime.TileState(stack);
  if (state == 0) return;  // not judged yet: the first supervision tick says
  int& published = m_PublishedState[static_cast<size_t>(stack)];
  if (!force && state == published) return;
  published = state;
  PublishNow(mqtt::StackTopic(stack, "state"), mqtt::StatePayload(NowUtcMs(), state), 1, true);
}

int64_t MqttPublisher::NowUtcMs() const { return LocalToUtcMs(m_Runtime.clock().Now()); }

}  // namespace ws
