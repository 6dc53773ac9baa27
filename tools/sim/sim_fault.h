// Misbehaviours a simulated logger or lamp tower can be told to show, so that
// the station's handling of bad peers can be exercised on demand.
#pragma once

#include <optional>
#include <string_view>

namespace ws {

enum class SimFault {
  kNone,        // answers every command correctly
  kSilent,      // accepts the connection and reads, never answers
  kDisconnect,  // closes each connection on its first command
  kShort,       // every reply one byte short (12 of 13, 1208 of 1209)
  kSplit,       // every reply in two writes with a pause between them
  kJoin,        // every reply followed by a live "R000:" reply in the same write
  kGarbage,     // random bytes instead of replies
  kSlow,        // replies after a delay (kSimSlowReplyMs)
  kFlood,       // answers, and streams live replies at megabytes per second
  kAppe,        // sends "APPE:" shortly after each reply, on its own, until a firmware
                // image has arrived
  kAppeGlued,   // the same, with "APPE:" glued to the end of the reply in one write
  kSlowBlocks,  // dump blocks and firmware page answers after a delay (kSimSlowBlockMs),
                // live replies at once: a dump or upload that lasts
};

inline constexpr int kSimSlowReplyMs = 700;
// Below the station's 100 ms repeat of a dump request, so no block is asked twice.
inline constexpr int kSimSlowBlockMs = 25;
inline constexpr int kSimSplitPauseMs = 50;
// Long enough for the station to take the reply and "APPE:" in two receives.
inline constexpr int kSimAppePauseMs = 50;

// "none", "silent", ... as used on the command line and at run time.
std::optional<SimFault> ParseSimFault(std::string_view name);
const char* SimFaultName(SimFault fault);

}  // namespace ws
