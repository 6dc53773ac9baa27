// CHistoryDlg, the "HISTORY" window: the event journal in the grid, newest
// first, filtered by span (two days chosen with the calendar, or all days),
// stack and kind, with a count line and the CSV export "Events.csv". Opened by
// F4 in the station window and by the alarm list's History button; it is not
// modal, so the station window and the alarm list's ACK stay in use.
//
// The journal is read through an EventReader a page at a time (EventRowSource):
// opening, filtering and scrolling cost a count and the pages on the screen,
// whatever the journal's size.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/event_journal.h"
#include "dialogs/event_row_source.h"

namespace ws {

class CGridCtrl;
class CNexButton;

class CHistoryDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kCsvId = 1018;
  static constexpr int kExitId = 2;
  static constexpr int kGridId = 1010;
  static constexpr const char* kCsvFileName = "Events.csv";
  // The kind check boxes, in their order on the window, and their groups.
  static constexpr int kKinds = 5;
  static constexpr std::array<EventGroup, kKinds> kKindGroups = {
      EventGroup::kAlarms, EventGroup::kCommunication, EventGroup::kDumps,
      EventGroup::kConfiguration, EventGroup::kStation};

  // Opens the journal of `workdir` (Events.db) itself; a journal that does not
  // exist yet is looked for again at every change of the filter.
  CHistoryDlg(const QString& workdir, int stackCount, const QString& iconFontFamily,
              QWidget* parent = nullptr);
  // Reads through `reader` instead (tests, the benchmark, the gallery).
  CHistoryDlg(std::unique_ptr<EventReader> reader, const QString& workdir, int stackCount,
              const QString& iconFontFamily, QWidget* parent = nullptr);
  ~CHistoryDlg() override;

  // The filter the controls give: the span from the first day's midnight to
  // the midnight after the last day (local time), the stack (-1: all) and the
  // checked kinds.
  EventFilter CurrentFilter() const;
  // Reads the filter from the controls again: counts, shows the newest events.
  void Apply();

  // The controls' setters, as the operator would change them (each applies).
  void SetAllDays(bool all);
  void SetSpan(const QDate& first, const QDate& last);
  void SetStack(int stack);  // -1 all, else 0-based
  void SetKinds(uint32_t groups);
  // The calendar for the first or last day of the span.
  void OnPickDay(bool first);
  void OnCsv();
  void OnExit();

  // Scrolls so that grid row `row` is at the top, reading its pages.
  void ScrollToRow(int row);
  // Reads the rows now in view (the grid asks while it paints).
  void FetchVisible();

  // Rows in view: first and last grid row (data rows from 1).
  std::pair<int, int> VisibleRows() const;
  // The count line's text.
  QString CountText() const { return m_pCount->text(); }
  // The text the grid shows in a cell (row 0 the headings).
  QString CellText(int row, int col) const;
  const EventRowSource& Source() const { return m_Source; }
  const QString& CsvPath() const { return m_CsvPath; }
  bool HasJournal() const { return m_pReader != nullptr; }

  CGridCtrl* Grid() const { return m_pGrid; }
  QCheckBox* AllDaysBox() const { return m_pAllDays; }
  QPushButton* FirstDayButton() const { return m_pFirstDay; }
  QPushButton* LastDayButton() const { return m_pLastDay; }
  QComboBox* StackBox() const { return m_pStack; }
  QCheckBox* KindBox(int i) const { return m_Kinds[static_cast<size_t>(i)]; }
  CNexButton* Button(int id) const;

  // "12 events", "1 event", "No events"; the reason when there is no journal.
  static QString CountLine(int64_t count);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Build(int stackCount, const QString& iconFontFamily);
  void OpenJournal();
  void Layout();
  void ShowDays();

  QString m_Workdir;
  QString m_CsvPath;
  bool m_bOwnJournal = false;  // opened from m_Workdir, and opened again when missing
  std::unique_ptr<EventReader> m_pReader;
  QString m_JournalError;
  EventRowSource m_Source;
  QDate m_FirstDay;
  QDate m_LastDay;
  bool m_bApplying = false;
  bool m_bFetchQueued = false;

  QCheckBox* m_pAllDays = nullptr;
  QLabel* m_pFromLabel = nullptr;
  QPushButton* m_pFirstDay = nullptr;
  QLabel* m_pToLabel = nullptr;
  QPushButton* m_pLastDay = nullptr;
  QLabel* m_pStackLabel = nullptr;
  QComboBox* m_pStack = nullptr;
  std::array<QCheckBox*, kKinds> m_Kinds{};
  CNexButton* m_pCsv = nullptr;
  CNexButton* m_pExit = nullptr;
  QLabel* m_pCount = nullptr;
  CGridCtrl* m_pGrid = nullptr;
};

}  // namespace ws
