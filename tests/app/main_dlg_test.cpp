// The station window driven offscreen against simulated loggers: the overview's
// tiles, a silent logger, opening a stack and going back, the command bar's
// enables, the alarm list and its sound, the test speed modes, the capture and
// the ways out.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <memory>

#include "app/exit_signals.h"
#include "app/recording_notice.h"
#include "app/test_mode_banner.h"
#include "dialogs/alarm_dlg.h"
#include "dialogs/calendar.h"
#include "dialogs/history_dlg.h"
#include "report/report.h"
#include "screen/base_panel.h"
#include "screen/gauge_panel.h"
#include "screen/indicator.h"
#include "station_fixture.h"
#include "widgets/analog_gauge.h"
#include "widgets/fnd.h"
#include "widgets/lamp.h"
#include "widgets/led.h"
#include "widgets/multi_button.h"
#include "widgets/nex_button.h"
#include "widgets/nex_text.h"
#include "widgets/splitter_bar.h"

namespace ws {
namespace {

using test::Pump;
using test::WaitFor;

// Runs `act` once, on the modal dialog of type T as soon as one is up and
// `ready` for it. A fixed delay is no good: on a loaded machine the dialog may
// not be up yet when it runs (the dialog then waits for ever), or it may still
// be busy with work of its own. Gives up after 30 s, or when `owner` goes.
template <typename T, typename Act, typename Ready>
void WhenModal(QObject* owner, Act act, Ready ready) {
  auto* poll = new QTimer(owner);
  auto tries = std::make_shared<int>(0);
  poll->setInterval(20);
  QObject::connect(poll, &QTimer::timeout, [poll, tries, act, ready] {
    T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
    if (modal && !ready(modal)) modal = nullptr;
    if (!modal && ++*tries < 1500) return;
    poll->stop();
    poll->deleteLater();
    if (modal) act(modal);
  });
  poll->start();
}

template <typename T, typename Act>
void WhenModal(QObject* owner, Act act) {
  WhenModal<T>(owner, act, [](T*) { return true; });
}

class MainDlgTest : public test::StationFixture {
 protected:
  CBasePanel& Overview() { return *window->BasePanel(); }
  CFnd& TileDisplay(int stack) { return *Overview().Tile(stack)->ValueDisplay(); }

  // A left click at a point of a widget, as the mouse gives it.
  static void Click(QWidget* widget, QPoint at) {
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
  }

  // A press on the command bar's button `index` (the bar reads the hovered segment).
  void PressCommand(int index) {
    CMultiButton* bar = window->CommandBar();
    const int segment = bar->width() / CMainDlg::kCommandCount;
    const QPoint at(index * segment + segment / 2, bar->height() / 2);
    QTest::mouseMove(bar, at);
    Click(bar, at);
  }

