#include "dialogs/alarm_dlg.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTableWidget>

#include "core/format_fixed.h"
#include "widgets/nex_button.h"
#include "widgets/nex_text.h"

namespace ws {

namespace {

constexpr int kWidth = 330;
constexpr int kHeight = 300;
const QRect kGridRect(16, 64, kWidth - 32, 6 * 26 + 2);
constexpr ColorRef kCellColour = 0xE0FFFF;

}  // namespace

CAlarmDlg::CAlarmDlg(const QString& iconFamily, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Alarm"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);
  setFixedSize(kWidth, kHeight);

  m_pGrid = new QTableWidget(this);
  m_pGrid->setObjectName(QString::number(kGridId));
  m_pGrid->setGeometry(kGridRect);

  // Title box across the grid's width.
  m_pTitle = new CNexText(this);
  m_pTitle->m_nId = kTitleId;
  m_pTitle->setGeometry(QRect(QPoint(kGridRect.left() - 6, 5), QPoint(kGridRect.right() - 11, 55)));
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
  m_pAck->setGeometry(kWidth / 2 - 70, kHeight - 56, 140, 44);
  connect(m_pAck, &QPushButton::clicked, this, &CAlarmDlg::OnAck);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
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
  m_pGrid->clear();
  m_pGrid->setRowCount(kRows);
  m_pGrid->setColumnCount(kColumns);
  m_pGrid->horizontalHeader()->hide();
  m_pGrid->verticalHeader()->hide();
  m_pGrid->setColumnWidth(0, 80);
  const int second = m_pTitle->width() - 80;
  if (second >= 0) m_pGrid->setColumnWidth(1, second);
  auto cell = [this](int r, int c, const QString& text, bool fixed) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::ItemIsEnabled);
    if (!fixed) item->setBackground(QColor(RedOf(kCellColour), GreenOf(kCellColour), BlueOf(kCellColour)));
    m_pGrid->setItem(r, c, item);
  };
  const QString labels[kRows] = {QStringLiteral("Stack"), QStringLiteral("Data"), QStringLiteral("Date"),
                                 QString(), QString(), QString()};
  for (int r = 0; r < kRows; ++r) {
    cell(r, 0, labels[r], true);
    cell(r, 1, QString(), false);
  }
  m_pTitle->m_TextColor = 0x000000;
  m_pTitle->m_FillColor = LevelColour(m_nLevel);
  m_pTitle->m_TextOutlineColor = LevelColour(m_nLevel);
  m_pTitle->SetText(TitleWord(m_nLevel));
  m_pGrid->item(0, 1)->setText(QString::number(m_nStack + 1));
  m_pGrid->item(1, 1)->setText(QString::fromStdString(FormatC("%3.1f m/s", m_dSpeed)));
  const SystemTime& t = m_Time;
  m_pGrid->item(2, 1)->setText(QString::fromStdString(
      FormatC("%d.%d.%d %d:%d:%d", t.year, t.month, t.day, t.hour, t.minute, t.second)));
}

QString CAlarmDlg::CellText(int row, int col) const {
  const QTableWidgetItem* item = m_pGrid->item(row, col);
  return item ? item->text() : QString();
}

void CAlarmDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Fill();
}

void CAlarmDlg::OnAck() {
  emit acknowledge(1, 0);
  hide();
}

}  // namespace ws
