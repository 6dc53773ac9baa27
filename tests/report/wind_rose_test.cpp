#include "report/wind_rose.h"

#include <QImage>

#include <gtest/gtest.h>

namespace ws {
namespace {

WindRoseLook DefaultLook() {
  WindRoseLook look;
  look.classColours = {0x800000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x4080FF, 0x0000FF};
  return look;
}

// Pixels of the top class colour (red) inside the rose's circle.
int RedPixelsInRose(const QImage& image, int w, int h) {
  const double u = w / 12.0;
  const double r = (w - 2 * u) / 2;
  const int cx = w / 2;
  const int cy = static_cast<int>(h / 2.0 - u / 2);
  int red = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > r * r) continue;
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 240 && c.green() < 20 && c.blue() < 20) ++red;
    }
  }
  return red;
}

TEST(WindRose, WedgesGrowOutwardInTheirSectorAndAllCalmDrawsNone) {
  constexpr int w = 360, h = 400;
  WindRoseStatistics east;
  east.shares[4][5] = 40.0;  // east, 30 m/s and above
  const QImage wedge = RenderWindRose(QSize(w, h), east, DefaultLook());
  const int cx = w / 2;
  const int cy = static_cast<int>(h / 2.0 - w / 24.0);
  EXPECT_EQ(wedge.pixelColor(cx + 60, cy), QColor(255, 0, 0));
  EXPECT_NE(wedge.pixelColor(cx, cy - 60), QColor(255, 0, 0));
  EXPECT_GT(RedPixelsInRose(wedge, w, h), 500);

  WindRoseStatistics calm;
  calm.calm = 100.0;
  const QImage none = RenderWindRose(QSize(w, h), calm, DefaultLook());
  EXPECT_EQ(RedPixelsInRose(none, w, h), 0);
  EXPECT_EQ(none.pixelColor(0, 0), QColor(0, 0, 0));  // the frame
}

TEST(WindRose, DegenerateSizesDrawNothing) {
  WindRoseStatistics stats;
  stats.shares[0][0] = 100.0;
  const QImage image = RenderWindRose(QSize(0, 0), stats, DefaultLook());
  EXPECT_EQ(image.size(), QSize(1, 1));
}

}  // namespace
}  // namespace ws
