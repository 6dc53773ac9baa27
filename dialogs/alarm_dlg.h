// CAlarmDlg, the alarm list: a small topmost window naming the raised level in
// its colour, with the stack, the speed and the time in a two-column table and
// an ACK button that hides it and asks the main window to acknowledge.
// It is a window of its own, outside the main window's hierarchy, so that a
// modal dialog over the main window never blocks ACK.
#pragma once

#include <QDialog>
#include <QString>

#include "core/colour_math.h"
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
  static constexpr int kTitleId = 10000;
  static constexpr int kRows = 6;
  static constexpr int kColumns = 2;

  // `iconFamily`: the icon font loaded at start (empty: the button shows no icon).
  explicit CAlarmDlg(const QString& iconFamily, QWidget* parent = nullptr);
  ~CAlarmDlg() override;

  // A raised level: replaces the entry, fills the window and shows it on top.
  void ShowEntry(int stack, int level, double speed, const SystemTime& now);
  // Fills the title and the table from the entry.
  void Fill();

  // "Trip", "Stop", "Alarm" (any other code).
  static QString TitleWord(int level);
  // 0x0000FF, 0x4080FF, 0x00FFFF.
  static ColorRef LevelColour(int level);

  int Stack() const { return m_nStack; }
  int Level() const { return m_nLevel; }
  double Speed() const { return m_dSpeed; }
  // Text of a table cell (row 0..5, column 0..1).
  QString CellText(int row, int col) const;
  CGridCtrl* Grid() const { return m_pGrid; }
  CNexText* TitleBox() const { return m_pTitle; }
  CNexButton* AckButton() const { return m_pAck; }

 signals:
  // Message 0x476 to the main window: acknowledge (wparam 1, lparam 0).
  void acknowledge(int code, int lparam);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnAck();

  CGridCtrl* m_pGrid = nullptr;
  CNexText* m_pTitle = nullptr;
  CNexButton* m_pAck = nullptr;
  int m_nStack = 0;
  int m_nLevel = 1;
  double m_dSpeed = 0.0;
  SystemTime m_Time{};
};

}  // namespace ws
