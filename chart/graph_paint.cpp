// CGraph painting: background and bands, dashed grid, lines or direction sticks,
// the value readout under the mouse and the translucent zoom selection, drawn
// into an off-screen image that is copied to the window in one step.
#include <QFont>
#include <QLine>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

#include "chart/graph.h"
#include "chart/vertex_decimation.h"
#include "core/format_fixed.h"
#include "widgets/draw_toolkit.h"

namespace ws {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kReadoutFontPixels = 15;
constexpr int kReadoutLineStep = 16;

// Qt puts pixel centres at half coordinates; the plot's integer lines sit on whole
// pixel columns and rows, so line work is drawn shifted by half a pixel.
constexpr qreal kHalf = 0.5;

}  // namespace

QString ReadoutText(const PlotChannel& channel, float value) {
  const int decimals = std::clamp(channel.m_nDecimals, 0, 10);
  // Only the number goes through a format: a '%' in a name or unit stays text.
  const QString number = QString::fromStdString(
      FormatC("%*.*f", decimals + 2, decimals, static_cast<double>(value)));
  return channel.m_Name + QStringLiteral(" : ") + number + QLatin1Char(' ') + channel.m_Unit;
}

QImage CGraph::Render() {
  const QSize size = this->size().expandedTo(QSize(1, 1));
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  if (!isEnabled()) {
    image.fill(palette().color(QPalette::Button));
    return image;
  }
  image.fill(ToQColor(m_BackColor));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  DrawContent(painter);
  if (m_bSelecting) DrawSelection(painter);
  return image;
}

void CGraph::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (!m_bInitialised) {
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    return;
  }
  painter.drawImage(0, 0, Render());
}

void CGraph::DrawContent(QPainter& painter) {
  if (!m_bGridFollow) {
    m_nGridPhaseX = 0;
    m_nGridPhaseY = 0;
    ClearPan();
  }
  UpdateFactors();
  if (m_bBandShading) DrawBands(painter);
  if (m_bGridShown) DrawGrid(painter);
  if (m_nDrawStyle == kStyleSticks) {
    DrawSticks(painter);
  } else if (m_nDrawStyle == kStyleLine) {
    DrawLines(painter);
  }
  if (m_nReadoutMode == kReadoutValues) DrawReadout(painter);
}

void CGraph::DrawBands(QPainter& painter) {
  const QRect& rc = m_rcPlot;
  painter.fillRect(rc, ToQColor(m_BackColor));
  const QColor dark = ToQColor(ColorScale(m_BackColor, -0.1f));
  for (int k = 0; k <= m_dGridDivY; k += 2) {
    const int top = rc.top() + ToPixel(k * m_dGridY);
    const int bottom = rc.top() + ToPixel((k + 1) * m_dGridY);
    painter.fillRect(QRect(rc.left(), top, rc.width(), bottom - top), dark);
  }
}

