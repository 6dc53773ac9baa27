// The station's acquisition runtime without windows: the live settings, one link
// per stack and the lamp tower link, the statistics and alarm rules, the record
// files, the day dump and the firmware upload, driven by the station's timers.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/alarm_lamps.h"
#include "core/alarm_rules.h"
#include "core/alarm_states.h"
#include "core/clock.h"
#include "core/dump_session.h"
#include "core/firmware_upload.h"
#include "core/poll_supervisor.h"
#include "core/recorder.h"
#include "core/reply_assembler.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "core/station_event.h"
#include "core/station_ini.h"
#include "core/statistics_cascade.h"
#include "link/alarm_sound.h"
#include "link/nex_sock.h"

namespace ws {

// How recording stands, for the window's notice (recordingStateChanged).
enum class RecordingState {
  kOk,                // every stack records
  kSpaceNotReserved,  // month files had to be made without their space: the disk is nearly full
  kFailing,           // some stacks' samples cannot be written (a full disk, mostly)
};

// Runs on the GUI thread and owns everything it drives. Timers keep their ids'
// periods and order of work:
//   1 (1 s)      clock, lamp tower keep-alive, supervision of every logger link
//                but one carrying a dump or upload, firmware upload time-out
//   2 (200 ms)   blinking of the on-screen lamps
//   3 (500 ms)   record tick (only seconds a reply was received for)
//   4..7         3 s (day check, step 0), 1 min, 10 min, 1 h (steps 1..3)
//   10 (100 ms)  repeat of the pending dump request, only during a dump
//   100 + i      one-shot 500 ms poll of stack i
// The windows learn what changed through the signals below (all emitted
// synchronously); they call back the public operations.
class StationRuntime final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kTimerSupervision = 1;
  static constexpr int kTimerBlink = 2;
  static constexpr int kTimerRecord = 3;
  static constexpr int kTimerDump = 10;
  static constexpr int kTimerPollBase = 100;
  static constexpr int kSupervisionMs = 1000;
  static constexpr int kBlinkMs = 200;
  static constexpr int kRecordMs = 500;
  static constexpr std::array<int, 4> kStepMs = {3000, 60000, 600000, 3600000};
  static constexpr int kDumpRepeatMs = 100;
  static constexpr int kPollMs = PollSupervisor::kPollDelayMs;
  // An incomplete "R000:" or "R002:" is handled as it is when no more bytes
  // follow within this time.
  static constexpr int kReassemblyMs = 100;
  // Replies handled per receive event; what a flooding logger sends beyond them
  // counts only as a sign of life.
  static constexpr int kMaxRepliesPerReceive = 4;
  // A receive larger than this is not a logger's answer but a flood: only its
  // head is looked at, and nothing of it is kept for reassembly.
  static constexpr qsizetype kLargeReceive = 16 * 1024;

  // `workdir` holds "WDX-5100.cfg" and the record files. `clock` must outlive
  // the runtime.
  StationRuntime(QString workdir, const Clock& clock, QObject* parent = nullptr);
  ~StationRuntime() override;

  // Loads the settings, makes the links, windows and record files and starts the
  // timers. Call once.
  void Start();
  // The exit sequence: abandon a dump, all-off to the lamp tower (flushed), stop
  // every timer, snapshot the averages into the settings, close links and files,
  // save the settings. Safe to call more than once; the destructor calls it.
  void Shutdown();
  bool Running() const { return m_Running; }

  // The configuration dialog's OK: takes the edited record over the live one,
  // saves it, reconnects stacks whose address changed and rebuilds the per-stack
  // machinery when the number of stacks changed (stacks that stay at the same
  // address keep their links and live values, so they record without a gap);
  // restarts timers 1 and 3..7.
  void ApplySettings(const Settings& edited);
  // Saves the live record (the gauge panel's splitter moved). Refused while the
  // record is only the defaults standing in for a file that exists but could not
  // be read: saving them would replace the operator's configuration. The
  // configuration dialog's OK lifts that.
  bool SaveSettings();

