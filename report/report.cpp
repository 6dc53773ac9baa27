#include "report/report.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>

#include "chart/graph_scale.h"
#include "core/event_journal.h"
#include "core/format_fixed.h"
#include "core/journal_stats_text.h"
#include "core/report_csv.h"
#include "core/report_search.h"
#include "core/report_span.h"
#include "core/settings.h"
#include "core/level_time.h"
#include "dialogs/calendar.h"
#include "dialogs/progress.h"
#include "grid/grid_ctrl.h"
#include "report/report_chart.h"
#include "report/wind_rose.h"
#include "widgets/message_helpers.h"
#include "widgets/nex_button.h"

namespace ws {
namespace {

// The top line: pickers, then the four buttons.
constexpr int kTop = 8;
constexpr int kPickerHeight = 28;
constexpr int kDateWidth = 120;
constexpr int kTimeWidth = 100;
constexpr int kButtonWidth = 110;
constexpr int kButtonHeight = 36;
constexpr int kButtonTop = 4;
constexpr int kGap = 6;
// The status and summary lines beside the buttons.
constexpr int kSummaryTop = 2;
constexpr int kSummaryLine = 14;
constexpr int kSummaryFontPixels = 11;

// A search repaints and moves the bar at most this often (milliseconds): handing
// every one of its thousands of blocks to the event loop would cost more than the
// search itself.
constexpr int kDispatchIntervalMs = 30;

// The status line's note on a span longer than the report covers.
QString CutNote(const SystemTime& end) {
  return QString::fromStdString(FormatC("Span cut to 60 days: ends %04d-%02d-%02d %02d:%02d:%02d. ",
                                        end.year, end.month, end.day, end.hour, end.minute,
                                        end.second));
}

// The status line after a search that found data.
QString RowsText(const ReportData& data) {
  QString text = QStringLiteral("%1 rows").arg(data.DataRows());
  if (data.step > 1) text += QStringLiteral(", one per %1 s").arg(data.step);
  return text;
}

AlarmThresholds LevelsOf(const Settings& s) {
  return ThresholdsOf(s);
}

}  // namespace

CReport::CReport(const QString& workdir, int stackIndex, const Settings& settings,
                 const QString& iconFontFamily, QWidget* parent)
    : QDialog(parent),
      m_Workdir(workdir),
      m_nStack(stackIndex),
      m_Settings(settings),
      m_IconFontFamily(iconFontFamily),
      m_CsvPath(QString::fromStdString(ReportCsvPath(workdir.toStdString()))) {
  setWindowTitle(QStringLiteral("REPORT"));
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);

  m_pProgress = new CProgress(this);
  m_pProgress->hide();

  const auto picker = [this](auto* edit, int id, const QString& format) {
    edit->setObjectName(QString::number(id));
    edit->setDisplayFormat(format);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
  };
  m_pStartDate = picker(new QDateEdit(this), kStartDateId, QStringLiteral("yyyy-MM-dd"));
  m_pStartTime = picker(new QTimeEdit(this), kStartTimeId, QStringLiteral("HH:mm:ss"));
  m_pEndDate = picker(new QDateEdit(this), kEndDateId, QStringLiteral("yyyy-MM-dd"));
  m_pEndTime = picker(new QTimeEdit(this), kEndTimeId, QStringLiteral("HH:mm:ss"));
  m_pStartDate->setCalendarPopup(true);
  m_pEndDate->setCalendarPopup(true);
  m_pDash = new QLabel(QStringLiteral("--"), this);
  m_pDash->setAlignment(Qt::AlignCenter);
  m_pStatus = new QLabel(this);
  m_pStatus->setObjectName(QStringLiteral("status"));
  m_pStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  m_pSummary = new QLabel(this);
  m_pSummary->setObjectName(QStringLiteral("summary"));
  m_pSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  for (QLabel* line : {m_pStatus, m_pSummary}) {
    QFont font = line->font();
    font.setPixelSize(kSummaryFontPixels);
    line->setFont(font);
  }

  m_pSearch = MakeButton(QStringLiteral("SEARCH"), kSearchId, 23, 0x4080FF, 315.0f);
  m_pCsv = MakeButton(QStringLiteral("CSV"), kCsvId, 58, 0xFF0000, 0.0f);
  m_pVector = MakeButton(QStringLiteral("VECTOR"), kVectorId, 71, 0x00FF00, 0.0f);
  m_pExit = MakeButton(QStringLiteral("EXIT"), kExitId, 100, 0x0000FF, 0.0f);
  connect(m_pSearch, &QPushButton::clicked, this, &CReport::OnSearch);
  connect(m_pCsv, &QPushButton::clicked, this, &CReport::OnCsv);
  connect(m_pVector, &QPushButton::clicked, this, &CReport::OnVector);
  connect(m_pExit, &QPushButton::clicked, this, &CReport::OnExit);

