// What the plot paints: the disabled face, the bands, direction sticks, the readout.
#include <gtest/gtest.h>

#include <QPalette>

#include <cstdlib>

#include "chart_test_support.h"

namespace ws {
namespace {

using test::MakePlot;

bool Near(QRgb pixel, ColorRef colour, int tolerance = 8) {
  return std::abs(qRed(pixel) - RedOf(colour)) <= tolerance &&
         std::abs(qGreen(pixel) - GreenOf(colour)) <= tolerance &&
         std::abs(qBlue(pixel) - BlueOf(colour)) <= tolerance;
}

TEST(GraphPaint, DisabledPlotShowsOnlyTheButtonFace) {
  auto plot = MakePlot(120, 80);
  plot->m_BackColor = 0x000000;
  plot->setEnabled(false);
  const QImage image = plot->Render();
  const QColor face = plot->palette().color(QPalette::Button);
  for (QPoint p : {QPoint(0, 0), QPoint(60, 40), QPoint(119, 79)}) {
    EXPECT_EQ(QColor(image.pixel(p)), face);
  }
}

TEST(GraphPaint, BandShadingDarkensRowsZeroTwoFourSixEight) {
  auto plot = MakePlot(200, 200);
  plot->m_BackColor = 0xF0F0F0;
  plot->m_bBandShading = true;
  plot->m_bGridShown = false;
  const QImage image = plot->Render();
  const ColorRef dark = ColorScale(0xF0F0F0, -0.1f);
  for (int row = 0; row < 10; ++row) {
    const QRgb pixel = image.pixel(100, row * 20 + 10);
    EXPECT_TRUE(Near(pixel, row % 2 == 0 ? dark : 0xF0F0F0, 1)) << "row " << row;
  }
}

TEST(GraphPaint, DirectionOfNinetyDrawsAStickToTheRight) {
  auto plot = MakePlot(200, 100);
  plot->m_bGridShown = false;
  plot->m_nDrawStyle = kStyleSticks;
  plot->SetChannelColour(0, 0x0000FF);  // sticks red
  plot->SetChannelColour(1, 0x00FF00);  // zero line green
  plot->SetChannelRange(0, -25, 25);    // ky0 = 2, zero line at y 50
  plot->SetChannelRange(-1, 0, 20);     // 10 pixels per sample
  plot->AddSample(0, 2, 10.0f);
  plot->AddSample(1, 2, 90.0f);
  plot->AddSample(0, 10, 10.0f);
  plot->AddSample(1, 10, 0.0f);         // straight up
  plot->ComputeVertices();
  const QImage image = plot->Render();
  // Sample 2 at x 20: 20 pixels to the right on the zero line.
  EXPECT_TRUE(Near(image.pixel(30, 50), 0x0000FF, 40));
  EXPECT_TRUE(Near(image.pixel(38, 50), 0x0000FF, 40));
  EXPECT_TRUE(Near(image.pixel(45, 50), 0x00FF00, 40));
  EXPECT_FALSE(Near(image.pixel(20, 40), 0x0000FF, 60));
  // Sample 10 at x 100: 20 pixels up.
  EXPECT_TRUE(Near(image.pixel(100, 35), 0x0000FF, 40));
  EXPECT_TRUE(Near(image.pixel(100, 60), 0x000000, 8));
}

TEST(GraphPaint, ReadoutLineOnlyWhenAChannelHasAValueUnderTheMouse) {
  auto plot = MakePlot(200, 100);
  plot->m_bGridShown = false;
  plot->m_nReadoutMode = kReadoutValues;
  plot->m_ReadoutLineColor = 0xFFFFFF;
  plot->SetChannelRange(-1, 0, 20);
  for (int i = 0; i < 10; ++i) plot->AddSample(0, i, 1.0f);
  plot->Channel(0)->m_bVisible = true;
  plot->SetChannelRange(0, 100, 200);  // the line itself stays out of sight
  plot->ComputeVertices();
  auto columnLit = [&plot](int x) {
    const QImage image = plot->Render();
    int lit = 0;
    for (int y = 60; y < 100; ++y) lit += qRed(image.pixel(x, y)) > 60 ? 1 : 0;
    return lit;
  };
  plot->m_MousePos = QPoint(50, 50);  // sample 5, drawn at x 50
  EXPECT_GT(columnLit(50), 30);
  plot->m_MousePos = QPoint(150, 50);  // sample 15 is past the last index
  EXPECT_EQ(columnLit(150), 0);
  plot->m_MousePos = QPoint(50, 50);
  plot->Channel(0)->m_bVisible = false;
  EXPECT_EQ(columnLit(50), 0);
}

}  // namespace
}  // namespace ws
