// The history window's actions over a year of a 100-stack site: a million
// events in Events.db. Each action is timed with the repaint of the rows it
// brings into view. Target: under 100 ms each.
#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

#include "dialogs/history_dlg.h"
#include "grid/grid_ctrl.h"
#include "tests/support/journal_files.h"

namespace ws {
namespace {

constexpr int64_t kEvents = 1000000;
constexpr int kStacks = 100;

// Made once per run (about ten seconds), shared by every benchmark.
QString JournalDir() {
  static QTemporaryDir dir;
  static const bool written = [] {
    SystemTime start{};
    start.year = 2025;
    start.month = 12;
    start.day = 1;
    // One event every 31 s: a year.
    return dir.isValid() &&
           test::WriteJournal(dir.path().toStdString(), kEvents, [&](int64_t k) {
             return test::SampleEvent(k, kStacks, CivilSeconds(start), 31);
           });
  }();
  return written ? dir.path() : QString();
}

std::unique_ptr<CHistoryDlg> OpenWindow() {
  auto dlg = std::make_unique<CHistoryDlg>(JournalDir(), kStacks, QString());
  dlg->resize(1200, 700);
  dlg->show();
  QApplication::processEvents();
  return dlg;
}

void Repaint(CHistoryDlg& dlg) { dlg.Grid()->viewport()->repaint(); }

#define NEED_JOURNAL(state)                         \
  if (JournalDir().isEmpty()) {                     \
    (state).SkipWithError("cannot write the journal"); \
    return;                                         \
  }

void BM_HistoryOpen(benchmark::State& state) {
  NEED_JOURNAL(state);
  for (auto _ : state) {
    auto dlg = OpenWindow();
    Repaint(*dlg);
    benchmark::DoNotOptimize(dlg->Source().Count());
    state.PauseTiming();
    dlg.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_HistoryOpen)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_HistoryFilterByStack(benchmark::State& state) {
  NEED_JOURNAL(state);
  auto dlg = OpenWindow();
  int stack = 0;
  for (auto _ : state) {
    dlg->SetStack(stack);
    Repaint(*dlg);
    stack = (stack + 37) % kStacks;
  }
  state.counters["events"] = static_cast<double>(dlg->Source().Count());
}
BENCHMARK(BM_HistoryFilterByStack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// Alarms only, then every kind again: each a filter action.
void BM_HistoryFilterByAlarms(benchmark::State& state) {
  NEED_JOURNAL(state);
  auto dlg = OpenWindow();
  bool alarms = true;
  for (auto _ : state) {
    dlg->SetKinds(alarms ? static_cast<uint32_t>(EventGroup::kAlarms) : kAllEventGroups);
    Repaint(*dlg);
    alarms = !alarms;
  }
}
BENCHMARK(BM_HistoryFilterByAlarms)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// Scrolls to a place no page read so far covers, every time.
void Scroll(benchmark::State& state, bool toEnd) {
  NEED_JOURNAL(state);
  auto dlg = OpenWindow();
  const int last = dlg->Grid()->GetRowCount() - 1;
  int k = 0;
  for (auto _ : state) {
    const int away = (k++ % 40) * 2000;
    dlg->ScrollToRow(toEnd ? last - 30 - away : last / 2 + away);
    Repaint(*dlg);
  }
  state.counters["pages"] = static_cast<double>(dlg->Source().PagesRead());
}
void BM_HistoryScrollToTheMiddle(benchmark::State& state) { Scroll(state, false); }
void BM_HistoryScrollToTheEnd(benchmark::State& state) { Scroll(state, true); }
BENCHMARK(BM_HistoryScrollToTheMiddle)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_HistoryScrollToTheEnd)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

}  // namespace
}  // namespace ws
