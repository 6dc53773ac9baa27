#include "link/station_runtime.h"

#include <algorithm>
#include <type_traits>

#include "core/alarm_thresholds.h"
#include "core/format_fixed.h"
#include "core/settings_diff.h"
#include "core/settings_file.h"
#include "link/link_logging.h"
#include "link/runtime_callbacks.h"

// The runtime's lifecycle and live settings. Its other parts live beside it:
// runtime_links.cpp (links, replies, supervision), runtime_lamp.cpp (the lamp
// tower), runtime_recording.cpp (record tick and averaging steps) and
// runtime_dump_firmware.cpp (day dump and firmware upload), runtime_events.cpp
// (event sinks) and runtime_alarm_states.cpp (alarm states, no communication).

namespace ws {

static_assert(std::is_same_v<StatisticsSnapshot, decltype(Settings::statisticsSnapshot)>,
              "the cascade's snapshot is stored straight into the settings record");

namespace {

// A configuration file may hold any number; the station then serves one stack.
int ValidStackCount(int n) { return (n < 1 || n > kMaxStacks) ? 1 : n; }

#ifndef WS_STATION_VERSION
#define WS_STATION_VERSION "unknown"
#endif

}  // namespace

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
  m_States = std::make_unique<AlarmStates>(m_Clock);
  m_CommLostMs.fill(-1);
  m_Links.fill(nullptr);
  m_PollTimers.fill(nullptr);
  m_ReassemblyTimers.fill(nullptr);
  m_Current.resize(kMaxStacks);
  m_LastReplySecond.fill(Recorder::kNoReply);

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
  m_SettingsLoad = loaded;
  m_StationIni = LoadStationIni(m_WorkdirUtf8).ini;
  m_StackCount = ValidStackCount(m_Settings->stackCount);
  Journal(EventKind::kStationStarted, -1, 0, 0.0,
          FormatC("Windscope %s started with %d stack(s)", WS_STATION_VERSION, m_StackCount));
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
  m_Busy[ui] = false;
  m_LastReplySecond[ui] = Recorder::kNoReply;
  m_Measured[ui] = Sample{};
  m_SilentTicks[ui] = 0;  // its silence counts from now
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

void StationRuntime::Shutdown(const std::string& reason) {
  if (!m_Running) return;
  m_Running = false;
  AbandonDump();
  // The tower must not stay lit after the station has gone.
  SwitchLampTowerOff();
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
  Journal(EventKind::kStationEnded, -1, 0, 0.0, "Station ended: " + reason);
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
  const bool oldLampEnabled = m_Settings->signalLampEnabled == 1;
  const int oldCount = m_StackCount;
  const std::vector<std::string> changes = DiffSettings(*m_Settings, edited);

  *m_Settings = edited;
  m_Settings->ClampReservedInterval();
  m_KeepSettingsFile = false;  // the operator confirmed a whole record
  SaveSettings();
  ApplyAlarmConfig();
  if (!changes.empty()) {
    Journal(EventKind::kConfigurationChanged, -1, 0, static_cast<double>(changes.size()), JoinChanges(changes));
  }
  if (!m_Running) return;

  // A tower the station stops driving must not go on showing the last level
  // (and sounding its buzzer): it is told all-off once, before its link moves.
  if (oldLampEnabled &&
      (m_Settings->signalLampEnabled != 1 || m_Settings->signalLampAddress != oldLamp)) {
    SwitchLampTowerOff();
  }
  StopTimers();
  const int newCount = ValidStackCount(m_Settings->stackCount);
  if (newCount != oldCount) {
    RebuildForStackCount(oldCount, newCount, oldAddress);
  } else {
    ReconnectChangedAddresses(oldAddress);
  }
  if (m_LampLink && m_Settings->signalLampAddress != oldLamp) {
    m_LampSilentTicks = 0;
    m_LampLink->Close();
    m_LampLink->Connect(m_Settings->signalLampAddress, CNexSock::kLampPort);
  }
  StartTimers();
}

void StationRuntime::RebuildForStackCount(int oldCount, int newCount,
                                          const std::array<uint32_t, kMaxStacks>& oldAddress) {
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
  for (int i = newCount; i < kMaxStacks; ++i) m_CommLostMs[static_cast<size_t>(i)] = -1;
  if (m_States->DropStacksFrom(newCount)) PublishAlarmEntries();
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
  // The windows made new tiles; a kept stack's supervision goes on from where it
  // was and only tells a change, so its state is told again here.
  EmitStackStates();
}

void StationRuntime::EmitStackStates() {
  for (int i = 0; i < m_StackCount && m_Running; ++i) {
    const auto ui = static_cast<size_t>(i);
    const StackStatistics& s = m_Cascade->Stack(i);
    switch (m_Tile[ui]) {
      case 0:  // not heard from yet: supervision tells within two ticks
        break;
      case kTileNoCommunication:
        emit stackNoCommunication(i);
        break;
      case kTileBusy:
        emit stackBusy(i);
        break;
      default:
        emit stackUpdated(i, s.direction, s.speed, m_Tile[ui]);
        break;
    }
  }
}

void StationRuntime::ReconnectChangedAddresses(const std::array<uint32_t, kMaxStacks>& oldAddress) {
  for (int i = 0; i < m_StackCount; ++i) {
    const auto ui = static_cast<size_t>(i);
    if (m_Settings->stacks[ui].loggerAddress == oldAddress[ui] || !m_Links[ui]) continue;
    if (m_Firmware->Running() && m_Firmware->Stack() == i) AbandonUpload();
    m_Poll[ui].Reset();
    m_Assemblers[ui] = ReplyAssembler{};
    m_LastReplySecond[ui] = Recorder::kNoReply;  // the old logger's values are not the new one's
    m_SilentTicks[ui] = 0;                        // the new logger's silence counts from now
    m_Links[ui]->Close();
    m_Links[ui]->Connect(m_Settings->stacks[ui].loggerAddress, CNexSock::kLoggerPort);
  }
}

void StationRuntime::SetSelectedStack(int stack) {
  m_Selected = (stack >= 0 && stack < m_StackCount) ? stack : -1;
  // A dump belongs to the stack view: it must not go on repeating its requests
  // behind the overview.
  if (m_Selected < 0) AbandonDump();
}

void StationRuntime::SetTestSpeedMode(int mode) {
  const int before = m_TestSpeedMode;
  m_TestSpeedMode = (mode >= 0 && mode <= 3) ? mode : 0;
  if (m_TestSpeedMode == before) return;
  if (m_TestSpeedMode == 0) {
    Journal(EventKind::kTestSpeedMode, -1, 0, 0.0, "Test speed mode off");
  } else {
    const double speed = ApplyTestSpeedMode(m_TestSpeedMode, 0.0f);
    Journal(EventKind::kTestSpeedMode, -1, 0, speed,
            FormatC("Test speed mode on (Ctrl+F%d): every speed reads %.1f %s", m_TestSpeedMode + 1, speed,
                    FieldUtf8(m_Settings->speedUnit).c_str()));
  }
}

void StationRuntime::SetSoundsEnabled(bool enabled) { m_Alarms->SetSoundsEnabled(enabled); }

bool StationRuntime::soundsEnabled() const { return m_Alarms->SoundsEnabled(); }

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

}  // namespace ws
