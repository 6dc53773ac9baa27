#include "core/settings.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/text_codec.h"

namespace ws {

namespace L = settings_layout;

namespace {

// Little-endian field access at explicit offsets of a byte image.
void PutU8(uint8_t* base, size_t off, uint8_t v) { base[off] = v; }
void PutU16(uint8_t* base, size_t off, uint16_t v) {
  base[off] = static_cast<uint8_t>(v);
  base[off + 1] = static_cast<uint8_t>(v >> 8);
}
void PutU32(uint8_t* base, size_t off, uint32_t v) {
  for (int i = 0; i < 4; ++i) base[off + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutI32(uint8_t* base, size_t off, int32_t v) { PutU32(base, off, static_cast<uint32_t>(v)); }
void PutF64(uint8_t* base, size_t off, double v) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  for (int i = 0; i < 8; ++i) base[off + i] = static_cast<uint8_t>(bits >> (8 * i));
}
void PutTime(uint8_t* base, size_t off, const SystemTime& t) {
  const uint16_t fields[8] = {t.year, t.month, t.dayOfWeek, t.day,
                              t.hour, t.minute, t.second, t.milliseconds};
  for (int i = 0; i < 8; ++i) PutU16(base, off + 2 * i, fields[i]);
}
template <typename T, size_t N>
void PutRaw(uint8_t* base, size_t off, const std::array<T, N>& a) {
  static_assert(sizeof(T) == 1);
  std::memcpy(base + off, a.data(), N);
}

uint8_t GetU8(const uint8_t* base, size_t off) { return base[off]; }
uint16_t GetU16(const uint8_t* base, size_t off) {
  return static_cast<uint16_t>(base[off] | base[off + 1] << 8);
}
uint32_t GetU32(const uint8_t* base, size_t off) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(base[off + i]) << (8 * i);
  return v;
}
int32_t GetI32(const uint8_t* base, size_t off) { return static_cast<int32_t>(GetU32(base, off)); }
double GetF64(const uint8_t* base, size_t off) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(base[off + i]) << (8 * i);
  return std::bit_cast<double>(bits);
}
SystemTime GetTime(const uint8_t* base, size_t off) {
  SystemTime t;
  t.year = GetU16(base, off);
  t.month = GetU16(base, off + 2);
  t.dayOfWeek = GetU16(base, off + 4);
  t.day = GetU16(base, off + 6);
  t.hour = GetU16(base, off + 8);
  t.minute = GetU16(base, off + 10);
  t.second = GetU16(base, off + 12);
  t.milliseconds = GetU16(base, off + 14);
  return t;
}
template <typename T, size_t N>
void GetRaw(const uint8_t* base, size_t off, std::array<T, N>& a) {
  static_assert(sizeof(T) == 1);
  std::memcpy(a.data(), base + off, N);
}

void SerializeStack(const StackSettings& s, uint8_t* base) {
  PutU32(base, L::kStackLoggerAddress, s.loggerAddress);
  PutRaw(base, L::kStackTitle, s.title);
  PutF64(base, L::kStackWindMaxSpeed, s.windMaxSpeed);
  PutF64(base, L::kStackAlarmSpeed, s.alarmSpeed);
  PutF64(base, L::kStackStopSpeed, s.stopSpeed);
  PutF64(base, L::kStackTripSpeed, s.tripSpeed);
  for (size_t i = 0; i < s.reserved120.size(); ++i) {
    PutI32(base, L::kStackReserved120 + i * L::kInt32Size, s.reserved120[i]);
  }
  PutRaw(base, L::kStackReserved132, s.reserved132);
  PutRaw(base, L::kStackReserved136, s.reserved136);
  PutI32(base, L::kStackDirectEnable, s.directEnable);
  PutRaw(base, L::kStackReserved156, s.reserved156);
}

void DeserializeStack(const uint8_t* base, StackSettings& s) {
  s.loggerAddress = GetU32(base, L::kStackLoggerAddress);
  GetRaw(base, L::kStackTitle, s.title);
  s.windMaxSpeed = GetF64(base, L::kStackWindMaxSpeed);
  s.alarmSpeed = GetF64(base, L::kStackAlarmSpeed);
  s.stopSpeed = GetF64(base, L::kStackStopSpeed);
  s.tripSpeed = GetF64(base, L::kStackTripSpeed);
  for (size_t i = 0; i < s.reserved120.size(); ++i) {
    s.reserved120[i] = GetI32(base, L::kStackReserved120 + i * L::kInt32Size);
  }
  GetRaw(base, L::kStackReserved132, s.reserved132);
  GetRaw(base, L::kStackReserved136, s.reserved136);
  s.directEnable = GetI32(base, L::kStackDirectEnable);
  GetRaw(base, L::kStackReserved156, s.reserved156);
}

void ReplaceIfNonFinite(double& v, double fallback) {
  if (!std::isfinite(v)) v = fallback;
}

}  // namespace

