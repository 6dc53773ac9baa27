// The analog gauge: where values land on the dial, the ticks and labels of the
// DIRECTION and SPEED dials, the zone colouring of the readout, the cached face,
// a dial with no value to show, and dials with a broken scale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "display_test_support.h"
#include "widgets/analog_gauge.h"

namespace ws {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// The DIRECTION dial as the gauge panel sets it up.
std::unique_ptr<CAnalogGauge> Direction(int side = 200) {
  auto g = std::make_unique<CAnalogGauge>(QStringLiteral("DIRECTION"), 50000);
  g->resize(side, side);
  g->Init(QString(), 0, 16, 1);
  g->m_DigitFontFamily = test::Fonts().Family(DisplayFonts::kFndSlot);
  g->m_PointerColour = 0xFF0000;
  g->m_CompassStyle = true;
  g->m_StartAngle = 0;
  g->m_EndAngle = 360;
  g->m_Maximum = 360;
  g->m_LongTail = false;
  g->SetReadout(QString(), 0x0000FA, 0);
  return g;
}

// The SPEED dial with a full scale of 60 and the Alarm speed at 30.
std::unique_ptr<CAnalogGauge> Speed(int side = 200) {
  auto g = std::make_unique<CAnalogGauge>(QStringLiteral("SPEED"), 50001);
  g->resize(side, side);
  g->Init(QString(), 1, 6, 5);
  g->m_DigitFontFamily = test::Fonts().Family(DisplayFonts::kFndSlot);
  g->m_Maximum = 60;
  g->m_ZonesShown = true;
  g->m_ZoneFraction1 = 0.5f;
  g->m_ZoneFraction2 = 0.5f;
  g->m_ZoneFraction3 = 1.0f;
  g->SetReadout(QStringLiteral("m/s"), 0x00C800, 1);
  return g;
}

QRgb PixelAtAngle(const QImage& image, int side, float degrees, float radius) {
  const float a = degrees * 3.14159265f / 180.0f;
  return image.pixel(static_cast<int>(side / 2 + std::cos(a) * radius),
                     static_cast<int>(side / 2 + std::sin(a) * radius));
}

bool Reddish(QRgb p) { return qRed(p) > 180 && qGreen(p) < 90 && qBlue(p) < 90; }
bool Greenish(QRgb p) { return qGreen(p) > 180 && qRed(p) < 90 && qBlue(p) < 90; }

TEST(GaugeValueToAngle, ValueAtTheMaximumLandsOnTheEndAngle) {
  GaugeScale s;
  s.maximum = 60;
  EXPECT_FLOAT_EQ(s.ValueToAngle(0), 135.0f);
  EXPECT_FLOAT_EQ(s.ValueToAngle(60), 405.0f);
  EXPECT_FLOAT_EQ(s.ValueToAngle(30), 270.0f);
}

TEST(GaugeValueToAngle, ValueAboveTheMaximumIsPinnedWhileReadoutShowsItInRed) {
  auto g = Speed();
  g->m_ZoneColouredReadout = true;
  g->SetValue(75.0f);
  EXPECT_FLOAT_EQ(g->PointerAngle(), 405.0f);
  EXPECT_FLOAT_EQ(g->m_RawValue, 75.0f);
  EXPECT_FLOAT_EQ(g->m_ShownValue, 60.0f);
  EXPECT_EQ(g->m_ReadoutZoneColour, 0x0000FAu);
  g->SetValue(60.0f);
  EXPECT_FLOAT_EQ(g->PointerAngle(), 405.0f);
}

TEST(GaugeValueToAngle, ZoneColourOfTheReadoutFollowsTheValue) {
  auto g = Speed();
  g->m_ZoneFraction1 = 0.5f;
  g->m_ZoneFraction2 = 0.8f;
  g->m_ZoneColouredReadout = true;
  g->SetValue(10.0f);
  EXPECT_EQ(g->m_ReadoutZoneColour, 0x00C800u);
  g->SetValue(30.0f);
  EXPECT_EQ(g->m_ReadoutZoneColour, 0x0AB4B4u);
  g->SetValue(48.0f);
  EXPECT_EQ(g->m_ReadoutZoneColour, 0x0000FAu);
  EXPECT_EQ(g->m_Readout2Colour, 0xFFFF80u);
  EXPECT_EQ(g->m_Readout2Dark, 0xBF4000u);
}

TEST(GaugeValueToAngle, CompassPointsUpRightAndLeft) {
  auto g = Direction();
  g->SetValue(0);
  EXPECT_FLOAT_EQ(g->PointerAngle(), -90.0f);
  g->SetValue(90);
  EXPECT_FLOAT_EQ(g->PointerAngle(), 0.0f);
  g->SetValue(270);
  EXPECT_FLOAT_EQ(g->PointerAngle(), 180.0f);
}

TEST(GaugeValueToAngle, CompassArrowAtZeroIsDrawnAboveTheCentre) {
  auto g = Direction(200);
  g->SetValue(0);
  const QImage& frame = g->RenderFrame();
  // The arrow's opaque spine in the pointer colour (blue) runs straight up.
  const QRgb above = frame.pixel(100, 40);
  const QRgb below = frame.pixel(100, 160);
  EXPECT_GT(qBlue(above), qRed(above) + 60);
  EXPECT_LT(qBlue(below), qRed(below) + 30);
}

TEST(GaugeScaleLayout, DirectionDialHas17MajorTicksAndOnlyCompassLetters) {
  const GaugeScale s = Direction()->Scale();
  const auto ticks = s.Ticks(200, 90);
  std::vector<float> major;
  for (const auto& t : ticks) {
    if (t.major) major.push_back(t.angle);
  }
  ASSERT_EQ(major.size(), 17u);
  EXPECT_FLOAT_EQ(major.back(), major.front() + 360.0f);
  QStringList shown;
  for (const QString& label : s.Labels()) {
    if (!label.isEmpty()) shown << label;
  }
  EXPECT_EQ(shown, (QStringList{"E", "S", "W", "N"}));
  EXPECT_EQ(s.Labels()[12], QStringLiteral("N"));
}

TEST(GaugeScaleLayout, SpeedDialHasSevenLabelsAndSixMinorTicksPerInterval) {
  const GaugeScale s = Speed()->Scale();
  EXPECT_EQ(s.Labels(), (std::vector<QString>{"0", "10", "20", "30", "40", "50", "60"}));
  const auto ticks = s.Ticks(200, 90);
  std::vector<float> major, minor;
  for (const auto& t : ticks) (t.major ? major : minor).push_back(t.angle);
  ASSERT_EQ(major.size(), 7u);
  ASSERT_EQ(minor.size(), 36u);
  for (int k = 0; k < 6; ++k) {
    const int inside = static_cast<int>(std::count_if(minor.begin(), minor.end(), [&](float a) {
      return a > major[k] + 0.01f && a < major[k + 1] + 0.01f;
    }));
    EXPECT_EQ(inside, 6) << "interval " << k;
    // The sixth lands under the next major tick.
    EXPECT_NEAR(minor[static_cast<size_t>(k * 6 + 5)], major[static_cast<size_t>(k + 1)], 1e-3);
  }
}

TEST(GaugeScaleLayout, SpeedDialZonesAreGreenBelowTheAlarmAndRedAbove) {
  auto g = Speed(200);
  g->SetValue(0);
  const QImage& frame = g->RenderFrame();
  // Zone ring: inset 3m (m = 4) with a pen of width m.
  const float r = (200 - 6 * 4 - 1) / 2.0f;
  EXPECT_TRUE(Greenish(PixelAtAngle(frame, 200, 200, r)));
  EXPECT_TRUE(Reddish(PixelAtAngle(frame, 200, 340, r)));
}

TEST(GaugeScaleLayout, WideWindowUsesItsHeightAsTheDialSide) {
  auto g = Speed(200);
  g->resize(300, 180);
  EXPECT_EQ(g->RenderFrame().size(), QSize(180, 180));
  EXPECT_EQ(g->Side(), 180);
  EXPECT_EQ(g->m_Readout1Box, QRect(90 - 27, static_cast<int>(180 * 0.6), 54, static_cast<int>(180 * 0.12)));
}

TEST(GaugeReadout, DigitsAreLaidOutRightToLeftWithANarrowPoint) {
  const auto cells = LayoutReadout(QStringLiteral("12.5"), 100, 20);
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(cells[3].ch, QLatin1Char('5'));
  EXPECT_EQ(cells[3].left, 80);
  EXPECT_EQ(cells[3].right, 100);
  EXPECT_EQ(cells[2].right - cells[2].left, 4);  // a fifth of the pitch
  EXPECT_EQ(cells[1].right, 76);
  EXPECT_EQ(cells[0].left, 36);
}

TEST(GaugeReadout, DigitsLightUpInsideTheBoxOnly) {
  auto g = Speed(200);
  g->SetValue(12.5f);
  const QImage& frame = g->RenderFrame();
  const QRect box = g->m_Readout1Box;
  int lit = 0;
  for (int y = box.top(); y < box.bottom(); ++y) {
    for (int x = box.left(); x < box.right(); ++x) {
      if (qGreen(frame.pixel(x, y)) > 150) ++lit;
    }
  }
  EXPECT_GT(lit, 50);
  // Nothing green leaks above the box.
  for (int x = box.left(); x < box.right(); ++x) {
    EXPECT_LT(qGreen(frame.pixel(x, box.top() - 3)) - qRed(frame.pixel(x, box.top() - 3)), 40);
  }
}

TEST(GaugeNoValue, NeitherDialDrawsAPointerOrDigitsOfTheValueItHeldUntilTheNextValue) {
  for (auto* make : {&Speed, &Direction}) {
    auto g = (*make)(200);
    g->SetValue(10.0f);
    const QImage ten = g->RenderFrame().copy();
    g->SetNoValue();
    const QImage none = g->RenderFrame().copy();
    EXPECT_NE(none, ten) << g->Title().toStdString();
    // The value held before does not show: both frames without a value are the same.
    g->SetValue(40.0f);
    const QImage forty = g->RenderFrame().copy();
    g->SetNoValue();
    EXPECT_EQ(g->RenderFrame(), none) << g->Title().toStdString();
    g->SetValue(40.0f);
    EXPECT_FALSE(g->m_NoValue);
    EXPECT_EQ(g->RenderFrame(), forty) << g->Title().toStdString();
  }
}

TEST(GaugeFaceCache, ValueUpdatesReuseTheFaceAndResizeRebuildsIt) {
  auto g = Speed(200);
  g->SetValue(1);
  g->RenderFrame();
  const int built = g->FaceBuildCount();
  for (int i = 0; i < 20; ++i) {
    g->SetValue(static_cast<float>(i));
    g->RenderFrame();
  }
  EXPECT_EQ(g->FaceBuildCount(), built);
  g->resize(220, 220);
  g->RenderFrame();
  EXPECT_EQ(g->FaceBuildCount(), built + 1);
}

TEST(GaugeBrokenScale, MaximumZeroNegativeOrNotFinitePutsThePointerAtTheStart) {
  for (float max : {0.0f, -10.0f, kNaN, kInf}) {
    auto g = Speed(200);
    g->m_Maximum = max;
    g->InvalidateFace();
    g->SetValue(25.0f);
    EXPECT_FLOAT_EQ(g->PointerAngle(), 135.0f) << max;
    const QImage& frame = g->RenderFrame();
    EXPECT_FALSE(frame.isNull());
    // No zone arc on a scale without extent.
    const float r = (200 - 6 * 4 - 1) / 2.0f;
    EXPECT_FALSE(Greenish(PixelAtAngle(frame, 200, 200, r))) << max;
    EXPECT_FALSE(Reddish(PixelAtAngle(frame, 200, 340, r))) << max;
  }
}

TEST(GaugeBrokenScale, ZoneFractionsAreClampedToTheSweep) {
  auto g = Speed(200);
  g->m_ZoneFraction3 = 5.0f;  // would run the red arc all round the dial
  g->InvalidateFace();
  g->SetValue(0);
  const QImage& frame = g->RenderFrame();
  const float r = (200 - 6 * 4 - 1) / 2.0f;
  EXPECT_FALSE(Reddish(PixelAtAngle(frame, 200, 90, r)));  // the gap at the bottom
  EXPECT_TRUE(Reddish(PixelAtAngle(frame, 200, 340, r)));
}

TEST(GaugeBrokenScale, NotANumberDrawsAsZero) {
  auto g = Speed(200);
  g->SetValue(kNaN);
  EXPECT_FLOAT_EQ(g->m_RawValue, 0.0f);
  EXPECT_FLOAT_EQ(g->PointerAngle(), 135.0f);
  EXPECT_FALSE(g->RenderFrame().isNull());
}

}  // namespace
}  // namespace ws

