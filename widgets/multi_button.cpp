#include "widgets/multi_button.h"

#include <QHelpEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QToolTip>

#include <algorithm>

#include "widgets/draw_toolkit.h"
#include "widgets/icon_glyph.h"

namespace ws {

CMultiButton::CMultiButton(int id, QWidget* parent) : QAbstractButton(parent), m_Id(id) {
  setMouseTracking(true);
  m_Enabled.fill(true);
  m_Glyph.fill(-1);
  m_SizeFactor.fill(0.86f);
  m_OverlayGlyph.fill(-1);
  m_OverlayScale.fill(0.5f);
  m_OverlayOffsetX.fill(0.1f);
  m_OverlayOffsetY.fill(0.1f);
  m_OverlayAlpha.fill(255);
}

int CMultiButton::Count() const { return std::clamp(m_Count, 0, kMaxButtons); }

int CMultiButton::IndexAt(int x) const {
  const int count = Count();
  if (count <= 0 || x < 0 || x >= width()) return -1;
  const int segment = width() / count;
  if (segment <= 0) return -1;
  const int index = x / segment;
  return index < count ? index : -1;
}

void CMultiButton::SetTooltipText(int index, const QString& text) {
  if (index < 0 || index >= kMaxButtons) return;
  m_Tooltips[static_cast<size_t>(index)] = text;
}

QString CMultiButton::TooltipText(int index) const {
  if (index < 0 || index >= kMaxButtons) return QString();
  return m_Tooltips[static_cast<size_t>(index)];
}

void CMultiButton::MoveTo(const QRect& rect) {
  setGeometry(rect);
  InvalidateFace();
  repaint();
}

void CMultiButton::InvalidateFace() {
  m_FaceDirty = true;
  update();
}

void CMultiButton::resizeEvent(QResizeEvent* event) {
  QAbstractButton::resizeEvent(event);
  m_FaceDirty = true;
}

void CMultiButton::BuildFace() {
  const int w = std::max(width(), 1);
  const int h = std::max(height(), 1);
  m_Face = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
  m_Face.fill(Qt::transparent);
  QPainter painter(&m_Face);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath outline;
  AddRoundRectPath(m_CornerRadius, outline, 0, 0, w - 1, h - 1);
  outline.closeSubpath();
  const bool enabled = isEnabled();
  QLinearGradient gradient(0, 0, 0, h - 1);
  gradient.setColorAt(0, ToQColor(enabled ? m_FaceTop : m_DisabledTop));
  gradient.setColorAt(1, ToQColor(enabled ? m_FaceBottom : ColorScale(m_DisabledTop, -0.4f)));
  painter.fillPath(outline, gradient);
  const QColor border = enabled ? ToQColor(m_FaceBorder) : ArgbToQColor(m_DisabledBorder);
  QPen pen(border, m_BorderWidth);
  pen.setCosmetic(m_BorderWidth == 0);
  painter.strokePath(outline, pen);
  m_FaceDirty = false;
}

QRectF CMultiButton::IconBox(int i) const {
  const int count = Count();
  if (count <= 0 || i < 0 || i >= count) return QRectF();
  const int seg = (width() - 2 * m_Margin) / count;
  const int q = std::min(seg - m_Margin, height() - 2 * m_Margin);
  const size_t k = static_cast<size_t>(i);
  const float s = q * m_SizeFactor[k];
  const float x = seg / 2 + i * seg + m_Margin - s / 2 + m_OffsetX[k] * s;
  const float y = height() / 2 - s / 2 + m_OffsetY[k] * s;
  return QRectF(x, y, s, s);
}

QImage CMultiButton::Render(bool pressed) {
  if (m_FaceDirty || m_Face.size() != size()) BuildFace();
  QImage image(m_Face.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.drawImage(0, 0, m_Face);

  const int count = Count();
  const int h = height();
  const int seg = count > 0 ? (width() - 2 * m_Margin) / count : 0;
  const int q = std::min(seg - m_Margin, h - 2 * m_Margin);
  const ColorRef second = isEnabled() ? m_FaceTop : m_DisabledTop;
  bool handCursor = false;
  for (int i = 0; i < count && q > 0; ++i) {
    const size_t k = static_cast<size_t>(i);
    const bool shifted = pressed && i == m_Hovered;
    const bool greyed = !m_Enabled[k];
    const QRectF box = IconBox(i);
    if (m_Glyph[k] != -1) {
      IconGlyphOptions o;
      o.emSize = o.boxSize = static_cast<float>(box.width());
      o.x = static_cast<float>(box.x()) + (shifted ? 2 : 0);
      o.y = static_cast<float>(box.y()) + (shifted ? 2 : 0);
      o.angle = m_GlyphAngle[k];
      o.colour1 = m_GlyphColour[k];
      o.colour2 = second;
      o.outlineWidth = 1;
      o.useOutlineColour = true;
      o.outlineColour = ColorScale(m_GlyphColour[k], -0.2f);
      o.grey = greyed;
      DrawIconGlyph(m_IconFontFamily, m_Glyph[k], painter, o);
    }
    if (m_OverlayGlyph[k] != -1) {
      const float s2 = q * m_OverlayScale[k];
      IconGlyphOptions o;
      o.emSize = o.boxSize = s2;
      o.x = seg / 2 + i * seg + m_Margin - s2 / 2 + m_OverlayOffsetX[k] * s2 + (shifted ? 2 : 0);
      o.y = h / 2 - s2 / 2 + m_OverlayOffsetY[k] * s2 + (shifted ? 2 : 0);
      o.angle = m_OverlayAngle[k];
      o.colour1 = m_OverlayColour[k];
      o.colour2 = second;
      o.outlineWidth = 1;
      o.useOutlineColour = true;
      o.outlineColour = ColorScale(m_OverlayColour[k], -0.2f);
      o.grey = greyed;
      if (m_OverlayAlphaOn[k]) {
        // The overlay's figures overlap; blend the finished icon as one layer.
        QImage layer(image.size(), QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        {
          QPainter lp(&layer);
          lp.setRenderHint(QPainter::Antialiasing);
          DrawIconGlyph(m_IconFontFamily, m_OverlayGlyph[k], lp, o);
        }
        painter.save();
        painter.setOpacity(std::clamp(m_OverlayAlpha[k], 0, 255) / 255.0);
        painter.drawImage(0, 0, layer);
        painter.restore();
      } else {
        DrawIconGlyph(m_IconFontFamily, m_OverlayGlyph[k], painter, o);
      }
    }
    if (m_Enabled[k] && m_HoverGlow && i == m_Hovered) {
      const int d = static_cast<int>(q * m_SizeFactor[k]);
      const QRectF circle(box.x() + (shifted ? 2 : 0) - 5, h / 2 - d / 2 - 5, d + 10, d + 10);
      QRadialGradient glow(circle.center(), circle.width() / 2);
      glow.setColorAt(0, QColor(255, 255, 255, 255));
      glow.setColorAt(1, QColor(255, 255, 255, 0));
      QPainterPath disc;
      disc.addEllipse(circle);
      painter.fillPath(disc, glow);
      handCursor = true;
    }
  }
  if (handCursor) {
    setCursor(Qt::PointingHandCursor);
  } else {
    unsetCursor();
  }
  return image;
}

void CMultiButton::paintEvent(QPaintEvent*) {
  const QImage image = Render(isDown());
  QPainter painter(this);
  painter.drawImage(0, 0, image);
}

void CMultiButton::UpdateHover(int x, int y) {
  const bool inside = y >= 0 && y < height();
  m_Hovered = inside ? IndexAt(x) : -1;
  m_Hover = true;
  if (m_Hovered != m_LastHovered) {
    m_LastHovered = m_Hovered;
    update();
  }
}

void CMultiButton::mouseMoveEvent(QMouseEvent* event) {
  UpdateHover(static_cast<int>(event->position().x()), static_cast<int>(event->position().y()));
  QAbstractButton::mouseMoveEvent(event);
}

void CMultiButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    UpdateHover(static_cast<int>(event->position().x()), static_cast<int>(event->position().y()));
    emit notify(m_Id, kDown);
    m_PressedIndex = m_Hovered;
  }
  QAbstractButton::mousePressEvent(event);
}

void CMultiButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit notify(m_Id, kUp);
  QAbstractButton::mouseReleaseEvent(event);
}

void CMultiButton::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit notify(m_Id, kDoubleClick);
  QAbstractButton::mousePressEvent(event);
}

void CMultiButton::leaveEvent(QEvent* event) {
  QAbstractButton::leaveEvent(event);
  emit notify(m_Id, kLeave);
  m_Hovered = -1;
  m_LastHovered = -1;
  m_PressedIndex = -1;
  m_Hover = false;
  update();
}

bool CMultiButton::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    const int index = IndexAt(help->pos().x());
    const QString text = TooltipText(index);
    if (text.isEmpty()) {
      QToolTip::hideText();
      e->ignore();
    } else {
      // The tool rectangle is the segment the hovered index is computed from.
      const int seg = width() / std::max(Count(), 1);
      QToolTip::showText(help->globalPos(), text, this, QRect(index * seg, 0, seg, height()));
    }
    return true;
  }
  if (e->type() == QEvent::EnabledChange) m_FaceDirty = true;
  return QAbstractButton::event(e);
}

}  // namespace ws
