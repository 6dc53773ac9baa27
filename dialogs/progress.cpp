#include "dialogs/progress.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace ws {

CProgress::CProgress(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      m_Bar(new QProgressBar(this)),
      m_Text(new QLabel(this)),
      m_Cancel(new QPushButton(QStringLiteral("Cancel"), this)) {
  setObjectName(QStringLiteral("CProgress"));
  m_Bar->setObjectName(QString::number(kProgressId));
  m_Bar->setRange(0, 100);
  m_Bar->setValue(50);
  m_Bar->setTextVisible(false);
  m_Text->hide();
  m_Cancel->hide();
  m_Cancel->setAutoDefault(false);
  connect(m_Cancel, &QPushButton::clicked, this, &CProgress::cancelled);
  setAutoFillBackground(true);
  Arrange();
  Centre();
}

void CProgress::SetPos(int percent) { m_Bar->setValue(std::clamp(percent, 0, 100)); }

void CProgress::SetText(const QString& text) {
  m_Text->setText(text);
  m_Text->setVisible(!text.isEmpty());
  Arrange();
}

void CProgress::SetCancelVisible(bool visible) {
  m_CancelVisible = visible;
  m_Cancel->setVisible(visible);
  Arrange();
}

void CProgress::Show() {
  Centre();
  show();
  raise();
}

void CProgress::showEvent(QShowEvent* event) {
  Centre();
  QWidget::showEvent(event);
}

void CProgress::closeEvent(QCloseEvent* event) {
  // Only its owner hides it (Alt+F4 on it must not leave a dump running unseen).
  event->ignore();
}

void CProgress::Arrange() {
  const bool text = !m_Text->text().isEmpty();
  if (!text && !m_CancelVisible) {
    setFixedSize(kWidth, kHeight);
    m_Bar->setGeometry(kBarMargin, kBarMargin, kWidth - 2 * kBarMargin, kHeight - 2 * kBarMargin);
    return;
  }
  // With a text or a Cancel button: the text on top, the bar under it with the
  // button to its right, all inside a margin of 6.
  constexpr int kPad = 6;
  int y = kPad;
  const int barRight = m_CancelVisible ? kWidth - kPad - kCancelWidth - kPad : kWidth - kPad;
  if (text) {
    m_Text->setGeometry(kPad, y, kWidth - 2 * kPad, kTextHeight);
    y += kTextHeight + 2;
  }
  const int rowHeight = m_CancelVisible ? kCancelHeight : kHeight - 2 * kBarMargin;
  const int barHeight = kHeight - 2 * kBarMargin + 4;
  m_Bar->setGeometry(kPad, y + (rowHeight - barHeight) / 2, barRight - kPad, barHeight);
  if (m_CancelVisible) m_Cancel->setGeometry(kWidth - kPad - kCancelWidth, y, kCancelWidth, kCancelHeight);
  setFixedSize(kWidth, y + rowHeight + kPad);
}

void CProgress::Centre() {
  QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
  QRect area;
  if (over && over->isVisible()) {
    area = over->frameGeometry();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (area.isValid()) move(area.center() - QPoint(width() / 2, height() / 2));
}

}  // namespace ws
