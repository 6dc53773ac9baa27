#include "tools/sim/sim_fault.h"

#include <array>
#include <utility>

namespace ws {
namespace {

constexpr std::array<std::pair<SimFault, const char*>, 12> kNames = {{
    {SimFault::kNone, "none"},
    {SimFault::kSilent, "silent"},
    {SimFault::kDisconnect, "disconnect"},
    {SimFault::kShort, "short"},
    {SimFault::kSplit, "split"},
    {SimFault::kJoin, "join"},
    {SimFault::kGarbage, "garbage"},
    {SimFault::kSlow, "slow"},
    {SimFault::kFlood, "flood"},
    {SimFault::kAppe, "appe"},
    {SimFault::kAppeGlued, "appe-glued"},
    {SimFault::kSlowBlocks, "slow-blocks"},
}};

}  // namespace

std::optional<SimFault> ParseSimFault(std::string_view name) {
  for (const auto& [fault, text] : kNames) {
    if (name == text) return fault;
  }
  return std::nullopt;
}

const char* SimFaultName(SimFault fault) {
  for (const auto& [f, text] : kNames) {
    if (f == fault) return text;
  }
  return "none";
}

}  // namespace ws
