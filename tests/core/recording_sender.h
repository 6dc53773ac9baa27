// A LinkSender that keeps what was sent, for the protocol machines' tests.
#pragma once

#include <string>
#include <vector>

#include "core/link_sender.h"

namespace ws::test {

struct SentBytes {
  int link = -1;
  std::string bytes;
};

class RecordingSender final : public LinkSender {
 public:
  void Send(int linkId, std::span<const uint8_t> bytes) override {
    sent.push_back({linkId, std::string(bytes.begin(), bytes.end())});
  }
  const SentBytes& Last() const { return sent.back(); }

  std::vector<SentBytes> sent;
};

inline std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

}  // namespace ws::test
