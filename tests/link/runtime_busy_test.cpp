// A day dump or a firmware upload holds only the stack whose link carries it:
// every other stack goes on being polled, judged, shown on the lamp tower and
// recorded. And after a change of the stack count every tile is told its state.
#include <QFile>

#include <cmath>
#include <set>

#include "core/alarm_thresholds.h"
#include "core/record_file.h"
#include "core/signal_lamp.h"
#include "runtime_fixture.h"
#include "tools/sim/sim_history.h"

namespace ws::test {
namespace {

// Trip, not acknowledged, sounds on: red and yellow blinking, buzzer on.
QByteArray TripMessage() {
  const SignalLampMessage m = BuildSignalLampMessage(kLevelTrip, true, true);
  return QByteArray(reinterpret_cast<const char*>(m.data()), static_cast<qsizetype>(m.size()));
}

class RuntimeBusyTest : public RuntimeFixture {
 protected:
  // Collects the tile signals of every stack, in order.
  void WatchTiles() {
    QObject::connect(runtime.get(), &StationRuntime::stackNoCommunication, runtime.get(),
                     [this](int stack) { tiles.push_back({stack, kTileNoCommunication}); });
    QObject::connect(runtime.get(), &StationRuntime::stackBusy, runtime.get(),
                     [this](int stack) { tiles.push_back({stack, kTileBusy}); });
    QObject::connect(runtime.get(), &StationRuntime::stackUpdated, runtime.get(),
                     [this](int stack, float, float, int state) { tiles.push_back({stack, state}); });
  }
  bool Told(int stack, int state, size_t from = 0) const {
    for (size_t k = from; k < tiles.size(); ++k) {
      if (tiles[k].first == stack && tiles[k].second == state) return true;
    }
    return false;
  }

  std::vector<Sample> RecordedDay(int stack, const SystemTime& day) const {
    std::vector<Sample> samples(86400);
    EXPECT_EQ(ReadRecordSamples(dir.path().toStdString(), stack, day.year, day.month,
                                record::SlotOf(day.day, 0, 0, 0), samples),
              RecordStatus::kOk);
    return samples;
  }

  std::vector<std::pair<int, int>> tiles;
};

TEST_F(RuntimeBusyTest, WhileOneStackDumpsAnotherRisesToTripOnTheTowerAndIsRecorded) {
  StartSite(2, 140, 142);
  ASSERT_TRUE(WaitForFirstReplies(2));
  WatchTiles();
  std::vector<int> ends;
  QObject::connect(runtime.get(), &StationRuntime::dumpFinished, runtime.get(),
                   [&](int end) { ends.push_back(end); });

  // Every block of stack 1 comes late: the day takes seconds.
  loggers[0]->SetFault(SimFault::kSlowBlocks);
  const SystemTime day = Yesterday();
  ASSERT_EQ(runtime->StartDump(0, day), DumpStart::kStarted);
  const int64_t dumpStarted = CivilSeconds(clock.Now());
  EXPECT_TRUE(runtime->IsBusy(0));
  EXPECT_FALSE(runtime->IsBusy(1));
  EXPECT_EQ(runtime->TileState(0), kTileBusy);
  EXPECT_TRUE(Told(0, kTileBusy));

  // Stack 2 rises to Trip: the tower shows it while the dump still runs.
  loggers[1]->HoldWind(50.0);
  ASSERT_TRUE(WaitFor([&] { return lamp->LastMessage() == TripMessage() || !runtime->DumpRunning(); }, 20000));
  ASSERT_TRUE(runtime->DumpRunning()) << "the dump ended before the tower showed Trip";
  EXPECT_EQ(runtime->OverallLevel(), kLevelTrip);
  EXPECT_EQ(runtime->TileState(1), kTileTrip);
  EXPECT_EQ(runtime->TileState(0), kTileBusy);
  // Let stack 2 be recorded for a few seconds of the dump.
  const int64_t tripSeen = CivilSeconds(clock.Now());
  ASSERT_TRUE(WaitFor([&] { return CivilSeconds(clock.Now()) >= tripSeen + 3 || !runtime->DumpRunning(); }, 10000));
  const bool stillDumping = runtime->DumpRunning();
  const int64_t recordedUpTo = CivilSeconds(clock.Now()) - 1;

  ASSERT_TRUE(WaitFor([&] { return !ends.empty(); }, 60000));
  EXPECT_EQ(ends, std::vector<int>{static_cast<int>(DumpEnd::kCompleted)});
  // The dumped stack was never judged silent while its dump answered.
  EXPECT_FALSE(Told(0, kTileNoCommunication));

  // Its link carried only the dump: no poll between the first request and the
  // one that closes the day.
  const QList<QByteArray> commands = loggers[0]->CommandTexts();
  const auto first = std::find_if(commands.begin(), commands.end(),
                                  [](const QByteArray& c) { return c.startsWith("R002?"); });
  const auto last = std::find_if(commands.rbegin(), commands.rend(),
                                 [](const QByteArray& c) { return c.startsWith("R002?"); });
  ASSERT_TRUE(first != commands.end());
  EXPECT_EQ(std::count(first, last.base(), QByteArray("R000?")), 0);

  // Stack 2's seconds during the dump hold its own changing values, Trip high.
  ASSERT_TRUE(stillDumping);
  const SystemTime today = clock.Now();
  const std::vector<Sample> live = RecordedDay(1, today);
  const int64_t midnight = CivilSeconds(today) - (today.hour * 3600 + today.minute * 60 + today.second);
  std::set<float> speeds;
  int high = 0;
  for (int64_t s = tripSeen + 1; s <= recordedUpTo && s >= dumpStarted && s > midnight; ++s) {
    const Sample& got = live[static_cast<size_t>(s - midnight)];
    speeds.insert(got.speed);
    if (got.speed >= 45.0f) ++high;
  }
  EXPECT_GE(high, 2);
  EXPECT_GE(speeds.size(), 2u) << "stack 2 was recorded with one stale value";

  // The dumped day matches the logger second for second.
  const std::vector<Sample> dumped = RecordedDay(0, day);
  int wrong = 0;
  for (int s = 0; s < 86400; ++s) {
    const std::optional<SimSample> h = HistorySample(0, day.year, day.month, day.day, s);
    const Sample want = h ? Sample{static_cast<float>(h->directionTenths / 10.0),
                                   static_cast<float>(h->speedTenths / 10.0)}
                          : Sample{};
    const Sample& got = dumped[static_cast<size_t>(s)];
    if (std::fabs(got.direction - want.direction) > 1e-3f || std::fabs(got.speed - want.speed) > 1e-3f) {
      if (++wrong <= 5) ADD_FAILURE() << "second " << s << ": " << got.direction << "/" << got.speed;
    }
  }
  EXPECT_EQ(wrong, 0);

  // Stack 1 is polled again, and its tile follows its logger.
  const int64_t after = LiveReplies(0);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(0) > after; }, 4000));
  EXPECT_NE(runtime->TileState(0), kTileBusy);
  EXPECT_FALSE(runtime->IsBusy(0));
}

