// Trend chart costs: turning a day of samples into vertices, and painting a
// 1600 x 500 plot of a full day in the line and the direction-stick style.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "chart/graph.h"

namespace {

constexpr int kDay = 86400;

std::unique_ptr<ws::CGraph> DayPlot(int style, bool peaks) {
  auto plot = std::make_unique<ws::CGraph>();
  plot->resize(1600, 500);
  plot->InitChannels();
  for (int k = 0; k < kDay; ++k) {
    const float speed = 10.0f + 8.0f * std::sin(k * 0.001f) + 3.0f * std::sin(k * 0.37f);
    plot->AddSample(0, k, speed);
    plot->AddSample(1, k, std::fmod(k * 0.05f, 360.0f));
  }
  plot->m_BackColor = 0xF0F0F0;
  plot->m_bBandShading = true;
  plot->m_nDrawStyle = style;
  plot->m_bShowPeaks = peaks;
  plot->Channel(0)->m_bVisible = true;
  plot->SetChannelRange(-1, 0, kDay - 1);
  plot->SetChannelRange(0, style == ws::kStyleSticks ? -70 : 0, 70);
  plot->ComputeVertices();
  return plot;
}

void BM_ComputeVerticesDay(benchmark::State& state) {
  auto plot = DayPlot(ws::kStyleLine, state.range(0) != 0);
  for (auto _ : state) {
    plot->ComputeVertices();
    benchmark::DoNotOptimize(plot->Channel(0)->m_Vertices.data());
  }
}
BENCHMARK(BM_ComputeVerticesDay)->Arg(0)->Arg(1)->ArgName("peaks")->Unit(benchmark::kMicrosecond);

void BM_PaintDay(benchmark::State& state) {
  auto plot = DayPlot(static_cast<int>(state.range(0)), false);
  plot->m_nReadoutMode = ws::kReadoutValues;
  plot->m_MousePos = QPoint(800, 100);
  for (auto _ : state) {
    QImage image = plot->Render();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_PaintDay)->Arg(ws::kStyleLine)->Arg(ws::kStyleSticks)->ArgName("style")
    ->Unit(benchmark::kMillisecond);

}  // namespace

