#include "dialogs/colour_swatch.h"

#include <QPainter>

#include "core/colour_math.h"

namespace ws {
namespace {

QColor ToQColor(uint32_t c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

}  // namespace

CColourSwatch::CColourSwatch(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

uint32_t CColourSwatch::LabelColourNow() const {
  return m_LabelMode == LabelColour::kInverse ? ColorInvert(m_Colour) : m_LabelColour;
}

QSize CColourSwatch::sizeHint() const { return QSize(48, 22); }

void CColourSwatch::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, ToQColor(m_Colour));
  // A sunken edge, as the static boxes of the dialog have.
  p.setPen(palette().color(QPalette::Dark));
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(palette().color(QPalette::Light));
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  if (!m_Label.isEmpty()) {
    p.setPen(ToQColor(LabelColourNow()));
    p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, m_Label);
  }
}

}  // namespace ws