  m_pGrid = new CGridCtrl(this);
  m_pGrid->setObjectName(QString::number(kGridId));

  m_pRose = new CWindRose(m_Settings, this);
  m_pRose->setObjectName(QString::number(kRoseId));
  m_pRose->m_ClassCount = kReportRoseClasses;
  m_pRose->m_PaintEnabled = true;

  m_pChart = new CGraphScale(this);
  m_pChart->setObjectName(QString::number(kChartId));
  m_pChart->resize(800, 300);
  SetUpReportChart(*m_pChart, m_Settings);

  // A damaged configuration may hold a span no calendar has.
  m_Start = m_Settings.reportStart;
  m_End = m_Settings.reportEnd;
  RepairReportSpan(m_Start, m_End, LocalNow());
  SetPickers(m_Start, m_End);
  ResetTable();

  // Enter and Escape move the focus instead of closing; F1 opens the calendar.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  installEventFilter(this);
  // Maximised; the size of the screen too, for a desktop without a window manager.
  if (QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen()) {
    setGeometry(screen->availableGeometry());
  }
  setWindowState(windowState() | Qt::WindowMaximized);
}

CReport::~CReport() {
  // The grid asks the source while it goes: detach it first.
  if (m_pGrid != nullptr) m_pGrid->SetRowSource(nullptr);
}

CNexButton* CReport::MakeButton(const QString& caption, int id, int glyph, uint32_t colour,
                                float angle) {
  auto* b = new CNexButton(caption, id, this);
  b->setObjectName(QString::number(id));
  b->m_IconFontFamily = m_IconFontFamily;
  b->m_IconGlyph = glyph;
  b->m_IconColour = colour;
  b->m_IconAngle = angle;
  // Enter on a focused button moves the focus like everywhere else in the report.
  b->setAutoDefault(false);
  b->setDefault(false);
  return b;
}

CNexButton* CReport::Button(int id) const {
  switch (id) {
    case kSearchId: return m_pSearch;
    case kCsvId: return m_pCsv;
    case kVectorId: return m_pVector;
    case kExitId: return m_pExit;
    default: return nullptr;
  }
}

void CReport::ResetTable() {
  m_pGrid->DeleteAllItems();  // also detaches the row source
  m_Table.Clear();
  m_pGrid->SetRowCount(1);
  m_pGrid->SetColumnCount(kReportColumns);
  m_pGrid->SetFixedRowCount(1);
  m_pGrid->SetFixedColumnCount(1);
  for (int c = 0; c < kReportColumns; ++c) {
    m_pGrid->SetColumnWidth(c, kReportColumnWidths[static_cast<size_t>(c)]);
    m_pGrid->SetItemText(0, c, QString::fromLatin1(kReportHeadings[static_cast<size_t>(c)].data(),
                                                   kReportHeadings[static_cast<size_t>(c)].size()));
  }
  m_pGrid->SetDefaultBkColour(kReportCellColour);
  m_pGrid->SetEditable(false);
  m_pGrid->SetRowSource(&m_Source);
}

void CReport::SetPickers(const SystemTime& start, const SystemTime& end) {
  m_pStartDate->setDate(QDate(start.year, start.month, start.day));
  m_pStartTime->setTime(QTime(start.hour, start.minute, start.second));
  m_pEndDate->setDate(QDate(end.year, end.month, end.day));
  m_pEndTime->setTime(QTime(end.hour, end.minute, end.second));
}

SystemTime CReport::PickedTime(const QDateEdit* date, const QTimeEdit* time) const {
  const QDate d = date->date();
  const QTime t = time->time();
  SystemTime s;
  s.year = static_cast<uint16_t>(d.year());
  s.month = static_cast<uint16_t>(d.month());
  s.day = static_cast<uint16_t>(d.day());
  s.dayOfWeek = static_cast<uint16_t>(d.dayOfWeek() % 7);  // Qt: 7 is Sunday
  s.hour = static_cast<uint16_t>(t.hour());
  s.minute = static_cast<uint16_t>(t.minute());
  s.second = static_cast<uint16_t>(t.second());
  return s;
}

void CReport::SetBlocked(bool blocked) {
  for (QWidget* w : std::initializer_list<QWidget*>{m_pStartDate, m_pStartTime, m_pEndDate,
                                                    m_pEndTime, m_pSearch, m_pCsv, m_pVector,
                                                    m_pExit}) {
    w->setEnabled(!blocked);
  }
}

