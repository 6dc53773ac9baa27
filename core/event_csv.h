// The history window's CSV export, "Events.csv" in the working directory, in
// the report's CSV conventions: heading lines naming the stack and the span,
// an empty line, the header row, one line per event with every cell followed
// by ",", CRLF line ends, numbers in the C locale. Events are written as the
// window lists them, newest first. A cell holding a comma, a quote or a line
// end is quoted (RFC 4180): event texts name several changed fields.
#pragma once

#include <string>
#include <string_view>

#include "core/event_journal.h"
#include "core/report_csv.h"

namespace ws {

inline constexpr char kEventsCsvFileName[] = "Events.csv";

// "<workdir>/Events.csv".
std::string EventsCsvPath(std::string_view workdir);

// Lines 1 to 3: "EVENTS : STACK %d" (or "EVENTS : ALL STACKS"), the span
// "YYYY.MM.DD HH:MM:SS ~ YYYY.MM.DD HH:MM:SS" (its last second; "ALL DAYS" for
// an open span), an empty line; CRLF each.
std::string EventsCsvHeading(const EventFilter& filter);

// Writes the events `reader` gives for `filter` to `path`, replacing the file,
// reading a page at a time. A null reader writes the heading and header only.
// Failures as WriteReportCsv.
CsvWriteResult WriteEventsCsv(const std::string& path, EventReader* reader,
                              const EventFilter& filter);

}  // namespace ws
