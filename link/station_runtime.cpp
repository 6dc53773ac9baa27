#include "link/station_runtime.h"

#include <QFile>

#include <algorithm>
#include <type_traits>

#include "core/alarm_thresholds.h"
#include "core/record_layout.h"
#include "core/settings_file.h"
#include "core/signal_lamp.h"
#include "link/link_logging.h"

namespace ws {

static_assert(std::is_same_v<StatisticsSnapshot, decltype(Settings::statisticsSnapshot)>,
              "the cascade's snapshot is stored straight into the settings record");

namespace {

AlarmThresholds ThresholdsOf(const Settings& s) {
  AlarmThresholds t;
  t.alarm = s.stacks[0].alarmSpeed;
  t.stop = s.stacks[0].stopSpeed;
  t.trip = s.stacks[0].tripSpeed;
  return t;
}

// Where the next "R000:" or "R002:" begins at or after `from` (size() if none).
// Neither can occur inside a valid reply's data: a block's values stay below
// 0x0E10, and a live reply's floats would have to read as absurd values.
int ValidStackCount(int n) { return (n < 1 || n > kMaxStacks) ? 1 : n; }

// The window's notice for a recording state (English, like the rest of the
// window's own texts).
QString RecordingNoticeText(RecordingState state, RecordingState before,
                            const Recorder::Health& health) {
  switch (state) {
    case RecordingState::kOk:
      return before == RecordingState::kFailing
                 ? QStringLiteral("Recording resumed.")
                 : QStringLiteral("Record files have their full space reserved again.");
    case RecordingState::kSpaceNotReserved:
      return QStringLiteral("%1Disk nearly full: %2 record file(s) could not reserve their space. "
                            "Recording goes on while space lasts.")
          .arg(before == RecordingState::kFailing ? QStringLiteral("Recording resumed. ") : QString())
          .arg(health.unreserved);
    case RecordingState::kFailing:
      if (health.failure == RecordStatus::kNoSpace) {
        return QStringLiteral("Disk full: recording of %1 stack(s) stopped. Monitoring and alarms "
                              "go on; recording resumes when space is freed.")
            .arg(health.failing);
      }
      return QStringLiteral("Recording of %1 stack(s) failed (%2). Monitoring and alarms go on.")
          .arg(health.failing)
          .arg(QString::fromUtf8(ToString(health.failure)));
  }
  return {};
}

}  // namespace

// Hands the protocol machines' bytes to the stacks' links.
class StationRuntime::Sender final : public LinkSender {
 public:
  explicit Sender(StationRuntime& rt) : m_rt(rt) {}
  void Send(int linkId, std::span<const uint8_t> bytes) override {
    if (linkId < 0 || linkId >= m_rt.m_StackCount) return;
    if (CNexSock* link = m_rt.m_Links[static_cast<size_t>(linkId)]) {
      link->Send(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
  }

 private:
  StationRuntime& m_rt;
};

// What a raised level sets off: the alarm list entry (a signal) and the sound.
class StationRuntime::AlarmBridge final : public AlarmSink {
 public:
  explicit AlarmBridge(StationRuntime& rt) : m_rt(rt) {}
  void AlarmRaised(int stack, int level, double speed) override {
    emit m_rt.alarmRaised(stack, level, speed);
  }
  void PlaySound(const std::string& path, bool looped) override { m_rt.m_Sound->Play(path, looped); }
  void StopSound() override { m_rt.m_Sound->Stop(); }

 private:
  StationRuntime& m_rt;
};

// Writes the dumped blocks into the stack's record file of the dumped month.
class StationRuntime::BlockWriter final : public DumpSink {
 public:
  explicit BlockWriter(StationRuntime& rt) : m_rt(rt) {}
  bool WriteBlock(int stack, const DumpBlock& block) override {
    const RecordStatus status = m_rt.m_Recorder->WriteBlock(stack, block);
    if (!IsUsable(status)) {
      m_failure = ToString(status);
      qCWarning(lcLink) << "dump block of stack" << stack + 1 << "not written:" << ToString(status);
      return false;
    }
    if (status != RecordStatus::kOk) {
      qCWarning(lcLink) << "dump block of stack" << stack + 1 << "written, but its file was"
                        << ToString(status);
    }
    return true;
  }
  std::string FailureText() const override { return m_failure; }

 private:
  StationRuntime& m_rt;
  std::string m_failure;
};

StationRuntime::StationRuntime(QString workdir, const Clock& clock, QObject* parent)
    : QObject(parent),
      m_Workdir(std::move(workdir)),
      m_WorkdirUtf8(m_Workdir.toStdString()),
      m_Clock(clock),
      m_Settings(std::make_unique<Settings>()),
      m_Sender(std::make_unique<Sender>(*this)),
      m_AlarmBridge(std::make_unique<AlarmBridge>(*this)),
      m_BlockWriter(std::make_unique<BlockWriter>(*this)) {
  m_Cascade = std::make_unique<StatisticsCascade>(m_Clock, 0);
  m_Alarms = std::make_unique<AlarmRules>(*m_Cascade, *m_AlarmBridge, m_Clock);
  m_Recorder = std::make_unique<Recorder>(m_WorkdirUtf8);
  m_Dump = std::make_unique<DumpSession>(m_Clock, *m_Sender, *m_BlockWriter);
  m_Firmware = std::make_unique<FirmwareUpload>(m_Clock, *m_Sender);
  m_Links.fill(nullptr);
  m_PollTimers.fill(nullptr);
  m_ReassemblyTimers.fill(nullptr);
  m_Current.resize(kMaxStacks);

  m_Timer1.setInterval(kSupervisionMs);
  m_Timer2.setInterval(kBlinkMs);
  m_Timer3.setInterval(kRecordMs);
  m_Timer3.setTimerType(Qt::PreciseTimer);  // two writes a second must cover every second
  m_Timer10.setInterval(kDumpRepeatMs);
  connect(&m_Timer1, &QTimer::timeout, this, &StationRuntime::OnSupervisionTimer);
  connect(&m_Timer2, &QTimer::timeout, this, &StationRuntime::OnBlinkTimer);
  connect(&m_Timer3, &QTimer::timeout, this, &StationRuntime::OnRecordTimer);
  connect(&m_Timer10, &QTimer::timeout, this, &StationRuntime::OnDumpTimer);
  for (int k = 0; k < 4; ++k) {
    m_StepTimers[static_cast<size_t>(k)].setInterval(kStepMs[static_cast<size_t>(k)]);
    connect(&m_StepTimers[static_cast<size_t>(k)], &QTimer::timeout, this,
            [this, k] { OnStepTimer(k); });
  }
}

StationRuntime::~StationRuntime() { Shutdown(); }

void StationRuntime::Start() {
  if (m_Started) return;
  m_Started = true;
  const SettingsFile file{std::filesystem::path(m_WorkdirUtf8)};
  const SettingsFile::LoadResult loaded = file.Load(*m_Settings, m_Clock);
  if (loaded.outcome != SettingsFile::LoadOutcome::kLoaded) {
    qCInfo(lcLink) << "settings: load outcome" << static_cast<int>(loaded.outcome) << "errno"
                   << loaded.error;
  }
  m_KeepSettingsFile = loaded.outcome == SettingsFile::LoadOutcome::kUnreadable;
  m_StackCount = ValidStackCount(m_Settings->stackCount);
  m_Cascade = std::make_unique<StatisticsCascade>(m_Clock, m_StackCount);
  m_Alarms = std::make_unique<AlarmRules>(*m_Cascade, *m_AlarmBridge, m_Clock);
  ApplyAlarmConfig();

  (void)m_Recorder->Open(m_StackCount, m_Clock.Now());
  CheckRecording();
  for (int i = 0; i < m_StackCount; ++i) CreateStack(i);

  m_LampLink = new CNexSock(CNexSock::kLampLinkId, this);
  connect(m_LampLink, &CNexSock::linkEvent, this, &StationRuntime::OnLinkEvent, Qt::DirectConnection);
  connect(m_LampLink, &CNexSock::socketError, this, &StationRuntime::tcpIpError);
  m_LampLink->Connect(m_Settings->signalLampAddress, CNexSock::kLampPort);

  m_Cascade->ResetWindows();
  m_Running = true;
  StartTimers();
  m_Timer2.start();
}

void StationRuntime::ApplyAlarmConfig() {
  AlarmConfig config;
  config.thresholds = ThresholdsOf(*m_Settings);
  config.soundMode = m_Settings->soundMode;
  config.alarmSoundPath = FieldUtf8(m_Settings->alarmSoundPath);
  config.stopSoundPath = FieldUtf8(m_Settings->stopSoundPath);
  config.tripSoundPath = FieldUtf8(m_Settings->tripSoundPath);
  m_Alarms->SetConfig(config);
}

void StationRuntime::CreateStack(int i) {
  const auto ui = static_cast<size_t>(i);
  auto* link = new CNexSock(i, this);
  connect(link, &CNexSock::linkEvent, this, &StationRuntime::OnLinkEvent, Qt::DirectConnection);
  connect(link, &CNexSock::socketError, this, &StationRuntime::tcpIpError);
  m_Links[ui] = link;

  auto* poll = new QTimer(this);
  poll->setSingleShot(true);
  poll->setInterval(kPollMs);
  // A coarse timer may fire up to 5 % late, which alone would drop a healthy
  // logger below two polls a second.
  poll->setTimerType(Qt::PreciseTimer);
  connect(poll, &QTimer::timeout, this, [this, i] { OnPollTimer(i); });
  m_PollTimers[ui] = poll;

  auto* reassembly = new QTimer(this);
  reassembly->setSingleShot(true);
  reassembly->setInterval(kReassemblyMs);
  connect(reassembly, &QTimer::timeout, this, [this, i] { OnReassemblyTimer(i); });
  m_ReassemblyTimers[ui] = reassembly;

  m_Assemblers[ui] = ReplyAssembler{};
  // A new stack starts at 0/0: the supervisor's remembered values go too, or a
  // reply with a non-finite field would bring back the old stack's value.
  m_Poll[ui] = PollSupervisor{};
  m_Tile[ui] = 0;
  link->Connect(m_Settings->stacks[ui].loggerAddress, CNexSock::kLoggerPort);
}

void StationRuntime::DestroyStacks() {
  for (int i = 0; i < kMaxStacks; ++i) DestroyStack(i);
  m_Recorder->Close();
}

void StationRuntime::DestroyStack(int stack) {
  // Deleted later: a window may rebuild from inside a link's own notification.
  const auto i = static_cast<size_t>(stack);
  {
    if (m_PollTimers[i]) {
      m_PollTimers[i]->stop();
      m_PollTimers[i]->disconnect(this);
      m_PollTimers[i]->deleteLater();
      m_PollTimers[i] = nullptr;
    }
    if (m_ReassemblyTimers[i]) {
      m_ReassemblyTimers[i]->stop();
      m_ReassemblyTimers[i]->disconnect(this);
      m_ReassemblyTimers[i]->deleteLater();
      m_ReassemblyTimers[i] = nullptr;
    }
    if (m_Links[i]) {
      m_Links[i]->disconnect(this);
      m_Links[i]->Close();
      m_Links[i]->deleteLater();
      m_Links[i] = nullptr;
    }
    m_Assemblers[i] = ReplyAssembler{};
  }
}

void StationRuntime::StartTimers() {
  m_Timer1.start();
  m_Timer3.start();
  for (QTimer& t : m_StepTimers) t.start();
}

void StationRuntime::StopTimers() {
  m_Timer1.stop();
  m_Timer3.stop();
  for (QTimer& t : m_StepTimers) t.stop();
}

void StationRuntime::Shutdown() {
  if (!m_Running) return;
  m_Running = false;
  AbandonDump();
  // The tower must not stay lit after the station has gone.
  if (m_LampLink) {
    const SignalLampMessage off = AllOffSignalLampMessage();
    m_LampLink->WaitForConnected(500);  // a reconnect under way would drop it
    m_LampLink->Send(reinterpret_cast<const char*>(off.data()), static_cast<qint64>(off.size()));
    m_LampLink->Flush(500);
  }
  for (QTimer* t : m_PollTimers) {
    if (t) t->stop();
  }
  StopTimers();
  m_Timer2.stop();
  m_Timer10.stop();
  m_Cascade->StoreSnapshot(m_Settings->statisticsSnapshot);
  DestroyStacks();
  if (m_LampLink) {
    m_LampLink->disconnect(this);
    m_LampLink->Close();
    m_LampLink->deleteLater();
    m_LampLink = nullptr;
  }
  SaveSettings();
}

bool StationRuntime::SaveSettings() {
  if (m_KeepSettingsFile) {
    qCWarning(lcLink) << "settings not saved: the existing file could not be read and is left alone";
    return false;
  }
  const SettingsFile file{std::filesystem::path(m_WorkdirUtf8)};
  const SettingsFile::Status status = file.Save(*m_Settings);
  if (!status.ok()) qCWarning(lcLink) << "settings not saved:" << status.ToString().c_str();
  return status.ok();
}

void StationRuntime::ApplySettings(const Settings& edited) {
  std::array<uint32_t, kMaxStacks> oldAddress{};
  for (size_t i = 0; i < oldAddress.size(); ++i) oldAddress[i] = m_Settings->stacks[i].loggerAddress;
  const uint32_t oldLamp = m_Settings->signalLampAddress;
  const int oldCount = m_StackCount;

  *m_Settings = edited;
  m_Settings->ClampReservedInterval();
  m_KeepSettingsFile = false;  // the operator confirmed a whole record
  SaveSettings();
  ApplyAlarmConfig();
  if (!m_Running) return;

  StopTimers();
  const int newCount = ValidStackCount(m_Settings->stackCount);
  if (newCount != oldCount) {
    // The cascade keeps the stack count it judges and snapshots; the averages of
    // every stack start over. A stack that stays, at the same address, keeps its
    // link, its poll and its live values: its recording must not lose the
    // seconds a new link would take to answer. Removed stacks, stacks with a new
    // address and new stacks start over from 0/0 on a link of their own.
    std::array<bool, kMaxStacks> kept{};
    std::array<Sample, kMaxStacks> live{};
    for (int i = 0; i < std::min(oldCount, newCount); ++i) {
      const auto ui = static_cast<size_t>(i);
      kept[ui] = m_Links[ui] && m_Settings->stacks[ui].loggerAddress == oldAddress[ui];
      live[ui] = Sample{m_Cascade->Stack(i).direction, m_Cascade->Stack(i).speed};
    }
    for (int i = 0; i < kMaxStacks; ++i) {
      if (!kept[static_cast<size_t>(i)]) DestroyStack(i);
    }
    m_Recorder->Close();
    m_Cascade->Rebuild(newCount, m_Settings->statisticsSnapshot);
    m_StackCount = newCount;
    (void)m_Recorder->Open(m_StackCount, m_Clock.Now());
    CheckRecording();
    for (int i = 0; i < m_StackCount; ++i) {
      const auto ui = static_cast<size_t>(i);
      if (!kept[ui]) {
        CreateStack(i);
        continue;
      }
      StackStatistics& s = m_Cascade->Stack(i);
      s.direction = live[ui].direction;
      s.speed = live[ui].speed;
    }
    if (m_Selected >= m_StackCount) m_Selected = 0;
    if (m_Dump->Running() && m_Dump->Stack() >= m_StackCount) AbandonDump();
    // Every link is new: nothing answers the page last sent.
    AbandonUpload();
    m_Cascade->ResetWindows();
    m_Alarms->RecomputeLevel();
    emit stacksRebuilt(m_StackCount);
  } else {
    for (int i = 0; i < m_StackCount; ++i) {
      const auto ui = static_cast<size_t>(i);
      if (m_Settings->stacks[ui].loggerAddress == oldAddress[ui] || !m_Links[ui]) continue;
      if (m_Firmware->Running() && m_Firmware->Stack() == i) AbandonUpload();
      m_Poll[ui].Reset();
      m_Assemblers[ui] = ReplyAssembler{};
      m_Links[ui]->Close();
      m_Links[ui]->Connect(m_Settings->stacks[ui].loggerAddress, CNexSock::kLoggerPort);
    }
  }
  if (m_LampLink && m_Settings->signalLampAddress != oldLamp) {
    m_LampSilentTicks = 0;
    m_LampLink->Close();
    m_LampLink->Connect(m_Settings->signalLampAddress, CNexSock::kLampPort);
  }
  StartTimers();
}

void StationRuntime::SetSelectedStack(int stack) {
  m_Selected = (stack >= 0 && stack < m_StackCount) ? stack : -1;
  // A dump belongs to the stack view: it must not go on repeating its requests
  // behind the overview.
  if (m_Selected < 0) AbandonDump();
}

void StationRuntime::SetTestSpeedMode(int mode) { m_TestSpeedMode = (mode >= 0 && mode <= 3) ? mode : 0; }

void StationRuntime::SetSoundsEnabled(bool enabled) { m_Alarms->SetSoundsEnabled(enabled); }

bool StationRuntime::soundsEnabled() const { return m_Alarms->SoundsEnabled(); }

void StationRuntime::Acknowledge() {
  m_Alarms->Acknowledge();
  EmitLampsIfChanged();
}

void StationRuntime::SetAlarmSound(AlarmSound* sound) { m_Sound = sound ? sound : &m_NullSound; }

StackAverages StationRuntime::Averages(int stack) const {
  if (stack < 0 || stack >= kMaxStacks) return {};
  return m_Cascade->Averages(stack);
}

int StationRuntime::TileState(int stack) const {
  if (stack < 0 || stack >= m_StackCount) return 0;
  return m_Tile[static_cast<size_t>(stack)];
}

const CNexSock* StationRuntime::link(int stack) const {
  if (stack < 0 || stack >= m_StackCount) return nullptr;
  return m_Links[static_cast<size_t>(stack)];
}

PollContext StationRuntime::ContextFor(int i) const {
  PollContext c;
  c.selected = i == m_Selected;
  c.dumpRunning = m_Dump->Running();
  c.uploadRunning = m_Firmware->Running();
  c.testSpeedMode = m_TestSpeedMode;
  return c;
}

// ---- Day dump ----

DumpStart StationRuntime::StartDump(int stack, const SystemTime& date) {
  if (!m_Running || stack < 0 || stack >= m_StackCount) return DumpStart::kInvalidDate;
  const DumpStart started = m_Dump->Start(stack, date);
  if (started == DumpStart::kStarted) {
    m_Timer10.start();
    emit dumpProgress(0);
  }
  return started;
}

void StationRuntime::AbandonDump() {
  m_Timer10.stop();
  if (!m_Dump->Running()) return;
  m_Dump->Abandon();
  emit dumpFinished(static_cast<int>(DumpEnd::kAbandoned));
}

void StationRuntime::OnDumpTimer() {
  switch (m_Dump->OnRepeatTimer()) {
    case DumpRepeat::kResent:
      return;
    case DumpRepeat::kIdle:
      m_Timer10.stop();
      return;
    case DumpRepeat::kTimedOut:
      m_Timer10.stop();
      emit dumpFinished(static_cast<int>(DumpEnd::kTimedOut));
      return;
  }
}

void StationRuntime::HandleDumpReply(int i, std::span<const uint8_t> reply) {
  switch (m_Dump->OnBlockReply(i, reply)) {
    case DumpReply::kIgnored:
    case DumpReply::kDropped:
      return;
    case DumpReply::kAskedAgain:
    case DumpReply::kAdvanced:
      m_Timer10.start();
      emit dumpProgress(m_Dump->Progress());
      return;
    case DumpReply::kCompleted:
      m_Timer10.stop();
      if (QTimer* poll = m_PollTimers[static_cast<size_t>(i)]) poll->start();
      emit dumpProgress(100);
      emit dumpFinished(static_cast<int>(DumpEnd::kCompleted));
      return;
    case DumpReply::kTimedOut:
      m_Timer10.stop();
      emit dumpFinished(static_cast<int>(DumpEnd::kTimedOut));
      return;
    case DumpReply::kWriteFailed:
      m_Timer10.stop();
      emit dumpFinished(static_cast<int>(DumpEnd::kWriteFailed));
      return;
  }
}

// ---- Firmware ----

bool StationRuntime::SetFirmwareImage(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    m_Firmware->ClearImage();
    return false;
  }
  // More than 9999 pages cannot be numbered; do not read a huge file to find out.
  constexpr qint64 kLimit = static_cast<qint64>(FirmwareUpload::kMaxImagePages * kFirmwarePageSize);
  if (file.size() > kLimit) {
    m_Firmware->ClearImage();
    return false;
  }
  const QByteArray bytes = file.readAll();
  m_Firmware->SetImage(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  if (!m_Firmware->HasUsableImage()) {
    m_Firmware->ClearImage();
    return false;
  }
  return true;
}

void StationRuntime::ClearFirmwareImage() { m_Firmware->ClearImage(); }

void StationRuntime::AbandonUpload() {
  // The page exchange runs on the link that asked; once that link is rebuilt the
  // upload could only end by its time-out, with every stack's polling stopped
  // until then.
  if (!m_Firmware->Running()) return;
  m_Firmware->Abandon();
  emit firmwareFinished(static_cast<int>(FirmwareEnd::kAbandoned));
}

void StationRuntime::HandleFirmwareReply(int i, std::span<const uint8_t> reply) {
  switch (m_Firmware->OnReply(i, reply)) {
    case FirmwareStep::kIgnored:
      return;
    case FirmwareStep::kStarted:
      emit firmwareStarted(m_Firmware->LastPage());
      emit firmwareProgress(0);
      return;
    case FirmwareStep::kPageSent:
    case FirmwareStep::kEndSent:
      emit firmwareProgress(m_Firmware->Page());
      return;
    case FirmwareStep::kFinished:
      emit firmwareFinished(static_cast<int>(FirmwareEnd::kFinished));
      return;
    case FirmwareStep::kGaveUp:
      // Polling resumes with the next supervision tick.
      emit firmwareFinished(static_cast<int>(FirmwareEnd::kTooManyRestarts));
      return;
  }
}

// ---- Links and replies ----

void StationRuntime::OnLinkEvent(int linkId, int code) {
  // Connects, closes and failures show only through silence.
  if (code != kLinkData || !m_Running) return;
  if (linkId == CNexSock::kLampLinkId) {
    OnLampData();
  } else if (linkId >= 0 && linkId < m_StackCount) {
    OnStackData(linkId);
  }
}

void StationRuntime::OnStackData(int i) {
  const auto ui = static_cast<size_t>(i);
  CNexSock* link = m_Links[ui];
  if (!link) return;
  const QByteArray& bytes = link->ReceivedBytes();
  m_Counters.bytesReceived[ui] += bytes.size();
  std::span<const uint8_t> received(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                    static_cast<size_t>(bytes.size()));
  const bool flood = bytes.size() > kLargeReceive;
  if (flood) {
    m_Assemblers[ui] = ReplyAssembler{};
    received = received.first(kMaxRepliesPerReceive * kBlockReplySize);
  }
  std::vector<ReplyAssembler::Reply> replies = m_Assemblers[ui].Feed(received);
  if (flood) m_Assemblers[ui] = ReplyAssembler{};
  int handled = 0;
  for (const ReplyAssembler::Reply& reply : replies) {
    if (handled++ == kMaxRepliesPerReceive) break;
    HandleReply(i, reply);
    // A window may have rebuilt or shut the station down from a signal.
    if (!m_Running || m_Links[ui] != link) return;
  }
  if (QTimer* t = m_ReassemblyTimers[ui]) {
    if (m_Assemblers[ui].Holding()) {
      if (!t->isActive()) t->start();
    } else {
      t->stop();
    }
  }
}

void StationRuntime::OnReassemblyTimer(int i) {
  if (!m_Running || i >= m_StackCount) return;
  if (std::optional<ReplyAssembler::Reply> held = m_Assemblers[static_cast<size_t>(i)].Flush()) {
    HandleReply(i, *held);
  }
}

void StationRuntime::HandleReply(int i, std::span<const uint8_t> reply) {
  const auto ui = static_cast<size_t>(i);
  const PollActions actions = m_Poll[ui].OnReply(reply, ContextFor(i));
  if (actions.led == LedColour::kGreen) emit linkLedChanged(kLedGreenDark, kLedGreenLight);

  if (actions.live) {
    ++m_Counters.liveReplies[ui];
    m_Cascade->SetLiveValues(i, actions.live->direction, actions.live->speed);
    m_Alarms->Evaluate(i);
    SendLampMessage();
    const StackStatistics& s = m_Cascade->Stack(i);
    m_Tile[ui] = ws::TileState(s.speed, m_Alarms->Config().thresholds);
    emit stackUpdated(i, s.direction, s.speed, m_Tile[ui]);
    if (i == m_Selected) emit gaugeNeedles(s.direction, s.speed);
    EmitLampsIfChanged();
  }
  if (actions.startPollTimer && m_PollTimers[ui]) m_PollTimers[ui]->start();
  if (!m_Running) return;

  switch (actions.kind) {
    case ReplyKind::kDumpBlock:
      HandleDumpReply(i, reply);
      break;
    case ReplyKind::kFirmwareBegin:
    case ReplyKind::kFirmwarePage:
    case ReplyKind::kFirmwareEnd:
      HandleFirmwareReply(i, reply);
      break;
    default:
      break;
  }
}

void StationRuntime::ApplyPollActions(int i, const PollActions& actions) {
  const auto ui = static_cast<size_t>(i);
  CNexSock* link = m_Links[ui];
  QTimer* poll = m_PollTimers[ui];
  if (!link || !poll) return;
  if (actions.markNoCommunication && m_Tile[ui] != kTileNoCommunication) {
    m_Tile[ui] = kTileNoCommunication;
    emit stackNoCommunication(i);
  }
  if (actions.killPollTimer) poll->stop();
  if (actions.reconnect) {
    m_Assemblers[ui] = ReplyAssembler{};
    if (m_ReassemblyTimers[ui]) m_ReassemblyTimers[ui]->stop();
    link->Close();
    link->Connect(m_Settings->stacks[ui].loggerAddress, CNexSock::kLoggerPort);
  }
  if (actions.sendPoll) {
    ++m_Counters.pollsSent[ui];
    link->Send(kPollCommand.data(), static_cast<qint64>(kPollCommand.size()));
  }
  if (actions.led == LedColour::kRed) emit linkLedChanged(kLedRedDark, kLedRedLight);
  if (actions.startPollTimer) poll->start();
}

void StationRuntime::OnPollTimer(int i) {
  if (!m_Running || i >= m_StackCount) return;
  ApplyPollActions(i, m_Poll[static_cast<size_t>(i)].OnPollTimer(ContextFor(i)));
}

// ---- Lamp tower ----

void StationRuntime::OnLampData() {
  m_LampSilentTicks = 0;
  m_Alarms->Lamps().LampTowerReplied(m_Alarms->OverallLevel());
  EmitLampsIfChanged();
}

void StationRuntime::SendLampMessage() {
  const bool enabled = m_Settings->signalLampEnabled == 1;
  const SignalLampMessage message = m_Alarms->BuildLampMessage(enabled);
  if (enabled && m_LampLink) {
    m_LampLink->Send(reinterpret_cast<const char*>(message.data()),
                     static_cast<qint64>(message.size()));
  }
}

void StationRuntime::EmitLampsIfChanged() {
  const LampStates now = m_Alarms->LampState();
  if (m_LampsEmitted && now == m_LastLamps) return;
  m_LampsEmitted = true;
  m_LastLamps = now;
  emit lampsChanged(now.green, now.yellow, now.red);
}

// ---- Timers ----

void StationRuntime::OnSupervisionTimer() {
  if (!m_Running) return;
  emit clockTick(m_Clock.Now());

  if (m_Settings->signalLampEnabled == 1) {
    if (++m_LampSilentTicks >= 3) {
      m_LampSilentTicks = 0;
      if (m_LampLink) {
        m_LampLink->Close();
        m_LampLink->Connect(m_Settings->signalLampAddress, CNexSock::kLampPort);
      }
      m_Alarms->Lamps().LampTowerLost();
    } else {
      SendLampMessage();
    }
  } else {
    m_Alarms->Lamps().AllOff();
  }
  EmitLampsIfChanged();

  if (!m_Firmware->Running()) {
    for (int i = 0; i < m_StackCount && m_Running; ++i) {
      ApplyPollActions(i, m_Poll[static_cast<size_t>(i)].OnSupervisionTick(ContextFor(i)));
    }
  }
  if (m_Firmware->OnTick()) emit firmwareFinished(static_cast<int>(FirmwareEnd::kTimedOut));
}

void StationRuntime::OnBlinkTimer() {
  m_Alarms->BlinkTick();
  EmitLampsIfChanged();
}

void StationRuntime::OnRecordTimer() {
  const SystemTime now = m_Clock.Now();
  for (int i = 0; i < m_StackCount; ++i) {
    const StackStatistics& s = m_Cascade->Stack(i);
    m_Current[static_cast<size_t>(i)] = Sample{s.direction, s.speed};
  }
  // A failing stack tries again at the next tick; CheckRecording tells the
  // window once when recording stops and once when it resumes.
  (void)m_Recorder->Tick(now, std::span<const Sample>(m_Current.data(), static_cast<size_t>(m_StackCount)));
  ++m_Counters.recordTicks;
  CheckRecording();
}

void StationRuntime::CheckRecording() {
  const Recorder::Health health = m_Recorder->CurrentHealth();
  RecordingState state = RecordingState::kOk;
  if (health.failing > 0) {
    state = RecordingState::kFailing;
  } else if (health.unreserved > 0) {
    state = RecordingState::kSpaceNotReserved;
  }
  if (state == m_RecordingState) return;
  const RecordingState before = m_RecordingState;
  m_RecordingState = state;
  m_RecordingNotice = RecordingNoticeText(state, before, health);
  if (before == RecordingState::kFailing) ++m_Counters.recordingResumed;
  if (state == RecordingState::kFailing) ++m_Counters.recordingFailures;
  if (state == RecordingState::kOk) {
    qCInfo(lcLink).noquote() << "record files:" << m_RecordingNotice;
  } else {
    qCWarning(lcLink).noquote() << "record files:" << m_RecordingNotice;
  }
  emit recordingStateChanged(static_cast<int>(state), m_RecordingNotice);
}

void StationRuntime::OnStepTimer(int k) {
  if (k == 0) {
    m_Cascade->Tick3Seconds();
  } else {
    m_Cascade->Step(k);
  }
  if (m_Selected >= 0 && m_Selected < m_StackCount) emit gaugeRefresh(k, m_Cascade->Averages(m_Selected));
}

}  // namespace ws
