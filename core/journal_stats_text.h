// How the reports word what the journal tells about a span: alarms raised per
// level and the longest communication loss, for the report window's summary
// line and windscope-report's summary line.
#pragma once

#include <string>

#include "core/event_journal.h"

namespace ws {

// The journal's filter for a report span: from the start second to the end
// second (both included) of stack `stackIndex`, every kind.
EventFilter ReportSpanFilter(int stackIndex, const SystemTime& start, const SystemTime& end);

// "raised Alarm 3, Stop 1, Trip 0, NO COMM 2; longest loss 42 s" (", still
// lost" after it when the loss had not ended by the span's end; "longest loss
// none" without one). Numbers in the C locale.
std::string JournalStatsText(const JournalSpanStats& stats);

// " raises_alarm=3 raises_stop=1 raises_trip=0 raises_nocomm=2 longest_loss_s=42":
// the fields windscope-report appends to its summary line; each value "-" when
// the stack has no journal (`stats` null).
std::string JournalStatsFields(const JournalSpanStats* stats);

}  // namespace ws
