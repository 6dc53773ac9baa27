#include "core/protocol_codec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "recording_sender.h"

namespace ws {
namespace {

using test::BlockReply;
using test::Bytes;

SystemTime At(int day, int hh = 0, int mm = 0, int ss = 0) {
  return FromCivilSeconds(CivilSeconds({2026, 3, 0, static_cast<uint16_t>(day), static_cast<uint16_t>(hh),
                                        static_cast<uint16_t>(mm), static_cast<uint16_t>(ss), 0}));
}

TEST(ProtocolCodec, LiveReplyNeeds13BytesAndCarriesNonFiniteValuesAsSent) {
  const std::string r("R000:\x00\x00\xB4\x42\x00\x00\x20\x41", 13);
  EXPECT_EQ(DecodeLiveReply(Bytes(r))->direction, 90.0f);
  EXPECT_EQ(DecodeLiveReply(Bytes(r + "\xFF"))->speed, 10.0f);
  EXPECT_FALSE(DecodeLiveReply(Bytes(r.substr(0, 12))));
  EXPECT_FALSE(DecodeLiveReply(Bytes("R001:" + r.substr(5))));
  const auto odd = DecodeLiveReply(Bytes(std::string("R000:\x00\x00\xC0\x7F\x00\x00\x80\xFF", 13)));
  EXPECT_TRUE(std::isnan(odd->direction) && std::isinf(odd->speed));
}

TEST(ProtocolCodec, AnyInputDecodesWithoutCrashOrOverRead) {
  // Exactly sized heap copies, so that the sanitizer build catches an over-read.
  const std::string block = BlockReply(3, 15);
  for (size_t n = 0; n <= block.size(); ++n) {
    const std::vector<uint8_t> cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_EQ(DecodeBlockReply(cut, At(1), At(2)).has_value(), n == block.size());
    EXPECT_FALSE(DecodeLiveReply(cut));
  }
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; ++i) {
    std::vector<uint8_t> junk(rng() % 1400);
    for (auto& b : junk) b = static_cast<uint8_t>(rng());
    if (junk.size() >= 5 && i % 2) std::copy_n(i % 4 == 1 ? "R000:" : "R002:", 5, junk.begin());
    (void)DecodeLiveReply(junk);
    (void)DecodeBlockReply(junk, At(1), At(2));
  }
  std::string huge = BlockReply(1, 0);
  huge.resize(10 << 20, '\xFF');
  EXPECT_TRUE(DecodeBlockReply(Bytes(huge), At(1), At(2)));
}

TEST(ProtocolCodec, BlockSamplesAreDatedAndMissingOrFutureOnesAreZero) {
  std::string r = BlockReply(10, 0);
  r[kBlockSamplesOffset + 7 * 4] = r[kBlockSamplesOffset + 7 * 4 + 1] = '\xFF';  // direction 7 missing
  SystemTime now = At(1, 10, 2, 0);  // samples up to 10:02:00 (k = 120) are real
  now.milliseconds = 500;
  const auto b = DecodeBlockReply(Bytes(r), At(1), now);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->start, At(1, 10, 0, 0));
  EXPECT_EQ(b->samples[7].direction, 0.0f);
  EXPECT_FLOAT_EQ(b->samples[7].speed, 0.7f);
  EXPECT_FLOAT_EQ(b->samples[120].direction, 120.0f);
  EXPECT_EQ(b->samples[121].direction, 0.0f);
  EXPECT_EQ(b->samples[299].speed, 0.0f);
  // A missing half or the future leaves the sample unknown: it must not erase a
  // recorded second.
  EXPECT_TRUE(b->samples[6].known);
  EXPECT_FALSE(b->samples[7].known);
  EXPECT_TRUE(b->samples[120].known);
  EXPECT_FALSE(b->samples[121].known);
  EXPECT_FALSE(b->samples[299].known);
}

TEST(ProtocolCodec, BlockWithHour24OrMinuteAbove55IsBroken) {
  for (auto [h, m] : {std::pair{24, 0}, {0, 56}, {0, 57}}) {
    EXPECT_FALSE(DecodeBlockReply(Bytes(BlockReply(h, m)), At(1), At(2)));
  }
  EXPECT_TRUE(DecodeBlockReply(Bytes(BlockReply(23, 55)), At(1), At(2)));
}

TEST(ProtocolCodec, DumpRequestTextsNameTheBlockStart) {
  EXPECT_EQ(DumpRequestText(3, 7, 0), "R002?03070000");
  EXPECT_EQ(DumpRequestText(3, 7, 5), "R002?03070025");
  EXPECT_EQ(DumpRequestText(12, 31, 140), "R002?12311140");
  EXPECT_EQ(DumpRequestText(1, 1, 287), "R002?01012355");
  EXPECT_EQ(DumpRequestText(1, 1, 288), "R002?01012400");
}

TEST(ProtocolCodec, WildcardAndBroadcastAddressesAreNotConnectable) {
  EXPECT_FALSE(IsConnectableAddress(0));
  EXPECT_FALSE(IsConnectableAddress(0xFFFFFFFFu));
  EXPECT_TRUE(IsConnectableAddress(0x0100007Fu));  // 127.0.0.1
}

}  // namespace
}  // namespace ws
