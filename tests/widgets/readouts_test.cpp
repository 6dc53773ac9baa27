#include <QImage>
#include <gtest/gtest.h>

#include "display_test_support.h"
#include "widgets/fnd.h"
#include "widgets/lcd.h"

namespace ws {
namespace {

class FndTest : public ::testing::Test {
 protected:
  FndTest() {
    fnd.resize(200, 80);
    fnd.Init(false, 2);
    fnd.m_FontFamily = test::Fonts().Family(DisplayFonts::kFndSlot);
    fnd.SetColor(0x40C0FF);
    fnd.m_bReady = true;
  }
  CFnd fnd;
};

TEST_F(FndTest, SegmentsAreColouredFromTheDigitColour) {
  fnd.m_Value = 8.88;
  const QImage image = fnd.Render();
  int nearDigit = 0;
  for (int y = 1; y < 79; ++y) {
    for (int x = 1; x < 199; ++x) {
      const QRgb p = image.pixel(x, y);
      if (test::Near(p, 0x40C0FF, 10)) ++nearDigit;
      // Every lit pixel lies between the edge colour and the digit colour.
      ASSERT_LE(qRed(p), 0xFF + 0);
      ASSERT_LE(qGreen(p), 0xC0 + 2) << x << "," << y;
      ASSERT_LE(qBlue(p), 0x40 + 2) << x << "," << y;
    }
  }
  EXPECT_GT(nearDigit, 20);
}

TEST_F(FndTest, EdgeColourIsTheDigitColourLessSixtyFour) {
  EXPECT_EQ(fnd.m_EdgeColor, 0x0080BFu);
}

TEST_F(FndTest, FrameIsLighterThanTheBackground) {
  fnd.m_BackColor = 0x101010;
  const QImage image = fnd.Render();
  EXPECT_TRUE(test::Near(image.pixel(50, 0), 0x565656, 0));   // + 70
  EXPECT_TRUE(test::Near(image.pixel(0, 40), 0x565656, 0));
  EXPECT_TRUE(test::Near(image.pixel(50, 79), 0x888888, 0));  // + 120
  EXPECT_TRUE(test::Near(image.pixel(199, 40), 0x888888, 0));
  fnd.m_BackColor = 0xC8C8C8;  // channels above 185 and 135 saturate
  const QImage light = fnd.Render();
  EXPECT_TRUE(test::Near(light.pixel(50, 0), 0xFFFFFF, 0));
}

TEST_F(FndTest, ErrorWinsOverOverAndFixedTextWinsOverBoth) {
  fnd.m_bError = true;
  fnd.m_bOver = true;
  EXPECT_EQ(fnd.DisplayText(), "ERROR");
  fnd.m_bOver = false;
  const QImage errorOnly = fnd.Render();
  fnd.m_bOver = true;
  EXPECT_EQ(fnd.Render(), errorOnly);
  fnd.m_bFixedText = true;
  fnd.m_FixedText = QStringLiteral("CAL");
  EXPECT_EQ(fnd.DisplayText(), "CAL");
}

TEST_F(FndTest, NoDataShowsTwelveDashesAndSurvivesANewValue) {
  fnd.m_bNoData = true;
  fnd.m_bOver = true;
  EXPECT_EQ(fnd.DisplayText(), "------------");
  fnd.SetValue(1.0);
  EXPECT_FALSE(fnd.m_bOver);
  EXPECT_TRUE(fnd.m_bNoData);
  EXPECT_EQ(fnd.DisplayText(), "------------");
  fnd.m_bNoData = false;
  fnd.m_bError = true;
  fnd.SetValue(2.0);
  EXPECT_FALSE(fnd.m_bError);
  EXPECT_EQ(fnd.DisplayText(), "2.00");
}

TEST_F(FndTest, DecimalsAreClampedAndStoredBack) {
  fnd.m_Value = 1.0;
  fnd.m_nDecimals = 7;
  EXPECT_EQ(fnd.DisplayText(), "1.00000");
  EXPECT_EQ(fnd.m_nDecimals, 5);
  fnd.m_nDecimals = -1;
  EXPECT_EQ(fnd.DisplayText(), "1");
  EXPECT_EQ(fnd.m_nDecimals, 0);
}

TEST_F(FndTest, DurationFormats) {
  fnd.m_bDuration = true;
  fnd.m_Value = 3725.5;
  const std::pair<char, const char*> cases[] = {
      {'S', "1:02:05"}, {'m', "1:02:05.500"}, {'M', "1:02"}, {'H', "1"}, {'x', "1:02:05"}};
  for (const auto& [format, expected] : cases) {
    fnd.m_DurationFormat = format;
    EXPECT_EQ(fnd.DisplayText(), expected) << format;
  }
}

TEST_F(FndTest, MillisecondsNeverRoundUpToAThousand) {
  fnd.m_bDuration = true;
  fnd.m_DurationFormat = 'm';
  fnd.m_Value = 5.9996;
  EXPECT_EQ(fnd.DisplayText(), "0:00:05.999");
}

TEST(FndLayout, DecimalPointTakesAFifthOfThePitch) {
  const auto cells = CFnd::LayoutCells(QStringLiteral("3.14"), 200, 0, 40, false);
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(cells[3].right, 200);
  EXPECT_EQ(cells[3].left, 160);
  EXPECT_EQ(cells[1].right - cells[1].left, 8);  // 40 - 4 * 40 / 5
  EXPECT_EQ(cells[0].right, 112);
  // In fixed-text mode the point is a character like any other.
  const auto fixed = CFnd::LayoutCells(QStringLiteral("3.14"), 200, 0, 40, true);
  EXPECT_EQ(fixed[1].right - fixed[1].left, 40);
}

TEST_F(FndTest, DecimalPointIsDrawnInItsNarrowCell) {
  fnd.m_Value = 3.14159;  // "3.14": em 80, pitch 40, the point's cell is x 112 .. 120
  const QImage image = fnd.Render();
  int lit = 0;
  for (int y = 50; y < 79; ++y) {
    for (int x = 112; x < 120; ++x) lit += test::Near(image.pixel(x, y), 0, 0) ? 0 : 1;
  }
  EXPECT_GT(lit, 10);
}

TEST_F(FndTest, WithoutAFontOnlyBackgroundAndFrameAppear) {
  fnd.m_FontFamily.clear();
  fnd.m_Value = 88.88;
  const QImage image = fnd.Render();
  EXPECT_EQ(test::CountNot(image, QRect(1, 1, 198, 78), 0x000000), 0);
}

TEST_F(FndTest, UnitCaptionIsWhiteAtTheBottomRight) {
  fnd.m_FontFamily.clear();
  fnd.SetUnit(QStringLiteral("m/s"));
  const QImage image = fnd.Render();
  EXPECT_GT(test::CountNot(image, QRect(150, 55, 48, 22), 0x000000), 20);
  EXPECT_EQ(test::CountNot(image, QRect(1, 1, 100, 50), 0x000000), 0);
  bool white = false;
  for (int x = 150; x < 199 && !white; ++x) {
    for (int y = 55; y < 78 && !white; ++y) white = test::Near(image.pixel(x, y), 0xFFFFFF, 0);
  }
  EXPECT_TRUE(white);
}

class LcdTest : public ::testing::Test {
 protected:
  LcdTest() {
    lcd.resize(200, 50);
    lcd.m_MatrixFamily = test::Fonts().Family(DisplayFonts::kMatrixSlot);
    lcd.m_RoundedFamily = test::Fonts().Family(DisplayFonts::kRoundSlot);
    lcd.m_bReady = true;
  }
  CLcd lcd;
};

TEST_F(LcdTest, EmptyTextDrawsBackgroundAndFrameOnly) {
  lcd.m_BackColor = 0x202020;
  const QImage image = lcd.Render();
  EXPECT_EQ(test::CountNot(image, QRect(1, 1, 198, 48), 0x202020), 0);
  EXPECT_TRUE(test::Near(image.pixel(10, 0), 0x848484, 0));   // + 100
  EXPECT_TRUE(test::Near(image.pixel(10, 49), 0xC0C0C0, 0));  // + 160
}

TEST_F(LcdTest, TextIsRightAlignedInBothFonts) {
  for (int font : {CLcd::kMatrixFont, CLcd::kRoundedFont}) {
    lcd.m_nFont = font;
    lcd.m_Text = QStringLiteral("NE");
    const QImage image = lcd.Render();
    EXPECT_GT(test::CountNot(image, QRect(120, 1, 79, 48), 0x000000), 50) << font;
    EXPECT_EQ(test::CountNot(image, QRect(1, 1, 60, 48), 0x000000), 0) << font;
  }
}

TEST_F(LcdTest, LongTextIsClippedAtTheLeftKeepingItsEnd) {
  lcd.m_nFont = CLcd::kMatrixFont;
  lcd.m_bGlow = false;
  lcd.m_Text = QStringLiteral("ABCDEFGHIJKLMNOP");
  const QImage image = lcd.Render();
  EXPECT_GT(test::CountNot(image, QRect(1, 1, 20, 48), 0x000000), 0);
  EXPECT_GT(test::CountNot(image, QRect(170, 1, 29, 48), 0x000000), 0);
}

}  // namespace
}  // namespace ws
