// Every event of the station's operation reaches its event sinks with the
// right kind, stack, level, value and text, and the alarm states behind the
// alarm list move as the alarms rise, are acknowledged and return; driven
// through the runtime against simulated loggers. The station runs on a clock
// the test can move forward, so "ten seconds below the level" needs no real
// waiting; silence is counted in supervision ticks, so the no-communication
// tests shorten the delay instead.
#include <QDir>
#include <QFile>

#include <atomic>
#include <string>
#include <vector>

#include "core/format_fixed.h"
#include "core/station_event.h"
#include "link/fill_holes_driver.h"
#include "runtime_fixture.h"

namespace ws::test {
namespace {

// The system's local time, moved forward by whole seconds on demand.
class ShiftedClock final : public Clock {
 public:
  SystemTime Now() const override {
    const SystemTime now = LocalNow();
    SystemTime shifted = FromCivilSeconds(CivilSeconds(now) + m_offsetS.load());
    shifted.milliseconds = now.milliseconds;
    return shifted;
  }
  void Shift(int seconds) { m_offsetS += seconds; }

 private:
  std::atomic<int64_t> m_offsetS{0};
};

class RecordingSink final : public EventSink {
 public:
  void Record(const StationEvent& event) override { events.push_back(event); }
  std::vector<StationEvent> events;
};

class RecordingSound final : public AlarmSound {
 public:
  void Play(const std::string& path, bool looped) override { played.push_back(path + (looped ? " looped" : " once")); }
  void Stop() override { ++stops; }
  std::vector<std::string> played;
  int stops = 0;
};

class RuntimeJournalTest : public RuntimeFixture {
 protected:
  const Clock& RuntimeClock() const override { return shifted; }
  void BeforeStart() override {
    runtime->AddEventSink(&sink);
    runtime->SetAlarmSound(&sound);
    QObject::connect(runtime.get(), &StationRuntime::alarmEntriesChanged, runtime.get(),
                     [this] { ++entriesChanged; });
  }
  void TearDown() override {
    if (runtime) {
      runtime->Shutdown();
      runtime->RemoveEventSink(&sink);
      runtime->SetAlarmSound(nullptr);
    }
    RuntimeFixture::TearDown();
  }

  std::vector<StationEvent> Of(EventKind kind, size_t from = 0) const {
    std::vector<StationEvent> out;
    for (size_t k = from; k < sink.events.size(); ++k) {
      if (sink.events[k].kind == kind) out.push_back(sink.events[k]);
    }
    return out;
  }
  // Waits for an event of `kind` (with `level` when given) after position `from`.
  bool WaitForEvent(EventKind kind, size_t from = 0, int level = -1) {
    return WaitFor([&] {
      for (const StationEvent& e : Of(kind, from)) {
        if (level < 0 || e.level == level) return true;
      }
      return false;
    });
  }
  StationEvent Last(EventKind kind, size_t from = 0) const {
    const std::vector<StationEvent> events = Of(kind, from);
    return events.empty() ? StationEvent{} : events.back();
  }
  // Waits until the stack's judged speed is below `speed`, then for one more
  // live reply, so the states have seen it.
  bool WaitBelow(int stack, float speed) {
    if (!WaitFor([&] { return runtime->statistics().Stack(stack).speed < speed; })) return false;
    const int64_t seen = LiveReplies(stack);
    return WaitFor([&] { return LiveReplies(stack) > seen; });
  }
  // Waits for `n` supervision ticks.
  bool WaitTicks(int n) {
    QObject scope;
    int ticks = 0;
    QObject::connect(runtime.get(), &StationRuntime::clockTick, &scope, [&] { ++ticks; });
    return WaitFor([&] { return ticks >= n; });
  }
  void SetNoCommDelay(int seconds) {
    StationIni ini = runtime->stationIni();
    ini.noComm.delaySeconds = seconds;
    ASSERT_EQ(runtime->ApplyStationIni(ini), "");
  }
  const AlarmEntry* Entry(int stack, int level) const {
    for (const AlarmEntry& e : runtime->alarmEntries()) {
      if (e.stack == stack && e.level == level) return &e;
    }
    return nullptr;
  }
  static std::string FormatDay(const SystemTime& day) {
    return FormatC("%04d-%02d-%02d", day.year, day.month, day.day);
  }
  // The kinds journalled, in order.
  std::vector<EventKind> Kinds() const {
    std::vector<EventKind> kinds;
    for (const StationEvent& e : sink.events) kinds.push_back(e.kind);
    return kinds;
  }
  static bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }

