// The station's source of time. Everything in core/ reads the time through this
// interface so that tests drive it with a fake clock.
#pragma once

#include "core/system_time.h"

namespace ws {

class Clock {
 public:
  virtual ~Clock() = default;
  // Local wall-clock time, with milliseconds.
  virtual SystemTime Now() const = 0;
};

// The operating system's local time.
class SystemClock final : public Clock {
 public:
  SystemTime Now() const override { return LocalNow(); }
};

}  // namespace ws
