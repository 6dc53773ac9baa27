// The small modal date chooser of the station: a month calendar, an OK button
// under it, a hidden Cancel button and a caption. The dump command, the report
// and the configuration dialog open it; the dump also shades the days by how
// much of them the record files hold and offers "Fill holes".
#pragma once

#include <QCalendarWidget>
#include <QDate>
#include <QDialog>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QString>

namespace ws {

// How much of a day the record files hold, as the calendar shades it.
enum class DayFill { kUnknown, kEmpty, kPartly, kFull };

class CCalendar : public QDialog {
  Q_OBJECT

 public:
  // Control identifiers of the dialog resource, kept as object names.
  static constexpr int kCalendarId = 5000;
  static constexpr int kOkId = 1;
  static constexpr int kCancelId = 2;
  // exec() result of the "Fill holes" button (OK is Accepted, anything else Rejected).
  static constexpr int kFillHoles = 3;

  static constexpr int kInitialSide = 260;
  static constexpr int kLeft = 10;
  static constexpr int kTop = 8;
  static constexpr int kButtonGap = 2;
  static constexpr int kButtonHeight = 30;
  static constexpr int kExtraWidth = 20;    // the calendar's margins, 10 each side
  static constexpr int kExtraHeight = 16;   // 8 above the calendar, 8 below the last button

  // Shades of the hole map (background of the day's number).
  static constexpr QRgb kFullColour = 0xFFB8E0B8;
  static constexpr QRgb kPartlyColour = 0xFFF4D88A;
  static constexpr QRgb kEmptyColour = 0xFFF0A8A8;

  explicit CCalendar(QWidget* parent = nullptr);

  // Written by the owner before exec(). An empty caption shows "CALENDAR".
  // m_Date is the day selected when the dialog opens (today when invalid) and,
  // after OK or "Fill holes", the day chosen.
  QString m_Caption;
  QDate m_Date;

  // The hole map: shades `day` (may be called while the dialog is open, as the
  // shares come in). kUnknown removes the shade.
  void SetDayFill(const QDate& day, DayFill fill);
  DayFill DayFillOf(const QDate& day) const;
  // Shows the legend of the shades and the "Fill holes" button under OK.
  void SetHoleMapVisible(bool visible);
  bool HoleMapVisible() const { return m_HoleMapVisible; }
  // The text under the legend (e.g. how many days are incomplete).
  void SetHoleMapText(const QString& text);

  QCalendarWidget* calendar() { return m_Calendar; }
  QPushButton* okButton() { return m_Ok; }
  QPushButton* cancelButton() { return m_Cancel; }
  QPushButton* fillHolesButton() { return m_FillHoles; }
  QLabel* holeMapLabel() { return m_Legend; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnOk();
  void OnFillHoles();
  void Arrange();

  QCalendarWidget* m_Calendar;
  QPushButton* m_Ok;
  QPushButton* m_Cancel;
  QPushButton* m_FillHoles;
  QLabel* m_Legend;
  bool m_HoleMapVisible = false;
  QHash<QDate, DayFill> m_Fills;
};

}  // namespace ws
