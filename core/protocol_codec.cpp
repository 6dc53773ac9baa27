#include "core/protocol_codec.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace ws {
namespace {

bool HasPrefix(std::span<const uint8_t> reply, std::string_view prefix) {
  if (reply.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), reply.begin(),
                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

uint16_t ReadU16BE(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>((bytes[offset] << 8) | bytes[offset + 1]);
}

float Tenths(uint16_t raw) { return raw == kBlockNoValue ? 0.0f : static_cast<float>(raw) / 10.0f; }

}  // namespace

ReplyKind ClassifyReply(std::span<const uint8_t> reply) {
  if (HasPrefix(reply, "R000:")) return ReplyKind::kLiveValues;
  if (HasPrefix(reply, "R001:")) return ReplyKind::kR001;
  if (HasPrefix(reply, "R002:")) return ReplyKind::kDumpBlock;
  if (HasPrefix(reply, "APPE:")) return ReplyKind::kFirmwareBegin;
  if (HasPrefix(reply, "APPW:")) return ReplyKind::kFirmwarePage;
  if (HasPrefix(reply, "APP>:")) return ReplyKind::kFirmwareEnd;
  return ReplyKind::kOther;
}

float ReadFloatLE(std::span<const uint8_t> bytes, size_t offset) {
  const uint32_t bits = static_cast<uint32_t>(bytes[offset]) |
                        static_cast<uint32_t>(bytes[offset + 1]) << 8 |
                        static_cast<uint32_t>(bytes[offset + 2]) << 16 |
                        static_cast<uint32_t>(bytes[offset + 3]) << 24;
  return std::bit_cast<float>(bits);
}

std::optional<LiveValues> DecodeLiveReply(std::span<const uint8_t> reply) {
  if (reply.size() < kLiveReplySize || ClassifyReply(reply) != ReplyKind::kLiveValues) {
    return std::nullopt;
  }
  return LiveValues{ReadFloatLE(reply, kLiveDirectionOffset), ReadFloatLE(reply, kLiveSpeedOffset)};
}

std::optional<BlockTime> PeekBlockTime(std::span<const uint8_t> reply) {
  if (reply.size() < kBlockReplySize || ClassifyReply(reply) != ReplyKind::kDumpBlock) {
    return std::nullopt;
  }
  return BlockTime{reply[kBlockHourOffset], reply[kBlockMinuteOffset]};
}

bool IsValidBlockTime(BlockTime t) {
  return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 55;
}

std::optional<DumpBlock> DecodeBlockReply(std::span<const uint8_t> reply, const SystemTime& date,
                                          const SystemTime& now) {
  const std::optional<BlockTime> time = PeekBlockTime(reply);
  if (!time || !IsValidBlockTime(*time)) return std::nullopt;

  DumpBlock block;
  block.start.year = date.year;
  block.start.month = date.month;
  block.start.day = date.day;
  block.start.hour = static_cast<uint16_t>(time->hour);
  block.start.minute = static_cast<uint16_t>(time->minute);
  block.start = FromCivilSeconds(CivilSeconds(block.start));  // fills in the day of week

  // Samples stamped after this second lie in the future and are stored as 0/0.
  const int64_t futureFrom = CivilSeconds(now) - CivilSeconds(block.start) + 1;
  for (int k = 0; k < kBlockSamples; ++k) {
    if (k >= futureFrom) break;  // the rest stay 0/0, unknown
    const size_t at = kBlockSamplesOffset + static_cast<size_t>(k) * kBlockSampleSize;
    const uint16_t direction = ReadU16BE(reply, at);
    const uint16_t speed = ReadU16BE(reply, at + 2);
    block.samples[static_cast<size_t>(k)] = {Tenths(direction), Tenths(speed),
                                             direction != kBlockNoValue && speed != kBlockNoValue};
  }
  return block;
}

BlockTime BlockStart(int block) {
  const int c = std::clamp(block, 0, kBlocksPerDay);
  return {c / 12, (c % 12) * kBlockMinutes};
}

std::string DumpRequestText(int month, int day, int block) {
  const BlockTime t = BlockStart(block);
  char text[32];
  const int n = std::snprintf(text, sizeof text, "R002?%02d%02d%02d%02d", std::clamp(month, 0, 99),
                              std::clamp(day, 0, 99), t.hour, t.minute);
  return std::string(text, static_cast<size_t>(std::max(n, 0)));
}

std::string FirmwarePageHeader(int page) {
  char text[16];
  const int n = std::snprintf(text, sizeof text, "APPW:%04d", std::clamp(page, 0, 9999));
  return std::string(text, static_cast<size_t>(std::max(n, 0)));
}

float ApplyTestSpeedMode(int mode, float speed) {
  switch (mode) {
    case 1: return 35.5f;
    case 2: return 44.5f;
    case 3: return 52.5f;
    default: return speed;
  }
}

bool IsConnectableAddress(uint32_t networkOrder) {
  return networkOrder != 0 && networkOrder != 0xFFFFFFFFu;
}

}  // namespace ws