  void ClickTile(int stack) {
    CIndicator* tile = Overview().Tile(stack);
    Click(tile, QPoint(tile->width() / 2, tile->height() / 2));
  }
};

TEST_F(MainDlgTest, OneTilePerStackInGridOrderAndAStackAtStopTakesTheStopColour) {
  StartStation(7, 10);
  ASSERT_TRUE(WaitForFirstReplies(7));
  ASSERT_EQ(Overview().TileCount(), 7);
  // Default grid: 5 columns. Stacks 1..5 on the first row left to right, 6 and 7 below.
  for (int k = 1; k < 5; ++k) {
    EXPECT_GT(Overview().TileRect(k).left(), Overview().TileRect(k - 1).left());
    EXPECT_EQ(Overview().TileRect(k).top(), Overview().TileRect(0).top());
  }
  EXPECT_EQ(Overview().TileRect(5).left(), Overview().TileRect(0).left());
  EXPECT_GT(Overview().TileRect(5).top(), Overview().TileRect(0).top());

  loggers[2]->HoldWind(42.0);
  ASSERT_TRUE(WaitFor([&] { return Overview().State(2) == CBasePanel::kStop; }, 4000));
  EXPECT_EQ(Overview().Tile(2)->m_BodyColor, runtime().settings().stopColour);
  EXPECT_NEAR(TileDisplay(2).m_Value, 42.0, 0.5);
  EXPECT_EQ(Overview().State(1), CBasePanel::kNormal);
}

TEST_F(MainDlgTest, LayoutFollowsTheWindowsHeightInEighteenths) {
  StartStation(1, 15);
  // 1600 x 900: u = 50.
  EXPECT_EQ(window->CommandBar()->geometry(), QRect(10, 16, 350, 50));
  EXPECT_EQ(window->Lamp(2)->geometry(), QRect(364, 16, 25, 16));
  EXPECT_EQ(window->Lamp(1)->geometry(), QRect(364, 33, 25, 16));
  EXPECT_EQ(window->Lamp(0)->geometry(), QRect(364, 50, 25, 16));
  EXPECT_EQ(window->TitleBox()->geometry(), QRect(393, 16, 1590 - 393, 50));
  EXPECT_EQ(window->LinkLed()->geometry(), QRect(1536, 16, 54, 50));
  EXPECT_EQ(Overview().geometry(), QRect(QPoint(10, 76), QPoint(1589, 869)));
  EXPECT_EQ(window->GaugePanel()->geometry(), Overview().geometry());
  window->resize(1200, 720);  // u = 40
  Pump(20);
  EXPECT_EQ(window->CommandBar()->geometry(), QRect(10, 16, 280, 40));
  EXPECT_EQ(Overview().geometry(), QRect(QPoint(10, 66), QPoint(1189, 689)));
}

TEST_F(MainDlgTest, AMovedSplitterIsStoredAndSavedByTheRuntime) {
  StartStation(1, 17);
  window->OnShowStack(0, 0);
  CGaugePanel* panel = window->GaugePanel();
  const int top = panel->mapToGlobal(QPoint(0, 0)).y();
  const int H = panel->height();
  panel->OnSplitterMoved(CGaugePanel::kSplitterId, top + H * 8 / 10);
  const double ratio = static_cast<double>(H * 8 / 10) / H;
  EXPECT_DOUBLE_EQ(runtime().settings().gaugeSplitRatio, ratio);
  EXPECT_DOUBLE_EQ(SavedSettings()->gaugeSplitRatio, ratio);
  EXPECT_EQ(panel->Splitter()->geometry().top(), H * 8 / 10);
  // Nothing outside (0, 1) is taken.
  runtime().SetSplitRatio(1.5);
  EXPECT_DOUBLE_EQ(SavedSettings()->gaugeSplitRatio, ratio);
}

TEST_F(MainDlgTest, EachReportSearchsSpanIsSavedByTheRuntime) {
  StartStation(1, 18);
  window->OnShowStack(0, 0);
  const QDate day(2024, 3, 5);
  bool searched = false;
  WhenModal<CReport>(window.get(), [&](CReport* report) {
    report->StartDate()->setDate(day);
    report->StartTime()->setTime(QTime(1, 2, 3));
    report->EndDate()->setDate(day);
    report->EndTime()->setTime(QTime(4, 5, 6));
    report->OnSearch();
    searched = true;
    report->OnExit();
  }, [](CReport* report) { return !report->Searching(); });  // its first search, at opening
  PressCommand(CMainDlg::kReport);
  ASSERT_TRUE(searched);
  const auto saved = SavedSettings();
  EXPECT_EQ(saved->reportStart.day, 5);
  EXPECT_EQ(saved->reportStart.hour, 1);
  EXPECT_EQ(saved->reportEnd.hour, 4);
  EXPECT_EQ(saved->reportEnd.second, 6);
  EXPECT_EQ(runtime().settings().reportEnd.minute, 5);
}

TEST_F(MainDlgTest, SilentLoggerShowsDashesAfterTwoSecondsAndRecovers) {
  StartStation(2, 20);
  ASSERT_TRUE(WaitForFirstReplies(2));
  // Supervision ticks since stack 2's last reply, as the dashes appear.
  int ticksSinceReply = 0;
  int ticksAtDashes = -1;
  QObject::connect(&runtime(), &StationRuntime::clockTick, window.get(), [&] { ++ticksSinceReply; });
  QObject::connect(&runtime(), &StationRuntime::stackUpdated, window.get(),
                   [&](int stack, float, float, int) { if (stack == 1) ticksSinceReply = 0; });
  QObject::connect(&runtime(), &StationRuntime::stackNoCommunication, window.get(), [&](int stack) {
    if (stack == 1 && ticksAtDashes < 0 && TileDisplay(1).m_bNoData) ticksAtDashes = ticksSinceReply;
  });
  loggers[1]->SetFault(SimFault::kSilent);
  ASSERT_TRUE(WaitFor([&] { return TileDisplay(1).m_bNoData; }, 5000));
  // Not before the supervision has missed two ticks, and at the second.
  EXPECT_EQ(ticksAtDashes, PollSupervisor::kNoCommunicationTicks);
  EXPECT_TRUE(TileDisplay(1).m_Unit.isEmpty());
  EXPECT_FALSE(TileDisplay(0).m_bNoData);
  loggers[1]->SetFault(SimFault::kNone);
  ASSERT_TRUE(WaitFor([&] { return !TileDisplay(1).m_bNoData; }, 8000));
  EXPECT_EQ(TileDisplay(1).m_Unit, "m/s");
  EXPECT_EQ(Overview().State(1), CBasePanel::kNormal);
}

TEST_F(MainDlgTest, ClickOnATileOpensTheStackWithItsTitleAndNeedlesAndMainReturns) {
  StartStation(3, 30);
  ASSERT_TRUE(WaitForFirstReplies(3));
  loggers[1]->HoldWind(25.0);
  ClickTile(1);
  EXPECT_EQ(window->SelectedStack(), 1);
  EXPECT_TRUE(Overview().isHidden());
  EXPECT_FALSE(window->GaugePanel()->isHidden());
  EXPECT_EQ(window->TitleBox()->m_strText, "STACK #2");
  EXPECT_FALSE(window->LinkLed()->isHidden());
  CMultiButton* bar = window->CommandBar();
  EXPECT_TRUE(bar->m_Enabled[CMainDlg::kMain]);
  EXPECT_TRUE(bar->m_Enabled[CMainDlg::kReport]);
  EXPECT_TRUE(bar->m_Enabled[CMainDlg::kDump]);
  EXPECT_FALSE(bar->m_Enabled[CMainDlg::kConfig]);
  // The needles follow the stack's next replies; the LED turns green.
  const CAnalogGauge* speed = window->GaugePanel()->SpeedDial();
  ASSERT_TRUE(WaitFor([&] { return std::abs(speed->m_RawValue - 25.0f) < 0.6f; }, 3000));
  const float direction = runtime().statistics().Stack(1).direction;
  EXPECT_TRUE(WaitFor(
      [&] { return std::abs(window->GaugePanel()->DirectionDial()->m_RawValue - runtime().statistics().Stack(1).direction) < 0.01f; },
      2000))
      << direction;
  EXPECT_TRUE(WaitFor([&] { return window->LinkLed()->m_bLit; }, 2000));
  EXPECT_EQ(window->LinkLed()->m_OnEdgeColor, 0x008000u);

  PressCommand(CMainDlg::kMain);
  EXPECT_EQ(window->SelectedStack(), -1);
  EXPECT_FALSE(Overview().isHidden());
  EXPECT_TRUE(window->GaugePanel()->isHidden());
  EXPECT_TRUE(window->LinkLed()->isHidden());
  EXPECT_EQ(window->TitleBox()->m_strText, "WINDSCOPE");
  EXPECT_FALSE(bar->m_Enabled[CMainDlg::kMain]);
  EXPECT_TRUE(bar->m_Enabled[CMainDlg::kConfig]);
  // The title box spans to the right edge again.
  EXPECT_EQ(window->TitleBox()->geometry().right() + 1, window->width() - 10);
}

TEST_F(MainDlgTest, ASilentStacksGaugePanelShowsItsOwnStateFromTheFirstPaint) {
  StartStation(3, 100);
  loggers[1]->SetFault(SimFault::kSilent);  // before the station's first poll
  loggers[0]->HoldWind(25.0);
  loggers[2]->HoldWind(12.0);
  ASSERT_TRUE(WaitFor([&] { return LiveReplies(0) > 0 && LiveReplies(2) > 0; }, 6000));
  CGaugePanel* panel = window->GaugePanel();
  const CAnalogGauge* speed = panel->SpeedDial();
  ClickTile(0);
  ASSERT_TRUE(WaitFor([&] { return std::abs(speed->m_RawValue - 25.0f) < 0.6f; }, 3000));
  PressCommand(CMainDlg::kMain);

  // No event has been handled since the click: this is what the first paint shows.
  ClickTile(1);
  ASSERT_EQ(window->SelectedStack(), 1);
  EXPECT_FALSE(panel->ShowsNeedles());
  EXPECT_TRUE(panel->DirectionDial()->m_NoValue);
  EXPECT_TRUE(speed->m_NoValue);
  Pump(1200);
  EXPECT_FALSE(panel->ShowsNeedles());  // still silent, still nothing

  // An answering stack opened next shows its own last reading at once.
  PressCommand(CMainDlg::kMain);
  ClickTile(2);
  EXPECT_TRUE(panel->ShowsNeedles());
  EXPECT_NEAR(speed->m_RawValue, 12.0f, 0.6f);
  EXPECT_FLOAT_EQ(panel->DirectionDial()->m_RawValue, runtime().statistics().Stack(2).direction);

  // A shown stack that goes silent loses its needles with its tile's dashes.
  loggers[2]->SetFault(SimFault::kSilent);
  ASSERT_TRUE(WaitFor([&] { return TileDisplay(2).m_bNoData; }, 6000));
  EXPECT_FALSE(panel->ShowsNeedles());
  loggers[2]->SetFault(SimFault::kNone);
  EXPECT_TRUE(WaitFor([&] { return panel->ShowsNeedles(); }, 8000));
}

TEST_F(MainDlgTest, TestModeShowsABannerInBothViewsUntilCtrlF5) {
  StartStation(2, 105);
  CTestModeBanner* banner = window->TestModeBanner();
  ASSERT_NE(banner, nullptr);
  EXPECT_FALSE(banner->isVisible());
  const QRect fullTitle = window->TitleBox()->geometry();

  QTest::keyClick(window.get(), Qt::Key_F3, Qt::ControlModifier);
  EXPECT_TRUE(banner->isVisible());
  EXPECT_TRUE(banner->m_strText.contains("TEST MODE")) << banner->m_strText.toStdString();
  EXPECT_TRUE(banner->m_strText.contains("44.5")) << banner->m_strText.toStdString();
  // In the title row, beside the title: the tiles keep their room.
  EXPECT_EQ(banner->geometry().top(), fullTitle.top());
  EXPECT_FALSE(banner->geometry().intersects(window->TitleBox()->geometry()));
  EXPECT_FALSE(banner->geometry().intersects(Overview().geometry()));
  EXPECT_TRUE(window->rect().contains(banner->geometry()));

  QTest::keyClick(window.get(), Qt::Key_F4, Qt::ControlModifier);
  EXPECT_TRUE(banner->m_strText.contains("52.5")) << banner->m_strText.toStdString();

  ClickTile(1);
  ASSERT_EQ(window->SelectedStack(), 1);
  EXPECT_TRUE(banner->isVisible());
  EXPECT_FALSE(banner->geometry().intersects(window->LinkLed()->geometry()));
  EXPECT_FALSE(banner->geometry().intersects(window->TitleBox()->geometry()));
  EXPECT_FALSE(banner->geometry().intersects(window->GaugePanel()->geometry()));

  QTest::keyClick(window.get(), Qt::Key_F5, Qt::ControlModifier);
  EXPECT_FALSE(banner->isVisible());
  PressCommand(CMainDlg::kMain);
  EXPECT_FALSE(banner->isVisible());
  EXPECT_EQ(window->TitleBox()->geometry(), fullTitle);
}

TEST_F(MainDlgTest, DisabledCommandsAndEnterOrEscapeDoNothing) {
  StartStation(1, 35);
  const int windows = QApplication::topLevelWidgets().size();
  PressCommand(CMainDlg::kReport);
  PressCommand(CMainDlg::kDump);
  PressCommand(CMainDlg::kMain);
  window->OnCommand(7);
  window->OnCommand(-1);
  Pump(50);
  EXPECT_EQ(window->SelectedStack(), -1);
  EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  QTest::keyClick(window.get(), Qt::Key_Escape);
  QTest::keyClick(window.get(), Qt::Key_Return);
  QTest::keyClick(window->CommandBar(), Qt::Key_Enter);
  Pump(50);
  EXPECT_TRUE(window->Running());
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainDlgTest, ARaiseShowsTheAlarmListAckHidesItStopsTheSoundAndRearms) {
  StartStation(2, 40);
  ASSERT_TRUE(WaitForFirstReplies(2));
  CAlarmDlg* alarm = window->AlarmDlg();
  ASSERT_NE(alarm, nullptr);
  EXPECT_FALSE(alarm->isVisible());
  loggers[1]->HoldWind(46.5);
  ASSERT_TRUE(WaitFor([&] { return alarm->isVisible(); }, 4000));
  EXPECT_EQ(alarm->TitleBox()->m_strText, "Trip");
  EXPECT_EQ(alarm->TitleBox()->m_FillColor, 0x0000FFu);
  EXPECT_EQ(alarm->CellText(0, CAlarmDlg::kColStack), "Stack");
  EXPECT_EQ(alarm->CellText(1, CAlarmDlg::kColStack), "2");
  EXPECT_EQ(alarm->CellText(1, CAlarmDlg::kColLevel), "Trip");
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^4[67]\\.\\d m/s$"))
                  .match(alarm->CellText(1, CAlarmDlg::kColPeak))
                  .hasMatch())
      << alarm->CellText(1, CAlarmDlg::kColPeak).toStdString();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}\\.\\d{1,2}\\.\\d{1,2} \\d{2}:\\d{2}:\\d{2}$"))
                  .match(alarm->CellText(1, CAlarmDlg::kColStart))
                  .hasMatch());
  // The level's sound, looped ("Continue"); no sound file set: the built-in tone.
  EXPECT_TRUE(window->player().Active());
  EXPECT_TRUE(window->player().Looped());
  EXPECT_EQ(window->player().Source(), QUrl(QString::fromLatin1(CAlarmPlayer::kDefaultTone)));
  EXPECT_EQ(window->player().PlayCount(), 1);  // Trip at once, no Stop or Alarm entries

  CNexButton* ack = alarm->AckButton();
  Click(ack, QPoint(ack->width() / 2, ack->height() / 2));
  EXPECT_FALSE(alarm->isVisible());
  EXPECT_FALSE(window->player().Active());
  EXPECT_FALSE(runtime().alarms().Unacknowledged());

  // Re-armed: below the Alarm level and back up raises again.
  loggers[1]->HoldWind(20.0);
  ASSERT_TRUE(WaitFor([&] { return Overview().State(1) == CBasePanel::kNormal; }, 4000));
  loggers[1]->HoldWind(33.0);
  ASSERT_TRUE(WaitFor([&] { return alarm->isVisible(); }, 4000));
  EXPECT_EQ(alarm->TitleBox()->m_strText, "Alarm");
  EXPECT_EQ(window->player().PlayCount(), 2);
}