  // The windows' own settings, each stored in the live record and saved at once
  // (a refused save, as SaveSettings, leaves them in the live record only):
  // the span of the report's last search, and the gauge panel's split ratio (a
  // ratio outside (0, 1) or not a number is ignored).
  void SetReportSpan(const SystemTime& start, const SystemTime& end);
  void SetSplitRatio(double ratio);

  const Settings& settings() const { return *m_Settings; }
  // The clock the runtime judges "today" and "now" by.
  const Clock& clock() const { return m_Clock; }
  const QString& workdir() const { return m_Workdir; }
  int stackCount() const { return m_StackCount; }

  // -1 is the overview. A stack outside 0..stackCount-1 reads as the overview.
  // Going back to the overview (MAIN) abandons a running dump, as AbandonDump.
  void SetSelectedStack(int stack);
  int selectedStack() const { return m_Selected; }

  // Ctrl+F2..F4 (1..3) and Ctrl+F5 (0).
  void SetTestSpeedMode(int mode);
  int testSpeedMode() const { return m_TestSpeedMode; }

  void SetSoundsEnabled(bool enabled);
  bool soundsEnabled() const;
  // The alarm list's ACK.
  void Acknowledge();
  // Replaces the player (not owned; null restores the silent one).
  void SetAlarmSound(AlarmSound* sound);

  // The day dump of one stack. The runtime runs the exchange; the window shows
  // progress and waits for dumpFinished.
  DumpStart StartDump(int stack, const SystemTime& date);
  // MAIN, EXIT: the dump stops where it is.
  void AbandonDump();
  bool DumpRunning() const { return m_Dump->Running(); }
  // The stack's link carries a dump or an upload: it is not polled meanwhile;
  // every other stack is.
  bool IsBusy(int stack) const;
  const DumpSession& dump() const { return *m_Dump; }

  // The image answered to the next "APPE:"; false (and no image) when the file
  // cannot be read or does not make an uploadable image.
  bool SetFirmwareImage(const QString& path);
  void ClearFirmwareImage();
  bool UploadRunning() const { return m_Firmware->Running(); }
  const FirmwareUpload& firmware() const { return *m_Firmware; }

  // Live state, for the windows and tests.
  const StatisticsCascade& statistics() const { return *m_Cascade; }
  StackAverages Averages(int stack) const;
  const AlarmRules& alarms() const { return *m_Alarms; }
  int OverallLevel() const { return m_Alarms->OverallLevel(); }
  LampStates lamps() const { return m_Alarms->LampState(); }
  int TileState(int stack) const;
  const PollSupervisor& poll(int stack) const { return m_Poll[static_cast<size_t>(stack)]; }
  const Recorder& recorder() const { return *m_Recorder; }
  const CNexSock* link(int stack) const;
  const CNexSock* lampLink() const { return m_LampLink; }
  int lampSilentTicks() const { return m_LampSilentTicks; }

  // Counters for the headless runner: decoded live replies and sent polls per
  // stack, and the record ticks written.
  struct Counters {
    std::array<int64_t, kMaxStacks> liveReplies{};
    std::array<int64_t, kMaxStacks> pollsSent{};
    std::array<int64_t, kMaxStacks> bytesReceived{};
    int64_t recordTicks = 0;
    int64_t recordingFailures = 0;  // times recording went from writing to failing
    int64_t recordingResumed = 0;   // times it came back
  };
  const Counters& counters() const { return m_Counters; }

  // The recording state and the notice text last sent with recordingStateChanged.
  RecordingState recordingState() const { return m_RecordingState; }
  const QString& recordingNotice() const { return m_RecordingNotice; }
  const SettingsFile::LoadResult& settingsLoad() const { return m_SettingsLoad; }  // what Start found

