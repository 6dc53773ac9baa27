#include "tools/report/report_images.h"

#include <QImage>
#include <QString>

#include <algorithm>

#include "report/wind_rose.h"

namespace ws {

bool SaveWindRosePng(const std::string& path, const WindRoseStatistics& stats,
                     const Settings& settings) {
  WindRoseLook look;
  look.alarmLevel = settings.stacks[0].alarmSpeed;
  std::copy_n(settings.chartColours.begin(), look.classColours.size(), look.classColours.begin());
  const QImage image = RenderWindRose(QSize(kRoseImageWidth, kRoseImageHeight), stats, look);
  return image.save(QString::fromStdString(path), "PNG");
}

bool SaveChartPng(const std::string&, const ReportTable&, const Settings&, bool) {
  return false;
}

}  // namespace ws