TEST_F(MainDlgTest, SoundOffSilencesAPlayingAlarmAndShowsTheOverlay) {
  StartStation(1, 45);
  ASSERT_TRUE(WaitForFirstReplies(1));
  loggers[0]->HoldWind(41.0);
  ASSERT_TRUE(WaitFor([&] { return window->player().Active(); }, 4000));
  PressCommand(CMainDlg::kSound);
  EXPECT_FALSE(window->player().Active());
  EXPECT_FALSE(runtime().soundsEnabled());
  EXPECT_EQ(window->CommandBar()->m_OverlayGlyph[CMainDlg::kSound], 122);
  PressCommand(CMainDlg::kSound);
  EXPECT_TRUE(runtime().soundsEnabled());
  EXPECT_FALSE(window->CommandBar()->m_OverlayAlphaOn[CMainDlg::kSound]);
}

TEST_F(MainDlgTest, CtrlF3MakesEveryStackReport44Point5WithinOnePollAndCtrlF5EndsIt) {
  StartStation(3, 50);
  ASSERT_TRUE(WaitForFirstReplies(3));
  std::array<int64_t, 3> atKey{};
  for (int i = 0; i < 3; ++i) atKey[static_cast<size_t>(i)] = LiveReplies(i);
  QTest::keyClick(window.get(), Qt::Key_F3, Qt::ControlModifier);
  EXPECT_EQ(runtime().testSpeedMode(), 2);
  // The first reply of each stack after the key shows the forced value.
  std::array<bool, 3> forcedAtFirst{};
  std::array<bool, 3> seen{};
  QObject::connect(&runtime(), &StationRuntime::stackUpdated, window.get(), [&](int stack, float, float, int) {
    const auto i = static_cast<size_t>(stack);
    if (stack < 3 && !seen[i]) {
      seen[i] = true;
      forcedAtFirst[i] = TileDisplay(stack).m_Value == 44.5;
    }
  });
  ASSERT_TRUE(WaitFor([&] { return seen[0] && seen[1] && seen[2]; }, 2500));
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(forcedAtFirst[static_cast<size_t>(i)]) << "stack " << i;
    EXPECT_GT(LiveReplies(i), atKey[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(Overview().State(0), CBasePanel::kStop);
  QTest::keyClick(window.get(), Qt::Key_F5, Qt::ControlModifier);
  EXPECT_EQ(runtime().testSpeedMode(), 0);
  EXPECT_TRUE(WaitFor([&] { return TileDisplay(0).m_Value < 30; }, 2500));
}

TEST_F(MainDlgTest, CaptureWritesAPngOfTheWindowUnderCapture) {
  StartStation(1, 55);
  const QString path = window->OnCapture();
  ASSERT_FALSE(path.isEmpty());
  EXPECT_TRUE(QRegularExpression(QStringLiteral("/Capture/\\d{8}_\\d{6}\\.png$")).match(path).hasMatch())
      << path.toStdString();
  EXPECT_TRUE(path.startsWith(dir.path()));
  const QImage shot(path);
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.size(), window->size() * window->devicePixelRatio());
}

TEST_F(MainDlgTest, F1OpensTheInformationDialogOverTheWindowOnly) {
  StartStation(1, 57);
  QString title;
  Qt::WindowModality modality = Qt::NonModal;
  WhenModal<QDialog>(window.get(), [&](QDialog* modal) {
    title = modal->windowTitle();
    modality = modal->windowModality();
    modal->accept();
  });
  QTest::keyClick(window.get(), Qt::Key_F1);
  EXPECT_EQ(title, "Information");
  EXPECT_EQ(modality, Qt::WindowModal);
  EXPECT_TRUE(window->Running());
}

TEST_F(MainDlgTest, TheWindowManagersCloseAsksTheExitQuestion) {
  StartStation(1, 60);
  answer = [](int, const QString&) { return static_cast<int>(kIdNo); };
  window->close();
  EXPECT_TRUE(window->Running());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QString::fromUtf8(CMainDlg::kExitQuestion));
  answer = [](int, const QString&) { return static_cast<int>(kIdYes); };
  window->close();
  EXPECT_FALSE(window->Running());
  EXPECT_FALSE(runtime().Running());
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainDlgTest, SigtermSavesTheSettingsWithTheSnapshotAndSwitchesTheLampTowerOff) {
  StartStation(1, 65, 64);
  CExitSignals exitSignals;
  ASSERT_TRUE(exitSignals.Installed());
  QObject::connect(&exitSignals, &CExitSignals::exitRequested, window.get(), [this](int) { window->ExitSequence(); });
  ASSERT_TRUE(WaitForFirstReplies(1));
  loggers[0]->HoldWind(20.0);
  // The first 3-second step puts the speed into the 1-minute mean.
  ASSERT_TRUE(WaitFor([&] { return runtime().Averages(0).speed[0] > 0.5; }, 6000));
  const double mean = runtime().Averages(0).speed[0];
  ASSERT_EQ(::raise(SIGTERM), 0);
  ASSERT_TRUE(WaitFor([&] { return !window->Running(); }, 3000));
  EXPECT_TRUE(messages.empty());  // no question asked
  const auto saved = SavedSettings();
  EXPECT_NEAR(saved->statisticsSnapshot[kStatSpeed1Min][0], mean, 1.0);
  EXPECT_GT(saved->statisticsSnapshot[kStatSpeed1Min][0], 0.5);
  ASSERT_TRUE(WaitFor([&] { return lamp->LastMessage() == QByteArray("W\0\0\0\0\0\0\0\0\0", 10); }, 2000));
}