Settings::Settings() {
  (void)SetFieldBytes(formatVersion, "1.0", formatVersion.size());
  (void)SetFieldBytes(programTitle, "WINDSCOPE", programTitle.size());
  (void)SetFieldBytes(speedUnit, "m/s", speedUnit.size());
  for (size_t i = 0; i < stacks.size(); ++i) {
    char title[32];
    std::snprintf(title, sizeof title, "STACK #%d", static_cast<int>(i + 1));
    (void)SetFieldBytes(stacks[i].title, title, stacks[i].title.size());
  }
}

void Settings::SetDefaults(const SystemTime& now) {
  *this = Settings();
  reportStart = now;
  reportEnd = now;
}

void Settings::Serialize(std::span<uint8_t, kSettingsSize> out) const {
  uint8_t* b = out.data();
  PutRaw(b, L::kFormatVersion, formatVersion);
  PutRaw(b, L::kProgramTitle, programTitle);
  PutRaw(b, L::kSpeedUnit, speedUnit);
  PutI32(b, L::kReserved160, reserved160);
  PutI32(b, L::kReserved164, reserved164);
  PutRaw(b, L::kReserved168, reserved168);
  PutI32(b, L::kReserved200, reserved200);
  PutI32(b, L::kReserved204, reserved204);
  PutRaw(b, L::kReserved208, reserved208);
  PutI32(b, L::kReserved240, reserved240);
  PutI32(b, L::kReserved244, reserved244);
  PutI32(b, L::kReservedInterval, reservedInterval);
  PutRaw(b, L::kReserved252, reserved252);
  PutF64(b, L::kReserved256, reserved256);
  PutF64(b, L::kGaugeSplitRatio, gaugeSplitRatio);
  PutRaw(b, L::kReserved272, reserved272);
  PutI32(b, L::kReserved344, reserved344);
  PutU32(b, L::kDirectionMeterColour, directionMeterColour);
  PutU32(b, L::kSpeedMeterColour, speedMeterColour);
  for (size_t i = 0; i < chartColours.size(); ++i) {
    PutU32(b, L::kChartColours + i * L::kColourSize, chartColours[i]);
  }
  for (size_t i = 0; i < reservedColours.size(); ++i) {
    PutU32(b, L::kReservedColours + i * L::kColourSize, reservedColours[i]);
  }
  PutI32(b, L::kSoundMode, soundMode);
  PutRaw(b, L::kAlarmSoundPath, alarmSoundPath);
  PutRaw(b, L::kStopSoundPath, stopSoundPath);
  PutRaw(b, L::kTripSoundPath, tripSoundPath);
  PutTime(b, L::kReportStart, reportStart);
  PutTime(b, L::kReportEnd, reportEnd);
  PutRaw(b, L::kReserved1212, reserved1212);
  for (size_t i = 0; i < stacks.size(); ++i) SerializeStack(stacks[i], b + L::StackOffset(i));
  PutI32(b, L::kStackCount, stackCount);
  PutU32(b, L::kAlarmColour, alarmColour);
  PutU32(b, L::kStopColour, stopColour);
  PutU32(b, L::kTripColour, tripColour);
  for (size_t k = 0; k < statisticsSnapshot.size(); ++k) {
    for (size_t i = 0; i < statisticsSnapshot[k].size(); ++i) {
      PutF64(b, L::StatisticsOffset(k, i), statisticsSnapshot[k][i]);
    }
  }
  PutU8(b, L::kSignalLampEnabled, signalLampEnabled);
  PutRaw(b, L::kReserved424433, reserved424433);
  PutU32(b, L::kSignalLampAddress, signalLampAddress);
  PutU8(b, L::kGridColumns, static_cast<uint8_t>(gridColumns));
  PutU8(b, L::kGridRows, static_cast<uint8_t>(gridRows));
  PutRaw(b, L::kReserved424442, reserved424442);
}

