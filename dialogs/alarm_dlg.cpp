#include "dialogs/alarm_dlg.h"

#include <QGuiApplication>
#include <QScreen>

#include "core/format_fixed.h"
#include "grid/grid_ctrl.h"
#include "widgets/message_helpers.h"
#include "widgets/nex_button.h"
#include "widgets/nex_text.h"

namespace ws {

namespace {

constexpr int kWidth = 376;
constexpr int kGridLeft = 16;
constexpr int kGridTop = 66;
constexpr int kGridWidth = kWidth - 2 * kGridLeft;
constexpr ColorRef kCellColour = 0xE0FFFF;

}  // namespace

CAlarmDlg::CAlarmDlg(const QString& iconFamily, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Alarm"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);

  m_pGrid = new CGridCtrl(this);
  m_pGrid->setObjectName(QString::number(kGridId));
  m_pGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_pGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const int gridHeight = kRows * m_pGrid->GetRowHeight() + 2 * m_pGrid->frameWidth();
  const QRect gridRect(kGridLeft, kGridTop, kGridWidth, gridHeight);
  m_pGrid->setGeometry(gridRect);
  const int height = kGridTop + gridHeight + 12 + 44 + 12;
  setFixedSize(kWidth, height);
  setProperty(kNeverBlockedProperty, true);

  // Title box across the grid's width.
  m_pTitle = new CNexText(this);
  m_pTitle->m_nId = kTitleId;
  // As wide as the grid's cells, so that its two columns fill the grid exactly.
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
  m_pAck->setGeometry(kWidth / 2 - 70, height - 56, 140, 44);
  connect(m_pAck, &QPushButton::clicked, this, &CAlarmDlg::OnAck);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - QPoint(kWidth / 2, height / 2));
  }
}

CAlarmDlg::~CAlarmDlg() = default;

QString CAlarmDlg::TitleWord(int level) {
  if (level == 3) return QStringLiteral("Trip");
  if (level == 2) return QStringLiteral("Stop");
  return QStringLiteral("Alarm");
}

ColorRef CAlarmDlg::LevelColour(int level) {
  if (level == 3) return 0x0000FF;
  if (level == 2) return 0x4080FF;
  return 0x00FFFF;
}

void CAlarmDlg::ShowEntry(int stack, int level, double speed, const SystemTime& now) {
  m_nStack = stack;
  m_nLevel = level;
  m_dSpeed = speed;
  m_Time = now;
  Fill();
  show();
  raise();
}

void CAlarmDlg::Fill() {
  m_pGrid->DeleteAllItems();
  m_pGrid->SetRowCount(kRows);
  m_pGrid->SetColumnCount(kColumns);
  m_pGrid->SetFixedColumnCount(1);
  m_pGrid->SetColumnWidth(0, 80);
  const int second = m_pTitle->width() - 80;
  if (second >= 0) m_pGrid->SetColumnWidth(1, second);
  m_pGrid->SetDefaultBkColour(kCellColour);
  m_pGrid->SetItemText(0, 0, QStringLiteral("Stack"));
  m_pGrid->SetItemText(1, 0, QStringLiteral("Data"));
  m_pGrid->SetItemText(2, 0, QStringLiteral("Date"));

  m_pTitle->m_TextColor = 0x000000;
  m_pTitle->m_FillColor = LevelColour(m_nLevel);
  m_pTitle->m_TextOutlineColor = LevelColour(m_nLevel);
  m_pTitle->SetText(TitleWord(m_nLevel));

  m_pGrid->SetItemText(0, 1, QString::number(m_nStack + 1));
  m_pGrid->SetItemText(1, 1, QString::fromStdString(FormatC("%3.1f m/s", m_dSpeed)));
  const SystemTime& t = m_Time;
  m_pGrid->SetItemText(
      2, 1, QString::fromStdString(FormatC("%d.%d.%d %d:%d:%d", t.year, t.month, t.day, t.hour, t.minute, t.second)));
  for (int r = 0; r < kRows; ++r) {
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
  hide();
}

}  // namespace ws
