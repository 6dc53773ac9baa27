// A journal that cannot be written costs the station nothing: the loggers are
// polled, their alarms raised and their seconds recorded as with a healthy one.
#include <QDir>

#include <gtest/gtest.h>

#include "link/station_journal.h"
#include "runtime_fixture.h"

namespace ws::test {
namespace {

class UnwritableJournalTest : public RuntimeFixture {
 protected:
  void BeforeStart() override {
    // A directory where the journal's file should be: it can be neither opened nor made.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Events.db")));
    journal = std::make_unique<StationJournal>(dir.path());
    QObject::connect(journal.get(), &StationJournal::journalProblem, journal.get(),
                     [this](const QString&) { ++problems; });
    journal->Open();
    journal->Attach(*runtime);
  }

  void TearDown() override {
    RuntimeFixture::TearDown();
    journal.reset();
  }

  std::unique_ptr<StationJournal> journal;
  int problems = 0;
};

TEST_F(UnwritableJournalTest, PollingAlarmsAndRecordingGoOnAsWithAHealthyJournal) {
  StartSite(2, 172);
  loggers[1]->HoldWind(46.0);
  ASSERT_TRUE(WaitForFirstReplies(2));
  ASSERT_TRUE(WaitFor([&] { return problems > 0; }, 10000)) << "the failing journal was never told";

  const int64_t firstSecond = CivilSeconds(clock.Now()) + 1;
  const double rate0 = RepliesPerTick(0, 6);
  const double rate1 = RepliesPerTick(1, 6);
  const int64_t lastSecond = CivilSeconds(clock.Now()) - 1;

  EXPECT_GE(rate0, 1.2);
  EXPECT_LE(rate0, 2.5);
  EXPECT_GE(rate1, 1.2);
  EXPECT_LE(rate1, 2.5);
  EXPECT_EQ(runtime->TileState(1), kTileTrip);
  EXPECT_EQ(runtime->OverallLevel(), kLevelTrip);
  ASSERT_FALSE(runtime->alarmEntries().empty());
  EXPECT_EQ(runtime->alarmEntries().back().level, kLevelTrip);
  // Told once, not once a poll.
  EXPECT_EQ(problems, 1);
  EXPECT_TRUE(journal->failing());

  ExpectEverySecondRecorded(2, firstSecond, lastSecond);
}

}  // namespace
}  // namespace ws::test