  // The settings kept beside the configuration file ("windscope.ini"), loaded
  // by Start. ApplyStationIni takes an edited copy over, saves it and tells
  // stationIniChanged; it returns an empty string or why the save failed (the
  // new values hold for this run either way).
  const StationIni& stationIni() const { return m_StationIni; }
  std::string ApplyStationIni(const StationIni& edited);

  // Every event of the station's operation goes to each sink, in the order
  // added, on this thread (not owned; remove a sink before deleting it).
  void AddEventSink(EventSink* sink);
  void RemoveEventSink(EventSink* sink);
  // Stamps an event with the clock's time and hands it to every sink.
  void Journal(EventKind kind, int stack, int level, double value, std::string text);

  // The alarm list: every stack's level that is active or unacknowledged,
  // oldest first.
  const std::vector<AlarmEntry>& alarmEntries() const { return m_AlarmEntries; }

 signals:
  // Timer 1: the clock text.
  void clockTick(const ws::SystemTime& now);
  // A decoded live reply: the tile's values and state (2..5).
  void stackUpdated(int stack, float direction, float speed, int tileState);
  // Supervision found the stack silent: tile state 1.
  void stackNoCommunication(int stack);
  // The stack's link now carries a dump or an upload: tile state 6 (kTileBusy)
  // until its next live reply or its silence says otherwise.
  void stackBusy(int stack);
  // The selected stack's gauge needles.
  void gaugeNeedles(float direction, float speed);
  // After step k (0..3) when a stack is selected: its averages.
  void gaugeRefresh(int k, const ws::StackAverages& averages);
  // After step k (0..3) of the averaging cascade, for every stack (Averages).
  void averagesStepped(int k);
  // A raised level (1 Alarm, 2 Stop, 3 Trip): the alarm list takes the entry.
  void alarmRaised(int stack, int level, double speed);
  // The on-screen lamps changed.
  void lampsChanged(bool green, bool yellow, bool red);
  // The link LED of the selected stack (COLORREF dark and light).
  void linkLedChanged(uint32_t dark, uint32_t light);
  // Dump progress in percent, and its end (a DumpEnd value). A time-out is
  // shown with kDumpTimedOutText.
  void dumpProgress(int percent);
  void dumpFinished(int end);
  // Firmware upload: started (last page number), page sent, finished (a
  // FirmwareEnd value).
  void firmwareStarted(int lastPage);
  void firmwareProgress(int page);
  void firmwareFinished(int end);
  // A socket could not be made: the window shows "TCP/IP Error!".
  void tcpIpError();
  // The per-stack machinery was rebuilt for a new number of stacks. Each
  // stack's known state (stackUpdated, stackNoCommunication or stackBusy)
  // follows at once, for the windows' new tiles.
  void stacksRebuilt(int stackCount);
  // Recording changed state (a RecordingState value): the window shows `text`
  // as a notice that does not block it (and may drop it again on kOk). Sent once
  // per change, never every tick.
  void recordingStateChanged(int state, const QString& text);
  // The alarm list's entries changed (alarmEntries).
  void alarmEntriesChanged();
  // ApplyStationIni took new values.
  void stationIniChanged();

 private:
  class Sender;
  class AlarmBridge;
  class BlockWriter;

  void CreateStack(int i);
  void DestroyStacks();
  // Drops one stack's link and timers (the record files are the recorder's).
  void DestroyStack(int stack);
  void StartTimers();
  void StopTimers();
  void ApplyAlarmConfig();
  // ApplySettings' two ways of taking a new record over: a new number of
  // stacks rebuilds the per-stack machinery; the same number reconnects only
  // the stacks whose address changed.
  void RebuildForStackCount(int oldCount, int newCount,
                            const std::array<uint32_t, kMaxStacks>& oldAddress);
  void ReconnectChangedAddresses(const std::array<uint32_t, kMaxStacks>& oldAddress);
  PollContext ContextFor(int i) const;
  // Compares each stack's busy state with the dump and upload now running:
  // a stack that became busy gets its tile state, one that ended is polled again.
  void UpdateBusyStacks();
  // Tells the windows every stack's known tile state again.
  void EmitStackStates();

