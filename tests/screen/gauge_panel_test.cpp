// The gauge panel: its layout with and without a direction sensor, what the
// averaging steps write into its boxes, the speed scale, the needles of a stack
// with nothing to show, and the split ratio the splitter hands out.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "core/settings.h"
#include "screen/gauge_panel.h"
#include "widgets/analog_gauge.h"
#include "widgets/nex_text.h"
#include "widgets/spec_display.h"
#include "widgets/splitter_bar.h"

namespace ws {
namespace {

class GaugePanelTest : public ::testing::Test {
 protected:
  GaugePanelTest() : settings(std::make_unique<Settings>()) {
    panel.resize(1000, 800);
    panel.Build(0x4C3F38, QString());
    settings->stacks[0].directEnable = 1;
    settings->stacks[1].directEnable = 0;
    panel.SetSettings(*settings);
    // The owner stores the ratio, as the station's runtime does.
    QObject::connect(&panel, &CGaugePanel::splitRatioChanged, [this](double ratio) {
      ratios.push_back(ratio);
      settings->gaugeSplitRatio = ratio;
    });
  }

  QRect Box(int b) const { return panel.ValueBox(b)->geometry(); }

  std::unique_ptr<Settings> settings;
  CGaugePanel panel;
  std::vector<double> ratios;
};

TEST_F(GaugePanelTest, WithADirectionSensorBothDialsAndFourColumnsOfBoxes) {
  panel.ShowStack(0);
  // H = 800, ratio 0.7: splitter at 560; w = (1000 - 60) / 4 = 235, h = (800 - 560 - 16) / 3 = 74.
  EXPECT_EQ(panel.Splitter()->geometry(), QRect(10, 560, 980, 6));
  EXPECT_EQ(Box(CGaugePanel::kDirection1Min), QRect(10, 568, 235, 74));
  EXPECT_EQ(Box(CGaugePanel::kDirection10Min), QRect(255, 568, 235, 74));
  EXPECT_EQ(Box(CGaugePanel::kSpeed1Min), QRect(510, 568, 235, 74));
  EXPECT_EQ(Box(CGaugePanel::kSpeed10Min), QRect(755, 568, 235, 74));
  EXPECT_EQ(Box(CGaugePanel::kDirection1Hour).top(), 568 + 78);
  EXPECT_EQ(Box(CGaugePanel::kMaximum), QRect(510, 568 + 156, 235, 74));
  EXPECT_EQ(Box(CGaugePanel::kMaximumTime), QRect(755, 568 + 156, 235, 74));
  EXPECT_EQ(panel.ClockBox()->geometry(), QRect(10, 568 + 156, 480, 74));
  // U = (1000 - 16) / 2 = 492; Q = min(560 - 25 - 2, 492 - 20) = 472; V = 10.
  EXPECT_EQ(panel.DirectionDial()->geometry(), QRect(10, 0, 472, 472));
  EXPECT_EQ(panel.SpeedDial()->geometry(), QRect(502, 0, 472, 472));
  EXPECT_FALSE(panel.DirectionDial()->isHidden());
}

TEST_F(GaugePanelTest, WithoutADirectionSensorOneCentredDialAndTheExtremesMoveUp) {
  panel.ShowStack(1);
  EXPECT_TRUE(panel.DirectionDial()->isHidden());
  for (int b = CGaugePanel::kDirection1Min; b <= CGaugePanel::kDirection1Day; ++b) {
    EXPECT_TRUE(panel.ValueBox(b)->isHidden()) << b;
  }
  EXPECT_EQ(panel.SpeedDial()->geometry(), QRect(500 - 236, 0, 472, 472));
  EXPECT_EQ(Box(CGaugePanel::kMaximum), QRect(10, 568, 235, 74));
  EXPECT_EQ(Box(CGaugePanel::kMaximumTime), QRect(255, 568, 235, 74));
  EXPECT_EQ(panel.ClockBox()->geometry(), QRect(10, 568 + 78, 480, 74));
  EXPECT_EQ(Box(CGaugePanel::kSpeed1Day), QRect(755, 568 + 78, 235, 74));
}

TEST_F(GaugePanelTest, RefreshWritesDirectionsWithTheirCompassNameAndTheMaximumTime) {
  StackAverages a;
  a.direction = {225.4, 10.0, 350.0, 0.0};
  a.speed = {12.34, 11.0, 9.5, 7.25};
  a.maximum = 31.26f;
  a.maximumTime.hour = 9;
  a.maximumTime.minute = 5;
  a.maximumTime.second = 7;
  panel.Refresh(-1, a);
  EXPECT_EQ(panel.ValueBox(CGaugePanel::kDirection1Min)->m_strValue, "225 SW");
  EXPECT_EQ(panel.ValueBox(CGaugePanel::kDirection10Min)->m_strValue, "10 N");
  EXPECT_EQ(panel.ValueBox(CGaugePanel::kDirection1Hour)->m_strValue, "350 N");
  EXPECT_EQ(panel.ValueBox(CGaugePanel::kSpeed1Min)->m_strValue, "12.3");
  EXPECT_EQ(panel.ValueBox(CGaugePanel::kMaximum)->m_strValue, "31.3");
  EXPECT_EQ(panel.ValueBox(CGaugePanel::kMaximumTime)->m_strValue, "9:5:7");
  // Step 2 touches only the 1-hour boxes (and the extremes).
  a.direction[0] = 90;
  a.direction[2] = 180;
  panel.Refresh(2, a);
  EXPECT_EQ(panel.ValueBox(CGaugePanel::kDirection1Min)->m_strValue, "225 SW");
  EXPECT_EQ(panel.ValueBox(CGaugePanel::kDirection1Hour)->m_strValue, "180 S");
}

TEST_F(GaugePanelTest, SpeedScaleRunsToTheFullScaleAndTurnsRedAtTheAlarmSpeed) {
  const CAnalogGauge* speed = panel.SpeedDial();
  EXPECT_FLOAT_EQ(speed->m_Maximum, 60.0f);
  EXPECT_TRUE(speed->m_ZonesShown);
  EXPECT_FLOAT_EQ(speed->m_ZoneFraction1, 0.5f);
  EXPECT_FLOAT_EQ(speed->m_ZoneFraction2, 0.5f);
  EXPECT_FLOAT_EQ(speed->m_ZoneFraction3, 1.0f);
  const std::vector<QString> labels = speed->Scale().Labels();
  EXPECT_EQ(labels.front(), "0");
  EXPECT_EQ(labels[3], "30");
  EXPECT_EQ(labels.back(), "60");
  // A broken full scale leaves no zone fraction that is not a number.
  settings->stacks[0].windMaxSpeed = 0;
  panel.SetSettings(*settings);
  EXPECT_TRUE(std::isfinite(panel.SpeedDial()->m_ZoneFraction1));
}

TEST_F(GaugePanelTest, ClockShowsTheTimeWithoutLeadingZeros) {
  SystemTime t{};
  t.year = 2024;
  t.month = 3;
  t.day = 7;
  t.hour = 9;
  t.minute = 5;
  t.second = 3;
  panel.SetClock(t);
  EXPECT_EQ(panel.ClockBox()->m_strText, "2024.3.7 9:5:3");
}

TEST_F(GaugePanelTest, SplitterReleaseStoresTheRatioWithinThePanelClampedToTheBand) {
  panel.ShowStack(0);
  const int top = panel.mapToGlobal(QPoint(0, 0)).y();
  panel.OnSplitterMoved(CGaugePanel::kSplitterId, top + 640);
  EXPECT_EQ(ratios, std::vector<double>{0.8});
  EXPECT_EQ(panel.Splitter()->geometry().top(), 640);
  // Far above the band: clamped to H - H / 3.
  panel.OnSplitterMoved(CGaugePanel::kSplitterId, top - 5000);
  ASSERT_EQ(ratios.size(), 2u);
  EXPECT_DOUBLE_EQ(ratios[1], (800.0 - 800 / 3) / 800);
  // Another splitter id says nothing.
  panel.OnSplitterMoved(12345, top + 600);
  EXPECT_EQ(ratios.size(), 2u);
}

TEST_F(GaugePanelTest, NoNeedlesHidesBothPointersUntilTheNextReading) {
  panel.ShowStack(0);
  panel.Needles(200.0f, 25.0f);
  EXPECT_TRUE(panel.ShowsNeedles());
  panel.NoNeedles();
  EXPECT_FALSE(panel.ShowsNeedles());
  EXPECT_TRUE(panel.DirectionDial()->m_NoValue);
  EXPECT_TRUE(panel.SpeedDial()->m_NoValue);
  panel.Needles(90.0f, 3.0f);
  EXPECT_TRUE(panel.ShowsNeedles());
  EXPECT_FALSE(panel.DirectionDial()->m_NoValue);
  EXPECT_FLOAT_EQ(panel.SpeedDial()->m_RawValue, 3.0f);
}

TEST_F(GaugePanelTest, AStoredRatioOutsideZeroAndOneReadsAsSevenTenths) {
  for (double bad : {0.0, 1.0, -0.5, 7.0, std::numeric_limits<double>::quiet_NaN()}) {
    settings->gaugeSplitRatio = bad;
    EXPECT_DOUBLE_EQ(panel.SplitRatio(), 0.7) << bad;
  }
}

}  // namespace
}  // namespace ws
