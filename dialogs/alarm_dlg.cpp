#include "dialogs/alarm_dlg.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <array>

#include "core/format_fixed.h"
#include "core/station_event.h"
#include "grid/grid_ctrl.h"
#include "widgets/message_helpers.h"
#include "widgets/nex_button.h"
#include "widgets/nex_text.h"

namespace ws {

namespace {

constexpr int kGridLeft = 16;
constexpr int kGridTop = 66;
constexpr int kButtonHeight = 44;
constexpr ColorRef kCellColour = 0xE0FFFF;
// Not yet acknowledged: the state cell stands out from the acknowledged ones.
constexpr ColorRef kUnacknowledgedColour = 0xC0E0FF;
constexpr std::array<int, CAlarmDlg::kColumns> kWidths = {120, 64, 96, 132, 72, 72};
constexpr std::array<const char*, CAlarmDlg::kColumns> kHeadings = {"Stack", "Level", "State",
                                                                    "Start", "Peak", "Duration"};

int CellsWidth() {
  int total = 0;
  for (int w : kWidths) total += w;
  return total;
}

bool Unacknowledged(AlarmCondition c) {
  return c == AlarmCondition::kActiveUnacknowledged || c == AlarmCondition::kReturnedUnacknowledged;
}

bool Active(AlarmCondition c) {
  return c == AlarmCondition::kActiveUnacknowledged || c == AlarmCondition::kActiveAcknowledged;
}

// Trip, Stop, Alarm, then NO COMM: which level names the window.
int Rank(int level) {
  if (level == 3) return 4;
  if (level == 2) return 3;
  if (level == CAlarmDlg::kNoCommLevel) return 1;
  return 2;
}

bool SameAlarm(const AlarmEntry& a, const AlarmEntry& b) {
  return a.stack == b.stack && a.level == b.level && a.startUtcMs == b.startUtcMs;
}

}  // namespace

CAlarmDlg::CAlarmDlg(const QString& iconFamily, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Alarm"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);

  m_pGrid = new CGridCtrl(this);
  m_pGrid->setObjectName(QString::number(kGridId));
  m_pGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_pGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Room for the scroll bar a long list brings, so that no column hides under it.
  const int scrollBar = m_pGrid->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int gridWidth = CellsWidth() + scrollBar + 2 * m_pGrid->frameWidth();
  const int gridHeight = (kVisibleRows + 1) * m_pGrid->GetRowHeight() + 2 * m_pGrid->frameWidth();
  const QRect gridRect(kGridLeft, kGridTop, gridWidth, gridHeight);
  m_pGrid->setGeometry(gridRect);
  const int width = gridWidth + 2 * kGridLeft;
  const int height = kGridTop + gridHeight + 12 + kButtonHeight + 12;
  setFixedSize(width, height);
  setProperty(kNeverBlockedProperty, true);

  // Title box across the grid's width.
  m_pTitle = new CNexText(this);
  m_pTitle->m_nId = kTitleId;
  m_pTitle->setGeometry(gridRect.left(), 5, gridRect.width() - 2 * m_pGrid->frameWidth(), 51);
  m_pTitle->Setup(0x00FFFF, 0x4080FF, 7, 2);
  m_pTitle->m_fSizeFraction = 0.7f;
  m_pTitle->m_bBorder = true;
  m_pTitle->m_BorderColor = 0xBC7200;
  m_pTitle->m_nFillMode = 0;
  m_pTitle->m_FillColor = 0x000000;
  m_pTitle->m_nAlign = CNexText::kSsCenter;
  m_pTitle->SetText(QStringLiteral("ALARM"));

  m_pAck = new CNexButton(QStringLiteral("ACK"), kAckId, this);
  m_pAck->m_IconFontFamily = iconFamily;
  m_pAck->m_IconGlyph = 118;
  m_pAck->m_IconColour = 0x008000;
  m_pAck->m_IconAngle = 0;
  m_pAck->m_IconOutline = 1;
  m_pAck->setGeometry(width / 2 - 70, height - 12 - kButtonHeight, 140, kButtonHeight);
  connect(m_pAck, &QPushButton::clicked, this, &CAlarmDlg::OnAck);

  m_pHistory = new CNexButton(QStringLiteral("History"), kHistoryId, this);
  m_pHistory->setAutoDefault(false);
  m_pHistory->setGeometry(gridRect.right() - 110 + 1, height - 12 - kButtonHeight, 110, kButtonHeight);
  connect(m_pHistory, &QPushButton::clicked, this, &CAlarmDlg::historyRequested);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - QPoint(width / 2, height / 2));
  }
  Fill();
}

