#include "widgets/nex_button.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "widgets/draw_toolkit.h"
#include "widgets/icon_glyph.h"

namespace ws {

namespace {

constexpr qreal kCornerRadius = 4;
constexpr qreal kBorderWidth = 1;
constexpr ColorRef kCaptionShadow = 0xFF0000;
const QString kCaptionFamily = QStringLiteral("돋움체");

void FillCaption(QPainter& painter, const QString& text, qreal em, QPointF anchor, const QColor& colour) {
  QPainterPath path;
  AddStringPath(path, kCaptionFamily, kTextBold, em, text, anchor, Qt::AlignCenter);
  painter.fillPath(path, colour);
}

}  // namespace

CNexButton::CNexButton(const QString& caption, int id, QWidget* parent)
    : QPushButton(caption, parent), m_Id(id) {
  setMouseTracking(true);
  setAttribute(Qt::WA_Hover, true);
  m_RepeatTimer.setInterval(kRepeatMs);
  connect(&m_RepeatTimer, &QTimer::timeout, this, &CNexButton::OnRepeatTimer);
}

void CNexButton::MoveTo(const QRect& rect) {
  setGeometry(rect);
  repaint();
}

CNexButton::FaceState CNexButton::CurrentState() const {
  if (isDown()) return FaceState::kPressed;
  if (!isEnabled()) return FaceState::kDisabled;
  if (m_Hover) return FaceState::kHover;
  return FaceState::kNormal;
}

ButtonFace CNexButton::FaceFor(FaceState state) {
  switch (state) {
    case FaceState::kHover:
      return {ColorScale(0x845639, 2.0f), ColorScale(0x845639, 0.8f), kBaseColour};
    case FaceState::kPressed:
      return {ColorScale(0x584FE6, 0.5f), 0x584FE6, kBaseColour};
    case FaceState::kDisabled: {
      const ColorRef bottom = ColorScale(0xC1D0D4, -0.4f);
      return {0xC1D0D4, bottom, bottom};
    }
    case FaceState::kNormal:
    default:
      return {ColorScale(kBaseColour, 0.5f), kBaseColour, kBaseColour};
  }
}

QImage CNexButton::Render(FaceState state) const {
  const int w = width();
  const int h = height();
  QImage image(std::max(w, 1), std::max(h, 1), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  if (w <= 0 || h <= 0) return image;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);

  // Face.
  const ButtonFace face = FaceFor(state);
  QPainterPath outline;
  AddRoundRectPath(kCornerRadius, outline, 0, 0, w - 1, h - 1);
  outline.closeSubpath();
  QLinearGradient gradient(0, 0, 0, h - 1);
  gradient.setColorAt(0, ToQColor(face.top));
  gradient.setColorAt(1, ToQColor(face.bottom));
  painter.fillPath(outline, gradient);
  painter.strokePath(outline, QPen(ToQColor(face.border), kBorderWidth));

  const bool pressed = state == FaceState::kPressed;
  const bool disabled = state == FaceState::kDisabled;
  const QString caption = text();

  // Icon. A missing icon font was reported when the fonts were loaded; the
  // button then simply draws no icon.
  if (m_IconGlyph != -1) {
    const int smaller = std::min(w, h);
    const float size = 0.8f * smaller;
    IconGlyphOptions o;
    o.emSize = size;
    o.boxSize = size;
    if (caption.isEmpty()) {
      o.x = (w - size) / 2.0f;
      o.y = (h - size) / 2.0f;
    } else {
      o.x = 4.0f;
      o.y = h / 2.0f - 0.4f * smaller;
    }
    if (pressed) {
      o.x += 2;
      o.y += 2;
    }
    o.angle = m_IconAngle;
    o.colour1 = m_IconColour;
    o.colour2 = state == FaceState::kHover ? face.top : (pressed ? face.top : kBaseColour);
    o.outlineWidth = m_IconOutline;
    o.useOutlineColour = true;
    o.outlineColour = ColorScale(m_IconColour, -0.2f);
    o.grey = disabled;
    DrawIconGlyph(m_IconFontFamily, m_IconGlyph, painter, o);
  }

  // Caption with its relief.
  if (!caption.isEmpty()) {
    const qreal em = 0.4 * h;
    const QPointF anchor(m_IconGlyph != -1 ? (w + h) / 2.0 : w / 2.0, h / 2.0 + 1);
    const QColor grey = ArgbToQColor(0xFF808080);
    if (pressed) {
      FillCaption(painter, caption, em, anchor + QPointF(2, 2), Qt::white);
      FillCaption(painter, caption, em, anchor + QPointF(1, 1), grey);
    } else if (disabled) {
      FillCaption(painter, caption, em, anchor + QPointF(1, 1), Qt::white);
      FillCaption(painter, caption, em, anchor, grey);
    } else {
      FillCaption(painter, caption, em, anchor + QPointF(1, 1), ToQColor(kCaptionShadow));
      FillCaption(painter, caption, em, anchor, Qt::white);
    }
  }
  return image;
}

void CNexButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Render(CurrentState()));
}

void CNexButton::enterEvent(QEnterEvent* event) {
  QPushButton::enterEvent(event);
  m_Hover = true;
  update();
}

void CNexButton::leaveEvent(QEvent* event) {
  QPushButton::leaveEvent(event);
  m_Hover = false;
  update();
  emit notify(m_Id, kLeave);
  StopRepeat();
}

void CNexButton::mouseMoveEvent(QMouseEvent* event) {
  QPushButton::mouseMoveEvent(event);
  if (!m_Hover) {
    m_Hover = true;
    update();
  }
}

void CNexButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    emit notify(m_Id, kDown);
    m_RepeatCounter = 1;
    m_RepeatTimer.start();
  }
  QPushButton::mousePressEvent(event);
}

void CNexButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    StopRepeat();
    emit notify(m_Id, kUp);
  }
  QPushButton::mouseReleaseEvent(event);
}

void CNexButton::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    StopRepeat();
    emit notify(m_Id, kDoubleClick);
  }
  // Press the button as usual so that the release still clicks.
  QPushButton::mousePressEvent(event);
}

void CNexButton::OnRepeatTimer() {
  emit notify(m_Id, kRepeatBase + m_RepeatCounter);
  m_RepeatCounter = std::min(m_RepeatCounter + 5, 100);
}

void CNexButton::StopRepeat() { m_RepeatTimer.stop(); }

}  // namespace ws