TEST_F(RuntimeBusyTest, UploadToOneStackLeavesTheOtherPolled) {
  StartSite(2, 145);
  ASSERT_TRUE(WaitForFirstReplies(2));
  WatchTiles();
  // 200 pages, each answered 25 ms late: the upload lasts seconds.
  const QString path = dir.filePath(QStringLiteral("image.bin"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(QByteArray(200 * 1024, '\x5A')), 200 * 1024);
  }
  ASSERT_TRUE(runtime->SetFirmwareImage(path));
  int64_t repliesAtStart = -1;
  int64_t repliesAtEnd = -1;
  bool busyShown = false;
  int finished = -1;
  QObject::connect(runtime.get(), &StationRuntime::firmwareStarted, runtime.get(), [&](int) {
    repliesAtStart = LiveReplies(0);
    busyShown = runtime->TileState(1) == kTileBusy && runtime->IsBusy(1) && !runtime->IsBusy(0);
  });
  QObject::connect(runtime.get(), &StationRuntime::firmwareFinished, runtime.get(), [&](int end) {
    repliesAtEnd = LiveReplies(0);
    finished = end;
  });
  loggers[1]->SetFault(SimFault::kSlowBlocks);
  ASSERT_TRUE(loggers[1]->SendAppe());
  ASSERT_TRUE(WaitFor([&] { return finished >= 0; }, 60000));
  EXPECT_EQ(finished, static_cast<int>(FirmwareEnd::kFinished));
  EXPECT_TRUE(busyShown);
  EXPECT_GT(repliesAtEnd, repliesAtStart) << "stack 1 was not polled during the upload";
  EXPECT_FALSE(Told(1, kTileNoCommunication));

  // Stack 2's link carried nothing but the upload from its first page to "REST:".
  const QList<QByteArray> commands = loggers[1]->CommandTexts();
  const qsizetype first = commands.indexOf(QByteArray("APPW:0000"));
  const qsizetype rest = commands.indexOf(QByteArray("REST:"));
  ASSERT_GE(first, 0);
  ASSERT_GT(rest, first);
  EXPECT_EQ(std::count(commands.begin() + first, commands.begin() + rest, QByteArray("R000?")), 0);
  const int64_t after = LiveReplies(1);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(1) > after; }, 4000));
}

TEST_F(RuntimeBusyTest, AfterANewStackCountEveryKeptStackIsToldItsStateAgain) {
  StartSite(2, 150);
  ASSERT_TRUE(WaitForFirstReplies(2));
  WatchTiles();
  loggers[1]->SetFault(SimFault::kSilent);
  ASSERT_TRUE(WaitFor([&] { return runtime->TileState(1) == kTileNoCommunication; }, 5000));

  size_t rebuiltAt = 0;
  QObject::connect(runtime.get(), &StationRuntime::stacksRebuilt, runtime.get(),
                   [&](int) { rebuiltAt = tiles.size(); });
  Settings edited = runtime->settings();
  edited.stackCount = 3;  // the third logger's address is nobody's
  runtime->ApplySettings(edited);
  ASSERT_EQ(runtime->stackCount(), 3);
  // The windows make new tiles on stacksRebuilt: the silent stack must turn back
  // to no communication, the answering one show its values, without waiting for a change.
  EXPECT_TRUE(Told(1, kTileNoCommunication, rebuiltAt));
  EXPECT_TRUE(Told(0, runtime->TileState(0), rebuiltAt));
  EXPECT_GE(runtime->TileState(0), kTileNormal);
  // Supervision of the kept silent stack goes on: it is rebuilt, not forgotten.
  const int connects = runtime->link(1)->ConnectCount();
  EXPECT_TRUE(WaitFor([&] { return runtime->link(1)->ConnectCount() > connects; }, 6000));
  EXPECT_EQ(runtime->TileState(1), kTileNoCommunication);
}

}  // namespace
}  // namespace ws::test
