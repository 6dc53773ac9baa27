// The report's views: filling the table model, the chart and the wind-rose statistics
// from a 60-day search (target: under 150 ms with the search), and the whole SEARCH
// of the report window.
#include <benchmark/benchmark.h>

#include <QDate>
#include <QTime>

#include <memory>

#include "chart/graph_scale.h"
#include "core/report_search.h"
#include "core/report_table.h"
#include "core/settings.h"
#include "grid/grid_ctrl.h"
#include "report/report.h"
#include "report/report_chart.h"
#include "report/report_fixture.h"
#include "report/report_row_source.h"
#include "report/wind_rose.h"

namespace {

using ws::bench::ReportFixture;

// Table model, chart and rose from the samples of a search already made.
void BM_FillViews60Days(benchmark::State& state) {
  const ReportFixture& f = ReportFixture::Get();
  auto settings = std::make_unique<ws::Settings>();
  ws::ReportData data;
  (void)ws::SearchReport(f.dir(), 0, ws::bench::SixtyDayStart(), ws::bench::SixtyDayEnd(), data);
  ws::CGridCtrl grid;
  grid.resize(600, 400);
  ws::CGraphScale chart;
  chart.resize(1200, 400);
  ws::SetUpReportChart(chart, *settings);
  ws::CWindRose rose(*settings);
  rose.resize(400, 400);
  rose.m_PaintEnabled = true;
  ws::ReportTable table;
  ws::ReportRowSource source(table);
  for (auto _ : state) {
    ws::ReportData copy = data;
    grid.DeleteAllItems();
    grid.SetRowCount(1);
    grid.SetColumnCount(ws::kReportColumns);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    table.Assign(std::move(copy), ws::AlarmThresholds{});
    grid.SetRowCount(table.RowCount());
    grid.SetRowSource(&source);
    grid.Refresh();
    ws::FillReportChart(chart, table.data());
    rose.ComputeStatistics(table);
    benchmark::DoNotOptimize(rose.m_Statistics.calm);
  }
  grid.SetRowSource(nullptr);
}
BENCHMARK(BM_FillViews60Days)->Unit(benchmark::kMillisecond)->UseRealTime();

// SEARCH of the report window over 60 days: the search, the progress window and
// the views. Target: under 150 ms.
void BM_ReportWindowSearch60Days(benchmark::State& state) {
  const ReportFixture& f = ReportFixture::Get();
  auto settings = std::make_unique<ws::Settings>();
  settings->reportStart = ws::bench::SixtyDayStart();
  settings->reportEnd = ws::bench::SixtyDayEnd();
  ws::CReport report(QString::fromStdString(f.dir()), 0, *settings, QString());
  report.resize(1600, 900);
  report.StartDate()->setDate(QDate(2024, 3, 1));
  report.StartTime()->setTime(QTime(0, 0, 0));
  report.EndDate()->setDate(QDate(2024, 4, 30));
  report.EndTime()->setTime(QTime(0, 0, 0));
  for (auto _ : state) {
    report.OnSearch();
    state.counters["rows"] = static_cast<double>(report.Table().DataRows());
  }
}
BENCHMARK(BM_ReportWindowSearch60Days)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
