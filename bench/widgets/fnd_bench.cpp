// Cost of repainting the seven-segment readouts: one 200 x 80 CFnd with glow, and
// the overview's hundred of them (refreshed twice a second at 100 stacks).
#include <benchmark/benchmark.h>

#include <QImage>

#include <memory>
#include <vector>

#include "widgets/display_fonts.h"
#include "widgets/fnd.h"
#include "widgets/message_helpers.h"

namespace {

const ws::DisplayFonts& Fonts() {
  static std::unique_ptr<ws::DisplayFonts> fonts = [] {
    ws::SetMessageHandler([](int, const QString&) { return static_cast<int>(ws::kIdOk); });
    auto loaded = std::make_unique<ws::DisplayFonts>();
    loaded->LoadDisplayFonts(ws::DisplayFonts::kFndFontId, -1, -1);
    return loaded;
  }();
  return *fonts;
}

std::unique_ptr<ws::CFnd> MakeFnd(int w, int h) {
  auto fnd = std::make_unique<ws::CFnd>();
  fnd->resize(w, h);
  fnd->Init(true, 1);
  fnd->m_FontFamily = Fonts().Family(ws::DisplayFonts::kFndSlot);
  fnd->SetColor(0x00FF00);
  fnd->m_bReady = true;
  return fnd;
}

void BM_FndPaint200x80Glow(benchmark::State& state) {
  auto fnd = MakeFnd(200, 80);
  double value = 12.3;
  for (auto _ : state) {
    fnd->m_Value = value;
    value = value < 90 ? value + 1.1 : 12.3;  // a new text every time, as live values are
    QImage image = fnd->Render();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_FndPaint200x80Glow)->Unit(benchmark::kMicrosecond);

// One refresh of the overview: a hundred readouts, each with a new value. At two
// refreshes a second the share of one core is twice this time per second.
void BM_Overview100Fnds(benchmark::State& state) {
  std::vector<std::unique_ptr<ws::CFnd>> displays;
  for (int i = 0; i < 100; ++i) displays.push_back(MakeFnd(120, 48));
  double value = 0.0;
  for (auto _ : state) {
    for (auto& fnd : displays) {
      fnd->m_Value = value;
      value += 0.7;
      QImage image = fnd->Render();
      benchmark::DoNotOptimize(image.constBits());
    }
  }
}
BENCHMARK(BM_Overview100Fnds)->Unit(benchmark::kMillisecond);

// The same readout without glow, and with no font at all (background and frame
// only), to see where the time goes.
void BM_FndPaintNoGlow(benchmark::State& state) {
  auto fnd = MakeFnd(200, 80);
  fnd->m_bGlow = false;
  double value = 12.3;
  for (auto _ : state) {
    fnd->m_Value = value;
    value = value < 90 ? value + 1.1 : 12.3;
    QImage image = fnd->Render();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_FndPaintNoGlow)->Unit(benchmark::kMicrosecond);
void BM_FndEmpty(benchmark::State& state) {
  auto fnd = MakeFnd(200, 80);
  fnd->m_FontFamily.clear();
  for (auto _ : state) {
    QImage image = fnd->Render();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_FndEmpty)->Unit(benchmark::kMicrosecond);

}  // namespace
