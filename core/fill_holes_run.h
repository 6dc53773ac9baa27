// A run of day dumps of one stack, one day after the other: "Fill holes" (every
// incomplete day of the hole map) or a single chosen day. Keeps the totals, skips
// a day that midnight has moved out of reach, stops at a write failure or a
// time-out, and cancels. The dumps themselves are the DayDumper's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/dump_session.h"
#include "core/hole_map.h"
#include "core/system_time.h"

namespace ws {

// Starts and stops the day dumps of a run (the station runtime, or a fake).
class DayDumper {
 public:
  virtual ~DayDumper() = default;
  virtual DumpStart StartDump(int stack, const SystemTime& day) = 0;
  // Ends the running dump; its end is then reported to the run as kAbandoned.
  virtual void AbandonDump() = 0;
  virtual bool DumpRunning() const = 0;
};

// How a run ended.
enum class FillHolesEnd {
  kDone,         // every day dumped (or skipped at midnight)
  kCancelled,    // the operator's Cancel
  kAbandoned,    // MAIN, EXIT or a rebuild: ends without a word
  kTimedOut,     // a logger stopped answering
  kWriteFailed,  // the record files refused a block
};

struct FillHolesTotals {
  int days = 0;           // days in the run
  int daysComplete = 0;   // days dumped to their end
  int blocksStored = 0;
  int blocksFailed = 0;
  std::string failure;    // why the last refused block was refused ("" when none)
};

// "<n> blocks stored[, <f> failed (<why>)][, <k> of <m> days complete].": the tail of
// every message that ends a run (the days only for a run of more than one).
[[nodiscard]] std::string FillHolesSummary(const FillHolesTotals& totals);

// Single-threaded; `dumper` must outlive the run. Each day's end must be passed to
// OnDayFinished; the next day is then started by StartNext, from outside the
// dumper's own reporting of the end.
class FillHolesRun {
 public:
  explicit FillHolesRun(DayDumper& dumper);

  // The days of a hole map window that "Fill holes" dumps: before today and not
  // fully recorded, oldest first.
  [[nodiscard]] static std::vector<SystemTime> DaysToFill(const std::vector<DayShare>& window,
                                                          const SystemTime& today);

  // Starts the first day that can be dumped. False, with nothing running, when the
  // run is empty, another run or dump is active, or no day could be started.
  [[nodiscard]] bool Start(int stack, std::vector<SystemTime> days);

  enum class Step { kNextDay, kEnded };
  // The running day's dump ended with `end`, having stored and refused those
  // blocks. kNextDay: call StartNext; kEnded: LastEnd() says how.
  Step OnDayFinished(DumpEnd end, int blocksStored, int blocksFailed, const std::string& failure);
  // Starts the next day that can still be dumped, skipping those gone out of reach.
  // False when the run has ended instead (kDone when no day was left; kAbandoned
  // when a day could not start because another dump runs).
  bool StartNext();

  // Ends the run: a running dump is abandoned (its end, passed to OnDayFinished,
  // then ends the run as kCancelled); between two days the run ends at once.
  void Cancel();
  // The same, ending as kAbandoned.
  void Abandon();

  bool Active() const { return active_; }
  int stack() const { return stack_; }
  // The day dumped now (or last), its index, and the number of days.
  const SystemTime& Day() const;
  size_t DayIndex() const { return index_; }
  size_t DayCount() const { return days_.size(); }
  // The run's progress in percent when the day dumped now stands at dayPercent.
  int Progress(int dayPercent) const;
  const FillHolesTotals& totals() const { return totals_; }
  std::optional<FillHolesEnd> LastEnd() const { return lastEnd_; }

 private:
  void End(FillHolesEnd end);

  DayDumper& dumper_;
  bool active_ = false;
  bool cancelled_ = false;
  int stack_ = -1;
  std::vector<SystemTime> days_;
  size_t index_ = 0;
  FillHolesTotals totals_;
  std::optional<FillHolesEnd> lastEnd_;
};

}  // namespace ws
