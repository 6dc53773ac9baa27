// Naming a wind direction by one of the 16 points of the compass (the report rows and
// the utility helpers share it).
#pragma once

#include <string_view>

namespace ws {

// "N", "NNE", ... "NNW" for a direction in degrees. Each name covers 22.5 degrees
// from its lower bound (included) to its upper bound (excluded), "NNE" starting at
// 11.25. Everything else - below 11.25, 348.75 and above, negative, NaN - is "N".
std::string_view CompassName(float degrees);

}  // namespace ws