void CGraph::DrawGrid(QPainter& painter) {
  QPen pen(ToQColor(m_GridColor), 0.5);
  pen.setDashPattern({1.5, 1.5});
  painter.setPen(pen);
  const QRect& rc = m_rcPlot;
  const int l = rc.left();
  const int t = rc.top();
  const int r = rc.left() + rc.width();
  const int b = rc.top() + rc.height();
  std::vector<QLineF> lines;
  for (int k = 0; k <= m_dGridDivX; ++k) {
    const qreal x = l + ToPixel(k * m_dGridX) + m_nGridPhaseX + kHalf;
    lines.emplace_back(x, t + kHalf, x, b + kHalf);
  }
  for (int k = 0; k <= m_dGridDivY; ++k) {
    const qreal y = t + ToPixel(k * m_dGridY) + m_nGridPhaseY + kHalf;
    lines.emplace_back(l + kHalf, y, r + kHalf, y);
  }
  painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void CGraph::DrawLines(QPainter& painter) {
  painter.save();
  painter.translate(kHalf, kHalf);
  QPen pen(ToQColor(m_Channels.empty() ? 0 : m_Channels[0].m_Colour), 1.0);
  for (const PlotChannel& ch : m_Channels) {
    if (!ch.m_bVisible || ch.m_nVertexCount < 0) continue;
    pen.setColor(ToQColor(ch.m_Colour));
    pen.setWidth(ch.m_nLineWidth);
    painter.setPen(pen);
    painter.drawPolyline(ch.m_Vertices.data(), ch.m_nVertexCount + 1);
  }
  painter.restore();
}

void CGraph::DrawSticks(QPainter& painter) {
  if (m_Channels.empty()) return;
  const PlotChannel& speed = m_Channels[0];
  const QRect& rc = m_rcPlot;
  const int l = rc.left();
  const int r = rc.left() + rc.width();
  const int b = rc.top() + rc.height();
  painter.save();
  painter.translate(kHalf, kHalf);
  QPen pen(ToQColor(m_Channels.size() > 1 ? m_Channels[1].m_Colour : speed.m_Colour),
           speed.m_nLineWidth);
  painter.setPen(pen);
  const double ky = speed.m_dPixPerUnit;
  const int y0 = ToPixel(b + speed.m_dMin * ky);
  painter.drawLine(l, y0, r, y0);
  pen.setColor(ToQColor(speed.m_Colour));
  painter.setPen(pen);

  const PlotChannel* direction = m_Channels.size() > 1 ? &m_Channels[1] : nullptr;
  if (direction != nullptr && direction->m_bBufferOk && speed.m_bBufferOk) {
    const int last = static_cast<int>(std::min(speed.m_Samples.size(),
                                               direction->m_Samples.size())) - 1;
    // With peaks on, each stick stands where its peak vertex was read; otherwise
    // at the start of its bucket.
    const bool peaks = static_cast<int>(speed.m_VertexSamples.size()) > speed.m_nVertexCount &&
                       m_bShowPeaks && speed.m_dStep > 1.0;
    std::vector<QLine> sticks;
    sticks.reserve(std::max(0, speed.m_nVertexCount + 1));
    for (int j = 0; j <= speed.m_nVertexCount; ++j) {
      int i = peaks ? speed.m_VertexSamples[j] : ToSampleIndex(j * speed.m_dStep + speed.m_nFirst);
      i = std::clamp(i, 0, last);
      const int x = ToPixel((i - m_dXMin) * m_dPixPerSample + l);
      const double theta = (direction->m_Samples[i] - 90.0) * kPi / 180.0;
      const double rho = speed.m_Samples[i] * ky;
      sticks.emplace_back(x, y0, ToPixel(std::cos(theta) * rho + x),
                          ToPixel(std::sin(theta) * rho + y0));
    }
    painter.drawLines(sticks.data(), static_cast<int>(sticks.size()));
  }
  painter.restore();
}

void CGraph::DrawReadout(QPainter& painter) {
  if (m_dPixPerSample == 0.0) return;
  QFont font(QStringLiteral("굴림체"));
  font.setPixelSize(kReadoutFontPixels);
  painter.setFont(font);
  const QRect& rc = m_rcPlot;
  const int t = rc.top();
  const int b = rc.top() + rc.height();
  int lines = 0;
  int lastX = 0;
  for (const PlotChannel& ch : m_Channels) {
    if (!ch.m_bVisible || !ch.m_bBufferOk) continue;
    const double position = m_MousePos.x() / m_dPixPerSample + m_dXMin;
    const int i = ToSampleIndex(position);
    if (i < 0 || i > ch.m_nLastIndex || ch.m_nLastIndex < 1) continue;
    const QString text = ReadoutText(ch, ch.m_Samples[i]);
    const int x = ToPixel((i - m_dXMin) * m_dPixPerSample + rc.left());
    const int y = t + 4 + kReadoutLineStep * lines;
    constexpr qreal kWide = 2000.0;
    painter.setPen(ToQColor(ch.m_Colour));
    painter.drawText(QRectF(x - kWide / 2, y, kWide, kWide), Qt::AlignHCenter | Qt::AlignTop, text);
    lastX = x;
    ++lines;
  }
  if (lines == 0) return;
  painter.setPen(QPen(ToQColor(m_ReadoutLineColor), 0.5));
  painter.drawLine(QLineF(lastX + kHalf, t + 4 + kReadoutLineStep * lines, lastX + kHalf, b));
}

void CGraph::DrawSelection(QPainter& painter) {
  const QPoint& a = m_SelectStart;
  const QPoint& e = m_SelectEnd;
  Draw3dFrame(painter, m_SelectColor, a.x(), a.y(), e.x(), e.y(), m_SelectColor);
  painter.fillRect(QRect(a, e).normalized(), ToQColor(m_SelectColor, 60));
}

}  // namespace ws
