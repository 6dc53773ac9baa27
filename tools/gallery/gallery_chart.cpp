// Gallery pages of the trend chart: a synthetic day of gusty wind as the report
// shows it, in the line view, the direction-stick view and with "Show Peaks".
#include <QPainter>

#include <array>
#include <cmath>
#include <memory>
#include <random>

#include "chart/graph_scale.h"
#include "chart/setting.h"
#include "tools/gallery/gallery.h"

namespace ws::gallery {

namespace {

constexpr int kDay = 86400;
constexpr double kPi = 3.14159265358979323846;

struct Gust {
  int start;
  int seconds;
  float peak;
};

// Short gusts over the day; the 3-second one at 14:05 reaches the Trip level.
constexpr std::array<Gust, 6> kGusts = {{
    {3 * 3600 + 620, 8, 24.0f},
    {7 * 3600 + 1800, 5, 28.0f},
    {11 * 3600 + 40, 12, 31.0f},
    {14 * 3600 + 300, 3, 42.0f},
    {17 * 3600 + 2500, 6, 35.0f},
    {21 * 3600 + 900, 4, 26.0f},
}};

// A day of wind: a slow daily swing, minute-scale turbulence and the gusts above;
// the direction wanders around west-south-west.
void FillDay(CGraphScale& chart) {
  std::minstd_rand noise(20260307);
  std::uniform_real_distribution<float> jitter(-1.0f, 1.0f);
  float turbulence = 0.0f;
  float veer = 0.0f;
  for (int k = 0; k < kDay; ++k) {
    const double day = static_cast<double>(k) / kDay;
    turbulence = 0.995f * turbulence + 0.12f * jitter(noise);
    veer = 0.999f * veer + 0.4f * jitter(noise);
    float speed = static_cast<float>(9.0 + 5.0 * std::sin((day - 0.35) * 2.0 * kPi)) +
                  6.0f * turbulence + 0.8f * jitter(noise);
    for (const Gust& gust : kGusts) {
      if (k >= gust.start && k < gust.start + gust.seconds) speed = gust.peak;
    }
    const float direction = std::fmod(250.0f + 40.0f * static_cast<float>(std::sin(day * 6.0 * kPi)) +
                                          veer * 3.0f + 360.0f,
                                      360.0f);
    chart.AddSample(0, k, std::max(0.0f, speed));
    chart.AddSample(1, k, direction);
  }
}

// The chart set up as the report sets it up, holding the synthetic day.
std::unique_ptr<CGraphScale> MakeReportChart() {
  auto chart = std::make_unique<CGraphScale>();
  chart->m_nId = 10050;
  chart->resize(1600, 570);
  const double minima[] = {0.0, 0.0};
  const double maxima[] = {60.0, 60.0};
  chart->InitScales(minima, maxima);
  CGraph* plot = chart->Graph();
  plot->m_BackColor = 0xF0F0F0;
  plot->m_bBandShading = true;
  chart->SetGridFollow(false);
  chart->UseTimeAxis();
  chart->SetTimeMultiplier(1.0);
  chart->SetBarCaption(0, QStringLiteral("TIME"));
  chart->SetBarCaption(1, QStringLiteral("SPEED"));
  chart->Bar(1)->m_nDecimals = 0;
  chart->ShowFirstChannel();
  plot->Channel(0)->m_nScaleBar = 1;
  plot->Channel(0)->m_nDecimals = 0;
  chart->SetRange(0, chart->m_dBarMin[1], chart->m_dBarMax[1]);
  chart->RecalcLayout();
  plot->SetChannelColour(0, 0xC06000);
  plot->SetChannelName(0, QStringLiteral("SPEED"));
  chart->Bar(0)->m_bDateLabels = true;
  chart->Bar(0)->m_StartTime = SystemTime{2026, 3, 6, 7, 0, 0, 0, 0};
  plot->m_nReadoutMode = kReadoutValues;

  FillDay(*chart);
  chart->SetRange(-1, 0, kDay - 1);
  chart->SetRange(0, 0, 70);
  plot->ComputeVertices();
  return chart;
}

void SetVectorView(CGraphScale& chart) {
  chart.Graph()->m_nDrawStyle = kStyleSticks;
  chart.SetRange(0, -70, 70);
  chart.Graph()->ComputeVertices();
}

}  // namespace

void RenderChart(Gallery& gallery) {
  auto chart = MakeReportChart();
  CGraph* plot = chart->Graph();
  // The readout where the 14:05 gust is.
  plot->m_MousePos = QPoint(static_cast<int>((14 * 3600 + 300) * plot->m_dPixPerSample), 200);
  gallery.Save("chart_line_day", chart->grab().toImage());

  plot->OnMenuCommand(kCmdShowPeaks);
  gallery.Save("chart_line_day_peaks", chart->grab().toImage());
  plot->OnMenuCommand(kCmdShowPeaks);

  // One hour around the gusts of the afternoon, then 100 seconds around the spike.
  chart->SetRange(-1, 14 * 3600, 15 * 3600);
  plot->ComputeVertices();
  plot->m_nReadoutMode = kReadoutNone;
  gallery.Save("chart_line_hour", chart->grab().toImage());
  chart->SetRange(-1, 14 * 3600 + 250, 14 * 3600 + 350);
  plot->ComputeVertices();
  plot->m_nReadoutMode = kReadoutValues;
  plot->m_MousePos = QPoint(plot->width() / 2, 0);
  gallery.Save("chart_line_100s", chart->grab().toImage());
  plot->m_nReadoutMode = kReadoutNone;

  SetVectorView(*chart);
  chart->SetRange(-1, 0, kDay - 1);
  plot->ComputeVertices();
  gallery.Save("chart_sticks_day", chart->grab().toImage());
  plot->OnMenuCommand(kCmdShowPeaks);
  gallery.Save("chart_sticks_day_peaks", chart->grab().toImage());
  plot->OnMenuCommand(kCmdShowPeaks);
  chart->SetRange(-1, 14 * 3600, 14 * 3600 + 600);
  plot->ComputeVertices();
  gallery.Save("chart_sticks_10min", chart->grab().toImage());

  // A zoom selection in progress over the line view.
  auto selecting = MakeReportChart();
  CGraph* selPlot = selecting->Graph();
  selPlot->m_nReadoutMode = kReadoutNone;
  selPlot->m_bSelecting = true;
  selPlot->m_SelectStart = QPoint(600, 120);
  selPlot->m_SelectEnd = QPoint(900, 380);
  gallery.Save("chart_selection", selecting->grab().toImage());

  // The limit editor as a click on the top of the speed bar opens it.
  CSetting editor;
  editor.Setup(QRect(100, 200, 68, 400), CSetting::kMaxOfVertical, 1, QString(), true, 60.0);
  editor.Prepare();
  gallery.Save("chart_limit_editor", editor.grab().toImage());
}

}  // namespace ws::gallery
