// The composite: layout, owner ranges, and how plot and bar notifications move
// the ranges of bars and plot together.
#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QMenu>

#include "chart_test_support.h"

namespace ws {
namespace {

using test::MakeChart;
using test::Mouse;
using test::NotifyLog;
using test::Wheel;

TEST(GraphScale, LayoutWidthsWithAndWithoutTheValueBar) {
  auto chart = MakeChart(800, 470);
  EXPECT_EQ(chart->m_rcPlot, QRect(70, 0, 730, 400));
  EXPECT_EQ(chart->m_rcBars[0], QRect(70, 402, 730, 68));
  EXPECT_EQ(chart->m_rcBars[1], QRect(0, 0, 68, 400));
  EXPECT_EQ(chart->Graph()->width(), 730 - 4);  // inside the sunken edge
  chart->m_bBarVisible[1] = false;
  chart->RecalcLayout();
  EXPECT_EQ(chart->m_rcPlot.left(), 0);
  EXPECT_EQ(chart->m_rcBars[0].left(), 0);
  EXPECT_EQ(chart->m_rcBars[1].width(), 0);
  EXPECT_TRUE(chart->Bar(1)->isHidden());
}

TEST(GraphScale, ChildIdsAndOwnerNotification) {
  auto chart = MakeChart();
  EXPECT_EQ(chart->Graph()->m_nId, 10050 + 1 + 2);
  EXPECT_EQ(chart->Bar(0)->m_nId, 10060);
  EXPECT_EQ(chart->Bar(1)->m_nId, 10061);
  NotifyLog owner(chart.get());
  chart->Graph()->OnMenuCommand(kCmdLineWidth1 + 2);
  chart->Bar(1)->SetRange(10, 20);
  emit chart->Bar(1)->notify(10061, kScaleShifted);
  ASSERT_EQ(owner.codes, (std::vector<int>{kPlotLineWidth, kScaleShifted}));
  EXPECT_EQ(owner.ids[0], 10050);
  EXPECT_EQ(chart->Graph()->Channel(1)->m_nLineWidth, 3);
}

TEST(GraphScale, OwnerRangesGoToTheChannelsBarOrToTheTimeAxis) {
  auto chart = MakeChart();
  CGraph* plot = chart->Graph();
  chart->SetRange(-1, 0, 3600);
  EXPECT_EQ(plot->m_dXMax, 3600);
  EXPECT_EQ(chart->Bar(0)->m_dMax, 3600);
  EXPECT_EQ(plot->Channel(0)->m_dMax, 60);  // x only
  chart->SetRange(0, -70, 70);
  EXPECT_EQ(chart->Bar(1)->m_dMin, -70);
  EXPECT_EQ(plot->Channel(0)->m_dMin, -70);
  EXPECT_EQ(chart->m_dBarMin[1], -70);
  EXPECT_EQ(plot->Channel(1)->m_dMin, 0);  // channel 1 sits on bar 0
  chart->SetRange(0, 8, 8);                // widened, never an empty axis
  EXPECT_EQ(plot->Channel(0)->m_dMin, 7.5);
  EXPECT_EQ(chart->Bar(1)->m_dMax, 8.5);
}

TEST(GraphScale, ZoomAllFitsTimeAndValuesExactly) {
  auto chart = MakeChart();
  for (int i = 0; i < 60; ++i) chart->AddSample(0, i, static_cast<float>(i));
  chart->Graph()->OnMenuCommand(kCmdZoomAll);
  EXPECT_EQ(chart->Bar(0)->m_dMin, 0);
  EXPECT_EQ(chart->Bar(0)->m_dMax, 59);
  EXPECT_EQ(chart->Graph()->m_dXMax, 59);
  EXPECT_EQ(chart->Bar(1)->m_dMin, 0);
  EXPECT_EQ(chart->Bar(1)->m_dMax, 59);
  EXPECT_EQ(chart->Graph()->Channel(0)->m_dMax, 59);

  // Constant data: half a unit either way; no visible channel: one sample wide.
  for (int i = 0; i < 60; ++i) chart->AddSample(0, i, 4.0f);
  chart->Graph()->OnMenuCommand(kCmdZoomAll);
  EXPECT_EQ(chart->Bar(1)->m_dMin, 3.5);
  EXPECT_EQ(chart->Bar(1)->m_dMax, 4.5);
  chart->Graph()->Channel(0)->m_bVisible = false;
  chart->Graph()->OnMenuCommand(kCmdZoomAll);
  EXPECT_EQ(chart->Bar(0)->m_dMin, 0);
  EXPECT_EQ(chart->Bar(0)->m_dMax, 1);
  EXPECT_EQ(chart->Bar(1)->m_dMax, 4.5);  // value bar unchanged
}

TEST(GraphScale, TwoClickZoomSortsThePairsAndIgnoresAnEmptyWindow) {
  auto chart = MakeChart();
  CGraph* plot = chart->Graph();
  chart->SetRange(-1, 0, plot->width());  // one pixel per sample
  NotifyLog log(plot);
  Mouse(plot, QEvent::MouseButtonPress, QPoint(300, 300), Qt::LeftButton);
  Mouse(plot, QEvent::MouseMove, QPoint(200, 100), Qt::NoButton);
  EXPECT_TRUE(plot->m_bSelecting);
  EXPECT_EQ(plot->m_SelectEnd, QPoint(200, 100));
  Mouse(plot, QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton);
  ASSERT_EQ(log.codes, std::vector<int>{kPlotZoomWindow});
  EXPECT_NEAR(chart->Bar(0)->m_dMin, 100, 1e-9);
  EXPECT_NEAR(chart->Bar(0)->m_dMax, 300, 1e-9);
  const double ky = plot->height() / 60.0;
  EXPECT_NEAR(chart->Bar(1)->m_dMin, 60 - 300 / ky, 1e-9);
  EXPECT_NEAR(chart->Bar(1)->m_dMax, 60 - 100 / ky, 1e-9);
  EXPECT_NEAR(plot->Channel(0)->m_dMin, 60 - 300 / ky, 1e-9);

  // Two clicks at the same place: nothing changes.
  Mouse(plot, QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton);
  Mouse(plot, QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton);
  EXPECT_NEAR(chart->Bar(0)->m_dMin, 100, 1e-9);
  EXPECT_NEAR(plot->m_dXMax, 300, 1e-9);
}

TEST(GraphScale, ValuesOfAChannelOnTheTimeBarNeverBecomeTheTimeRange) {
  auto chart = MakeChart();
  CGraph* plot = chart->Graph();
  chart->SetRange(-1, 0, plot->width());
  plot->Channel(1)->m_bVisible = true;  // direction, left on bar 0
  for (int i = 0; i < 100; ++i) chart->AddSample(1, i, 300.0f);
  Mouse(plot, QEvent::MouseButtonPress, QPoint(100, 10), Qt::LeftButton);
  Mouse(plot, QEvent::MouseButtonPress, QPoint(200, 300), Qt::LeftButton);
  EXPECT_NEAR(chart->Bar(0)->m_dMin, 100, 1e-9);
  EXPECT_NEAR(chart->Bar(0)->m_dMax, 200, 1e-9);
  plot->OnMenuCommand(kCmdZoomAll);
  EXPECT_EQ(chart->Bar(0)->m_dMin, 0);
  EXPECT_EQ(chart->Bar(0)->m_dMax, 99);
}

TEST(GraphScale, EscapeEndsASelectionWithoutAZoom) {
  auto chart = MakeChart();
  CGraph* plot = chart->Graph();
  NotifyLog log(plot);
  Mouse(plot, QEvent::MouseButtonPress, QPoint(30, 30), Qt::LeftButton);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(plot, &escape);
  EXPECT_FALSE(plot->m_bSelecting);
  EXPECT_TRUE(escape.isAccepted());
  EXPECT_TRUE(log.codes.empty());
}

TEST(GraphScale, WheelZoomKeepsTheSampleUnderThePointer) {
  auto chart = MakeChart();
  CGraph* plot = chart->Graph();
  chart->SetRange(-1, 1000, 1000 + 2 * plot->width());  // half a pixel per sample
  const QPoint at(200, 100);
  const double before = plot->SampleAtX(at.x());
  const double valueBefore = plot->ValueAtY(0, at.y());
  Wheel(plot, at, 120);  // away from the user: zoom in by 0.8
  EXPECT_NEAR(plot->m_dXMax - plot->m_dXMin, 0.8 * 2 * plot->width(), 4.0);
  EXPECT_NEAR(plot->SampleAtX(at.x()), before, 4.0);
  EXPECT_NEAR(plot->ValueAtY(0, at.y()), valueBefore, 0.5);
  Wheel(plot, at, -120);  // toward the user: zoom out by 1.2
  EXPECT_NEAR(plot->m_dXMax - plot->m_dXMin, 1.2 * 0.8 * 2 * plot->width(), 6.0);
  EXPECT_NEAR(plot->SampleAtX(at.x()), before, 6.0);
  EXPECT_EQ(chart->Bar(0)->m_dMin, plot->m_dXMin);
}

TEST(GraphScale, MiddleButtonPanMovesByPixels) {
  auto chart = MakeChart();
  CGraph* plot = chart->Graph();
  chart->SetRange(-1, 100, 100 + plot->width() / 2.0);  // kx = 2 pixels per sample
  const double y0 = plot->Channel(0)->m_dMin;
  NotifyLog log(chart.get());
  Mouse(plot, QEvent::MouseButtonPress, QPoint(100, 100), Qt::MiddleButton);
  Mouse(plot, QEvent::MouseMove, QPoint(110, 100), Qt::NoButton);
  EXPECT_NEAR(plot->m_dXMin, 95, 1e-9);
  EXPECT_NEAR(chart->Bar(0)->m_dMin, 95, 1e-9);
  EXPECT_NEAR(plot->Channel(0)->m_dMin, y0, 1e-9);
  Mouse(plot, QEvent::MouseMove, QPoint(120, 100), Qt::NoButton);
  EXPECT_NEAR(plot->m_dXMin, 90, 1e-9);
  Mouse(plot, QEvent::MouseButtonRelease, QPoint(120, 100), Qt::MiddleButton);
  EXPECT_EQ(log.codes, (std::vector<int>{kPlotPanMoved, kPlotPanMoved, kPlotPanEnded}));
  EXPECT_FALSE(plot->m_bPanning);
}

TEST(GraphScale, LeavingThePlotEndsAPanAndKeepsItsRanges) {
  auto chart = MakeChart();
  CGraph* plot = chart->Graph();
  chart->SetRange(-1, 100, 100 + plot->width() / 2.0);
  NotifyLog log(chart.get());
  Mouse(plot, QEvent::MouseButtonPress, QPoint(100, 100), Qt::MiddleButton);
  Mouse(plot, QEvent::MouseMove, QPoint(110, 100), Qt::NoButton);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(plot, &leave);
  EXPECT_FALSE(plot->m_bPanning);
  Mouse(plot, QEvent::MouseMove, QPoint(130, 100), Qt::NoButton);
  EXPECT_NEAR(plot->m_dXMin, 95, 1e-9);
  EXPECT_EQ(log.codes, std::vector<int>{kPlotPanMoved});
}

TEST(GraphScale, WheelDuringASelectionRestartsItsWindowAndKeepsSelecting) {
  auto chart = MakeChart();
  CGraph* plot = chart->Graph();
  chart->SetRange(-1, 0, plot->width());
  Mouse(plot, QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton);
  Wheel(plot, QPoint(100, 100), 120);  // window 20 .. 600 at 1 pixel per sample
  EXPECT_TRUE(plot->m_bSelecting);
  EXPECT_NEAR(chart->Bar(0)->m_dMin, 20, 1e-9);
  const double start = plot->Channel(0)->m_ZoomX[0];
  Mouse(plot, QEvent::MouseButtonPress, QPoint(300, 200), Qt::LeftButton);
  EXPECT_NEAR(chart->Bar(0)->m_dMin, start, 1e-9);  // from the wheel's window start
  EXPECT_FALSE(plot->m_bSelecting);
}

TEST(GraphScale, BarNotificationMovesOnlyTheChannelsOfThatBar) {
  auto chart = MakeChart();
  CGraph* plot = chart->Graph();
  chart->Bar(1)->SetRange(5, 25);
  emit chart->Bar(1)->notify(chart->Bar(1)->m_nId, kScaleWheelZoom);
  EXPECT_EQ(plot->Channel(0)->m_dMin, 5);
  EXPECT_EQ(plot->Channel(1)->m_dMin, 0);  // on bar 0
  EXPECT_EQ(chart->m_dBarMax[1], 25);
  chart->Bar(0)->SetRange(10, 20);
  emit chart->Bar(0)->notify(chart->Bar(0)->m_nId, kScaleShifted);
  EXPECT_EQ(plot->m_dXMin, 10);
  EXPECT_EQ(plot->Channel(1)->m_dMin, 0);
}

TEST(GraphScale, MenuChecksChannelZerosWidth) {
  auto chart = MakeChart();
  CGraph* plot = chart->Graph();
  plot->Channel(0)->m_nLineWidth = 4;
  plot->Channel(1)->m_nLineWidth = 2;
  plot->PrepareMenu();
  int checked = 0;
  QString which;
  for (QAction* action : plot->ContextMenu()->findChildren<QAction*>()) {
    if (action->isChecked()) {
      ++checked;
      which = action->text();
    }
  }
  EXPECT_EQ(checked, 1);
  EXPECT_EQ(which, QStringLiteral("4"));
}

}  // namespace
}  // namespace ws
