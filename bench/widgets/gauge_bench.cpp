// Cost of one reading on the SPEED dial: SetValue repaints the 400 x 400 gauge
// from its cached face (readout digits, pointer, glare). Target: under 2 ms.
#include <QApplication>
#include <benchmark/benchmark.h>

#include "widgets/analog_gauge.h"
#include "widgets/display_fonts.h"
#include "widgets/message_helpers.h"

// Resources in a static library are linked only when referred to.
static void InitFontResources() { Q_INIT_RESOURCE(fonts); }

namespace {

// The seven-segment family, loaded once.
QString DigitFamily() {
  static ws::DisplayFonts fonts;
  static const bool loaded = [] {
    InitFontResources();
    // Nobody can press OK here: a font failure must not block the run.
    ws::SetMessageHandler([](int, const QString&) { return static_cast<int>(ws::kIdOk); });
    ws::InstallFontSubstitutions();
    fonts.LoadDisplayFonts(ws::DisplayFonts::kFndFontId, -1, -1);
    return true;
  }();
  (void)loaded;
  return fonts.Family(ws::DisplayFonts::kFndSlot);
}

void SetUpSpeedDial(ws::CAnalogGauge& g, const QString& digits) {
  g.resize(400, 400);
  g.Init(QString(), 1, 6, 5);
  g.m_DigitFontFamily = digits;
  g.m_Maximum = 60;
  g.m_ZonesShown = true;
  g.m_ZoneFraction1 = 0.5f;
  g.m_ZoneFraction2 = 0.5f;
  g.m_ZoneFraction3 = 1.0f;
  g.SetReadout(QStringLiteral("m/s"), 0x00C800, 1);
}

// SetValue on a shown gauge: the synchronous repaint through the window.
void BM_GaugeSetValue(benchmark::State& state) {
  ws::CAnalogGauge gauge(QStringLiteral("SPEED"), 50001);
  SetUpSpeedDial(gauge, DigitFamily());
  gauge.show();
  QCoreApplication::processEvents();
  gauge.SetValue(1.0f);
  const int faces = gauge.FaceBuildCount();
  float v = 0.0f;
  for (auto _ : state) {
    v = v >= 59.0f ? 0.0f : v + 0.7f;
    gauge.SetValue(v);
  }
  state.counters["face_rebuilds"] = gauge.FaceBuildCount() - faces;
}
BENCHMARK(BM_GaugeSetValue)->Unit(benchmark::kMillisecond);

// The dynamic layer alone (no window): cached face, digits, pointer, glare.
void BM_GaugeDynamicLayer(benchmark::State& state) {
  ws::CAnalogGauge gauge(QStringLiteral("SPEED"), 50001);
  SetUpSpeedDial(gauge, DigitFamily());
  gauge.RenderFrame();
  float v = 0.0f;
  for (auto _ : state) {
    v = v >= 59.0f ? 0.0f : v + 0.7f;
    gauge.m_RawValue = v;
    gauge.m_ShownValue = v;
    benchmark::DoNotOptimize(gauge.RenderFrame().constBits());
  }
}
BENCHMARK(BM_GaugeDynamicLayer)->Unit(benchmark::kMillisecond);

// For comparison: rebuilding the static face, which value updates never do.
void BM_GaugeFaceRebuild(benchmark::State& state) {
  ws::CAnalogGauge gauge(QStringLiteral("SPEED"), 50001);
  SetUpSpeedDial(gauge, DigitFamily());
  for (auto _ : state) {
    gauge.InvalidateFace();
    benchmark::DoNotOptimize(gauge.RenderFrame().constBits());
  }
}
BENCHMARK(BM_GaugeFaceRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
