#include "widgets/spec_display.h"

#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

#include "core/format_fixed.h"
#include "widgets/draw_toolkit.h"
#include "widgets/fnd.h"
#include "widgets/in_place_edit.h"

namespace ws {

namespace {

// The drop-down list: hides itself when its list closes, chosen or not.
class ValueList : public QComboBox {
 public:
  using QComboBox::QComboBox;
  void hidePopup() override {
    QComboBox::hidePopup();
    hide();
  }
};

QRectF Ltrb(qreal l, qreal t, qreal r, qreal b) { return QRectF(QPointF(l, t), QPointF(r, b)); }

// Horizontal anchor and alignment of a text in an area: centred, right-aligned a
// fifth of the area's height in from the right, or left-aligned as far in from the left.
qreal AnchorX(const QRectF& area, int align, Qt::Alignment* out) {
  const qreal inset = area.height() / 5;
  if (align == CSpecDisplay::kAlignCentre) {
    *out = Qt::AlignHCenter;
    return area.center().x();
  }
  if (align == CSpecDisplay::kAlignRight) {
    *out = Qt::AlignRight;
    return area.right() - inset;
  }
  *out = Qt::AlignLeft;
  return area.left() + inset;
}

}  // namespace

CSpecDisplay::CSpecDisplay(QWidget* parent) : QWidget(parent) {
  m_ChooseColour = [this](ColorRef start) -> std::optional<ColorRef> {
    const QColor chosen = QColorDialog::getColor(ToQColor(start), this);
    if (!chosen.isValid()) return std::nullopt;
    return Rgb(chosen.red(), chosen.green(), chosen.blue());
  };
}

void CSpecDisplay::Setup(ColorRef captionColour, ColorRef captionOutlineColour) {
  m_bBackgroundDirty = true;
  m_pFnd = nullptr;
  m_strFaceName = QStringLiteral("굴림체");
  m_bStacked = false;
  m_strValue.clear();
  m_strCaption2.clear();
  m_strUnit.clear();
  m_dCaptionFraction = 0.4;
  m_dValueFraction = 0.6;
  m_dCaptionSize = m_dValueSize = m_dUnitSize = 0.5;
  m_nGap = 2;
  m_fValueOffset = 0.05f;
  m_nCaptionAlign = m_nValueAlign = kAlignCentre;
  m_nPanelRadius = m_nValueRadius = 3;
  m_nBorderWidth = 1;
  m_bCaptionOutline = true;
  m_bCaptionGradient = false;
  m_CaptionColor = captionColour;
  m_CaptionOutlineColor = captionOutlineColour;
  m_CaptionGradTop = 0xFFFFFF;
  m_CaptionGradBottom = 0x000080;
  m_PanelColor = 0x000000;
  m_BorderColor = 0xBC7200;
  m_PanelGradTop = 0x4C3F38;
  m_PanelGradBottom = 0x82614F;
  m_ValueTextColor = 0xFFFFFF;
  m_ValueBoxColor = 0x000000;
  m_bValueFrame = false;
  m_DisabledGradTop = 0xC1D0D4;
  m_DisabledGradBottom = ColorScale(0xC1D0D4, -0.4f);
  m_bColourChoice = true;
  m_bNumeric = false;
  m_nCaptionStyle = 1;
  m_nDecimals = 0;
  m_nUnitAlign = kAlignCentre;
  m_dValueScale = 1.0;
  m_bUnderline = false;
  m_bEditing = m_bEditable = m_bListShown = m_bListMode = m_bNoPanel = false;

  if (!m_pEdit) m_pEdit = CreateInPlaceEdit(this, kEditId);
  if (!m_pList) {
    m_pList = new ValueList(this);
    m_pList->setObjectName(QStringLiteral("list%1").arg(kListId));
    connect(m_pList, &QComboBox::activated, this, &CSpecDisplay::ListSelected);
    connect(m_pList, &QComboBox::activated, this, [this] { m_bListShown = false; });
    m_pList->hide();
  }
  m_bReady = true;
  UpdateEditFont();
  Layout();
}

void CSpecDisplay::SetValueText(const QString& text) {
  m_strValue = text;
  if (m_bListMode && m_pList) {
    const int index = m_pList->findText(text);
    if (index >= 0) m_pList->setCurrentIndex(index);
  }
  if (m_bNumeric && m_pFnd) m_pFnd->SetValue(text.trimmed().toDouble());
  repaint();
}

void CSpecDisplay::SetValue(float value) {
  SetValueText(QString::fromStdString(
      FormatFixed(m_nDecimals, static_cast<double>(value) * m_dValueScale)));
}

void CSpecDisplay::Layout() {
  const int w = width();
  const int h = height();
  const double c = m_dCaptionFraction;
  const double v = m_dValueFraction;
  const int g = m_nGap;
  if (!m_bStacked) {
    m_rcCaption = Ltrb(0, 0, static_cast<int>(w * c), h);
    m_rcValue = Ltrb(static_cast<int>(w * c), g, static_cast<int>(w * (c + v)) - 1, h - 1 - g);
    m_rcUnit = Ltrb(static_cast<int>(w * (c + v)) - 1, 0, w, h);
  } else {
    m_rcCaption = Ltrb(0, 0, w - 1, h / 2);
    m_rcValue = Ltrb(m_bNumeric ? 1 : 0, h / 2 + 2, static_cast<int>(w * v) - 1, h - 1);
    m_rcUnit = Ltrb(static_cast<int>(w * v) - 1, h / 2 + 2, w - 1, h - 1);
  }
  if (v >= 1) {
    m_rcValue = QRectF(0, 0, w, h);
  } else if (v >= 0.9) {
    m_rcValue.setRight(w - 1);
  }
  if (m_bNumeric && m_pFnd) m_pFnd->setGeometry(m_rcValue.toRect());
  m_bBackgroundDirty = true;
}

void CSpecDisplay::UpdateEditFont() {
  if (!m_pEdit) return;
  QFont font(QStringLiteral("돋움체"));
  const double px = height() * m_dValueSize * (m_bNoPanel ? 1.0 : 0.9);
  font.setPixelSize(std::max(1, static_cast<int>(px)));
  m_pEdit->setFont(font);
}

QImage CSpecDisplay::Render() {
  m_rcClient = rect();
  const int w = std::max(1, width());
  const int h = std::max(1, height());
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);  // the parent's pixels show through
  m_bBackgroundDirty = false;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const bool enabled = isEnabled();

