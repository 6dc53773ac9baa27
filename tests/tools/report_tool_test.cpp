// windscope-report as a process, on month files made up for the test.
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/report_csv.h"
#include "core/report_search.h"
#include "core/settings_file.h"
#include "support/journal_files.h"
#include "support/month_files.h"

namespace ws {
namespace {

using test::At;

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ReportToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // 2024-03-31 23:58:20 onwards: 100 s in March, then April, speed rising by 0.5 m/s.
    files_.Fill(0, At(2024, 3, 31, 23, 58, 20), 200, [](int64_t k) {
      return Sample{static_cast<float>(90 + k % 2 * 10), 0.5f * static_cast<float>(k % 80)};
    });
  }

  ToolRun Tool(QStringList args) const {
    QProcess p;
    p.start(QStringLiteral(WINDSCOPE_REPORT_PATH), args);
    ToolRun run;
    if (!p.waitForFinished(60000)) return run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = p.readAllStandardOutput().toStdString();
    run.err = p.readAllStandardError().toStdString();
    return run;
  }
  QStringList Span(const char* from, const char* to, int stack = 1) const {
    return {"--dir", QString::fromStdString(files_.dir()), "--stack", QString::number(stack),
            "--from", from, "--to", to};
  }

  test::MonthFiles files_;
};

TEST_F(ReportToolTest, TheSummaryLineCountsTheJournalsRaisesAndLongestLossOfTheSpan) {
  const int64_t t = CivilSeconds(At(2024, 3, 31, 23, 58, 30));
  const std::vector<StationEvent> events = {
      test::MakeEvent(t, EventKind::kAlarmRaised, 0, kLevelAlarm, 31.0, "a"),
      test::MakeEvent(t + 5, EventKind::kAlarmRaised, 0, kLevelTrip, 46.0, "b"),
      test::MakeEvent(t + 9, EventKind::kAlarmRaised, 1, kLevelStop, 41.0, "another stack"),
      test::MakeEvent(t + 10, EventKind::kCommunicationLost, 0, 0, 0.0, "lost"),
      test::MakeEvent(t + 52, EventKind::kCommunicationRestored, 0, 0, 42.0, "back"),
      test::MakeEvent(t + 60, EventKind::kAlarmRaised, 0, kLevelNoCommunication, 0.0, "no comm"),
      test::MakeEvent(t + 3600, EventKind::kAlarmRaised, 0, kLevelAlarm, 31.0, "after the span"),
  };
  ASSERT_TRUE(test::WriteJournal(files_.dir(), static_cast<int64_t>(events.size()),
                                 [&](int64_t k) { return events[static_cast<size_t>(k)]; }));
  const ToolRun run = Tool(Span("2024-03-31 23:58:20", "2024-04-01 00:00:00"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find(" trip_pct=0.0 raises_alarm=1 raises_stop=0 raises_trip=1 raises_nocomm=1 "
                         "longest_loss_s=42\n"),
            std::string::npos)
      << run.out;
}

TEST_F(ReportToolTest, CsvIsTheSameFileTheReportWritesAndTheSummaryAddsUp) {
  const std::string csv = files_.dir() + "/tool.csv";
  const ToolRun run = Tool(Span("2024-03-31 23:58:20", "2024-04-01 00:00:00") << "--csv"
                                                                          << QString::fromStdString(csv));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // 101 rows; seconds 0..100 hold 0.0 .. 39.5 then 0.0 .. 10.0: four calm rows (0.0 and
  // 0.5 twice), mean 1685 / 101. Second 0 holds 90/0.0: a sample, not 0/0.
  EXPECT_EQ(run.out,
            "rows=101 step=1 calm=4.0% coverage=100.0% mean=16.68 max=39.5 gust3s=39.00 "
            "dir=95.0 dirsd=5.0 alarm_s=20 alarm_pct=19.8 stop_s=0 stop_pct=0.0 trip_s=0 "
            "trip_pct=0.0 raises_alarm=- raises_stop=- raises_trip=- raises_nocomm=- "
            "longest_loss_s=-\n");

  ReportData data;
  ASSERT_EQ(SearchReport(files_.dir(), 0, At(2024, 3, 31, 23, 58, 20), At(2024, 4, 1), data),
            ReportSearchStatus::kOk);
  ReportTable table;
  table.Assign(std::move(data), AlarmThresholds{});
  const std::string expected = files_.dir() + "/expected.csv";
  ASSERT_TRUE(
      WriteReportCsv(expected, 0, At(2024, 3, 31, 23, 58, 20), At(2024, 4, 1), table).ok());
  EXPECT_EQ(ReadAll(csv), ReadAll(expected));
  EXPECT_NE(ReadAll(csv).find("\r\n36,2024.03.31 23:58:55,100,E,17.5,,\r\n"), std::string::npos);
}

TEST_F(ReportToolTest, LevelsComeFromTheConfigurationFile) {
  auto settings = std::make_unique<Settings>();
  settings->stacks[0].alarmSpeed = 10.0;
  ASSERT_TRUE(SettingsFile(files_.dir()).Save(*settings).ok());
  const std::string csv = files_.dir() + "/levels.csv";
  const ToolRun run = Tool(Span("2024-03-31 23:58:41", "2024-03-31 23:58:41")
                       << "--csv" << QString::fromStdString(csv));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(ReadAll(csv).find("1,2024.03.31 23:58:41,100,E,10.5,ALARM,\r\n"), std::string::npos);
}

TEST_F(ReportToolTest, LongSpanIsCutAndEndBeforeStartAndASpanWithoutMonthFilesExitWithStatusTwo) {
  ToolRun run = Tool(Span("2024-04-01 00:00:00", "2024-03-31 23:59:59"));
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "조회 구간 에러!\n");
  EXPECT_EQ(run.out, "");
  run = Tool(Span("2024-03-31 23:58:20", "2024-06-01 00:00:00"));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "windscope-report: span cut to 60 days, ending 2024-05-30 23:58:20\n");
  EXPECT_EQ(run.out.rfind("rows=86399 step=60 ", 0), 0u);
  // February has no file: a span of February only has nothing to show...
  run = Tool(Span("2024-02-29 12:00:00", "2024-02-29 23:59:58"));
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "Not Found Data!\n");
  // ...while one reaching into March shows March's records, February's rows as 0/0.
  run = Tool(Span("2024-02-29 12:00:00", "2024-03-31 23:58:40"));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.rfind("rows=", 0), 0u) << run.out;
  EXPECT_EQ(run.out.find("max=-"), std::string::npos) << run.out;
  // Ten seconds the file holds nothing for: no recorded time, so no share of it.
  run = Tool(Span("2024-03-31 00:00:00", "2024-03-31 00:00:09"));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find(" coverage=0.0% "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(" alarm_s=0 alarm_pct=- stop_s=0 stop_pct=- trip_s=0 trip_pct=- "),
            std::string::npos)
      << run.out;
  run = Tool(Span("2024-03-31 00:00:00", "2024-03-31 00:00:00", 2));
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "Not Found Data!\n");
}

