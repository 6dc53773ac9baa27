// The calendar's hole map and "Fill holes", and the firmware image control,
// against a simulated logger.
#include <QFile>

#include <cstring>
#include <set>

#include "dump_window_fixture.h"

namespace ws::test {
namespace {

class HoleMapWindowTest : public DumpWindowFixture {
 protected:
  // Writes a whole day of the stack's file: `fill` for every second, or the
  // logger's history with 10:00 to 10:30 missing.
  void PlantDay(const SystemTime& day, bool withGap) {
    ASSERT_EQ(EnsureMonthFile(dir.path().toStdString(), 0, day.year, day.month), RecordStatus::kOk);
    QFile file(QString::fromStdString(RecordFilePath(dir.path().toStdString(), 0, day.year, day.month)));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes(86400 * 8, '\0');
    for (int s = 0; s < 86400; ++s) {
      Sample v{1.0f, 1.0f};
      if (withGap) v = (s >= 36000 && s < 37800) ? Sample{} : Logged(0, day, s);
      std::memcpy(bytes.data() + s * 8, &v.direction, 4);  // little-endian host
      std::memcpy(bytes.data() + s * 8 + 4, &v.speed, 4);
    }
    ASSERT_TRUE(file.seek(record::SlotOf(day.day, 0, 0, 0)));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }
};

TEST_F(HoleMapWindowTest, CalendarShowsTheGapsAndFillHolesDumpsBothDaysInOneProgressWindow) {
  ASSERT_TRUE(dir.isValid());
  const SystemTime now = clock.Now();
  if (now.hour == 23 && now.minute >= 58) GTEST_SKIP() << "too close to midnight";
  const SystemTime gap1 = DaysAgo(1);
  const SystemTime gap2 = DaysAgo(40);
  for (int n = 1; n <= 182; ++n) {
    PlantDay(DaysAgo(n), n == 1 || n == 40);
    if (HasFatalFailure()) return;
  }
  StartSite(1, 60);

  // Once shown, the window stays up from the first day to the end of the last.
  bool shown = false;
  bool alwaysVisible = true;
  std::set<QString> texts;
  QObject::connect(runtime.get(), &StationRuntime::dumpProgress, progress.get(), [&](int) {
    shown = shown || progress->isVisible();
    if (shown) alwaysVisible = alwaysVisible && progress->isVisible();
    texts.insert(progress->Text());
  });
  const auto fillOf = [](CCalendar& c, const SystemTime& d) { return c.DayFillOf(QDate(d.year, d.month, d.day)); };
  DumpWith(0, [&](CCalendar& c) {
    ASSERT_TRUE(WaitFor([&] { return !dump->holeMap().empty(); }, 10000));
    EXPECT_EQ(dump->holeMap().size(), 183u);
    EXPECT_EQ(fillOf(c, gap1), DayFill::kPartly);
    EXPECT_EQ(fillOf(c, gap2), DayFill::kPartly);
    EXPECT_EQ(fillOf(c, DaysAgo(2)), DayFill::kFull);
    EXPECT_EQ(fillOf(c, DaysAgo(182)), DayFill::kFull);
    EXPECT_EQ(fillOf(c, DaysAgo(183)), DayFill::kUnknown);  // outside the window
    EXPECT_TRUE(c.fillHolesButton()->isEnabled());
    EXPECT_TRUE(c.holeMapLabel()->text().contains(QStringLiteral("2 incomplete days")));
    c.fillHolesButton()->click();
  });
  ASSERT_TRUE(dump->Busy());
  ASSERT_TRUE(WaitFor([&] { return !dump->Busy(); }, 40000));
  EXPECT_TRUE(alwaysVisible);
  EXPECT_TRUE(texts.count(QStringLiteral("STACK #1: %1-%2-%3, day 2 of 2")
                              .arg(int{gap1.year})
                              .arg(int{gap1.month}, 2, 10, QLatin1Char('0'))
                              .arg(int{gap1.day}, 2, 10, QLatin1Char('0')))) << texts.size();
  EXPECT_TRUE(shown);
  EXPECT_FALSE(progress->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }, 2000));
  EXPECT_EQ(messages[0].text, QStringLiteral("Fill holes done.\nSTACK #1: 576 blocks stored, 2 of 2 days complete."));

  // Both days now hold every second the logger has; what it lacks stays 0/0.
  for (const SystemTime& day : {gap1, gap2}) {
    const std::vector<Sample> samples = ReadDay(0, day);
    int wrong = 0;
    for (int s = 0; s < 86400; ++s) {
      if (!Near(samples[static_cast<size_t>(s)], Logged(0, day, s)) && ++wrong <= 3) {
        ADD_FAILURE() << day.month << "-" << day.day << " second " << s;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
  // A day the logger has only partly stays partly: 0/0 is all a record file
  // can say of a missing second.
  const std::vector<DayShare> after = dump->holeMapCache().Window(0, clock.Now());
  EXPECT_EQ(after[181].Coverage(), DayCoverage::kPartly);
}

TEST_F(HoleMapWindowTest, FillHolesWithNothingToFillSaysSo) {
  for (int n = 1; n <= 182; ++n) {
    PlantDay(DaysAgo(n), false);
    if (HasFatalFailure()) return;
  }
  StartSite(1, 65);
  DumpWith(0, [&](CCalendar& c) {
    ASSERT_TRUE(WaitFor([&] { return !dump->holeMap().empty(); }, 10000));
    EXPECT_FALSE(c.fillHolesButton()->isEnabled());
    c.done(CCalendar::kFillHoles);  // as if pressed anyway
  });
  EXPECT_FALSE(dump->Busy());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, QStringLiteral("STACK #1: no incomplete day to fill."));
  EXPECT_EQ(DumpRequests(0), 0);
}

class FirmwareWindowTest : public DumpWindowFixture {
 protected:
  QString WriteImage(qsizetype size) {
    const QString path = dir.filePath(QStringLiteral("image_%1.bin").arg(size));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    EXPECT_EQ(f.write(QByteArray(size, '\x5A')), size);
    return path;
  }
};

TEST_F(FirmwareWindowTest, ChosenImageIsUploadedWithPageProgressAndTheEndIsTold) {
  StartSite(1, 70);
  EXPECT_TRUE(firmware->StatusText().startsWith(QStringLiteral("No firmware image")));
  EXPECT_FALSE(firmware->SetImage(WriteImage(0)));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("Firmware image not usable")));

