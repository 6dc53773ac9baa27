// What the operator sees of a day dump: the DUMP command's calendar with the
// hole map of the selected stack, the progress window with Cancel, the end
// messages, and "Fill holes", which dumps every incomplete day of the calendar
// one after another. The exchange is the runtime's and the run of days the
// FillHolesDriver's; this class only shows what they report and calls them.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>

#include <memory>
#include <vector>

#include "core/hole_map.h"
#include "core/system_time.h"
#include "link/fill_holes_driver.h"
#include "widgets/message_helpers.h"

class QWidget;

namespace ws {

class CCalendar;
class CProgress;
class StationRuntime;

class CDumpController : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Select Day....";

  // `runtime` and `progress` must outlive the controller; `dialogParent` (may
  // be null) centres the calendar and owns the message boxes.
  CDumpController(StationRuntime& runtime, CProgress& progress, QWidget* dialogParent,
                  QObject* parent = nullptr);
  ~CDumpController() override;

  // The DUMP command for `stack` (the selected one; ignored for the overview
  // or while a dump runs): shows the calendar, then dumps the chosen day, or
  // every incomplete day for "Fill holes". Returns once the dump has started
  // (or was refused); the end arrives through the runtime's signals.
  void Dump(int stack);

  // Dumps `days` of `stack` one after another with one progress window, as
  // "Fill holes" does (holes false: the one day the calendar's OK chose, which
  // the journal does not count as a "Fill holes" run). False when nothing was started.
  bool FillHoles(int stack, std::vector<SystemTime> days, bool holes = true);

  // The progress window's Cancel: ends the dump (blocks already written stay)
  // and tells how many blocks were stored.
  void Cancel();
  // MAIN, EXIT: ends the dump or run at once, without a message.
  void Abandon();

  // True from the start of a dump (or a run of them) to its end.
  bool Busy() const { return m_Fill.Active(); }
  // Whether the DUMP command is available now: a stack is shown and no dump runs.
  bool DumpEnabled() const;

  // The days of the last hole map that "Fill holes" would dump: before today
  // and below 100 %, oldest first (FillHolesRun::DaysToFill).
  static std::vector<SystemTime> DaysToFill(const std::vector<DayShare>& window, const SystemTime& today);
  // The run of days, for tests.
  const FillHolesDriver& fillHoles() const { return m_Fill; }

  // The calendar while it is open (tests drive it), else null.
  CCalendar* calendar() const;
  // The hole map shown last (oldest day first), for tests and the window.
  const std::vector<DayShare>& holeMap() const { return m_HoleMap; }
  HoleMapCache& holeMapCache() { return *m_Cache; }

  // The message shown at the end of the last run ("" for none), for tests.
  const QString& lastMessage() const { return m_LastMessage; }

 signals:
  // The DUMP command's button: disabled during a dump and in the overview.
  void dumpEnabledChanged(bool enabled);
  // The hole map of the open calendar has been computed.
  void holeMapReady(int stack);
  // A single dump or a whole "Fill holes" run has ended (its message, if any,
  // follows from the event loop).
  void runFinished();

 private:
  void LoadHoleMap(int stack);
  void ShowHoleMap(int stack, const SystemTime& today, std::vector<DayShare> window);
  void OnRunFinished();
  // Ends the run; a non-empty message is shown afterwards with `icon`.
  void EndRun(const QString& message, int icon = kMbIconInformation);
  // "<head>\n<stack>: <n> blocks stored[, <f> failed (<why>)][, <k> of <m> days complete]."
  QString EndText(const QString& head) const;
  void ShowProgress();
  void HideProgress();
  QString StackName(int stack) const;
  QString DayText(const SystemTime& day) const;

  StationRuntime& m_Runtime;
  CProgress& m_Progress;
  QPointer<QWidget> m_DialogParent;
  QPointer<CCalendar> m_Calendar;
  std::shared_ptr<HoleMapCache> m_Cache;
  std::vector<DayShare> m_HoleMap;
  int m_HoleMapStack = -1;
  unsigned m_HoleMapRequest = 0;
  FillHolesDriver m_Fill;
  bool m_LastEnabled = false;
  QString m_LastMessage;
  QThreadPool m_Pool;  // one reader of the record files at a time
};

}  // namespace ws