  // Panel.
  QPainterPath panel;
  AddRoundRectPath(m_nPanelRadius, panel, 0, 0, w - 1, h - 1);
  panel.closeSubpath();
  if (!m_bNoPanel) {
    QLinearGradient gradient(0, 0, 0, h);
    gradient.setColorAt(0.0, ToQColor(enabled ? m_PanelGradTop : m_DisabledGradTop));
    gradient.setColorAt(1.0, ToQColor(enabled ? m_PanelGradBottom : m_DisabledGradBottom));
    painter.fillPath(panel, gradient);
    if (m_nBorderWidth > 0) {
      painter.strokePath(panel, QPen(ToQColor(enabled ? m_BorderColor : 0xC0C0C0),
                                     m_nBorderWidth));
    }
  }

  // Value box.
  const bool hasValueArea = m_dCaptionFraction < 1;
  if (hasValueArea) {
    if (!enabled) {
      painter.fillRect(m_rcValue, ToQColor(0xC0C0C0));
      painter.setPen(QPen(ToQColor(0x808080), 1.0));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(m_rcValue);
    } else if (m_nValueRadius != 0) {
      QPainterPath box;
      AddRoundRectPath(m_nValueRadius, box, m_rcValue.left(), m_rcValue.top(), m_rcValue.right(),
                       m_rcValue.bottom());
      box.closeSubpath();
      painter.fillPath(box, ToQColor(m_ValueBoxColor));
      painter.strokePath(box, QPen(m_bNoPanel ? ToQColor(m_BorderColor) : QColor(Qt::black), 1.0));
    } else {
      painter.setRenderHint(QPainter::Antialiasing, false);
      painter.fillRect(m_rcValue, ToQColor(m_ValueBoxColor));
      Draw3dFrame(painter, ColorAdd(m_ValueBoxColor, 100), m_rcValue.left(), m_rcValue.top(),
                  m_rcValue.right(), m_rcValue.bottom(), ColorAdd(m_ValueBoxColor, 160));
      painter.setPen(QPen(Qt::black, 1.0));
      painter.setBrush(Qt::NoBrush);
      if (m_dValueFraction < 0.9) {
        painter.drawRect(m_rcCaption);
        painter.drawRect(m_rcUnit);
        painter.drawRect(m_rcValue.adjusted(-1, -1, 1, 1));
      }
      if (m_bValueFrame) {
        const QRectF outer = m_rcValue.adjusted(-2, -2, 2, 2);
        Draw3dFrame(painter, 0x808080, outer.left(), outer.top(), outer.right(), outer.bottom(),
                    0xFFFFFF);
      }
      painter.setRenderHint(QPainter::Antialiasing, true);
    }
  }

