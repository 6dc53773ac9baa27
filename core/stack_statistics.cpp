#include "core/stack_statistics.h"

#include <cmath>

namespace ws {

StackStatistics::StackStatistics()
    : directionWindows{VectorWindow(kWindowSizes[0]), VectorWindow(kWindowSizes[1]),
                       VectorWindow(kWindowSizes[2]), VectorWindow(kWindowSizes[3])},
      speedWindows{ScalarWindow(kWindowSizes[0]), ScalarWindow(kWindowSizes[1]),
                   ScalarWindow(kWindowSizes[2]), ScalarWindow(kWindowSizes[3])} {}

void StackStatistics::SetLiveValues(float newDirection, float newSpeed) {
  if (std::isfinite(newDirection)) direction = newDirection;
  if (std::isfinite(newSpeed)) speed = newSpeed;
  if (std::isfinite(newDirection) || std::isfinite(newSpeed)) {
    answered[0] = true;
    answeredForMaximum = true;
  }
}

void StackStatistics::ResetWindows() {
  for (VectorWindow& w : directionWindows) w.Reset();
  for (ScalarWindow& w : speedWindows) w.Clear();
}

}  // namespace ws
