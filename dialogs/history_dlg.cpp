#include "dialogs/history_dlg.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <climits>

#include "core/event_cells.h"
#include "core/event_csv.h"
#include "core/system_time.h"
#include "dialogs/calendar.h"
#include "grid/grid_ctrl.h"
#include "widgets/message_helpers.h"
#include "widgets/nex_button.h"

namespace ws {
namespace {

constexpr int kTop = 8;
constexpr int kLineHeight = 28;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 36;
constexpr int kGap = 6;
constexpr ColorRef kCellColour = 0xE0FFFF;  // the report's light yellow
constexpr std::array<int, kEventColumnCount> kColumnWidths = {150, 56, 170, 80, 90, 420};
constexpr std::array<const char*, CHistoryDlg::kKinds> kKindNames = {
    "Alarms", "Communication", "Dumps", "Configuration", "Station"};

int64_t MidnightSeconds(const QDate& day) {
  return DaysFromCivil(day.year(), day.month(), day.day()) * 86400;
}

}  // namespace

CHistoryDlg::CHistoryDlg(const QString& workdir, int stackCount, const QString& iconFontFamily,
                         QWidget* parent)
    : QDialog(parent), m_Workdir(workdir), m_bOwnJournal(true) {
  Build(stackCount, iconFontFamily);
  Apply();
}

CHistoryDlg::CHistoryDlg(std::unique_ptr<EventReader> reader, const QString& workdir,
                         int stackCount, const QString& iconFontFamily, QWidget* parent)
    : QDialog(parent), m_Workdir(workdir), m_pReader(std::move(reader)) {
  Build(stackCount, iconFontFamily);
  Apply();
}

CHistoryDlg::~CHistoryDlg() {
  // The grid asks the source while it goes: detach it first.
  if (m_pGrid != nullptr) m_pGrid->SetRowSource(nullptr);
}

void CHistoryDlg::Build(int stackCount, const QString& iconFontFamily) {
  setWindowTitle(QStringLiteral("HISTORY"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  setModal(false);
  m_CsvPath = QString::fromStdString(EventCsvPath(m_Workdir.toStdString()));

  const QDate today = QDate::currentDate();
  m_LastDay = today;
  m_FirstDay = today.addDays(-6);

  m_pAllDays = new QCheckBox(QStringLiteral("All days"), this);
  m_pAllDays->setChecked(true);
  m_pFromLabel = new QLabel(QStringLiteral("From"), this);
  m_pFirstDay = new QPushButton(this);
  m_pToLabel = new QLabel(QStringLiteral("to"), this);
  m_pLastDay = new QPushButton(this);
  for (QPushButton* b : {m_pFirstDay, m_pLastDay}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  m_pStackLabel = new QLabel(QStringLiteral("Stack"), this);
  m_pStack = new QComboBox(this);
  m_pStack->addItem(QStringLiteral("All"));
  for (int i = 0; i < stackCount; ++i) m_pStack->addItem(QString::number(i + 1));
  for (int i = 0; i < kKinds; ++i) {
    auto* box = new QCheckBox(QString::fromLatin1(kKindNames[static_cast<size_t>(i)]), this);
    box->setChecked(true);
    m_Kinds[static_cast<size_t>(i)] = box;
    connect(box, &QCheckBox::toggled, this, [this] { Apply(); });
  }
  connect(m_pAllDays, &QCheckBox::toggled, this, [this] {
    ShowDays();
    Apply();
  });
  connect(m_pFirstDay, &QPushButton::clicked, this, [this] { OnPickDay(true); });
  connect(m_pLastDay, &QPushButton::clicked, this, [this] { OnPickDay(false); });
  connect(m_pStack, &QComboBox::currentIndexChanged, this, [this] { Apply(); });

  const auto button = [&](const QString& caption, int id, int glyph, uint32_t colour) {
    auto* b = new CNexButton(caption, id, this);
    b->setObjectName(QString::number(id));
    b->m_IconFontFamily = iconFontFamily;
    b->m_IconGlyph = glyph;
    b->m_IconColour = colour;
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
  };
  m_pCsv = button(QStringLiteral("CSV"), kCsvId, 58, 0xFF0000);
  m_pExit = button(QStringLiteral("EXIT"), kExitId, 100, 0x0000FF);
  connect(m_pCsv, &QPushButton::clicked, this, &CHistoryDlg::OnCsv);
  connect(m_pExit, &QPushButton::clicked, this, &CHistoryDlg::OnExit);

  m_pCount = new QLabel(this);
  m_pCount->setObjectName(QStringLiteral("count"));

  m_pGrid = new CGridCtrl(this);
  m_pGrid->setObjectName(QString::number(kGridId));
  m_pGrid->SetRowCount(1);
  m_pGrid->SetColumnCount(kEventColumnCount);
  m_pGrid->SetFixedRowCount(1);
  m_pGrid->SetFixedColumnCount(0);
  for (int c = 0; c < kEventColumnCount; ++c) {
    m_pGrid->SetColumnWidth(c, kColumnWidths[static_cast<size_t>(c)]);
    const std::string_view heading = kEventHeadings[static_cast<size_t>(c)];
    m_pGrid->SetItemText(0, c, QString::fromLatin1(heading.data(), static_cast<qsizetype>(heading.size())));
  }
  m_pGrid->SetDefaultBkColour(kCellColour);
  m_pGrid->SetEditable(false);
  m_pGrid->SetRowSource(&m_Source);
  // Rows read as they come into view: before the grid paints them when the
  // view moves, and on a row it asks for that no page holds.
  connect(m_pGrid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { FetchVisible(); });
  m_Source.onMiss = [this] {
    if (m_bFetchQueued) return;
    m_bFetchQueued = true;
    QTimer::singleShot(0, this, [this] {
      m_bFetchQueued = false;
      FetchVisible();
      m_pGrid->viewport()->update();
    });
  };

  ShowDays();
  // Enter and Escape move the focus as everywhere in the station.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
  installEventFilter(this);

  resize(1100, 640);
  if (const QWidget* p = parentWidget()) {
    move(p->geometry().center() - rect().center());
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void CHistoryDlg::ShowDays() {
  m_pFirstDay->setText(m_FirstDay.toString(QStringLiteral("yyyy-MM-dd")));
  m_pLastDay->setText(m_LastDay.toString(QStringLiteral("yyyy-MM-dd")));
  const bool span = !m_pAllDays->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{m_pFromLabel, m_pToLabel}) w->setEnabled(span);
}

CNexButton* CHistoryDlg::Button(int id) const {
  switch (id) {
    case kCsvId: return m_pCsv;
    case kExitId: return m_pExit;
    default: return nullptr;
  }
}

EventFilter CHistoryDlg::CurrentFilter() const {
  EventFilter f;
  if (!m_pAllDays->isChecked()) {
    f.fromLocalSeconds = MidnightSeconds(m_FirstDay);
    f.toLocalSeconds = MidnightSeconds(m_LastDay.addDays(1));
  }
  f.stack = m_pStack->currentIndex() - 1;
  f.groups = 0;
  for (int i = 0; i < kKinds; ++i) {
    if (m_Kinds[static_cast<size_t>(i)]->isChecked()) {
      f.groups |= static_cast<uint32_t>(kKindGroups[static_cast<size_t>(i)]);
    }
  }
  return f;
}

void CHistoryDlg::OpenJournal() {
  if (m_pReader || !m_bOwnJournal) return;
  std::string error;
  m_pReader = EventReader::Open(m_Workdir.toStdString(), &error);
  m_JournalError = m_pReader ? QString() : QString::fromStdString(error);
}

QString CHistoryDlg::CountLine(int64_t count) {
  if (count == 0) return QStringLiteral("No events");
  if (count == 1) return QStringLiteral("1 event");
  return QStringLiteral("%1 events").arg(count);
}

void CHistoryDlg::Apply() {
  if (m_bApplying) return;
  m_bApplying = true;
  OpenJournal();
  m_Source.Reset(m_pReader.get(), CurrentFilter());
  // The grid counts rows in an int; a journal beyond that shows its newest.
  const int64_t rows = std::min<int64_t>(m_Source.Count(), INT_MAX - 1);
  m_pGrid->SetRowCount(static_cast<int>(rows) + 1);
  m_pGrid->SetRowSource(&m_Source);
  m_pGrid->verticalScrollBar()->setValue(0);
  FetchVisible();
  m_pGrid->Refresh();
  QString line = CountLine(m_Source.Count());
  if (!m_pReader && !m_JournalError.isEmpty()) line += QStringLiteral(" (%1)").arg(m_JournalError);
  m_pCount->setText(line);
  m_bApplying = false;
}

void CHistoryDlg::SetAllDays(bool all) { m_pAllDays->setChecked(all); }

void CHistoryDlg::SetSpan(const QDate& first, const QDate& last) {
  m_FirstDay = first;
  m_LastDay = std::max(first, last);
  ShowDays();
  if (m_pAllDays->isChecked()) {
    m_pAllDays->setChecked(false);  // applies
  } else {
    Apply();
  }
}

void CHistoryDlg::SetStack(int stack) {
  m_pStack->setCurrentIndex(std::clamp(stack + 1, 0, m_pStack->count() - 1));
}

void CHistoryDlg::SetKinds(uint32_t groups) {
  // One application for the whole change, not one per box.
  m_bApplying = true;
  for (int i = 0; i < kKinds; ++i) {
    m_Kinds[static_cast<size_t>(i)]->setChecked((groups & static_cast<uint32_t>(kKindGroups[static_cast<size_t>(i)])) != 0);
  }
  m_bApplying = false;
  Apply();
}

void CHistoryDlg::OnPickDay(bool first) {
  CCalendar calendar(this);
  calendar.m_Caption = first ? QStringLiteral("First day") : QStringLiteral("Last day");
  calendar.m_Date = first ? m_FirstDay : m_LastDay;
  // Modal to this window only: the station window and the alarm list stay usable.
  calendar.setWindowModality(Qt::WindowModal);
  if (calendar.exec() != QDialog::Accepted || !calendar.m_Date.isValid()) return;
  const QDate day = calendar.m_Date;
  // A span the wrong way round takes the chosen day at both ends.
  if (first) {
    SetSpan(day, std::max(day, m_LastDay));
  } else {
    SetSpan(std::min(m_FirstDay, day), day);
  }
}

void CHistoryDlg::OnCsv() {
  // The filter the table shows; oldest first, as a log reads.
  std::vector<StoredEvent> events;
  if (m_pReader) events = m_pReader->All(m_Source.Filter());
  const CsvWriteResult result = WriteEventCsv(m_CsvPath.toStdString(), events, m_Source.Filter());
  if (result.ok()) {
    ShowMessageF("Save as %s", m_CsvPath.toUtf8().constData());
  } else {
    AskMessageF(kMbOk | kMbIconError, "Cannot save %s\n%s", m_CsvPath.toUtf8().constData(),
                result.ToString().c_str());
  }
}

void CHistoryDlg::OnExit() { close(); }

std::pair<int, int> CHistoryDlg::VisibleRows() const {
  const int fixed = m_pGrid->GetFixedRowCount();
  int first = m_pGrid->rowAt(0);
  int last = m_pGrid->rowAt(std::max(0, m_pGrid->viewport()->height() - 1));
  const int dataRows = m_pGrid->GetRowCount() - fixed;
  if (first < 0) first = 0;
  // A viewport taller than its rows ends at the last row; an unlaid one shows a screenful.
  if (last < 0) last = std::min(dataRows, first + 64) - 1;
  return {first + fixed, last + fixed};
}

void CHistoryDlg::FetchVisible() {
  const auto [first, last] = VisibleRows();
  m_Source.Fetch(first, std::max(first, last));
}

void CHistoryDlg::ScrollToRow(int row) {
  const int fixed = m_pGrid->GetFixedRowCount();
  m_pGrid->scrollTo(m_pGrid->model()->index(std::max(0, row - fixed), 0), QAbstractItemView::PositionAtTop);
  FetchVisible();
}

QString CHistoryDlg::CellText(int row, int col) const { return m_pGrid->GetItemText(row, col); }

bool CHistoryDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Escape:
        // Inside an open popup (the stack list) they still close the popup.
        if (qobject_cast<QWidget*>(watched) != nullptr &&
            static_cast<QWidget*>(watched)->window() != this) {
          return false;
        }
        focusNextChild();
        return true;
      default: break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CHistoryDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Layout();
  FetchVisible();
}

void CHistoryDlg::Layout() {
  int x = 10;
  const int lineTop = kTop + (kButtonHeight - kLineHeight) / 2;
  const auto place = [&](QWidget* w, int width) {
    w->setGeometry(x, lineTop, width, kLineHeight);
    x += width + kGap;
  };
  place(m_pAllDays, 80);
  place(m_pFromLabel, 36);
  place(m_pFirstDay, 100);
  place(m_pToLabel, 18);
  place(m_pLastDay, 100);
  x += 2 * kGap;
  place(m_pStackLabel, 40);
  place(m_pStack, 70);
  x += 2 * kGap;
  for (QCheckBox* box : m_Kinds) place(box, box->sizeHint().width());
  // The buttons at the right end, unless the line is too short for them.
  x = std::max(x + 2 * kGap, width() - 10 - 2 * kButtonWidth - kGap);
  m_pCsv->MoveTo(QRect(x, kTop, kButtonWidth, kButtonHeight));
  m_pExit->MoveTo(QRect(x + kButtonWidth + kGap, kTop, kButtonWidth, kButtonHeight));
  const int countTop = kTop + kButtonHeight + 6;
  m_pCount->setGeometry(10, countTop, std::max(0, width() - 20), 20);
  const int gridTop = countTop + 20 + 4;
  m_pGrid->setGeometry(10, gridTop, std::max(0, width() - 20), std::max(0, height() - gridTop - 10));
  // The text column takes what the others leave.
  int fixedWidth = 0;
  for (int c = 0; c < kEventColumnText; ++c) fixedWidth += kColumnWidths[static_cast<size_t>(c)];
  // Taken from the grid's own width: its viewport follows only once laid out.
  const int scrollBar = m_pGrid->verticalScrollBar()->sizeHint().width();
  const int textWidth = m_pGrid->contentsRect().width() - scrollBar - fixedWidth;
  m_pGrid->SetColumnWidth(kEventColumnText,
                          std::max(kColumnWidths[kEventColumnText], textWidth));
}

}  // namespace ws
