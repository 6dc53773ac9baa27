#include "widgets/draw_toolkit.h"

#include <QImage>
#include <QFontInfo>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display_test_support.h"

namespace ws {
namespace {

QImage Blank(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::black);
  return image;
}

TEST(GlowAutoScale, PicksTheScaleFromTheBoxShape) {
  EXPECT_EQ(GlowAutoScale(20, 25), QPointF(1.8, 1.8));  // sides differ by less than 10
  EXPECT_EQ(GlowAutoScale(20, 40), QPointF(1.8, 1.5));  // taller than wide
  EXPECT_EQ(GlowAutoScale(40, 20), QPointF(1.5, 1.8));
  EXPECT_EQ(GlowAutoScale(20, 30), QPointF(1.8, 1.5));  // a difference of exactly 10
}

TEST(GlowMatchedScale, LongerSideGrowsJustMoreThanTheShorter) {
  // 10 x 40 with k = 2: the width grows by 10; the height needs 40 (t - 1) > 10, t = 1.3.
  const auto s = GlowMatchedScale(10, 40, 2.0f);
  ASSERT_TRUE(s.has_value());
  EXPECT_FLOAT_EQ(static_cast<float>(s->x()), 2.0f);
  EXPECT_NEAR(s->y(), 1.3, 1e-5);
  // Equal sides: the height counts as the shorter side. The steps add up in float,
  // so five of them give just over 1.5, which already grows more than 1.5 does.
  const auto square = GlowMatchedScale(20, 20, 1.5f);
  ASSERT_TRUE(square.has_value());
  EXPECT_FLOAT_EQ(static_cast<float>(square->y()), 1.5f);
  EXPECT_NEAR(square->x(), 1.5, 1e-5);
  EXPECT_GT(square->x(), 1.5);
}

TEST(GlowMatchedScale, ZeroSizeOrNonFiniteFactorIsSkippedInsteadOfLoopingForever) {
  EXPECT_FALSE(GlowMatchedScale(0, 0, 2.0f).has_value());
  EXPECT_FALSE(GlowMatchedScale(0, 10, 2.0f).has_value());
  EXPECT_FALSE(GlowMatchedScale(10, 10, std::numeric_limits<float>::infinity()).has_value());
  EXPECT_FALSE(GlowMatchedScale(10, 10, std::numeric_limits<float>::quiet_NaN()).has_value());
}

TEST(Glows, DegenerateFiguresDrawNothing) {
  QImage image = Blank(20, 20);
  QPainter painter(&image);
  QPainterPath point;
  point.moveTo(5, 5);
  point.lineTo(5, 5);
  FillGlowMatched(0xFFFFFF, painter, point, 3.0f);
  FillGlowGrow(0xFFFFFF, painter, point, 3.0f);
  FillGlowAuto(painter, QPainterPath(), 0xFFFFFF);
  painter.end();
  EXPECT_EQ(test::CountNot(image, image.rect(), 0x000000), 0);
}

TEST(Glows, GlowReachesBeyondTheFigureAndFadesOut) {
  QImage image = Blank(100, 100);
  QPainter painter(&image);
  QPainterPath square;
  square.addRect(40, 40, 20, 20);
  FillGlowAuto(painter, square, 0x0000FF);  // 1.8 x: reaches 32 .. 68
  painter.end();
  EXPECT_GT(qRed(image.pixel(50, 50)), 200);  // opaque in the centre
  EXPECT_GT(qRed(image.pixel(36, 50)), 0);    // glows past the figure's edge
  EXPECT_EQ(qRed(image.pixel(25, 50)), 0);    // but not past the scaled figure
}

TEST(FillRadial, CentreColourInTheMiddleEdgeColourAtTheRim) {
  QImage image = Blank(101, 101);
  QPainter painter(&image);
  QPainterPath box;
  box.addRect(0, 0, 100, 100);
  FillRadial(painter, box, 0xFFFFFF, 0x000080);
  painter.end();
  EXPECT_TRUE(test::Near(image.pixel(50, 50), 0xFFFFFF, 8));
  EXPECT_TRUE(test::Near(image.pixel(0, 50), 0x000080, 8));
}

TEST(Draw3dFrame, LightTopLeftDarkBottomRight) {
  QImage image = Blank(10, 10);
  QPainter painter(&image);
  Draw3dFrame(painter, 0xFFFFFF, 1, 1, 8, 8, 0x808080);
  painter.end();
  EXPECT_TRUE(test::Near(image.pixel(1, 4), 0xFFFFFF, 0));
  EXPECT_TRUE(test::Near(image.pixel(4, 1), 0xFFFFFF, 0));
  EXPECT_TRUE(test::Near(image.pixel(4, 8), 0x808080, 0));
  EXPECT_TRUE(test::Near(image.pixel(8, 4), 0x808080, 0));
  EXPECT_TRUE(test::Near(image.pixel(4, 4), 0x000000, 0));
}

TEST(AddRoundRectPath, CornersAreCutByTheRadius) {
  QPainterPath path;
  AddRoundRectPath(10, path, 0, 0, 100, 50);
  path.closeSubpath();
  EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 100, 50));
  EXPECT_FALSE(path.contains(QPointF(1, 1)));
  EXPECT_FALSE(path.contains(QPointF(99, 49)));
  EXPECT_TRUE(path.contains(QPointF(50, 1)));
  EXPECT_TRUE(path.contains(QPointF(1, 25)));
}

