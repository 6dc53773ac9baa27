// A LinkSender that keeps what was sent, for the protocol machines' tests.
#pragma once

#include <string>
#include <vector>

#include "core/link_sender.h"

namespace ws::test {

struct RecordingSender final : LinkSender {
  void Send(int linkId, std::span<const uint8_t> bytes) override {
    sent.push_back({linkId, std::string(bytes.begin(), bytes.end())});
  }
  const std::string& Last() const { return sent.back().second; }
  std::vector<std::pair<int, std::string>> sent;
};

inline std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// An "R002:" reply of `size` bytes for hh:mm; sample k carries direction k, speed k / 10.
inline std::string BlockReply(int hour, int minute, size_t size = 1209) {
  std::string r = "R002:";
  r += {0, 0, static_cast<char>(hour), static_cast<char>(minute)};
  for (int k = 0; k < 300; ++k) {
    r += {static_cast<char>(k * 10 >> 8), static_cast<char>(k * 10), static_cast<char>(k >> 8), static_cast<char>(k)};
  }
  r.resize(size);
  return r;
}

}  // namespace ws::test
