#include "core/protocol_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace ws {
namespace {

std::vector<uint8_t> Reply(std::string_view prefix, std::initializer_list<uint8_t> body) {
  std::vector<uint8_t> r(prefix.begin(), prefix.end());
  r.insert(r.end(), body);
  return r;
}

// An "R002:" block at hh:mm whose sample k carries direction k and speed k/10.
std::vector<uint8_t> Block(int hour, int minute) {
  std::vector<uint8_t> r = Reply("R002:", {0, 0, static_cast<uint8_t>(hour), static_cast<uint8_t>(minute)});
  for (int k = 0; k < kBlockSamples; ++k) {
    const int d = k * 10, s = k;
    r.insert(r.end(), {static_cast<uint8_t>(d >> 8), static_cast<uint8_t>(d), static_cast<uint8_t>(s >> 8),
                       static_cast<uint8_t>(s)});
  }
  return r;
}

SystemTime Day(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0) {
  return FromCivilSeconds(CivilSeconds({static_cast<uint16_t>(y), static_cast<uint16_t>(m), 0,
                                        static_cast<uint16_t>(d), static_cast<uint16_t>(hh),
                                        static_cast<uint16_t>(mm), static_cast<uint16_t>(ss), 0}));
}

TEST(ProtocolCodec, ClassifiesRepliesByTheirFirstFiveCharacters) {
  EXPECT_EQ(ClassifyReply(Reply("R000:", {})), ReplyKind::kLiveValues);
  EXPECT_EQ(ClassifyReply(Reply("R001:xyz", {})), ReplyKind::kR001);
  EXPECT_EQ(ClassifyReply(Reply("R002:", {1, 2})), ReplyKind::kDumpBlock);
  EXPECT_EQ(ClassifyReply(Reply("APPE:", {})), ReplyKind::kFirmwareBegin);
  EXPECT_EQ(ClassifyReply(Reply("APPW:", {})), ReplyKind::kFirmwarePage);
  EXPECT_EQ(ClassifyReply(Reply("APP>:", {})), ReplyKind::kFirmwareEnd);
  EXPECT_EQ(ClassifyReply(Reply("R000?", {})), ReplyKind::kOther);
  EXPECT_EQ(ClassifyReply(Reply("R000", {})), ReplyKind::kOther);
  EXPECT_EQ(ClassifyReply({}), ReplyKind::kOther);
  // Bytes arrive sign-extended and are cut to 8 bits: 0xD2 is not 'R'.
  EXPECT_EQ(ClassifyReply(Reply("\xD2" "000:", {})), ReplyKind::kOther);
}

TEST(ProtocolCodec, LiveReplyOf13BytesGivesDirection90Speed10) {
  const auto r = Reply("R000:", {0x00, 0x00, 0xB4, 0x42, 0x00, 0x00, 0x20, 0x41});
  ASSERT_EQ(r.size(), 13u);
  const auto v = DecodeLiveReply(r);
  ASSERT_TRUE(v);
  EXPECT_EQ(v->direction, 90.0f);
  EXPECT_EQ(v->speed, 10.0f);
  auto longer = r;
  longer.insert(longer.end(), {0xFF, 0xFF, 0xFF});
  EXPECT_EQ(DecodeLiveReply(longer)->speed, 10.0f);  // extra bytes ignored
}

TEST(ProtocolCodec, LiveReplyOf12BytesIsNotDecoded) {
  EXPECT_FALSE(DecodeLiveReply(Reply("R000:", {0, 0, 0xB4, 0x42, 0, 0, 0x20})));
  EXPECT_FALSE(DecodeLiveReply(Reply("R001:", {0, 0, 0xB4, 0x42, 0, 0, 0x20, 0x41})));
}

TEST(ProtocolCodec, NonFiniteLiveValuesAreCarriedAsSent) {
  const auto v = DecodeLiveReply(Reply("R000:", {0x00, 0x00, 0xC0, 0x7F, 0x00, 0x00, 0x80, 0xFF}));
  ASSERT_TRUE(v);
  EXPECT_TRUE(std::isnan(v->direction));
  EXPECT_EQ(v->speed, -std::numeric_limits<float>::infinity());
}

TEST(ProtocolCodec, ArbitraryInputNeverCrashesOrOverReads) {
  // Exactly sized heap copies, so that the sanitizer build catches any over-read.
  const std::vector<uint8_t> block = Block(3, 15);
  for (size_t n = 0; n <= block.size(); ++n) {
    const std::vector<uint8_t> cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(DecodeBlockReply(cut, Day(2026, 3, 1), Day(2026, 3, 2)).has_value(), n == block.size());
    std::vector<uint8_t> live = Reply("R000:", {});
    live.resize(std::min<size_t>(n, 40));
    (void)DecodeLiveReply(live);
  }
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; ++i) {
    std::vector<uint8_t> junk(rng() % 1400);
    for (auto& b : junk) b = static_cast<uint8_t>(rng());
    if (junk.size() >= 5 && i % 2) std::copy_n(i % 4 == 1 ? "R000:" : "R002:", 5, junk.begin());
    (void)ClassifyReply(junk);
    (void)DecodeLiveReply(junk);
    (void)DecodeBlockReply(junk, Day(2026, 3, 1), Day(2026, 3, 2));
  }
  std::vector<uint8_t> huge(10 * 1024 * 1024, 0xFF);
  std::copy_n("R002:", 5, huge.begin());
  huge[kBlockHourOffset] = 1;
  huge[kBlockMinuteOffset] = 0;
  EXPECT_TRUE(DecodeBlockReply(huge, Day(2026, 3, 1), Day(2026, 3, 2)));
}

