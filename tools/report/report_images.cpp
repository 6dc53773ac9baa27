#include "tools/report/report_images.h"

#include <QImage>
#include <QPixmap>
#include <QString>

#include <algorithm>

#include "chart/graph.h"
#include "chart/graph_scale.h"
#include "report/report_chart.h"
#include "report/wind_rose.h"

namespace ws {

bool SaveWindRosePng(const std::string& path, const WindRoseStatistics& stats,
                     const Settings& settings) {
  WindRoseLook look;
  look.alarmLevel = ThresholdsOf(settings).alarm;
  std::copy_n(settings.chartColours.begin(), look.classColours.size(), look.classColours.begin());
  const QImage image = RenderWindRose(QSize(kRoseImageWidth, kRoseImageHeight), stats, look);
  return image.save(QString::fromStdString(path), "PNG");
}

bool SaveChartPng(const std::string& path, const ReportTable& table, const Settings& settings,
                  bool vector) {
  CGraphScale chart;
  chart.resize(kChartImageWidth, kChartImageHeight);
  SetUpReportChart(chart, settings);
  FillReportChart(chart, table.data());
  SetReportChartView(chart, vector);
  chart.RecalcLayout();
  chart.Graph()->ComputeVertices();
  const QPixmap picture = chart.grab();
  return picture.save(QString::fromStdString(path), "PNG");
}

}  // namespace ws
