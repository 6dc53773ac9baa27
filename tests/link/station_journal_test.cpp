#include "link/station_journal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>

namespace ws {
namespace {

// Serves events for `ms`, or until `done` holds.
template <typename Done>
void ServeEvents(int ms, Done done) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms && !done()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(10);
  }
}

// A journal that cannot open says so once however often it is polled, and
// once that it writes again.
TEST(StationJournalTest, AFailureReachesTheSignalOnceAndTheResumeOnce) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string blocker = dir.filePath(kEventsFileName).toStdString();
  ASSERT_TRUE(std::filesystem::create_directory(blocker));
  StationJournal journal(dir.path());
  QStringList problems;
  int resumed = 0;
  QObject::connect(&journal, &StationJournal::journalProblem, [&](const QString& text) { problems << text; });
  QObject::connect(&journal, &StationJournal::journalResumed, [&] { ++resumed; });
  journal.Open();
  ASSERT_EQ(problems.size(), 1);
  EXPECT_TRUE(problems.at(0).contains(QStringLiteral("Event journal"))) << problems.at(0).toStdString();
  // Several polls and retries later, still the one notice.
  for (int i = 0; i < 3; ++i) journal.journal().Flush();
  ServeEvents(StationJournal::kPollMs * 5 / 2, [] { return false; });
  EXPECT_EQ(problems.size(), 1);
  EXPECT_TRUE(journal.failing());

  std::filesystem::remove(blocker);
  journal.journal().Flush();
  ServeEvents(30000, [&] { return resumed > 0; });
  ServeEvents(StationJournal::kPollMs * 3 / 2, [] { return false; });
  EXPECT_EQ(resumed, 1);
  EXPECT_EQ(problems.size(), 1);
  EXPECT_FALSE(journal.failing());
}

}  // namespace
}  // namespace ws
