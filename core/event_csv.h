// The journal's CSV export, "Events.csv": a heading line naming the stack (or
// every stack) and the span, an empty line, the column names and one line per
// event oldest first; every cell followed by ",", CRLF line ends, numbers in
// the C locale, as the report's CSV. A text holding a comma, a quote or a line
// break is quoted (quotes doubled); no other cell can hold one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/event_journal.h"
#include "core/report_csv.h"

namespace ws {

inline constexpr char kEventsCsvFileName[] = "Events.csv";

// "<workdir>/Events.csv".
std::string EventCsvPath(std::string_view workdir);

// "EVENTS : ALL" or "EVENTS : STACK n", then "YYYY.MM.DD HH:MM:SS ~ YYYY.MM.DD
// HH:MM:SS" (an open end left empty), an empty line and the column names:
// "Time,UTC,Stack,Kind,Level,Value,Text,".
std::string EventCsvHeading(const EventFilter& filter);

// One event's line: local time with milliseconds, UTC as ISO 8601, stack from 1
// (empty for the station's own), kind name, level (empty when 0), value with
// one decimal (empty when 0), text.
void AppendEventCsvRow(const StoredEvent& event, std::string& out);

// The whole file's text for `events` in the order given.
std::string EventCsv(const std::vector<StoredEvent>& events, const EventFilter& filter);

// Writes EventCsv to `path`, replacing the file.
CsvWriteResult WriteEventCsv(const std::string& path, const std::vector<StoredEvent>& events,
                             const EventFilter& filter);

}  // namespace ws
