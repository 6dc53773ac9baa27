// The event journal at a year of a 100-stack site (one million events): what
// the history window does (open, count and first page; filter by a stack or by
// the alarms; scroll deep), the reports' span statistics, the writer's cost
// per event and the file's size.
//
// The file is built once through the journal's own writer and kept in
// /tmp/ws-journal-bench-1M (delete it to rebuild).
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <time.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/event_journal.h"

namespace {

namespace fs = std::filesystem;

constexpr int64_t kEvents = 1000000;
constexpr int kStacks = 100;
constexpr int kPage = 50;
// 2026-01-01 00:00:00 local.
constexpr int64_t kYearStart = 1767225600;
constexpr int64_t kYearSeconds = 365 * 86400;

// A plausible mix: alarms with their returns and acknowledgements, links lost
// and restored, dumps, configuration changes and the station's own events.
ws::StationEvent YearEvent(int64_t i) {
  ws::StationEvent e;
  const int64_t second = kYearStart + i * kYearSeconds / kEvents;
  e.local = ws::FromCivilSeconds(second);
  e.local.milliseconds = static_cast<uint16_t>(i * 37 % 1000);
  e.utcMs = second * 1000 + e.local.milliseconds;
  e.stack = static_cast<int>(i * 7 % kStacks);
  char text[160];
  switch (i % 20) {
    case 0: case 1: case 2: case 3: case 4:
      e.kind = ws::EventKind::kAlarmRaised;
      e.level = static_cast<int>(i % 3) + 1;
      e.value = 15.0 + static_cast<double>(i % 150) / 10.0;
      std::snprintf(text, sizeof text, "STACK #%d: level %d at %.1f m/s", e.stack + 1, e.level, e.value);
      break;
    case 5: case 6: case 7: case 8:
      e.kind = ws::EventKind::kAlarmReturned;
      e.level = static_cast<int>(i % 3) + 1;
      std::snprintf(text, sizeof text, "STACK #%d: level %d below its threshold for 10 s", e.stack + 1, e.level);
      break;
    case 9: case 10:
      e.kind = ws::EventKind::kAlarmAcknowledged;
      e.stack = -1;
      std::snprintf(text, sizeof text, "ACK: STACK #%d level 1, STACK #%d level 2", static_cast<int>(i % 100) + 1,
                    static_cast<int>(i * 3 % 100) + 1);
      break;
    case 11: case 12: case 13:
      e.kind = ws::EventKind::kCommunicationLost;
      e.level = ws::kLevelNoCommunication;
      std::snprintf(text, sizeof text, "STACK #%d: no reply for 10 s", e.stack + 1);
      break;
    case 14: case 15: case 16:
      e.kind = ws::EventKind::kCommunicationRestored;
      e.value = static_cast<double>(i % 7200);
      std::snprintf(text, sizeof text, "STACK #%d: replies again after %.0f s", e.stack + 1, e.value);
      break;
    case 17:
      e.kind = i % 40 == 17 ? ws::EventKind::kDumpStarted : ws::EventKind::kDumpEnded;
      std::snprintf(text, sizeof text, "STACK #%d: day dump 2026-03-04, 288 blocks written, 0 failed", e.stack + 1);
      break;
    case 18:
      e.kind = ws::EventKind::kConfigurationChanged;
      e.stack = -1;
      std::snprintf(text, sizeof text, "Alarm threshold: 15.0 -> 16.5 m/s");
      break;
    default:
      e.kind = i % 40 == 19 ? ws::EventKind::kStationStarted : ws::EventKind::kStationEnded;
      e.stack = -1;
      std::snprintf(text, sizeof text, "Station %s, version 1.0.0", i % 40 == 19 ? "started" : "ended");
      break;
  }
  e.text = text;
  return e;
}

const std::string& YearDir() {
  static const std::string dir = [] {
    const std::string d = "/tmp/ws-journal-bench-1M";
    const std::string done = d + "/complete";
    if (fs::exists(done)) return d;
    fs::remove_all(d);
    fs::create_directories(d);
    ws::EventJournal journal;
    if (!journal.Open(d)) return d;
    for (int64_t i = 0; i < kEvents; ++i) {
      journal.Record(YearEvent(i));
      // Within the memory queue's bound.
      if (i % 50000 == 49999) journal.Flush();
    }
    journal.Close();
    std::FILE* f = std::fopen(done.c_str(), "w");
    if (f != nullptr) std::fclose(f);
    return d;
  }();
  return dir;
}

std::unique_ptr<ws::EventReader> OpenYear() {
  std::string error;
  auto reader = ws::EventReader::Open(YearDir(), &error);
  if (!reader) std::fprintf(stderr, "%s\n", error.c_str());
  return reader;
}

void BM_JournalOpenCountFirstPage(benchmark::State& state) {
  YearDir();
  int64_t count = 0;
  for (auto _ : state) {
    auto reader = OpenYear();
    if (!reader) {
      state.SkipWithError("no journal");
      return;
    }
    count = reader->Count({});
    benchmark::DoNotOptimize(reader->Page({}, 0, kPage));
  }
  struct stat st {};
  ::stat((YearDir() + "/" + ws::kEventsFileName).c_str(), &st);
  state.counters["events"] = static_cast<double>(count);
  state.counters["file_MB"] = static_cast<double>(st.st_size) / 1e6;
}
BENCHMARK(BM_JournalOpenCountFirstPage)->Unit(benchmark::kMillisecond);

// A new filter: its count and first page, by a reader that has read nothing
// for it yet.
void RunFilter(benchmark::State& state, const ws::EventFilter& filter) {
  int64_t count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto reader = OpenYear();
    if (!reader) {
      state.SkipWithError("no journal");
      return;
    }
    state.ResumeTiming();
    count = reader->Count(filter);
    benchmark::DoNotOptimize(reader->Page(filter, 0, kPage));
  }
  state.counters["events"] = static_cast<double>(count);
}

