#include "widgets/analog_gauge.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

#include "core/format_fixed.h"
#include "widgets/draw_toolkit.h"

namespace ws {

namespace {

constexpr float kPi = 3.14159265358979323846f;
constexpr float kDeg = kPi / 180.0f;
// Font sizes given in points are drawn at 96 dots per inch.
constexpr qreal kPointPixels = 96.0 / 72.0;
// Readout 1 of a dial without a value: dashes lit in white, as a silent tile's.
constexpr ColorRef kNoValueLight = 0xFFFFFF;
constexpr ColorRef kNoValueDark = 0x909090;
const QString kLabelFamily = QStringLiteral("굴림체");

float Clamp01(float f) { return std::isfinite(f) ? std::clamp(f, 0.0f, 1.0f) : 0.0f; }

// A point at angle `rad` and radius r around (cx, cy); a negative radius lies
// behind the centre.
QPointF Polar(float cx, float cy, float rad, float r) {
  return QPointF(cx + std::cos(rad) * r, cy + std::sin(rad) * r);
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
  QPainterPath path;
  bool first = true;
  for (const QPointF& p : points) {
    if (first) {
      path.moveTo(p);
      first = false;
    } else {
      path.lineTo(p);
    }
  }
  path.closeSubpath();
  return path;
}

QLinearGradient ForwardDiagonal(const QRectF& r, const QColor& from, const QColor& to) {
  QLinearGradient g(r.topLeft(), r.bottomRight());
  g.setColorAt(0, from);
  g.setColorAt(1, to);
  return g;
}

void FillEllipse(QPainter& painter, const QRectF& r, const QBrush& brush) {
  QPainterPath p;
  p.addEllipse(r);
  painter.fillPath(p, brush);
}

// Arc in screen degrees (clockwise from the right), as a stroked path.
void StrokeArc(QPainter& painter, const QRectF& r, float start, float sweep, const QColor& colour,
               qreal width) {
  if (!std::isfinite(start) || !std::isfinite(sweep) || sweep == 0.0f) return;
  QPainterPath p;
  p.arcMoveTo(r, -start);
  p.arcTo(r, -start, -sweep);
  QPen pen(colour, width);
  pen.setCapStyle(Qt::FlatCap);
  painter.strokePath(p, pen);
}

void FillText(QPainter& painter, const QString& family, int style, qreal emPixels,
              const QString& text, QPointF origin, Qt::Alignment align, const QColor& colour) {
  QPainterPath p;
  AddStringPath(p, family, style, emPixels, text, origin, align);
  painter.fillPath(p, colour);
}

qreal LineHeight(const QString& family, int style, qreal emPixels) {
  const QFontMetricsF m(MakeFont(family, emPixels, style));
  return m.ascent() + m.descent();
}

}  // namespace

bool GaugeScale::HasRange() const { return std::isfinite(maximum) && maximum > 0.0f; }

float GaugeScale::ValueToAngle(float shownValue) const {
  if (!HasRange() || !std::isfinite(shownValue)) return startAngle;
  const float v = compass ? shownValue - 90.0f : shownValue;
  return ((v - 0.0f) * 100.0f / (maximum - 0.0f)) * (endAngle - startAngle) / 100.0f + startAngle;
}

std::vector<GaugeScale::Tick> GaugeScale::Ticks(int side, float r0) const {
  std::vector<Tick> ticks;
  if (majorDivisions <= 0) return ticks;
  const float s = static_cast<float>(side);
  const float majorStep = Sweep() / static_cast<float>(majorDivisions);
  for (int k = 0; k <= majorDivisions; ++k) {
    ticks.push_back({startAngle + k * majorStep, r0, r0 - s / 20.0f, s / 50.0f, true});
  }
  const int minors = std::max(minorDivisions, 0) + 1;
  const float minorStep = Sweep() / static_cast<float>(minors * majorDivisions);
  for (int k = 0; k < majorDivisions; ++k) {
    const float base = startAngle + k * majorStep;
    for (int j = 1; j <= minors; ++j) {
      ticks.push_back({base + j * minorStep, r0, r0 - s / 50.0f, s / 100.0f, false});
    }
  }
  return ticks;
}

std::vector<QString> GaugeScale::Labels() const {
  std::vector<QString> labels;
  if (majorDivisions <= 0) return labels;
  const float step = (HasRange() ? maximum : 0.0f) / static_cast<float>(majorDivisions);
  float value = 0.0f;
  for (int k = 0; k <= majorDivisions; ++k) {
    if (labelMode == 1) {
      labels.push_back(QString::fromStdString(FormatC("%1.0f", static_cast<double>(value))));
    } else {
      switch (k) {
        case 0: labels.push_back(QStringLiteral("E")); break;
        case 4: labels.push_back(QStringLiteral("S")); break;
        case 8: labels.push_back(QStringLiteral("W")); break;
        case 12: labels.push_back(QStringLiteral("N")); break;
        default: labels.push_back(QString()); break;
      }
    }
    value += step;
  }
  return labels;
}

std::vector<ReadoutCell> LayoutReadout(const QString& text, int right, int pitch) {
  std::vector<ReadoutCell> cells(static_cast<size_t>(text.size()));
  int x = right;
  for (qsizetype i = text.size() - 1; i >= 0; --i) {
    const QChar ch = text.at(i);
    const bool narrow = ch == QLatin1Char('.') || ch == QLatin1Char(':');
    const int width = narrow ? pitch - 4 * pitch / 5 : pitch;
    cells[static_cast<size_t>(i)] = ReadoutCell{ch, x - width, x};
    x -= width;
  }
  return cells;
}

void DrawGaugeHubShadow(QPainter& painter, int side) {
  const int m = side / 50;
  const int k = side / 15;
  const float d = side / 60.0f;
  const float ring = k + 1.5f * m;
  QPainterPath path;
  path.addEllipse(QPointF(side / 2 + d, side / 2 + d), ring, ring);
  FillGlowUniform(0x202020, painter, path, 1.2f);
}

void DrawGaugeHub(QPainter& painter, int side) {
  const int m = side / 50;
  const int k = side / 15;
  const float c = side / 2;
  const float ring = k + 1.5f * m;
  const QRectF ringBox(c - ring, c - ring, 2 * ring, 2 * ring);
  FillEllipse(painter, ringBox,
              ForwardDiagonal(ringBox, ArgbToQColor(0xA08C8C8C), ArgbToQColor(0xA0505050)));
  const QRectF hub(c - k, c - k, 2 * k, 2 * k);
  FillEllipse(painter, hub, ForwardDiagonal(hub, Qt::white, ArgbToQColor(0xFF646464)));
}

void DrawGaugePointer(QPainter& painter, const GaugePointer& ptr) {
  const int s = ptr.side;
  if (s <= 0) return;
  const float cx = s / 2;
  const float cy = s / 2;
  const int m = s / 50;
  const float th = (std::isfinite(ptr.angle) ? ptr.angle : 0.0f) * kDeg;
  const float d = s / 60.0f;
  const int k = s / 15;
  auto at = [&](float rad, float r) { return Polar(cx, cy, rad, r); };
  const ColorRef body = ColorAdd(ptr.colour, 100);
  const QColor bodyColour = ToQColor(body, 0x80);
  const QColor bevelEnd = ToQColor(ColorAdd(body, -50), 0x80);

  auto bevel = [&](const QPainterPath& triangle, QPointF from, QPointF to) {
    QLinearGradient g(from, to);
    g.setColorAt(0, bodyColour);
    g.setColorAt(1, bevelEnd);
    painter.fillPath(triangle, g);
  };

  if (!ptr.compass) {
    const float r = ptr.length;
    const float w = ptr.longTail ? 0.0f : 0.6f;
    const float t = k / 2 + (ptr.longTail ? 0.3f * r : 0.0f);
    const QPointF p0 = at(th + 0.01f, r);
    const QPointF p1 = at(th - 8 * kDeg - w, -t);
    const QPointF p2 = at(th, -t);
    const QPointF p3 = at(th + 8 * kDeg + w, -t);
    const QPointF p4 = at(th - 0.01f, r);
    const QPainterPath outline = Polygon({p0, p1, p2, p3, p4});
    const QPointF shadowShift(d, d);
    FillGlowUniform(0x808080, painter, outline.translated(shadowShift), 1.1f);
    if (ptr.hubShadowLayer) {
      painter.drawImage(0, 0, *ptr.hubShadowLayer);
    } else {
      DrawGaugeHubShadow(painter, s);
    }
    painter.fillPath(outline, bodyColour);
    bevel(Polygon({p0, p1, p2}), p0, p2);
    const float e = ptr.longTail ? 0.03f : 0.12f;
    const float t2 = k / 2 + (ptr.longTail ? 0.28f * r : 0.0f);
    painter.fillPath(Polygon({p0, at(th - e, -t2), at(th + e, -t2), p4}), ToQColor(ptr.colour));
    if (ptr.longTail) {
      painter.fillPath(Polygon({at(th, -(0.26f * r + k / 2)), at(th - 8 * kDeg, -t), at(th, -t),
                                at(th + 8 * kDeg, -t)}),
                       ToQColor(ColorAdd(ptr.colour, 150)));
    }
    if (ptr.hubLayer) {
      painter.drawImage(0, 0, *ptr.hubLayer);
    } else {
      DrawGaugeHub(painter, s);
    }
    return;
  }

  const float l = (s - 4 * m) / 2;
  const float t = k / 2;
  const QPointF tip1 = at(th + 3 * kDeg + 0.02f, l);
  const QPointF tail1 = at(th - 0.1f, -t);
  const QPointF tail2 = at(th + 0.1f, -t);
  const QPointF tip2 = at(th - 3 * kDeg - 0.03f, l);
  const QPointF tip3 = at(th - 0.01f, l);
  const QPointF shadowShift(d, d);
  FillGlowUniform(0xA8A8A8, painter,
                  Polygon({tip1, tail1 + shadowShift, tail2 + shadowShift, tip2, tip3}), 1.1f);
  painter.fillPath(Polygon({tip1, tail1, tail2, tip2, tip3}), bodyColour);
  const QPointF centre(cx, cy);
  bevel(Polygon({tip1, centre, at(th - 3 * kDeg, l)}), tip1, at(th - 3 * kDeg, l));
  painter.fillPath(Polygon({at(th + 0.01f, l), at(th - 0.5f, -5), at(th + 0.5f, -5), at(th - 0.01f, l)}),
                   ToQColor(ptr.colour));
}

void DrawGaugeGlare(QPainter& painter, int side) {
  const float s = static_cast<float>(side);
  const int m = side / 50;
  painter.save();
  painter.translate(s / 2, s / 2);
  painter.rotate(-30);
  const QRectF r(-0.4f * s, -4 * m - 0.35f * s, 0.8f * s, 0.7f * s);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, ArgbToQColor(0x78FFFFFF));
  g.setColorAt(1, ArgbToQColor(0x00FFFFFF));
  FillEllipse(painter, r, g);
  painter.restore();
}