TEST(SplitFigures, EveryFigureIsClosedOnItsOwn) {
  QPainterPath path;
  path.moveTo(0, 0);  // an open triangle: closed by a line back to its start
  path.lineTo(10, 0);
  path.lineTo(10, 10);
  path.addEllipse(20, 0, 10, 10);  // ends on a curve
  path.moveTo(40, 0);
  path.lineTo(50, 0);
  path.lineTo(45, 8);
  const std::vector<QPainterPath> figures = SplitFigures(path);
  ASSERT_EQ(figures.size(), 3u);
  const QPainterPath& triangle = figures[0];
  EXPECT_EQ(triangle.elementAt(triangle.elementCount() - 1).x, 0.0);
  EXPECT_EQ(triangle.elementAt(triangle.elementCount() - 1).y, 0.0);
  EXPECT_EQ(figures[1].boundingRect(), QRectF(20, 0, 10, 10));
  EXPECT_TRUE(SplitFigures(QPainterPath()).empty());
}

TEST(SplitFigures, SevenSegmentEightHasSevenSegments) {
  QPainterPath eight;
  AddStringPath(eight, test::Fonts().Family(DisplayFonts::kFndSlot), kTextItalic, 100,
                QStringLiteral("8"), QPointF(0, 0), Qt::AlignLeft | Qt::AlignTop);
  EXPECT_EQ(SplitFigures(eight).size(), 7u);
}

TEST(AddStringPath, AlignsTheAdvanceBoxToTheOrigin) {
  const QString family = test::Fonts().Family(DisplayFonts::kMatrixSlot);
  QPainterPath left, right;
  AddStringPath(left, family, kTextRegular, 80, QStringLiteral("AB"), QPointF(0, 0),
                Qt::AlignLeft | Qt::AlignTop);
  AddStringPath(right, family, kTextRegular, 80, QStringLiteral("AB"), QPointF(200, 0),
                Qt::AlignRight | Qt::AlignTop);
  // Two cells of 5 dots of 0.125 em: the advance is 100 pixels at em 80.
  EXPECT_NEAR(right.boundingRect().left() - left.boundingRect().left(), 100.0, 0.05);
  QPainterPath none;
  AddStringPath(none, QString(), kTextRegular, 80, QStringLiteral("AB"), QPointF(0, 0),
                Qt::AlignLeft);
  EXPECT_TRUE(none.isEmpty());
}

TEST(LoadPngResource, MissingResourceGivesANullImage) {
  EXPECT_TRUE(LoadPngResource(987654).isNull());
}

}  // namespace
}  // namespace ws

namespace ws {
namespace {

TEST(DrawRotatedString, TurnsTheTextAboutItsOriginAndResetsTheTransform) {
  QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::black);
  QPainter painter(&image);
  QFont font = MakeFont(QStringLiteral("Arial"), 20, kTextBold);
  painter.translate(5, 5);
  DrawRotatedString(painter, font, QStringLiteral("WWWW"), Qt::AlignLeft | Qt::AlignTop,
                    QBrush(Qt::white), 50, 10, 90);
  EXPECT_TRUE(painter.transform().isIdentity());
  painter.end();
  // Turned by 90 degrees the text runs downward from (50, 10) and lies left of x = 50.
  EXPECT_GT(test::CountNot(image, QRect(20, 15, 30, 80), 0x000000), 100);
  EXPECT_EQ(test::CountNot(image, QRect(55, 0, 45, 100), 0x000000), 0);
  EXPECT_EQ(test::CountNot(image, QRect(0, 0, 100, 9), 0x000000), 0);
}

TEST(FillAnnularSector, FillsOnlyTheRingBetweenTheAngles) {
  QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::black);
  QPainter painter(&image);
  FillAnnularSector(painter, 50, 50, 20, 40, 0, 90, 0x0000FF, 0x0000FF);  // right to down
  painter.end();
  EXPECT_TRUE(test::Near(image.pixel(50 + 21, 50 + 21), 0x0000FF, 0));  // 45 degrees, r 30
  EXPECT_TRUE(test::Near(image.pixel(60, 55), 0x000000, 0));            // inside r1
  EXPECT_TRUE(test::Near(image.pixel(29, 29), 0x000000, 0));            // up-left quarter
  EXPECT_TRUE(test::Near(image.pixel(71, 29), 0x000000, 0));            // up-right quarter
}

TEST(FontSubstitutions, SystemFamiliesMapToInstalledFreeFamilies) {
  test::Fonts();  // installs the substitutions
  EXPECT_EQ(QFontInfo(MakeFont(QStringLiteral("굴림체"), 20)).family(), "NanumGothicCoding");
  EXPECT_EQ(QFontInfo(MakeFont(QStringLiteral("돋움체"), 20)).family(), "NanumGothic");
  EXPECT_EQ(QFontInfo(MakeFont(QStringLiteral("Arial"), 20)).family(), "Liberation Sans");
  EXPECT_EQ(QFontInfo(MakeFont(QStringLiteral("System"), 20)).family(), "DejaVu Sans");
}

}  // namespace
}  // namespace ws
