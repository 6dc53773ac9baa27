// Cost of the 3-second averaging step over a full station and of judging one
// live reply against the alarm levels.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "core/alarm_rules.h"
#include "core/statistics_cascade.h"

namespace ws {
namespace {

class FixedClock final : public Clock {
 public:
  SystemTime Now() const override { return SystemTime{2026, 3, 0, 1, 12, 0, 0, 0}; }
};

class NullSink final : public AlarmSink {
 public:
  void AlarmRaised(int, int, double) override {}
  void PlaySound(const std::string&, bool) override {}
  void StopSound() override {}
};

void BM_Step0HundredStacks(benchmark::State& state) {
  FixedClock clock;
  auto cascade = std::make_unique<StatisticsCascade>(clock, kCascadeStacks);
  for (int i = 0; i < kCascadeStacks; ++i) {
    (void)cascade->SetLiveValues(i, static_cast<float>(i * 3.6), static_cast<float>(i % 40));
  }
  for (auto _ : state) {
    // Every stack answered since the last step, as on a healthy station.
    for (int i = 0; i < kCascadeStacks; ++i) cascade->Stack(i).answered[kPeriodMinute] = true;
    cascade->Step(kPeriodMinute);
    benchmark::DoNotOptimize(cascade->Stack(kCascadeStacks - 1).speedWindows[0].M());
  }
}
BENCHMARK(BM_Step0HundredStacks);

void BM_EvaluateOneReply(benchmark::State& state) {
  FixedClock clock;
  NullSink sink;
  auto cascade = std::make_unique<StatisticsCascade>(clock, kCascadeStacks);
  AlarmRules rules(*cascade, sink, clock);
  // Stack 0 alternates between a raised level and calm after acknowledgement,
  // so the loop exercises raising, re-arming and the level over 100 stacks.
  const float speeds[2] = {46.0f, 10.0f};
  int n = 0;
  for (auto _ : state) {
    cascade->Stack(0).speed = speeds[n & 1];
    benchmark::DoNotOptimize(rules.Evaluate(0));
    if ((n & 1) == 0) rules.Acknowledge();
    ++n;
  }
}
BENCHMARK(BM_EvaluateOneReply);

void BM_EvaluateCalmReply(benchmark::State& state) {
  FixedClock clock;
  NullSink sink;
  auto cascade = std::make_unique<StatisticsCascade>(clock, kCascadeStacks);
  AlarmRules rules(*cascade, sink, clock);
  cascade->Stack(7).speed = 12.0f;
  for (auto _ : state) benchmark::DoNotOptimize(rules.Evaluate(7));
}
BENCHMARK(BM_EvaluateCalmReply);

}  // namespace
}  // namespace ws
