// CReport, the "REPORT" window: one stack's stored records for a chosen span as a
// table, a trend chart and a wind rose, with the CSV export. Opened modally by the
// main window's REPORT command for the selected stack; searches once on opening.
// A status line beside the buttons says what the last search gave: its rows, a span
// cut to 60 days, or the error that left the results empty; a summary line under it
// gives the span's time at or above each alarm level.
#pragma once

#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QTimeEdit>

#include "chart/graph_scale.h"
#include "core/report_table.h"
#include "core/system_time.h"
#include "report/report_row_source.h"
#include "report/wind_rose.h"

namespace ws {

class CGridCtrl;
class CNexButton;
class CProgress;
struct Settings;

class CReport : public QDialog {
  Q_OBJECT

 public:
  // Control identifiers, kept as object names.
  static constexpr int kStartDateId = 1011;
  static constexpr int kStartTimeId = 1115;
  static constexpr int kEndDateId = 1012;
  static constexpr int kEndTimeId = 1116;
  static constexpr int kSearchId = 1003;
  static constexpr int kCsvId = 1018;
  static constexpr int kVectorId = 1148;
  static constexpr int kExitId = 2;
  static constexpr int kGridId = 1010;
  static constexpr int kRoseId = 3010;
  static constexpr int kChartId = 10050;
  static constexpr const char* kSpanError = "조회 구간 에러!";
  static constexpr const char* kNotFound = "Not Found Data!";

  // `settings` is the station's live record: the report reads the levels, the
  // colours and the stored span from it; each search's span goes out with
  // spanChanged for the owner to keep. Both must outlive the window.
  CReport(const QString& workdir, int stackIndex, const Settings& settings,
          const QString& iconFontFamily, QWidget* parent = nullptr);
  ~CReport() override;

  // The buttons' actions.
  void OnSearch();
  void OnCsv();
  void OnVector();
  void OnExit();
  // F1: the calendar, for reference only.
  void OnHelp();

  bool Searching() const { return m_bSearching; }
  bool VectorView() const { return m_bVectorView; }
  const ReportTable& Table() const { return m_Table; }
  const QString& CsvPath() const { return m_CsvPath; }
  // The span of the last search attempt (after the 60-day cut), as the CSV names it.
  const SystemTime& SpanStart() const { return m_Start; }
  const SystemTime& SpanEnd() const { return m_End; }
  // The status line's text.
  QString StatusText() const { return m_pStatus->text(); }
  QLabel* StatusLine() const { return m_pStatus; }
  // The summary line's text: empty when the last search found nothing.
  QString SummaryText() const { return m_pSummary->text(); }

  QDateEdit* StartDate() const { return m_pStartDate; }
  QTimeEdit* StartTime() const { return m_pStartTime; }
  QDateEdit* EndDate() const { return m_pEndDate; }
  QTimeEdit* EndTime() const { return m_pEndTime; }
  CNexButton* Button(int id) const;
  CGridCtrl* Grid() const { return m_pGrid; }
  CWindRose* Rose() const { return m_pRose; }
  CGraphScale* Chart() const { return m_pChart; }
  CProgress* Progress() const { return m_pProgress; }

 signals:
  // Each search's span, once captured from the pickers and cut to 60 days: the
  // report reopens with the last span used.
  void spanChanged(const ws::SystemTime& start, const ws::SystemTime& end);

 public slots:
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  CNexButton* MakeButton(const QString& caption, int id, int glyph, uint32_t colour, float angle);
  void ResetTable();
  // An error leaves nothing of an earlier search: table, chart and rose empty, so
  // that neither the window nor a CSV shows rows under dates they do not belong to.
  void ClearResults();
  void ShowStatus(const QString& text, bool error);
  void SetPickers(const SystemTime& start, const SystemTime& end);
  SystemTime PickedTime(const QDateEdit* date, const QTimeEdit* time) const;
  void SetBlocked(bool blocked);
  void Layout();
  // Message boxes of the report.
  void Error(const char* text);

  QString m_Workdir;
  int m_nStack;
  const Settings& m_Settings;
  SystemTime m_Start{};
  SystemTime m_End{};
  QString m_IconFontFamily;

  ReportTable m_Table;
  ReportRowSource m_Source{m_Table};
  QString m_CsvPath;
  bool m_bSearching = false;
  bool m_bVectorView = false;
  bool m_bCloseAfterSearch = false;
  bool m_bOpened = false;

  QDateEdit* m_pStartDate = nullptr;
  QTimeEdit* m_pStartTime = nullptr;
  QLabel* m_pDash = nullptr;
  QLabel* m_pStatus = nullptr;
  QLabel* m_pSummary = nullptr;
  QDateEdit* m_pEndDate = nullptr;
  QTimeEdit* m_pEndTime = nullptr;
  CNexButton* m_pSearch = nullptr;
  CNexButton* m_pCsv = nullptr;
  CNexButton* m_pVector = nullptr;
  CNexButton* m_pExit = nullptr;
  CGridCtrl* m_pGrid = nullptr;
  QPointer<CWindRose> m_pRose;
  QPointer<CGraphScale> m_pChart;
  CProgress* m_pProgress = nullptr;
};

}  // namespace ws
