// windscope-report --events: the event journal printed oldest first (a log
// reads top to bottom), and optionally written as Events.csv is.
#pragma once

#include <string>

#include "core/event_journal.h"
#include "tools/report/report_options.h"

namespace ws {

// The filter the options ask for: --to is included, so the span ends a second
// after it.
EventFilter EventFilterOf(const ReportOptions& options);

// One printed line: "YYYY-MM-DD HH:MM:SS.mmm  STACK #n  Kind  Ln  value  text".
std::string EventLogLine(const StoredEvent& event);

// Prints the events and their count; returns the exit status: 0 done, 1 the
// CSV could not be written, 2 no journal could be read in the directory.
int RunEventsReport(const ReportOptions& options);

}  // namespace ws
