// The logger protocol's messages: the command texts the station sends, the
// recognition of a reply by its five-character prefix, and the decoding of the
// live-value ("R000:") and history-block ("R002:") replies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/system_time.h"

namespace ws {

// A reply is recognised by its first five characters.
enum class ReplyKind {
  kLiveValues,     // "R000:"
  kR001,           // "R001:" accepted and ignored
  kDumpBlock,      // "R002:"
  kFirmwareBegin,  // "APPE:"
  kFirmwarePage,   // "APPW:" page accepted, send the next
  kFirmwareEnd,    // "APP>:" image complete
  kOther,          // anything else, including replies shorter than five bytes
};

inline constexpr size_t kPrefixSize = 5;
inline constexpr std::string_view kPollCommand = "R000?";
inline constexpr std::string_view kFirmwareEndCommand = "APP>:";
inline constexpr std::string_view kRestartCommand = "REST:";

// "R000:" layout: prefix, direction (float32 LE, degrees), speed (float32 LE).
inline constexpr size_t kLiveDirectionOffset = kPrefixSize;
inline constexpr size_t kLiveSpeedOffset = kLiveDirectionOffset + 4;
inline constexpr size_t kLiveReplySize = kLiveSpeedOffset + 4;
static_assert(kLiveReplySize == 13);

// "R002:" layout: prefix, two unused bytes, hour, minute, then 300 samples of
// direction*10 and speed*10 as big-endian uint16 (0xFFFF = no value).
inline constexpr size_t kBlockHourOffset = kPrefixSize + 2;
inline constexpr size_t kBlockMinuteOffset = kBlockHourOffset + 1;
inline constexpr size_t kBlockSamplesOffset = kBlockMinuteOffset + 1;
inline constexpr int kBlockSamples = 300;  // five minutes, one a second
inline constexpr size_t kBlockSampleSize = 2 + 2;
inline constexpr size_t kBlockReplySize = kBlockSamplesOffset + kBlockSamples * kBlockSampleSize;
static_assert(kBlockReplySize == 1209);
inline constexpr uint16_t kBlockNoValue = 0xFFFF;

// A day is 288 five-minute blocks; the request for block 288 (hour 24) closes it.
inline constexpr int kBlocksPerDay = 288;
inline constexpr int kBlockMinutes = 5;

// "APPW:%04d" followed by one page of the image.
inline constexpr size_t kFirmwarePageSize = 1024;
inline constexpr size_t kFirmwarePageHeaderSize = 9;
inline constexpr size_t kFirmwarePageCommandSize = kFirmwarePageHeaderSize + kFirmwarePageSize;

struct LiveValues {
  float direction = 0.0f;  // degrees
  float speed = 0.0f;      // the configured speed unit
};

struct DumpSample {
  float direction = 0.0f;
  float speed = 0.0f;
  // The logger sent both values for this second, and the second is not in the
  // future. An unknown sample never replaces a recorded one (MergeRecordBlock).
  bool known = false;
};

// One decoded five-minute block, ready for the record file: `start` is the
// dump date at the block's hour and minute, second 0; sample k is k seconds later.
struct DumpBlock {
  SystemTime start;
  std::array<DumpSample, kBlockSamples> samples{};
};

[[nodiscard]] ReplyKind ClassifyReply(std::span<const uint8_t> reply);

// Direction and speed of an "R000:" reply of 13 bytes or more (extra bytes are
// ignored); nullopt when shorter or not "R000:". Values are returned exactly as
// sent, NaN and infinities included: the caller decides what to keep.
[[nodiscard]] std::optional<LiveValues> DecodeLiveReply(std::span<const uint8_t> reply);

// The hour and minute bytes of an "R002:" reply of 1209 bytes or more.
struct BlockTime {
  int hour = 0;
  int minute = 0;
};
[[nodiscard]] std::optional<BlockTime> PeekBlockTime(std::span<const uint8_t> reply);

// True when hour and minute can start a block of the day (hour 0..23, minute
// 0..55); a block outside that range is broken and never written.
[[nodiscard]] bool IsValidBlockTime(BlockTime t);

// Decodes an "R002:" block of 1209 bytes or more for the day `date` (year,
// month, day used). A missing value (0xFFFF) comes out as 0 and leaves its sample
// unknown; samples later than `now` come out as 0/0, unknown. nullopt when the reply is short, not "R002:", or its hour/minute
// is broken.
[[nodiscard]] std::optional<DumpBlock> DecodeBlockReply(std::span<const uint8_t> reply,
                                                        const SystemTime& date,
                                                        const SystemTime& now);

// The hour and minute a day's block starts at: block c -> c / 12, (c % 12) * 5.
[[nodiscard]] BlockTime BlockStart(int block);

// "R002?MMDDhhmm" asking for block `block` (0..288) of the given month and day.
[[nodiscard]] std::string DumpRequestText(int month, int day, int block);

// "APPW:%04d" and the 1024-byte page (already zero-filled by the caller).
[[nodiscard]] std::string FirmwarePageHeader(int page);

// Ctrl+F2..F4 test modes 1..3 replace every live speed by 35.5, 44.5, 52.5 so
// that the Alarm, Stop and Trip levels can be exercised; mode 0 keeps it.
[[nodiscard]] float ApplyTestSpeedMode(int mode, float speed);

// Addresses a link must never connect to: 0.0.0.0 (on Linux that is this
// machine) and the broadcast 255.255.255.255. Such a link stays silent.
[[nodiscard]] bool IsConnectableAddress(uint32_t networkOrder);

// Reads the little-endian IEEE 754 single at `offset`; `bytes` must hold it.
[[nodiscard]] float ReadFloatLE(std::span<const uint8_t> bytes, size_t offset);

}  // namespace ws