TEST_F(ReportToolTest, BadArgumentsPrintTheUsageAndExitWith64) {
  const QString dir = QString::fromStdString(files_.dir());
  const QStringList cases[] = {
      {},
      {"--dir", dir, "--stack", "1", "--from", "2024-03-31 00:00:00"},
      Span("2024-03-31 00:00:00", "2024-03-31 00:00:00", 0),
      Span("2024-03-31 00:00:00", "2024-03-31 00:00:00", 101),
      Span("2024-02-30 00:00:00", "2024-03-31 00:00:00"),
      Span("2024-03-31 24:00:00", "2024-03-31 00:00:00"),
      Span("2024-3-31 00:00:00", "2024-03-31 00:00:00"),
      Span("2024-03-31 00:00:00", "2024-03-31 00:00:00") << "--csv",
      Span("2024-03-31 00:00:00", "2024-03-31 00:00:00") << "--colour",
  };
  for (const QStringList& args : cases) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.exitCode, 64) << args.join(' ').toStdString();
    EXPECT_NE(run.err.find("usage: windscope-report"), std::string::npos);
    EXPECT_EQ(run.out, "");
  }
}

TEST_F(ReportToolTest, RoseAndChartArePngsAndAnUnwritableCsvExitsWithOne) {
  const std::string rose = files_.dir() + "/rose.png";
  const std::string chart = files_.dir() + "/chart.png";
  ToolRun run = Tool(Span("2024-03-31 23:58:20", "2024-04-01 00:00:00")
                     << "--rose" << QString::fromStdString(rose) << "--chart"
                     << QString::fromStdString(chart) << "--vector");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const std::string& png : {rose, chart}) {
    const QImage image(QString::fromStdString(png));
    EXPECT_FALSE(image.isNull()) << png;
    EXPECT_GT(image.width(), 100) << png;
  }

  run = Tool(Span("2024-03-31 23:58:20", "2024-04-01 00:00:00")
             << "--csv" << QString::fromStdString(files_.dir() + "/no/such/dir/x.csv"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("cannot open"), std::string::npos);
  EXPECT_NE(run.out.find("rows=101"), std::string::npos);
}

}  // namespace
}  // namespace ws
