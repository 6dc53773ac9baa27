// The icon renderer and its style table: figures that leave no trace, the
// fall-back to style 0 and row 0, colour modes, grey, and the icon font's
// coverage of every code the station draws.
#include <gtest/gtest.h>

#include <QPainter>

#include "display_test_support.h"
#include "widgets/icon_glyph.h"
#include "widgets/icon_style.h"

namespace ws {
namespace {

QImage Blank(int side = 64) {
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

int Painted(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) != 0) ++n;
    }
  }
  return n;
}

QPainterPath Square() {
  QPainterPath p;
  p.addRect(10, 10, 40, 40);
  return p;
}

IconGlyphOptions Options(int side = 64) {
  IconGlyphOptions o;
  o.emSize = o.boxSize = static_cast<float>(side);
  o.colour1 = 0x0000FF;  // red
  o.colour2 = 0xFF0000;  // blue
  return o;
}

IconStyle SolidStyle() {
  IconStyle style;
  style.fillStyles[0].fillType = 10;
  style.fillStyles[0].alpha1 = 255;
  return style;
}

TEST(IconFigure, FillTypeZeroLeavesNoTraceNotEvenTheOutline) {
  IconStyle style = SolidStyle();
  style.fillStyles[1].fillType = 0;
  style.fillStyles[1].outlineMode = 10;
  style.fillStyles[1].innerOutlineWidth = 2;
  style.figureMap[3] = 1;
  IconGlyphOptions o = Options();
  o.outlineWidth = 3;
  QImage image = Blank();
  {
    QPainter painter(&image);
    DrawIconFigure(painter, Square(), 3, style, o);
  }
  EXPECT_EQ(Painted(image), 0);
}

TEST(IconFigure, FigureIndexFiftyOrMoreTakesStyleZero) {
  IconStyle style = SolidStyle();
  style.fillStyles[1].fillType = 0;
  style.figureMap.fill(1);  // every mapped figure is hidden
  EXPECT_EQ(&style.StyleForFigure(50), &style.fillStyles[0]);
  EXPECT_EQ(&style.StyleForFigure(49), &style.fillStyles[1]);
  QImage hidden = Blank();
  QImage shown = Blank();
  {
    QPainter a(&hidden);
    DrawIconFigure(a, Square(), 49, style, Options());
    QPainter b(&shown);
    DrawIconFigure(b, Square(), 50, style, Options());
  }
  EXPECT_EQ(Painted(hidden), 0);
  EXPECT_GT(Painted(shown), 1500);
  EXPECT_TRUE(test::Near(shown.pixel(30, 30), 0x0000FF, 0));
}

TEST(IconFigure, MapEntryOutsideTheStylesTakesStyleZero) {
  IconStyle style = SolidStyle();
  style.figureMap[0] = 20;
  style.figureMap[1] = -1;
  EXPECT_EQ(&style.StyleForFigure(0), &style.fillStyles[0]);
  EXPECT_EQ(&style.StyleForFigure(1), &style.fillStyles[0]);
  EXPECT_EQ(&style.StyleForFigure(-5), &style.fillStyles[0]);
}

TEST(IconFigure, ColourModesAndTheSwap) {
  const IconGlyphOptions o = Options();
  IconFillStyle fill;
  fill.factor1 = -0.5f;
  fill.colourMode = 2;  // both from the second colour
  EXPECT_EQ(DeriveFigureColours(fill, o).a, 0xFF0000u);
  EXPECT_EQ(DeriveFigureColours(fill, o).b, 0xFF0000u);
  fill.colourMode = 0;
  const IconFigureColours plain = DeriveFigureColours(fill, o);
  EXPECT_EQ(plain.a, 0x0000FFu);
  EXPECT_EQ(plain.b, ColorScale(0x0000FF, -0.5f));
  fill.colourMode = 50;
  EXPECT_EQ(DeriveFigureColours(fill, o).a, plain.b);
  EXPECT_EQ(DeriveFigureColours(fill, o).b, plain.a);
  fill.colourMode = 4;
  fill.ownColour = 0x00FF00;
  EXPECT_EQ(DeriveFigureColours(fill, o).a, 0x00FF00u);
  fill.colourMode = 7;
  EXPECT_EQ(DeriveFigureColours(fill, o).a, 0xFFFF00u);
}

TEST(IconFigure, OutlineColourByModeFlagAndGrey) {
  IconGlyphOptions o = Options();
  o.outlineColour = 0x204080;
  IconFillStyle fill;
  fill.outlineMode = 0;
  EXPECT_EQ(DeriveFigureColours(fill, o).outline, ColorScale(0x0000FF, -0.1f));
  fill.outlineMode = 10;
  EXPECT_EQ(DeriveFigureColours(fill, o).outline, ColorScale(0x204080, 0.5f));
  o.useOutlineColour = true;
  EXPECT_EQ(DeriveFigureColours(fill, o).outline, 0x204080u);
  o.grey = true;
  EXPECT_EQ(DeriveFigureColours(fill, o).outline, ColorLumaGray(0x204080));
  EXPECT_EQ(DeriveFigureColours(fill, o).a, ColorLumaGray(0x0000FF));
}

