#include "core/alarm_lamps.h"

namespace ws {

LampStates LampsForLevel(int level) {
  switch (level) {
    case 3:
      return LampStates{false, true, true};
    case 2:
      return LampStates{false, false, true};
    case 1:
      return LampStates{false, true, false};
    default:
      return LampStates{true, false, false};
  }
}

LampStates BlinkLamps(LampStates current, int level, bool unacknowledged, int milliseconds) {
  if (unacknowledged && milliseconds >= 500) {
    current.red = false;
    current.yellow = false;
  } else {
    current.red = level >= 2;
    current.yellow = level == 1 || level == 3;
  }
  return current;
}

}  // namespace ws
