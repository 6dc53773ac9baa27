// Filling a text outline the way the LED readouts light it: figure by figure, an
// optional glow behind each, then a radial fill from the centre colour to the edge.
#pragma once

#include <QPainterPath>

#include "core/colour_math.h"

class QPainter;

namespace ws {

void FillLitFigures(QPainter& painter, const QPainterPath& outline, bool glow,
                    ColorRef centreColour, ColorRef edgeColour);

}  // namespace ws