CAnalogGauge::CAnalogGauge(const QString& title, int id, QWidget* parent)
    : QWidget(parent), m_Title(title), m_Id(id) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setWindowTitle(title);
}

CAnalogGauge::~CAnalogGauge() = default;

void CAnalogGauge::Init(const QString& unit, int labelMode, int majorDivisions, int minorDivisions) {
  m_Readout1Unit = unit;
  m_LabelMode = labelMode;
  m_MajorDivisions = majorDivisions;
  m_MinorDivisions = minorDivisions;
  m_Readout1OffsetX = 0;
  m_Readout1OffsetY = 0;
  m_PointerFraction = 0.8f;
  m_DigitFontFamily.clear();
  m_LabelStyle = kTextBold;
  m_Ready = true;
  Layout();
  InvalidateFace();
}

void CAnalogGauge::SetNoValue() {
  if (m_NoValue) return;
  m_NoValue = true;
  update();
}

void CAnalogGauge::SetValue(float x) {
  if (!std::isfinite(x)) x = 0.0f;
  m_NoValue = false;
  m_RawValue = x;
  m_ShownValue = std::min(x, m_Maximum);
  if (m_ZonesShown && m_ZoneColouredReadout) {
    const float max = std::isfinite(m_Maximum) ? m_Maximum : 0.0f;
    ColorRef z;
    if (m_CompassStyle || x >= Clamp01(m_ZoneFraction2) * max) {
      z = 0x0000FA;
    } else if (x >= Clamp01(m_ZoneFraction1) * max) {
      z = 0x0AB4B4;
    } else {
      z = 0x00C800;
    }
    m_ReadoutZoneColour = z;
    m_Readout1Light = Rgb(std::min(RedOf(z) + 128, 255), std::min(GreenOf(z) + 128, 255),
                          std::min(BlueOf(z) + 128, 255));
    m_Readout1Dark = Rgb(std::max(RedOf(z) - 64, 0), std::max(GreenOf(z) - 64, 0), 0);
    m_Readout2Colour = 0xFFFF80;
    m_Readout2Dark = 0xBF4000;
  } else {
    m_Readout2Dark = ColorAdd(m_Readout2Colour, -64);
  }
  repaint();
}

