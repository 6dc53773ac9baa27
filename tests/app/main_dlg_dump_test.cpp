// DUMP in the real station window: the command bar's button, the calendar,
// the progress window, MAIN and EXIT during a dump. (How long a day takes is
// bench_dialogs' BM_DayDumpFromCalendarOk.)
#include <QHostAddress>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/main_dlg.h"
#include "core/clock.h"
#include "dialogs/calendar.h"
#include "dialogs/dump_controller.h"
#include "dialogs/progress.h"
#include "link/station_runtime.h"
#include "link/test_support.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_logger.h"
#include "widgets/message_helpers.h"
#include "widgets/multi_button.h"

namespace ws::test {
namespace {

class MainDlgDumpTest : public ::testing::Test {
 protected:
  void StartStation(int firstHost) {
    ASSERT_TRUE(dir.isValid());
    logger = std::make_unique<SimLogger>(0, QHostAddress(LoopbackAddress(firstHost)), 4000, 1);
    ASSERT_TRUE(logger->IsListening()) << logger->ErrorString().toStdString();
    SimSite site;
    site.firstLoggerHost = QHostAddress(LoopbackAddress(firstHost)).toIPv4Address();
    std::string error;
    ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;
    SetMessageHandler([this](int, const QString& text) {
      messages.push_back(text);
      return static_cast<int>(kIdOk);
    });
    window = std::make_unique<CMainDlg>(dir.path(), clock);
    window->Init();
    window->resize(1280, 800);
    window->show();
    ASSERT_TRUE(WaitFor([&] { return window->runtime().counters().liveReplies[0] > 0; }, 5000));
    window->OnShowStack(0, 0);
    ASSERT_TRUE(DumpButton());
  }

  void TearDown() override {
    window.reset();
    SetMessageHandler({});
    Pump(20);
  }

  bool DumpButton() const { return window->CommandBar()->m_Enabled[CMainDlg::kDump]; }

  // Presses DUMP; once the calendar is open, chooses `day` and presses OK.
  void PressDump(const SystemTime& day) {
    QTimer::singleShot(0, window.get(), [&] {
      CDumpController* dump = window->DumpController();
      ASSERT_TRUE(WaitFor([&] { return dump->calendar() && dump->calendar()->isVisible(); }, 3000));
      CCalendar& c = *dump->calendar();
      EXPECT_EQ(c.windowTitle(), QStringLiteral("Select Day...."));
      c.calendar()->setSelectedDate(QDate(day.year, day.month, day.day));
      c.okButton()->click();
    });
    window->OnCommand(CMainDlg::kDump);
  }

  SystemTime DaysAgo(int n) const {
    SystemTime day = FromCivilSeconds(CivilSeconds(clock.Now()) - int64_t{n} * 86400);
    day.hour = day.minute = day.second = day.milliseconds = 0;
    return day;
  }

  int DumpRequests() const {
    int n = 0;
    for (const QByteArray& t : logger->CommandTexts()) n += t.startsWith("R002?");
    return n;
  }

  SystemClock clock;
  QTemporaryDir dir;
  std::unique_ptr<SimLogger> logger;
  std::unique_ptr<CMainDlg> window;
  std::vector<QString> messages;
};

TEST_F(MainDlgDumpTest, DumpButtonIsDisabledDuringTheDumpAndBackAfterTheDay) {
  StartStation(80);
  CDumpController* dump = window->DumpController();
  PressDump(DaysAgo(1));
  EXPECT_TRUE(dump->Busy());
  EXPECT_FALSE(DumpButton());
  EXPECT_TRUE(window->m_pProgress->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !dump->Busy(); }, 20000));
  EXPECT_EQ(window->runtime().dump().LastEnd(), DumpEnd::kCompleted);
  EXPECT_TRUE(DumpButton());
  EXPECT_FALSE(window->m_pProgress->isVisible());
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainDlgDumpTest, MainDuringADumpHidesTheProgressAndStopsTheRepeats) {
  StartStation(85);
  logger->SetFault(SimFault::kSilent);
  PressDump(DaysAgo(2));
  ASSERT_TRUE(WaitFor([&] { return DumpRequests() >= 3; }, 3000));
  window->OnCommand(CMainDlg::kMain);
  EXPECT_FALSE(window->m_pProgress->isVisible());
  EXPECT_FALSE(window->runtime().DumpRunning());
  EXPECT_FALSE(DumpButton());  // the overview has no DUMP
  Pump(100);
  const int sent = DumpRequests();
  Pump(400);
  EXPECT_EQ(DumpRequests(), sent);
  // Back in the stack view, DUMP is there again.
  window->OnShowStack(0, 0);
  EXPECT_TRUE(DumpButton());
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainDlgDumpTest, ExitDuringADumpAbandonsItFirst) {
  StartStation(90);
  logger->SetFault(SimFault::kSilent);
  PressDump(DaysAgo(3));
  ASSERT_TRUE(window->DumpController()->Busy());
  window->ExitSequence();  // EXIT confirmed
  EXPECT_FALSE(window->DumpController()->Busy());
  EXPECT_FALSE(window->runtime().DumpRunning());
  EXPECT_FALSE(window->m_pProgress->isVisible());
  Pump(100);
  const int sent = DumpRequests();
  Pump(400);
  EXPECT_EQ(DumpRequests(), sent);
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainDlgDumpTest, OutOfRangeDayIsRefusedAndDumpStaysAvailable) {
  StartStation(95);
  PressDump(DaysAgo(183));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QStringLiteral("Invalid DATE!"));
  EXPECT_TRUE(DumpButton());
  EXPECT_FALSE(window->m_pProgress->isVisible());
  EXPECT_EQ(DumpRequests(), 0);
}

}  // namespace
}  // namespace ws::test
