#include "tools/report/report_options.h"

#include <cstdio>

namespace ws {

const char kReportUsage[] =
    "usage: windscope-report --dir DIR --stack N --from \"YYYY-MM-DD HH:MM:SS\"\n"
    "                        --to \"YYYY-MM-DD HH:MM:SS\" [--csv FILE] [--rose FILE.png]\n"
    "                        [--chart FILE.png] [--vector]\n"
    "       windscope-report --events --dir DIR [--stack N] [--from ...] [--to ...]\n"
    "                        [--csv FILE]\n"
    "  --dir DIR     the station's working directory (StackNNN folders, WDX-5100.cfg)\n"
    "  --stack N     stack number, 1..100\n"
    "  --from, --to  the span, both included; at most 60 days are searched\n"
    "  --csv FILE    write the report table as the CSV button does\n"
    "  --rose FILE   render the wind rose as PNG\n"
    "  --chart FILE  render the chart as PNG (speed line; --vector: direction sticks)\n"
    "  --events      print the event journal (Events.db) oldest first, for the span\n"
    "                and stack when given; --csv writes it as Events.csv is written\n"
    "Prints one summary line. Exit status: 0 done, 1 an output could not be written,\n"
    "2 no data for the span (end before start, or no file for the start month),\n"
    "64 bad arguments; with --events 2 is no journal in DIR.\n";

std::optional<SystemTime> ParseReportTime(const std::string& text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
  if (text.size() != 19 || std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &y, &mo, &d,
                                       &h, &mi, &s, &used) != 6 || used != 19) {
    return std::nullopt;
  }
  for (const size_t digit : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u, 11u, 12u, 14u, 15u, 17u, 18u}) {
    if (text[digit] < '0' || text[digit] > '9') return std::nullopt;
  }
  SystemTime t;
  t.year = static_cast<uint16_t>(y);
  t.month = static_cast<uint16_t>(mo);
  t.day = static_cast<uint16_t>(d);
  t.hour = static_cast<uint16_t>(h);
  t.minute = static_cast<uint16_t>(mi);
  t.second = static_cast<uint16_t>(s);
  if (y < 1 || !IsValidDate(t)) return std::nullopt;
  return FromCivilSeconds(CivilSeconds(t));
}

std::optional<ReportOptions> ParseReportOptions(const std::vector<std::string>& args,
                                                std::string& error) {
  ReportOptions o;
  bool haveDir = false, haveStack = false, haveFrom = false, haveTo = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--vector") {
      o.vector = true;
      continue;
    }
    if (a == "--events") {
      o.events = true;
      continue;
    }
    if (a != "--dir" && a != "--stack" && a != "--from" && a != "--to" && a != "--csv" &&
        a != "--rose" && a != "--chart") {
      error = "unknown argument: " + a;
      return std::nullopt;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      error = a + " needs a value";
      return std::nullopt;
    }
    const std::string& v = args[++i];
    if (a == "--dir") {
      o.dir = v;
      haveDir = true;
    } else if (a == "--stack") {
      int n = 0, used = 0;
      if (std::sscanf(v.c_str(), "%d%n", &n, &used) != 1 || used != static_cast<int>(v.size()) ||
          n < 1 || n > 100) {
        error = "--stack takes a number from 1 to 100: " + v;
        return std::nullopt;
      }
      o.stackIndex = n - 1;
      haveStack = true;
    } else if (a == "--from" || a == "--to") {
      const std::optional<SystemTime> t = ParseReportTime(v);
      if (!t) {
        error = a + " takes \"YYYY-MM-DD HH:MM:SS\": " + v;
        return std::nullopt;
      }
      (a == "--from" ? o.from : o.to) = *t;
      (a == "--from" ? haveFrom : haveTo) = true;
    } else if (a == "--csv") {
      o.csvPath = v;
    } else if (a == "--rose") {
      o.rosePath = v;
    } else {
      o.chartPath = v;
    }
  }
  o.stackGiven = haveStack;
  o.fromGiven = haveFrom;
  o.toGiven = haveTo;
  if (o.events) {
    if (!haveDir) {
      error = "--events needs --dir";
      return std::nullopt;
    }
    if (!o.rosePath.empty() || !o.chartPath.empty() || o.vector) {
      error = "--events takes no --rose, --chart or --vector";
      return std::nullopt;
    }
    return o;
  }
  if (!haveDir || !haveStack || !haveFrom || !haveTo) {
    error = "--dir, --stack, --from and --to are required";
    return std::nullopt;
  }
  return o;
}

}  // namespace ws