void CAnalogGauge::SetReadout(const QString& unit, ColorRef colour, int decimals) {
  m_Readout1Shown = true;
  m_Readout1Unit = unit;
  m_Readout1Decimals = decimals;
  m_Readout1Light = ColorAdd(colour, 128);
  m_Readout1Dark = ColorAdd(colour, -64);
  InvalidateFace();
}

void CAnalogGauge::InvalidateFace() {
  m_BackgroundDirty = true;
  m_Face = QImage();
  update();
}

GaugeScale CAnalogGauge::Scale() const {
  GaugeScale s;
  s.startAngle = m_StartAngle;
  s.endAngle = m_EndAngle;
  s.maximum = m_Maximum;
  s.compass = m_CompassStyle;
  s.majorDivisions = m_MajorDivisions;
  s.minorDivisions = m_MinorDivisions;
  s.labelMode = m_LabelMode;
  return s;
}

float CAnalogGauge::PointerAngle() const { return Scale().ValueToAngle(m_ShownValue); }

void CAnalogGauge::Layout() {
  m_Side = std::min(width(), height());
  const int s = m_Side;
  m_PointerLength = (s / 2) * m_PointerFraction;
  auto box = [s](const std::array<double, 3>& f) {
    const int w = static_cast<int>(s * f[0]);
    const int left = static_cast<int>(s / 2 - s * f[0] / 2);
    return QRect(left, static_cast<int>(s * f[2]), w, static_cast<int>(s * f[1]));
  };
  m_Readout1Box = box(m_Box1Fractions);
  m_Readout2Box = box(m_Box2Fractions);
  m_LaidOutBox1 = m_Box1Fractions;
  m_LaidOutBox2 = m_Box2Fractions;
}