  void OnLinkEvent(int linkId, int code);
  void OnStackData(int i);
  void HandleReply(int i, std::span<const uint8_t> reply);
  void HandleDumpReply(int i, std::span<const uint8_t> reply);
  void HandleFirmwareReply(int i, std::span<const uint8_t> reply);
  void AbandonUpload();
  void ApplyPollActions(int i, const PollActions& actions);
  void OnLampData();
  void SendLampMessage();
  // Timer 1's share of the lamp tower: keep-alive message, or reconnect after
  // three silent ticks.
  void KeepLampTowerAlive();
  // The all-off message to the tower at the lamp link's present address,
  // flushed (waiting up to 500 ms for a link still connecting).
  void SwitchLampTowerOff();
  void EmitLampsIfChanged();

  void OnSupervisionTimer();
  void OnBlinkTimer();
  void OnRecordTimer();
  void CheckRecording();
  void OnStepTimer(int k);
  void OnDumpTimer();
  void OnPollTimer(int i);
  void OnReassemblyTimer(int i);

  QString m_Workdir;
  std::string m_WorkdirUtf8;
  const Clock& m_Clock;
  std::unique_ptr<Settings> m_Settings;
  int m_StackCount = 0;
  int m_Selected = -1;
  int m_TestSpeedMode = 0;
  bool m_Started = false;
  bool m_Running = false;
  bool m_KeepSettingsFile = false;
  SettingsFile::LoadResult m_SettingsLoad{};

  std::unique_ptr<Sender> m_Sender;
  std::unique_ptr<AlarmBridge> m_AlarmBridge;
  std::unique_ptr<BlockWriter> m_BlockWriter;
  NullAlarmSound m_NullSound;
  AlarmSound* m_Sound = &m_NullSound;

  std::unique_ptr<StatisticsCascade> m_Cascade;
  std::unique_ptr<AlarmRules> m_Alarms;
  std::unique_ptr<Recorder> m_Recorder;
  std::unique_ptr<DumpSession> m_Dump;
  std::unique_ptr<FirmwareUpload> m_Firmware;

  std::array<PollSupervisor, kMaxStacks> m_Poll;
  std::array<int, kMaxStacks> m_Tile{};
  std::array<bool, kMaxStacks> m_Busy{};
  // Per stack: the clock's second of its last live reply and the values that
  // reply measured (before any test speed mode): what the record tick writes.
  std::array<int64_t, kMaxStacks> m_LastReplySecond{};
  std::array<Sample, kMaxStacks> m_Measured{};
  // Children of the runtime, deleted later when a rebuild drops them.
  std::array<CNexSock*, kMaxStacks> m_Links{};
  std::array<QTimer*, kMaxStacks> m_PollTimers{};
  std::array<QTimer*, kMaxStacks> m_ReassemblyTimers{};
  std::array<ReplyAssembler, kMaxStacks> m_Assemblers;
  CNexSock* m_LampLink = nullptr;
  int m_LampSilentTicks = 0;
  LampStates m_LastLamps;
  bool m_LampsEmitted = false;
  std::vector<Recorder::TickSample> m_Current;
  RecordingState m_RecordingState = RecordingState::kOk;
  QString m_RecordingNotice;

  QTimer m_Timer1;
  QTimer m_Timer2;
  QTimer m_Timer3;
  std::array<QTimer, 4> m_StepTimers;
  QTimer m_Timer10;

  Counters m_Counters;

  StationIni m_StationIni;
  std::vector<EventSink*> m_EventSinks;
  std::vector<AlarmEntry> m_AlarmEntries;
};

}  // namespace ws
