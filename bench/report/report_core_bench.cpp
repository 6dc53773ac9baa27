// The report without windows: the 60-day search, the wind-rose statistics, the CSV
// export of the largest table, and windscope-report as a whole process.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "core/report_csv.h"
#include "core/report_search.h"
#include "core/report_table.h"
#include "core/wind_rose_statistics.h"
#include "report/report_fixture.h"

extern char** environ;

namespace {

using ws::bench::ReportFixture;

// Target: under 60 ms (86,399 rows of 60 s from two month files in the page cache).
void BM_Search60Days(benchmark::State& state) {
  const ReportFixture& f = ReportFixture::Get();
  for (auto _ : state) {
    ws::ReportData data;
    if (ws::SearchReport(f.dir(), 0, ws::bench::SixtyDayStart(), ws::bench::SixtyDayEnd(), data,
                         [](int) {}) != ws::ReportSearchStatus::kOk) {
      state.SkipWithError("search failed");
      return;
    }
    benchmark::DoNotOptimize(data.samples.data());
    state.counters["rows"] = static_cast<double>(data.DataRows());
  }
}
BENCHMARK(BM_Search60Days)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindRoseStatistics60Days(benchmark::State& state) {
  const ReportFixture& f = ReportFixture::Get();
  ws::ReportData data;
  (void)ws::SearchReport(f.dir(), 0, ws::bench::SixtyDayStart(), ws::bench::SixtyDayEnd(), data);
  ws::ReportTable table;
  table.Assign(std::move(data), ws::AlarmThresholds{});
  for (auto _ : state) {
    benchmark::DoNotOptimize(ws::ComputeWindRoseStatistics(table, 30.0));
  }
}
BENCHMARK(BM_WindRoseStatistics60Days)->Unit(benchmark::kMillisecond)->UseRealTime();

// Target: under 500 ms for the largest table, 172,798 rows (a step of 1).
void BM_CsvExportLargestTable(benchmark::State& state) {
  const ReportFixture& f = ReportFixture::Get();
  const ws::SystemTime start = ws::bench::At(2024, 3, 10);
  const ws::SystemTime end = ws::FromCivilSeconds(ws::CivilSeconds(start) + 172797);
  ws::ReportData data;
  (void)ws::SearchReport(f.dir(), 0, start, end, data);
  ws::ReportTable table;
  table.Assign(std::move(data), ws::AlarmThresholds{});
  const std::string path = ws::ReportCsvPath(f.dir());
  for (auto _ : state) {
    int last = 0;
    if (!ws::WriteReportCsv(path, 0, start, end, table, [&last](int p) { last = p; }).ok()) {
      state.SkipWithError("export failed");
      return;
    }
    benchmark::DoNotOptimize(last);
  }
  state.counters["rows"] = static_cast<double>(table.DataRows());
}
BENCHMARK(BM_CsvExportLargestTable)->Unit(benchmark::kMillisecond)->UseRealTime();

// Target: under 300 ms for `windscope-report --csv` over 60 days, start to exit.
void BM_ReportToolCsv60Days(benchmark::State& state) {
  const ReportFixture& f = ReportFixture::Get();
  const std::string csv = f.dir() + "/tool.csv";
  std::string program = WINDSCOPE_REPORT_PATH;
  std::string dir = f.dir();
  std::vector<std::string> args = {program, "--dir", dir, "--stack", "1",
                                   "--from", "2024-03-01 00:00:00", "--to",
                                   "2024-04-30 00:00:00", "--csv", csv};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start windscope-report");
      break;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("windscope-report failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_ReportToolCsv60Days)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