void BM_JournalFilterOneStack(benchmark::State& state) {
  ws::EventFilter filter;
  filter.stack = 42;
  RunFilter(state, filter);
}
BENCHMARK(BM_JournalFilterOneStack)->Unit(benchmark::kMillisecond);

void BM_JournalFilterAlarms(benchmark::State& state) {
  ws::EventFilter filter;
  filter.groups = static_cast<uint32_t>(ws::EventGroup::kAlarms);
  RunFilter(state, filter);
}
BENCHMARK(BM_JournalFilterAlarms)->Unit(benchmark::kMillisecond);

// Two kinds at once (alarms and communication).
void BM_JournalFilterTwoGroups(benchmark::State& state) {
  ws::EventFilter filter;
  filter.groups = static_cast<uint32_t>(ws::EventGroup::kAlarms) | static_cast<uint32_t>(ws::EventGroup::kCommunication);
  RunFilter(state, filter);
}
BENCHMARK(BM_JournalFilterTwoGroups)->Unit(benchmark::kMillisecond);

void BM_JournalFilterMonth(benchmark::State& state) {
  ws::EventFilter filter;
  filter.fromLocalSeconds = kYearStart + 200 * 86400;
  filter.toLocalSeconds = filter.fromLocalSeconds + 30 * 86400;
  RunFilter(state, filter);
}
BENCHMARK(BM_JournalFilterMonth)->Unit(benchmark::kMillisecond);

void BM_JournalFilterStackAlarmsMonth(benchmark::State& state) {
  ws::EventFilter filter;
  filter.fromLocalSeconds = kYearStart + 200 * 86400;
  filter.toLocalSeconds = filter.fromLocalSeconds + 30 * 86400;
  filter.stack = 42;
  filter.groups = static_cast<uint32_t>(ws::EventGroup::kAlarms);
  RunFilter(state, filter);
}
BENCHMARK(BM_JournalFilterStackAlarmsMonth)->Unit(benchmark::kMillisecond);

