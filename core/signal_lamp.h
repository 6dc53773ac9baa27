// The 10-byte state message of the networked signal lamp tower, built from the
// overall alarm level. Sending it is the lamp link's job.
#pragma once

#include <array>
#include <cstdint>

namespace ws {

inline constexpr int kSignalLampMessageSize = 10;
using SignalLampMessage = std::array<uint8_t, kSignalLampMessageSize>;

// Byte offsets within the message.
inline constexpr int kLampHeaderOffset = 0;  // 'W'
inline constexpr int kLampRedOffset = 2;     // 0 off, 1 on, 2 blinking
inline constexpr int kLampYellowOffset = 3;  // 0 off, 1 on, 2 blinking
inline constexpr int kLampGreenOffset = 4;   // 0 off, 1 on
inline constexpr int kLampBuzzerOffset = 7;  // 0 off, 1 on
inline constexpr uint8_t kLampHeader = 0x57;

// level: the overall level L (0..3; other values read as 0). Lamps of a raised
// level blink while an alarm is unacknowledged; the buzzer sounds only for an
// unacknowledged level with alarm sounds enabled.
SignalLampMessage BuildSignalLampMessage(int level, bool unacknowledged, bool soundsEnabled);

// 'W' and nine zero bytes: every lamp and the buzzer off. Sent at exit and
// whenever the lamp tower is disabled.
SignalLampMessage AllOffSignalLampMessage();

}  // namespace ws
