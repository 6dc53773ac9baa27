// Grid control: the report's largest table (172,798 data rows of six columns).
// Filling it through a row source, filling it through the text store for
// comparison, reading every cell back as the CSV export does, and scrolling a page.
#include <QCoreApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <ctime>
#include <vector>

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

// What the report keeps per row: direction and speed of the sample (8 bytes);
// the time label follows from the row number, the start and the step.
class ReportRows : public ws::GridRowSource {
 public:
  struct Sample {
    float direction;
    float speed;
  };

  void Fill(int count) {
    m_Samples.clear();
    m_Samples.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      m_Samples.push_back({static_cast<float>((i * 7) % 360), static_cast<float>(i % 500) / 10.0f});
    }
  }

  QString CellText(int row, int col) const override {
    const std::size_t k = static_cast<std::size_t>(row - 1);
    if (row < 1 || k >= m_Samples.size()) return QString();
    const Sample& s = m_Samples[k];
    char text[40];
    switch (col) {
      case 0: std::snprintf(text, sizeof text, "%d", row); break;
      case 1: {
        const time_t t = m_Start + static_cast<time_t>(k);
        tm local{};
        localtime_r(&t, &local);
        std::snprintf(text, sizeof text, "%d.%02d.%02d %02d:%02d:%02d", local.tm_year + 1900,
                      local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
        break;
      }
      case 2: std::snprintf(text, sizeof text, "%1.0f", static_cast<double>(s.direction)); break;
      case 3:
        return QString::fromLatin1(kCompass[static_cast<int>((s.direction + 11.25f) / 22.5f) % 16]);
      case 4: std::snprintf(text, sizeof text, "%3.1f", static_cast<double>(s.speed)); break;
      case 5: return QString::fromLatin1(s.speed > 45.0f ? "TRIP" : s.speed > 40.0f ? "STOP"
                                          : s.speed > 30.0f ? "ALARM" : "");
      default: return QString();
    }
    return QString::fromLatin1(text);
  }

  ws::ColorRef CellBackground(int row, int col) const override {
    const std::size_t k = static_cast<std::size_t>(row - 1);
    if (col != 4 || row < 1 || k >= m_Samples.size()) return kNoColour;
    const float speed = m_Samples[k].speed;
    return speed > 45.0f ? 0x0000FF : speed > 40.0f ? 0x4080FF : speed > 30.0f ? 0x00FFFF : kNoColour;
  }

 private:
  static constexpr const char* kCompass[16] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                               "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  std::vector<Sample> m_Samples;
  time_t m_Start = 1764547200;  // 2025-12-01 00:00 UTC
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
