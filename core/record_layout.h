// Byte layout of the monthly record files: one fixed-size file per stack and month,
// one 8-byte sample per second at a slot computed from the date alone. See
// doc/record_format.md.
#pragma once

#include <bit>
#include <cstdint>

namespace ws {

// One second of history: wind direction in degrees and wind speed in the configured unit.
struct Sample {
  float direction = 0.0f;
  float speed = 0.0f;

  friend bool operator==(const Sample&, const Sample&) = default;
};

namespace record {

// A sample on disk: two IEEE 754 float32, little-endian, no padding.
inline constexpr int kDirectionOffset = 0;
inline constexpr int kSpeedOffset = kDirectionOffset + 4;
inline constexpr int kSampleSize = kSpeedOffset + 4;

inline constexpr int kSecondsPerDay = 24 * 60 * 60;
inline constexpr int kDaysPerFile = 31;  // every month gets room for 31 days
inline constexpr int64_t kSlotsPerFile = int64_t{kDaysPerFile} * kSecondsPerDay;
// The whole file, no header: 31 * 86400 * 8.
inline constexpr int64_t kFileSize = kSlotsPerFile * kSampleSize;
// Older writers let the second sample of 31st 23:59:59 land past the end; such files
// are still read, and the extra 8 bytes ignored.
inline constexpr int64_t kOverrunFileSize = kFileSize + kSampleSize;

// A day fetched from a logger arrives in blocks of five minutes.
inline constexpr int kBlockSamples = 5 * 60;
inline constexpr int kBlockBytes = kBlockSamples * kSampleSize;

// Stacks are numbered from 1 in directory names ("Stack001"); the station serves up to 100.
inline constexpr int kMaxStacks = 100;

static_assert(kSampleSize == 8);
static_assert(kSecondsPerDay == 86400);
static_assert(kSlotsPerFile == 2678400);
static_assert(kFileSize == 21427200);
static_assert(kOverrunFileSize == 21427208);
static_assert(kBlockBytes == 2400);

// Byte offset of the slot of (day 1..31, hour, minute, second) within its month's file.
constexpr int64_t SlotOf(int day, int hour, int minute, int second) {
  return (int64_t{day - 1} * kSecondsPerDay + hour * 3600 + minute * 60 + second) * kSampleSize;
}

static_assert(SlotOf(1, 0, 0, 0) == 0);
static_assert(SlotOf(1, 0, 0, 1) == 8);
static_assert(SlotOf(2, 0, 0, 0) == 691200);
static_assert(SlotOf(31, 23, 59, 59) == 21427192);
static_assert(SlotOf(31, 23, 59, 59) + kSampleSize == kFileSize);

// Writes one sample into out[0..7].
inline void EncodeSample(const Sample& s, uint8_t* out) {
  const uint32_t d = std::bit_cast<uint32_t>(s.direction);
  const uint32_t v = std::bit_cast<uint32_t>(s.speed);
  for (int i = 0; i < 4; ++i) {
    out[kDirectionOffset + i] = static_cast<uint8_t>(d >> (8 * i));
    out[kSpeedOffset + i] = static_cast<uint8_t>(v >> (8 * i));
  }
}

// Reads one sample from in[0..7].
inline Sample DecodeSample(const uint8_t* in) {
  uint32_t d = 0;
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    d |= uint32_t{in[kDirectionOffset + i]} << (8 * i);
    v |= uint32_t{in[kSpeedOffset + i]} << (8 * i);
  }
  return Sample{std::bit_cast<float>(d), std::bit_cast<float>(v)};
}

}  // namespace record
}  // namespace ws