CAlarmDlg::~CAlarmDlg() = default;

void CAlarmDlg::SetSettings(const Settings* settings) {
  m_pSettings = settings;
  if (isVisible()) Fill();
}

QString CAlarmDlg::TitleWord(int level) {
  if (level == 3) return QStringLiteral("Trip");
  if (level == 2) return QStringLiteral("Stop");
  if (level == kNoCommLevel) return QStringLiteral("NO COMM");
  return QStringLiteral("Alarm");
}

ColorRef CAlarmDlg::LevelColour(int level) {
  if (level == 3) return 0x0000FF;
  if (level == 2) return 0x4080FF;
  if (level == kNoCommLevel) return 0xC0C0C0;
  return 0x00FFFF;
}

QString CAlarmDlg::StateWord(AlarmCondition condition) {
  return QString::fromLatin1(ConditionWord(condition));
}

QString CAlarmDlg::DurationText(int64_t ms) {
  const int64_t seconds = std::max<int64_t>(0, ms) / 1000;
  return QString::fromStdString(FormatC("%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                                        static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60)));
}

QString CAlarmDlg::StartText(const SystemTime& t) {
  return QString::fromStdString(
      FormatC("%d.%d.%d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second));
}

int64_t CAlarmDlg::NowUtcMs() const { return m_Now.year != 0 ? LocalToUtcMs(m_Now) : 0; }

QString CAlarmDlg::StackText(int stack) const {
  const QString number = QString::number(stack + 1);
  if (!m_pSettings || stack < 0 || stack >= kMaxStacks) return number;
  const QString title =
      QString::fromStdString(FieldUtf8(m_pSettings->stacks[static_cast<size_t>(stack)].title)).trimmed();
  // The default title says no more than the number.
  if (title.isEmpty() || title == QStringLiteral("STACK #%1").arg(stack + 1)) return number;
  return number + QStringLiteral(" ") + title;
}

void CAlarmDlg::ShowEntry(int stack, int level, double speed, const SystemTime& now) {
  m_nStack = stack;
  m_nLevel = level;
  m_dSpeed = speed;
  m_Time = now;
  m_Now = now;
  AlarmEntry raised;
  raised.stack = stack;
  raised.level = level;
  raised.condition = AlarmCondition::kActiveUnacknowledged;
  raised.start = now;
  raised.startUtcMs = LocalToUtcMs(now);
  raised.peakSpeed = speed;
  m_PendingRaise = raised;
  MakeRows();
  Fill();
  show();
  raise();
}

void CAlarmDlg::ShowEntries(const std::vector<AlarmEntry>& entries, const SystemTime& now) {
  bool newRaise = false;
  for (const AlarmEntry& entry : entries) {
    if (entry.condition != AlarmCondition::kActiveUnacknowledged) continue;
    const bool known = std::any_of(m_Entries.begin(), m_Entries.end(),
                                   [&](const AlarmEntry& old) { return SameAlarm(old, entry); });
    if (!known) newRaise = true;
  }
  m_Entries = entries;
  // The runtime's list now speaks for every raise.
  m_PendingRaise.reset();
  m_Now = now;
  MakeRows();
  Fill();
  if (newRaise) {
    show();
    raise();
  }
}

void CAlarmDlg::SetNow(const SystemTime& now) {
  m_Now = now;
  const int64_t nowMs = NowUtcMs();
  for (size_t i = 0; i < m_Rows.size(); ++i) {
    AlarmEntry& row = m_Rows[i];
    if (!Active(row.condition) || row.startUtcMs <= 0 || nowMs <= row.startUtcMs) continue;
    if (nowMs - row.startUtcMs <= row.durationMs) continue;
    row.durationMs = nowMs - row.startUtcMs;
    m_pGrid->SetItemText(static_cast<int>(i) + 1, kColDuration, DurationText(row.durationMs));
  }
  m_pGrid->viewport()->update();
}

void CAlarmDlg::MakeRows() {
  m_Rows.assign(m_Entries.rbegin(), m_Entries.rend());
  if (m_PendingRaise) {
    const AlarmEntry& pending = *m_PendingRaise;
    const bool listed = std::any_of(m_Entries.begin(), m_Entries.end(), [&](const AlarmEntry& e) {
      return e.stack == pending.stack && e.level == pending.level && Active(e.condition);
    });
    if (!listed) m_Rows.insert(m_Rows.begin(), pending);
  }
  // An active entry lasts until now, whenever the runtime last told its duration.
  const int64_t nowMs = NowUtcMs();
  for (AlarmEntry& row : m_Rows) {
    if (Active(row.condition) && row.startUtcMs > 0 && nowMs > row.startUtcMs) {
      row.durationMs = std::max(row.durationMs, nowMs - row.startUtcMs);
    }
  }
}

int CAlarmDlg::TitleLevel() const {
  const AlarmEntry* best = nullptr;
  for (const bool unacknowledgedOnly : {true, false}) {
    for (const AlarmEntry& row : m_Rows) {
      if (unacknowledgedOnly && !Unacknowledged(row.condition)) continue;
      if (!best || Rank(row.level) > Rank(best->level)) best = &row;
    }
    if (best) return best->level;
  }
  return m_nLevel;
}

void CAlarmDlg::Fill() {
  const int dataRows = static_cast<int>(m_Rows.size());
  m_pGrid->DeleteAllItems();
  m_pGrid->SetRowCount(1 + std::max(dataRows, kVisibleRows));
  m_pGrid->SetColumnCount(kColumns);
  m_pGrid->SetFixedRowCount(1);
  m_pGrid->SetFixedColumnCount(1);
  for (int c = 0; c < kColumns; ++c) m_pGrid->SetColumnWidth(c, kWidths[static_cast<size_t>(c)]);
  // Without a scroll bar the last column takes its room.
  if (dataRows <= kVisibleRows) {
    const int room = m_pTitle->width() - CellsWidth();
    if (room > 0) m_pGrid->SetColumnWidth(kColDuration, kWidths[kColDuration] + room);
  }
  m_pGrid->SetDefaultBkColour(kCellColour);
  for (int c = 0; c < kColumns; ++c) {
    m_pGrid->SetItemText(0, c, QString::fromLatin1(kHeadings[static_cast<size_t>(c)]));
  }

  const int level = TitleLevel();
  m_pTitle->m_TextColor = 0x000000;
  m_pTitle->m_FillColor = LevelColour(level);
  m_pTitle->m_TextOutlineColor = LevelColour(level);
  m_pTitle->SetText(TitleWord(level));

  for (int i = 0; i < dataRows; ++i) {
    const AlarmEntry& row = m_Rows[static_cast<size_t>(i)];
    const int r = i + 1;
    m_pGrid->SetItemText(r, kColStack, StackText(row.stack));
    m_pGrid->SetItemText(r, kColLevel, TitleWord(row.level));
    m_pGrid->SetItemBkColour(r, kColLevel, LevelColour(row.level));
    m_pGrid->SetItemText(r, kColState, StateWord(row.condition));
    if (Unacknowledged(row.condition)) m_pGrid->SetItemBkColour(r, kColState, kUnacknowledgedColour);
    m_pGrid->SetItemText(r, kColStart, StartText(row.start));
    // A silent logger measured nothing.
    m_pGrid->SetItemText(r, kColPeak, row.level == kNoCommLevel
                                          ? QStringLiteral("-")
                                          : QString::fromStdString(FormatC("%3.1f m/s", row.peakSpeed)));
    m_pGrid->SetItemText(r, kColDuration, DurationText(row.durationMs));
  }
  m_pGrid->SetEditable(false);
  for (int r = 0; r < m_pGrid->GetRowCount(); ++r) {
    for (int c = 1; c < kColumns; ++c) m_pGrid->SetItemReadOnly(r, c);
  }
  m_pGrid->Refresh();
}

QString CAlarmDlg::CellText(int row, int col) const { return m_pGrid->GetItemText(row, col); }

void CAlarmDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Fill();
}

void CAlarmDlg::OnAck() {
  emit acknowledge(1, 0);
  // The runtime's list says what the acknowledgement left.
  m_PendingRaise.reset();
  MakeRows();
  hide();
}

}  // namespace ws
