// Turning a channel's samples into screen vertices, with the decimation that
// bounds a channel to kMaxDecimatedVertices vertices whatever the visible span.
#pragma once

#include <QRect>

#include "chart/plot_channel.h"

namespace ws {

// A double to a pixel coordinate: truncated toward zero after clamping into
// +-kPixelLimit, NaN as 0, so that no range or sample can overflow the int.
constexpr double kPixelLimit = 1.0e6;
int ToPixel(double value);

// Sample position to int index, truncated, clamped into -1 .. kPlotSamples + 1.
int ToSampleIndex(double position);

// Pixels per unit of an extent over a range; 0 when the range is empty or not finite.
double PixelsPerUnit(double pixels, double minimum, double maximum);

// Fills the channel's vertices for the x range x0 .. x1 drawn into `plot` (its
// right and bottom edges are x + width and y + height). The samples considered are
// trunc(x0) - 1 .. trunc(x1) + 1, cut to 0 and to the channel's last index. Up to
// 4,999 samples after the first every sample is a vertex; above that the span is
// cut into buckets. By default one sample per bucket of width step = n / 4,999 is
// picked with a generator seeded by trunc(step), so the same range always gives the
// same picture; with `peaks` the span is cut into 2,500 buckets that each give their
// smallest and largest sample, in time order. Two closing vertices at the bottom
// edge follow the curve.
void ComputeChannelVertices(PlotChannel& channel, double x0, double x1, const QRect& plot,
                            bool peaks);

}  // namespace ws
