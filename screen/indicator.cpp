#include "screen/indicator.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "core/format_fixed.h"
#include "widgets/draw_toolkit.h"
#include "widgets/fnd.h"
#include "widgets/lcd.h"

namespace ws {

namespace {

// Digit colour from a body colour: dark channels lifted by half the range,
// bright ones saturated, so every body colour gives readable digits on black.
ColorRef DigitColourOf(ColorRef c) {
  auto lift = [](int v) { return v < 128 ? v + 128 : 255; };
  return Rgb(lift(RedOf(c)), lift(GreenOf(c)), lift(BlueOf(c)));
}

ColorRef EdgeColourOf(ColorRef c) {
  auto drop = [](int v) { return std::max(v - 64, 0); };
  return Rgb(drop(RedOf(c)), drop(GreenOf(c)), drop(BlueOf(c)));
}

}  // namespace

CIndicator::CIndicator(int id, QWidget* parent) : QWidget(parent), m_nId(id) {
  setFocusPolicy(Qt::TabFocus);
}

void CIndicator::Setup(const QString& title, const QString& caption, bool partner, bool checkBox,
                       bool glow, int decimals) {
  m_bPartner = partner;
  setWindowTitle(title);
  m_strTitle = title;
  m_strCaption = caption;

  if (!m_pFnd) m_pFnd = new CFnd(this);
  m_pFnd->setObjectName(QString::number(m_nId + 2));
  m_pFnd->Init(glow, decimals);
  // The tile answers clicks on the value area itself.
  m_pFnd->setAttribute(Qt::WA_TransparentForMouseEvents);
  // The readout fills its whole rectangle: a new value repaints the readout
  // alone, not the tile and the panel beneath it.
  m_pFnd->setAttribute(Qt::WA_OpaquePaintEvent);

  if (!m_pLcd) m_pLcd = new CLcd(this);
  m_pLcd->setObjectName(QString::number(m_nId + 3));
  m_pLcd->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_pLcd->setAttribute(Qt::WA_OpaquePaintEvent);
  m_pLcd->SetText(QStringLiteral("0"));
  m_pLcd->hide();

  if (!m_pScale) {
    m_pScale = new QComboBox(this);
    for (int i = 0; i <= 54; ++i) {
      m_pScale->addItem(QString::fromStdString(FormatC("%3.1f", 10.0 + 0.5 * i)));
    }
    m_pScale->setCurrentIndex(0);
    connect(m_pScale, &QComboBox::currentIndexChanged, this,
            [this](int) { emit notify(m_nId, kScaleChanged); });
  }
  m_pScale->hide();

  if (checkBox && !m_pCheck) {
    m_pCheck = new QCheckBox(this);
    m_pCheck->setChecked(true);
    connect(m_pCheck, &QCheckBox::clicked, this,
            [this](bool on) { emit notify(m_nId, on ? kCheckOn : kCheckOff); });
  }

  m_BodyColor = 0xFFFFFF;
  m_nDisplayMode = 0;
  m_nCornerRadius = 5;
  m_nFrameWidth = 1;
  m_bColourPicking = true;
  m_dValueScale = 1.0;
  m_bCreated = true;
  Layout();
}

void CIndicator::SetProportions(double labelFraction, double valueFraction, double partner1,
                                double partner2, double titleSize, double valueSize,
                                double captionSize) {
  m_dLabelFraction = labelFraction;
  m_dValueFraction = valueFraction;
  m_dPartner1 = partner1;
  m_dPartner2 = partner2;
  m_dTitleSize = titleSize;
  m_dValueSize = valueSize;
  m_dCaptionSize = captionSize;
  if (m_pFnd) m_pFnd->m_SizeFraction = valueSize;
  Layout();
}

void CIndicator::SetBodyColour(ColorRef colour) {
  m_BodyColor = colour;
  const ColorRef digit = DigitColourOf(colour);
  const ColorRef edge = EdgeColourOf(colour);
  if (m_pFnd && (m_pFnd->m_DigitColor != digit || m_pFnd->m_EdgeColor != edge || m_pFnd->m_BackColor != 0)) {
    m_pFnd->update();
  }
  if (m_pFnd) {
    m_pFnd->m_DigitColor = digit;
    m_pFnd->m_EdgeColor = edge;
    m_pFnd->m_BackColor = 0x000000;
  }
  if (m_pLcd) {
    m_pLcd->m_DigitColor = digit;
    m_pLcd->m_EdgeColor = edge;
    m_pLcd->m_BackColor = 0x000000;
  }
}

void CIndicator::ShowValue(double v) {
  if (!m_pFnd) return;
  CFnd& fnd = *m_pFnd;
  // A hundred tiles take a value twice a second each: the readout is redrawn
  // only when what it shows changes, and with the next paint of the window
  // rather than at once.
  const QString before = fnd.DisplayText();
  const bool flagged = fnd.m_bError || fnd.m_bOver;
  fnd.m_Value = v * m_dValueScale;
  fnd.m_bError = false;
  fnd.m_bOver = false;
  if (flagged || fnd.DisplayText() != before) fnd.update();
}

void CIndicator::Layout() {
  if (!m_bCreated) return;
  const QRect r = rect();
  const int w = r.width();
  m_rcLabel = QRect(QPoint(r.left() + 1, r.top()),
                    QPoint(r.left() + 1 + static_cast<int>(w * m_dLabelFraction), r.bottom()));
  const int valueLeft = m_rcLabel.right() + 2;
  m_rcValue = QRect(valueLeft, r.top() + 2, static_cast<int>(w * m_dValueFraction),
                    std::max(0, r.height() - 4));
  if (m_dMaxValueAspect > 0) {
    const int limit = static_cast<int>(m_rcValue.width() * m_dMaxValueAspect);
    if (m_rcValue.height() > limit) {
      m_rcValue.moveTop(m_rcValue.top() + (m_rcValue.height() - limit) / 2);
      m_rcValue.setHeight(limit);
    }
  }
  m_rcCaption = QRect(QPoint(m_rcValue.right() + 2, m_rcValue.top()), QPoint(r.right(), m_rcValue.bottom()));
  if (m_pFnd) m_pFnd->setGeometry(m_rcValue);
  if (m_pLcd) m_pLcd->setGeometry(m_rcValue);
  if (m_pScale) m_pScale->setGeometry(m_rcValue.left(), r.top() + 12, m_rcValue.width(), m_pScale->sizeHint().height());
  if (m_pCheck) m_pCheck->setGeometry(m_rcValue.left() - 4 - 13 - 13, r.top() + 2, 13, 13);
}

QImage CIndicator::Render() {
  const int w = std::max(1, width());
  const int h = std::max(1, height());
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPainterPath body;
  AddRoundRectPath(m_nCornerRadius, body, 0, 0, w - 1, h - 1);
  body.closeSubpath();
  QLinearGradient gradient(0, 0, 0, h);
  gradient.setColorAt(0.0, ToQColor(m_GradTop));
  gradient.setColorAt(1.0, ToQColor(m_GradBottom));
  painter.fillPath(body, gradient);
  painter.strokePath(body, QPen(ToQColor(m_FrameColor), m_nFrameWidth));

  if (!m_strTitle.isEmpty() && m_rcLabel.width() > 0) {
    painter.save();
    painter.setClipRect(m_rcLabel);
    QPainterPath title;
    AddStringPath(title, m_strFontFamily, kTextRegular, h * m_dTitleSize, m_strTitle,
                  QPointF(m_rcLabel.center().x() + 0.5, m_rcLabel.center().y() + 0.5), Qt::AlignCenter);
    painter.fillPath(title, ToQColor(m_TitleColor));
    painter.restore();
  }
  if (!m_strCaption.isEmpty() && m_rcCaption.width() > 0) {
    painter.save();
    painter.setClipRect(m_rcCaption);
    QPainterPath caption;
    AddStringPath(caption, m_strFontFamily, kTextRegular, h * m_dCaptionSize, m_strCaption,
                  QPointF(m_rcCaption.center().x() + 0.5, m_rcCaption.bottom()),
                  Qt::AlignHCenter | Qt::AlignBottom);
    painter.fillPath(caption, ToQColor(m_CaptionColor));
    painter.restore();
  }
  painter.end();
  return image;
}

void CIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

void CIndicator::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Layout();
}

void CIndicator::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (m_pFnd) m_pFnd->setVisible(m_nDisplayMode == 0);
  if (m_pLcd) m_pLcd->setVisible(m_nDisplayMode == 1);
}

void CIndicator::ClickAt(QPoint at) {
  if (m_rcValue.contains(at)) {
    if (!m_bColourPicking) {
      emit notify(m_nId, kValueClick);
      return;
    }
    const QColor chosen = QColorDialog::getColor(ToQColor(m_BodyColor), this);
    if (!chosen.isValid()) return;
    SetBodyColour(Rgb(chosen.red(), chosen.green(), chosen.blue()));
    update();
    if (m_pFnd) m_pFnd->update();
    emit notify(m_nId, kColourPicked);
  } else if (m_rcLabel.contains(at) && !m_bColourPicking) {
    emit notify(m_nId, kLabelClick);
  }
}

void CIndicator::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) ClickAt(event->position().toPoint());
  QWidget::mousePressEvent(event);
}

void CIndicator::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit notify(m_nId, kDoubleClick);
}

}  // namespace ws
