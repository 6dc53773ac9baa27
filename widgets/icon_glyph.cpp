#include "widgets/icon_glyph.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QRawFont>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "widgets/draw_toolkit.h"

// The icon font is compiled into the icons resource file. Resources linked from a
// static library are dropped unless something refers to them, so the renderer
// registers them itself before its first glyph.
static void InitIconResources() { Q_INIT_RESOURCE(icons); }

namespace ws {

namespace {

constexpr double kPi = 3.14159265358979323846;

QColor Q(Argb argb) { return ArgbToQColor(argb); }

QPointF IntegerCentre(const QRect& r) {
  return QPointF(r.x() + r.width() / 2, r.y() + r.height() / 2);
}

// A brush blending over an ellipse-like area around `centre`, stretched to the
// box: the stand-in for a path-gradient brush. Stops are given as (position from
// the edge, 0..1, where 1 is the centre; colour).
QBrush StretchedRadial(QPointF centre, const QRectF& box,
                       const std::vector<std::pair<double, QColor>>& stopsFromEdge) {
  QRadialGradient gradient(QPointF(0, 0), 1.0);
  for (const auto& [pos, colour] : stopsFromEdge) {
    gradient.setColorAt(std::clamp(1.0 - pos, 0.0, 1.0), colour);
  }
  gradient.setSpread(QGradient::PadSpread);
  QBrush brush(gradient);
  const qreal rx = std::max({centre.x() - box.left(), box.right() - centre.x(), 0.5});
  const qreal ry = std::max({centre.y() - box.top(), box.bottom() - centre.y(), 0.5});
  brush.setTransform(QTransform(rx, 0, 0, ry, centre.x(), centre.y()));
  return brush;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
  auto lerp = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                lerp(a.alpha(), b.alpha()));
}

// Path gradient with a triangular blend (0 at the edge, 1 at `focus`, 0 at the
// centre) and focus scales: the centre colour holds over the inner `inner`
// fraction of the radius.
QBrush TriangularPathGradient(QPointF centre, const QRectF& box, const QColor& centreColour,
                              const QColor& surround, double focus, double inner) {
  inner = std::isfinite(inner) ? std::clamp(inner, 0.0, 0.95) : 0.0;
  focus = std::isfinite(focus) ? std::clamp(focus, 0.0, 1.0) : 0.5;
  std::vector<std::pair<double, QColor>> stops;
  constexpr int kSteps = 8;
  for (int i = 0; i <= kSteps; ++i) {
    const double p = static_cast<double>(i) / kSteps;  // from the edge
    double f;
    if (p <= focus) {
      f = focus > 0 ? p / focus : 1.0;
    } else {
      f = focus < 1 ? (1.0 - p) / (1.0 - focus) : 1.0;
    }
    // Squeeze the blend outside the inner area where the centre colour holds.
    const double pos = p * (1.0 - inner);
    stops.emplace_back(pos, Mix(surround, centreColour, f));
  }
  if (inner > 0) stops.emplace_back(1.0, stops.back().second);
  return StretchedRadial(centre, box, stops);
}

// Bell-shaped rise from 0 at u = 0 to 1 at u = 1.
double BellRise(double u) {
  const double k = 4.0;
  return (std::erf((u - 0.5) * k) / std::erf(0.5 * k) + 1.0) / 2.0;
}

ColorRef MaybeGrey(ColorRef c, bool grey) { return grey ? ColorLumaGray(c) : c; }

// Cached outlines of icon glyphs at a reference size: the bars repaint on every
// hover change and the outline of a glyph never changes.
constexpr qreal kReferenceEm = 256.0;

const QPainterPath& ReferenceGlyph(const QString& family, int code) {
  static const bool registered = (InitIconResources(), true);
  (void)registered;
  static std::map<std::pair<QString, int>, QPainterPath> cache;
  const auto key = std::make_pair(family, code);
  auto it = cache.find(key);
  if (it == cache.end()) {
    QPainterPath path;
    // A code the icon font lacks stays empty (no fallback to another font's glyph).
    const QRawFont raw = QRawFont::fromFont(MakeFont(family, kReferenceEm));
    if (raw.isValid() && raw.supportsCharacter(QChar(code))) {
      AddStringPath(path, family, kTextRegular, kReferenceEm, QString(QChar(code)), QPointF(0, 0),
                    Qt::AlignLeft | Qt::AlignTop);
    }
    it = cache.emplace(key, path).first;
  }
  return it->second;
}

}  // namespace

