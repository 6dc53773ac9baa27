// Something other than a regular file where a month file belongs (a FIFO, a
// directory) reads as a missing month everywhere a record file is opened, and
// no opening ever waits for the other end of a FIFO.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "core/hole_map.h"
#include "core/record_file.h"
#include "core/recorder.h"
#include "core/report_search.h"
#include "core/span_summary.h"
#include "support/month_files.h"

namespace ws {
namespace {

namespace fs = std::filesystem;
using test::At;

// Runs `call` on a thread of its own and fails the test when it has not returned
// within a generous deadline. A call stuck opening the FIFO is then freed by
// opening the FIFO's other end, so a failing test ends instead of hanging.
template <typename Call>
auto Bounded(const std::string& fifo, Call call) {
  auto result = std::async(std::launch::async, call);
  if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "opening " << fifo << " blocked";
    for (int attempt = 0; attempt < 600; ++attempt) {
      for (const int flags : {O_WRONLY | O_NONBLOCK, O_RDONLY | O_NONBLOCK}) {
        const int fd = ::open(fifo.c_str(), flags);
        if (fd >= 0) ::close(fd);
      }
      if (result.wait_for(std::chrono::milliseconds(100)) == std::future_status::ready) break;
    }
  }
  return result.get();
}

class IrregularRecordFileTest : public ::testing::Test {
 protected:
  // Puts a FIFO where stack `stack`'s file of March 2026 belongs; returns its path.
  std::string PlantFifo(int stack) {
    fs::create_directories(StackDirectoryPath(files_.dir(), stack));
    const std::string path = RecordFilePath(files_.dir(), stack, 2026, 3);
    EXPECT_EQ(::mkfifo(path.c_str(), 0666), 0);
    return path;
  }
  std::string PlantDirectory(int stack) {
    const std::string path = RecordFilePath(files_.dir(), stack, 2026, 3);
    fs::create_directories(path);
    return path;
  }
  const std::string& dir() const { return files_.dir(); }

  test::MonthFiles files_;
};

TEST_F(IrregularRecordFileTest, FifoReadsAsAMissingMonthWithoutBlocking) {
  const std::string fifo = PlantFifo(0);
  // The month file reader, as the station's seconds counter and the dump window use it.
  EXPECT_EQ(Bounded(fifo,
                    [&] {
                      std::array<Sample, 4> out;
                      return ReadRecordSamples(dir(), 0, 2026, 3, 0, out);
                    }),
            RecordStatus::kNotFound);
  // The report: a first month that is no file has nothing to start from.
  EXPECT_EQ(Bounded(fifo,
                    [&] {
                      ReportData data;
                      return SearchReport(dir(), 0, At(2026, 3, 5), At(2026, 3, 5, 1), data);
                    }),
            ReportSearchStatus::kNotFound);
  // The span summary: no second covered.
  const SpanSummary sum =
      Bounded(fifo, [&] {
        return SummarizeSpan(dir(), 0, At(2026, 3, 5), At(2026, 3, 5, 0, 0, 59), AlarmThresholds{});
      });
  EXPECT_EQ(sum.seconds, 60);
  EXPECT_EQ(sum.covered, 0);
  // The hole map: every day empty.
  HoleMapCache cache(dir());
  const std::vector<DayShare> days = Bounded(fifo, [&] { return cache.Window(0, At(2026, 3, 9), 3); });
  ASSERT_EQ(days.size(), 3u);
  for (const DayShare& d : days) EXPECT_EQ(d.recorded, 0);
}

TEST_F(IrregularRecordFileTest, LaterMonthThatIsAFifoReadsAsZerosInTheReport) {
  files_.Fill(0, At(2026, 2, 28, 23, 59, 0), 60, [](int64_t) { return Sample{90, 7}; });
  const std::string fifo = PlantFifo(0);
  ReportData data;
  ASSERT_EQ(Bounded(fifo, [&] { return SearchReport(dir(), 0, At(2026, 2, 28, 23, 59, 58), At(2026, 3, 1, 0, 0, 1), data); }),
            ReportSearchStatus::kOk);
  ASSERT_GE(data.samples.size(), 4u);
  EXPECT_EQ(data.samples[1].speed, 7.0f);
  EXPECT_EQ(data.samples[2].speed, 0.0f);
  EXPECT_EQ(data.samples[3].speed, 0.0f);
}

TEST_F(IrregularRecordFileTest, DirectoryReadsAsMissingToReaderReportAndBlockWrite) {
  PlantDirectory(1);
  std::array<Sample, 2> out;
  EXPECT_EQ(ReadRecordSamples(dir(), 1, 2026, 3, 0, out), RecordStatus::kNotFound);
  ReportData data;
  EXPECT_EQ(SearchReport(dir(), 1, At(2026, 3, 5), At(2026, 3, 5, 1), data), ReportSearchStatus::kNotFound);
  const std::vector<Sample> block(record::kBlockSamples, Sample{1, 1});
  EXPECT_EQ(WriteRecordBlock(dir(), 1, 2026, 3, 5, 0, 0, block), RecordStatus::kNotFound);
}

TEST_F(IrregularRecordFileTest, RecorderReportsAFifoAsAFailingStackAndRecordsTheOthers) {
  const std::string fifo = PlantFifo(1);
  const SystemTime now = At(2026, 3, 5, 12);
  Recorder recorder(dir());
  EXPECT_EQ(Bounded(fifo, [&] { return recorder.Open(2, now); }), RecordStatus::kNotFound);
  EXPECT_FALSE(recorder.file(1).IsOpen());
  EXPECT_TRUE(recorder.file(0).IsOpen());
  const std::array<Sample, 2> current{Sample{10, 1}, Sample{20, 2}};
  EXPECT_EQ(Bounded(fifo, [&] { return recorder.Tick(now, current); }), RecordStatus::kNotFound);
  const Recorder::Health health = recorder.CurrentHealth();
  EXPECT_EQ(health.failing, 1);
  EXPECT_EQ(health.failure, RecordStatus::kNotFound);
  // A dumped block for that stack is refused as well.
  DumpBlock block;
  block.start = At(2026, 3, 4);
  block.samples.fill(DumpSample{5, 5, true});
  EXPECT_EQ(Bounded(fifo, [&] { return recorder.WriteBlock(1, block); }), RecordStatus::kNotFound);
  // The FIFO is left as it was.
  EXPECT_TRUE(fs::is_fifo(fifo));
}

}  // namespace
}  // namespace ws
