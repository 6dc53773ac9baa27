// The one thing the protocol machines need from the links: hand bytes to the
// link of a stack. The runtime implements it over its sockets, tests record it.
#pragma once

#include <cstdint>
#include <span>

namespace ws {

class LinkSender {
 public:
  virtual ~LinkSender() = default;
  // Sends the bytes on link `linkId` (the stack index). A link that is not
  // connected drops them silently; nothing is reported back.
  virtual void Send(int linkId, std::span<const uint8_t> bytes) = 0;
};

}  // namespace ws
