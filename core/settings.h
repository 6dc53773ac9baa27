// The station's one configuration record (the content of "WDX-5100.cfg"), with its
// defaults, validation, byte image and the helpers to read and write its texts.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/alarm_thresholds.h"
#include "core/settings_layout.h"
#include "core/system_time.h"

namespace ws {

inline constexpr int kMaxStacks = static_cast<int>(settings_layout::kMaxStacks);
inline constexpr size_t kSettingsSize = settings_layout::kSettingsSize;
inline constexpr size_t kStackSettingsSize = settings_layout::kStackSize;

// Indexes of the arrays of Settings::statisticsSnapshot.
enum StatisticsIndex : int {
  kStatDirection1Min = 0,
  kStatDirection10Min = 1,
  kStatDirection1Hour = 2,
  kStatDirection1Day = 3,
  kStatSpeed1Min = 4,
  kStatSpeed10Min = 5,
  kStatSpeed1Hour = 6,
  kStatSpeed1Day = 7,
};

// Defaults of the numbers the station relies on.
inline constexpr double kDefaultWindMaxSpeed = 60.0;
inline constexpr double kDefaultAlarmSpeed = 30.0;
inline constexpr double kDefaultStopSpeed = 40.0;
inline constexpr double kDefaultTripSpeed = 45.0;
inline constexpr double kDefaultGaugeSplitRatio = 0.7;
inline constexpr int32_t kDefaultReservedInterval = 10;
inline constexpr int kGridLimit = 14;  // gridColumns and gridRows are 0..14

// The record of one stack. Text fields hold raw CP949 bytes, zero-terminated
// within their width when written by the station (read them with FieldUtf8 /
// FieldUtf16, which also cope with a field that has no terminator).
//
// windMaxSpeed and the three speed thresholds exist in every record, but only
// stacks[0] is read and edited: its values apply to every stack.
struct StackSettings {
  uint32_t loggerAddress = 0;  // IPv4, network byte order as stored (see AddressToText)
  std::array<char, settings_layout::kStackTitleSize> title{};
  double windMaxSpeed = kDefaultWindMaxSpeed;
  double alarmSpeed = kDefaultAlarmSpeed;
  double stopSpeed = kDefaultStopSpeed;
  double tripSpeed = kDefaultTripSpeed;
  std::array<int32_t, 3> reserved120{};
  std::array<uint8_t, settings_layout::kStackReserved132Size> reserved132{};
  std::array<uint8_t, settings_layout::kStackReserved136Size> reserved136{};
  int32_t directEnable = 0;  // nonzero: the stack has a wind direction sensor
  std::array<uint8_t, settings_layout::kStackReserved156Size> reserved156{};

  friend bool operator==(const StackSettings&, const StackSettings&) = default;
};

// The whole configuration record. A default-constructed Settings holds every
// default except the report span, which SetDefaults takes from the clock.
// The record is large (about 420 KiB): keep it on the heap or as a member.
//
// Colours are COLORREF values 0x00BBGGRR.
struct Settings {
  std::array<char, settings_layout::kFormatVersionSize> formatVersion{};  // "1.0"
  std::array<char, settings_layout::kProgramTitleSize> programTitle{};    // "WINDSCOPE"
  std::array<char, settings_layout::kSpeedUnitSize> speedUnit{};          // "m/s"
  int32_t reserved160 = 1;
  int32_t reserved164 = 2;
  std::array<uint8_t, settings_layout::kReserved168Size> reserved168{};
  int32_t reserved200 = 9600;
  int32_t reserved204 = 9600;
  std::array<uint8_t, settings_layout::kReserved208Size> reserved208{};
  int32_t reserved240 = 1;
  int32_t reserved244 = 1;
  // Kept within 10..999 by ClampReservedInterval after the configuration dialog's OK.
  int32_t reservedInterval = kDefaultReservedInterval;
  std::array<uint8_t, settings_layout::kReserved252Size> reserved252{};
  double reserved256 = 1.0;
  // Position of the gauge panel's horizontal splitter as a fraction of its height.
  double gaugeSplitRatio = kDefaultGaugeSplitRatio;
  std::array<uint8_t, settings_layout::kReserved272Size> reserved272{};
  int32_t reserved344 = 0;
  uint32_t directionMeterColour = 0x0000FA;
  uint32_t speedMeterColour = 0x00C800;
  // Class colours of the report charts, "LOW" first, "HIGH" last.
  std::array<uint32_t, settings_layout::kChartColourCount> chartColours{
      0x800000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x4080FF, 0x0000FF};
  std::array<uint32_t, settings_layout::kReservedColourCount> reservedColours{
      0x0000FF, 0x0000FF, 0x0000FF, 0x0000FF};
  int32_t soundMode = 1;  // 0: an alarm sound plays once; nonzero: loops until acknowledged
  std::array<char, settings_layout::kSoundPathSize> alarmSoundPath{};
  std::array<char, settings_layout::kSoundPathSize> stopSoundPath{};
  std::array<char, settings_layout::kSoundPathSize> tripSoundPath{};
  SystemTime reportStart{};
  SystemTime reportEnd{};
  std::array<uint8_t, settings_layout::kReserved1212Size> reserved1212{};
  std::array<StackSettings, settings_layout::kMaxStacks> stacks{};
  int32_t stackCount = 1;  // stacks in use, 1..100 after Validate
  uint32_t alarmColour = 0x008000;
  uint32_t stopColour = 0x4080FF;
  uint32_t tripColour = 0x0000FF;
  // statisticsSnapshot[k][i]: k a StatisticsIndex, i the stack. Written at exit;
  // the station never reads it back.
  std::array<std::array<double, settings_layout::kMaxStacks>, settings_layout::kStatisticsArrays>
      statisticsSnapshot{};
  uint8_t signalLampEnabled = 0;  // 1: a signal lamp tower is connected
  std::array<uint8_t, settings_layout::kReserved424433Size> reserved424433{};
  uint32_t signalLampAddress = 0;  // IPv4, network byte order as stored
  int8_t gridColumns = 4;          // the overview has gridColumns + 1 columns
  int8_t gridRows = 5;             // and gridRows + 1 rows
  std::array<uint8_t, settings_layout::kReserved424442Size> reserved424442{};

