#include "chart/vertex_decimation.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace ws {

namespace {

constexpr int kPeakBuckets = kMaxDecimatedVertices / 2;

struct Mapping {
  double left;
  double bottom;
  double x0;
  double kx;
  double y0;
  double ky;

  QPoint At(double position, float value) const {
    return QPoint(ToPixel(left + (position - x0) * kx), ToPixel(bottom - (value - y0) * ky));
  }
};

void PickPerBucket(PlotChannel& ch, const Mapping& map, int first, int end, int n, double step) {
  const int wholeStep = std::max(1, static_cast<int>(step));
  // Seeded by the step alone: the same range always picks the same samples.
  std::minstd_rand pick(static_cast<std::minstd_rand::result_type>(wholeStep));
  for (int j = 0; j <= n; ++j) {
    const int offset = wholeStep > 1 ? static_cast<int>(pick() % wholeStep) : 0;
    // The last bucket can reach past the end; what lies there is no data.
    const double u = std::min(offset + j * step + first, static_cast<double>(end));
    const int index = static_cast<int>(u);
    ch.m_Vertices[j] = map.At(u, ch.m_Samples[index]);
    ch.m_VertexSamples[j] = index;
  }
}

void PeaksPerBucket(PlotChannel& ch, const Mapping& map, int first, int end) {
  const float* samples = ch.m_Samples.data();
  const double width = (end - first + 1) / static_cast<double>(kPeakBuckets);
  int j = 0;
  for (int k = 0; k < kPeakBuckets; ++k) {
    const int from = first + static_cast<int>(k * width);
    const int to = k == kPeakBuckets - 1 ? end : first + static_cast<int>((k + 1) * width) - 1;
    int low = from;
    int high = from;
    float lowValue = samples[from];
    float highValue = samples[from];
    for (int i = from + 1; i <= to; ++i) {
      const float v = samples[i];
      if (v < lowValue) {
        lowValue = v;
        low = i;
      }
      if (v > highValue) {
        highValue = v;
        high = i;
      }
    }
    const int a = std::min(low, high);
    const int b = std::max(low, high);
    for (int index : {a, b}) {
      ch.m_Vertices[j] = map.At(index, samples[index]);
      ch.m_VertexSamples[j] = index;
      ++j;
    }
  }
}

}  // namespace

int ToPixel(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::clamp(value, -kPixelLimit, kPixelLimit));
}

int ToSampleIndex(double position) {
  if (std::isnan(position)) return 0;
  constexpr double kHigh = static_cast<double>(kPlotSamples) + 1.0;
  return static_cast<int>(std::clamp(position, -1.0, kHigh));
}

double PixelsPerUnit(double pixels, double minimum, double maximum) {
  const double k = pixels / (maximum - minimum);
  return std::isfinite(k) ? k : 0.0;
}

void ComputeChannelVertices(PlotChannel& ch, double x0, double x1, const QRect& plot, bool peaks) {
  const int l = plot.x();
  const int t = plot.y();
  const int r = plot.x() + plot.width();
  const int b = plot.y() + plot.height();

  int first = std::max(0, ToSampleIndex(x0) - 1);
  int end = std::min(ToSampleIndex(x1) + 1, ch.m_nLastIndex);
  end = std::min(end, static_cast<int>(ch.m_Samples.size()) - 1);
  int n = end - first;
  double step = 1.0;
  bool usePeaks = false;
  if (n >= kMaxDecimatedVertices) {
    step = n / static_cast<double>(kMaxDecimatedVertices - 1);
    n = kMaxDecimatedVertices - 1;
    usePeaks = peaks;
  }
  ch.m_nFirst = first;
  ch.m_nEnd = end;
  ch.m_dStep = usePeaks ? (end - first + 1) / static_cast<double>(kPeakBuckets) : step;
  ch.m_dPixPerUnit = PixelsPerUnit(b - t, ch.m_dMin, ch.m_dMax);
  if (!ch.m_bBufferOk || n < 0) {
    ch.m_nVertexCount = -1;
    ch.m_Vertices.clear();
    ch.m_VertexSamples.clear();
    return;
  }
  ch.m_nVertexCount = n;
  ch.m_Vertices.resize(n + 3);
  ch.m_VertexSamples.resize(n + 1);

  const Mapping map{static_cast<double>(l), static_cast<double>(b), x0,
                    PixelsPerUnit(r - l, x0, x1), ch.m_dMin, ch.m_dPixPerUnit};
  if (usePeaks) {
    PeaksPerBucket(ch, map, first, end);
  } else {
    PickPerBucket(ch, map, first, end, n, step);
  }
  ch.m_Vertices[n + 1] = QPoint(ch.m_Vertices[n].x(), b);
  ch.m_Vertices[n + 2] = QPoint(ch.m_Vertices[0].x(), b);
}

}  // namespace ws