  ShiftedClock shifted;
  RecordingSink sink;
  RecordingSound sound;
  int entriesChanged = 0;
};

TEST_F(RuntimeJournalTest, StartNamesTheVersionAndEndNamesItsReason) {
  StartSite(1, 10);
  ASSERT_FALSE(sink.events.empty());
  const StationEvent& first = sink.events.front();
  EXPECT_EQ(first.kind, EventKind::kStationStarted);
  EXPECT_EQ(first.stack, -1);
  EXPECT_TRUE(Contains(first.text, WS_TEST_STATION_VERSION)) << first.text;
  EXPECT_EQ(first.utcMs, LocalToUtcMs(first.local));

  runtime->Shutdown("SIGTERM");
  ASSERT_FALSE(sink.events.empty());
  EXPECT_EQ(sink.events.back().kind, EventKind::kStationEnded);
  EXPECT_TRUE(Contains(sink.events.back().text, "SIGTERM")) << sink.events.back().text;
  // Once only: a second shutdown (the destructor's) journals nothing more.
  runtime->Shutdown("station closed");
  EXPECT_EQ(Of(EventKind::kStationEnded).size(), 1u);
}

TEST_F(RuntimeJournalTest, HealthyStacksAreNeverLostNorSilentEvenWhenTheClockJumps) {
  StartSite(2, 12);
  ASSERT_TRUE(WaitForFirstReplies(2));
  // The first tick marks every new link as not answering (it has not been
  // asked yet): that is no loss of communication.
  ASSERT_TRUE(WaitTicks(2));
  // A clock set forward (daylight saving, a time server) does not make the
  // stacks silent for the no-communication alarm.
  shifted.Shift(3600);
  ASSERT_TRUE(WaitTicks(3));
  EXPECT_TRUE(Of(EventKind::kCommunicationLost).empty());
  EXPECT_TRUE(Of(EventKind::kAlarmRaised).empty());
  EXPECT_TRUE(runtime->alarmEntries().empty());
}

TEST_F(RuntimeJournalTest, AlarmStatesRiseReturnBeforeAckAndAreAcknowledgedOnce) {
  StartSite(1, 14);
  ASSERT_TRUE(WaitForFirstReplies(1));
  loggers[0]->HoldWind(5.0);
  ASSERT_TRUE(WaitBelow(0, 30.0f));

  // Trip: raised once, journalled with stack, level and speed; active and unacknowledged.
  loggers[0]->HoldWind(50.0);
  ASSERT_TRUE(WaitForEvent(EventKind::kAlarmRaised, 0, kLevelTrip));
  const StationEvent raised = Last(EventKind::kAlarmRaised);
  EXPECT_EQ(raised.stack, 0);
  EXPECT_EQ(raised.level, kLevelTrip);
  EXPECT_GE(raised.value, 45.0);
  ASSERT_NE(Entry(0, kLevelTrip), nullptr);
  EXPECT_EQ(Entry(0, kLevelTrip)->condition, AlarmCondition::kActiveUnacknowledged);
  EXPECT_GT(entriesChanged, 0);

  // Back below every level for ten seconds (of the station's clock) before any ACK:
  // returned, still listed until acknowledged.
  loggers[0]->HoldWind(5.0);
  ASSERT_TRUE(WaitBelow(0, 30.0f));
  shifted.Shift(11);
  ASSERT_TRUE(WaitForEvent(EventKind::kAlarmReturned, 0, kLevelTrip));
  EXPECT_EQ(Last(EventKind::kAlarmReturned).stack, 0);
  EXPECT_GE(Last(EventKind::kAlarmReturned).value, 10.0);  // seconds it was active
  ASSERT_NE(Entry(0, kLevelTrip), nullptr);
  EXPECT_EQ(Entry(0, kLevelTrip)->condition, AlarmCondition::kReturnedUnacknowledged);
  EXPECT_GE(Entry(0, kLevelTrip)->peakSpeed, 45.0);

  // ACK: one event naming what it covered; the returned entry leaves.
  runtime->Acknowledge();
  ASSERT_EQ(Of(EventKind::kAlarmAcknowledged).size(), 1u);
  const StationEvent ack = Last(EventKind::kAlarmAcknowledged);
  EXPECT_EQ(ack.value, 1.0);
  EXPECT_TRUE(Contains(ack.text, "#1 Trip (returned)")) << ack.text;
  EXPECT_TRUE(runtime->alarmEntries().empty());

  // Raised again (the ACK re-armed it), acknowledged while active: it stays,
  // acknowledged, until it returns, and then leaves without another ACK.
  const size_t mark = sink.events.size();
  loggers[0]->HoldWind(50.0);
  ASSERT_TRUE(WaitForEvent(EventKind::kAlarmRaised, mark, kLevelTrip));
  runtime->Acknowledge();
  ASSERT_EQ(Of(EventKind::kAlarmAcknowledged).size(), 2u);
  EXPECT_TRUE(Contains(Last(EventKind::kAlarmAcknowledged).text, "#1 Trip")) << Last(EventKind::kAlarmAcknowledged).text;
  ASSERT_NE(Entry(0, kLevelTrip), nullptr);
  EXPECT_EQ(Entry(0, kLevelTrip)->condition, AlarmCondition::kActiveAcknowledged);
  loggers[0]->HoldWind(5.0);
  ASSERT_TRUE(WaitBelow(0, 30.0f));
  shifted.Shift(11);
  ASSERT_TRUE(WaitForEvent(EventKind::kAlarmReturned, mark, kLevelTrip));
  EXPECT_TRUE(runtime->alarmEntries().empty());

  // An ACK with nothing waiting is not journalled.
  runtime->Acknowledge();
  EXPECT_EQ(Of(EventKind::kAlarmAcknowledged).size(), 2u);
}

TEST_F(RuntimeJournalTest, SilentStackRaisesNoCommWithTheAlarmSoundAfterTheDelayAndReturnsOnReply) {
  StartSite(2, 18);
  ASSERT_TRUE(WaitForFirstReplies(2));
  SetNoCommDelay(3);
  loggers[1]->SetFault(SimFault::kSilent);

  // Lost once the tile goes to no communication (two silent ticks)...
  ASSERT_TRUE(WaitForEvent(EventKind::kCommunicationLost));
  EXPECT_EQ(Last(EventKind::kCommunicationLost).stack, 1);
  EXPECT_EQ(Last(EventKind::kCommunicationLost).value, 2.0);
  EXPECT_TRUE(Of(EventKind::kAlarmRaised).empty());
  EXPECT_TRUE(sound.played.empty());

  // ...and an alarm once it has been silent longer than the delay.
  ASSERT_TRUE(WaitForEvent(EventKind::kAlarmRaised, 0, kLevelNoCommunication));
  EXPECT_EQ(Last(EventKind::kAlarmRaised).stack, 1);
  EXPECT_EQ(Last(EventKind::kAlarmRaised).value, 4.0);  // ticks silent
  EXPECT_EQ(sound.played, std::vector<std::string>{" looped"});  // the Alarm level's sound, looped
  ASSERT_NE(Entry(1, kLevelNoCommunication), nullptr);
  EXPECT_EQ(Entry(1, kLevelNoCommunication)->condition, AlarmCondition::kActiveUnacknowledged);
  EXPECT_EQ(Entry(0, kLevelNoCommunication), nullptr);  // the healthy stack is not in the list
  // Raised once, however long the silence lasts.
  ASSERT_TRUE(WaitTicks(2));
  EXPECT_EQ(Of(EventKind::kAlarmRaised).size(), 1u);
  // The lamp tower's level is the speed levels' alone.
  EXPECT_EQ(runtime->OverallLevel(), kLevelNone);

  // It answers: restored with how long it was lost, and the alarm returns
  // (unacknowledged, so it stays listed until ACK).
  loggers[1]->SetFault(SimFault::kNone);
  ASSERT_TRUE(WaitForEvent(EventKind::kCommunicationRestored));
  const StationEvent restored = Last(EventKind::kCommunicationRestored);
  EXPECT_EQ(restored.stack, 1);
  EXPECT_GT(restored.value, 0.0);
  ASSERT_TRUE(WaitForEvent(EventKind::kAlarmReturned, 0, kLevelNoCommunication));
  EXPECT_EQ(Entry(1, kLevelNoCommunication)->condition, AlarmCondition::kReturnedUnacknowledged);

  runtime->Acknowledge();
  EXPECT_TRUE(Contains(Last(EventKind::kAlarmAcknowledged).text, "#2 NO COMM (returned)"));
  EXPECT_TRUE(runtime->alarmEntries().empty());
  EXPECT_EQ(sound.stops, 1);
}

TEST_F(RuntimeJournalTest, NoCommSwitchedOffReturnsTheAlarmAndRaisesNoMore) {
  StartSite(1, 22);
  ASSERT_TRUE(WaitForFirstReplies(1));
  SetNoCommDelay(1);
  loggers[0]->SetFault(SimFault::kSilent);
  ASSERT_TRUE(WaitForEvent(EventKind::kAlarmRaised, 0, kLevelNoCommunication));

  StationIni off = runtime->stationIni();
  off.noComm.alarm = false;
  EXPECT_EQ(runtime->ApplyStationIni(off), "");
  const StationEvent changed = Last(EventKind::kConfigurationChanged);
  EXPECT_EQ(changed.kind, EventKind::kConfigurationChanged);
  EXPECT_TRUE(Contains(changed.text, "NO COMM alarm: on \u2192 off")) << changed.text;
  EXPECT_EQ(Of(EventKind::kAlarmReturned).size(), 1u);

  runtime->Acknowledge();
  const size_t mark = sink.events.size();
  const size_t played = sound.played.size();
  ASSERT_TRUE(WaitTicks(4));
  EXPECT_TRUE(Of(EventKind::kAlarmRaised, mark).empty());
  EXPECT_EQ(sound.played.size(), played);
  EXPECT_TRUE(runtime->alarmEntries().empty());
}

TEST_F(RuntimeJournalTest, DumpingStackIsNeverNoCommAndItsDumpIsJournalled) {
  StartSite(1, 26);
  ASSERT_TRUE(WaitForFirstReplies(1));
  SetNoCommDelay(1);
  SystemTime day = FromCivilSeconds(CivilSeconds(shifted.Now()) - 86400);
  day.hour = day.minute = day.second = 0;

  // A logger that answers nothing holds the dump (until its own 30 s time-out).
  loggers[0]->SetFault(SimFault::kSilent);
  ASSERT_EQ(runtime->StartDump(0, day), DumpStart::kStarted);
  const StationEvent started = Last(EventKind::kDumpStarted);
  EXPECT_EQ(started.stack, 0);
  const std::string dayText = FormatDay(day);
  EXPECT_TRUE(Contains(started.text, dayText)) << started.text;

  // Longer than the no-communication delay, but below the dump's own time-out.
  ASSERT_TRUE(WaitTicks(4));
  ASSERT_TRUE(runtime->DumpRunning());
  EXPECT_TRUE(Of(EventKind::kAlarmRaised).empty());
  EXPECT_TRUE(Of(EventKind::kCommunicationLost).empty());

  runtime->AbandonDump();
  const StationEvent ended = Last(EventKind::kDumpEnded);
  EXPECT_EQ(ended.stack, 0);
  EXPECT_TRUE(Contains(ended.text, dayText + " abandoned")) << ended.text;
  EXPECT_TRUE(Contains(ended.text, ": 0 blocks stored, 0 failed")) << ended.text;
  EXPECT_EQ(ended.value, 0.0);
  EXPECT_EQ(Of(EventKind::kDumpEnded).size(), 1u);

  // Polled again once the dump has ended: still silent, now it is no communication.
  ASSERT_TRUE(WaitForEvent(EventKind::kAlarmRaised, 0, kLevelNoCommunication));
  EXPECT_EQ(Of(EventKind::kCommunicationLost).size(), 1u);
}

TEST_F(RuntimeJournalTest, FillHolesRunIsJournalledWithItsDaysAndTotals) {
  StartSite(1, 30);
  ASSERT_TRUE(WaitForFirstReplies(1));
  std::vector<SystemTime> days;
  for (int back : {2, 1}) {
    SystemTime day = FromCivilSeconds(CivilSeconds(shifted.Now()) - back * 86400);
    day.hour = day.minute = day.second = 0;
    days.push_back(day);
  }
  FillHolesDriver driver(*runtime);
  bool finished = false;
  QObject::connect(&driver, &FillHolesDriver::finished, &driver, [&] { finished = true; });
  ASSERT_TRUE(driver.Start(0, days));
  ASSERT_TRUE(WaitFor([&] { return finished; }));

  const std::vector<StationEvent> runs = Of(EventKind::kFillHoles);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_TRUE(Contains(runs[0].text, "2 day(s), " + FormatDay(days[0]) + " to " + FormatDay(days[1])))
      << runs[0].text;
  EXPECT_TRUE(Contains(runs[1].text, "Fill holes done: 576 blocks stored")) << runs[1].text;
  EXPECT_EQ(runs[1].value, 576.0);
  EXPECT_EQ(runs[1].stack, 0);
  // Each day's dump is journalled between the run's start and end.
  const std::vector<StationEvent> ends = Of(EventKind::kDumpEnded);
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_TRUE(Contains(ends[0].text, "completed: 288 blocks stored, 0 failed")) << ends[0].text;
  EXPECT_EQ(ends[1].value, 288.0);
  std::vector<EventKind> order;
  for (EventKind k : Kinds()) {
    if (k == EventKind::kFillHoles || k == EventKind::kDumpStarted || k == EventKind::kDumpEnded) order.push_back(k);
  }
  EXPECT_EQ(order, (std::vector<EventKind>{EventKind::kFillHoles, EventKind::kDumpStarted, EventKind::kDumpEnded,
                                           EventKind::kDumpStarted, EventKind::kDumpEnded, EventKind::kFillHoles}));

  // A chosen day is a day dump only.
  finished = false;
  ASSERT_TRUE(driver.Start(0, {days[1]}, FillHolesDriver::kChosenDay));
  ASSERT_TRUE(WaitFor([&] { return finished; }));
  EXPECT_EQ(Of(EventKind::kFillHoles).size(), 2u);
  EXPECT_EQ(Of(EventKind::kDumpEnded).size(), 3u);
}

TEST_F(RuntimeJournalTest, FirmwareUploadStartAndEndAreJournalled) {
  StartSite(1, 34);
  ASSERT_TRUE(WaitForFirstReplies(1));
  const QString path = dir.filePath(QStringLiteral("image.bin"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(QByteArray(2500, 'x')), 2500);
  }
  ASSERT_TRUE(runtime->SetFirmwareImage(path));
  ASSERT_TRUE(loggers[0]->SendAppe());
  ASSERT_TRUE(WaitForEvent(EventKind::kFirmwareEnded));
  const StationEvent started = Last(EventKind::kFirmwareStarted);
  EXPECT_EQ(started.stack, 0);
  EXPECT_EQ(started.value, 3.0);  // pages 0..2
  const StationEvent ended = Last(EventKind::kFirmwareEnded);
  EXPECT_EQ(ended.stack, 0);
  EXPECT_EQ(ended.text, "Firmware upload finished: 3 of 3 pages sent");
}

TEST_F(RuntimeJournalTest, ConfigurationChangeNamesOldAndNewValuesOncePerChange) {
  StartSite(1, 38);
  auto edited = std::make_unique<Settings>(runtime->settings());
  edited->stacks[0].alarmSpeed = 32.0;
  ASSERT_TRUE(SetFieldUtf8(edited->stacks[0].title, "North", 80));
  runtime->ApplySettings(*edited);
  ASSERT_EQ(Of(EventKind::kConfigurationChanged).size(), 1u);
  const StationEvent changed = Last(EventKind::kConfigurationChanged);
  EXPECT_EQ(changed.value, 2.0);
  EXPECT_TRUE(Contains(changed.text, "Alarm speed: 30.0 \u2192 32.0")) << changed.text;
  EXPECT_TRUE(Contains(changed.text, "Stack #1 title: \"STACK #1\" \u2192 \"North\"")) << changed.text;

  // OK without a change journals nothing.
  runtime->ApplySettings(*edited);
  StationIni same = runtime->stationIni();
  runtime->ApplyStationIni(same);
  EXPECT_EQ(Of(EventKind::kConfigurationChanged).size(), 1u);

  StationIni slower = same;
  slower.noComm.delaySeconds = 25;
  runtime->ApplyStationIni(slower);
  EXPECT_EQ(Last(EventKind::kConfigurationChanged).text, "NO COMM delay (s): 10 \u2192 25");
}

TEST_F(RuntimeJournalTest, TestSpeedModeOnAndOff) {
  StartSite(1, 42);
  runtime->SetTestSpeedMode(2);
  runtime->SetTestSpeedMode(2);  // no change
  runtime->SetTestSpeedMode(0);
  const std::vector<StationEvent> modes = Of(EventKind::kTestSpeedMode);
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_EQ(modes[0].value, 44.5);
  EXPECT_TRUE(Contains(modes[0].text, "on (Ctrl+F3)")) << modes[0].text;
  EXPECT_EQ(modes[1].value, 0.0);
  EXPECT_EQ(modes[1].text, "Test speed mode off");
}

TEST_F(RuntimeJournalTest, RecordingThatCannotWriteAndThenResumesIsJournalledOnce) {
  // The month file of stack 1 is a directory: its seconds cannot be written.
  const SystemTime now = shifted.Now();
  const QString blocker = dir.filePath(QStringLiteral("Stack001/%1_%2.dat").arg(now.year).arg(now.month, 2, 10, QChar('0')));
  ASSERT_TRUE(QDir().mkpath(blocker));
  StartSite(1, 46);
  ASSERT_TRUE(WaitForEvent(EventKind::kRecordingState));
  EXPECT_EQ(Last(EventKind::kRecordingState).value, static_cast<double>(RecordingState::kFailing));
  ASSERT_TRUE(WaitTicks(2));
  EXPECT_EQ(Of(EventKind::kRecordingState).size(), 1u);  // once, not every tick

  ASSERT_TRUE(QDir(blocker).removeRecursively());
  ASSERT_TRUE(WaitFor([&] { return Of(EventKind::kRecordingState).size() >= 2; }));
  const StationEvent resumed = Last(EventKind::kRecordingState);
  EXPECT_EQ(resumed.value, static_cast<double>(RecordingState::kOk));
  EXPECT_EQ(resumed.text, "Recording resumed.");
}

}  // namespace
}  // namespace ws::test
