// Walks the one-second records of a span of one stack's month files in time
// order, a large read at a time: the span summary and the time at each level
// both read a span this way. Missing months and files that end early give 0/0
// records (the way an unrecorded second reads).
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/system_time.h"

namespace ws {

// Calls `chunk(directions, speeds, count)` with the records from `start` to
// `end` (both included; no call when the end is before the start), in time
// order, up to 32768 records a call.
using SpanChunkFn = std::function<void(const float* directions, const float* speeds, int64_t count)>;
void ForEachSpanRecordChunk(std::string_view workdir, int stackIndex, const SystemTime& start,
                            const SystemTime& end, const SpanChunkFn& chunk);

}  // namespace ws
