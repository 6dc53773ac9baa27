// The DUMP command as the operator works it: the calendar, the progress window,
// Cancel, MAIN and EXIT, the end messages; against a simulated logger.
#include <cmath>

#include "dump_window_fixture.h"

namespace ws::test {
namespace {

class DumpWindowTest : public DumpWindowFixture {};

TEST_F(DumpWindowTest, DumpOfTodayWritesTheLoggersValuesUpToNowAndZerosAfter) {
  StartSite(1, 20);
  const SystemTime started = clock.Now();
  const int startedSecond = started.hour * 3600 + started.minute * 60 + started.second;
  if (startedSecond > 86400 - 60) GTEST_SKIP() << "too close to midnight";
  const SystemTime today = DaysAgo(0);
  bool sawProgress = false;
  int maxPos = 0;
  QObject::connect(runtime.get(), &StationRuntime::dumpProgress, progress.get(), [&](int) {
    sawProgress = sawProgress || progress->isVisible();
    maxPos = std::max(maxPos, progress->Pos());
  });
  const int64_t liveBefore = runtime->counters().liveReplies[0];

  DumpDay(0, today);
  ASSERT_TRUE(dump->Busy());
  EXPECT_EQ(dumpEnabled, std::vector<bool>{false});
  EXPECT_TRUE(progress->isVisible());
  EXPECT_TRUE(progress->CancelVisible());
  EXPECT_TRUE(progress->Text().contains(QStringLiteral("STACK #1")));
  ASSERT_TRUE(WaitFor([&] { return !dump->Busy(); }, 20000));
  const SystemTime ended = clock.Now();
  const int endedSecond = ended.hour * 3600 + ended.minute * 60 + ended.second;

  EXPECT_TRUE(sawProgress);
  EXPECT_GE(maxPos, 99);
  EXPECT_FALSE(progress->isVisible());
  EXPECT_EQ(dumpEnabled, (std::vector<bool>{false, true}));
  EXPECT_EQ(runtime->dump().LastEnd(), DumpEnd::kCompleted);
  EXPECT_EQ(runtime->dump().BlocksStored(), 288);
  Pump(50);
  EXPECT_TRUE(messages.empty());  // a completed dump says nothing

  // Before the station started: the logger's history. After the end (the
  // future when the blocks came): 0/0, though the logger has values there.
  // In between the station's own recording has written its live values.
  const std::vector<Sample> samples = ReadDay(0, today);
  const int recordedFrom = startedSecond - 10;  // the station ran a few seconds before
  int wrong = 0;
  int future = 0;
  for (int s = 0; s < 86400; ++s) {
    const Sample& got = samples[static_cast<size_t>(s)];
    if (s < recordedFrom) {
      if (!Near(got, Logged(0, today, s)) && ++wrong <= 5) ADD_FAILURE() << "second " << s;
    } else if (s > endedSecond + 2) {
      if (!(got == Sample{}) && ++wrong <= 5) ADD_FAILURE() << "future second " << s;
      future += HistorySample(0, today.year, today.month, today.day, s).has_value();
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(future, 0);  // the logger did have values there
  // Live polling of the stack resumes.
  EXPECT_TRUE(WaitFor([&] { return runtime->counters().liveReplies[0] > liveBefore + 2; }, 4000));
}

TEST_F(DumpWindowTest, Only183DaysBackIsRefusedWithInvalidDate) {
  StartSite(1, 25);
  DumpDay(0, DaysAgo(183));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, QStringLiteral("Invalid DATE!"));
  EXPECT_EQ(messages[0].type & 0xF0, kMbIconError);
  EXPECT_FALSE(dump->Busy());
  EXPECT_FALSE(progress->isVisible());
  EXPECT_EQ(DumpRequests(0), 0);

  DumpDay(0, DaysAgo(-1));  // tomorrow
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].text, QStringLiteral("Invalid DATE!"));

  const SystemTime oldest = DaysAgo(182);
  DumpDay(0, oldest);
  EXPECT_TRUE(dump->Busy());
  EXPECT_TRUE(WaitFor([&] { return Count(0, Request(oldest, 0, 0)) >= 1; }, 2000));
  ASSERT_TRUE(WaitFor([&] { return !dump->Busy(); }, 20000));
  EXPECT_EQ(runtime->dump().LastEnd(), DumpEnd::kCompleted);
  EXPECT_EQ(messages.size(), 2u);

