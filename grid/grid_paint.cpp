#include "grid/grid_paint.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>

namespace ws {

namespace {

QColor ToColour(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

// Room left free at either side of a cell's text.
constexpr int kTextMargin = 2;

}  // namespace

bool CellTextFits(const QFontMetrics& metrics, const QRect& cell, const QString& text) {
  return metrics.horizontalAdvance(text) <= cell.width() - 1 - 2 * kTextMargin;
}

void PaintCellText(QPainter& painter, const QRect& cell, const QString& text, ColorRef colour) {
  if (text.isEmpty()) return;
  const QRect area = cell.adjusted(kTextMargin, 0, -kTextMargin, 0);
  if (area.width() <= 0) return;
  const QFontMetrics metrics(painter.font());
  QString shown = text;
  // Line breaks would make a second line: a cell shows one.
  if (shown.contains(QLatin1Char('\n')) || shown.contains(QLatin1Char('\r'))) {
    shown.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  }
  if (metrics.horizontalAdvance(shown) > area.width()) {
    shown = metrics.elidedText(shown, Qt::ElideRight, area.width());
  }
  painter.setPen(ToColour(colour));
  painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, shown);
}

void PaintFixedCell(QPainter& painter, const QRect& cell, const QString& text, ColorRef fill,
                    ColorRef textColour) {
  painter.fillRect(cell, ToColour(fill));
  painter.setPen(QColor(255, 255, 255));
  painter.drawLine(cell.topLeft(), cell.topRight());
  painter.drawLine(cell.topLeft(), cell.bottomLeft());
  painter.setPen(ToColour(kFixedShadowColour));
  painter.drawLine(cell.topRight(), cell.bottomRight());
  painter.drawLine(cell.bottomLeft(), cell.bottomRight());
  PaintCellText(painter, cell, text, textColour);
}

}  // namespace ws
