#include "widgets/splitter_bar.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRubberBand>

#include "widgets/draw_toolkit.h"

namespace ws {

CSplitterBar::CSplitterBar(QWidget* parent) : QWidget(parent) { UpdateCursor(); }

CSplitterBar::~CSplitterBar() { delete m_pBand; }

void CSplitterBar::UpdateCursor() {
  setCursor(m_bHorizontal ? Qt::SizeVerCursor : Qt::SizeHorCursor);
}

int CSplitterBar::Clamp(int screenPos) const {
  if (screenPos < m_nLowerLimit) return m_nLowerLimit;
  if (screenPos > m_nUpperLimit) return m_nUpperLimit;
  return screenPos;
}

void CSplitterBar::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  m_rcStart = QRect(mapToGlobal(QPoint(0, 0)), size());
  raise();
}

void CSplitterBar::DragTo(int screenPos) {
  QRect moved = m_rcStart;
  if (m_bHorizontal) {
    moved.moveTop(screenPos);
  } else {
    moved.moveLeft(screenPos);
  }
  QWidget* host = parentWidget();
  m_rcDrag = host ? QRect(host->mapFromGlobal(moved.topLeft()), moved.size()) : moved;
  if (host) {
    if (!m_pBand) m_pBand = new QRubberBand(QRubberBand::Rectangle, host);
    m_pBand->setGeometry(m_rcDrag);
    m_pBand->show();
    m_pBand->raise();
  }
  m_rcLastDrag = m_rcDrag;
}

void CSplitterBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  UpdateCursor();
  m_bDragging = true;
  m_rcStart = QRect(mapToGlobal(QPoint(0, 0)), size());
  const QPoint global = event->globalPosition().toPoint();
  DragTo(Clamp(m_bHorizontal ? global.y() : global.x()));
  setCursor(Qt::PointingHandCursor);
}

void CSplitterBar::mouseMoveEvent(QMouseEvent* event) {
  if (!m_bDragging || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint global = event->globalPosition().toPoint();
  DragTo(Clamp(m_bHorizontal ? global.y() : global.x()));
}

void CSplitterBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !m_bDragging) return;
  const QPoint global = event->globalPosition().toPoint();
  const int position = Clamp(m_bHorizontal ? global.y() : global.x());
  DragTo(position);
  if (m_pBand) m_pBand->hide();
  m_bDragging = false;
  UpdateCursor();
  emit notify(m_nId, position);
}

void CSplitterBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect all = rect();
  painter.fillRect(all, ToQColor(m_FillColor));
  painter.setPen(ToQColor(m_FrameColor));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(all.adjusted(0, 0, -1, -1));
  const QRect inner = all.adjusted(2, 2, -2, -2);
  if (inner.isValid()) {
    painter.fillRect(inner, ToQColor(ColorScale(m_FillColor, 0.5f)));
    painter.drawRect(inner.adjusted(0, 0, -1, -1));
  }
}

}  // namespace ws