std::vector<uint8_t> Settings::ToBytes() const {
  std::vector<uint8_t> bytes(kSettingsSize);
  Serialize(std::span<uint8_t, kSettingsSize>(bytes.data(), kSettingsSize));
  return bytes;
}

bool Settings::Deserialize(std::span<const uint8_t> bytes) {
  if (bytes.size() != kSettingsSize) return false;
  const uint8_t* b = bytes.data();
  GetRaw(b, L::kFormatVersion, formatVersion);
  GetRaw(b, L::kProgramTitle, programTitle);
  GetRaw(b, L::kSpeedUnit, speedUnit);
  reserved160 = GetI32(b, L::kReserved160);
  reserved164 = GetI32(b, L::kReserved164);
  GetRaw(b, L::kReserved168, reserved168);
  reserved200 = GetI32(b, L::kReserved200);
  reserved204 = GetI32(b, L::kReserved204);
  GetRaw(b, L::kReserved208, reserved208);
  reserved240 = GetI32(b, L::kReserved240);
  reserved244 = GetI32(b, L::kReserved244);
  reservedInterval = GetI32(b, L::kReservedInterval);
  GetRaw(b, L::kReserved252, reserved252);
  reserved256 = GetF64(b, L::kReserved256);
  gaugeSplitRatio = GetF64(b, L::kGaugeSplitRatio);
  GetRaw(b, L::kReserved272, reserved272);
  reserved344 = GetI32(b, L::kReserved344);
  directionMeterColour = GetU32(b, L::kDirectionMeterColour);
  speedMeterColour = GetU32(b, L::kSpeedMeterColour);
  for (size_t i = 0; i < chartColours.size(); ++i) {
    chartColours[i] = GetU32(b, L::kChartColours + i * L::kColourSize);
  }
  for (size_t i = 0; i < reservedColours.size(); ++i) {
    reservedColours[i] = GetU32(b, L::kReservedColours + i * L::kColourSize);
  }
  soundMode = GetI32(b, L::kSoundMode);
  GetRaw(b, L::kAlarmSoundPath, alarmSoundPath);
  GetRaw(b, L::kStopSoundPath, stopSoundPath);
  GetRaw(b, L::kTripSoundPath, tripSoundPath);
  reportStart = GetTime(b, L::kReportStart);
  reportEnd = GetTime(b, L::kReportEnd);
  GetRaw(b, L::kReserved1212, reserved1212);
  for (size_t i = 0; i < stacks.size(); ++i) DeserializeStack(b + L::StackOffset(i), stacks[i]);
  stackCount = GetI32(b, L::kStackCount);
  alarmColour = GetU32(b, L::kAlarmColour);
  stopColour = GetU32(b, L::kStopColour);
  tripColour = GetU32(b, L::kTripColour);
  for (size_t k = 0; k < statisticsSnapshot.size(); ++k) {
    for (size_t i = 0; i < statisticsSnapshot[k].size(); ++i) {
      statisticsSnapshot[k][i] = GetF64(b, L::StatisticsOffset(k, i));
    }
  }
  signalLampEnabled = GetU8(b, L::kSignalLampEnabled);
  GetRaw(b, L::kReserved424433, reserved424433);
  signalLampAddress = GetU32(b, L::kSignalLampAddress);
  gridColumns = static_cast<int8_t>(GetU8(b, L::kGridColumns));
  gridRows = static_cast<int8_t>(GetU8(b, L::kGridRows));
  GetRaw(b, L::kReserved424442, reserved424442);
  return true;
}

