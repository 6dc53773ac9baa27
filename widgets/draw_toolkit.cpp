#include "widgets/draw_toolkit.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace ws {

namespace {

constexpr qreal kPi = 3.14159265358979323846;

// Outlines are made at this pixel size and scaled, so that fractional em sizes
// keep their exact proportions.
constexpr int kReferencePixels = 100;

QPointF IntegerCentre(const QRect& r) {
  return QPointF(r.x() + r.width() / 2, r.y() + r.height() / 2);
}

// Fills `scaled` (the path already scaled about centre) from colour to surround.
void FillScaledGlow(QPainter& painter, const QPainterPath& scaled, QPointF centre,
                    const QColor& colour, const QColor& surround) {
  const QRectF box = scaled.boundingRect();
  if (box.isEmpty()) return;
  painter.fillPath(scaled, PathGradientBrush(centre, box, colour, surround));
}

QPainterPath ScaledAbout(const QPainterPath& path, QPointF centre, qreal sx, qreal sy) {
  // Scale, then translate by (cx - cx sx, cy - cy sy): the centre stays in place.
  const QTransform t(sx, 0, 0, sy, centre.x() - centre.x() * sx, centre.y() - centre.y() * sy);
  return t.map(path);
}

}  // namespace

QColor ToQColor(ColorRef colour, int alpha) {
  return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour), std::clamp(alpha, 0, 255));
}

QColor ArgbToQColor(Argb argb) {
  return QColor::fromRgba(static_cast<QRgb>(argb));
}

void AddRoundRectPath(qreal r, QPainterPath& path, qreal left, qreal top, qreal right,
                      qreal bottom) {
  const qreal d = 2 * r;
  // Qt's arcs run counter-clockwise from 3 o'clock; each corner here is the quarter
  // circle the screen-clockwise outline passes through. arcTo joins each arc to the
  // previous segment with a line, which draws the straight edges.
  path.moveTo(left + r, top);
  path.lineTo(right - r, top);
  path.arcTo(QRectF(right - d, top, d, d), 90, -90);
  path.lineTo(right, bottom - r);
  path.arcTo(QRectF(right - d, bottom - d, d, d), 0, -90);
  path.lineTo(left + r, bottom);
  path.arcTo(QRectF(left, bottom - d, d, d), 270, -90);
  path.lineTo(left, top + r);
  path.arcTo(QRectF(left, top, d, d), 180, -90);
}

void Draw3dFrame(QPainter& painter, ColorRef light, qreal left, qreal top, qreal right,
                 qreal bottom, ColorRef dark) {
  painter.save();
  painter.setBrush(Qt::NoBrush);
  QPen pen(ToQColor(light), 1.0);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  const QPointF lightLine[] = {{left, bottom}, {left, top}, {right, top}};
  painter.drawPolyline(lightLine, 3);
  pen.setColor(ToQColor(dark));
  painter.setPen(pen);
  const QPointF darkLine[] = {{left, bottom}, {right, bottom}, {right, top}};
  painter.drawPolyline(darkLine, 3);
  painter.restore();
}

void FillAnnularSector(QPainter& painter, float cx, float cy, float r1, float r2, float a1,
                       float a2, ColorRef fill, ColorRef outline) {
  const qreal rad1 = a1 * kPi / 180.0;
  const qreal rad2 = a2 * kPi / 180.0;
  auto at = [cx, cy](qreal a, qreal r) {
    return QPointF(std::cos(a) * r + cx, std::sin(a) * r + cy);
  };
  QPainterPath path;
  path.moveTo(at(rad1, r1));
  path.lineTo(at(rad1, r2));
  // Screen angles grow clockwise; QPainterPath's grow counter-clockwise.
  path.arcTo(QRectF(cx - r2, cy - r2, 2 * r2, 2 * r2), -a1, -(a2 - a1));
  path.lineTo(at(rad2, r1));
  path.arcTo(QRectF(cx - r1, cy - r1, 2 * r1, 2 * r1), -a2, -(a1 - a2));
  path.closeSubpath();
  painter.save();
  painter.fillPath(path, ToQColor(fill));
  painter.strokePath(path, QPen(ToQColor(outline), 1.0));
  painter.restore();
}

QRect IntegerBounds(const QPainterPath& path) {
  if (path.isEmpty()) return QRect();
  const QRectF b = path.boundingRect();
  const int x = static_cast<int>(std::floor(b.left()));
  const int y = static_cast<int>(std::floor(b.top()));
  const int r = static_cast<int>(std::ceil(b.right()));
  const int bt = static_cast<int>(std::ceil(b.bottom()));
  return QRect(x, y, r - x, bt - y);
}

