// What a day dump leaves in the record files, and what the operator is told
// when the files refuse it; against a simulated logger.
#include <filesystem>

#include "dump_window_fixture.h"

namespace ws::test {
namespace {

class DumpRecordsTest : public DumpWindowFixture {};

TEST_F(DumpRecordsTest, DumpKeepsTheRecordedSecondsTheLoggerLacks) {
  StartSite(1, 60);
  const SystemTime day = DaysAgo(1);
  // The station recorded the whole day itself (a calm 0.5 from 10 degrees).
  const Sample recorded{10.0f, 0.5f};
  const std::vector<Sample> whole(86400, recorded);
  for (int b = 0; b < kBlocksPerDay; ++b) {
    ASSERT_EQ(WriteRecordBlock(dir.path().toStdString(), 0, day.year, day.month, day.day, b / 12, b % 12 * 5,
                               std::span<const Sample>(whole).subspan(static_cast<size_t>(b) * 300, 300)),
              RecordStatus::kOk);
  }
  DumpDay(0, day);
  ASSERT_TRUE(WaitFor([&] { return !dump->Busy(); }, 20000));
  ASSERT_EQ(runtime->dump().LastEnd(), DumpEnd::kCompleted);

  const std::vector<Sample> samples = ReadDay(0, day);
  int lacking = 0;
  int wrong = 0;
  for (int s = 0; s < 86400; ++s) {
    const bool logged = HistorySample(0, day.year, day.month, day.day, s).has_value();
    lacking += !logged;
    const Sample want = logged ? Logged(0, day, s) : recorded;
    if (!Near(samples[static_cast<size_t>(s)], want) && ++wrong <= 5) {
      ADD_FAILURE() << "second " << s << (logged ? " (logged)" : " (the logger lacks it)");
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(lacking, 0);  // the logger does lack seconds that day
}

TEST_F(DumpRecordsTest, RefusedWritesStopTheDumpAndAreReportedAsFailed) {
  StartSite(1, 65);
  const SystemTime day = DaysAgo(40);
  // A directory where the month file belongs: every block write is refused.
  std::filesystem::create_directories(RecordFilePath(dir.path().toStdString(), 0, day.year, day.month));
  DumpDay(0, day);
  ASSERT_TRUE(WaitFor([&] { return !dump->Busy(); }, 20000));
  EXPECT_EQ(runtime->dump().LastEnd(), DumpEnd::kWriteFailed);
  EXPECT_EQ(runtime->dump().BlocksStored(), 0);
  EXPECT_EQ(runtime->dump().BlocksFailed(), 1);
  EXPECT_FALSE(progress->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }, 2000));
  EXPECT_EQ(messages[0].text, QStringLiteral("Dump stopped: a block could not be written.\n"
                                             "STACK #1: 0 blocks stored, 1 failed (month file not found)."));
  EXPECT_EQ(messages[0].type & 0xF0, kMbIconError);
  // The dump asked for nothing after the refused block.
  EXPECT_EQ(Count(0, Request(day, 0, 5)), 0);
  ASSERT_FALSE(dumpEnabled.empty());
  EXPECT_TRUE(dumpEnabled.back());
}

TEST_F(DumpRecordsTest, FillHolesStopsAtTheFirstRefusedWriteAndTellsTheTotals) {
  StartSite(1, 70);
  // Two past months, neither the one being recorded.
  const SystemTime first = DaysAgo(75);
  const SystemTime second = DaysAgo(40);
  std::filesystem::create_directories(RecordFilePath(dir.path().toStdString(), 0, second.year, second.month));
  ASSERT_TRUE(dump->FillHoles(0, {first, second}));
  ASSERT_TRUE(WaitFor([&] { return !dump->Busy(); }, 40000));
  EXPECT_EQ(dump->fillHoles().run().LastEnd(), FillHolesEnd::kWriteFailed);
  EXPECT_FALSE(progress->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }, 2000));
  EXPECT_EQ(messages[0].text, QStringLiteral("Dump stopped: a block could not be written.\n"
                                             "STACK #1: 288 blocks stored, 1 failed (month file not found), "
                                             "1 of 2 days complete."));
  EXPECT_EQ(messages[0].type & 0xF0, kMbIconError);
  EXPECT_EQ(Count(0, Request(second, 0, 5)), 0);
}

}  // namespace
}  // namespace ws::test