void CReport::Error(const char* text) { AskMessageF(kMbOk | kMbIconError, "%s", text); }

void CReport::ClearResults() {
  ResetTable();
  m_pSummary->clear();
  if (m_pChart) ClearReportChart(*m_pChart, m_Start);
  if (m_pRose) m_pRose->ComputeStatistics(m_Table);
}

void CReport::ShowStatus(const QString& text, bool error) {
  m_pStatus->setText(text);
  m_pStatus->setStyleSheet(error ? QStringLiteral("color: #C00000; font-weight: bold;") : QString());
}

void CReport::OnSearch() {
  if (m_bSearching) return;
  // 1. The span from the pickers becomes the stored span.
  m_Start = PickedTime(m_pStartDate, m_pStartTime);
  m_End = PickedTime(m_pEndDate, m_pEndTime);
  // 2. At most 60 days, and the window says so: the rows end earlier than asked.
  const bool cut = ClampReportSpan(m_Start, m_End);
  if (cut) {
    SetPickers(m_Start, m_End);
    m_pEndDate->repaint();
    m_pEndTime->repaint();
  }
  emit spanChanged(m_Start, m_End);
  // 3. Not backwards.
  if (ReportSpanSeconds(m_Start, m_End) < 0) {
    ClearResults();
    ShowStatus(QString::fromUtf8(kSpanError), true);
    Error(kSpanError);
    return;
  }

  // While the search hands the event loop its turns, nothing may start another
  // search, export, switch the chart or close the window.
  m_bSearching = true;
  SetBlocked(true);
  bool shown = false;
  QElapsedTimer sinceDispatch;
  sinceDispatch.start();
  const ReportProgress progress = [&](int percent) {
    if (!shown) {
      // The first block: a month file of the span is open, so there is data to show.
      shown = true;
      m_pProgress->SetPos(0);
      m_pProgress->Show();
      QCoreApplication::processEvents();
      sinceDispatch.restart();
    }
    if (sinceDispatch.elapsed() >= kDispatchIntervalMs) {
      m_pProgress->SetPos(percent);
      QCoreApplication::processEvents();
      sinceDispatch.restart();
    }
  };
  ReportData data;
  const ReportSearchStatus status =
      SearchReport(m_Workdir.toStdString(), m_nStack, m_Start, m_End, data, progress);
  if (status == ReportSearchStatus::kOk) {
    ResetTable();
    m_Table.Assign(std::move(data), LevelsOf(m_Settings));
    m_pGrid->SetRowCount(m_Table.RowCount());
    m_pGrid->SetRowSource(&m_Source);
    m_pGrid->Refresh();
    if (m_pChart) FillReportChart(*m_pChart, m_Table.data());
    if (m_pRose) m_pRose->ComputeStatistics(m_Table);
  } else {
    ClearResults();
  }
  const QString cutNote = cut ? CutNote(m_End) : QString();
  if (status == ReportSearchStatus::kOk) {
    ShowStatus(cutNote + RowsText(m_Table.data()), cut);
    // From the one-second records, not the table's (possibly reduced) rows.
    const LevelTime levels =
        LevelTimeOfSpan(m_Workdir.toStdString(), m_nStack, m_Start, m_End, LevelsOf(m_Settings));
    std::string text = LevelTimeText(levels);
    // And what the journal tells about the span, when there is one.
    if (const std::unique_ptr<EventReader> journal =
            EventReader::Open(m_Workdir.toStdString(), nullptr)) {
      text += "\n" + JournalStatsText(journal->Stats(ReportSpanFilter(m_nStack, m_Start, m_End)));
    }
    m_pSummary->setText(QString::fromStdString(text));
    m_pSummary->setToolTip(m_pSummary->text());
  } else {
    ShowStatus(cutNote + QString::fromUtf8(status == ReportSearchStatus::kNegativeSpan ? kSpanError : kNotFound),
               true);
  }
  m_pProgress->SetPos(0);
  m_pProgress->hide();
  SetBlocked(false);
  m_bSearching = false;

  if (m_bCloseAfterSearch) {
    // The station is closing: end without the messages.
    QDialog::reject();
    return;
  }
  if (status == ReportSearchStatus::kNegativeSpan) Error(kSpanError);
  if (status == ReportSearchStatus::kNotFound || status == ReportSearchStatus::kInvalidArgument) {
    Error(kNotFound);
  }
}