QRectF PointBounds(const QPainterPath& path) {
  qreal minX = 10000, minY = 10000, maxX = 0, maxY = 0;
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    minX = std::min(minX, e.x);
    minY = std::min(minY, e.y);
    maxX = std::max(maxX, e.x);
    maxY = std::max(maxY, e.y);
  }
  return QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
}

QBrush PathGradientBrush(QPointF centre, const QRectF& box, const QColor& centreColour,
                         const QColor& surround) {
  QRadialGradient gradient(QPointF(0, 0), 1.0);
  gradient.setColorAt(0.0, centreColour);
  gradient.setColorAt(1.0, surround);
  gradient.setSpread(QGradient::PadSpread);
  QBrush brush(gradient);
  const qreal rx = std::max({centre.x() - box.left(), box.right() - centre.x(), 0.5});
  const qreal ry = std::max({centre.y() - box.top(), box.bottom() - centre.y(), 0.5});
  QTransform t;
  t.translate(centre.x(), centre.y());
  t.scale(rx, ry);
  brush.setTransform(t);
  return brush;
}

void FillRadial(QPainter& painter, const QPainterPath& path, ColorRef centreColour,
                ColorRef edgeColour) {
  const QRect bounds = IntegerBounds(path);
  if (bounds.isEmpty()) return;
  painter.fillPath(path, PathGradientBrush(IntegerCentre(bounds), bounds,
                                           ToQColor(centreColour), ToQColor(edgeColour)));
}

void FillRadialInverse(QPainter& painter, const QPainterPath& path, ColorRef edgeColour,
                       ColorRef centreColour) {
  FillRadial(painter, path, centreColour, edgeColour);
}

QPointF GlowAutoScale(qreal w, qreal h) {
  if (std::abs(h - w) < 10) return QPointF(1.8, 1.8);
  if (h > w) return QPointF(1.8, 1.5);
  return QPointF(1.5, 1.8);
}

void FillGlowAuto(QPainter& painter, const QPainterPath& path, ColorRef colour) {
  if (path.isEmpty()) return;
  const QRectF box = PointBounds(path);
  const QPointF s = GlowAutoScale(box.width(), box.height());
  FillScaledGlow(painter, ScaledAbout(path, box.center(), s.x(), s.y()), box.center(),
                 ToQColor(colour), QColor(0, 0, 0, 0));
}

void FillGlowUniform(ColorRef colour, QPainter& painter, const QPainterPath& path,
                     float scale) {
  if (path.isEmpty() || !std::isfinite(scale)) return;
  const QRectF box = PointBounds(path);
  FillScaledGlow(painter, ScaledAbout(path, box.center(), scale, scale), box.center(),
                 ToQColor(colour), QColor(0, 0, 0, 0));
}

void FillGlowGrow(ColorRef colour, QPainter& painter, const QPainterPath& path, float k) {
  const QRect b = IntegerBounds(path);
  if (b.width() <= 0 || b.height() <= 0 || !std::isfinite(k)) return;
  const float sx = (static_cast<float>(b.width()) + k) / static_cast<float>(b.width());
  const float sy = (static_cast<float>(b.height()) + k) / static_cast<float>(b.height());
  const QPointF c = IntegerCentre(b);
  FillScaledGlow(painter, ScaledAbout(path, c, sx, sy), c, ToQColor(colour),
                 QColor(0, 0, 0, 0));
}

std::optional<QPointF> GlowMatchedScale(int w, int h, float k) {
  if (w <= 0 || h <= 0 || !std::isfinite(k)) return std::nullopt;
  const bool widthShorter = w < h;  // equal sides: the height counts as the shorter
  const float shorter = static_cast<float>(widthShorter ? w : h);
  const float longer = static_cast<float>(widthShorter ? h : w);
  const float target = shorter * k - shorter;
  float t = 1.0f;
  // Terminates: every step grows the longer side by at least 0.1 pixel. The bound is
  // only a guard against absurd factors.
  for (int n = 1; n <= 1000000; ++n) {
    t += 0.1f;
    if (longer * t - longer > target) break;
  }
  return widthShorter ? QPointF(k, t) : QPointF(t, k);
}

void FillGlowMatched(ColorRef colour, QPainter& painter, const QPainterPath& path, float k) {
  const QRect b = IntegerBounds(path);
  const std::optional<QPointF> s = GlowMatchedScale(b.width(), b.height(), k);
  if (!s) return;
  const QPointF c = IntegerCentre(b);
  FillScaledGlow(painter, ScaledAbout(path, c, s->x(), s->y()), c, ToQColor(colour),
                 ToQColor(colour, 0));
}

