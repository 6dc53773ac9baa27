// Scale bar labels, limit texts, wheel and drag, and the limit editor.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "chart/axis_labels.h"
#include "chart/scale_bar.h"
#include "chart/setting.h"
#include "chart_test_support.h"

namespace ws {
namespace {

using test::Mouse;
using test::NotifyLog;
using test::Wheel;

TEST(AxisLabels, NumericLabelsOfZeroToSixty) {
  int decimals = 0;
  const double v = 60.0 / 10 + 1.0e-8;
  EXPECT_EQ(FormatAxisNumber(decimals, 60 - 0 * v), QStringLiteral("60"));
  EXPECT_EQ(FormatAxisNumber(decimals, 60 - 1 * v), QStringLiteral("54"));
  EXPECT_EQ(FormatAxisNumber(decimals, 60 - 9 * v), QStringLiteral("6"));
  EXPECT_EQ(FormatAxisNumber(decimals, 60 - 10 * v), QStringLiteral(" 0"));  // -1e-7, no sign
  decimals = 9;
  EXPECT_EQ(FormatAxisNumber(decimals, -0.000001), QStringLiteral(" 0.00000"));
  EXPECT_EQ(decimals, 5);
  decimals = -3;
  EXPECT_EQ(FormatAxisNumber(decimals, -2.6), QStringLiteral("-3"));
  EXPECT_EQ(decimals, 0);
}

TimeAxis Axis(double minimum, double maximum, double multiplier = 1.0) {
  TimeAxis axis;
  axis.dateLabels = true;
  axis.startTime = SystemTime{2026, 3, 6, 7, 0, 0, 0, 0};
  axis.multiplier = multiplier;
  axis.minimum = minimum;
  axis.maximum = maximum;
  return axis;
}

TEST(AxisLabels, TimeLabelFormsFollowTheSpan) {
  const int at = 14 * 3600 + 5 * 60 + 9;  // 7 March, 14:05:09
  EXPECT_EQ(FormatTimeLabel(Axis(0, 86400), at), QStringLiteral("3.07 14"));
  const TimeAxis zoomed = Axis(at, at + 100);
  EXPECT_EQ(FormatTimeLabel(zoomed, at), QStringLiteral("3.7 14"));
  EXPECT_EQ(FormatTimeLabel(zoomed, at + 100), QStringLiteral("3.7 14"));
  EXPECT_EQ(FormatTimeLabel(zoomed, at + 10), QStringLiteral("14:05:19"));
  EXPECT_EQ(FormatTimeLabel(Axis(0, 1000), at), QStringLiteral("7 14:05"));
  // Thresholds are on the span in label units: 1,727 samples of 1 s vs 2 s.
  EXPECT_EQ(FormatTimeLabel(Axis(0, 1727), at), QStringLiteral("7 14:05"));
  EXPECT_EQ(FormatTimeLabel(Axis(0, 143), at), QStringLiteral("14:05:09"));
  EXPECT_EQ(FormatTimeLabel(Axis(0, 144), at), QStringLiteral("7 14:05"));
  EXPECT_EQ(FormatTimeLabel(Axis(0, 86400 * 2.0, 2.0), at), QStringLiteral("3.07 14"));
  // A day later the calendar moves on.
  EXPECT_EQ(FormatTimeLabel(Axis(0, 86400), at + 86400), QStringLiteral("3.08 14"));
}

TEST(AxisLabels, LimitTextsOfTheTimeBarAndOfValueBars) {
  EXPECT_EQ(ParseLimitText(QStringLiteral("1:30"), true), 90.0);
  EXPECT_EQ(ParseLimitText(QStringLiteral("1:02:03"), true), 3723.0);
  EXPECT_EQ(ParseLimitText(QStringLiteral("12:00:00"), true), 43200.0);
  EXPECT_EQ(ParseLimitText(QStringLiteral("1.30"), true), 90.0);
  EXPECT_EQ(ParseLimitText(QStringLiteral("2.00.30"), true), 7230.0);
  EXPECT_EQ(ParseLimitText(QStringLiteral("86399.0"), true), 86399.0);  // one decimal: a number
  EXPECT_EQ(ParseLimitText(QStringLiteral("1.30"), false), 1.3);
  EXPECT_EQ(ParseLimitText(QStringLiteral(" 12.5 "), false), 12.5);
  EXPECT_FALSE(ParseLimitText(QStringLiteral("abc"), false));
  EXPECT_FALSE(ParseLimitText(QStringLiteral("x:30"), true));
  EXPECT_FALSE(ParseLimitText(QStringLiteral("inf"), false));
  EXPECT_FALSE(ParseLimitText(QString(), false));
}

std::unique_ptr<CScaleBar> MakeBar(bool vertical, int w, int h, double lo, double hi) {
  auto bar = std::make_unique<CScaleBar>();
  bar->resize(w, h);
  bar->Initialise(10, 0x800000, vertical, lo, hi);
  return bar;
}

TEST(ScaleBar, TypedLimitsWithTheMultiplier) {
  auto time = MakeBar(false, 700, 68, 0, 1000);
  time->m_bTimeAxis = true;
  time->m_dMultiplier = 2.0;
  NotifyLog log(time.get());
  EXPECT_TRUE(time->ApplyLimitText(true, QStringLiteral("1:30")));
  EXPECT_EQ(time->m_dMax, 45);
  auto value = MakeBar(true, 68, 400, 0, 60);
  value->m_dMultiplier = 2.0;
  NotifyLog valueLog(value.get());
  EXPECT_TRUE(value->ApplyLimitText(false, QStringLiteral("12.5")));
  EXPECT_EQ(value->m_dMin, 6.25);
  // No number, or a minimum at or above the maximum: nothing changes.
  EXPECT_FALSE(value->ApplyLimitText(false, QStringLiteral("abc")));
  EXPECT_FALSE(value->ApplyLimitText(false, QStringLiteral("120")));
  EXPECT_EQ(value->m_dMin, 6.25);
  EXPECT_EQ(log.codes, std::vector<int>{kScaleMaxEdited});
  EXPECT_EQ(valueLog.codes, std::vector<int>{kScaleMinEdited});
}

TEST(ScaleBar, WheelAtTheMiddleWidensByATenthEachWay) {
  auto bar = MakeBar(true, 68, 100, 0, 100);
  NotifyLog log(bar.get());
  Wheel(bar.get(), QPoint(30, 50), -120);
  EXPECT_DOUBLE_EQ(bar->m_dMin, -5);
  EXPECT_DOUBLE_EQ(bar->m_dMax, 105);
  Wheel(bar.get(), QPoint(30, 50), 120);
  EXPECT_NEAR(bar->m_dMin, -5 + 5.5, 1e-9);
  EXPECT_NEAR(bar->m_dMax, 105 - 5.5, 1e-9);
  EXPECT_EQ(log.codes, (std::vector<int>{kScaleWheelZoom, kScaleWheelZoom}));
}

TEST(ScaleBar, DraggingUpShowsLowerValuesAndReleaseEndsTheDrag) {
  auto bar = MakeBar(true, 68, 100, 0, 100);
  NotifyLog log(bar.get());
  Mouse(bar.get(), QEvent::MouseButtonPress, QPoint(30, 50), Qt::LeftButton);
  EXPECT_TRUE(bar->m_bDragging);
  Mouse(bar.get(), QEvent::MouseMove, QPoint(30, 40), Qt::NoButton);
  EXPECT_DOUBLE_EQ(bar->m_dMin, -10);
  EXPECT_DOUBLE_EQ(bar->m_dMax, 90);
  Mouse(bar.get(), QEvent::MouseButtonRelease, QPoint(30, 40), Qt::LeftButton);
  EXPECT_FALSE(bar->m_bDragging);
  EXPECT_EQ(log.codes, (std::vector<int>{kScaleShifted, kScaleDragEnded}));

  auto time = MakeBar(false, 200, 68, 0, 100);
  Mouse(time.get(), QEvent::MouseButtonPress, QPoint(100, 30), Qt::MiddleButton);
  Mouse(time.get(), QEvent::MouseMove, QPoint(120, 30), Qt::NoButton);
  EXPECT_DOUBLE_EQ(time->m_dMin, -10);  // to the right: earlier samples
}

TEST(ScaleBar, EndStripsAreATwentiethOfTheLength) {
  auto bar = MakeBar(true, 68, 400, 0, 100);
  EXPECT_EQ(bar->MaxStrip(), QRect(0, 0, 68, 20));
  EXPECT_EQ(bar->MinStrip(), QRect(0, 380, 68, 20));
  auto time = MakeBar(false, 700, 68, 0, 100);
  EXPECT_EQ(time->MaxStrip(), QRect(665, 0, 35, 68));
  EXPECT_EQ(time->MinStrip(), QRect(0, 0, 35, 68));
}

TEST(LimitEditor, OpensWithTheFormattedValueAtTheClickedEnd) {
  CSetting high;
  high.Setup(QRect(100, 200, 68, 400), CSetting::kMaxOfVertical, 1, QString(), true, 60);
  high.Prepare();
  EXPECT_EQ(high.windowTitle(), QStringLiteral("High"));
  EXPECT_EQ(high.Placement(), QPoint(100, 200));
  EXPECT_EQ(high.Edit()->text(), QStringLiteral("60.0"));
  EXPECT_EQ(high.Edit()->alignment() & Qt::AlignRight, Qt::AlignRight);

  CSetting low;
  low.Setup(QRect(100, 200, 68, 400), CSetting::kMinOfVertical, 2, QString(), true, 5);
  low.Prepare();
  EXPECT_EQ(low.windowTitle(), QStringLiteral("Low"));
  EXPECT_EQ(low.Edit()->text(), QStringLiteral("5.00"));
  EXPECT_EQ(low.Placement().y() + low.frameGeometry().height(), 600);

  CSetting right;
  right.Setup(QRect(70, 700, 700, 68), CSetting::kMaxOfHorizontal, 1, QStringLiteral("Until"),
              true, 5);
  right.Prepare();
  EXPECT_EQ(right.windowTitle(), QStringLiteral("Until"));
  EXPECT_EQ(right.Placement().x() + right.frameGeometry().width(), 770);
  EXPECT_EQ(right.Edit()->text(), QStringLiteral("5.0"));

  // OK takes the edited text; cancel keeps the text shown on opening.
  right.Edit()->setText(QStringLiteral("1:30"));
  right.accept();
  EXPECT_EQ(right.ValueText(), QStringLiteral("1:30"));
  low.Edit()->setText(QStringLiteral("9"));
  low.reject();
  EXPECT_EQ(low.ValueText(), QStringLiteral("5.00"));
}

}  // namespace
}  // namespace ws