void FillLinearSigma(QPainter& painter, const QPainterPath& path, Argb from, Argb to,
                     float scale, float angle, float focus) {
  const QRect b = IntegerBounds(path);
  if (b.isEmpty() || !std::isfinite(scale) || !std::isfinite(angle)) return;
  const QRectF r(b.x(), b.y(), b.width() * scale, b.height() * scale);
  const double a = angle * kPi / 180.0;
  const QPointF u(std::cos(a), std::sin(a));
  const double e = (std::abs(r.width() * u.x()) + std::abs(r.height() * u.y())) / 2.0;
  const QPointF c = r.center();
  QLinearGradient gradient(c - u * e, c + u * e);
  gradient.setSpread(QGradient::RepeatSpread);
  const QColor qa = Q(from);
  const QColor qb = Q(to);
  const double f = std::isfinite(focus) ? std::clamp<double>(focus, 0.0, 1.0) : 0.5;
  constexpr int kSteps = 6;
  if (f > 0) {
    for (int i = 0; i <= kSteps; ++i) {
      const double t = f * i / kSteps;
      gradient.setColorAt(t, Mix(qa, qb, BellRise(static_cast<double>(i) / kSteps)));
    }
  }
  if (f < 1) {
    for (int i = 0; i <= kSteps; ++i) {
      const double t = f + (1.0 - f) * i / kSteps;
      gradient.setColorAt(t, Mix(qa, qb, 1.0 - BellRise(static_cast<double>(i) / kSteps)));
    }
  }
  painter.fillPath(path, QBrush(gradient));
}

void FillEllipseGlow(QPainter& painter, const QPainterPath& path, Argb first, Argb second,
                     float focusX, float focusY) {
  const QRect b = IntegerBounds(path);
  if (b.isEmpty()) return;
  const int left = b.left();
  const int top = b.top();
  const int right = b.x() + b.width();
  const int bottom = b.y() + b.height();
  const int k = (right - (left + 1)) <= 64 ? 1 : 0;
  const QRect ellipse(left + 1, top + 1, right - left - 2 - k, bottom - top - 2 - k);
  if (ellipse.width() <= 0 || ellipse.height() <= 0) return;
  QPainterPath e;
  e.addEllipse(QRectF(ellipse));
  painter.fillPath(e, TriangularPathGradient(IntegerCentre(ellipse), ellipse, Q(second), Q(first),
                                             0.5, std::max(focusX, focusY)));
}

void FillQuadrantGlow(QPainter& painter, const QPainterPath& path, Argb first, Argb second,
                      int selector, float focusX, float focusY) {
  const QRect b = IntegerBounds(path);
  if (b.isEmpty()) return;
  QRect r = b;
  switch (selector) {
    case 0: r.setWidth(b.width() * 2); break;
    case 1: r.setHeight(b.height() * 2); break;
    case 2: r = QRect(2 * b.left() - (b.x() + b.width()), b.y(), b.width() * 2, b.height()); break;
    case 3: r = QRect(b.x(), 2 * b.top() - (b.y() + b.height()), b.width(), b.height() * 2); break;
    default: break;
  }
  QPainterPath e;
  e.addEllipse(QRectF(r));
  painter.save();
  painter.setClipRect(b, Qt::IntersectClip);
  painter.fillPath(e, TriangularPathGradient(IntegerCentre(r), r, Q(second), Q(first), 0.5,
                                             std::max(focusX, focusY)));
  painter.restore();
}

void FillCornerGlow(QPainter& painter, const QPainterPath& path, Argb first, Argb second,
                    int selector) {
  const QRect b = IntegerBounds(path);
  if (b.isEmpty()) return;
  const int w = b.width();
  const int h = b.height();
  QPoint corner;
  switch (selector) {
    case 0: corner = QPoint(b.x() + w, b.y() + h); break;
    case 1: corner = QPoint(b.x(), b.y() + h); break;
    case 2: corner = QPoint(b.x(), b.y()); break;
    case 3: corner = QPoint(b.x() + w, b.y()); break;
    default: corner = QPoint(w, h); break;  // ellipse's top-left at the origin
  }
  const QRect r(corner.x() - w, corner.y() - h, 2 * w, 2 * h);
  QPainterPath e;
  e.addEllipse(QRectF(r));
  painter.save();
  painter.setClipRect(b, Qt::IntersectClip);
  painter.fillPath(e, TriangularPathGradient(IntegerCentre(r), r, Q(second), Q(first), 0.5, 0.0));
  painter.restore();
}

