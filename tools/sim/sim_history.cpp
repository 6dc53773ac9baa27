#include "tools/sim/sim_history.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ws {
namespace {

// splitmix64 finaliser: cheap, well mixed, the same on every platform.
uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

uint64_t Hash(int logger, int64_t dayNumber, int64_t item, int salt) {
  uint64_t h = Mix(static_cast<uint64_t>(logger) * 0x100000001B3ull + static_cast<uint64_t>(salt));
  h = Mix(h ^ static_cast<uint64_t>(dayNumber));
  return Mix(h ^ static_cast<uint64_t>(item));
}

// Uniform in [0, 1).
double Unit(uint64_t h) { return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0); }

constexpr int kSecondsPerDay = 86400;

bool InMissingGap(int logger, int64_t dayNumber, int second) {
  const uint64_t h = Hash(logger, dayNumber, 0, 7);
  if (h % 3 != 0) return false;  // about one day in three has a gap
  const int start = static_cast<int>((h >> 8) % kSecondsPerDay);
  const int length = 120 + static_cast<int>((h >> 32) % 1081);  // 2 to 20 minutes
  return second >= start && second < start + length;
}

}  // namespace

std::optional<SimSample> HistorySample(int loggerIndex, int year, int month, int day,
                                       int secondOfDay) {
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  if (secondOfDay < 0 || secondOfDay >= kSecondsPerDay) return std::nullopt;
  const int64_t dayNumber = DaysFromCivil(year, month, day);
  if (Hash(loggerIndex, dayNumber, secondOfDay, 3) % 500 == 0) return std::nullopt;
  if (InMissingGap(loggerIndex, dayNumber, secondOfDay)) return std::nullopt;

  constexpr double kTwoPi = 2.0 * std::numbers::pi;
  const double t = secondOfDay;

  // Speed: a mean for the day (5..20 m/s), slow swings over hours, gusts that
  // build and fade within 20-second spells, and per-second turbulence.
  const double mean = 5.0 + 15.0 * Unit(Hash(loggerIndex, dayNumber, 0, 1));
  double slow = 0.0;
  const double periods[3] = {21600.0, 6100.0, 1380.0};
  const double amplitudes[3] = {3.0, 1.5, 0.8};
  for (int k = 0; k < 3; ++k) {
    const double phase = kTwoPi * Unit(Hash(loggerIndex, dayNumber, k, 11));
    slow += amplitudes[k] * std::sin(kTwoPi * t / periods[k] + phase);
  }
  const int spell = secondOfDay / 20;
  const double gustPeak = 6.0 * std::pow(Unit(Hash(loggerIndex, dayNumber, spell, 5)), 3.0);
  const double envelope = std::sin(std::numbers::pi * (secondOfDay % 20) / 20.0);
  const double jitter = 0.8 * (Unit(Hash(loggerIndex, dayNumber, secondOfDay, 9)) - 0.5);
  double speed = mean + slow + gustPeak * envelope * envelope + jitter;
  speed = std::clamp(speed, 0.0, 99.9);

  // Direction: a prevailing bearing for the day that wanders by tens of degrees.
  const double bearing = 360.0 * Unit(Hash(loggerIndex, dayNumber, 0, 2));
  const double wander =
      35.0 * std::sin(kTwoPi * t / 9000.0 + kTwoPi * Unit(Hash(loggerIndex, dayNumber, 1, 2))) +
      12.0 * std::sin(kTwoPi * t / 1700.0 + kTwoPi * Unit(Hash(loggerIndex, dayNumber, 2, 2))) +
      10.0 * (Unit(Hash(loggerIndex, dayNumber, secondOfDay, 4)) - 0.5);
  const long directionTenths = std::lround((bearing + wander) * 10.0);
  const long wrapped = ((directionTenths % 3600) + 3600) % 3600;

  SimSample sample;
  sample.directionTenths = static_cast<uint16_t>(wrapped);
  sample.speedTenths = static_cast<uint16_t>(std::lround(speed * 10.0));
  return sample;
}

int DumpYear(int month, int day, const SystemTime& now) {
  const bool afterToday = month > now.month || (month == now.month && day > now.day);
  return afterToday ? now.year - 1 : now.year;
}

std::vector<uint8_t> HistoryBlock(int loggerIndex, int year, int month, int day, int hour,
                                  int minute, const SystemTime& now) {
  std::vector<uint8_t> block(kHistoryBlockBytes, 0);
  const char prefix[5] = {'R', '0', '0', '2', ':'};
  for (int i = 0; i < 5; ++i) block[i] = static_cast<uint8_t>(prefix[i]);
  block[7] = static_cast<uint8_t>(hour);
  block[8] = static_cast<uint8_t>(minute);

  const bool validDate = month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
  const int64_t dayStart = validDate ? DaysFromCivil(year, month, day) * kSecondsPerDay : 0;
  const int64_t nowSeconds = CivilSeconds(now);
  for (int k = 0; k < kHistoryBlockSamples; ++k) {
    const int second = hour * 3600 + minute * 60 + k;
    uint16_t direction = kHistoryMissing;
    uint16_t speed = kHistoryMissing;
    if (validDate && hour < 24 && second < kSecondsPerDay && dayStart + second <= nowSeconds) {
      if (const auto sample = HistorySample(loggerIndex, year, month, day, second)) {
        direction = sample->directionTenths;
        speed = sample->speedTenths;
      }
    }
    const size_t at = 9 + 4 * static_cast<size_t>(k);
    block[at] = static_cast<uint8_t>(direction >> 8);
    block[at + 1] = static_cast<uint8_t>(direction & 0xFF);
    block[at + 2] = static_cast<uint8_t>(speed >> 8);
    block[at + 3] = static_cast<uint8_t>(speed & 0xFF);
  }
  return block;
}

}  // namespace ws
