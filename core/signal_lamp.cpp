#include "core/signal_lamp.h"

namespace ws {

SignalLampMessage BuildSignalLampMessage(int level, bool unacknowledged, bool soundsEnabled) {
  SignalLampMessage m = AllOffSignalLampMessage();
  const uint8_t u = unacknowledged ? 2 : 1;
  switch (level) {
    case 3:
      m[kLampRedOffset] = u;
      m[kLampYellowOffset] = u;
      break;
    case 2:
      m[kLampRedOffset] = u;
      break;
    case 1:
      m[kLampYellowOffset] = u;
      break;
    default:
      m[kLampGreenOffset] = 1;
      level = 0;
      break;
  }
  m[kLampBuzzerOffset] = (level >= 1 && unacknowledged && soundsEnabled) ? 1 : 0;
  return m;
}

SignalLampMessage AllOffSignalLampMessage() {
  SignalLampMessage m{};
  m[kLampHeaderOffset] = kLampHeader;
  return m;
}

}  // namespace ws
