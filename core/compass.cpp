#include "core/compass.h"

#include <array>

namespace ws {

std::string_view CompassName(float degrees) {
  static constexpr std::array<std::string_view, 16> kNames = {
      "N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
      "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  // Every bound is a multiple of 0.25, exact in float; comparing against the
  // bounds (not dividing) keeps 11.25 in "NNE". NaN fails both tests.
  if (!(degrees >= 11.25f && degrees < 348.75f)) return kNames[0];
  for (int i = 15; i >= 1; --i) {
    if (degrees >= 11.25f + 22.5f * static_cast<float>(i - 1)) return kNames[static_cast<size_t>(i)];
  }
  return kNames[0];
}

}  // namespace ws
