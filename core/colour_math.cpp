#include "core/colour_math.h"

#include <algorithm>

namespace ws {

namespace {

int ClampChannel(int v) { return std::clamp(v, 0, 255); }

int ScaleChannel(int c, float f) {
  if (c == 0) c = 10;
  const float scaled = static_cast<float>(c) * f + static_cast<float>(c);
  // Large factors would overflow the conversion to int; the result saturates anyway.
  if (!(scaled < 1.0e6f)) return f > 0 ? 255 : 0;
  if (!(scaled > -1.0e6f)) return 0;
  const int v = static_cast<int>(scaled);  // truncation toward zero
  return f > 0 ? std::min(v, 255) : std::max(v, 0);
}

}  // namespace

ColorRef ColorAdd(ColorRef colour, int delta) {
  return Rgb(ClampChannel(RedOf(colour) + delta), ClampChannel(GreenOf(colour) + delta),
             ClampChannel(BlueOf(colour) + delta));
}

ColorRef ColorScale(ColorRef colour, float factor) {
  // f > 0 caps at 255 and f <= 0 floors at 0; each branch can only cross one bound,
  // except a NaN factor, which the comparisons in ScaleChannel send to 0.
  return Rgb(std::clamp(ScaleChannel(RedOf(colour), factor), 0, 255),
             std::clamp(ScaleChannel(GreenOf(colour), factor), 0, 255),
             std::clamp(ScaleChannel(BlueOf(colour), factor), 0, 255));
}

ColorRef ColorInvert(ColorRef colour) {
  return Rgb(255 - RedOf(colour), 255 - GreenOf(colour), 255 - BlueOf(colour));
}

ColorRef ColorGray(ColorRef colour) {
  const int g = (RedOf(colour) + GreenOf(colour) + BlueOf(colour)) / 3;
  return Rgb(g, g, g);
}

ColorRef ColorLumaGray(ColorRef colour) {
  const double luma =
      0.3 * RedOf(colour) + 0.59 * GreenOf(colour) + 0.11 * BlueOf(colour) + 0.5;
  const int g = ClampChannel(static_cast<int>(luma));
  return Rgb(g, g, g);
}

Argb ToArgb(ColorRef colour) { return ToArgbAlpha(255, colour); }

Argb ToArgbAlpha(int alpha, ColorRef colour) {
  return (static_cast<Argb>(alpha & 0xFF) << 24) | (static_cast<Argb>(RedOf(colour)) << 16) |
         (static_cast<Argb>(GreenOf(colour)) << 8) | static_cast<Argb>(BlueOf(colour));
}

}  // namespace ws