// A page where the scroll bar was dragged to, read by a reader that knows the
// count (the window counts first) but has read no page near it: arg 0 the
// middle (offset 500,000, the farthest from either end), arg 1 the last page.
void BM_JournalPageDeep(benchmark::State& state) {
  size_t rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto reader = OpenYear();
    if (!reader) {
      state.SkipWithError("no journal");
      return;
    }
    const int64_t count = reader->Count({});
    const int64_t offset = state.range(0) == 0 ? count / 2 : count - kPage;
    state.ResumeTiming();
    const auto page = reader->Page({}, offset, kPage);
    rows = page.size();
    benchmark::DoNotOptimize(page);
  }
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_JournalPageDeep)->ArgName("end")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Scrolling on from the middle a page at a time, as the grid asks.
void BM_JournalScrollFromMiddle(benchmark::State& state) {
  auto reader = OpenYear();
  if (!reader) {
    state.SkipWithError("no journal");
    return;
  }
  int64_t offset = reader->Count({}) / 2;
  benchmark::DoNotOptimize(reader->Page({}, offset, kPage));
  for (auto _ : state) {
    offset += kPage;
    benchmark::DoNotOptimize(reader->Page({}, offset, kPage));
  }
}
BENCHMARK(BM_JournalScrollFromMiddle)->Unit(benchmark::kMillisecond);

// The alarms filtered, scrolled to their middle.
void BM_JournalPageDeepAlarms(benchmark::State& state) {
  ws::EventFilter filter;
  filter.groups = static_cast<uint32_t>(ws::EventGroup::kAlarms);
  for (auto _ : state) {
    state.PauseTiming();
    auto reader = OpenYear();
    if (!reader) {
      state.SkipWithError("no journal");
      return;
    }
    const int64_t offset = reader->Count(filter) / 2;
    state.ResumeTiming();
    benchmark::DoNotOptimize(reader->Page(filter, offset, kPage));
  }
}
BENCHMARK(BM_JournalPageDeepAlarms)->Unit(benchmark::kMillisecond);

// The report's statistics: arg 0 the report's longest span (60 days), arg 1 the year.
void BM_JournalStats(benchmark::State& state) {
  auto reader = OpenYear();
  if (!reader) {
    state.SkipWithError("no journal");
    return;
  }
  ws::EventFilter filter;
  filter.fromLocalSeconds = kYearStart + 100 * 86400;
  filter.toLocalSeconds = filter.fromLocalSeconds + (state.range(0) == 0 ? 60 * 86400 : kYearSeconds);
  for (auto _ : state) benchmark::DoNotOptimize(reader->Stats(filter));
}
BENCHMARK(BM_JournalStats)->ArgName("year")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

double ProcessCpuSeconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// The writer at 1,000 events a second: each iteration hands over one commit
// period's events (500) and waits for their commit. The process's CPU time
// (the caller's Record calls and the writer thread) per 1,000 events is the
// share of one core that 1,000 events a second cost.
void BM_JournalWrite1000PerSecond(benchmark::State& state) {
  char pattern[] = "/tmp/ws-journal-write-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    state.SkipWithError("no temp dir");
    return;
  }
  const std::string dir = pattern;
  const int perCommit = 1000 * ws::EventJournal::kCommitMs / 1000;
  double cpu = 0.0;
  int64_t events = 0;
  {
    ws::EventJournal journal;
    journal.Open(dir);
    int64_t i = 0;
    for (auto _ : state) {
      const double before = ProcessCpuSeconds();
      for (int n = 0; n < perCommit; ++n) journal.Record(YearEvent(i++));
      journal.Flush();
      cpu += ProcessCpuSeconds() - before;
    }
    events = i;
  }
  fs::remove_all(dir);
  // CPU seconds per 1,000 events = share of a core at 1,000 events/s.
  state.counters["core_percent_at_1000_per_s"] = events > 0 ? cpu / static_cast<double>(events) * 1000 * 100 : 0;
}
BENCHMARK(BM_JournalWrite1000PerSecond)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