TEST_F(MainDlgTest, AModalExitQuestionDoesNotBlockTheAlarmListsAck) {
  StartStation(1, 70);
  ASSERT_TRUE(WaitForFirstReplies(1));
  loggers[0]->HoldWind(46.0);
  CAlarmDlg* alarm = window->AlarmDlg();
  ASSERT_TRUE(WaitFor([&] { return alarm->isVisible(); }, 4000));
  SetMessageHandler({});  // the real question box
  bool sawBox = false;
  bool mainBlocked = false;
  WhenModal<QMessageBox>(window.get(), [&](QMessageBox* box) {
    sawBox = true;
    // A click on a tile of the blocked main window opens nothing...
    CIndicator* tile = Overview().Tile(0);
    const QPoint tileAt = tile->mapTo(window.get(), QPoint(tile->width() / 2, tile->height() / 2));
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, tileAt);
    mainBlocked = window->SelectedStack() == -1;
    // ...while ACK on the alarm list is answered.
    CNexButton* ack = alarm->AckButton();
    const QPoint ackAt = ack->mapTo(alarm, QPoint(ack->width() / 2, ack->height() / 2));
    QTest::mouseClick(alarm->windowHandle(), Qt::LeftButton, Qt::NoModifier, ackAt);
    box->done(QMessageBox::No);
  });
  window->OnCommand(CMainDlg::kExit);
  EXPECT_TRUE(sawBox);
  EXPECT_TRUE(mainBlocked);
  EXPECT_FALSE(alarm->isVisible());
  EXPECT_FALSE(runtime().alarms().Unacknowledged());
  EXPECT_TRUE(window->Running());
}

