// Colour arithmetic on the station's 24-bit widget colours (COLORREF layout,
// 0x00BBGGRR) and their conversion to 32-bit ARGB drawing colours.
#pragma once

#include <cstdint>

namespace ws {

// A widget colour: bits 0-7 red, 8-15 green, 16-23 blue, 24-31 zero.
using ColorRef = uint32_t;
// A drawing colour: bits 24-31 alpha, 16-23 red, 8-15 green, 0-7 blue.
using Argb = uint32_t;

constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }

// Adds delta to every channel, clamped to 0..255.
ColorRef ColorAdd(ColorRef colour, int delta);

// Lightens (factor > 0) or darkens (factor < 0) every channel by the factor:
// v = trunc(c * f + c) in single precision, clamped. A zero channel counts as 10,
// so black never stays black (black scaled by 0.5 is 0x0F0F0F).
ColorRef ColorScale(ColorRef colour, float factor);

// Every channel becomes 255 - channel.
ColorRef ColorInvert(ColorRef colour);

// Plain average grey: (R + G + B) / 3 in integer arithmetic on all three channels.
ColorRef ColorGray(ColorRef colour);

// Luma grey: trunc(0.3 R + 0.59 G + 0.11 B + 0.5) on all three channels.
ColorRef ColorLumaGray(ColorRef colour);

// Widget colour to ARGB with alpha 255.
Argb ToArgb(ColorRef colour);

// Widget colour to ARGB with the given alpha (0..255).
Argb ToArgbAlpha(int alpha, ColorRef colour);

}  // namespace ws
