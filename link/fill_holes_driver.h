// Runs a FillHolesRun on the station runtime: starts each day's dump, follows the
// runtime's dump signals, and starts the next day from the event loop. Used by the
// DUMP window and by the headless station alike; it shows nothing itself.
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

#include "core/fill_holes_run.h"
#include "core/system_time.h"

namespace ws {

class StationRuntime;

class FillHolesDriver : public QObject {
  Q_OBJECT

 public:
  // `runtime` must outlive the driver.
  explicit FillHolesDriver(StationRuntime& runtime, QObject* parent = nullptr);
  ~FillHolesDriver() override;

  // What a run is for: "Fill holes" runs are journalled as such (started, and
  // ended with their totals); a chosen day shows only as its day dump.
  enum RunKind { kChosenDay, kFillHoles };

  // Dumps `days` of `stack` one after another. False when nothing was started (no
  // day, a bad stack, the runtime stopped, a dump or run already going).
  bool Start(int stack, std::vector<SystemTime> days, RunKind kind = kFillHoles);
  // The operator's Cancel: a running dump stops where it is (its blocks stay); the
  // run ends as kCancelled.
  void Cancel();
  // MAIN, EXIT: the same, ending as kAbandoned.
  void Abandon();

  // Asked before each further day; false ends the run as kAbandoned (the window
  // ends a run whose stack view was left). By default the runtime must be running.
  void SetMayContinue(std::function<bool()> mayContinue);

  bool Active() const { return m_Run.Active(); }
  const FillHolesRun& run() const { return m_Run; }

 signals:
  // A day's dump has started (the run's DayIndex() and Day() name it).
  void dayStarted();
  // The run's progress in percent over all its days.
  void progress(int percent);
  // The run has ended; run().LastEnd() and run().totals() say how.
  void finished();

 private:
  class RuntimeDumper;

  void OnDumpProgress(int percent);
  void OnDumpFinished(int end);
  void StartNextDay();
  // Journals the end of a "Fill holes" run and tells finished.
  void Finish();

  StationRuntime& m_Runtime;
  std::unique_ptr<RuntimeDumper> m_Dumper;
  FillHolesRun m_Run;
  std::function<bool()> m_MayContinue;
  RunKind m_Kind = kFillHoles;
};

}  // namespace ws
