#include "tools/report/report_events.h"

#include <cstdio>

#include "core/event_csv.h"
#include "core/format_fixed.h"

namespace ws {

EventFilter EventFilterOf(const ReportOptions& o) {
  EventFilter filter;
  if (o.stackGiven) filter.stack = o.stackIndex;
  if (o.fromGiven) filter.fromLocalSeconds = CivilSeconds(o.from);
  if (o.toGiven) filter.toLocalSeconds = CivilSeconds(o.to) + 1;
  return filter;
}

std::string EventLogLine(const StoredEvent& stored) {
  const StationEvent& e = stored.event;
  const std::string stack = e.stack >= 0 ? FormatC("STACK #%d", e.stack + 1) : std::string("-");
  const std::string level = e.level != 0 ? FormatC("L%d", e.level) : std::string("-");
  const std::string value = e.value != 0.0 ? FormatC("%.1f", e.value) : std::string("-");
  const SystemTime& t = e.local;
  return FormatC("%04d-%02d-%02d %02d:%02d:%02d.%03d  %-10s  %-26s  %-2s  %6s  %s\n", t.year, t.month,
                 t.day, t.hour, t.minute, t.second, t.milliseconds, stack.c_str(), KindName(e.kind),
                 level.c_str(), value.c_str(), e.text.c_str());
}

int RunEventsReport(const ReportOptions& o) {
  std::string error;
  const std::unique_ptr<EventReader> reader = EventReader::Open(o.dir, &error);
  if (!reader) {
    std::fprintf(stderr, "windscope-report: %s\n", error.c_str());
    return 2;
  }
  const EventFilter filter = EventFilterOf(o);
  const std::vector<StoredEvent> events = reader->All(filter);
  for (const StoredEvent& e : events) std::fputs(EventLogLine(e).c_str(), stdout);
  std::printf("events=%zu\n", events.size());
  if (!o.csvPath.empty()) {
    const CsvWriteResult written = WriteEventCsv(o.csvPath, events, filter);
    if (!written.ok()) {
      std::fprintf(stderr, "windscope-report: %s: %s\n", o.csvPath.c_str(), written.ToString().c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace ws