namespace ws {
namespace {

// What the operator reads must stay readable: the readout lies over the needle,
// new box fractions apply at the next paint, and the glare leaves the marks alone.

TEST(GaugeReadout, DirectionReadoutIsDrawnOverTheNeedleAt180) {
  auto g = Direction(300);
  g->m_Box1Fractions = {0.3, 0.12, 0.6};
  g->SetValue(180);
  const QImage& frame = g->RenderFrame();
  const QRect box = g->m_Readout1Box;
  ASSERT_FALSE(box.isEmpty());
  // The arrow runs down the vertical centre line through the box: inside the box
  // no pixel may carry the pointer's blue (COLORREF 0xFF0000).
  int blue = 0;
  for (int y = box.top() + 2; y < box.bottom() - 1; ++y) {
    for (int x = box.center().x() - 3; x <= box.center().x() + 3; ++x) {
      const QRgb p = frame.pixel(x, y);
      if (qBlue(p) > 150 && qRed(p) < 90 && qGreen(p) < 90) ++blue;
    }
  }
  EXPECT_EQ(blue, 0);
}

TEST(GaugeReadout, BoxFractionsWrittenAfterInitApplyAtTheNextPaint) {
  auto g = Speed(300);
  g->RenderFrame();
  g->m_Box1Fractions = {0.3, 0.12, 0.78};
  g->RenderFrame();
  EXPECT_EQ(g->m_Readout1Box.top(), static_cast<int>(300 * 0.78));
  EXPECT_EQ(g->m_Readout1Box.height(), static_cast<int>(300 * 0.12));
}

TEST(GaugeGlare, MarksOfTheBandAroundTheAlarmLevelKeepFullContrast) {
  auto g = Speed(400);
  g->SetValue(0);
  const QImage& frame = g->RenderFrame();
  // The major tick at 30 (straight up) lies under the brightest part of the
  // glare: its darkest pixel must stay near the tick colour (black).
  int darkest = 255;
  for (int y = 0; y < 400 / 5; ++y) {
    for (int x = 198; x <= 202; ++x) darkest = std::min(darkest, qGray(frame.pixel(x, y)));
  }
  EXPECT_LT(darkest, 40);
}

}  // namespace
}  // namespace ws
