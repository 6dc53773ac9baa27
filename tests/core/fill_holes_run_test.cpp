#include "core/fill_holes_run.h"

#include <gtest/gtest.h>

#include <vector>

namespace ws {
namespace {

SystemTime Day(int day) { return SystemTime{2026, 3, 0, static_cast<uint16_t>(day), 0, 0, 0, 0}; }

// Starts dumps as the runtime would: refuses days listed as out of reach, and
// reports an abandoned dump's end at once, as the runtime's signal does.
class FakeDumper final : public DayDumper {
 public:
  DumpStart StartDump(int stack, const SystemTime& day) override {
    for (const int d : outOfReach) {
      if (day.day == d) return DumpStart::kInvalidDate;
    }
    if (running) return DumpStart::kBusy;
    running = true;
    started.push_back(day.day);
    lastStack = stack;
    return DumpStart::kStarted;
  }
  void AbandonDump() override {
    if (!running) return;
    running = false;
    if (run != nullptr) run->OnDayFinished(DumpEnd::kAbandoned, 7, 0, "");
  }
  bool DumpRunning() const override { return running; }

  // The running day's dump ends.
  FillHolesRun::Step End(DumpEnd end, int stored, int failed = 0, const std::string& why = "") {
    running = false;
    return run->OnDayFinished(end, stored, failed, why);
  }

  FillHolesRun* run = nullptr;
  bool running = false;
  std::vector<int> outOfReach;
  std::vector<int> started;
  int lastStack = -1;
};

class FillHolesRunTest : public ::testing::Test {
 protected:
  FillHolesRunTest() { dumper.run = &run; }
  FakeDumper dumper;
  FillHolesRun run{dumper};
};

TEST_F(FillHolesRunTest, DaysAreDumpedInTurnAndTheTotalsAddUp) {
  ASSERT_TRUE(run.Start(4, {Day(1), Day(2), Day(3)}));
  EXPECT_EQ(dumper.lastStack, 4);
  EXPECT_EQ(run.Progress(50), 16);
  EXPECT_EQ(dumper.End(DumpEnd::kCompleted, 288), FillHolesRun::Step::kNextDay);
  ASSERT_TRUE(run.StartNext());
  EXPECT_EQ(run.Day(), Day(2));
  EXPECT_EQ(run.Progress(50), 50);
  EXPECT_EQ(dumper.End(DumpEnd::kCompleted, 288), FillHolesRun::Step::kNextDay);
  ASSERT_TRUE(run.StartNext());
  EXPECT_EQ(dumper.End(DumpEnd::kCompleted, 288), FillHolesRun::Step::kEnded);
  EXPECT_FALSE(run.Active());
  EXPECT_EQ(run.LastEnd(), FillHolesEnd::kDone);
  EXPECT_EQ(dumper.started, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(FillHolesSummary(run.totals()), "864 blocks stored, 3 of 3 days complete.");
}

TEST_F(FillHolesRunTest, DaysThatMidnightMovedOutOfReachAreSkipped) {
  dumper.outOfReach = {1};
  ASSERT_TRUE(run.Start(0, {Day(1), Day(2), Day(3)}));
  EXPECT_EQ(run.DayIndex(), 1u);
  dumper.outOfReach = {1, 3};  // midnight passes during day 2
  EXPECT_EQ(dumper.End(DumpEnd::kCompleted, 288), FillHolesRun::Step::kNextDay);
  EXPECT_FALSE(run.StartNext());
  EXPECT_EQ(run.LastEnd(), FillHolesEnd::kDone);
  EXPECT_EQ(dumper.started, std::vector<int>{2});
  EXPECT_EQ(FillHolesSummary(run.totals()), "288 blocks stored, 1 of 3 days complete.");
  // No day in reach at all: nothing runs.
  dumper.outOfReach = {1, 2, 3};
  EXPECT_FALSE(run.Start(0, {Day(1), Day(2), Day(3)}));
  EXPECT_FALSE(run.Active());
}

TEST_F(FillHolesRunTest, RefusedWriteStopsTheRunAndTheFailureIsCounted) {
  ASSERT_TRUE(run.Start(0, {Day(1), Day(2), Day(3)}));
  ASSERT_EQ(dumper.End(DumpEnd::kCompleted, 288), FillHolesRun::Step::kNextDay);
  ASSERT_TRUE(run.StartNext());
  EXPECT_EQ(dumper.End(DumpEnd::kWriteFailed, 40, 1, "no space left on the disk"), FillHolesRun::Step::kEnded);
  EXPECT_FALSE(run.Active());
  EXPECT_EQ(run.LastEnd(), FillHolesEnd::kWriteFailed);
  EXPECT_EQ(run.totals().blocksStored, 328);
  EXPECT_EQ(run.totals().blocksFailed, 1);
  EXPECT_EQ(FillHolesSummary(run.totals()),
            "328 blocks stored, 1 failed (no space left on the disk), 1 of 3 days complete.");
  EXPECT_EQ(dumper.started, (std::vector<int>{1, 2}));
}

TEST_F(FillHolesRunTest, CancelDuringADayAndBetweenDaysEndsTheRunAsCancelled) {
  ASSERT_TRUE(run.Start(0, {Day(1), Day(2)}));
  run.Cancel();  // the dump is abandoned; its 7 blocks stay counted
  EXPECT_FALSE(run.Active());
  EXPECT_FALSE(dumper.running);
  EXPECT_EQ(run.LastEnd(), FillHolesEnd::kCancelled);
  EXPECT_EQ(FillHolesSummary(run.totals()), "7 blocks stored, 0 of 2 days complete.");

  ASSERT_TRUE(run.Start(0, {Day(1), Day(2)}));
  ASSERT_EQ(dumper.End(DumpEnd::kCompleted, 288), FillHolesRun::Step::kNextDay);
  run.Cancel();  // before the next day starts
  EXPECT_EQ(run.LastEnd(), FillHolesEnd::kCancelled);
  EXPECT_FALSE(run.StartNext());
  EXPECT_EQ(FillHolesSummary(run.totals()), "288 blocks stored, 1 of 2 days complete.");

  ASSERT_TRUE(run.Start(0, {Day(1)}));
  run.Abandon();
  EXPECT_EQ(run.LastEnd(), FillHolesEnd::kAbandoned);
  EXPECT_EQ(FillHolesSummary(run.totals()), "7 blocks stored.");
}

TEST_F(FillHolesRunTest, TimeOutEndsTheRunAndABusyDumperRefusesIt) {
  ASSERT_TRUE(run.Start(0, {Day(1), Day(2)}));
  EXPECT_FALSE(run.Start(0, {Day(3)}));  // one run at a time
  EXPECT_EQ(dumper.End(DumpEnd::kTimedOut, 30), FillHolesRun::Step::kEnded);
  EXPECT_EQ(run.LastEnd(), FillHolesEnd::kTimedOut);
  dumper.running = true;  // another dump is going
  EXPECT_FALSE(run.Start(0, {Day(1)}));
  EXPECT_FALSE(run.Start(0, {}));
}

TEST(FillHolesDays, OnlyIncompleteDaysBeforeTodayOldestFirst) {
  std::vector<DayShare> window;
  for (int d = 1; d <= 5; ++d) window.push_back(DayShare{2026, 3, d, d == 2 ? 86400 : d * 100});
  const std::vector<SystemTime> days = FillHolesRun::DaysToFill(window, Day(4));
  ASSERT_EQ(days.size(), 2u);
  EXPECT_EQ(days[0], Day(1));
  EXPECT_EQ(days[1], Day(3));
}

}  // namespace
}  // namespace ws
