// Reassembly of one link's replies: joins an "R000:" (13 bytes) or "R002:"
// (1209 bytes) that arrived split over several receive events and splits
// replies that arrived joined in one. Whole replies come out unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace ws {

// Single-threaded, one per link. Holds at most one incomplete reply (below
// 1209 bytes), so its memory stays bounded whatever the peer sends.
class ReplyAssembler {
 public:
  using Reply = std::vector<uint8_t>;

  // Takes one receive event's bytes and returns the replies now complete, in
  // order. A reply of another prefix, or an "R000:"/"R002:" with trailing bytes
  // that start no known reply, is returned as received (extra bytes ignored by
  // the decoder). An incomplete "R000:"/"R002:" is held for the next event;
  // if that event opens a reply of its own, the held bytes go out first as
  // they are (a short reply stays short).
  std::vector<Reply> Feed(std::span<const uint8_t> bytes);

  // Hands out the held incomplete reply as it is. The caller flushes when no
  // more bytes came for a while (a short reply must still count as an answer).
  std::optional<Reply> Flush();

  bool Holding() const { return !held_.empty(); }
  size_t HeldSize() const { return held_.size(); }

 private:
  Reply held_;
};

}  // namespace ws