  // Caption.
  const int captionStyle = m_nCaptionStyle == 1 ? kTextBold : kTextRegular;
  const qreal ch = m_rcCaption.height();
  Qt::Alignment hAlign;
  const qreal cx = AnchorX(m_rcCaption, m_nCaptionAlign, &hAlign);
  QPainterPath caption;
  if (m_strCaption2.isEmpty()) {
    AddStringPath(caption, m_strFaceName, captionStyle, ch * m_dCaptionSize, m_strCaption,
                  QPointF(cx, m_rcCaption.top() + ch / 2), hAlign | Qt::AlignVCenter);
  } else {
    const int hi = static_cast<int>(ch);
    AddStringPath(caption, m_strFaceName, captionStyle, ch * m_dCaptionSize, m_strCaption,
                  QPointF(cx, m_rcCaption.top() + hi / 10 + ch * 0.25), hAlign | Qt::AlignVCenter);
    AddStringPath(caption, m_strFaceName, kTextRegular, ch * m_dCaptionSize, m_strCaption2,
                  QPointF(cx, m_rcCaption.top() + hi / 4 + ch * 0.5), hAlign | Qt::AlignVCenter);
  }
  painter.save();
  painter.setClipRect(m_rcCaption);
  if (!enabled) {
    painter.fillPath(caption, ToQColor(0x808080));
  } else if (m_bCaptionGradient) {
    QLinearGradient gradient(0, 0, 0, h);
    gradient.setColorAt(0.0, ToQColor(m_CaptionGradTop));
    gradient.setColorAt(1.0, ToQColor(m_CaptionGradBottom));
    painter.fillPath(caption, gradient);
  } else {
    painter.fillPath(caption, ToQColor(m_CaptionColor));
  }
  if (m_bCaptionOutline) painter.strokePath(caption, QPen(ToQColor(m_CaptionOutlineColor), 1.0));
  painter.restore();

  // Value text.
  if (!m_bNumeric && hasValueArea && !m_strValue.isEmpty()) {
    const qreal vx = AnchorX(m_rcValue, m_nValueAlign, &hAlign);
    QPainterPath value;
    AddStringPath(value, m_strFaceName, kTextBold, m_rcValue.height() * m_dValueSize, m_strValue,
                  QPointF(vx, m_rcValue.center().y() + m_fValueOffset * m_rcValue.height()),
                  hAlign | Qt::AlignVCenter);
    painter.save();
    painter.setClipRect(m_rcValue);
    painter.fillPath(value, ToQColor(m_ValueTextColor));
    painter.restore();
  }

  // Unit.
  if (!m_strUnit.isEmpty()) {
    const qreal ux = AnchorX(m_rcUnit, m_nUnitAlign, &hAlign);
    const qreal uy = (m_bStacked ? m_rcUnit.center().y() : h / 2) + 1;
    QPainterPath unit;
    AddStringPath(unit, m_strFaceName, kTextBold, m_rcUnit.height() * m_dUnitSize, m_strUnit,
                  QPointF(ux, uy), hAlign | Qt::AlignVCenter);
    painter.save();
    painter.setClipRect(m_rcUnit);
    painter.fillPath(unit, ToQColor(m_CaptionColor));
    painter.restore();
  }

  if (m_bUnderline) {
    painter.setPen(QPen(ToQColor(m_UnderlineColor), 1.0));
    painter.drawLine(QPointF(0, h - 1), QPointF(w, h - 1));
  }
  painter.end();
  return image;
}

void CSpecDisplay::paintEvent(QPaintEvent* event) {
  if (!m_bReady) {
    QWidget::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

void CSpecDisplay::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Layout();
  if (m_bReady) UpdateEditFont();
  update();
}

void CSpecDisplay::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  const QPointF at = event->position();
  if (m_dCaptionFraction < 1 && m_rcValue.contains(at)) {
    const QRect inset = m_bNoPanel ? m_rcValue.toRect()
                                   : m_rcValue.toRect().adjusted(m_nValueRadius, m_nValueRadius,
                                                                 -m_nValueRadius, -m_nValueRadius);
    if (m_bEditable && m_pEdit) {
      OpenInPlaceEdit(m_pEdit, inset, m_strValue);
      m_bEditing = true;
    } else if (m_bListMode && m_pList) {
      m_pList->setGeometry(inset);
      m_pList->show();
      m_pList->setFocus();
      m_bListShown = true;
      m_pList->showPopup();
    } else if (m_bNumeric && m_bColourChoice && m_ChooseColour) {
      const std::optional<ColorRef> chosen = m_ChooseColour(m_ValueTextColor);
      if (chosen) {
        m_ValueTextColor = *chosen;
        if (m_pFnd) {
          m_pFnd->SetColor(*chosen);
          m_pFnd->update();
        }
        repaint();
        emit notify(m_nId, kColourChosen);
        return;
      }
    }
  }
  emit notify(m_nId, kClick);
}

void CSpecDisplay::FinishEdit() {
  if (!m_bEditing || !m_pEdit) return;
  m_bEditing = false;
  m_pEdit->hide();
  m_strValue = m_pEdit->text();
  update();
  emit notify(m_nId, kEditDone);
}

void CSpecDisplay::ListSelected(int index) {
  if (!m_pList || index < 0) return;
  m_bListShown = false;
  m_pList->hide();
  m_strValue = m_pList->itemText(index);
  update();
  emit notify(m_nId, kEditDone);
}

bool CSpecDisplay::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_pEdit && event->type() == QEvent::FocusOut) FinishEdit();
  return QWidget::eventFilter(watched, event);
}

}  // namespace ws
