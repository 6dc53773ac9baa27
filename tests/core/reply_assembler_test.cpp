#include "core/reply_assembler.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/protocol_codec.h"
#include "recording_sender.h"

namespace ws {
namespace {

using test::Bytes;

std::string Live(char fill = 'x') { return "R000:" + std::string(8, fill); }
std::string Block() { return "R002:" + std::string(kBlockReplySize - 5, '\x01'); }

std::vector<std::string> Texts(const std::vector<ReplyAssembler::Reply>& replies) {
  std::vector<std::string> out;
  for (const auto& r : replies) out.emplace_back(r.begin(), r.end());
  return out;
}

TEST(ReplyAssembler, WholeRepliesComeOutUnchanged) {
  ReplyAssembler a;
  for (const std::string& r : {Live(), Live() + "junk", Block(), std::string("R001:abc"), std::string("APPW:"),
                               std::string("zz"), std::string(3000, '\xFF')}) {
    EXPECT_EQ(Texts(a.Feed(Bytes(r))), std::vector<std::string>{r});
    EXPECT_FALSE(a.Holding());
  }
}

TEST(ReplyAssembler, SplitRepliesAreJoined) {
  ReplyAssembler a;
  const std::string live = Live();
  EXPECT_TRUE(a.Feed(Bytes(live.substr(0, 2))).empty());
  EXPECT_TRUE(a.Feed(Bytes(live.substr(2, 6))).empty());
  EXPECT_EQ(Texts(a.Feed(Bytes(live.substr(8)))), std::vector<std::string>{live});

  const std::string block = Block();
  EXPECT_TRUE(a.Feed(Bytes(block.substr(0, 600))).empty());
  EXPECT_TRUE(a.Feed(Bytes(block.substr(600, 600))).empty());
  EXPECT_EQ(Texts(a.Feed(Bytes(block.substr(1200)))), std::vector<std::string>{block});
}

TEST(ReplyAssembler, JoinedRepliesAreSplit) {
  ReplyAssembler a;
  const std::string one = Live('a'), two = Live('b'), block = Block();
  EXPECT_EQ(Texts(a.Feed(Bytes(one + two + block + "R001:"))),
            (std::vector<std::string>{one, two, block, "R001:"}));
  // A joined reply cut short is held until its end arrives.
  EXPECT_EQ(Texts(a.Feed(Bytes(one + two.substr(0, 3)))), std::vector<std::string>{one});
  EXPECT_EQ(Texts(a.Feed(Bytes(two.substr(3)))), std::vector<std::string>{two});
}

TEST(ReplyAssembler, ShortReplyStaysShortWhenTheNextReplyBegins) {
  ReplyAssembler a;
  const std::string shortLive = Live().substr(0, 12);
  EXPECT_TRUE(a.Feed(Bytes(shortLive)).empty());
  EXPECT_EQ(Texts(a.Feed(Bytes(Live()))), (std::vector<std::string>{shortLive, Live()}));
  EXPECT_TRUE(a.Feed(Bytes(shortLive)).empty());
  const auto flushed = a.Flush();
  ASSERT_TRUE(flushed);
  EXPECT_EQ(std::string(flushed->begin(), flushed->end()), shortLive);
  EXPECT_FALSE(a.Flush());
}

TEST(ReplyAssembler, HeldBytesStayBoundedWhateverArrives) {
  ReplyAssembler a;
  std::mt19937 rng(11);
  size_t bytesIn = 0, bytesOut = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string chunk(rng() % 2000, '\0');
    for (char& c : chunk) c = "R0:2APW>E\xFF"[rng() % 10];
    if (i % 3 == 0) chunk.insert(0, i % 2 ? "R002:" : "R000:");
    bytesIn += chunk.size();
    for (const auto& r : a.Feed(Bytes(chunk))) bytesOut += r.size();
    ASSERT_LT(a.HeldSize(), kBlockReplySize);
  }
  if (auto rest = a.Flush()) bytesOut += rest->size();
  EXPECT_EQ(bytesOut, bytesIn);  // nothing lost, nothing invented
}

}  // namespace
}  // namespace ws
