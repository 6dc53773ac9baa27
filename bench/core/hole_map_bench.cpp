// The hole map of 183 days: read from the month files (what the dump window's
// background reader does the first time, or after the files changed), and
// answered from the cache (every later opening of the calendar).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/hole_map.h"
#include "core/record_file.h"
#include "core/system_time.h"

namespace {

namespace fs = std::filesystem;

struct Site {
  std::string dir;
  ws::SystemTime today;
};

// Seven month files of stack 0 with every second written, aged so that the
// cache trusts their time stamps.
const Site& FullSite() {
  static const Site site = [] {
    Site s;
    char pattern[] = "/tmp/ws-holes-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return s;
    s.dir = pattern;
    s.today = ws::FromCivilSeconds(ws::DaysFromCivil(2026, 12, 9) * 86400);
    const std::vector<ws::Sample> day(86400, ws::Sample{90.0f, 3.5f});
    for (int n = 0; n < ws::HoleMapCache::kWindowDays; ++n) {
      const ws::SystemTime t = ws::FromCivilSeconds((ws::DaysFromCivil(2026, 12, 9) - n) * 86400);
      if (ws::EnsureMonthFile(s.dir, 0, t.year, t.month) != ws::RecordStatus::kOk) continue;
      for (int b = 0; b < 288; ++b) {
        (void)ws::WriteRecordBlock(s.dir, 0, t.year, t.month, t.day, b / 12, b % 12 * 5,
                                   std::span<const ws::Sample>(day.data() + b * 300, 300));
      }
    }
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : fs::recursive_directory_iterator(s.dir)) {
      if (entry.is_regular_file()) fs::last_write_time(entry.path(), old);
    }
    std::atexit([] { fs::remove_all(FullSite().dir); });
    return s;
  }();
  return site;
}

void BM_HoleMapRead183Days(benchmark::State& state) {
  const Site& site = FullSite();
  ws::HoleMapCache cache(site.dir);
  for (auto _ : state) {
    cache.Forget();
    benchmark::DoNotOptimize(cache.Window(0, site.today));
  }
  state.SetBytesProcessed(state.iterations() * int64_t{183} * 86400 * 8);
}
BENCHMARK(BM_HoleMapRead183Days)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HoleMapCached183Days(benchmark::State& state) {
  const Site& site = FullSite();
  ws::HoleMapCache cache(site.dir);
  (void)cache.Window(0, site.today);
  for (auto _ : state) benchmark::DoNotOptimize(cache.Window(0, site.today));
}
BENCHMARK(BM_HoleMapCached183Days)->Unit(benchmark::kMicrosecond);

}  // namespace
