#include "screen/indicator.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontMetrics>
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

// Black on light body colours, white on dark ones (by perceived brightness).
ColorRef BadgeTextColourOf(ColorRef c) {
  const int luma = (299 * RedOf(c) + 587 * GreenOf(c) + 114 * BlueOf(c)) / 1000;
  return luma > 140 ? 0x000000 : 0xFFFFFF;
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
  // The footer takes its strip off the bottom first; the readout never reaches
  // into it. A strip too low to read is not drawn at all.
  int line = 0;
  if (m_dFooterFraction > 0.0) {
    line = std::clamp(static_cast<int>(r.height() * m_dFooterFraction), kMinFooter, kMaxFooter);
    line = std::min(line, r.height() / 3);
    if (line < kMinFooter - 2) line = 0;
  }
  m_rcLabel = QRect(QPoint(r.left() + 1, r.top()),
                    QPoint(r.left() + 1 + static_cast<int>(w * m_dLabelFraction), r.bottom()));
  const int valueLeft = m_rcLabel.right() + 2;
  m_rcValue = QRect(valueLeft, r.top() + 2, static_cast<int>(w * m_dValueFraction),
                    std::max(0, r.height() - 4 - line));
  const int limit = m_dMaxValueAspect > 0 ? static_cast<int>(m_rcValue.width() * m_dMaxValueAspect) : m_rcValue.height();
  // A narrow tile would leave its title a few letters beside the state word:
  // where the tile has the height, the title gets a line of its own. Judged by
  // the widest word, so that the readout does not move as the state changes.
  m_nFooterLines = 1;
  if (line > 0 && m_rcValue.height() - limit >= line + 1) {
    m_nFooterFontPixels = FooterFontPixelsFor(line);
    const QString widest = m_strWidestStateWord.isEmpty() ? m_strStateWord : m_strWidestStateWord;
    if (BadgeWidth(widest) * 2 > w - 8) {
      m_nFooterLines = 2;
      m_rcValue.setHeight(m_rcValue.height() - line - 1);
    }
  }
  const int footer = line * m_nFooterLines + (m_nFooterLines - 1);
  int footerTop = r.bottom() - footer;
  if (m_rcValue.height() > limit) {
    // The readout and the footer under it stay together, centred in the tile.
    const int spare = m_rcValue.height() - limit;
    m_rcValue.moveTop(m_rcValue.top() + spare / 2);
    m_rcValue.setHeight(limit);
    if (line > 0) footerTop -= spare - spare / 2;
  }
  m_rcFooter = line > 0 ? QRect(r.left() + 4, footerTop, std::max(0, w - 8), footer) : QRect();
  m_nFooterLineHeight = line;
  LayoutFooter();
  m_rcCaption = QRect(QPoint(m_rcValue.right() + 2, m_rcValue.top()), QPoint(r.right(), m_rcValue.bottom()));
  if (m_pFnd) m_pFnd->setGeometry(m_rcValue);
  if (m_pLcd) m_pLcd->setGeometry(m_rcValue);
  if (m_pScale) m_pScale->setGeometry(m_rcValue.left(), r.top() + 12, m_rcValue.width(), m_pScale->sizeHint().height());
  if (m_pCheck) m_pCheck->setGeometry(m_rcValue.left() - 4 - 13 - 13, r.top() + 2, 13, 13);
}

int CIndicator::FooterFontPixelsFor(int line) { return std::max(7, static_cast<int>(line * 0.75)); }

QFont CIndicator::FooterFont(bool bold) const {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(std::max(1, m_nFooterFontPixels));
  font.setBold(bold);
  return font;
}

int CIndicator::BadgeWidth(const QString& word) const {
  if (word.isEmpty()) return 0;
  const QFontMetrics bold(FooterFont(true));
  const int pad = std::max(2, m_nFooterFontPixels / 3);
  return bold.horizontalAdvance(word) + 2 * pad;
}

void CIndicator::LayoutFooter() {
  m_rcFooterTitle = QRect();
  m_rcStateWord = QRect();
  m_strFooterTitle.clear();
  m_nFooterFontPixels = 0;
  if (m_rcFooter.isEmpty()) return;
  const int line = m_nFooterLineHeight;
  m_nFooterFontPixels = FooterFontPixelsFor(line);
  const QRect lastLine(m_rcFooter.left(), m_rcFooter.bottom() - line + 1, m_rcFooter.width(), line);
  const QRect firstLine(m_rcFooter.left(), m_rcFooter.top(), m_rcFooter.width(), line);
  // The state word is what a colour-blind operator reads: it keeps its room,
  // and the title takes what is left beside it (or the line above), elided in
  // the middle: both the start of a title and a number at its end stay in view.
  QRect titleRoom = m_nFooterLines == 2 ? firstLine : lastLine;
  if (!m_strStateWord.isEmpty()) {
    const int wordWidth = std::min(BadgeWidth(m_strStateWord), lastLine.width());
    m_rcStateWord = QRect(lastLine.right() - wordWidth + 1, lastLine.top(), wordWidth, line);
    if (m_nFooterLines == 1) titleRoom.setRight(m_rcStateWord.left() - 1 - std::max(3, m_nFooterFontPixels / 2));
  }
  if (titleRoom.width() <= 0 || m_strTitle.isEmpty()) return;
  m_rcFooterTitle = titleRoom;
  const QFontMetrics regular(FooterFont(false));
  m_strFooterTitle = regular.elidedText(m_strTitle, Qt::ElideMiddle, m_rcFooterTitle.width());
}

void CIndicator::SetStateWord(const QString& word) {
  if (word == m_strStateWord) return;
  m_strStateWord = word;
  LayoutFooter();
  update();
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

  if (!m_strTitle.isEmpty() && m_dLabelFraction > 0.0 && m_rcLabel.width() > 0) {
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
  if (!m_rcFooter.isEmpty()) {
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (!m_strFooterTitle.isEmpty()) {
      painter.setFont(FooterFont(false));
      painter.setPen(ToQColor(m_TitleColor));
      painter.drawText(m_rcFooterTitle, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_strFooterTitle);
    }
    if (!m_rcStateWord.isEmpty()) {
      // A badge in the body colour: the word reads the same to everyone, and the
      // colour the operator knows stays beside it.
      painter.setPen(Qt::NoPen);
      painter.setBrush(ToQColor(m_BodyColor));
      painter.drawRoundedRect(QRectF(m_rcStateWord).adjusted(0, 1, 0, -1), 2, 2);
      painter.setFont(FooterFont(true));
      painter.setPen(ToQColor(BadgeTextColourOf(m_BodyColor)));
      painter.drawText(m_rcStateWord, Qt::AlignCenter | Qt::TextSingleLine, m_strStateWord);
    }
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