IconFigureColours DeriveFigureColours(const IconFillStyle& fill, const IconGlyphOptions& o) {
  ColorRef p = o.colour1;
  ColorRef d = ColorScale(p, fill.factor1);
  switch (fill.colourMode % 50) {
    case 1:
      p = ColorScale(p, fill.factor1);
      d = ColorScale(p, 0.5f);
      break;
    case 2:
      p = o.colour2;
      d = o.colour2;
      break;
    case 3:
      p = ColorScale(o.colour2, fill.factor2);
      break;
    case 4:
      p = fill.ownColour;
      d = ColorScale(fill.ownColour, fill.factor1);
      break;
    case 6:
      d = ColorAdd(p, static_cast<int>(fill.factor1));
      break;
    case 7:
      p = ColorInvert(p);
      break;
    case 8:
      p = ColorGray(p);
      break;
    default:
      break;
  }
  IconFigureColours c;
  const bool swap = fill.colourMode >= 50;
  c.a = MaybeGrey(swap ? d : p, o.grey);
  c.b = MaybeGrey(swap ? p : d, o.grey);
  if (o.useOutlineColour) {
    c.outline = o.outlineColour;
  } else if (fill.outlineMode == 10) {
    c.outline = ColorScale(o.outlineColour, 0.5f);
  } else if (fill.outlineMode == 11) {
    c.outline = ColorScale(o.outlineColour, 1.0f);
  } else {
    c.outline = ColorScale(c.a, -0.1f);
  }
  c.outline = MaybeGrey(c.outline, o.grey);
  return c;
}

