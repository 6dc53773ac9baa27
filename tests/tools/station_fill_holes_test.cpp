// windscope-station --fill-holes as a process, against a simulated logger in this
// test process: the days it picks, what it leaves in the record files, what it
// prints and its exit status.
#include <QHostAddress>
#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/record_file.h"
#include "link/test_support.h"
#include "support/month_files.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_history.h"
#include "tools/sim/sim_logger.h"

namespace ws {
namespace {

struct StationRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class StationFillHolesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const SystemTime now = LocalNow();
    if (now.hour == 23 && now.minute >= 58) GTEST_SKIP() << "too close to midnight";
    ASSERT_FALSE(files_.dir().empty());
    const QHostAddress address(test::LoopbackAddress(90));
    logger_ = std::make_unique<SimLogger>(0, address, 4000, 1);
    ASSERT_TRUE(logger_->IsListening()) << logger_->ErrorString().toStdString();
    SimSite site;
    site.loggerCount = 1;
    site.firstLoggerHost = address.toIPv4Address();
    std::string error;
    ASSERT_TRUE(WriteSimConfig(files_.dir(), site, &error)) << error;
  }

  // Runs the station; the simulated logger answers from this process's event loop
  // meanwhile.
  StationRun Station(const QStringList& args) const {
    QProcess p;
    p.start(QStringLiteral(WINDSCOPE_STATION_PATH),
            QStringList{QStringLiteral("--workdir"), QString::fromStdString(files_.dir())} + args);
    StationRun run;
    if (!p.waitForStarted(10000)) return run;
    const bool ended = test::WaitFor([&] { return p.state() == QProcess::NotRunning; }, 90000);
    if (!ended) {
      p.kill();
      p.waitForFinished(5000);
      return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput().toStdString();
    run.err = p.readAllStandardError().toStdString();
    return run;
  }

  static SystemTime DaysAgo(int n) {
    SystemTime day = FromCivilSeconds(CivilSeconds(LocalNow()) - int64_t{n} * 86400);
    day.hour = day.minute = day.second = day.milliseconds = 0;
    return day;
  }

  std::vector<Sample> ReadDay(const SystemTime& day) const {
    std::vector<Sample> samples(86400);
    EXPECT_EQ(ReadRecordSamples(files_.dir(), 0, day.year, day.month, record::SlotOf(day.day, 0, 0, 0), samples),
              RecordStatus::kOk);
    return samples;
  }

  test::MonthFiles files_;
  std::unique_ptr<SimLogger> logger_;
};

TEST_F(StationFillHolesTest, FillsTheIncompleteDaysAndKeepsWhatTheLoggerLacks) {
  const SystemTime full = DaysAgo(1);
  const SystemTime partly = DaysAgo(2);
  const SystemTime empty = DaysAgo(3);
  const Sample recorded{1.0f, 1.0f};
  files_.Fill(0, full, 86400, [&](int64_t) { return recorded; });
  // 10:00 to 10:30 of the partly recorded day is missing.
  files_.Fill(0, partly, 86400, [&](int64_t s) { return s >= 36000 && s < 37800 ? Sample{} : recorded; });

  const StationRun run = Station({"--fill-holes", "--stack", "1", "--days", "4"});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("fill-holes: stack 1, 2 incomplete days in the last 4 days"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("fill-holes: Fill holes done. stack 1: 576 blocks stored, 2 of 2 days complete."),
            std::string::npos)
      << run.out;

  // Each second the logger holds is its value now; a second it lacks keeps what
  // the station had recorded (0/0 where it had nothing).
  for (const SystemTime& day : {partly, empty}) {
    const std::vector<Sample> samples = ReadDay(day);
    int wrong = 0;
    for (int s = 0; s < 86400; ++s) {
      const std::optional<SimSample> h = HistorySample(0, day.year, day.month, day.day, s);
      Sample want = h ? Sample{static_cast<float>(h->directionTenths / 10.0), static_cast<float>(h->speedTenths / 10.0)}
                      : Sample{};
      if (!h && day == partly && !(s >= 36000 && s < 37800)) want = recorded;
      const Sample& got = samples[static_cast<size_t>(s)];
      if ((std::fabs(got.direction - want.direction) > 1e-3f || std::fabs(got.speed - want.speed) > 1e-3f) &&
          ++wrong <= 5) {
        ADD_FAILURE() << day.month << "-" << day.day << " second " << s;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
  // The full day was not asked for.
  EXPECT_EQ(ReadDay(full)[40000], recorded);
}

TEST_F(StationFillHolesTest, RefusedWritesEndWithTheFailureAndANonZeroStatus) {
  const SystemTime day = DaysAgo(1);
  std::filesystem::create_directories(RecordFilePath(files_.dir(), 0, day.year, day.month));
  const StationRun run = Station({"--fill-holes", "--stack", "1", "--days", "2"});
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("fill-holes: Dump stopped: a block could not be written. stack 1: 0 blocks stored, "
                         "1 failed (month file not found)."),
            std::string::npos)
      << run.out;
}

TEST_F(StationFillHolesTest, NothingToFillAndBadArguments) {
  const StationRun none = Station({"--fill-holes", "--days", "1"});  // today only: never filled
  EXPECT_EQ(none.exitCode, 0) << none.err;
  EXPECT_NE(none.out.find("no incomplete day in the last 1 days"), std::string::npos) << none.out;
  EXPECT_EQ(Station({"--fill-holes", "--days", "184"}).exitCode, 2);
  EXPECT_EQ(Station({"--fill-holes", "--stack", "0"}).exitCode, 2);
  EXPECT_EQ(Station({"--fill-holes", "--stack", "2", "--days", "2"}).exitCode, 2);  // one stack configured
}

}  // namespace
}  // namespace ws
