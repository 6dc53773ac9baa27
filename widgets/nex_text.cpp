#include "widgets/nex_text.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "widgets/draw_toolkit.h"
#include "widgets/in_place_edit.h"

namespace ws {

CNexText::CNexText(QWidget* parent) : QWidget(parent) {
  m_LeftIcons.fill(-1);
  m_RightIcons.fill(-1);
  m_LeftIconScale.fill(1.0f);
  m_RightIconScale.fill(1.0f);
}

void CNexText::Setup(ColorRef textColour, ColorRef fillColour, int cornerRadius,
                     int borderWidth) {
  m_TextColor = textColour;
  m_FillColor = fillColour;
  m_TextOutlineColor = fillColour;
  m_nRadius = cornerRadius;
  m_nBorderWidth = borderWidth;
  if (!m_pEdit) m_pEdit = CreateInPlaceEdit(this, kEditId);
  m_bReady = true;
  UpdateEditFont();
  m_strText = windowTitle();
}

void CNexText::SetText(const QString& text) {
  setWindowTitle(text);
  m_strText = text;
  repaint();
}

void CNexText::UpdateEditFont() {
  if (!m_pEdit) return;
  QFont font(QStringLiteral("돋움체"));
  font.setPixelSize(std::max(1, static_cast<int>(height() * m_fSizeFraction)));
  m_pEdit->setFont(font);
}

QImage CNexText::Render() {
  m_rcClient = rect();
  const int w = std::max(1, width());
  const int h = std::max(1, height());
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  m_bBackgroundDirty = false;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);

  QPainterPath panel;
  AddRoundRectPath(m_nRadius, panel, 0, 0, w - 1, h - 1);
  panel.closeSubpath();
  if (m_nFillMode == 0) {
    painter.fillPath(panel, ToQColor(m_FillColor));
  } else if (m_nFillMode == 1 || m_nFillMode == 2) {
    QLinearGradient gradient(0, 0, 0, h);
    if (m_nFillMode == 1) {
      gradient.setColorAt(0.0, ToQColor(m_GradFillTop));
      gradient.setColorAt(1.0, ToQColor(m_GradFillBottom));
    } else {
      gradient.setColorAt(0.0, ToQColor(m_GradFillBottom));
      gradient.setColorAt(0.6, ToQColor(m_GradFillTop));
      gradient.setColorAt(1.0, ToQColor(m_GradFillBottom));
    }
    painter.fillPath(panel, gradient);
  }
  if (m_bBorder) {
    // A zero-width pen (border width 1) still draws the thinnest line.
    painter.strokePath(panel, QPen(ToQColor(m_BorderColor), m_nBorderWidth / 2));
  }
  if (m_bBevel) {
    Draw3dFrame(painter, ColorAdd(m_FillColor, 50), 0, 0, w - 1, h - 1, ColorAdd(m_FillColor, -50));
  }

  // Caption. Its line box (the face's real ascent and descent) is centred in
  // the box and kept inside the border: a long text (a stack title, the clock)
  // is set smaller rather than clipped at an edge.
  painter.setClipRect(0, 0, w, h);
  const QString family = m_bUsePrivateFont ? m_PrivateFamily : m_strFaceName;
  const int marginX = std::max(m_nBorderWidth / 2, 1) + 3;
  const int marginY = std::max(m_nBorderWidth / 2, 1) + 1;
  qreal x = marginX;
  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
  if (m_nAlign == kSsCenter) {
    x = w / 2;
    align = Qt::AlignHCenter | Qt::AlignVCenter;
  } else if (m_nAlign == kSsRight) {
    x = w - marginX;
    align = Qt::AlignRight | Qt::AlignVCenter;
  }
  for (int id : m_LeftIcons) {
    if (id >= 0) x += h + 10;
  }
  if (!m_strPictureFile.isEmpty()) x = x + 3 * h / 2 + 10;
  qreal em = h * static_cast<qreal>(m_fSizeFraction);
  if (!family.isEmpty() && !m_strText.isEmpty() && em > 0) {
    const QFontMetricsF metrics(MakeFont(family, 100));
    const qreal lineHeight = (metrics.ascent() + metrics.descent()) / 100;
    const qreal advance = metrics.horizontalAdvance(m_strText) / 100;
    qreal room = w - 2.0 * marginX;
    if (m_nAlign == kSsCenter) room = 2.0 * std::min(x - marginX, w - marginX - x);
    if (m_nAlign == kSsLeft) room = w - marginX - x;
    if (m_nAlign == kSsRight) room = x - marginX;
    if (lineHeight > 0) em = std::min(em, (h - 2.0 * marginY) / lineHeight);
    if (advance > 0 && room > 0) em = std::min(em, room / advance);
  }
  const qreal y = h * 0.5 + h * static_cast<qreal>(m_fVertOffset);
  QPainterPath caption;
  AddStringPath(caption, family, kTextRegular, em, m_strText, QPointF(x, y), align);
  if (m_bGradientText) {
    QLinearGradient gradient(0, 0, 0, h);
    gradient.setColorAt(0.0, ToQColor(m_GradTextTop));
    gradient.setColorAt(1.0, ToQColor(m_GradTextBottom));
    painter.fillPath(caption, gradient);
  } else {
    painter.fillPath(caption, ToQColor(m_TextColor));
  }
  if (m_bTextOutline) painter.strokePath(caption, QPen(ToQColor(m_TextOutlineColor), 1.0));

