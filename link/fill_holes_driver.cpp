#include "link/fill_holes_driver.h"

#include <utility>

#include "core/format_fixed.h"
#include "link/station_runtime.h"

namespace ws {

namespace {

const char* RunEndWord(std::optional<FillHolesEnd> end) {
  switch (end.value_or(FillHolesEnd::kAbandoned)) {
    case FillHolesEnd::kDone: return "done";
    case FillHolesEnd::kCancelled: return "cancelled";
    case FillHolesEnd::kAbandoned: return "abandoned";
    case FillHolesEnd::kTimedOut: return "timed out";
    case FillHolesEnd::kWriteFailed: return "write failed";
  }
  return "ended";
}

std::string DayText(const SystemTime& day) { return FormatC("%04d-%02d-%02d", day.year, day.month, day.day); }

}  // namespace

class FillHolesDriver::RuntimeDumper final : public DayDumper {
 public:
  explicit RuntimeDumper(StationRuntime& runtime) : m_Runtime(runtime) {}
  DumpStart StartDump(int stack, const SystemTime& day) override {
    return m_Runtime.StartDump(stack, day);
  }
  void AbandonDump() override { m_Runtime.AbandonDump(); }
  bool DumpRunning() const override { return m_Runtime.DumpRunning(); }

 private:
  StationRuntime& m_Runtime;
};

FillHolesDriver::FillHolesDriver(StationRuntime& runtime, QObject* parent)
    : QObject(parent),
      m_Runtime(runtime),
      m_Dumper(std::make_unique<RuntimeDumper>(runtime)),
      m_Run(*m_Dumper),
      m_MayContinue([&runtime] { return runtime.Running(); }) {
  connect(&m_Runtime, &StationRuntime::dumpProgress, this, &FillHolesDriver::OnDumpProgress);
  connect(&m_Runtime, &StationRuntime::dumpFinished, this, &FillHolesDriver::OnDumpFinished);
}

FillHolesDriver::~FillHolesDriver() = default;

void FillHolesDriver::SetMayContinue(std::function<bool()> mayContinue) {
  m_MayContinue = std::move(mayContinue);
}

bool FillHolesDriver::Start(int stack, std::vector<SystemTime> days, RunKind kind) {
  if (m_Run.Active() || !m_Runtime.Running() || stack < 0 || stack >= m_Runtime.stackCount() || days.empty()) {
    return false;
  }
  m_Kind = kind;
  const std::string span = days.size() == 1 ? DayText(days.front())
                                            : DayText(days.front()) + " to " + DayText(days.back());
  if (m_Runtime.DumpRunning()) return false;
  // Journalled before the first day's dump starts, so that its events follow.
  if (m_Kind == kFillHoles) {
    m_Runtime.Journal(EventKind::kFillHoles, stack, 0, 0.0,
                      FormatC("Fill holes started: %zu day(s), %s", days.size(), span.c_str()));
  }
  if (!m_Run.Start(stack, std::move(days))) {
    if (m_Kind == kFillHoles) m_Runtime.Journal(EventKind::kFillHoles, stack, 0, 0.0, "Fill holes: no day could be dumped");
    return false;
  }
  emit dayStarted();
  return true;
}

void FillHolesDriver::Finish() {
  if (m_Kind == kFillHoles) {
    const FillHolesTotals& totals = m_Run.totals();
    m_Runtime.Journal(EventKind::kFillHoles, m_Run.stack(), 0, static_cast<double>(totals.blocksStored),
                      std::string("Fill holes ") + RunEndWord(m_Run.LastEnd()) + ": " + FillHolesSummary(totals));
  }
  emit finished();
}

void FillHolesDriver::Cancel() {
  if (!m_Run.Active()) return;
  // A running dump's end (dumpFinished) ends the run and tells; between two days
  // the run ends here.
  const bool dumping = m_Runtime.DumpRunning();
  m_Run.Cancel();
  if (!dumping && !m_Run.Active()) Finish();
}

void FillHolesDriver::Abandon() {
  if (!m_Run.Active()) return;
  const bool dumping = m_Runtime.DumpRunning();
  m_Run.Abandon();
  if (!dumping && !m_Run.Active()) Finish();
}

void FillHolesDriver::OnDumpProgress(int percent) {
  if (m_Run.Active()) emit progress(m_Run.Progress(percent));
}

void FillHolesDriver::OnDumpFinished(int end) {
  if (!m_Run.Active()) return;
  const DumpSession& dump = m_Runtime.dump();
  const FillHolesRun::Step step = m_Run.OnDayFinished(static_cast<DumpEnd>(end), dump.BlocksStored(),
                                                      dump.BlocksFailed(), dump.FailureText());
  if (step == FillHolesRun::Step::kEnded) {
    Finish();
    return;
  }
  // The next day starts from the event loop, outside the runtime's reply handling.
  QMetaObject::invokeMethod(this, &FillHolesDriver::StartNextDay, Qt::QueuedConnection);
}

void FillHolesDriver::StartNextDay() {
  if (!m_Run.Active()) return;
  if (!m_MayContinue || !m_MayContinue()) {
    Abandon();
    return;
  }
  if (m_Run.StartNext()) {
    emit dayStarted();
    return;
  }
  Finish();
}

}  // namespace ws
