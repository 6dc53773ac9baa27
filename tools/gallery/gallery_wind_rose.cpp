// Gallery pages of the report's wind rose: a typical spread of a windy month, a table
// that is all calm, and a light breeze whose scale stays below 10 % (one decimal).
#include <QImage>

#include <cmath>

#include "core/settings.h"
#include "report/wind_rose.h"
#include "tools/gallery/gallery.h"

namespace ws::gallery {

void RenderWindRoses(Gallery& gallery) {
  const Settings settings;
  WindRoseLook look;
  look.alarmLevel = ThresholdsOf(settings).alarm;
  for (size_t k = 0; k < look.classColours.size(); ++k) look.classColours[k] = settings.chartColours[k];
  const QSize size(420, 460);

  WindRoseStatistics windy;
  windy.calm = 4.2;
  for (int j = 0; j < kWindRoseSectors; ++j) {
    // Mostly from the west-south-west, a little from everywhere.
    const double weight = 0.4 + 2.6 * std::exp(-std::pow((j - 11) / 2.2, 2.0));
    for (int k = 0; k < kReportRoseClasses; ++k) {
      windy.shares[static_cast<size_t>(j)][static_cast<size_t>(k)] =
          weight * (k < 3 ? 2.0 - 0.4 * k : 0.8 / k);
    }
  }
  gallery.Save(QStringLiteral("wind_rose_windy"), RenderWindRose(size, windy, look));

  WindRoseStatistics calm;
  calm.calm = 100.0;
  gallery.Save(QStringLiteral("wind_rose_all_calm"), RenderWindRose(size, calm, look));

  WindRoseStatistics breeze;
  breeze.calm = 70.0;
  breeze.shares[0][0] = 1.3;
  breeze.shares[1][0] = 0.6;
  breeze.shares[4][1] = 0.4;
  gallery.Save(QStringLiteral("wind_rose_breeze"), RenderWindRose(size, breeze, look));
}

}  // namespace ws::gallery
