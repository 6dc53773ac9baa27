#include "widgets/lit_figures.h"

#include <QPainter>

#include "widgets/draw_toolkit.h"

namespace ws {

void FillLitFigures(QPainter& painter, const QPainterPath& outline, bool glow,
                    ColorRef centreColour, ColorRef edgeColour) {
  if (outline.isEmpty()) return;
  for (const QPainterPath& figure : SplitFigures(outline)) {
    if (glow) FillGlowAuto(painter, figure, edgeColour);
    FillRadial(painter, figure, centreColour, edgeColour);
  }
}

}  // namespace ws