QFont MakeFont(const QString& family, qreal emPixels, int style) {
  QFont font(family);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(emPixels))));
  font.setBold((style & kTextBold) != 0);
  font.setItalic((style & kTextItalic) != 0);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
  font.setKerning(false);
  return font;
}

void AddStringPath(QPainterPath& path, const QString& family, int style, qreal emPixels,
                   const QString& text, QPointF origin, Qt::Alignment align) {
  if (family.isEmpty() || text.isEmpty() || !(emPixels > 0) || !std::isfinite(emPixels)) {
    return;
  }
  const QFont font = MakeFont(family, kReferencePixels, style);
  const QFontMetricsF metrics(font);
  const qreal k = emPixels / kReferencePixels;
  const qreal width = metrics.horizontalAdvance(text) * k;
  const qreal lineHeight = (metrics.ascent() + metrics.descent()) * k;
  qreal left = origin.x();
  if (align & Qt::AlignRight) {
    left -= width;
  } else if (align & Qt::AlignHCenter) {
    left -= width / 2;
  }
  qreal top = origin.y();
  if (align & Qt::AlignBottom) {
    top -= lineHeight;
  } else if (align & Qt::AlignVCenter) {
    top -= lineHeight / 2;
  }
  QPainterPath glyphs;
  bool allInFont = true;
  for (const QChar ch : text) allInFont = allInFont && metrics.inFont(ch);
  if (allInFont) {
    glyphs.addText(QPointF(0, metrics.ascent()), font, text);
  } else {
    // A character the face lacks stays empty (no replacement box) but keeps its advance.
    qreal pen = 0;
    for (const QChar ch : text) {
      if (metrics.inFont(ch)) glyphs.addText(QPointF(pen, metrics.ascent()), font, QString(ch));
      pen += metrics.horizontalAdvance(ch);
    }
  }
  const QTransform t(k, 0, 0, k, left, top);
  path.addPath(t.map(glyphs));
}

void DrawRotatedString(QPainter& painter, const QFont& font, const QString& text,
                       Qt::Alignment align, const QBrush& brush, float x, float y, int angle) {
  painter.translate(x, y);
  painter.rotate(angle);
  constexpr qreal kBig = 1.0e5;
  qreal left = 0;
  if (align & Qt::AlignRight) {
    left = -kBig;
  } else if (align & Qt::AlignHCenter) {
    left = -kBig / 2;
  }
  qreal top = 0;
  if (align & Qt::AlignBottom) {
    top = -kBig;
  } else if (align & Qt::AlignVCenter) {
    top = -kBig / 2;
  }
  const QPen oldPen = painter.pen();
  const QFont oldFont = painter.font();
  painter.setPen(QPen(brush, 1.0));
  painter.setFont(font);
  painter.drawText(QRectF(left, top, kBig, kBig), static_cast<int>(align), text);
  painter.setPen(oldPen);
  painter.setFont(oldFont);
  painter.resetTransform();
}

std::vector<QPainterPath> SplitFigures(const QPainterPath& path) {
  std::vector<QPainterPath> figures;
  QPainterPath figure;
  QPointF start;
  bool open = false;
  bool lastWasCurve = false;
  auto finish = [&]() {
    if (!open) return;
    if (!lastWasCurve && figure.currentPosition() != start) figure.lineTo(start);
    figure.closeSubpath();
    figures.push_back(figure);
    figure = QPainterPath();
    open = false;
  };
  const int n = path.elementCount();
  for (int i = 0; i < n; ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    switch (e.type) {
      case QPainterPath::MoveToElement:
        finish();
        start = QPointF(e.x, e.y);
        figure.moveTo(start);
        open = true;
        lastWasCurve = false;
        break;
      case QPainterPath::LineToElement:
        if (!open) break;
        figure.lineTo(e.x, e.y);
        lastWasCurve = false;
        break;
      case QPainterPath::CurveToElement:
        if (!open || i + 2 >= n) {
          i = n;  // a truncated curve ends the outline
          break;
        }
        figure.cubicTo(QPointF(e.x, e.y), QPointF(path.elementAt(i + 1).x, path.elementAt(i + 1).y),
                       QPointF(path.elementAt(i + 2).x, path.elementAt(i + 2).y));
        i += 2;
        lastWasCurve = true;
        break;
      case QPainterPath::CurveToDataElement:
        break;
    }
  }
  finish();
  return figures;
}

QImage LoadPngResource(int id) {
  return LoadPngResource(QStringLiteral(":/png/%1.png").arg(id));
}

QImage LoadPngResource(const QString& resourcePath) {
  QImage image;
  if (!QFile::exists(resourcePath)) return image;
  if (!image.load(resourcePath, "PNG")) return QImage();
  return image;
}

}  // namespace ws
