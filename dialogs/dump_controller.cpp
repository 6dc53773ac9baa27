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
      m_Cache(std::make_shared<HoleMapCache>(runtime.workdir().toStdString())) {
  m_Pool.setMaxThreadCount(1);
  connect(&m_Runtime, &StationRuntime::dumpProgress, this, &CDumpController::OnProgress);
  connect(&m_Runtime, &StationRuntime::dumpFinished, this, &CDumpController::OnFinished);
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
  std::vector<SystemTime> days;
  const int64_t todayNumber = DaysFromCivil(today.year, today.month, today.day);
  for (const DayShare& d : window) {
    if (DaysFromCivil(d.year, d.month, d.day) >= todayNumber) continue;
    if (d.Coverage() == DayCoverage::kFull) continue;
    SystemTime t;
    t.year = static_cast<uint16_t>(d.year);
    t.month = static_cast<uint16_t>(d.month);
    t.day = static_cast<uint16_t>(d.day);
    days.push_back(t);
  }
  return days;
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
  FillHoles(stack, {day});
}

bool CDumpController::FillHoles(int stack, std::vector<SystemTime> days) {
  if (Busy() || days.empty() || stack < 0 || stack >= m_Runtime.stackCount() || !m_Runtime.Running() ||
      m_Runtime.DumpRunning()) {
    return false;
  }
  m_Run = Run{};
  m_Run.stack = stack;
  m_Run.days = std::move(days);
  m_Run.active = true;
  m_LastMessage.clear();
  if (!StartNextDay()) {
    m_Run = Run{};
    return false;
  }
  emit dumpEnabledChanged(false);
  return true;
}

bool CDumpController::StartNextDay() {
  while (m_Run.next < m_Run.days.size()) {
    switch (m_Runtime.StartDump(m_Run.stack, m_Run.days[m_Run.next])) {
      case DumpStart::kStarted:
        ShowProgress();
        return true;
      case DumpStart::kInvalidDate:
        // A long run may pass midnight: the oldest day falls out of reach.
        ++m_Run.next;
        continue;
      case DumpStart::kBusy:
        return false;
    }
  }
  return false;
}

void CDumpController::Cancel() {
  if (!m_Run.active) return;
  m_Run.cancelled = true;
  if (m_Runtime.DumpRunning()) {
    m_Runtime.AbandonDump();  // OnFinished ends the run
  } else {
    // Between two days of a run: the last day's blocks are counted already.
    EndRun(EndText(QStringLiteral("Dump cancelled.")));
  }
}

void CDumpController::Abandon() {
  if (!m_Run.active) return;
  if (m_Runtime.DumpRunning()) {
    m_Runtime.AbandonDump();  // OnFinished ends the run quietly
  } else {
    EndRun(QString());
  }
}

QString CDumpController::EndText(const QString& head) const {
  QString text = QStringLiteral("%1\n%2: %3 blocks stored").arg(head, StackName(m_Run.stack)).arg(m_Run.blocks);
  if (m_Run.days.size() > 1) {
    text += QStringLiteral(", %1 of %2 days complete").arg(m_Run.completedDays).arg(m_Run.days.size());
  }
  return text + QLatin1Char('.');
}

void CDumpController::OnProgress(int percent) {
  if (!m_Run.active || m_Run.days.empty()) return;
  const auto n = static_cast<int>(m_Run.days.size());
  const int done = static_cast<int>(m_Run.next);
  m_Progress.SetPos((done * 100 + percent) / n);
}

void CDumpController::OnFinished(int end) {
  if (!m_Run.active) return;
  m_Run.blocks += m_Runtime.dump().BlocksStored();
  switch (static_cast<DumpEnd>(end)) {
    case DumpEnd::kCompleted:
      ++m_Run.completedDays;
      ++m_Run.next;
      if (m_Run.next < m_Run.days.size()) {
        // The next day starts from the event loop, outside the runtime's reply handling.
        QMetaObject::invokeMethod(
            this,
            [this] {
              if (!m_Run.active) return;
              // MAIN or EXIT came in between: the run belongs to the stack view.
              if (!m_Runtime.Running() || m_Runtime.selectedStack() < 0 || !StartNextDay()) {
                EndRun(QString());
              }
            },
            Qt::QueuedConnection);
        return;
      }
      EndRun(m_Run.days.size() > 1 ? EndText(QStringLiteral("Fill holes done.")) : QString());
      return;
    case DumpEnd::kTimedOut:
      EndRun(EndText(QString::fromLatin1(kDumpTimedOutText)), kMbIconWarning);
      return;
    case DumpEnd::kAbandoned:
      // MAIN, EXIT and a rebuild end quietly; Cancel tells what was kept.
      EndRun(m_Run.cancelled ? EndText(QStringLiteral("Dump cancelled.")) : QString());
      return;
  }
}

void CDumpController::EndRun(const QString& message, int icon) {
  m_Run.active = false;
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
  const SystemTime& day = m_Run.days[m_Run.next];
  QString text = QStringLiteral("%1: %2").arg(StackName(m_Run.stack), DayText(day));
  if (m_Run.days.size() > 1) text += QStringLiteral(", day %1 of %2").arg(m_Run.next + 1).arg(m_Run.days.size());
  m_Progress.SetText(text);
  m_Progress.SetCancelVisible(true);
  m_Progress.SetPos(static_cast<int>(m_Run.next * 100 / m_Run.days.size()));
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