TEST_F(MainDlgTest, F4OpensTheHistoryOverTheStationWindowAndTheAlarmListsAckStillAnswers) {
  StartStation(2, 74);
  ASSERT_TRUE(WaitForFirstReplies(2));
  EXPECT_EQ(window->HistoryDlg(), nullptr);
  // Ctrl+F4 stays the Trip test speed; F4 alone is the history.
  QTest::keyClick(window.get(), Qt::Key_F4, Qt::ControlModifier);
  EXPECT_EQ(runtime().testSpeedMode(), 3);
  EXPECT_EQ(window->HistoryDlg(), nullptr);
  QTest::keyClick(window.get(), Qt::Key_F5, Qt::ControlModifier);
  QTest::keyClick(window.get(), Qt::Key_F4);
  CHistoryDlg* history = window->HistoryDlg();
  ASSERT_NE(history, nullptr);
  EXPECT_TRUE(history->isVisible());
  EXPECT_EQ(history->parentWidget(), window.get());
  EXPECT_EQ(history->StackBox()->count(), 3);  // All, 1, 2
  // Not modal: the station window goes on taking clicks.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  QTest::keyClick(window.get(), Qt::Key_F4);
  EXPECT_EQ(window->HistoryDlg(), history);  // the same window, raised

  loggers[1]->HoldWind(46.0);
  CAlarmDlg* alarm = window->AlarmDlg();
  ASSERT_TRUE(WaitFor([&] { return alarm->isVisible(); }, 4000));
  ASSERT_TRUE(history->isVisible());
  CNexButton* ack = alarm->AckButton();
  const QPoint ackAt = ack->mapTo(alarm, QPoint(ack->width() / 2, ack->height() / 2));
  QTest::mouseClick(alarm->windowHandle(), Qt::LeftButton, Qt::NoModifier, ackAt);
  EXPECT_FALSE(alarm->isVisible());
  EXPECT_FALSE(runtime().alarms().Unacknowledged());
  // Its own calendar does not block the alarm list either.
  loggers[1]->HoldWind(20.0);
  ASSERT_TRUE(WaitFor([&] { return Overview().State(1) == CBasePanel::kNormal; }, 4000));
  bool acked = false;
  WhenModal<CCalendar>(history, [&](CCalendar* calendar) {
    loggers[1]->HoldWind(46.0);
    if (WaitFor([&] { return alarm->isVisible(); }, 4000)) {
      QTest::mouseClick(alarm->windowHandle(), Qt::LeftButton, Qt::NoModifier, ackAt);
      acked = !alarm->isVisible() && !runtime().alarms().Unacknowledged();
    }
    calendar->reject();
  });
  history->OnPickDay(true);
  EXPECT_TRUE(acked);

  history->OnExit();
  EXPECT_FALSE(history->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window->HistoryDlg(), nullptr);
}

