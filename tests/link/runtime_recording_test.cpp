// What the record tick writes: only seconds a logger answered for, with the values
// it measured.
#include "core/hole_map.h"
#include "core/record_file.h"
#include "runtime_fixture.h"

namespace ws::test {
namespace {

class RuntimeRecordingTest : public RuntimeFixture {
 protected:
  int64_t Now() const { return CivilSeconds(clock.Now()); }
  bool WaitUntilSecond(int64_t second) {
    return WaitFor([&] { return Now() >= second; }, static_cast<int>((second - Now()) * 1000 + 10000));
  }
  // The recorded sample of stack 0 at a second of the clock.
  Sample At(int64_t second) const { return RecordedAt(0, second); }
};

TEST_F(RuntimeRecordingTest, SilentLoggerLeavesItsSecondsEmptyAndTheDayPartlyRecorded) {
  StartSite(1, 155);
  ASSERT_TRUE(WaitForFirstReplies(1));
  const int64_t answering = Now() + 1;
  ASSERT_TRUE(WaitUntilSecond(answering + 3));

  loggers[0]->SetFault(SimFault::kSilent);
  const int64_t silenced = Now();
  ASSERT_TRUE(WaitFor([&] { return runtime->TileState(0) == kTileNoCommunication; }, 6000));
  ASSERT_TRUE(WaitUntilSecond(silenced + 6));
  const int64_t resumed = Now();
  loggers[0]->SetFault(SimFault::kNone);
  const int64_t replies = LiveReplies(0);
  ASSERT_TRUE(WaitFor([&] { return LiveReplies(0) > replies; }, 8000));
  const int64_t answeredAgain = Now();
  ASSERT_TRUE(WaitUntilSecond(answeredAgain + 3));

  // Seconds answered before the silence and after it hold samples. A reply on its
  // way when the logger fell silent may arrive a second later and count for the
  // second after that; no later second is recorded until the logger answers again.
  for (int64_t s = answering; s < silenced; ++s) EXPECT_NE(At(s), Sample{}) << "second " << s - answering;
  for (int64_t s = silenced + 3; s < resumed; ++s) {
    EXPECT_EQ(At(s), Sample{}) << "silent second " << s - silenced << " recorded as measured";
  }
  for (int64_t s = answeredAgain + 1; s < answeredAgain + 3; ++s) EXPECT_NE(At(s), Sample{});

  // The hole map counts only what was answered: today is partly recorded, and
  // the silent seconds are among its holes.
  const SystemTime today = clock.Now();
  HoleMapCache holes(dir.path().toStdString());
  const std::vector<DayShare> window = holes.Window(0, today, 1);
  ASSERT_EQ(window.size(), 1u);
  EXPECT_EQ(window[0].Coverage(), DayCoverage::kPartly);
  const int64_t span = Now() - answering + 3;  // the first reply's second to the next one
  EXPECT_LE(window[0].recorded, static_cast<int>(span - (resumed - silenced - 3)));
}

TEST_F(RuntimeRecordingTest, TestSpeedModeRecordsWhatTheLoggerMeasured) {
  StartSite(1, 158);
  ASSERT_TRUE(WaitForFirstReplies(1));
  runtime->SetTestSpeedMode(2);
  const int64_t forced = Now() + 1;
  ASSERT_TRUE(WaitFor([&] { return runtime->statistics().Stack(0).speed == 44.5f; }, 4000));
  ASSERT_TRUE(WaitUntilSecond(forced + 4));
  runtime->SetTestSpeedMode(0);
  // The unheld simulated wind stays below 30 m/s: a forced 44.5 cannot pass for it.
  for (int64_t s = forced; s < forced + 4; ++s) {
    const Sample got = At(s);
    EXPECT_NE(got, Sample{}) << "second " << s - forced;
    EXPECT_LT(got.speed, 30.0f) << "second " << s - forced << " recorded the forced speed";
  }
}

}  // namespace
}  // namespace ws::test