void CAnalogGauge::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!m_Ready) return;
  Layout();
  InvalidateFace();
}

void CAnalogGauge::BuildFace() {
  m_Face = QImage(std::max(m_Side, 1), std::max(m_Side, 1), QImage::Format_ARGB32_Premultiplied);
  m_Face.fill(Qt::transparent);
  QPainter painter(&m_Face);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
  DrawFace(painter);
  painter.end();
  // The parts of the dynamic layer that never move, drawn once per size.
  auto layer = [this](void (*draw)(QPainter&, int)) {
    QImage image(m_Face.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p, m_Side);
    return image;
  };
  m_HubShadowLayer = layer(DrawGaugeHubShadow);
  m_HubLayer = layer(DrawGaugeHub);
  m_GlareLayer = layer(DrawGaugeGlare);
  {
    // The glare brightens the glass, not the marks under it: the ticks and
    // labels (the band around the Alarm level included) keep full contrast.
    QPainter p(&m_GlareLayer);
    p.setRenderHint(QPainter::Antialiasing);
    p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    DrawMarks(p);
  }
  m_OverlayLayer = QImage(m_Face.size(), QImage::Format_ARGB32_Premultiplied);
  m_OverlayLayer.fill(Qt::transparent);
  {
    QPainter p(&m_OverlayLayer);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    DrawOverlay(p);
  }
  m_BackgroundDirty = false;
  ++m_FaceBuildCount;
}

