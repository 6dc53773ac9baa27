// Painting of one grid cell, shared by the body (the delegate), the fixed row and
// column (the headers) and the corner, so that all cells look alike.
#pragma once

#include <QRect>
#include <QString>

#include "core/colour_math.h"

class QFontMetrics;
class QPainter;

namespace ws {

// Light grey lines between ordinary cells.
constexpr ColorRef kGridLineColour = 0xC0C0C0;
// The dark edge of a fixed cell's bevel.
constexpr ColorRef kFixedShadowColour = 0x808080;

// Text of a cell: one line, centred both ways; cut with an ellipsis when wider
// than the cell.
void PaintCellText(QPainter& painter, const QRect& cell, const QString& text, ColorRef colour);

// Whether PaintCellText shows the text whole in that cell.
bool CellTextFits(const QFontMetrics& metrics, const QRect& cell, const QString& text);

// A fixed (heading) cell: filled, raised bevel, centred text.
void PaintFixedCell(QPainter& painter, const QRect& cell, const QString& text, ColorRef fill,
                    ColorRef textColour);

}  // namespace ws