void CReport::OnCsv() {
  if (m_bSearching) return;
  m_pProgress->SetPos(0);
  m_pProgress->Show();
  const CsvWriteResult result = WriteReportCsv(
      m_CsvPath.toStdString(), m_nStack, m_Start, m_End, m_Table,
      [this](int percent) { m_pProgress->SetPos(percent); });
  m_pProgress->hide();
  if (result.ok()) {
    ShowMessageF("Save as %s", m_CsvPath.toUtf8().constData());
  } else {
    AskMessageF(kMbOk | kMbIconError, "Cannot save %s\n%s", m_CsvPath.toUtf8().constData(),
                result.ToString().c_str());
  }
}

void CReport::OnVector() {
  if (m_bSearching || !m_pChart) return;
  m_bVectorView = !m_bVectorView;
  SetReportChartView(*m_pChart, m_bVectorView);
  // The button names the view the next press selects.
  m_pVector->setText(m_bVectorView ? QStringLiteral("LINE") : QStringLiteral("VECTOR"));
}

void CReport::OnExit() {
  if (m_bSearching) return;
  delete m_pChart.data();
  delete m_pRose.data();
  accept();
}

void CReport::OnHelp() {
  CCalendar calendar(this);
  calendar.exec();  // for reference: the answer is not used
}

void CReport::reject() {
  // Escape never gets here (it moves the focus). A reject during a search comes
  // from the station closing: it takes effect once the search has returned.
  if (m_bSearching) {
    m_bCloseAfterSearch = true;
    return;
  }
  QDialog::reject();
}

void CReport::closeEvent(QCloseEvent* event) {
  if (m_bSearching) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

bool CReport::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Escape:
        // Inside an open date popup Escape and Enter still close the popup.
        if (qobject_cast<QWidget*>(watched) != nullptr &&
            static_cast<QWidget*>(watched)->window() != this) {
          return false;
        }
        focusNextChild();
        return true;
      case Qt::Key_F1:
        if (!m_bSearching) OnHelp();
        return true;
      default: break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CReport::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Layout();
}

void CReport::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Layout();
  if (!m_bOpened) {
    m_bOpened = true;
    // The first search once the window is on the screen.
    QTimer::singleShot(0, this, &CReport::OnSearch);
  }
}

void CReport::Layout() {
  int x = 10;
  const int pickerTop = kTop + (kButtonHeight - kPickerHeight) / 2 - kButtonTop;
  m_pStartDate->setGeometry(x, pickerTop, kDateWidth, kPickerHeight);
  x += kDateWidth + kGap;
  m_pStartTime->setGeometry(x, pickerTop, kTimeWidth, kPickerHeight);
  x += kTimeWidth + kGap;
  m_pDash->setGeometry(x, pickerTop, 20, kPickerHeight);
  x += 20 + kGap;
  m_pEndDate->setGeometry(x, pickerTop, kDateWidth, kPickerHeight);
  x += kDateWidth + kGap;
  m_pEndTime->setGeometry(x, pickerTop, kTimeWidth, kPickerHeight);
  x += kTimeWidth + 3 * kGap;
  for (CNexButton* b : {m_pSearch, m_pCsv, m_pVector, m_pExit}) {
    b->MoveTo(QRect(x, kButtonTop, kButtonWidth, kButtonHeight));
    x += kButtonWidth + kGap;
  }
  // Three lines beside the buttons: the status, then the summary's level times
  // and what the journal tells (reaching into the gap above the panes).
  const int lineWidth = std::max(0, width() - 10 - x - 2 * kGap);
  m_pStatus->setGeometry(x + 2 * kGap, kSummaryTop, lineWidth, kSummaryLine);
  m_pSummary->setGeometry(x + 2 * kGap, kSummaryTop + kSummaryLine, lineWidth, 2 * kSummaryLine);

  // The panes: rose and table over the chart, each half of the height under the
  // buttons. Taken in the client area, so no pane reaches under the frame.
  const QRect w = rect();
  const int buttonBottom = m_pExit->geometry().bottom() + 1;
  const int half = (w.bottom() + 1 - buttonBottom - w.top()) / 2;
  const int top = buttonBottom + 10;
  const int roseRight = half - half / 10;
  if (m_pRose) m_pRose->setGeometry(QRect(QPoint(w.left() + 10, top), QPoint(roseRight - 1, top + half - 1)));
  m_pGrid->setGeometry(QRect(QPoint(roseRight + 10, top), QPoint(w.right() + 1 - 10 - 1, top + half - 1)));
  if (m_pChart) {
    m_pChart->setGeometry(QRect(QPoint(w.left() + 10, top + half + 10),
                                QPoint(w.right() + 1 - 10 - 1, w.bottom() + 1 - 10 - 1)));
  }
}

}  // namespace ws