void Settings::ReplaceNonFinite() {
  ReplaceIfNonFinite(gaugeSplitRatio, kDefaultGaugeSplitRatio);
  for (StackSettings& s : stacks) {
    ReplaceIfNonFinite(s.windMaxSpeed, kDefaultWindMaxSpeed);
    ReplaceIfNonFinite(s.alarmSpeed, kDefaultAlarmSpeed);
    ReplaceIfNonFinite(s.stopSpeed, kDefaultStopSpeed);
    ReplaceIfNonFinite(s.tripSpeed, kDefaultTripSpeed);
  }
}

void Settings::Validate() {
  if (stackCount < 1 || stackCount > kMaxStacks) stackCount = 1;
  // Without the cap, 28 stacks or more would give a grid the dialog cannot show.
  const int c = std::min(stackCount / 2 + 1, kGridLimit);
  if (gridColumns < 0 || gridColumns > kGridLimit) gridColumns = static_cast<int8_t>(c);
  if (gridRows < 0 || gridRows > kGridLimit) gridRows = static_cast<int8_t>(c);
}

void Settings::ClampReservedInterval() {
  if (reservedInterval < 10 || reservedInterval >= 1000) reservedInterval = kDefaultReservedInterval;
}

// ---- Text fields ----

std::string_view FieldBytes(std::span<const char> field) {
  const auto end = std::find(field.begin(), field.end(), '\0');
  return std::string_view(field.data(), static_cast<size_t>(end - field.begin()));
}

std::string FieldUtf8(std::span<const char> field) { return Cp949ToUtf8(FieldBytes(field)); }

std::u16string FieldUtf16(std::span<const char> field) { return Cp949ToUtf16(FieldBytes(field)); }

bool SetFieldBytes(std::span<char> field, std::string_view cp949, size_t limit, TextOverflow overflow) {
  limit = std::min(limit, field.size());
  if (limit == 0) return cp949.empty();
  // Text stops at an embedded zero, as it would when read back.
  cp949 = cp949.substr(0, std::min(cp949.find('\0'), cp949.size()));
  const bool fits = cp949.size() + 1 <= limit;
  if (!fits && overflow == TextOverflow::kRefuse) return false;
  const size_t n = fits ? cp949.size() : Cp949PrefixLength(cp949, limit - 1);
  std::fill(field.begin(), field.end(), '\0');
  std::copy_n(cp949.begin(), n, field.begin());
  return fits;
}

bool SetFieldUtf8(std::span<char> field, std::string_view utf8, size_t limit, TextOverflow overflow) {
  return SetFieldBytes(field, Utf8ToCp949(utf8), limit, overflow);
}

bool SetFieldUtf16(std::span<char> field, std::u16string_view utf16, size_t limit,
                   TextOverflow overflow) {
  return SetFieldBytes(field, Utf16ToCp949(utf16), limit, overflow);
}

// ---- IPv4 addresses ----

std::string AddressToText(uint32_t stored) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", stored & 0xFFu, stored >> 8 & 0xFFu,
                stored >> 16 & 0xFFu, stored >> 24 & 0xFFu);
  return text;
}

std::optional<uint32_t> AddressFromText(std::string_view text) {
  uint32_t stored = 0;
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (p == end || *p != '.') return std::nullopt;
      ++p;
    }
    // One to three decimal digits; from_chars alone would accept more.
    const char* digits = p;
    while (p != end && *p >= '0' && *p <= '9' && p - digits < 4) ++p;
    if (p == digits || p - digits > 3) return std::nullopt;
    unsigned value = 0;
    (void)std::from_chars(digits, p, value);
    if (value > 255) return std::nullopt;
    stored |= static_cast<uint32_t>(value) << (8 * part);
  }
  if (p != end) return std::nullopt;
  return stored;
}

}  // namespace ws
