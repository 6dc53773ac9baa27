// Grid control: the report's largest table (172,798 data rows of six columns).
// Filling it through a row source, filling it through the text store for
// comparison, reading every cell back as the CSV export does, and scrolling a page.
#include <QCoreApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <optional>
#include <string>
#include <utility>

#include "core/report_table.h"
#include "core/system_time.h"
#include "grid/grid_ctrl.h"
#include "grid/grid_row_source.h"

namespace {

constexpr int kDataRows = 172798;
constexpr int kColumns = 6;

// Heap bytes in use (glibc): unlike the resident size it also counts memory that
// an earlier run freed and this one took again.
double HeapInUseMiB() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

// The report's table as the report window hands it to the grid: the core table
// keeps 16 bytes a sample and formats a cell when asked.
class ReportRows : public ws::GridRowSource {
 public:
  void Fill(int dataRows) {
    ws::ReportData data;
    data.start = ws::SystemTime{2025, 12, 1, 1, 0, 0, 0, 0};
    data.step = 1;
    const int64_t start = ws::CivilSeconds(data.start);
    data.samples.reserve(static_cast<std::size_t>(dataRows) + 1);
    for (int i = 0; i <= dataRows; ++i) {  // N samples, N - 1 rows
      data.samples.push_back({start + i, static_cast<float>((i * 7) % 360),
                              static_cast<float>(i % 500) / 10.0f});
    }
    m_Table.Assign(std::move(data), ws::AlarmThresholds{});
  }

  QString CellText(int row, int col) const override {
    m_Text.clear();
    m_Table.AppendCellText(row, col, m_Text);
    return QString::fromLatin1(m_Text.data(), static_cast<qsizetype>(m_Text.size()));
  }

  ws::ColorRef CellBackground(int row, int col) const override {
    if (col != ws::kColumnSpeed || row < 1 || row >= m_Table.RowCount()) return kNoColour;
    const std::optional<uint32_t> colour = ws::RemarkColour(m_Table.RemarkAt(row));
    return colour ? *colour : kNoColour;
  }

 private:
  ws::ReportTable m_Table;
  mutable std::string m_Text;  // reused: no allocation per cell
};

// The report's table reset: headings, widths and the ordinary background.
void ResetTable(ws::CGridCtrl& grid) {
  grid.DeleteAllItems();
  grid.SetRowCount(1);
  grid.SetColumnCount(kColumns);
  grid.SetFixedRowCount(1);
  grid.SetFixedColumnCount(1);
  const int widths[kColumns] = {50, 160, 60, 60, 60, 80};
  const char* headings[kColumns] = {"No", "Date", "Direction", "Direction", "Speed", "Remark"};
  for (int c = 0; c < kColumns; ++c) {
    grid.SetColumnWidth(c, widths[c]);
    grid.SetItemText(0, c, QString::fromLatin1(headings[c]));
  }
  grid.SetDefaultBkColour(0xE0FFFF);
}

void Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// A shown table, so that the view's own work (header sections, layout, the first
// paint after the fill) is part of every figure.
struct ShownGrid {
  ShownGrid() {
    grid.resize(560, 480);
    grid.setAttribute(Qt::WA_DontShowOnScreen);
    grid.show();
    Settle();
  }
  ws::CGridCtrl grid;
};

// Reset, row count, row source, and the view's update and first paint. The
// samples themselves are the report's (read from the record files).
void BM_FillReportTableFromRowSource(benchmark::State& state) {
  ShownGrid shown;
  ReportRows rows;
  rows.Fill(kDataRows);
  const double before = HeapInUseMiB();
  for (auto _ : state) {
    ResetTable(shown.grid);
    shown.grid.SetRowCount(kDataRows + 1);
    shown.grid.SetRowSource(&rows);
    shown.grid.Refresh();
    shown.grid.viewport()->repaint();
    Settle();
  }
  state.counters["heap_MiB"] = HeapInUseMiB() - before;
  state.counters["rows"] = kDataRows;
}
BENCHMARK(BM_FillReportTableFromRowSource)->Unit(benchmark::kMillisecond);

// The row source for the texts, but the speed colours set cell by cell through the
// grid (four in ten rows here), as an owner that does not colour through its
// source would.
void BM_FillReportTableWithCellColours(benchmark::State& state) {
  ShownGrid shown;
  ReportRows rows;
  rows.Fill(kDataRows);
  const double before = HeapInUseMiB();
  for (auto _ : state) {
    ResetTable(shown.grid);
    shown.grid.SetRowCount(kDataRows + 1);
    shown.grid.SetRowSource(&rows);
    for (int r = 1; r <= kDataRows; ++r) {
      const ws::ColorRef colour = rows.CellBackground(r, 4);
      if (colour != ws::GridRowSource::kNoColour) shown.grid.SetItemBkColour(r, 4, colour);
    }
    shown.grid.Refresh();
    shown.grid.viewport()->repaint();
    Settle();
  }
  state.counters["heap_MiB"] = HeapInUseMiB() - before;
}
BENCHMARK(BM_FillReportTableWithCellColours)->Unit(benchmark::kMillisecond);

// The same rows formatted and written into the text store cell by cell, for
// comparison: what a table without a row source would cost.
void BM_FillReportTableFromTextStore(benchmark::State& state) {
  ShownGrid shown;
  ReportRows rows;
  rows.Fill(kDataRows);
  const double before = HeapInUseMiB();
  for (auto _ : state) {
    ResetTable(shown.grid);
    shown.grid.SetRowCount(kDataRows + 1);
    for (int r = 1; r <= kDataRows; ++r)
      for (int c = 0; c < kColumns; ++c) shown.grid.SetItemText(r, c, rows.CellText(r, c));
    shown.grid.Refresh();
    shown.grid.viewport()->repaint();
    Settle();
  }
  state.counters["heap_MiB"] = HeapInUseMiB() - before;
}
BENCHMARK(BM_FillReportTableFromTextStore)->Unit(benchmark::kMillisecond);

// Every cell's text, headings included, as the CSV export reads them.
void BM_ReadEveryCellText(benchmark::State& state) {
  ShownGrid shown;
  ReportRows rows;
  rows.Fill(kDataRows);
  ResetTable(shown.grid);
  shown.grid.SetRowCount(kDataRows + 1);
  shown.grid.SetRowSource(&rows);
  Settle();
  for (auto _ : state) {
    qsizetype chars = 0;
    for (int r = 0; r <= kDataRows; ++r)
      for (int c = 0; c < kColumns; ++c) chars += shown.grid.GetItemText(r, c).size();
    benchmark::DoNotOptimize(chars);
  }
  state.counters["cells"] = static_cast<double>(kDataRows + 1) * kColumns;
}
BENCHMARK(BM_ReadEveryCellText)->Unit(benchmark::kMillisecond);

// One page down and its repaint, anywhere in the largest table.
void BM_ScrollOnePage(benchmark::State& state) {
  ShownGrid shown;
  ReportRows rows;
  rows.Fill(kDataRows);
  ResetTable(shown.grid);
  shown.grid.SetRowCount(kDataRows + 1);
  shown.grid.SetRowSource(&rows);
  Settle();
  QScrollBar* bar = shown.grid.verticalScrollBar();
  for (auto _ : state) {
    int next = bar->value() + bar->pageStep();
    if (next > bar->maximum()) next = 0;
    bar->setValue(next);
    shown.grid.viewport()->repaint();
  }
}
BENCHMARK(BM_ScrollOnePage)->Unit(benchmark::kMicrosecond);

}  // namespace