void CAnalogGauge::DrawFace(QPainter& painter) const {
  const int s = m_Side;
  if (s <= 0) return;
  const int m = s / 50;
  const GaugeScale scale = Scale();

  // Bezel and face.
  const QRectF full(0, 0, s, s);
  FillEllipse(painter, QRectF(0, 0, s - 1, s - 1),
              ForwardDiagonal(full, Qt::white, ToQColor(0x8C8C8C)));
  const QRectF inner(m, m, s - 2 * m, s - 2 * m);
  FillEllipse(painter, inner, ForwardDiagonal(inner, ToQColor(0x8C8C8C), Qt::white));
  const QRectF face(2 * m, 2 * m, s - 4 * m, s - 4 * m);
  FillEllipse(painter, face,
              ForwardDiagonal(face, ToQColor(m_FaceColour), ToQColor(ColorScale(m_FaceColour, -0.2f))));

  // Zone arc: drawn widest zone first so that the lower zones lie over it.
  const bool zones = m_ZonesShown && scale.HasRange();
  if (zones) {
    const QRectF arc(3 * m, 3 * m, s - 6 * m - 1, s - 6 * m - 1);
    const float sweep = scale.Sweep();
    StrokeArc(painter, arc, m_StartAngle - 0.2f, sweep + 0.4f, ToQColor(0x808080), m + 2);
    const ColorRef z1 = m_CustomColours ? m_ZoneColour1 : 0xC0C0C0;
    const ColorRef z2 = m_CustomColours ? m_ZoneColour2 : ColorScale(0xC0C0C0, -0.1f);
    const ColorRef z3 = m_CustomColours ? m_ZoneColour3 : 0x808080;
    StrokeArc(painter, arc, m_StartAngle, sweep * Clamp01(m_ZoneFraction3), ToQColor(z3), m);
    StrokeArc(painter, arc, m_StartAngle, sweep * Clamp01(m_ZoneFraction2), ToQColor(z2), m);
    StrokeArc(painter, arc, m_StartAngle, sweep * Clamp01(m_ZoneFraction1), ToQColor(z1), m);
  }

  DrawMarks(painter);
}

// Ticks and labels, drawn on the face and cut out of the glare.
void CAnalogGauge::DrawMarks(QPainter& painter) const {
  const int s = m_Side;
  if (s <= 0) return;
  const int m = s / 50;
  const float cx = s / 2;
  const float cy = s / 2;
  const GaugeScale scale = Scale();
  const bool zones = m_ZonesShown && scale.HasRange();
  // Ticks.
  const float r0 = (s - static_cast<int>(s * 0.01)) / 2.0f - (zones ? 4 * m : 2 * m);
  const QColor tickColour = ToQColor(m_CustomColours ? m_TickColour : 0x808080);
  for (const GaugeScale::Tick& t : scale.Ticks(s, r0)) {
    if (!std::isfinite(t.angle)) continue;
    QPainterPath line;
    line.moveTo(Polar(cx, cy, t.angle * kDeg, t.outer));
    line.lineTo(Polar(cx, cy, t.angle * kDeg, t.inner));
    QPen pen(tickColour, t.width);
    pen.setCapStyle(Qt::FlatCap);
    painter.strokePath(line, pen);
  }

  // Labels.
  const qreal labelEm = (s / 25) * kPointPixels;
  const qreal labelHeight = LineHeight(kLabelFamily, m_LabelStyle, labelEm);
  const QColor labelColour = ToQColor(m_CustomColours ? m_LabelColour : 0x808080);
  const std::vector<QString> labels = scale.Labels();
  const float majorStep = scale.majorDivisions > 0 ? scale.Sweep() / scale.majorDivisions : 0.0f;
  for (size_t k = 0; k < labels.size(); ++k) {
    if (labels[k].isEmpty()) continue;
    const float a = (m_StartAngle + k * majorStep) * kDeg;
    if (!std::isfinite(a)) continue;
    const float rl = r0 - s / 10.0f;
    const qreal x = rl * std::cos(a) + cx;
    const qreal y = rl * std::sin(a) + cy - s / 36.0f;
    FillText(painter, kLabelFamily, m_LabelStyle, labelEm, labels[k],
             QPointF(x, y + labelHeight / ((s / 25) / 40.0 + 1.2)), Qt::AlignCenter, labelColour);
  }
}

