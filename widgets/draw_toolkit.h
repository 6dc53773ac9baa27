// The drawing toolkit shared by every owner-drawn widget: path shapes, the
// instrument fills (radial fills and glows), bevels, text outlines and rotated
// text. Free functions with no state; they draw on the QPainter they are given.
#pragma once

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

#include "core/colour_math.h"

class QFont;
class QPainter;

namespace ws {

// Widget colour (0x00BBGGRR) to a QColor with the given alpha.
QColor ToQColor(ColorRef colour, int alpha = 255);
// Drawing colour (0xAARRGGBB) to a QColor.
QColor ArgbToQColor(Argb argb);

// Appends one rounded-rectangle figure (corner circles of radius r) to path. The
// figure is left open: callers close it (closeSubpath) or fill it.
void AddRoundRectPath(qreal r, QPainterPath& path, qreal left, qreal top, qreal right,
                      qreal bottom);

// One-pixel bevel: light colour on the left and top edges, dark colour on the bottom
// and right edges. A light first colour looks raised, a dark one sunken.
void Draw3dFrame(QPainter& painter, ColorRef light, qreal left, qreal top, qreal right,
                 qreal bottom, ColorRef dark);

// The ring sector between radii r1 and r2 from angle a1 to a2 (degrees, clockwise on
// screen since y grows downward), filled and outlined with opaque colours.
void FillAnnularSector(QPainter& painter, float cx, float cy, float r1, float r2, float a1,
                       float a2, ColorRef fill, ColorRef outline);

// Bounds of a path in whole pixels (floor of the minimum, ceiling of the maximum).
QRect IntegerBounds(const QPainterPath& path);

// Box over the path's points (control points included) with the historical
// starting extremes: 0 for the maxima and 10,000 for the minima.
QRectF PointBounds(const QPainterPath& path);

// A brush that blends from centreColour at `centre` to surround at the edge of `box`,
// the closest Qt twin of a path-gradient brush: a radial gradient stretched to the box.
QBrush PathGradientBrush(QPointF centre, const QRectF& box, const QColor& centreColour,
                         const QColor& surround);

// Fills the path from centreColour at the centre of its integer bounds to edgeColour
// at its edge.
void FillRadial(QPainter& painter, const QPainterPath& path, ColorRef centreColour,
                ColorRef edgeColour);
// The same with the colours the other way round: edgeColour first.
void FillRadialInverse(QPainter& painter, const QPainterPath& path, ColorRef edgeColour,
                       ColorRef centreColour);

// Glows: the path is scaled about a centre point and filled with a gradient from the
// opaque colour in the centre to transparent at the scaled edge. The input path is
// never changed; degenerate figures (zero size, non-finite factors) draw nothing.

// The scale FillGlowAuto uses for a box of w x h: (1.8, 1.8) when the sides differ by
// less than 10, (1.8, 1.5) when the box is taller than wide, (1.5, 1.8) otherwise.
QPointF GlowAutoScale(qreal w, qreal h);
void FillGlowAuto(QPainter& painter, const QPainterPath& path, ColorRef colour);
void FillGlowUniform(ColorRef colour, QPainter& painter, const QPainterPath& path, float scale);
// Grows the figure by k pixels in total on each axis.
void FillGlowGrow(ColorRef colour, QPainter& painter, const QPainterPath& path, float k);
// The shorter side is scaled by k; the longer side by the smallest 1 + 0.1 n (n >= 1)
// that makes it grow more than the shorter side. Empty when the figure has a zero side
// or k is not finite (the search would never end).
std::optional<QPointF> GlowMatchedScale(int w, int h, float k);
void FillGlowMatched(ColorRef colour, QPainter& painter, const QPainterPath& path, float k);

// Text style bits for AddStringPath.
enum TextStyle { kTextRegular = 0, kTextBold = 1, kTextItalic = 2 };

// A font of `family` at a fractional em size in pixels, unhinted and without
// fallback to other families (a glyph the font lacks stays empty).
QFont MakeFont(const QString& family, qreal emPixels, int style = kTextRegular);

// Adds text as an outline in `family` at em size emPixels. The layout origin works
// like a string format: the text's advance box is aligned horizontally to origin.x()
// (left, right or centre) and its line box vertically to origin.y() (top, bottom or
// centre). An empty family adds nothing.
void AddStringPath(QPainterPath& path, const QString& family, int style, qreal emPixels,
                   const QString& text, QPointF origin, Qt::Alignment align);

// Draws text with its layout origin at (x, y), aligned as `align` says, rotated about
// that origin by angle degrees. The painter's transform is reset afterwards.
void DrawRotatedString(QPainter& painter, const QFont& font, const QString& text,
                       Qt::Alignment align, const QBrush& brush, float x, float y, int angle);

// Splits an outline into its figures, each rebuilt and closed on its own: a move
// starts a figure, lines and cubic curves continue it, and a figure that ended on a
// line is closed with a line back to its start.
std::vector<QPainterPath> SplitFigures(const QPainterPath& path);

// A PNG picture from the program's resources (":/png/<id>.png"); a null image when
// it is missing or cannot be decoded, which callers skip.
QImage LoadPngResource(int id);
QImage LoadPngResource(const QString& resourcePath);

}  // namespace ws
