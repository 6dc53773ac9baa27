// CAlarmDlg, the alarm list: a small topmost window whose title names the
// highest unacknowledged level in that level's colour, with one row per alarm
// that is active or not yet acknowledged (stack, level, state, start, peak
// speed, duration), an ACK button that hides it and asks the main window to
// acknowledge, and a History button that asks for the event history.
// It is a window of its own, outside the main window's hierarchy, so that a
// modal dialog over the main window never blocks ACK.
//
// The rows come from the runtime's alarm entries (ShowEntries). A raise shown
// by ShowEntry before the runtime's list names it is listed as active and
// unacknowledged, so that the window never opens without the raise in it.
#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/alarm_states.h"
#include "core/colour_math.h"
#include "core/settings.h"
#include "core/station_event.h"
#include "core/system_time.h"

namespace ws {

class CGridCtrl;
class CNexButton;
class CNexText;

class CAlarmDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kGridId = 1110;
  static constexpr int kAckId = 2;
  static constexpr int kHistoryId = 3;
  static constexpr int kTitleId = 10000;
  // Grid columns; row 0 holds the headings, column 0 (the stack) is fixed.
  enum Column : int { kColStack, kColLevel, kColState, kColStart, kColPeak, kColDuration, kColumns };
  // Data rows in view; more scroll.
  static constexpr int kVisibleRows = 8;
  // The level shown as "NO COMM" (a stack silent longer than its delay).
  static constexpr int kNoCommLevel = kLevelNoCommunication;

  // `iconFamily`: the icon font loaded at start (empty: the button shows no icon).
  explicit CAlarmDlg(const QString& iconFamily, QWidget* parent = nullptr);
  ~CAlarmDlg() override;

  // Stack titles for the rows (not owned; null: numbers only).
  void SetSettings(const Settings* settings);

  // A raised level: listed at once (until the runtime's list takes over), the
  // title shows it when it is the highest, and the window shows on top.
  void ShowEntry(int stack, int level, double speed, const SystemTime& now);
  // The runtime's list of active or unacknowledged entries. A new unacknowledged
  // entry (one not listed before) shows the window, as a raise does.
  void ShowEntries(const std::vector<AlarmEntry>& entries, const SystemTime& now);
  // The clock moved on: the durations of active entries grow.
  void SetNow(const SystemTime& now);
  // Fills the title and the table from the rows.
  void Fill();

  // "Trip", "Stop", "NO COMM" (4), "Alarm" (any other code).
  static QString TitleWord(int level);
  // 0x0000FF, 0x4080FF, 0xC0C0C0 (4), 0x00FFFF.
  static ColorRef LevelColour(int level);
  // The state column: "Active" (not acknowledged), "Acknowledged" (still
  // active), "Returned" (back to normal, not acknowledged).
  static QString StateWord(AlarmCondition condition);
  // "h:mm:ss", hours unbounded.
  static QString DurationText(int64_t ms);
  static QString StartText(const SystemTime& t);

  // What the list shows, newest first.
  const std::vector<AlarmEntry>& Rows() const { return m_Rows; }
  // The level the title names: the highest unacknowledged (Trip, Stop, Alarm,
  // then NO COMM), else the highest listed, else the last raise.
  int TitleLevel() const;

  // The last raise.
  int Stack() const { return m_nStack; }
  int Level() const { return m_nLevel; }
  double Speed() const { return m_dSpeed; }
  // Text of a grid cell (row 0 the headings, rows 1.. the entries).
  QString CellText(int row, int col) const;
  CGridCtrl* Grid() const { return m_pGrid; }
  CNexText* TitleBox() const { return m_pTitle; }
  CNexButton* AckButton() const { return m_pAck; }
  CNexButton* HistoryButton() const { return m_pHistory; }

 signals:
  // Message 0x476 to the main window: acknowledge (wparam 1, lparam 0).
  void acknowledge(int code, int lparam);
  // The History button: the owner opens the event history.
  void historyRequested();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnAck();
  void MakeRows();
  QString StackText(int stack) const;
  int64_t NowUtcMs() const;

  CGridCtrl* m_pGrid = nullptr;
  CNexText* m_pTitle = nullptr;
  CNexButton* m_pAck = nullptr;
  CNexButton* m_pHistory = nullptr;
  const Settings* m_pSettings = nullptr;
  int m_nStack = 0;
  int m_nLevel = 1;
  double m_dSpeed = 0.0;
  SystemTime m_Time{};
  SystemTime m_Now{};
  std::vector<AlarmEntry> m_Entries;         // the runtime's list, oldest first
  std::optional<AlarmEntry> m_PendingRaise;  // a raise the runtime's list has not named yet
  std::vector<AlarmEntry> m_Rows;            // what is shown, newest first
};

}  // namespace ws
