// One day dumped as the operator does it: from the OK of the DUMP calendar to
// the end of the dump, through the calendar, the dump controller, the
// progress window and the runtime, against a simulated logger over loopback.
// Target: under 2 s.
#include <QCoreApplication>
#include <QDate>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <memory>

#include "core/clock.h"
#include "dialogs/calendar.h"
#include "dialogs/dump_controller.h"
#include "dialogs/progress.h"
#include "link/station_runtime.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_logger.h"
#include "widgets/message_helpers.h"

namespace ws {
namespace {

QString BenchAddress(int host) {
  const long pid = static_cast<long>(getpid());
  return QStringLiteral("127.%1.%2.%3").arg(16 + (pid / 250) % 230).arg(1 + pid % 250).arg(host);
}

template <typename Pred>
bool RunUntil(Pred pred, int ms) {
  QDeadlineTimer deadline(ms);
  while (!pred() && !deadline.hasExpired()) {
    QEventLoop loop;
    QTimer::singleShot(1, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return pred();
}

void BM_DayDumpFromCalendarOk(benchmark::State& state) {
  QTemporaryDir dir;
  const QString address = BenchAddress(240);
  SimLogger logger(0, QHostAddress(address), 4000, 1);
  if (!logger.IsListening()) {
    state.SkipWithError("cannot listen on loopback");
    return;
  }
  SimSite site;
  site.firstLoggerHost = QHostAddress(address).toIPv4Address();
  std::string error;
  if (!WriteSimConfig(dir.path().toStdString(), site, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  SetMessageHandler([](int, const QString&) { return static_cast<int>(kIdOk); });
  SystemClock clock;
  StationRuntime runtime(dir.path(), clock);
  CProgress progress;
  CDumpController dump(runtime, progress, nullptr);
  runtime.Start();
  runtime.SetSelectedStack(0);
  if (!RunUntil([&] { return runtime.counters().liveReplies[0] > 0; }, 5000)) {
    state.SkipWithError("the logger never answered");
    return;
  }
  int n = 0;
  for (auto _ : state) {
    // A different day each time, so every block is written again.
    const SystemTime day = FromCivilSeconds(CivilSeconds(clock.Now()) - int64_t{1 + n++ % 150} * 86400);
    state.PauseTiming();
    bool clicked = false;
    QTimer::singleShot(0, &dump, [&] {
      if (!RunUntil([&] { return dump.calendar() && dump.calendar()->isVisible(); }, 3000)) return;
      dump.calendar()->calendar()->setSelectedDate(QDate(day.year, day.month, day.day));
      state.ResumeTiming();
      clicked = true;
      dump.calendar()->okButton()->click();
    });
    dump.Dump(0);
    if (!clicked) {
      state.ResumeTiming();
      state.SkipWithError("the calendar did not open");
      break;
    }
    if (!RunUntil([&] { return !dump.Busy(); }, 10000) ||
        runtime.dump().LastEnd() != DumpEnd::kCompleted) {
      state.SkipWithError("dump did not complete");
      break;
    }
  }
  runtime.Shutdown();
  SetMessageHandler({});
}
BENCHMARK(BM_DayDumpFromCalendarOk)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
}  // namespace ws
