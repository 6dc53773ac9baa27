// windscope-report: searches one stack's record files for a span as the report
// window does, and prints a one-line summary; optionally writes the same CSV file the
// CSV button writes and renders the wind rose and the chart as PNG pictures.
// See doc/report_tool.md.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/event_journal.h"
#include "core/format_fixed.h"
#include "core/journal_stats_text.h"
#include "core/report_csv.h"
#include "core/report_search.h"
#include "core/report_span.h"
#include "core/report_table.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "core/span_summary.h"
#include "core/wind_rose_statistics.h"
#include "tools/report/report_events.h"
#include "tools/report/report_images.h"
#include "tools/report/report_options.h"
#include "widgets/display_fonts.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitOutputFailed = 1;
constexpr int kExitNoData = 2;
constexpr int kExitUsage = 64;

std::string Figure(const std::optional<double>& v, const char* format) {
  return v ? ws::FormatC(format, *v) : std::string("-");
}

// The levels and colours of DIR/WDX-5100.cfg, or the defaults; the file is never
// created or changed here.
void LoadSettings(const std::string& dir, ws::Settings& settings) {
  const ws::SettingsFile file(dir);
  std::error_code ec;
  if (!std::filesystem::exists(file.path(), ec)) return;
  const ws::SystemClock clock;
  (void)file.Load(settings, clock);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const std::optional<ws::ReportOptions> options = ws::ParseReportOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "windscope-report: %s\n%s", error.c_str(), ws::kReportUsage);
    return kExitUsage;
  }
  const ws::ReportOptions& o = *options;
  if (o.events) return ws::RunEventsReport(o);

  auto settings = std::make_unique<ws::Settings>();
  LoadSettings(o.dir, *settings);

  ws::SystemTime end = o.to;
  if (ws::ClampReportSpan(o.from, end)) {
    std::fprintf(stderr, "windscope-report: span cut to 60 days, ending %04d-%02d-%02d %02d:%02d:%02d\n",
                 end.year, end.month, end.day, end.hour, end.minute, end.second);
  }
  ws::ReportData data;
  switch (ws::SearchReport(o.dir, o.stackIndex, o.from, end, data)) {
    case ws::ReportSearchStatus::kOk: break;
    case ws::ReportSearchStatus::kNegativeSpan:
      std::fprintf(stderr, "조회 구간 에러!\n");
      return kExitNoData;
    case ws::ReportSearchStatus::kNotFound:
      std::fprintf(stderr, "Not Found Data!\n");
      return kExitNoData;
    case ws::ReportSearchStatus::kInvalidArgument:
      std::fprintf(stderr, "windscope-report: invalid stack or date\n%s", ws::kReportUsage);
      return kExitUsage;
  }

  const ws::AlarmThresholds levels = ws::ThresholdsOf(*settings);
  ws::ReportTable table;
  table.Assign(std::move(data), levels);
  const ws::WindRoseStatistics rose =
      ws::ComputeWindRoseStatistics(table, levels.alarm, ws::kReportRoseClasses);

  int status = kExitOk;
  if (!o.csvPath.empty()) {
    const ws::CsvWriteResult written =
        ws::WriteReportCsv(o.csvPath, o.stackIndex, o.from, end, table);
    if (!written.ok()) {
      std::fprintf(stderr, "windscope-report: %s: %s\n", o.csvPath.c_str(),
                   written.ToString().c_str());
      status = kExitOutputFailed;
    }
  }
  if (!o.rosePath.empty() || !o.chartPath.empty()) {
    // Pictures need the widget library, not a screen.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    ws::InstallFontSubstitutions();
    if (!o.rosePath.empty() && !ws::SaveWindRosePng(o.rosePath, rose, *settings)) {
      std::fprintf(stderr, "windscope-report: %s: cannot write the wind rose\n",
                   o.rosePath.c_str());
      status = kExitOutputFailed;
    }
    if (!o.chartPath.empty() && !ws::SaveChartPng(o.chartPath, table, *settings, o.vector)) {
      std::fprintf(stderr, "windscope-report: %s: cannot write the chart\n", o.chartPath.c_str());
      status = kExitOutputFailed;
    }
  }

  const ws::SpanSummary sum = ws::SummarizeSpan(o.dir, o.stackIndex, o.from, end, levels);
  // In the C locale whatever the desktop's (a decimal comma would break scripts).
  std::string line = ws::FormatC(
      "rows=%lld step=%lld calm=%.1f%% coverage=%.1f%% mean=%s max=%s gust3s=%s dir=%s "
      "dirsd=%s",
      static_cast<long long>(table.DataRows()), static_cast<long long>(table.data().step),
      rose.calm, sum.CoveragePercent(), Figure(sum.meanSpeed, "%.2f").c_str(),
      Figure(sum.maxSpeed, "%.1f").c_str(), Figure(sum.gust3s, "%.2f").c_str(),
      Figure(sum.meanDirection, "%.1f").c_str(), Figure(sum.directionSd, "%.1f").c_str());
  static constexpr const char* kLevelKeys[] = {"alarm", "stop", "trip"};
  for (int level = ws::kLevelAlarm; level <= ws::kLevelTrip; ++level) {
    line += ws::FormatC(" %s_s=%lld %s_pct=%s", kLevelKeys[level - 1],
                        static_cast<long long>(sum.levels.Seconds(level)), kLevelKeys[level - 1],
                        Figure(sum.levels.Percent(level), "%.1f").c_str());
  }
  // What the journal tells about the span, when the station keeps one here.
  std::string journalError;
  const std::unique_ptr<ws::EventReader> journal = ws::EventReader::Open(o.dir, &journalError);
  std::optional<ws::JournalSpanStats> stats;
  if (journal) stats = journal->Stats(ws::ReportSpanFilter(o.stackIndex, o.from, end));
  line += ws::JournalStatsFields(stats ? &*stats : nullptr);
  line += '\n';
  std::fputs(line.c_str(), stdout);
  return status;
}
