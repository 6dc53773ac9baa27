// The live state of one stack: the last received direction and speed, the
// averaging windows of the four periods, the day's maximum and the alarm bits.
#pragma once

#include <array>
#include <cstdint>

#include "core/scalar_window.h"
#include "core/system_time.h"
#include "core/vector_window.h"

namespace ws {

// Averaging periods, also the index of a window and the step that feeds it.
inline constexpr int kPeriodMinute = 0;
inline constexpr int kPeriodTenMinutes = 1;
inline constexpr int kPeriodHour = 2;
inline constexpr int kPeriodDay = 3;
inline constexpr int kPeriodCount = 4;

// 20 samples of 3 s make a minute, 10 minutes, 6 ten-minute means an hour,
// 24 hourly means a day.
inline constexpr std::array<int, kPeriodCount> kWindowSizes = {20, 10, 6, 24};

struct StackStatistics {
  StackStatistics();

  // Stores a reply's values. A value that is not a finite number counts as not
  // received: that field keeps its previous value.
  void SetLiveValues(float newDirection, float newSpeed);

  // Direction windows back to north, speed windows cleared.
  void ResetWindows();

  // The last received values (0 until the first reply).
  float direction = 0.0f;
  float speed = 0.0f;
  std::array<VectorWindow, kPeriodCount> directionWindows;
  std::array<ScalarWindow, kPeriodCount> speedWindows;
  // Highest speed since the day began, and the local time it was taken.
  float maximum = 0.0f;
  SystemTime maximumTime{};
  // kAlarmBit | kStopBit | kTripBit | kAcknowledgedBit (core/alarm_thresholds.h).
  uint8_t alarmBits = 0;

  // What the cascade's steps have not taken yet. answered[0]: a reply came since
  // the last step 0; answered[k]: step k-1 pushed since the last step k. A step
  // pushes only a stack whose flag is set, so a silent logger's last values are
  // not fed into the averages as if measured again; a logger answering twice a
  // second always has its flag set, and its averages are what they always were.
  std::array<bool, kPeriodCount> answered{};
  // A reply came since the maximum was last compared.
  bool answeredForMaximum = false;
};

}  // namespace ws