void DrawIconFigure(QPainter& painter, const QPainterPath& figure, int figureIndex,
                    const IconStyle& style, const IconGlyphOptions& o) {
  const IconFillStyle& fill = style.StyleForFigure(figureIndex);
  if (fill.fillType == 0) return;

  painter.save();
  if (o.emSize > 0 && std::isfinite(o.boxSize / o.emSize)) painter.scale(1.0, o.boxSize / o.emSize);

  const IconFigureColours c = DeriveFigureColours(fill, o);
  const QRect b = IntegerBounds(figure);
  if (fill.rotation != 0.0f && std::isfinite(fill.rotation)) {
    const double cx = b.x() + b.width() * 0.5;
    const double cy = b.y() + b.height() * 0.5;
    painter.translate(cx, cy);
    painter.rotate(fill.rotation);
    painter.translate(-(cx - 0.5), -(cy - 0.5));
  }

  const Argb a255 = ToArgbAlpha(255, c.a);
  const Argb b255 = ToArgbAlpha(255, c.b);
  switch (fill.fillType) {
    case 10:
      painter.fillPath(figure, Q(ToArgbAlpha(fill.alpha1, c.a)));
      break;
    case 20:
      FillLinearSigma(painter, figure, ToArgbAlpha(fill.alpha1, c.a), ToArgbAlpha(fill.alpha2, c.b),
                      fill.factor2, fill.paramB, fill.paramA);
      break;
    case 30: {
      if (b.isEmpty()) break;
      const ColorRef a1 = ColorScale(c.a, fill.factor1);
      const ColorRef a2 = ColorScale(c.a, fill.factor2);
      const double pa = std::isfinite(fill.paramA) ? std::clamp<double>(fill.paramA, 0, 1) : 0.3;
      const double pb = std::isfinite(fill.paramB) ? std::clamp<double>(fill.paramB, pa, 1) : 0.6;
      painter.fillPath(figure, StretchedRadial(IntegerCentre(b), b,
                                               {{0.0, ToQColor(ColorScale(a1, 0.0f))},
                                                {pa, ToQColor(ColorScale(a1, 0.3f))},
                                                {pb, ToQColor(a2)},
                                                {1.0, ToQColor(a2)}}));
      break;
    }
    case 31:
      FillEllipseGlow(painter, figure, a255, b255, fill.paramA, fill.paramB);
      break;
    case 32: {
      const bool sideways = o.angle == 90.0f || o.angle == 270.0f;
      FillQuadrantGlow(painter, figure, a255, b255, fill.alpha1, sideways ? fill.paramB : fill.paramA,
                       sideways ? fill.paramA : fill.paramB);
      break;
    }
    case 33:
      FillCornerGlow(painter, figure, a255, b255, fill.alpha1);
      break;
    case 40:
      FillRadialInverse(painter, figure, c.a, c.b);
      break;
    case 41:
      FillGlowMatched(c.b, painter, figure, fill.paramA);
      FillRadialInverse(painter, figure, c.a, c.b);
      break;
    case 42:
      FillGlowGrow(c.b, painter, figure, fill.paramA);
      FillRadialInverse(painter, figure, c.a, c.b);
      break;
    case 43:
      FillRadialInverse(painter, figure, c.a, c.b);
      FillGlowMatched(c.b, painter, figure, fill.paramA);
      break;
    case 44:
      FillRadialInverse(painter, figure, c.a, c.b);
      FillGlowGrow(c.b, painter, figure, fill.paramA);
      break;
    case 50: {
      if (b.isEmpty()) break;
      const ColorRef l = ColorScale(c.a, 14.0f);
      QPainterPath e;
      e.addEllipse(QRectF(b));
      painter.fillPath(e, PathGradientBrush(IntegerCentre(b), b, Q(ToArgbAlpha(fill.alpha2, l)),
                                            Q(ToArgbAlpha(fill.alpha1, l))));
      break;
    }
    case 51:
      if (b.isEmpty()) break;
      painter.fillPath(figure, PathGradientBrush(IntegerCentre(b), b, Q(ToArgbAlpha(fill.alpha1, c.a)),
                                                 Q(ToArgbAlpha(fill.alpha2, c.a))));
      break;
    default:
      break;  // outline only
  }

  if (o.outlineWidth != 0) {
    painter.strokePath(figure, QPen(ToQColor(c.outline), o.outlineWidth));
  }
  if (fill.outlineMode != 0 && fill.innerOutlineWidth != 0) {
    painter.strokePath(figure, QPen(ToQColor(MaybeGrey(ColorScale(fill.ownColour, -0.1f), o.grey)),
                                    fill.innerOutlineWidth));
  }
  painter.restore();
}

QPainterPath IconGlyphPath(const QString& family, int code, const IconGlyphOptions& o) {
  if (family.isEmpty() || code < 0 || code > 0xFFFF || !(o.emSize > 1.0f) ||
      !std::isfinite(o.emSize)) {
    return QPainterPath();
  }
  const QPainterPath& reference = ReferenceGlyph(family, code);
  if (reference.isEmpty()) return QPainterPath();
  const qreal k = (o.emSize - 1.0) / kReferenceEm;
  const qreal shiftY = o.boxSize > 0 ? o.emSize * o.ky / o.boxSize : 0.0;
  return QTransform(k, 0, 0, k, o.x + o.dx, o.y + shiftY).map(reference);
}

QTransform IconBoxTransform(const IconGlyphOptions& o) {
  const qreal f = std::max(o.emSize, o.boxSize) / 2.0;
  QTransform t;
  t.translate(f + o.x, f + o.y);
  if (o.angle < 0) t.scale(1, -1);
  t.rotate(o.angle);
  if (o.mirror) t.scale(1, -1);
  if (o.flip) {
    t.scale(1, -1);
    t.rotate(180);
  }
  t.translate(-(f + o.x), -(f + o.y));
  return t;
}

void DrawIconGlyph(const QString& family, int code, QPainter& painter,
                   const IconGlyphOptions& o) {
  const QPainterPath glyph = IconGlyphPath(family, code, o);
  if (glyph.isEmpty()) return;
  const IconStyle& style = o.customStyle ? o.style : IconStyleForCode(code);
  painter.save();
  painter.setTransform(IconBoxTransform(o), true);
  const std::vector<QPainterPath> figures = SplitFigures(glyph);
  for (size_t i = 0; i < figures.size(); ++i) {
    DrawIconFigure(painter, figures[i], static_cast<int>(i), style, o);
  }
  painter.restore();
}

}  // namespace ws
