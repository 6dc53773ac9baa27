// Command-line arguments of windscope-report.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/system_time.h"

namespace ws {

struct ReportOptions {
  std::string dir;
  int stackIndex = 0;  // from 0; the command line counts from 1
  SystemTime from{};
  SystemTime to{};
  std::string csvPath;    // empty: no CSV
  std::string rosePath;   // empty: no wind rose picture
  std::string chartPath;  // empty: no chart picture
  bool vector = false;    // chart as direction sticks instead of a speed line
  // --events: the journal instead of the records. Then only --dir is needed;
  // without --stack every stack's events, without --from or --to the span is
  // open at that end. csvPath names the events' CSV.
  bool events = false;
  bool stackGiven = false;
  bool fromGiven = false;
  bool toGiven = false;
};

// Parses the arguments after the program name. On a mistake returns nothing and
// sets `error` to what was wrong.
std::optional<ReportOptions> ParseReportOptions(const std::vector<std::string>& args,
                                                std::string& error);

// "YYYY-MM-DD HH:MM:SS", every field within its calendar range.
std::optional<SystemTime> ParseReportTime(const std::string& text);

extern const char kReportUsage[];

}  // namespace ws
