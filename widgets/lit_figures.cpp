#include "widgets/lit_figures.h"

#include <QPainter>

#include "widgets/draw_toolkit.h"

namespace ws {

QImage ReadoutFace(int w, int h, ColorRef background, int topLeftDelta, int bottomRightDelta) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(ToQColor(background));
  QPainter painter(&image);
  const QColor light = ToQColor(ColorAdd(background, topLeftDelta));
  const QColor lighter = ToQColor(ColorAdd(background, bottomRightDelta));
  painter.fillRect(0, 0, w, 1, light);
  painter.fillRect(0, 0, 1, h, light);
  painter.fillRect(0, h - 1, w, 1, lighter);
  painter.fillRect(w - 1, 0, 1, h, lighter);
  return image;
}

void FillLitFigures(QPainter& painter, const QPainterPath& outline, bool glow,
                    ColorRef centreColour, ColorRef edgeColour) {
  if (outline.isEmpty()) return;
  for (const QPainterPath& figure : SplitFigures(outline)) {
    if (glow) FillGlowAuto(painter, figure, edgeColour);
    FillRadial(painter, figure, centreColour, edgeColour);
  }
}

}  // namespace ws
