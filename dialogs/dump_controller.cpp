#include "dialogs/dump_controller.h"

#include <QDate>
#include <QWidget>

#include "core/dump_session.h"
#include "core/settings.h"
#include "dialogs/calendar.h"
#include "dialogs/progress.h"
#include "link/station_runtime.h"
#include "widgets/message_helpers.h"

namespace ws {

namespace {

QDate ToQDate(const SystemTime& t) { return QDate(t.year, t.month, t.day); }

SystemTime FromQDate(const QDate& d) {
  SystemTime t;
  if (!d.isValid() || d.year() < 1 || d.year() > 9999) return t;
  t.year = static_cast<uint16_t>(d.year());
  t.month = static_cast<uint16_t>(d.month());
  t.day = static_cast<uint16_t>(d.day());
  return t;
}

DayFill FillOf(DayCoverage c) {
  switch (c) {
    case DayCoverage::kEmpty:
      return DayFill::kEmpty;
    case DayCoverage::kPartly:
      return DayFill::kPartly;
    case DayCoverage::kFull:
      return DayFill::kFull;
  }
  return DayFill::kUnknown;
}

}  // namespace

CDumpController::CDumpController(StationRuntime& runtime, CProgress& progress, QWidget* dialogParent,
                                 QObject* parent)
    : QObject(parent),
      m_Runtime(runtime),
      m_Progress(progress),
      m_DialogParent(dialogParent),
      m_Cache(std::make_shared<HoleMapCache>(runtime.workdir().toStdString())),
      m_Fill(runtime) {
  m_Pool.setMaxThreadCount(1);
  // MAIN or EXIT between two days: the run belongs to the stack view.
  m_Fill.SetMayContinue([this] { return m_Runtime.Running() && m_Runtime.selectedStack() >= 0; });
  connect(&m_Fill, &FillHolesDriver::dayStarted, this, &CDumpController::ShowProgress);
  connect(&m_Fill, &FillHolesDriver::progress, &m_Progress, &CProgress::SetPos);
  connect(&m_Fill, &FillHolesDriver::finished, this, &CDumpController::OnRunFinished);
  connect(&m_Progress, &CProgress::cancelled, this, &CDumpController::Cancel);
}

CDumpController::~CDumpController() {
  // A reader still at work posts its result to this object.
  m_Pool.waitForDone();
}

CCalendar* CDumpController::calendar() const { return m_Calendar.data(); }

bool CDumpController::DumpEnabled() const {
  return !Busy() && m_Runtime.Running() && m_Runtime.selectedStack() >= 0;
}

std::vector<SystemTime> CDumpController::DaysToFill(const std::vector<DayShare>& window,
                                                    const SystemTime& today) {
  return FillHolesRun::DaysToFill(window, today);
}

void CDumpController::Dump(int stack) {
  if (stack < 0 || stack >= m_Runtime.stackCount() || Busy() || m_Calendar || !m_Runtime.Running()) return;
  const SystemTime today = m_Runtime.clock().Now();

  QPointer<CDumpController> self(this);
  QPointer<CCalendar> calendar = new CCalendar(m_DialogParent);
  m_Calendar = calendar;
  calendar->m_Caption = QString::fromLatin1(kCaption);
  calendar->m_Date = ToQDate(today);
  calendar->SetHoleMapVisible(true);
  calendar->fillHolesButton()->setEnabled(false);
  calendar->SetHoleMapText(QStringLiteral("Reading the record files..."));
  m_HoleMap.clear();
  m_HoleMapStack = -1;
  LoadHoleMap(stack);

  const int result = calendar->exec();
  // The station may have closed while the calendar was open.
  if (!self || !calendar) return;
  const QDate chosen = calendar->m_Date;
  calendar->deleteLater();
  m_Calendar = nullptr;
  // A dump belongs to the stack view it was asked from.
  if (!m_Runtime.Running() || stack >= m_Runtime.stackCount() || m_Runtime.selectedStack() != stack) return;

  if (result == CCalendar::kFillHoles) {
    if (m_HoleMapStack != stack) return;  // the button is enabled only once the map is in
    std::vector<SystemTime> days = DaysToFill(m_HoleMap, m_Runtime.clock().Now());
    if (days.empty()) {
      AskMessageF(kMbOk | kMbIconInformation, "%s: no incomplete day to fill.",
                  StackName(stack).toUtf8().constData());
      return;
    }
    FillHoles(stack, std::move(days));
    return;
  }
  if (result != QDialog::Accepted) return;

  const SystemTime day = FromQDate(chosen);
  if (!IsDumpableDay(day, m_Runtime.clock().Now())) {
    // Outside today and the 182 days before: nothing is sent.
    AskMessageF(kMbOk | kMbIconError, "%s", kInvalidDateText);
    return;
  }
  FillHoles(stack, {day}, false);
}

bool CDumpController::FillHoles(int stack, std::vector<SystemTime> days, bool holes) {
  if (Busy() || days.empty() || stack < 0 || stack >= m_Runtime.stackCount() || !m_Runtime.Running() ||
      m_Runtime.DumpRunning()) {
    return false;
  }
  m_LastMessage.clear();
  if (!m_Fill.Start(stack, std::move(days), holes ? FillHolesDriver::kFillHoles : FillHolesDriver::kChosenDay)) {
    return false;
  }
  emit dumpEnabledChanged(false);
  return true;
}

void CDumpController::Cancel() { m_Fill.Cancel(); }

void CDumpController::Abandon() { m_Fill.Abandon(); }

QString CDumpController::EndText(const QString& head) const {
  return QStringLiteral("%1\n%2: %3")
      .arg(head, StackName(m_Fill.run().stack()), QString::fromStdString(FillHolesSummary(m_Fill.run().totals())));
}

void CDumpController::OnRunFinished() {
  const FillHolesRun& run = m_Fill.run();
  switch (run.LastEnd().value_or(FillHolesEnd::kAbandoned)) {
    case FillHolesEnd::kDone:
      // A single chosen day says nothing when it is done.
      EndRun(run.DayCount() > 1 ? EndText(QStringLiteral("Fill holes done.")) : QString());
      return;
    case FillHolesEnd::kCancelled:
      EndRun(EndText(QStringLiteral("Dump cancelled.")));
      return;
    case FillHolesEnd::kAbandoned:
      // MAIN, EXIT and a rebuild end quietly.
      EndRun(QString());
      return;
    case FillHolesEnd::kTimedOut:
      EndRun(EndText(QString::fromLatin1(kDumpTimedOutText)), kMbIconWarning);
      return;
    case FillHolesEnd::kWriteFailed:
      EndRun(EndText(QString::fromLatin1(kDumpWriteFailedText)), kMbIconError);
      return;
  }
}

void CDumpController::EndRun(const QString& message, int icon) {
  HideProgress();
  emit dumpEnabledChanged(DumpEnabled());
  emit runFinished();
  if (message.isEmpty()) return;
  m_LastMessage = message;
  // A message box runs a loop of its own: not from inside the runtime's signal.
  QMetaObject::invokeMethod(
      this,
      [this, message, icon] {
        if (m_Runtime.Running()) AskMessageF(kMbOk | icon, "%s", message.toUtf8().constData());
      },
      Qt::QueuedConnection);
}

void CDumpController::ShowProgress() {
  const FillHolesRun& run = m_Fill.run();
  QString text = QStringLiteral("%1: %2").arg(StackName(run.stack()), DayText(run.Day()));
  if (run.DayCount() > 1) text += QStringLiteral(", day %1 of %2").arg(run.DayIndex() + 1).arg(run.DayCount());
  m_Progress.SetText(text);
  m_Progress.SetCancelVisible(true);
  m_Progress.SetPos(run.Progress(0));
  if (!m_Progress.isVisible()) m_Progress.Show();
}

void CDumpController::HideProgress() {
  m_Progress.SetPos(0);
  m_Progress.SetText(QString());
  m_Progress.SetCancelVisible(false);
  // A firmware upload that began meanwhile keeps the window.
  if (!m_Runtime.UploadRunning()) m_Progress.hide();
}

void CDumpController::LoadHoleMap(int stack) {
  const unsigned request = ++m_HoleMapRequest;
  const SystemTime today = m_Runtime.clock().Now();
  std::shared_ptr<HoleMapCache> cache = m_Cache;
  m_Pool.start([this, cache, stack, today, request] {
    std::vector<DayShare> window = cache->Window(stack, today);
    QMetaObject::invokeMethod(
        this,
        [this, stack, today, request, window = std::move(window)]() mutable {
          if (request == m_HoleMapRequest) ShowHoleMap(stack, today, std::move(window));
        },
        Qt::QueuedConnection);
  });
}

void CDumpController::ShowHoleMap(int stack, const SystemTime& today, std::vector<DayShare> window) {
  m_HoleMap = std::move(window);
  m_HoleMapStack = stack;
  const size_t holes = DaysToFill(m_HoleMap, today).size();
  if (m_Calendar) {
    for (const DayShare& d : m_HoleMap) m_Calendar->SetDayFill(QDate(d.year, d.month, d.day), FillOf(d.Coverage()));
    m_Calendar->SetHoleMapText(holes == 0 ? QStringLiteral("%1: no incomplete day before today").arg(StackName(stack))
                                          : QStringLiteral("%1: %2 incomplete days before today")
                                                .arg(StackName(stack))
                                                .arg(holes));
    m_Calendar->fillHolesButton()->setEnabled(holes > 0);
  }
  emit holeMapReady(stack);
}

QString CDumpController::StackName(int stack) const {
  if (stack < 0 || stack >= kMaxStacks) return QString();
  const QString title =
      QString::fromStdString(FieldUtf8(m_Runtime.settings().stacks[static_cast<size_t>(stack)].title)).trimmed();
  return title.isEmpty() ? QStringLiteral("STACK #%1").arg(stack + 1) : title;
}

QString CDumpController::DayText(const SystemTime& day) const {
  return QStringLiteral("%1-%2-%3")
      .arg(day.year, 4, 10, QLatin1Char('0'))
      .arg(day.month, 2, 10, QLatin1Char('0'))
      .arg(day.day, 2, 10, QLatin1Char('0'));
}

}  // namespace ws