  if (m_bGlass) {
    const QRectF ellipse(w / 6, h / 20, 4 * w / 6, h / 8);
    QPainterPath glass;
    glass.addEllipse(ellipse);
    const ColorRef surround = m_nFillMode == 0 ? m_FillColor : m_GradFillTop;
    painter.fillPath(glass, PathGradientBrush(QPointF(w / 2, h / 16 + h / 20), ellipse,
                                              Qt::white, ToQColor(surround)));
  }
  painter.setClipping(false);

  if (m_bReflection && !caption.isEmpty()) {
    const qreal l = h * static_cast<qreal>(m_fSizeFraction) + 10 + m_fVertOffset;
    const QTransform mirror(1, 0, 0, -1, 0, 2 * l);
    QLinearGradient gradient(0, l, 0, l + h / 2);
    gradient.setColorAt(0.0, Qt::black);
    gradient.setColorAt(1.0, ToQColor(ColorScale(0x00FF00, -0.2f)));
    painter.fillPath(mirror.map(caption), gradient);
  }

  if (!m_strSubCaption.isEmpty()) {
    const QRectF bounds = caption.boundingRect();
    QPainterPath sub;
    AddStringPath(sub, m_strFaceName, kTextBold, em / 2, m_strSubCaption,
                  QPointF(bounds.right() + 10, bounds.bottom() + 2), Qt::AlignLeft | Qt::AlignBottom);
    painter.fillPath(sub, ToQColor(ColorScale(m_TextColor, -0.1f)));
  }

  if (!m_strSecondCaption.isEmpty()) {
    QPainterPath second;
    AddStringPath(second, m_strFaceName, kTextRegular, h * static_cast<qreal>(m_fSecondCaptionSize),
                  m_strSecondCaption, QPointF(w / 2, h * static_cast<qreal>(m_fSecondCaptionPos)),
                  Qt::AlignHCenter | Qt::AlignTop);
    painter.fillPath(second, ToQColor(m_SecondCaptionColor));
  }

  // Icons: right slots packed leftwards from the right edge, left slots rightwards.
  m_LeftIconRects.fill(QRect());
  m_RightIconRects.fill(QRect());
  int right = w - 4;
  for (int i = 0; i < kIconSlots; ++i) {
    if (m_RightIcons[i] < 0) continue;
    const QImage icon = LoadPngResource(m_RightIcons[i]);
    if (icon.isNull() || icon.height() == 0) continue;
    const int ih = std::max(1, static_cast<int>(h * m_RightIconScale[i]) - 8);
    const int iw = icon.width() * ih / icon.height();
    m_RightIconRects[i] = QRect(right - iw, (h - ih) / 2, iw, ih);
    painter.drawImage(m_RightIconRects[i], icon);
    right -= iw + 4;
  }
  int left = 14;
  for (int i = 0; i < kIconSlots; ++i) {
    if (m_LeftIcons[i] < 0) continue;
    const QImage icon = LoadPngResource(m_LeftIcons[i]);
    if (icon.isNull() || icon.height() == 0) continue;
    const int ih = std::max(1, static_cast<int>(h * m_LeftIconScale[i]) - 8);
    const int iw = icon.width() * ih / icon.height();
    m_LeftIconRects[i] = QRect(left, (h - ih) / 2, iw, ih);
    painter.drawImage(m_LeftIconRects[i], icon);
    left += iw + 14;
  }
  m_PictureRect = QRect();
  if (!m_strPictureFile.isEmpty()) {
    const QImage picture(m_strPictureFile);
    if (!picture.isNull()) {
      m_PictureRect = QRect(10, 10, 3 * h, h - 20);
      painter.drawImage(m_PictureRect, picture);
    }
  }
  painter.end();
  return image;
}

void CNexText::FinishEdit() {
  if (!m_bEditing || !m_pEdit) return;
  m_bEditing = false;
  m_pEdit->hide();
  SetText(m_pEdit->text());
  emit notify(m_nId, kEditDone);
}

void CNexText::paintEvent(QPaintEvent* event) {
  if (!m_bReady) {
    QWidget::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

void CNexText::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!m_bReady) return;
  UpdateEditFont();
  m_bBackgroundDirty = true;
  update();
}

void CNexText::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  if (m_bEditable && m_pEdit) {
    OpenInPlaceEdit(m_pEdit, rect(), m_strText);
    m_bEditing = true;
  }
  const QPoint at = event->position().toPoint();
  int code = kClick;
  for (int i = 0; i < kIconSlots; ++i) {
    if (m_LeftIconRects[i].contains(at)) code = kLeftIcon + i;
    if (m_RightIconRects[i].contains(at)) code = kRightIcon + i;
  }
  if (m_PictureRect.contains(at)) code = kLeftIcon;
  emit notify(m_nId, code);
}

void CNexText::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  emit notify(m_nId, kDoubleClick);
}

bool CNexText::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_pEdit && event->type() == QEvent::FocusOut) FinishEdit();
  return QWidget::eventFilter(watched, event);
}

}  // namespace ws