TEST_F(MainDlgTest, HistoryAskedForDuringAReportOpensOverTheReportAndTakesInput) {
  StartStation(1, 78);
  ASSERT_TRUE(WaitForFirstReplies(1));
  ClickTile(0);
  ASSERT_EQ(window->SelectedStack(), 0);
  bool overReport = false;
  bool tookClick = false;
  WhenModal<CReport>(window.get(), [&](CReport* report) {
    // As the alarm list's History button asks while the report is up.
    window->OnHistory();
    CHistoryDlg* history = window->HistoryDlg();
    if (history != nullptr) {
      overReport = history->parentWidget() == report;
      QCheckBox* box = history->KindBox(0);
      const QPoint at = box->mapTo(history, QPoint(8, box->height() / 2));
      QTest::mouseClick(history->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
      tookClick = !box->isChecked();
    }
    report->OnExit();
  }, [](CReport* report) { return !report->Searching(); });
  PressCommand(CMainDlg::kReport);
  EXPECT_TRUE(overReport);
  EXPECT_TRUE(tookClick);
  // F4 afterwards opens one over the station window again.
  QTest::keyClick(window.get(), Qt::Key_F4);
  ASSERT_NE(window->HistoryDlg(), nullptr);
  EXPECT_EQ(window->HistoryDlg()->parentWidget(), window.get());
}

TEST_F(MainDlgTest, RecordingNoticeShowsWhatTheRuntimeSaysWithoutBlockingAndAClickDismissesIt) {
  StartStation(2, 44);
  ASSERT_TRUE(WaitForFirstReplies(2));
  CRecordingNotice* notice = window->RecordingNotice();
  ASSERT_NE(notice, nullptr);
  EXPECT_FALSE(notice->isVisible());

  const QString full = QStringLiteral("Disk full: recording of 2 stack(s) stopped.");
  emit runtime().recordingStateChanged(static_cast<int>(RecordingState::kFailing), full);
  EXPECT_TRUE(notice->isVisible());
  EXPECT_EQ(notice->windowTitle(), full);
  // In the bottom strip, under the overview and inside the window; no message box.
  EXPECT_GT(notice->geometry().top(), window->BasePanel()->geometry().bottom());
  EXPECT_TRUE(window->rect().contains(notice->geometry()));
  EXPECT_TRUE(messages.empty());
  const int64_t before = LiveReplies(0);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(0) >= before + 2; }, 4000)) << "polling stopped";

  emit runtime().recordingStateChanged(static_cast<int>(RecordingState::kOk), QStringLiteral("Recording resumed."));
  EXPECT_TRUE(notice->isVisible());
  EXPECT_EQ(notice->windowTitle(), QStringLiteral("Recording resumed."));
  const QPoint centre = notice->rect().center();
  QTest::mousePress(notice, Qt::LeftButton, Qt::NoModifier, centre);
  QTest::mouseRelease(notice, Qt::LeftButton, Qt::NoModifier, centre);
  EXPECT_FALSE(notice->isVisible());
}

}  // namespace
}  // namespace ws
