#include "report/wind_rose.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>

#include "core/colour_math.h"
#include "core/format_fixed.h"
#include "core/settings.h"
#include "widgets/draw_toolkit.h"

namespace ws {
namespace {

constexpr ColorRef kBlack = 0x000000;
const QColor kGridGrey(0xC0, 0xC0, 0xC0);

QFont ArialPixels(double pixels) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  return font;
}

// Text centred on (x, y) horizontally and vertically.
void DrawCentred(QPainter& p, double x, double y, const QString& text) {
  constexpr double kBox = 2000.0;
  p.drawText(QRectF(x - kBox / 2, y - kBox / 2, kBox, kBox), Qt::AlignCenter, text);
}

// A letter drawn as an outline: the glyph path widened by a pen of width 2 in black,
// filled white inside.
void DrawOutlinedLetter(QPainter& p, double x, double y, const QString& letter) {
  QPainterPath path;
  AddStringPath(path, QStringLiteral("Arial"), kTextRegular, 16.0, letter, QPointF(x, y),
                Qt::AlignCenter);
  p.strokePath(path, QPen(Qt::black, 2.0));
  p.fillPath(path, Qt::white);
}

}  // namespace

void PaintWindRose(QPainter& p, int w, int h, const WindRoseStatistics& stats,
                   const WindRoseLook& look) {
  if (w <= 0 || h <= 0) return;
  const int classes = std::clamp(stats.classCount, 1, std::min(kWindRoseClassSlots, 6));
  const double u = w / 12.0;
  const double r = (w - 2.0 * u) / 2.0;
  const int cx = w / 2;
  const int cy = static_cast<int>(h / 2.0 - u / 2.0);
  const double q = r / 6.0;

  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.fillRect(QRect(0, 0, w, h), Qt::white);
  {
    // The frame sits on whole pixels.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    Draw3dFrame(p, kBlack, 0, 0, w - 1, h - 1, kBlack);
    p.restore();
  }

  // Grid: the two diameters, the two diagonals and the seven rings.
  p.setPen(QPen(kGridGrey, 1.0));
  p.setBrush(Qt::NoBrush);
  const double d = r * std::sqrt(0.5);
  p.drawLine(QPointF(cx, cy - r), QPointF(cx, cy + r));
  p.drawLine(QPointF(cx - r, cy), QPointF(cx + r, cy));
  p.drawLine(QPointF(cx - d, cy - d), QPointF(cx + d, cy + d));
  p.drawLine(QPointF(cx + d, cy - d), QPointF(cx - d, cy + d));
  for (int i = 0; i <= 6; ++i) p.drawEllipse(QPointF(cx, cy), i * q, i * q);

  // Scale: the largest sector total, with the base every sector gets.
  const double base = u > 0 ? 0.25 * r / u : 0.0;
  double largest = 0.0;
  for (int j = 0; j < kWindRoseSectors; ++j) {
    double total = base;
    for (int k = 0; k < classes; ++k) total += stats.shares[static_cast<size_t>(j)][static_cast<size_t>(k)];
    largest = std::max(largest, total);
  }
  const double top = WindRoseScaleTop(largest);

  // Wedges, class 0 innermost, one degree of gap on each side of a sector.
  if (top > 0.0) {
    for (int j = 0; j < kWindRoseSectors; ++j) {
      const float a1 = static_cast<float>(j * 22.5 - 11.25 - 90.0 + 1.0);
      const float a2 = static_cast<float>(j * 22.5 + 11.25 - 90.0 - 1.0);
      double inner = 19.0;
      for (int k = 0; k < classes; ++k) {
        const double share = stats.shares[static_cast<size_t>(j)][static_cast<size_t>(k)];
        if (!(share > 0.0)) continue;
        const double outer = inner + r / top * share;
        const ColorRef colour = look.classColours[static_cast<size_t>(k)];
        FillAnnularSector(p, static_cast<float>(cx), static_cast<float>(cy),
                          static_cast<float>(inner), static_cast<float>(outer), a1, a2, colour,
                          ColorScale(colour, -0.3f));
        inner = outer;
      }
    }
  }

  // Ring labels along the diagonal to the lower right, white shadow first.
  p.setFont(ArialPixels(u / 3.0));
  for (int i = 0; i <= 6; ++i) {
    const QString label = QString::fromStdString(WindRoseRingLabel(top, i));
    const double x = cx + i * q * std::sqrt(0.5);
    const double y = cy + i * q * std::sqrt(0.5);
    p.setPen(Qt::white);
    DrawCentred(p, x + 1, y + 1, label);
    p.setPen(Qt::black);
    DrawCentred(p, x, y, label);
  }

  // Calm centre.
  p.setPen(QPen(Qt::black, 1.0));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(cx, cy), u / 2.0, u / 2.0);
  p.setBrush(Qt::NoBrush);
  DrawCentred(p, cx, cy, QString::fromStdString(FormatC("%3.1f%%", stats.calm)));

  DrawOutlinedLetter(p, cx, cy - r - 8, QStringLiteral("N"));
  DrawOutlinedLetter(p, cx + r + 8, cy, QStringLiteral("E"));
  DrawOutlinedLetter(p, cx, cy + r + 8, QStringLiteral("S"));
  DrawOutlinedLetter(p, cx - r - 8, cy, QStringLiteral("W"));

  // Legend: a thin wedge per class opening to the right of the CALM disc.
  const int ox = static_cast<int>(cx - r + u / 4.0);
  const double oy = h - u;
  for (int k = 0; k < classes; ++k) {
    const ColorRef colour = look.classColours[static_cast<size_t>(k)];
    FillAnnularSector(p, static_cast<float>(ox), static_cast<float>(oy),
                      static_cast<float>(2 * k * q), static_cast<float>(2 * (k + 1) * q), -2.0f,
                      2.0f, colour, ColorScale(colour, -0.3f));
  }
  const int half = static_cast<int>(u / 2.0);
  p.setPen(QPen(Qt::black, 1.0));
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(ox - half, oy - half, 2 * half, 2 * half));
  p.setBrush(Qt::NoBrush);
  DrawCentred(p, ox, oy - u / 6.0, QStringLiteral("CALM"));
  DrawCentred(p, ox, oy + u / 6.0, QString::fromStdString(FormatC("(%%)")));
  for (int k = 0; k < classes; ++k) {
    DrawCentred(p, ox + 2 * k * q + q, oy + u / 2.0,
                QString::fromStdString(WindRoseClassLabel(k, look.alarmLevel, classes)));
  }
  p.restore();
}

QImage RenderWindRose(QSize size, const WindRoseStatistics& stats, const WindRoseLook& look) {
  QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter p(&image);
  PaintWindRose(p, size.width(), size.height(), stats, look);
  return image;
}

CWindRose::CWindRose(const Settings& settings, QWidget* parent)
    : QWidget(parent), m_Settings(settings) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

WindRoseLook CWindRose::Look() const {
  WindRoseLook look;
  look.alarmLevel = ThresholdsOf(m_Settings).alarm;
  std::copy_n(m_Settings.chartColours.begin(), look.classColours.size(), look.classColours.begin());
  return look;
}

void CWindRose::ComputeStatistics(const ReportTable& table) {
  m_Statistics = ComputeWindRoseStatistics(table, ThresholdsOf(m_Settings).alarm, m_ClassCount);
  repaint();
}

void CWindRose::paintEvent(QPaintEvent*) {
  if (!m_PaintEnabled || width() <= 0 || height() <= 0) return;
  // Drawn off screen and copied in one step, so a repaint never flickers.
  const QImage image = RenderWindRose(size(), m_Statistics, Look());
  QPainter p(this);
  p.drawImage(0, 0, image);
}

}  // namespace ws
