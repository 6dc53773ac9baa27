// Byte layout of the configuration record "WDX-5100.cfg": offsets and sizes of
// every field, little-endian, as written out in doc/settings_format.md.
#pragma once

#include <cstddef>

namespace ws::settings_layout {

// Sizes of the stored types.
inline constexpr size_t kInt32Size = 4;
inline constexpr size_t kDoubleSize = 8;
inline constexpr size_t kColourSize = 4;       // COLORREF 0x00BBGGRR
inline constexpr size_t kSystemTimeSize = 8 * 2;  // eight uint16 fields

// ---- One stack record (StackSettings) ----
inline constexpr size_t kStackLoggerAddress = 0;  // uint32, network byte order
inline constexpr size_t kStackTitle = kStackLoggerAddress + 4;
inline constexpr size_t kStackTitleSize = 84;
inline constexpr size_t kStackWindMaxSpeed = kStackTitle + kStackTitleSize;
inline constexpr size_t kStackAlarmSpeed = kStackWindMaxSpeed + kDoubleSize;
inline constexpr size_t kStackStopSpeed = kStackAlarmSpeed + kDoubleSize;
inline constexpr size_t kStackTripSpeed = kStackStopSpeed + kDoubleSize;
inline constexpr size_t kStackReserved120 = kStackTripSpeed + kDoubleSize;  // int32 x 3
inline constexpr size_t kStackReserved132 = kStackReserved120 + 3 * kInt32Size;
inline constexpr size_t kStackReserved132Size = 4;
inline constexpr size_t kStackReserved136 = kStackReserved132 + kStackReserved132Size;
inline constexpr size_t kStackReserved136Size = 16;
inline constexpr size_t kStackDirectEnable = kStackReserved136 + kStackReserved136Size;
inline constexpr size_t kStackReserved156 = kStackDirectEnable + kInt32Size;
inline constexpr size_t kStackReserved156Size = 4012;
inline constexpr size_t kStackSize = kStackReserved156 + kStackReserved156Size;

static_assert(kStackTitle == 4);
static_assert(kStackWindMaxSpeed == 88);
static_assert(kStackAlarmSpeed == 96);
static_assert(kStackStopSpeed == 104);
static_assert(kStackTripSpeed == 112);
static_assert(kStackReserved120 == 120);
static_assert(kStackReserved132 == 132);
static_assert(kStackReserved136 == 136);
static_assert(kStackDirectEnable == 152);
static_assert(kStackReserved156 == 156);
static_assert(kStackSize == 4168);

// ---- The whole record (Settings) ----
inline constexpr size_t kMaxStacks = 100;
inline constexpr size_t kStatisticsArrays = 8;  // 4 mean directions, then 4 mean speeds
inline constexpr size_t kChartColourCount = 6;
inline constexpr size_t kReservedColourCount = 4;

inline constexpr size_t kFormatVersion = 0;
inline constexpr size_t kFormatVersionSize = 40;
inline constexpr size_t kProgramTitle = kFormatVersion + kFormatVersionSize;
inline constexpr size_t kProgramTitleSize = 80;
inline constexpr size_t kSpeedUnit = kProgramTitle + kProgramTitleSize;
inline constexpr size_t kSpeedUnitSize = 40;
inline constexpr size_t kReserved160 = kSpeedUnit + kSpeedUnitSize;  // int32
inline constexpr size_t kReserved164 = kReserved160 + kInt32Size;    // int32
inline constexpr size_t kReserved168 = kReserved164 + kInt32Size;
inline constexpr size_t kReserved168Size = 32;
inline constexpr size_t kReserved200 = kReserved168 + kReserved168Size;  // int32
inline constexpr size_t kReserved204 = kReserved200 + kInt32Size;        // int32
inline constexpr size_t kReserved208 = kReserved204 + kInt32Size;
inline constexpr size_t kReserved208Size = 32;
inline constexpr size_t kReserved240 = kReserved208 + kReserved208Size;  // int32
inline constexpr size_t kReserved244 = kReserved240 + kInt32Size;        // int32
inline constexpr size_t kReservedInterval = kReserved244 + kInt32Size;   // int32
inline constexpr size_t kReserved252 = kReservedInterval + kInt32Size;
inline constexpr size_t kReserved252Size = 4;
inline constexpr size_t kReserved256 = kReserved252 + kReserved252Size;  // double
inline constexpr size_t kGaugeSplitRatio = kReserved256 + kDoubleSize;   // double
inline constexpr size_t kReserved272 = kGaugeSplitRatio + kDoubleSize;
inline constexpr size_t kReserved272Size = 72;
inline constexpr size_t kReserved344 = kReserved272 + kReserved272Size;  // int32
inline constexpr size_t kDirectionMeterColour = kReserved344 + kInt32Size;
inline constexpr size_t kSpeedMeterColour = kDirectionMeterColour + kColourSize;
inline constexpr size_t kChartColours = kSpeedMeterColour + kColourSize;
inline constexpr size_t kReservedColours = kChartColours + kChartColourCount * kColourSize;
inline constexpr size_t kSoundMode = kReservedColours + kReservedColourCount * kColourSize;
inline constexpr size_t kAlarmSoundPath = kSoundMode + kInt32Size;
inline constexpr size_t kSoundPathSize = 260;
inline constexpr size_t kStopSoundPath = kAlarmSoundPath + kSoundPathSize;
inline constexpr size_t kTripSoundPath = kStopSoundPath + kSoundPathSize;
inline constexpr size_t kReportStart = kTripSoundPath + kSoundPathSize;
inline constexpr size_t kReportEnd = kReportStart + kSystemTimeSize;
inline constexpr size_t kReserved1212 = kReportEnd + kSystemTimeSize;
inline constexpr size_t kReserved1212Size = 4;
inline constexpr size_t kStacks = kReserved1212 + kReserved1212Size;
inline constexpr size_t kStackCount = kStacks + kMaxStacks * kStackSize;
inline constexpr size_t kAlarmColour = kStackCount + kInt32Size;
inline constexpr size_t kStopColour = kAlarmColour + kColourSize;
inline constexpr size_t kTripColour = kStopColour + kColourSize;
inline constexpr size_t kStatisticsSnapshot = kTripColour + kColourSize;
inline constexpr size_t kStatisticsArraySize = kMaxStacks * kDoubleSize;
inline constexpr size_t kSignalLampEnabled =
    kStatisticsSnapshot + kStatisticsArrays * kStatisticsArraySize;  // uint8
inline constexpr size_t kReserved424433 = kSignalLampEnabled + 1;
inline constexpr size_t kReserved424433Size = 3;
inline constexpr size_t kSignalLampAddress = kReserved424433 + kReserved424433Size;  // uint32
inline constexpr size_t kGridColumns = kSignalLampAddress + 4;  // int8
inline constexpr size_t kGridRows = kGridColumns + 1;           // int8
inline constexpr size_t kReserved424442 = kGridRows + 1;
inline constexpr size_t kReserved424442Size = 4086;
inline constexpr size_t kSettingsSize = kReserved424442 + kReserved424442Size;

static_assert(kProgramTitle == 40);
static_assert(kSpeedUnit == 120);
static_assert(kReserved160 == 160);
static_assert(kReserved168 == 168);
static_assert(kReserved200 == 200);
static_assert(kReserved208 == 208);
static_assert(kReserved240 == 240);
static_assert(kReservedInterval == 248);
static_assert(kReserved256 == 256);
static_assert(kGaugeSplitRatio == 264);
static_assert(kReserved272 == 272);
static_assert(kReserved344 == 344);
static_assert(kDirectionMeterColour == 348);
static_assert(kSpeedMeterColour == 352);
static_assert(kChartColours == 356);
static_assert(kReservedColours == 380);
static_assert(kSoundMode == 396);
static_assert(kAlarmSoundPath == 400);
static_assert(kStopSoundPath == 660);
static_assert(kTripSoundPath == 920);
static_assert(kReportStart == 1180);
static_assert(kReportEnd == 1196);
static_assert(kReserved1212 == 1212);
static_assert(kStacks == 1216);
static_assert(kStackCount == 418016);
static_assert(kAlarmColour == 418020);
static_assert(kStopColour == 418024);
static_assert(kTripColour == 418028);
static_assert(kStatisticsSnapshot == 418032);
static_assert(kSignalLampEnabled == 424432);
static_assert(kSignalLampAddress == 424436);
static_assert(kGridColumns == 424440);
static_assert(kGridRows == 424441);
static_assert(kReserved424442 == 424442);
static_assert(kSettingsSize == 428528);

// Offset of stack i's record, and of statisticsSnapshot[k][i].
constexpr size_t StackOffset(size_t i) { return kStacks + i * kStackSize; }
constexpr size_t StatisticsOffset(size_t k, size_t i) {
  return kStatisticsSnapshot + k * kStatisticsArraySize + i * kDoubleSize;
}
static_assert(StackOffset(99) + kStackSize == kStackCount);
static_assert(StatisticsOffset(7, 99) + kDoubleSize == kSignalLampEnabled);

// Text limits applied when the configuration dialog writes a field, in bytes of
// CP949 text with the terminator included. A stack title is held in 84 bytes but
// written in at most 80.
inline constexpr size_t kProgramTitleLimit = 80;
inline constexpr size_t kSpeedUnitLimit = 40;
inline constexpr size_t kSoundPathLimit = 260;
inline constexpr size_t kStackTitleLimit = 80;

}  // namespace ws::settings_layout
