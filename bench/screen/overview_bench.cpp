// Cost of one round of the overview at 100 stacks: every tile takes a new speed
// (and now and then a new state) and the panel is painted, as twice a second
// under a full site. Run offscreen.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <memory>

#include "core/settings.h"
#include "screen/base_panel.h"
#include "widgets/display_fonts.h"
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

void BM_Overview100StacksOneRound(benchmark::State& state) {
  auto settings = std::make_unique<ws::Settings>();
  settings->stackCount = 100;
  settings->gridColumns = 9;
  settings->gridRows = 9;
  ws::CBasePanel panel;
  panel.SetDisplayFont(Fonts().Family(ws::DisplayFonts::kFndSlot));
  panel.resize(1580, 794);
  panel.SetSettings(*settings);
  QImage target(panel.size(), QImage::Format_ARGB32_Premultiplied);
  int round = 0;
  for (auto _ : state) {
    ++round;
    for (int i = 0; i < 100; ++i) {
      // Live-like speeds: a new tenth every round, a stack at Stop now and then.
      const float speed = 8.0f + static_cast<float>((i * 7 + round * 3) % 120) / 10.0f;
      panel.SetDirectionSpeed(i, 90, speed);
      panel.SetState(i, (i + round) % 50 == 0 ? ws::CBasePanel::kStop : ws::CBasePanel::kNormal);
    }
    panel.render(&target);
    benchmark::DoNotOptimize(target.constBits());
  }
}
BENCHMARK(BM_Overview100StacksOneRound)->Unit(benchmark::kMillisecond);

}  // namespace
