// The multi-button bar: which segment the mouse is over, the notification
// codes, the pressed shift, disabled buttons and per-segment tooltips.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display_test_support.h"
#include "widgets/multi_button.h"

namespace ws {
namespace {

std::unique_ptr<CMultiButton> MakeBar(int width = 700, int height = 100) {
  auto bar = std::make_unique<CMultiButton>(10020);
  bar->resize(width, height);
  bar->m_IconFontFamily = test::Fonts().Family(DisplayFonts::kIconSlot);
  bar->m_Count = 7;
  const int glyphs[] = {155, 16, 39, 31, 174, 18, 100};
  for (int i = 0; i < 7; ++i) {
    bar->m_Glyph[i] = glyphs[i];
    bar->m_GlyphColour[i] = 0x00C0FF;
  }
  return bar;
}

void Record(CMultiButton& bar, std::vector<int>& out) {
  QObject::connect(&bar, &CMultiButton::notify, [&out](int, int code) { out.push_back(code); });
}

int CountDifferent(const QImage& a, const QImage& b, const QRect& area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) ++n;
    }
  }
  return n;
}

TEST(MultiButtonHover, SevenHundredPixelBarMovesToButtonOneAtX100) {
  auto bar = MakeBar();
  test::SendMouse(bar.get(), QEvent::MouseMove, QPoint(99, 50));
  EXPECT_EQ(bar->HoveredIndex(), 0);
  test::SendMouse(bar.get(), QEvent::MouseMove, QPoint(100, 50));
  EXPECT_EQ(bar->HoveredIndex(), 1);
  test::SendMouse(bar.get(), QEvent::MouseMove, QPoint(699, 50));
  EXPECT_EQ(bar->HoveredIndex(), 6);
}

TEST(MultiButtonHover, BarNarrowerThanItsCountHoversNothing) {
  auto bar = MakeBar(5, 40);
  test::SendMouse(bar.get(), QEvent::MouseMove, QPoint(3, 10));
  EXPECT_EQ(bar->HoveredIndex(), -1);
  EXPECT_EQ(bar->IndexAt(0), -1);
}

TEST(MultiButtonHover, PixelsPastTheLastSegmentAndOutsideHoverNothing) {
  auto bar = MakeBar(703, 100);  // 100-pixel segments and 3 spare pixels
  EXPECT_EQ(bar->IndexAt(699), 6);
  EXPECT_EQ(bar->IndexAt(701), -1);
  EXPECT_EQ(bar->IndexAt(-1), -1);
  EXPECT_EQ(bar->IndexAt(703), -1);
}

TEST(MultiButtonCodes, PressReleaseDoubleClickAndLeave) {
  auto bar = MakeBar();
  std::vector<int> codes;
  Record(*bar, codes);
  test::SendMouse(bar.get(), QEvent::MouseMove, QPoint(350, 50));
  test::SendMouse(bar.get(), QEvent::MouseButtonPress, QPoint(350, 50));
  EXPECT_EQ(bar->PressedIndex(), 3);
  test::SendMouse(bar.get(), QEvent::MouseButtonRelease, QPoint(350, 50));
  test::SendMouse(bar.get(), QEvent::MouseButtonDblClick, QPoint(350, 50));
  test::SendMouse(bar.get(), QEvent::MouseButtonRelease, QPoint(350, 50));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(bar.get(), &leave);
  EXPECT_EQ(codes, (std::vector<int>{1, 2, 3, 2, 0}));
  EXPECT_EQ(bar->HoveredIndex(), -1);
  EXPECT_EQ(bar->PressedIndex(), -1);
}

TEST(MultiButtonCodes, ClickIsReportedWithTheHoveredIndex) {
  auto bar = MakeBar();
  int clickedOn = -2;
  QObject::connect(bar.get(), &QAbstractButton::clicked, [&] { clickedOn = bar->HoveredIndex(); });
  test::SendMouse(bar.get(), QEvent::MouseMove, QPoint(450, 50));
  test::SendMouse(bar.get(), QEvent::MouseButtonPress, QPoint(450, 50));
  test::SendMouse(bar.get(), QEvent::MouseButtonRelease, QPoint(450, 50));
  EXPECT_EQ(clickedOn, 4);
}

TEST(MultiButtonPaint, PressedHoveredButtonIsDrawnTwoPixelsLowerRight) {
  auto bar = MakeBar();
  test::SendMouse(bar.get(), QEvent::MouseMove, QPoint(350, 50));
  bar->m_HoverGlow = false;  // compare the icon alone
  const QImage up = bar->Render(false);
  const QImage down = bar->Render(true);
  const QRect segment3(300, 0, 100, 100);
  const QRect segment2(200, 0, 100, 100);
  EXPECT_GT(CountDifferent(up, down, segment3), 50);
  EXPECT_EQ(CountDifferent(up, down, segment2), 0);
  // Shifting the released picture by (2, 2) gives the pressed one inside the icon.
  const QRectF box = bar->IconBox(3);
  int mismatches = 0;
  for (int y = static_cast<int>(box.top()) + 4; y < static_cast<int>(box.bottom()) - 4; ++y) {
    for (int x = static_cast<int>(box.left()) + 4; x < static_cast<int>(box.right()) - 4; ++x) {
      if (!test::Near(down.pixel(x + 2, y + 2), test::AsColorRef(up.pixel(x, y)), 40)) ++mismatches;
    }
  }
  EXPECT_LT(mismatches, static_cast<int>(box.width() * box.height() / 10));
}

