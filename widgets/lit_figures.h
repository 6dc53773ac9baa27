// What the LED-style readouts share: their flat framed face, and filling a text
// outline the way they light it: figure by figure, an optional glow behind each,
// then a radial fill from the centre colour to the edge.
#pragma once

#include <QImage>
#include <QPainterPath>

#include "core/colour_math.h"

class QPainter;

namespace ws {

// A w x h image in the background colour inside a one-pixel frame: the top and left
// edges are the background lightened by `topLeftDelta`, the bottom and right edges
// (which take the two far corners) lightened by `bottomRightDelta`.
QImage ReadoutFace(int w, int h, ColorRef background, int topLeftDelta, int bottomRightDelta);

void FillLitFigures(QPainter& painter, const QPainterPath& outline, bool glow,
                    ColorRef centreColour, ColorRef edgeColour);

}  // namespace ws