  // Closing the calendar without OK dumps nothing.
  const int requests = DumpRequests(0);
  DumpWith(0, [](CCalendar& c) { c.reject(); });
  EXPECT_FALSE(dump->Busy());
  EXPECT_EQ(DumpRequests(0), requests);
}

TEST_F(DumpWindowTest, ShortAnswerToBlock5IsAskedForAgainAsHour00Minute25) {
  StartSite(1, 30);
  const SystemTime day = DaysAgo(1);
  const QByteArray block5 = Request(day, 0, 25);
  int seen = 0;
  QObject::connect(loggers[0].get(), &SimLogger::commandReceived, loggers[0].get(),
                   [&](int, const QByteArray& command) {
                     // The logger's first answer to block 5 is one byte short.
                     if (command == block5) {
                       loggers[0]->SetFault(++seen == 1 ? SimFault::kShort : SimFault::kNone);
                     }
                   });
  DumpDay(0, day);
  ASSERT_TRUE(WaitFor([&] { return !dump->Busy(); }, 20000));
  EXPECT_EQ(runtime->dump().LastEnd(), DumpEnd::kCompleted);
  EXPECT_GE(Count(0, block5), 2);
  EXPECT_EQ(Count(0, Request(day, 0, 30)), 1);
  EXPECT_EQ(Count(0, Request(day, 11, 40)), 1);  // block 140
  const std::vector<Sample> samples = ReadDay(0, day);
  for (int s = 25 * 60; s < 30 * 60; ++s) {
    ASSERT_TRUE(Near(samples[static_cast<size_t>(s)], Logged(0, day, s))) << "second " << s;
  }
}

TEST_F(DumpWindowTest, CancelEndsTheDumpKeepingTheBlocksAlreadyWritten) {
  StartSite(1, 35);
  const SystemTime day = DaysAgo(150);  // a month file the dump creates
  bool clicked = false;
  QObject::connect(runtime.get(), &StationRuntime::dumpProgress, progress.get(), [&](int percent) {
    if (percent >= 20 && !clicked) {
      clicked = true;
      QTimer::singleShot(0, progress.get(), [&] { progress->cancelButton()->click(); });
    }
  });
  DumpDay(0, day);
  ASSERT_TRUE(WaitFor([&] { return !dump->Busy(); }, 20000));
  EXPECT_EQ(runtime->dump().LastEnd(), DumpEnd::kAbandoned);
  const int stored = runtime->dump().BlocksStored();
  EXPECT_GE(stored, 57);
  EXPECT_LT(stored, 288);
  EXPECT_FALSE(progress->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }, 2000));
  EXPECT_EQ(messages[0].text, QStringLiteral("Dump cancelled.\nSTACK #1: %1 blocks stored.").arg(stored));

  const std::vector<Sample> samples = ReadDay(0, day);
  int wrong = 0;
  for (int s = 0; s < 86400; ++s) {
    const Sample want = s < stored * 300 ? Logged(0, day, s) : Sample{};
    if (!Near(samples[static_cast<size_t>(s)], want) && ++wrong <= 5) ADD_FAILURE() << "second " << s;
  }
  EXPECT_EQ(wrong, 0);
  // No more requests after the cancel.
  const int requests = DumpRequests(0);
  Pump(300);
  EXPECT_EQ(DumpRequests(0), requests);
}

TEST_F(DumpWindowTest, MainDuringADumpHidesTheProgressAtOnceAndStopsTheRepeats) {
  StartSite(1, 40);
  loggers[0]->SetFault(SimFault::kSilent);
  const SystemTime day = DaysAgo(2);
  DumpDay(0, day);
  ASSERT_TRUE(dump->Busy());
  ASSERT_TRUE(WaitFor([&] { return Count(0, Request(day, 0, 0)) >= 3; }, 3000));  // repeated every 100 ms
  EXPECT_FALSE(dump->DumpEnabled());
  // Recording goes on during the dump.
  const int64_t ticks = runtime->counters().recordTicks;
  EXPECT_TRUE(WaitFor([&] { return runtime->counters().recordTicks >= ticks + 2; }));
  ASSERT_TRUE(dump->Busy());

  runtime->SetSelectedStack(-1);  // MAIN
  EXPECT_FALSE(progress->isVisible());
  EXPECT_FALSE(dump->Busy());
  EXPECT_FALSE(runtime->DumpRunning());
  ASSERT_FALSE(dumpEnabled.empty());
  EXPECT_FALSE(dumpEnabled.back());  // the overview has no DUMP
  const int sent = Count(0, Request(day, 0, 0));
  Pump(400);
  EXPECT_EQ(Count(0, Request(day, 0, 0)), sent);
  EXPECT_TRUE(messages.empty());
}

TEST_F(DumpWindowTest, ExitDuringADumpAbandonsItFirstAndSaysNothing) {
  StartSite(1, 45);
  loggers[0]->SetFault(SimFault::kSilent);
  const SystemTime day = DaysAgo(3);
  DumpDay(0, day);
  ASSERT_TRUE(dump->Busy());
  runtime->Shutdown();  // EXIT
  EXPECT_FALSE(dump->Busy());
  EXPECT_FALSE(progress->isVisible());
  Pump(100);  // what was sent before arrives
  const int sent = DumpRequests(0);
  Pump(400);
  EXPECT_EQ(DumpRequests(0), sent);
  EXPECT_TRUE(messages.empty());
  dump->Dump(0);  // nothing opens after the exit
  EXPECT_EQ(dump->calendar(), nullptr);
}

TEST_F(DumpWindowTest, ThirtySecondsWithoutABlockEndsWithAMessageNamingTheStack) {
  StartSite(1, 50);
  const SystemTime day = DaysAgo(4);
  QObject::connect(runtime.get(), &StationRuntime::dumpProgress, progress.get(), [&](int percent) {
    if (percent >= 10) loggers[0]->SetFault(SimFault::kSilent);
  });
  DumpDay(0, day);
  ASSERT_TRUE(WaitFor([&] { return loggers[0]->Fault() == SimFault::kSilent; }, 10000));
  Pump(300);
  ASSERT_TRUE(dump->Busy());
  const int stored = runtime->dump().BlocksStored();
  clock.offsetMs += 31000;
  ASSERT_TRUE(WaitFor([&] { return !dump->Busy(); }, 3000));
  EXPECT_EQ(runtime->dump().LastEnd(), DumpEnd::kTimedOut);
  EXPECT_FALSE(progress->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }, 2000));
  EXPECT_EQ(messages[0].text, QStringLiteral("Dump Time Out!\nSTACK #1: %1 blocks stored.").arg(stored));
  EXPECT_EQ(messages[0].type & 0xF0, kMbIconWarning);
  EXPECT_GE(stored, 29);
}

}  // namespace
}  // namespace ws::test
