// windscope-report --events as a process, on a journal made up for the test.
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/event_csv.h"
#include "core/event_journal.h"

namespace ws {
namespace {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

ToolRun Report(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(WINDSCOPE_REPORT_PATH), args);
  ToolRun run;
  if (!p.waitForFinished(60000)) return run;
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = p.readAllStandardOutput().toStdString();
  run.err = p.readAllStandardError().toStdString();
  return run;
}

StationEvent At(int day, int hour, EventKind kind, int stack, std::string text) {
  SystemTime t;
  t.year = 2026;
  t.month = 3;
  t.day = static_cast<uint16_t>(day);
  t.hour = static_cast<uint16_t>(hour);
  StationEvent e;
  e.local = FromCivilSeconds(CivilSeconds(t));
  e.utcMs = LocalToUtcMs(e.local);
  e.kind = kind;
  e.stack = stack;
  e.text = std::move(text);
  return e;
}

TEST(ReportEventsTest, PrintsTheSpanAndStackOldestFirstAndWritesTheCsv) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = dir.path().toStdString();
  {
    EventJournal journal;
    ASSERT_TRUE(journal.Open(path));
    journal.Record(At(1, 8, EventKind::kStationStarted, -1, "before the span"));
    journal.Record(At(2, 9, EventKind::kAlarmRaised, 1, "first, stack 2"));
    journal.Record(At(2, 10, EventKind::kAlarmRaised, 0, "stack 1"));
    journal.Record(At(3, 11, EventKind::kCommunicationLost, 1, "second, stack 2"));
    journal.Record(At(3, 12, EventKind::kCommunicationRestored, 1, "on --to, included"));
    journal.Record(At(4, 8, EventKind::kStationEnded, -1, "after the span"));
  }
  const QString csv = dir.filePath("Events.csv");
  const ToolRun run = Report({"--events", "--dir", dir.path(), "--stack", "2", "--from", "2026-03-02 00:00:00",
                              "--to", "2026-03-03 12:00:00", "--csv", csv});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const size_t first = run.out.find("first, stack 2");
  const size_t second = run.out.find("second, stack 2");
  ASSERT_NE(first, std::string::npos) << run.out;
  ASSERT_NE(second, std::string::npos) << run.out;
  EXPECT_LT(first, second) << "oldest first";
  EXPECT_NE(run.out.find("on --to, included"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("stack 1"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("span"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("events=3\n"), std::string::npos) << run.out;

  std::string error;
  auto reader = EventReader::Open(path, &error);
  ASSERT_NE(reader, nullptr) << error;
  EventFilter filter;
  filter.stack = 1;
  filter.fromLocalSeconds = CivilSeconds(At(2, 0, EventKind::kAlarmRaised, 0, "").local);
  filter.toLocalSeconds = CivilSeconds(At(3, 12, EventKind::kAlarmRaised, 0, "").local) + 1;
  std::ifstream in(csv.toStdString(), std::ios::binary);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), EventCsv(reader->All(filter), filter));
}

TEST(ReportEventsTest, NoJournalInTheDirectoryIsExitTwo) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const ToolRun run = Report({"--events", "--dir", dir.path()});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("Events.db"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace ws
