#include "report/report_chart.h"

#include <algorithm>
#include <array>

#include "chart/graph.h"
#include "chart/graph_scale.h"
#include "chart/scale_bar.h"
#include "core/settings.h"

namespace ws {

void SetUpReportChart(CGraphScale& chart, const Settings& settings) {
  constexpr std::array<double, 2> kMinima = {0.0, 0.0};
  constexpr std::array<double, 2> kMaxima = {60.0, 60.0};
  chart.InitScales(kMinima, kMaxima);
  CGraph* graph = chart.Graph();
  graph->m_BackColor = 0xF0F0F0;
  graph->m_bBandShading = true;
  chart.SetGridFollow(false);
  chart.UseTimeAxis();
  chart.SetTimeMultiplier(1.0);
  chart.SetBarCaption(0, QStringLiteral("TIME"));
  chart.SetBarCaption(1, QStringLiteral("SPEED"));
  chart.Bar(1)->m_nDecimals = 0;
  PlotChannel* speed = graph->Channel(0);
  speed->m_nScaleBar = 1;
  for (int c = 0; c < graph->ChannelCount(); ++c) {
    if (graph->Channel(c)->m_nScaleBar == 1) graph->Channel(c)->m_nDecimals = 0;
  }
  chart.ShowFirstChannel();
  chart.RecalcLayout();
  graph->SetChannelColour(0, settings.speedMeterColour);
  graph->SetChannelName(0, QStringLiteral("SPEED"));
  graph->SetChannelUnit(0, QString());
  chart.Bar(0)->m_bDateLabels = true;
  graph->m_nReadoutMode = kReadoutValues;
  graph->ComputeVertices();
  graph->update();
  chart.update();
}

int LastChartIndex(size_t samples) {
  return static_cast<int>(std::min<size_t>(samples, kPlotSamples)) - 1;
}

void FillReportChart(CGraphScale& chart, const ReportData& data) {
  if (!chart.IsInitialised()) return;
  chart.Bar(0)->m_StartTime = data.start;
  chart.SetTimeMultiplier(static_cast<double>(data.step));
  const size_t kept = std::min<size_t>(data.samples.size(), kPlotSamples);
  for (size_t k = 0; k < kept; ++k) {
    chart.AddSample(0, static_cast<int>(k), data.samples[k].speed);
    chart.AddSample(1, static_cast<int>(k), data.samples[k].direction);
  }
  chart.SetRange(-1, 0.0, std::max(0, LastChartIndex(data.samples.size())));
  chart.Graph()->ComputeVertices();
  chart.Graph()->update();
  chart.Bar(0)->update();
}

void ClearReportChart(CGraphScale& chart, const SystemTime& start) {
  if (!chart.IsInitialised()) return;
  chart.Bar(0)->m_StartTime = start;
  chart.SetTimeMultiplier(1.0);
  CGraph* graph = chart.Graph();
  for (int c = 0; c < graph->ChannelCount(); ++c) {
    PlotChannel* channel = graph->Channel(c);
    std::fill(channel->m_Samples.begin(), channel->m_Samples.end(), 0.0f);
    channel->m_nLastIndex = 0;
  }
  chart.SetRange(-1, 0.0, 0.0);
  graph->ComputeVertices();
  graph->update();
  chart.Bar(0)->update();
}

void SetReportChartView(CGraphScale& chart, bool vector) {
  if (!chart.IsInitialised()) return;
  chart.Graph()->m_nDrawStyle = vector ? kStyleSticks : kStyleLine;
  chart.SetRange(0, vector ? kVectorViewMin : kLineViewMin, kViewMax);
  chart.Graph()->ComputeVertices();
  chart.Graph()->update();
  chart.update();
}

}  // namespace ws
