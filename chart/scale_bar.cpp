#include "chart/scale_bar.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "chart/axis_labels.h"
#include "chart/setting.h"
#include "chart/vertex_decimation.h"
#include "widgets/draw_toolkit.h"

namespace ws {

namespace {

const QString kFontFamily = QStringLiteral("돋움체");

ColorRef ButtonFace() {
  const QColor c = QApplication::palette().color(QPalette::Button);
  return Rgb(c.red(), c.green(), c.blue());
}

bool ValidRange(double minimum, double maximum) {
  return std::isfinite(minimum) && std::isfinite(maximum) && minimum < maximum;
}

}  // namespace

CScaleBar::CScaleBar(const QString& title, QWidget* parent)
    : QWidget(parent), m_BackColor(ButtonFace()), m_strTitle(title) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CScaleBar::Initialise(int divisions, ColorRef titleColour, bool vertical, double minimum,
                           double maximum) {
  m_nDivisions = divisions;
  m_TitleColor = titleColour;
  m_bVertical = vertical;
  m_dMin = minimum;
  m_dMax = maximum;
  m_nDecimals = 1;
  m_nRotation = -90;
  m_bDragging = false;
  m_LastDrag = QPoint();
  m_bInitialised = true;
  update();
}

void CScaleBar::SetRange(double minimum, double maximum) {
  m_dMin = minimum;
  m_dMax = maximum;
  if (m_bInitialised) update();
}

void CScaleBar::SetTitle(const QString& title) {
  m_strTitle = title;
  update();
}

int CScaleBar::Length() const { return m_bVertical ? height() : width(); }

QRect CScaleBar::MaxStrip() const {
  const int s = Length() / 20;
  return m_bVertical ? QRect(0, 0, width(), s) : QRect(width() - s, 0, s, height());
}

QRect CScaleBar::MinStrip() const {
  const int s = Length() / 20;
  return m_bVertical ? QRect(0, height() - s, width(), s) : QRect(0, 0, s, height());
}

QRect CScaleBar::ScreenRect() const { return QRect(mapToGlobal(QPoint(0, 0)), size()); }

QImage CScaleBar::Render() {
  QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
  image.fill(ToQColor(m_BackColor));
  QPainter painter(&image);
  painter.setPen(m_bHovered ? Qt::white : Qt::black);
  painter.drawRect(0, 0, width() - 1, height() - 1);
  if (width() < 2 || height() < 2) return image;  // no room for any text
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  if (m_nDivisions < 1) m_nDivisions = 1;
  DrawTitle(painter);
  if (m_bVertical) {
    DrawVerticalLabels(painter);
  } else {
    DrawTimeLabels(painter);
  }
  return image;
}

void CScaleBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!m_bInitialised) {
    painter.fillRect(rect(), palette().color(QPalette::Window));
    return;
  }
  painter.drawImage(0, 0, Render());
}

void CScaleBar::DrawTitle(QPainter& painter) {
  const int w = width();
  const int h = height();
  const QBrush brush(ToQColor(m_TitleColor));
  const QFont font = MakeFont(kFontFamily, 0.25 * (m_bVertical ? w : h), kTextBold);
  if (m_bVertical) {
    DrawRotatedString(painter, font, m_strTitle, Qt::AlignHCenter | Qt::AlignVCenter, brush,
                      w / 5, h / 2, -90);
  } else {
    DrawRotatedString(painter, font, m_strTitle, Qt::AlignHCenter | Qt::AlignBottom, brush,
                      w / 2, h - 5, 0);
  }
}

void CScaleBar::DrawVerticalLabels(QPainter& painter) {
  const int w = width();
  const int n = m_nDivisions;
  const double v = (m_dMax - m_dMin) / n + 1.0e-8;
  const double p = static_cast<double>(Length()) / n;
  const QFont font = MakeFont(kFontFamily, w / 5.0);
  const QBrush brush(ToQColor(m_LabelColor));
  for (int k = 0; k <= n; ++k) {
    double y = k * p;
    if (k == 0) y = w / 7;
    if (k == n) y = n * p - w / 10;
    DrawRotatedString(painter, font, FormatAxisNumber(m_nDecimals, m_dMax - k * v),
                      Qt::AlignRight | Qt::AlignVCenter, brush, w - 2, static_cast<float>(y), 0);
  }
}

void CScaleBar::DrawTimeLabels(QPainter& painter) {
  const int w = width();
  const int h = height();
  const int n = m_nDivisions;
  const double p = static_cast<double>(Length()) / n;
  const QFont font = MakeFont(kFontFamily, h / 5.0);
  const QBrush brush(ToQColor(m_LabelColor));
  const TimeAxis axis{m_bDateLabels, m_StartTime, m_dMultiplier, m_dMin, m_dMax};
  for (int k = 0; k <= n; ++k) {
    double x;
    double value;
    if (k == 0) {
      x = h / 5;
      value = std::trunc(m_dMultiplier * m_dMin);
    } else if (k == n) {
      x = w - h / 10;
      value = std::trunc(m_dMultiplier * m_dMax);
    } else {
      x = p * k;
      value = (m_dMax - (m_dMax - m_dMin) / n * (n - k)) * m_dMultiplier;
    }
    DrawRotatedString(painter, font, FormatTimeLabel(axis, value),
                      Qt::AlignRight | Qt::AlignVCenter, brush, static_cast<float>(x), 2,
                      m_nRotation);
  }
}

void CScaleBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  update();
}

bool CScaleBar::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const QRect maxStrip = MaxStrip();
    const QRect minStrip = MinStrip();
    if (maxStrip.contains(help->pos())) {
      QToolTip::showText(help->globalPos(), QStringLiteral("MAX"), this, maxStrip);
    } else if (minStrip.contains(help->pos())) {
      QToolTip::showText(help->globalPos(), QStringLiteral("MIN"), this, minStrip);
    } else {
      QToolTip::hideText();
      event->ignore();
    }
    return true;
  }
  return QWidget::event(event);
}

bool CScaleBar::ShiftBy(double delta) {
  if (!ValidRange(m_dMin - delta, m_dMax - delta)) return false;
  m_dMin -= delta;
  m_dMax -= delta;
  return true;
}

void CScaleBar::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (!m_bDragging) {
    if (MaxStrip().contains(pos) || MinStrip().contains(pos)) {
      setCursor(Qt::PointingHandCursor);
    } else {
      unsetCursor();
    }
    return;
  }
  setCursor(Qt::PointingHandCursor);
  const int d = m_bVertical ? m_LastDrag.y() - pos.y() : pos.x() - m_LastDrag.x();
  m_LastDrag = pos;
  const int length = Length();
  if (length <= 0 || d == 0) return;
  if (!ShiftBy((m_dMax - m_dMin) / length * d)) return;
  update();
  emit notify(m_nId, kScaleShifted);
}

void CScaleBar::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    if (MaxStrip().contains(pos)) {
      setCursor(Qt::PointingHandCursor);
      EditLimit(true);
    } else if (MinStrip().contains(pos)) {
      setCursor(Qt::PointingHandCursor);
      EditLimit(false);
    } else if (m_bDragEnabled) {
      setCursor(Qt::PointingHandCursor);
      m_bDragging = true;
      m_LastDrag = pos;
    }
  } else if (event->button() == Qt::MiddleButton && m_bDragEnabled) {
    setCursor(Qt::PointingHandCursor);
    m_bDragging = true;
    m_LastDrag = pos;
  }
}

void CScaleBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton) return;
  setCursor(Qt::PointingHandCursor);
  m_bDragging = false;
  emit notify(m_nId, kScaleDragEnded);
  if (event->button() == Qt::LeftButton) update();
}

void CScaleBar::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (!m_bDragEnabled) return;
  const int length = Length();
  if (length <= 0) return;
  const QPoint pos = event->position().toPoint();
  const double u = (m_dMax - m_dMin) / length;
  double dmax;
  double dmin;
  if (m_bVertical) {
    dmax = pos.y() * u / 10;
    dmin = (height() - pos.y()) * u / 10;
  } else {
    dmax = (width() - pos.x()) * u / 10;
    dmin = pos.x() * u / 10;
  }
  if (event->angleDelta().y() > 0) {
    dmax = -dmax;
    dmin = -dmin;
  }
  if (!ValidRange(m_dMin - dmin, m_dMax + dmax)) return;
  m_dMin -= dmin;
  m_dMax += dmax;
  update();
  emit notify(m_nId, kScaleWheelZoom);
}

void CScaleBar::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  m_bHovered = true;
  update();
  setFocus(Qt::MouseFocusReason);
}

void CScaleBar::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  m_bDragging = false;
  m_bHovered = false;
  update();
}

void CScaleBar::EditLimit(bool maximum) {
  CSetting editor(this);
  const CSetting::End end = m_bVertical
                                ? (maximum ? CSetting::kMaxOfVertical : CSetting::kMinOfVertical)
                                : (maximum ? CSetting::kMaxOfHorizontal : CSetting::kMinOfHorizontal);
  const double limit = maximum ? m_dMax : m_dMin;
  editor.Setup(ScreenRect(), end, m_nDecimals, QString(), true, limit * m_dMultiplier);
  if (editor.exec() == QDialog::Accepted) ApplyLimitText(maximum, editor.ValueText());
}

bool CScaleBar::ApplyLimitText(bool maximum, const QString& text) {
  const std::optional<double> typed = ParseLimitText(text, m_bTimeAxis);
  if (!typed) return false;
  const double limit = *typed / m_dMultiplier;
  const double newMin = maximum ? m_dMin : limit;
  const double newMax = maximum ? limit : m_dMax;
  if (!ValidRange(newMin, newMax)) return false;
  m_dMin = newMin;
  m_dMax = newMax;
  update();
  emit notify(m_nId, maximum ? kScaleMaxEdited : kScaleMinEdited);
  return true;
}

}  // namespace ws