TEST(ProtocolCodec, BlockDecodesTenthsAndDatesItsSamples) {
  const auto b = DecodeBlockReply(Block(13, 25), Day(2026, 2, 28), Day(2026, 3, 1));
  ASSERT_TRUE(b);
  EXPECT_EQ(b->start, Day(2026, 2, 28, 13, 25, 0));
  EXPECT_FLOAT_EQ(b->samples[0].direction, 0.0f);
  EXPECT_FLOAT_EQ(b->samples[123].direction, 123.0f);
  EXPECT_FLOAT_EQ(b->samples[123].speed, 12.3f);
  EXPECT_FLOAT_EQ(b->samples[299].speed, 29.9f);
}

TEST(ProtocolCodec, MissingAndFutureSamplesBecomeZero) {
  auto r = Block(10, 0);
  const size_t s7 = kBlockSamplesOffset + 7 * kBlockSampleSize;
  r[s7] = r[s7 + 1] = 0xFF;          // direction missing, speed present
  r[s7 + 2] = 0x01, r[s7 + 3] = 0x02;  // 25.8
  // Now is 10:02:00.500: samples up to 10:02:00 (k = 120) are real.
  auto now = Day(2026, 3, 1, 10, 2, 0);
  now.milliseconds = 500;
  const auto b = DecodeBlockReply(r, Day(2026, 3, 1), now);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->samples[7].direction, 0.0f);
  EXPECT_FLOAT_EQ(b->samples[7].speed, 25.8f);
  EXPECT_FLOAT_EQ(b->samples[120].direction, 120.0f);
  EXPECT_EQ(b->samples[121].direction, 0.0f);
  EXPECT_EQ(b->samples[121].speed, 0.0f);
  EXPECT_EQ(b->samples[299].speed, 0.0f);
}

TEST(ProtocolCodec, BlockWithHour24OrMinuteAbove55IsBroken) {
  const auto date = Day(2026, 3, 1), now = Day(2026, 3, 2);
  EXPECT_FALSE(DecodeBlockReply(Block(24, 0), date, now));
  EXPECT_FALSE(DecodeBlockReply(Block(0, 56), date, now));
  EXPECT_FALSE(DecodeBlockReply(Block(0, 57), date, now));
  EXPECT_FALSE(DecodeBlockReply(Block(255, 255), date, now));
  EXPECT_TRUE(DecodeBlockReply(Block(23, 55), date, now));
}

TEST(ProtocolCodec, DumpRequestTextsNameTheBlockStart) {
  EXPECT_EQ(DumpRequestText(3, 7, 0), "R002?03070000");
  EXPECT_EQ(DumpRequestText(3, 7, 5), "R002?03070025");
  EXPECT_EQ(DumpRequestText(12, 31, 140), "R002?12311140");
  EXPECT_EQ(DumpRequestText(1, 1, 287), "R002?01012355");
  EXPECT_EQ(DumpRequestText(1, 1, 288), "R002?01012400");
}

TEST(ProtocolCodec, SmallHelpers) {
  EXPECT_EQ(FirmwarePageHeader(0), "APPW:0000");
  EXPECT_EQ(FirmwarePageHeader(9999), "APPW:9999");
  EXPECT_EQ(ApplyTestSpeedMode(0, 3.5f), 3.5f);
  EXPECT_EQ(ApplyTestSpeedMode(1, 3.5f), 35.5f);
  EXPECT_EQ(ApplyTestSpeedMode(2, 3.5f), 44.5f);
  EXPECT_EQ(ApplyTestSpeedMode(3, 3.5f), 52.5f);
  EXPECT_FALSE(IsConnectableAddress(0));
  EXPECT_FALSE(IsConnectableAddress(0xFFFFFFFFu));
  EXPECT_TRUE(IsConnectableAddress(0x0100007Fu));  // 127.0.0.1 in network order
}

}  // namespace
}  // namespace ws