  // Every default; the stack titles are "STACK #1" .. "STACK #100".
  Settings();

  // Resets every field to its default, with the report span set to `now`.
  void SetDefaults(const SystemTime& now);

  // The byte image of the record, field by field at its offsets (little-endian).
  void Serialize(std::span<uint8_t, kSettingsSize> out) const;
  std::vector<uint8_t> ToBytes() const;

  // Takes every field from a byte image of exactly kSettingsSize bytes. Any other
  // size is refused and leaves the record unchanged. No value is checked here:
  // see ReplaceNonFinite and Validate.
  [[nodiscard]] bool Deserialize(std::span<const uint8_t> bytes);

  // Thresholds, windMaxSpeed (of every stack record) and the split ratio that are
  // not finite numbers take their defaults.
  void ReplaceNonFinite();

  // stackCount outside 1..100 becomes 1; then gridColumns and gridRows outside
  // 0..14 become min(stackCount / 2 + 1, 14).
  void Validate();

  // What OK of the configuration dialog does to the reserved interval:
  // below 10 or at or above 1000 it becomes 10.
  void ClampReservedInterval();

  friend bool operator==(const Settings&, const Settings&) = default;
};

// ---- Text fields ----

// What to do with text that does not fit its field.
enum class TextOverflow {
  kCut,     // keep the longest prefix that fits, ending on a whole CP949 character
  kRefuse,  // leave the field unchanged (sound paths: a cut path names another file)
};

// The bytes of a text field up to its first zero, or the whole width if it has none.
std::string_view FieldBytes(std::span<const char> field);
// The field's text converted from CP949; unconvertible bytes become '?'.
std::string FieldUtf8(std::span<const char> field);
std::u16string FieldUtf16(std::span<const char> field);

// Stores CP949 text zero-terminated in the first `limit` bytes of the field
// (limit counts the terminator and is capped at the field's width); the rest of
// the field is zero-filled. Returns true when the whole text was stored, false
// when it was cut (kCut) or refused (kRefuse, field unchanged).
bool SetFieldBytes(std::span<char> field, std::string_view cp949, size_t limit,
                   TextOverflow overflow = TextOverflow::kCut);
// The same for UTF-8 / UTF-16 text, converted to CP949 first ('?' for characters
// CP949 cannot hold).
bool SetFieldUtf8(std::span<char> field, std::string_view utf8, size_t limit,
                  TextOverflow overflow = TextOverflow::kCut);
bool SetFieldUtf16(std::span<char> field, std::u16string_view utf16, size_t limit,
                   TextOverflow overflow = TextOverflow::kCut);

// ---- IPv4 addresses ----
//
// Addresses are kept as the file stores them: the four bytes a.b.c.d in that
// order, read as a little-endian uint32 (so a == value & 0xFF). That is the value
// inet_addr gives on a little-endian machine.

inline constexpr uint32_t kBroadcastAddress = 0xFFFFFFFFu;  // 255.255.255.255

// "a.b.c.d" in decimal.
std::string AddressToText(uint32_t stored);
// Four decimal numbers 0..255 separated by dots, nothing else; nullopt otherwise.
[[nodiscard]] std::optional<uint32_t> AddressFromText(std::string_view text);
// To and from the host-order value (a << 24 | b << 16 | c << 8 | d) that Qt's
// QHostAddress(quint32) and an IP address editor use.
constexpr uint32_t AddressToHostOrder(uint32_t stored) {
  return (stored & 0xFFu) << 24 | (stored >> 8 & 0xFFu) << 16 | (stored >> 16 & 0xFFu) << 8 |
         (stored >> 24 & 0xFFu);
}
constexpr uint32_t AddressFromHostOrder(uint32_t host) { return AddressToHostOrder(host); }

}  // namespace ws