// The title and the readout boxes lie over the pointer: the value an operator
// reads is never hidden by the needle.
void CAnalogGauge::DrawOverlay(QPainter& painter) const {
  const int s = m_Side;
  if (s <= 0) return;
  // Title.
  const qreal titleEm = s * 0.0625;
  FillText(painter, kLabelFamily, kTextBold, titleEm, m_Title,
           QPointF(s * 0.5, s * 0.5 - 3 * titleEm), Qt::AlignCenter, Qt::black);

  // Readout boxes and their units.
  auto readoutBox = [&](const QRect& box, const QString& unit, qreal unitEm, bool second) {
    const ColorRef fill = m_CustomColours ? m_ReadoutBoxColour : 0x808080;
    const ColorRef light = m_CustomColours ? ColorAdd(m_ReadoutBoxColour, 100) : 0xE4E4E4;
    const ColorRef dark = m_CustomColours ? ColorAdd(m_ReadoutBoxColour, 160) : 0xFFFFFF;
    painter.fillRect(box, ToQColor(fill));
    Draw3dFrame(painter, light, box.left(), box.top(), box.x() + box.width(), box.y() + box.height(),
                dark);
    if (unit.isEmpty()) return;
    const qreal y = second ? box.top() + LineHeight(kLabelFamily, m_LabelStyle, unitEm) / 1.5
                           : box.top() + box.height() / 2.0;
    FillText(painter, kLabelFamily, m_LabelStyle, unitEm, unit,
             QPointF(box.x() + box.width(), y), Qt::AlignLeft | Qt::AlignVCenter, Qt::black);
  };
  if (m_Readout1Shown) {
    readoutBox(m_Readout1Box, m_Readout1Unit, m_Readout1Box.height() / 3.0 * kPointPixels, false);
  }
  if (m_Readout2Shown) {
    readoutBox(m_Readout2Box, m_Readout2Unit, m_Readout2Box.height() / 2.0 * kPointPixels, true);
  }
}

void CAnalogGauge::DrawReadoutDigits(QPainter& painter, const QRect& box, const QString& text,
                                     ColorRef light, ColorRef dark, int offsetX,
                                     int offsetY) const {
  if (m_DigitFontFamily.isEmpty() || box.height() <= 0 || box.width() <= 0) return;
  if (!m_CustomColours) light = dark = 0xC0C0C0;
  const int p = box.height() / 2;
  if (p <= 0) return;
  // The shipped seven-segment face is wider than the half-em pitch of the
  // readout: each glyph is squeezed so that a digit's advance fills the pitch,
  // and its ink is kept to 80 % of the em starting a tenth of the em down.
  const int em = box.height();
  const qreal digitAdvance = DigitGlyphFor(QLatin1Char('8'), em).advance;
  const qreal sx = digitAdvance > 0 ? p / digitAdvance : 1.0;
  QPainterPath outline;
  for (const ReadoutCell& cell : LayoutReadout(text, box.x() + box.width() + offsetX, p)) {
    if (cell.ch == QLatin1Char(' ')) continue;
    const DigitGlyph& digit = DigitGlyphFor(cell.ch, em);
    const QPainterPath& glyph = digit.path;
    if (glyph.isEmpty()) continue;
    qreal dx = cell.right - digit.advance * sx;
    if (cell.ch == QLatin1Char('.') || cell.ch == QLatin1Char(':')) {
      // The face gives the point and colon no advance and draws their ink left of
      // the origin, so the ink is centred in the narrow cell itself (rather than
      // anchored further right as a face with a full-width point would need).
      const QRectF ink = glyph.boundingRect();
      dx = (cell.left + cell.right) / 2.0 - (ink.left() + ink.right()) / 2 * sx;
    }
    outline.addPath(QTransform(sx, 0, 0, 0.8, dx, box.top() + offsetY + 0.1 * em).map(glyph));
  }
  painter.save();
  painter.setClipRect(box, Qt::IntersectClip);
  for (const QPainterPath& figure : SplitFigures(outline)) FillRadial(painter, figure, light, dark);
  painter.restore();
}

