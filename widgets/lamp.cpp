#include "widgets/lamp.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "widgets/draw_toolkit.h"

namespace ws {

CLamp::CLamp(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void CLamp::TurnOn() {
  if (!m_bReady) return;
  m_bLit = true;
  repaint();
}

void CLamp::TurnOff() {
  if (!m_bReady) return;
  m_bLit = false;
  repaint();
}

QImage CLamp::Render() {
  m_rcClient = rect();
  const int w = std::max(1, width());
  const int h = std::max(1, height());
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::black);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);

  const ColorRef centre = m_bLit ? m_OnCenterColor : m_OffCenterColor;
  const ColorRef edge = m_bLit ? m_OnEdgeColor : m_OffEdgeColor;
  QPainterPath whole;
  whole.addRect(0, 0, w, h);
  FillRadial(painter, whole, centre, edge);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(ToQColor(ColorScale(centre, m_bLit ? -0.2f : -0.5f)), 2.0));
  painter.drawRect(QRectF(0, 0, w - 1, h - 1));

  if (!m_strText.isEmpty()) {
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    QPainterPath shadow;
    AddStringPath(shadow, QStringLiteral("System"), kTextRegular, h * 0.5, m_strText,
                  QPointF(w / 2 + 1, h / 2 + 1), centred);
    painter.fillPath(shadow, ToQColor(ColorScale(centre, 0.5f)));
    QPainterPath text;
    AddStringPath(text, QStringLiteral("System"), kTextRegular, h * 0.5, m_strText,
                  QPointF(w / 2, h / 2), centred);
    painter.fillPath(text, ToQColor(m_bLit ? ColorInvert(m_OnCenterColor) : m_OffEdgeColor));
  }
  painter.end();
  return image;
}

void CLamp::paintEvent(QPaintEvent* event) {
  if (!m_bReady) {
    QWidget::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

void CLamp::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  m_bPressed = true;
  emit notify(m_nId, kButtonDown);
}

void CLamp::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_bPressed = false;
}

void CLamp::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  if (!m_bReady) return;
  setCursor(Qt::PointingHandCursor);
  setFocus();
}

void CLamp::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  m_bPressed = false;
}

}  // namespace ws
