#include "widgets/led.h"

#include <QEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

#include "widgets/draw_toolkit.h"
#include "widgets/nex_text.h"

namespace ws {

CLed::CLed(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  m_FlashTimer.setSingleShot(true);
  connect(&m_FlashTimer, &QTimer::timeout, this, [this] { TurnOff(); });
}

void CLed::Init(ColorRef background) {
  m_OffEdgeColor = 0x000000;
  m_OffCenterColor = 0xC0C0C0;
  m_OnEdgeColor = 0x0000FF;
  m_OnCenterColor = 0xBCBCFF;
  m_BackColor = background;
  m_bLit = m_bBezel = m_bGlossy = false;
  m_nCaptionPos = kCaptionRight;
  m_nRingWidth = -1;
  m_bReady = true;
}

void CLed::CreateCaption() {
  if (m_pCaption) return;
  m_pCaption = new CNexText(this);
  m_pCaption->m_nId = m_nId + 1;
  m_pCaption->setWindowTitle(m_strText);
  m_pCaption->Setup(0xFFFFFF, 0x4C3F38, 3, 1);
  m_pCaption->m_fSizeFraction = 0.8f;
  m_pCaption->m_nAlign = CNexText::kSsCenter;
  m_pCaption->m_bBorder = true;
  m_pCaption->m_BorderColor = 0x000000;
  m_pCaption->m_nFillMode = 0;
  m_pCaption->m_FillColor = 0x4C3F38;
  // The caption's clicks reach the LED, which has no use for them.
  m_bCaptionCreated = true;
  m_nCaptionHeight = 15;
  PlaceCaption();
  m_pCaption->show();
}

void CLed::TurnOn() {
  if (!m_bReady) return;
  m_bLit = true;
  repaint();
}

void CLed::TurnOff() {
  if (!m_bReady) return;
  m_bLit = false;
  repaint();
}

void CLed::Flash(ColorRef edge, ColorRef centre) {
  if (!m_bReady) return;
  m_FlashTimer.start(m_nFlashTime);
  m_OnEdgeColor = edge;
  m_OnCenterColor = centre;
  m_bLit = true;
  repaint();
}

void CLed::SetWindowText(const QString& text) {
  m_strText = text;
  setWindowTitle(text);
  if (m_pCaption) m_pCaption->SetText(text);
  repaint();
}

void CLed::PlaceCaption() {
  if (!m_pCaption) return;
  const int w = width();
  const int h = height();
  if (m_nCaptionPos == kCaptionLeft) {
    m_pCaption->setGeometry(0, 0, std::max(0, w - h), h);
  } else {
    m_pCaption->setGeometry(h, 0, std::max(0, w - h), h);
  }
}

QImage CLed::Render() {
  m_rcClient = rect();
  const int w = std::max(1, width());
  const int h = std::max(1, height());
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);  // the parent's pixels show through
  m_bBackgroundDirty = false;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);

  const int squareX = (m_pCaption && m_nCaptionPos == kCaptionLeft) ? w - h : 0;
  if (m_nRingWidth == -1) m_nRingWidth = h / 15;
  int ring = m_nRingWidth;
  if (m_bBezel) {
    QLinearGradient bezel(squareX, 0, squareX + h, h);
    bezel.setColorAt(0.0, QColor::fromRgba(0xFFF7F7F7));
    bezel.setColorAt(1.0, QColor::fromRgba(0xFF919191));
    painter.setPen(Qt::NoPen);
    painter.setBrush(bezel);
    painter.drawEllipse(QRectF(squareX, 0, h, h));
  } else {
    ring = 0;
  }

  ColorRef centre = m_bLit ? m_OnCenterColor : m_OffCenterColor;
  ColorRef edge = m_bLit ? m_OnEdgeColor : m_OffEdgeColor;
  if (!isEnabled()) {
    centre = ColorGray(m_OnCenterColor);
    edge = ColorGray(m_OnEdgeColor);
  }

  const qreal d = h - 2 * ring - 1;
  if (d > 0) {
    const QRectF disc(squareX + ring, ring, d, d);
    QPainterPath discPath;
    discPath.addEllipse(disc);
    const QPen outline(QColor::fromRgba(0xFF808080), 1.0);
    if (!m_bGlossy) {
      const QPointF hot(squareX + h / 3.0, h / 3.0);
      painter.fillPath(discPath, PathGradientBrush(hot, disc, ToQColor(centre), ToQColor(edge)));
      painter.strokePath(discPath, outline);
    } else {
      // Mostly the centre colour, with the edge colour only in a thin outer ring.
      QRadialGradient body(disc.center(), d / 2);
      const QColor c = ToQColor(centre);
      const QColor e = ToQColor(edge);
      const QColor half((c.red() + e.red()) / 2, (c.green() + e.green()) / 2,
                        (c.blue() + e.blue()) / 2);
      body.setColorAt(0.0, c);
      body.setColorAt(0.95, c);
      body.setColorAt(1.0, half);
      painter.fillPath(discPath, body);
      painter.strokePath(discPath, outline);

      auto highlight = [&painter](const QRectF& box) {
        QLinearGradient shine(box.topLeft(), box.bottomLeft());
        shine.setColorAt(0.0, QColor(255, 255, 255, 255));
        shine.setColorAt(1.0, QColor(255, 255, 255, 0));
        shine.setSpread(QGradient::ReflectSpread);
        painter.setPen(Qt::NoPen);
        painter.setBrush(shine);
        painter.drawEllipse(box);
      };
      highlight(QRectF(disc.center().x() - 0.4 * d, disc.top(), 0.8 * d, 0.6 * d));
      painter.save();
      const QPointF pivot(disc.center().x(), disc.top() + 0.2 * d);
      painter.translate(pivot);
      painter.rotate(-30);
      painter.translate(-pivot);
      highlight(QRectF(pivot.x() - 0.15 * d, pivot.y() - 0.1 * d, 0.3 * d, 0.2 * d));
      painter.restore();
    }
  }
  painter.end();
  return image;
}

void CLed::paintEvent(QPaintEvent* event) {
  if (!m_bReady) {
    QWidget::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

void CLed::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceCaption();
  m_bBackgroundDirty = true;
  update();
}

void CLed::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) update();
}

void CLed::mousePressEvent(QMouseEvent* event) {
  if (!m_bReady || event->button() != Qt::LeftButton) return;
  emit notify(m_nId, kButtonDown);
}

void CLed::mouseReleaseEvent(QMouseEvent* event) {
  if (!m_bReady || event->button() != Qt::LeftButton) return;
  emit notify(m_nId, kButtonUp);
}

void CLed::mouseDoubleClickEvent(QMouseEvent*) {
  // The second press of a double click is not a new button down.
}

void CLed::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  if (!m_bReady) return;
  if (!m_bTracking) {
    m_bTracking = true;
    setFocus();  // hovering takes the keyboard focus
  }
  setCursor(Qt::PointingHandCursor);
}

void CLed::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (!m_bTracking) return;
  m_bTracking = false;
  emit notify(m_nId, kLeave);
}

}  // namespace ws