  // Without an image the logger's request goes unanswered (it comes with
  // every reply, so two replies later it has been heard twice).
  loggers[0]->SetFault(SimFault::kAppeGlued);
  const int64_t replies = runtime->counters().liveReplies[0];
  ASSERT_TRUE(WaitFor([&] { return runtime->counters().liveReplies[0] >= replies + 2; }));
  EXPECT_FALSE(runtime->UploadRunning());
  EXPECT_FALSE(progress->isVisible());

  int maxPos = 0;
  bool visible = true;
  QString text;
  QObject::connect(runtime.get(), &StationRuntime::firmwareProgress, progress.get(), [&](int page) {
    if (page == 0) return;
    visible = visible && progress->isVisible();
    maxPos = std::max(maxPos, progress->Pos());
    text = progress->Text();
  });
  ASSERT_TRUE(firmware->SetImage(WriteImage(300 * 1024 + 10)));
  EXPECT_TRUE(firmware->StatusText().contains(QStringLiteral("sent to the next logger that asks")));
  ASSERT_TRUE(WaitFor([&] { return !firmware->lastEnd().isEmpty(); }, 20000));
  EXPECT_TRUE(visible);
  EXPECT_EQ(maxPos, 100);
  EXPECT_EQ(text, QStringLiteral("Firmware to STACK #1: page 300 of 300"));
  EXPECT_FALSE(progress->isVisible());
  EXPECT_EQ(firmware->lastEnd(), QStringLiteral("STACK #1 complete, 301 pages sent, logger restarted."));
  ASSERT_TRUE(WaitFor([&] { return messages.size() == 2; }, 2000));
  EXPECT_EQ(messages[1].text, QStringLiteral("Firmware upload to STACK #1 complete, 301 pages sent, logger restarted."));
  EXPECT_TRUE(loggers[0]->FirmwareComplete());
}

TEST_F(FirmwareWindowTest, LoggerThatKeepsAskingEndsWithAMessageAndPollingResumes) {
  StartSite(1, 75);
  ASSERT_TRUE(firmware->SetImage(WriteImage(5000 * 1024)));
  loggers[0]->SetFault(SimFault::kAppe);
  ASSERT_TRUE(WaitFor([&] { return !firmware->lastEnd().isEmpty(); }, 15000));
  EXPECT_TRUE(firmware->lastEnd().contains(QStringLiteral("asked to start over more than 3 times")));
  EXPECT_FALSE(progress->isVisible());
  const int64_t before = runtime->counters().liveReplies[0];
  EXPECT_TRUE(WaitFor([&] { return runtime->counters().liveReplies[0] > before + 2; }, 5000));
  EXPECT_FALSE(runtime->UploadRunning());
}

TEST_F(FirmwareWindowTest, SilenceAndRebuildEndingsAreTold) {
  StartSite(2, 80);
  ASSERT_TRUE(firmware->SetImage(WriteImage(64 * 1024)));
  // The logger asks, takes page 0 and falls silent.
  QObject::connect(runtime.get(), &StationRuntime::firmwareStarted, runtime.get(),
                   [this](int) { loggers[1]->SetFault(SimFault::kSilent); });
  loggers[1]->SetFault(SimFault::kAppeGlued);
  ASSERT_TRUE(WaitFor([&] { return runtime->UploadRunning(); }, 5000));
  EXPECT_TRUE(progress->isVisible());
  EXPECT_TRUE(firmware->StatusText().startsWith(QStringLiteral("Uploading to STACK #2")));
  clock.offsetMs += 31000;
  ASSERT_TRUE(WaitFor([&] { return !firmware->lastEnd().isEmpty(); }, 3000));
  EXPECT_EQ(firmware->lastEnd(), QStringLiteral("STACK #2 abandoned after 30 s without an answer (page 0 of 64)."));
  EXPECT_FALSE(progress->isVisible());

  // Asked again, and the stack is removed by the configuration's OK.
  loggers[1]->SetFault(SimFault::kAppeGlued);
  ASSERT_TRUE(WaitFor([&] { return runtime->UploadRunning(); }, 5000));
  Settings edited = runtime->settings();
  edited.stackCount = 1;
  runtime->ApplySettings(edited);
  EXPECT_EQ(firmware->lastEnd(), QStringLiteral("STACK #2 ended by a rebuild of its link (page 0 of 64)."));
  EXPECT_FALSE(progress->isVisible());
  ASSERT_TRUE(WaitFor([&] { return messages.size() == 2; }, 2000));
  EXPECT_TRUE(messages[1].text.startsWith(QStringLiteral("Firmware upload to STACK #2 ended by a rebuild")));
}

}  // namespace
}  // namespace ws::test
