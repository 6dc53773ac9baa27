#include "core/reply_assembler.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/protocol_codec.h"

namespace ws {
namespace {

constexpr std::array<std::string_view, 6> kPrefixes = {"R000:", "R001:", "R002:",
                                                       "APPE:", "APPW:", "APP>:"};

bool SameBytes(std::span<const uint8_t> bytes, std::string_view text) {
  return std::equal(text.begin(), text.end(), bytes.begin(),
                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

bool StartsWith(std::span<const uint8_t> bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && SameBytes(bytes, prefix);
}

// `bytes` (shorter than a prefix) could be the beginning of `prefix`.
bool BeginsPrefix(std::span<const uint8_t> bytes, std::string_view prefix) {
  return bytes.size() < prefix.size() && SameBytes(bytes, prefix.substr(0, bytes.size()));
}

bool StartsKnownReply(std::span<const uint8_t> bytes) {
  return std::any_of(kPrefixes.begin(), kPrefixes.end(),
                     [&](std::string_view p) { return StartsWith(bytes, p); });
}

// A known reply begins here, possibly cut short by the end of the data.
bool OpensReply(std::span<const uint8_t> bytes) {
  return std::any_of(kPrefixes.begin(), kPrefixes.end(), [&](std::string_view p) {
    return StartsWith(bytes, p) || BeginsPrefix(bytes, p);
  });
}

// The length of a reply whose layout fixes it, 0 for the others.
size_t FixedSize(std::span<const uint8_t> bytes) {
  if (StartsWith(bytes, "R000:")) return kLiveReplySize;
  if (StartsWith(bytes, "R002:")) return kBlockReplySize;
  return 0;
}

bool MayOpenFixedSize(std::span<const uint8_t> bytes) {
  return BeginsPrefix(bytes, "R000:") || BeginsPrefix(bytes, "R002:");
}

// Where the next "R000:" or "R002:" begins inside the first `limit` bytes of
// `bytes` (not counting offset 0), or `limit` when none does. A fixed-size reply
// that came short must end there, or it would swallow the start of the next one.
// Block samples are at most 3600 and a realistic speed, so their bytes never
// spell a prefix.
size_t NextFixedReplyStart(std::span<const uint8_t> bytes, size_t limit) {
  for (size_t i = 1; i < limit && i + kPrefixSize <= bytes.size(); ++i) {
    if (FixedSize(bytes.subspan(i)) != 0) return i;
  }
  return limit;
}

}  // namespace

std::vector<ReplyAssembler::Reply> ReplyAssembler::Feed(std::span<const uint8_t> bytes) {
  std::vector<Reply> out;
  Reply joined;
  std::span<const uint8_t> data = bytes;
  if (!held_.empty()) {
    if (StartsKnownReply(bytes)) {
      out.push_back(std::move(held_));  // the held reply was short, not split
    } else {
      joined = std::move(held_);
      joined.insert(joined.end(), bytes.begin(), bytes.end());
      data = joined;
    }
    held_.clear();
  }

  size_t pos = 0;
  while (pos < data.size()) {
    const std::span<const uint8_t> rest = data.subspan(pos);
    const size_t need = FixedSize(rest);
    if (need == 0) {
      if (MayOpenFixedSize(rest)) {
        held_.assign(rest.begin(), rest.end());
      } else {
        out.emplace_back(rest.begin(), rest.end());  // no length to go by: all of it
      }
      break;
    }
    const size_t cut = NextFixedReplyStart(rest, std::min(need, rest.size()));
    if (cut < need && cut < rest.size()) {
      out.emplace_back(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(cut));  // short
      pos += cut;
      continue;
    }
    if (rest.size() < need) {
      held_.assign(rest.begin(), rest.end());
      break;
    }
    const std::span<const uint8_t> tail = rest.subspan(need);
    if (!tail.empty() && !OpensReply(tail)) {
      out.emplace_back(rest.begin(), rest.end());  // trailing bytes belong to this reply
      break;
    }
    out.emplace_back(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(need));
    pos += need;
  }
  return out;
}

std::optional<ReplyAssembler::Reply> ReplyAssembler::Flush() {
  if (held_.empty()) return std::nullopt;
  Reply reply = std::move(held_);
  held_.clear();
  return reply;
}

}  // namespace ws
