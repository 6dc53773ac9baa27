#include "link/fill_holes_driver.h"

#include <utility>

#include "link/station_runtime.h"

namespace ws {

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

bool FillHolesDriver::Start(int stack, std::vector<SystemTime> days) {
  if (m_Run.Active() || !m_Runtime.Running() || stack < 0 || stack >= m_Runtime.stackCount()) {
    return false;
  }
  if (!m_Run.Start(stack, std::move(days))) return false;
  emit dayStarted();
  return true;
}

void FillHolesDriver::Cancel() {
  if (!m_Run.Active()) return;
  // A running dump's end (dumpFinished) ends the run and tells; between two days
  // the run ends here.
  const bool dumping = m_Runtime.DumpRunning();
  m_Run.Cancel();
  if (!dumping && !m_Run.Active()) emit finished();
}

void FillHolesDriver::Abandon() {
  if (!m_Run.Active()) return;
  const bool dumping = m_Runtime.DumpRunning();
  m_Run.Abandon();
  if (!dumping && !m_Run.Active()) emit finished();
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
    emit finished();
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
  emit finished();
}

}  // namespace ws
