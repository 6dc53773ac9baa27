// The icon renderer: paints one glyph of the icon font as separately filled
// figures, each with the gradient, glow and outline its IconStyle gives it.
#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QString>

#include "core/colour_math.h"
#include "widgets/icon_style.h"

class QPainter;

namespace ws {

// Everything DrawIconGlyph needs besides the font, the code and the painter.
struct IconGlyphOptions {
  float emSize = 0.0f;   // glyph em size in pixels
  float boxSize = 0.0f;  // side of the icon box (the glyph is stretched vertically
                         // by boxSize / emSize)
  float x = 0.0f;        // top-left of the icon box
  float y = 0.0f;
  float angle = 0.0f;    // degrees, clockwise on screen, about the box centre
  ColorRef colour1 = 0;  // first colour: the icon's own colour
  ColorRef colour2 = 0;  // second colour: the surface under the icon
  int outlineWidth = 0;  // outer outline pen width; 0 = none
  bool useOutlineColour = false;  // stroke in outlineColour unchanged
  ColorRef outlineColour = 0;
  bool customStyle = false;  // use `style` instead of the table row of the code
  IconStyle style{};
  bool grey = false;    // every colour turned to its luma grey (disabled look)
  bool mirror = false;  // mirrored vertically
  bool flip = false;    // mirrored vertically and turned by 180 degrees
  float dx = 0.0f;      // horizontal shift in pixels
  float ky = 0.0f;      // vertical shift as a fraction of the em size per box size
};

// The two colours a figure is filled with after the style's colour mode, and
// the outline colour, as the figure renderer derives them.
struct IconFigureColours {
  ColorRef a = 0;
  ColorRef b = 0;
  ColorRef outline = 0;
};
IconFigureColours DeriveFigureColours(const IconFillStyle& fill, const IconGlyphOptions& o);

// The glyph's outline in `family` as DrawIconGlyph lays it out (em size - 1,
// layout origin at the box's top-left, shifted by dx and ky), before the box
// transform. Empty when the family is empty or the font has no such glyph.
QPainterPath IconGlyphPath(const QString& family, int code, const IconGlyphOptions& o);

// The transform that turns, mirrors and flips the glyph about its box centre.
QTransform IconBoxTransform(const IconGlyphOptions& o);

// Draws glyph `code` of the icon font `family`. An empty family or a code the
// font lacks draws nothing (a missing font is reported once when fonts load).
// The painter's state is left as it was.
void DrawIconGlyph(const QString& family, int code, QPainter& painter,
                   const IconGlyphOptions& o);

// Paints one closed figure of a glyph as figure number `figureIndex` of the
// style: a fill type of 0 leaves no trace at all, figures 50 and beyond take
// style 0. The painter's state is left as it was.
void DrawIconFigure(QPainter& painter, const QPainterPath& figure, int figureIndex,
                    const IconStyle& style, const IconGlyphOptions& o);

// Fill kinds of the icon figures, usable on their own. Colours are ARGB.
// Linear gradient over (x, y, w * scale, h * scale) of the bounds at `angle`
// degrees, with a bell-shaped blend that peaks at `focus` (0..1).
void FillLinearSigma(QPainter& painter, const QPainterPath& path, Argb from, Argb to,
                     float scale, float angle, float focus);
// Ellipse inside the bounds, second colour in the centre (type 31).
void FillEllipseGlow(QPainter& painter, const QPainterPath& path, Argb first, Argb second,
                     float focusX, float focusY);
// Ellipse over the bounds extended towards one side by the selector, clipped to
// the bounds (type 32).
void FillQuadrantGlow(QPainter& painter, const QPainterPath& path, Argb first, Argb second,
                      int selector, float focusX, float focusY);
// Ellipse of twice the bounds centred on one corner by the selector, clipped to
// the bounds (type 33).
void FillCornerGlow(QPainter& painter, const QPainterPath& path, Argb first, Argb second,
                    int selector);

}  // namespace ws
