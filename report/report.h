// CReport, the "REPORT" window: one stack's stored records for a chosen span as a
// table, a trend chart and a wind rose, with the CSV export. Opened modally by the
// main window's REPORT command for the selected stack; searches once on opening.
#pragma once

#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QTimeEdit>

#include "chart/graph_scale.h"
#include "core/report_table.h"
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

  // `settings` is the station's live record: the report reads the levels and
  // colours and keeps its span in it. Both must outlive the window.
  CReport(const QString& workdir, int stackIndex, Settings& settings,
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

  QDateEdit* StartDate() const { return m_pStartDate; }
  QTimeEdit* StartTime() const { return m_pStartTime; }
  QDateEdit* EndDate() const { return m_pEndDate; }
  QTimeEdit* EndTime() const { return m_pEndTime; }
  CNexButton* Button(int id) const;
  CGridCtrl* Grid() const { return m_pGrid; }
  CWindRose* Rose() const { return m_pRose; }
  CGraphScale* Chart() const { return m_pChart; }
  CProgress* Progress() const { return m_pProgress; }

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
  void SetPickers(const SystemTime& start, const SystemTime& end);
  SystemTime PickedTime(const QDateEdit* date, const QTimeEdit* time) const;
  void SetBlocked(bool blocked);
  void Layout();
  // Message boxes of the report.
  void Error(const char* text);

  QString m_Workdir;
  int m_nStack;
  Settings& m_Settings;
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
