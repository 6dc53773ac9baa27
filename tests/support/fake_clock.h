// A clock the test sets and moves by hand.
#pragma once

#include "core/clock.h"

namespace ws::test {

class FakeClock final : public Clock {
 public:
  FakeClock() { Set(2026, 3, 1, 0, 0, 0); }
  SystemTime Now() const override { return now_; }

  void Set(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
    SystemTime t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    t.second = static_cast<uint16_t>(second);
    now_ = FromCivilSeconds(CivilSeconds(t));
    now_.milliseconds = static_cast<uint16_t>(ms);
  }
  void Set(const SystemTime& t) { now_ = t; }

  // Moves the clock forward by whole milliseconds, carrying into the date.
  void Advance(int64_t ms) {
    const int64_t total = CivilSeconds(now_) * 1000 + now_.milliseconds + ms;
    now_ = FromCivilSeconds(total / 1000);
    now_.milliseconds = static_cast<uint16_t>(total % 1000);
  }

 private:
  SystemTime now_;
};

}  // namespace ws::test
