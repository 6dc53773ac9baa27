// Record files: the 500 ms record tick for a full station and the creation of a new
// month's files. The tick also counts heap allocations (it must make none).
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "core/record_file.h"
#include "core/recorder.h"
#include "core/system_time.h"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

// Counting replacements of the global allocation functions for this benchmark program.
// The library's operator delete releases with free(), which matches malloc() here.
// Kept out of line so that the compiler does not pair the inlined malloc() with delete.
[[gnu::noinline]] void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }

namespace {

namespace fs = std::filesystem;

std::string MakeTempDir() {
  char pattern[] = "/tmp/ws-record-bench-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) return {};
  return pattern;
}

ws::SystemTime MakeTime(int year, int month, int day, int hour, int minute, int second) {
  ws::SystemTime t;
  t.year = static_cast<uint16_t>(year);
  t.month = static_cast<uint16_t>(month);
  t.day = static_cast<uint16_t>(day);
  t.hour = static_cast<uint16_t>(hour);
  t.minute = static_cast<uint16_t>(minute);
  t.second = static_cast<uint16_t>(second);
  return t;
}

// One tick of 100 stacks, each writing its current and next second (one 16-byte pwrite).
void BM_RecordTick100Stacks(benchmark::State& state) {
  const std::string dir = MakeTempDir();
  ws::Recorder recorder(dir);
  const ws::SystemTime start = MakeTime(2026, 3, 10, 12, 0, 0);
  if (recorder.Open(ws::record::kMaxStacks, start) != ws::RecordStatus::kOk) {
    state.SkipWithError("cannot open the month files");
    fs::remove_all(dir);
    return;
  }
  std::vector<ws::SystemTime> times;
  for (int s = 0; s < 3600; ++s) {
    times.push_back(ws::FromCivilSeconds(ws::CivilSeconds(start) + s / 2));
  }
  std::array<ws::Sample, ws::record::kMaxStacks> current;
  for (int i = 0; i < ws::record::kMaxStacks; ++i) current[i] = ws::Sample{float(i), 1.5f};

  size_t next = 0;
  long failures = 0;
  const long allocationsBefore = g_allocations.load();
  for (auto _ : state) {
    failures += recorder.Tick(times[next], current) != ws::RecordStatus::kOk;
    next = next + 1 == times.size() ? 0 : next + 1;
  }
  const long allocations = g_allocations.load() - allocationsBefore;
  state.counters["allocs_per_tick"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
  state.counters["failures"] = static_cast<double>(failures);
  recorder.Close();
  fs::remove_all(dir);
}
BENCHMARK(BM_RecordTick100Stacks)->Unit(benchmark::kMicrosecond);

// Ensuring the files of a month that has none yet, for 100 stacks.
void BM_EnsureMonthFiles100Stacks(benchmark::State& state) {
  const std::string dir = MakeTempDir();
  int month = 1;
  long failures = 0;
  for (auto _ : state) {
    failures += ws::EnsureMonthFiles(dir, ws::record::kMaxStacks, 2026, month) !=
                ws::RecordStatus::kOk;
    state.PauseTiming();
    for (int i = 0; i < ws::record::kMaxStacks; ++i) {
      fs::remove(ws::RecordFilePath(dir, i, 2026, month));
    }
    month = month % 12 + 1;
    state.ResumeTiming();
  }
  state.counters["failures"] = static_cast<double>(failures);
  fs::remove_all(dir);
}
BENCHMARK(BM_EnsureMonthFiles100Stacks)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
