#include "widgets/lcd.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "widgets/draw_toolkit.h"
#include "widgets/lit_figures.h"

namespace ws {

namespace {

// The rounded face shipped with the program is drawn at twice the em size like the
// face this layout was made for, but its glyphs fill the whole em: they are scaled
// down about the anchor to 3/8, and pulled left by a quarter em to give back the
// wide right bearing the layout's e/6 shift expects.
constexpr qreal kRoundedScale = 0.375;
constexpr qreal kRoundedPullLeft = 0.25;

}  // namespace

CLcd::CLcd(QWidget* parent) : QWidget(parent) {}

void CLcd::SetText(const QString& text) {
  m_Text = text;
  repaint();
}

QImage CLcd::Render() {
  m_rcClient = rect();
  const int w = std::max(1, m_rcClient.width());
  const int h = std::max(1, m_rcClient.height());
  QImage image = ReadoutFace(w, h, m_BackColor, 100, 160);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const qreal em = h * static_cast<qreal>(m_SizeFraction);
  const Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter;
  QPainterPath outline;
  if (m_nFont == kMatrixFont) {
    AddStringPath(outline, m_MatrixFamily, kTextRegular, em, m_Text,
                  QPointF(w * (1.0 - m_OffsetX), h * static_cast<qreal>(m_OffsetY) + h / 2),
                  align);
  } else {
    const QPointF anchor(w * (1.0 - m_OffsetX) + em / 6,
                         (static_cast<qreal>(m_OffsetY) + 0.07) * h + h / 2);
    QPainterPath glyphs;
    AddStringPath(glyphs, m_RoundedFamily, kTextBold, 2 * em, m_Text, anchor, align);
    const QTransform fit(kRoundedScale, 0, 0, kRoundedScale,
                         anchor.x() * (1 - kRoundedScale) - kRoundedPullLeft * em,
                         anchor.y() * (1 - kRoundedScale));
    outline = fit.map(glyphs);
  }
  FillLitFigures(painter, outline, m_bGlow, m_DigitColor, m_EdgeColor);
  painter.end();
  return image;
}

void CLcd::paintEvent(QPaintEvent* event) {
  if (!m_bReady) {
    QWidget::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

}  // namespace ws
