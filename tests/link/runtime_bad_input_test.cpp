// Misbehaving loggers next to a healthy one: split, joined, short, garbled and
// flooding replies cost only their own stack.
#include <QElapsedTimer>

#include <cmath>

#include "core/alarm_thresholds.h"
#include "runtime_fixture.h"

namespace ws::test {
namespace {

class RuntimeBadInputTest : public RuntimeFixture {};

TEST_F(RuntimeBadInputTest, BadRepliesNeverDisturbOtherStacks) {
  StartSite(6, 90);
  ASSERT_TRUE(WaitForFirstReplies(6));
  loggers[1]->SetFault(SimFault::kSplit);
  loggers[2]->SetFault(SimFault::kJoin);
  loggers[3]->SetFault(SimFault::kShort);
  loggers[4]->SetFault(SimFault::kGarbage);
  loggers[5]->SetFault(SimFault::kFlood);
  QElapsedTimer sinceFlood;
  sinceFlood.start();
  Pump(300);
  const StackStatistics shortBefore = runtime->statistics().Stack(3);
  updates.clear();

  // Four supervision ticks: replies per tick, about two for a healthy stack.
  constexpr int kTicks = 4;
  std::array<int64_t, 6> before{};
  std::array<int64_t, 6> after{};
  int ticks = -1;
  const int garbageConnects = runtime->link(4)->ConnectCount();
  {
    QObject scope;
    QObject::connect(runtime.get(), &StationRuntime::clockTick, &scope, [&] {
      ++ticks;
      for (int i = 0; i < 6; ++i) {
        if (ticks == 0) before[static_cast<size_t>(i)] = LiveReplies(i);
        if (ticks == kTicks) after[static_cast<size_t>(i)] = LiveReplies(i);
      }
    });
    ASSERT_TRUE(WaitFor([&] { return ticks >= kTicks; }));
  }
  // The flood's byte budget is a wall-clock rate by design: its bound below
  // grows with the time this took, so a slow run cannot fail it.
  const double seconds = static_cast<double>(sinceFlood.elapsed()) / 1000.0;
  auto rate = [&](int i) {
    return static_cast<double>(after[static_cast<size_t>(i)] - before[static_cast<size_t>(i)]) / kTicks;
  };

  EXPECT_GE(rate(0), 1.2) << "the healthy stack lost polls";
  EXPECT_GE(rate(1), 1.0) << "split replies are reassembled";
  EXPECT_GE(rate(2), 1.2) << "joined replies are taken apart";
  EXPECT_EQ(rate(3), 0.0) << "a short reply is never decoded";
  // A short "R000:" still answers the poll. (Garbage is a sign of life too, but
  // it does not re-arm the poll, so that tile drops to no communication between
  // supervision polls.)
  for (int i : {1, 2, 3, 5}) EXPECT_NE(runtime->TileState(i), kTileNoCommunication) << "stack " << i;
  EXPECT_EQ(runtime->link(4)->ConnectCount(), garbageConnects) << "a garbling logger is not silent";
  EXPECT_EQ(runtime->statistics().Stack(3).speed, shortBefore.speed);
  EXPECT_EQ(runtime->statistics().Stack(3).direction, shortBefore.direction);

  // Every decoded value is a plausible wind from that stack's own logger.
  for (const Update& u : updates) {
    if (u.stack == 4) continue;  // garbage may happen to decode
    EXPECT_TRUE(std::isfinite(u.speed) && u.speed >= 0.0f && u.speed < 100.0f) << u.stack << " " << u.speed;
    EXPECT_TRUE(std::isfinite(u.direction) && u.direction >= 0.0f && u.direction < 360.0f)
        << u.stack << " " << u.direction;
  }
  // The flood was held back: far less than the 3 MB/s the logger tries to send.
  EXPECT_LT(runtime->counters().bytesReceived[5], static_cast<int64_t>(2 * CNexSock::kDefaultReceiveBudget * (seconds + 2)));
}

TEST_F(RuntimeBadInputTest, AFloodThatEndsLeavesNoStaleRepliesBehind) {
  // Found by the soak run: the megabytes a flood leaves in the socket buffers were
  // read at the receive budget's pace, so a logger well again (here blowing near
  // the Stop level) showed its stale flood values for some eight seconds.
  StartSite(2, 92);
  ASSERT_TRUE(WaitForFirstReplies(2));
  loggers[0]->SetFault(SimFault::kFlood);
  Pump(4000);
  // Counted in supervision ticks (the station's own clock) from the flood's end.
  int ticks = 0;
  QObject::connect(runtime.get(), &StationRuntime::clockTick, runtime.get(), [&] { ++ticks; });
  loggers[0]->SetFault(SimFault::kNone);
  loggers[0]->HoldWind(41.0);
  ASSERT_TRUE(WaitFor([&] { return runtime->statistics().Stack(0).speed > 40.0f; }, 15000))
      << "the fresh value never arrived";
  // A poll or two; before the fix the stale values held for some eight ticks.
  EXPECT_LE(ticks, 4) << "stale flood replies delayed the fresh value";
  EXPECT_GT(runtime->link(0)->DroppedBytes(), 0) << "the flood's excess was dropped unseen";
  EXPECT_GE(RepliesPerTick(1, 3), 1.2) << "the other stack kept its polls";
}

}  // namespace
}  // namespace ws::test
