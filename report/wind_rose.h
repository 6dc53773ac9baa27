// CWindRose: the report's wind rose. Sixteen direction sectors of stacked wedges, one
// colour per speed class (the settings' chart colours, LOW first), drawn to a scale
// picked from the largest sector; the calm share in the centre disc; compass letters;
// and a legend of the classes along the bottom. The statistics come from the report
// table (core/wind_rose_statistics.h).
#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>

#include <array>
#include <cstdint>

#include "core/wind_rose_statistics.h"

class QPainter;

namespace ws {

struct Settings;

// What the rose is drawn from.
struct WindRoseLook {
  double alarmLevel = 30.0;                  // the station-wide Alarm level
  std::array<uint32_t, 6> classColours{};    // COLORREF, LOW first
};

// Draws the whole rose into a w x h area at the painter's origin (antialiased).
// Nothing is drawn for an empty area.
void PaintWindRose(QPainter& painter, int w, int h, const WindRoseStatistics& stats,
                   const WindRoseLook& look);

// The rose as an image of the given size (the tool's PNG and the widget's buffer).
QImage RenderWindRose(QSize size, const WindRoseStatistics& stats, const WindRoseLook& look);

class CWindRose : public QWidget {
  Q_OBJECT

 public:
  // The settings record must outlive the rose; the levels and colours are read
  // from it at every paint, so a changed configuration shows at the next one.
  explicit CWindRose(const Settings& settings, QWidget* parent = nullptr);

  // Counts the table (see ComputeWindRoseStatistics) and repaints at once.
  void ComputeStatistics(const ReportTable& table);

  int m_ClassCount = kReportRoseClasses;
  bool m_PaintEnabled = false;
  WindRoseStatistics m_Statistics;

  WindRoseLook Look() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Settings& m_Settings;
};

}  // namespace ws