const CAnalogGauge::DigitGlyph& CAnalogGauge::DigitGlyphFor(QChar ch, int em) const {
  if (m_DigitCacheFamily != m_DigitFontFamily) {
    m_DigitGlyphs.clear();
    m_DigitCacheFamily = m_DigitFontFamily;
  }
  const auto key = std::make_pair(ch.unicode(), em);
  auto it = m_DigitGlyphs.find(key);
  if (it == m_DigitGlyphs.end()) {
    DigitGlyph glyph;
    AddStringPath(glyph.path, m_DigitFontFamily, kTextItalic, em, QString(ch), QPointF(0, 0),
                  Qt::AlignLeft | Qt::AlignTop);
    const QFontMetricsF metrics(MakeFont(m_DigitFontFamily, 100, kTextItalic));
    glyph.advance = metrics.horizontalAdvance(ch) * em / 100;
    it = m_DigitGlyphs.emplace(key, glyph).first;
  }
  return it->second;
}

const QImage& CAnalogGauge::RenderFrame() {
  // A hidden window gets its resize event only when shown: follow the size here
  // too, and box fractions written after Init take effect at this paint.
  if (m_Side != std::min(width(), height()) || m_Box1Fractions != m_LaidOutBox1 ||
      m_Box2Fractions != m_LaidOutBox2) {
    Layout();
    m_BackgroundDirty = true;
  }
  if (m_BackgroundDirty || m_Face.isNull()) BuildFace();
  if (m_Frame.size() != m_Face.size()) {
    m_Frame = QImage(m_Face.size(), QImage::Format_ARGB32_Premultiplied);
  }
  m_Frame.fill(Qt::transparent);
  QPainter painter(&m_Frame);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, m_Face);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  GaugePointer pointer;
  pointer.side = m_Side;
  pointer.angle = PointerAngle();
  pointer.length = m_PointerLength;
  pointer.colour = m_PointerColour;
  pointer.longTail = m_LongTail;
  pointer.compass = m_CompassStyle;
  pointer.hubShadowLayer = &m_HubShadowLayer;
  pointer.hubLayer = &m_HubLayer;
  if (!m_NoValue) {
    DrawGaugePointer(painter, pointer);
  } else if (!m_CompassStyle) {
    // The needle's hub stays on the dial without its needle.
    painter.drawImage(0, 0, m_HubShadowLayer);
    painter.drawImage(0, 0, m_HubLayer);
  }
  painter.drawImage(0, 0, m_OverlayLayer);
  if (m_Readout1Shown) {
    // Dashes in place of every digit the value would show,
    QString text = QString::fromStdString(FormatFixed(m_Readout1Decimals, m_RawValue));
    if (m_NoValue) {
      text = QString(3 - std::min(m_Readout1Decimals, 2), QLatin1Char('-'));
      if (m_Readout1Decimals > 0) text += QLatin1Char('.') + QString(m_Readout1Decimals, QLatin1Char('-'));
    }
    // in grey, whatever zone the last value was in.
    DrawReadoutDigits(painter, m_Readout1Box, text, m_NoValue ? kNoValueLight : m_Readout1Light,
                      m_NoValue ? kNoValueDark : m_Readout1Dark, m_Readout1OffsetX, m_Readout1OffsetY);
  }
  if (m_Readout2Shown) {
    DrawReadoutDigits(painter, m_Readout2Box,
                      QString::fromStdString(FormatFixed(m_Readout2Decimals, m_Readout2Value)),
                      m_Readout2Colour, m_Readout2Dark, 0, 0);
  }
  painter.drawImage(0, 0, m_GlareLayer);
  return m_Frame;
}

void CAnalogGauge::paintEvent(QPaintEvent*) {
  if (!m_Ready) return;
  const QImage& frame = RenderFrame();
  QPainter painter(this);
  painter.drawImage(0, 0, frame);
}

}  // namespace ws
