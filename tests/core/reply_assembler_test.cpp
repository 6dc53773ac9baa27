#include "core/reply_assembler.h"

#include <gtest/gtest.h>

#include <random>

#include "recording_sender.h"

namespace ws {
namespace {

using Texts = std::vector<std::string>;

Texts Feed(ReplyAssembler& a, const std::string& bytes) {
  Texts out;
  for (const auto& r : a.Feed(test::Bytes(bytes))) out.emplace_back(r.begin(), r.end());
  return out;
}

const std::string kLive = "R000:" + std::string(8, 'x');
const std::string kBlock = test::BlockReply(1, 5);

TEST(ReplyAssembler, WholeRepliesPassUnchangedSplitOnesAreJoinedJoinedOnesSplit) {
  ReplyAssembler a;
  for (const std::string& r : {kLive, kLive + "junk", kBlock, std::string("R001:abc")}) EXPECT_EQ(Feed(a, r), Texts{r});
  EXPECT_TRUE(Feed(a, kBlock.substr(0, 600)).empty());
  EXPECT_EQ(Feed(a, kBlock.substr(600) + kLive + kLive.substr(0, 3)), (Texts{kBlock, kLive}));
  EXPECT_EQ(Feed(a, kLive.substr(3) + "R001:"), (Texts{kLive, "R001:"}));
}

TEST(ReplyAssembler, ShortReplyStaysShortWhenTheNextReplyBegins) {
  ReplyAssembler a;
  EXPECT_TRUE(Feed(a, kLive.substr(0, 12)).empty());
  EXPECT_EQ(Feed(a, kLive), (Texts{kLive.substr(0, 12), kLive}));
  EXPECT_TRUE(Feed(a, kLive.substr(0, 12)).empty());
  EXPECT_EQ(a.Flush().value().size(), 12u);
  // In one receive, too: the short reply must not take the next one's first byte.
  EXPECT_EQ(Feed(a, kLive.substr(0, 12) + kLive), (Texts{kLive.substr(0, 12), kLive}));
  EXPECT_EQ(Feed(a, kBlock.substr(0, 1208) + kLive), (Texts{kBlock.substr(0, 1208), kLive}));
}

TEST(ReplyAssembler, HeldBytesStayBoundedAndNoneAreLost) {
  ReplyAssembler a;
  std::mt19937 rng(11);
  size_t in = 0, out = 0;
  for (int i = 0; i < 3000; ++i) {
    std::string chunk(rng() % 2000, '\0');
    for (char& c : chunk) c = "R0:2APW>E\xFF"[rng() % 10];
    if (i % 3 == 0) chunk.insert(0, i % 2 ? "R002:" : "R000:");
    in += chunk.size();
    for (const auto& r : a.Feed(test::Bytes(chunk))) out += r.size();
    ASSERT_LT(a.HeldSize(), kBlock.size());
  }
  if (auto rest = a.Flush()) out += rest->size();
  EXPECT_EQ(out, in);
}

}  // namespace
}  // namespace ws