TEST(IconStyleTable, IndicesOutsideTheTableFallBackToRowZero) {
  const auto table = IconStyleTable();
  ASSERT_GT(table.size(), 0x130u);
  EXPECT_EQ(&IconStyleForCode(-1), &table[0]);
  EXPECT_EQ(&IconStyleForCode(static_cast<int>(table.size())), &table[0]);
  EXPECT_EQ(&IconStyleForCode(100000), &table[0]);
  EXPECT_EQ(&IconStyleForCode(155), &table[155]);
}

TEST(IconStyleTable, RowZeroAndTheFirstRowsAreAsDescribed) {
  const IconStyle& row0 = IconStyleTable()[0];
  for (int8_t m : row0.figureMap) EXPECT_EQ(m, 0);
  EXPECT_EQ(row0.fillStyles[0].fillType, 20);
  EXPECT_EQ(row0.fillStyles[0].ownColour, 0x008000u);
  EXPECT_EQ(row0.fillStyles[0].innerOutlineWidth, 1);
  EXPECT_EQ(row0.fillStyles[1].fillType, 1);
  EXPECT_EQ(row0.fillStyles[1].ownColour, 0xFFFFFFu);
  EXPECT_EQ(row0.fillStyles[1].colourMode, 1);
  EXPECT_EQ(row0.fillStyles[2].fillType, 2);
  EXPECT_EQ(row0.fillStyles[2].ownColour, 0x000080u);
  for (int code = 1; code < 16; ++code) {
    const IconStyle& row = IconStyleTable()[static_cast<size_t>(code)];
    EXPECT_EQ(row.fillStyles[0].fillType, 20) << code;
    EXPECT_EQ(row.fillStyles[0].ownColour, 0x008000u) << code;
    EXPECT_EQ(row.fillStyles[1].fillType, 0) << code;
  }
}

TEST(IconFont, EveryStationGlyphHasAnOutlineAndVisibleFigures) {
  const QString family = test::Fonts().Family(DisplayFonts::kIconSlot);
  ASSERT_FALSE(family.isEmpty());
  for (int code : {16, 18, 23, 31, 39, 58, 71, 100, 118, 122, 155, 174}) {
    const IconGlyphOptions o = Options(48);
    const QPainterPath path = IconGlyphPath(family, code, o);
    EXPECT_FALSE(path.isEmpty()) << code;
    // The outline sits inside the icon box, centred on it.
    const QRectF r = path.boundingRect();
    EXPECT_NEAR(r.center().x(), 24, 4) << code;
    EXPECT_NEAR(r.center().y(), 24, 4) << code;
    QImage image = Blank(48);
    {
      QPainter painter(&image);
      painter.setRenderHint(QPainter::Antialiasing);
      DrawIconGlyph(family, code, painter, o);
    }
    EXPECT_GT(Painted(image), 200) << code;
    // Outer shapes are painted before the holes cut into them.
    const IconStyle& row = IconStyleForCode(code);
    EXPECT_NE(row.fillStyles[row.figureMap[0]].fillType, 0) << code;
  }
}

TEST(IconFont, MissingFamilyOrGlyphDrawsNothing) {
  QImage image = Blank();
  {
    QPainter painter(&image);
    DrawIconGlyph(QString(), 155, painter, Options());
    DrawIconGlyph(test::Fonts().Family(DisplayFonts::kIconSlot), 0x2000, painter, Options());
  }
  EXPECT_EQ(Painted(image), 0);
}

TEST(IconGlyph, GreyFlagLeavesOnlyGreyPixels) {
  IconGlyphOptions o = Options(48);
  o.grey = true;
  o.outlineWidth = 1;
  QImage image = Blank(48);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawIconGlyph(test::Fonts().Family(DisplayFonts::kIconSlot), 100, painter, o);
  }
  ASSERT_GT(Painted(image), 100);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) {
      const QRgb p = image.pixel(x, y);
      EXPECT_LE(std::abs(qRed(p) - qGreen(p)), 2);
      EXPECT_LE(std::abs(qRed(p) - qBlue(p)), 2);
    }
  }
}

TEST(IconGlyph, AngleTurnsTheGlyphAboutTheBoxCentre) {
  const QString family = test::Fonts().Family(DisplayFonts::kIconSlot);
  IconGlyphOptions o = Options(48);
  o.x = 10;
  o.y = 20;
  o.angle = 90;
  const QTransform t = IconBoxTransform(o);
  const QPointF centre(10 + 24, 20 + 24);
  EXPECT_NEAR(t.map(centre).x(), centre.x(), 1e-6);
  EXPECT_NEAR(t.map(centre).y(), centre.y(), 1e-6);
  // A point right of the centre goes below it (clockwise on screen).
  const QPointF turned = t.map(centre + QPointF(10, 0));
  EXPECT_NEAR(turned.x(), centre.x(), 1e-6);
  EXPECT_NEAR(turned.y(), centre.y() + 10, 1e-6);
  EXPECT_FALSE(IconGlyphPath(family, 155, o).isEmpty());
}

}  // namespace
}  // namespace ws