TEST(MultiButtonPaint, DisabledButtonIsGreyAndHasNoGlow) {
  auto bar = MakeBar();
  bar->m_Enabled[1] = false;
  bar->m_FaceTop = bar->m_FaceBottom = 0x808080;  // a grey face: any colour comes from the icon
  test::SendMouse(bar.get(), QEvent::MouseMove, QPoint(150, 50));
  ASSERT_EQ(bar->HoveredIndex(), 1);
  const QImage image = bar->Render(false);
  bar->m_HoverGlow = false;
  const QImage noGlow = bar->Render(false);
  EXPECT_EQ(CountDifferent(image, noGlow, QRect(100, 0, 100, 100)), 0);
  const QRectF box = bar->IconBox(1);
  bar->m_Glyph[1] = -1;
  const QImage bare = bar->Render(false);
  int coloured = 0;
  int drawn = 0;
  for (int y = static_cast<int>(box.top()); y < static_cast<int>(box.bottom()); ++y) {
    for (int x = static_cast<int>(box.left()); x < static_cast<int>(box.right()); ++x) {
      const QRgb p = image.pixel(x, y);
      if (p != bare.pixel(x, y)) ++drawn;
      if (std::abs(qRed(p) - qBlue(p)) > 3 || std::abs(qRed(p) - qGreen(p)) > 3) ++coloured;
    }
  }
  EXPECT_GT(drawn, 200);
  EXPECT_EQ(coloured, 0);
}

TEST(MultiButtonPaint, HoveredEnabledButtonGlows) {
  auto bar = MakeBar();
  bar->m_HoverGlow = false;
  test::SendMouse(bar.get(), QEvent::MouseMove, QPoint(150, 50));
  const QImage plain = bar->Render(false);
  bar->m_HoverGlow = true;
  const QImage glow = bar->Render(false);
  EXPECT_GT(CountDifferent(plain, glow, QRect(100, 0, 100, 100)), 100);
}

TEST(MultiButtonPaint, ButtonWithoutGlyphDrawsNothingButReportsItsIndex) {
  auto bar = MakeBar();
  auto empty = MakeBar();
  empty->m_Glyph[5] = -1;
  test::SendMouse(empty.get(), QEvent::MouseMove, QPoint(550, 50));
  EXPECT_EQ(empty->HoveredIndex(), 5);
  empty->m_HoverGlow = false;
  const QImage image = empty->Render(false);
  bar->m_Glyph.fill(-1);
  const QImage bare = bar->Render(false);
  EXPECT_EQ(CountDifferent(image, bare, QRect(500, 0, 100, 100)), 0);
}

TEST(MultiButtonPaint, OverlayWithAlphaBlendsOverTheIcon) {
  auto opaque = MakeBar();
  opaque->m_OverlayGlyph[2] = 122;
  opaque->m_OverlayColour[2] = 0x0000FA;
  opaque->m_OverlayScale[2] = 0.6f;
  auto faded = MakeBar();
  faded->m_OverlayGlyph[2] = 122;
  faded->m_OverlayColour[2] = 0x0000FA;
  faded->m_OverlayScale[2] = 0.6f;
  faded->m_OverlayAlpha[2] = 160;
  faded->m_OverlayAlphaOn[2] = true;
  const QImage a = opaque->Render(false);
  const QImage b = faded->Render(false);
  // Centre of the overlay: pure red when opaque, mixed with what lies under it otherwise.
  const int x = 100 / 2 + 2 * 98 + 5 + 6;
  const QRgb pa = a.pixel(x, 56);
  const QRgb pb = b.pixel(x, 56);
  EXPECT_GT(qRed(pa), 150);
  EXPECT_NE(pa, pb);
}

TEST(MultiButtonTooltips, EachSegmentHasItsOwnText) {
  auto bar = MakeBar();
  bar->SetTooltipText(0, QStringLiteral("MAIN"));
  bar->SetTooltipText(6, QStringLiteral("EXIT"));
  bar->SetTooltipText(25, QStringLiteral("ignored"));
  EXPECT_EQ(bar->TooltipText(0), QStringLiteral("MAIN"));
  EXPECT_EQ(bar->TooltipText(6), QStringLiteral("EXIT"));
  EXPECT_EQ(bar->TooltipText(3), QString());
  EXPECT_EQ(bar->TooltipText(-1), QString());
}

}  // namespace
}  // namespace ws
