#include "core/event_csv.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include "core/format_fixed.h"
#include "core/journal_schema.h"

namespace ws {
namespace {

constexpr char kLineEnd[] = "\r\n";

std::string SpanEnd(int64_t seconds, bool open) {
  if (open) return {};
  const SystemTime t = FromCivilSeconds(seconds);
  return FormatC("%d.%02d.%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

void AppendText(std::string_view text, std::string& out) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out.push_back('"');
  for (const char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

std::string UtcText(int64_t utcMs) {
  const std::time_t seconds = static_cast<std::time_t>(utcMs >= 0 ? utcMs / 1000 : (utcMs - 999) / 1000);
  const int ms = static_cast<int>(utcMs - static_cast<int64_t>(seconds) * 1000);
  std::tm tm{};
  ::gmtime_r(&seconds, &tm);
  return FormatC("%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                 tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
}

}  // namespace

std::string EventCsvPath(std::string_view workdir) {
  std::string path(workdir);
  path += '/';
  path += kEventsCsvFileName;
  return path;
}

std::string EventCsvHeading(const EventFilter& filter) {
  std::string text = filter.stack >= 0 ? FormatC("EVENTS : STACK %d", filter.stack + 1) : "EVENTS : ALL";
  text += kLineEnd;
  text += SpanEnd(filter.fromLocalSeconds, filter.fromLocalSeconds == std::numeric_limits<int64_t>::min());
  text += " ~ ";
  text += SpanEnd(filter.toLocalSeconds, filter.toLocalSeconds == std::numeric_limits<int64_t>::max());
  text += kLineEnd;
  text += kLineEnd;
  text += "Time,UTC,Stack,Kind,Level,Value,Text,";
  text += kLineEnd;
  return text;
}

void AppendEventCsvRow(const StoredEvent& stored, std::string& out) {
  const StationEvent& e = stored.event;
  out += LocalTimeText(e.local);
  out.push_back(',');
  out += UtcText(e.utcMs);
  out.push_back(',');
  if (e.stack >= 0) out += std::to_string(e.stack + 1);
  out.push_back(',');
  out += KindName(e.kind);
  out.push_back(',');
  if (e.level != 0) out += std::to_string(e.level);
  out.push_back(',');
  if (e.value != 0.0) out += FormatC("%.1f", e.value);
  out.push_back(',');
  AppendText(e.text, out);
  out.push_back(',');
  out += kLineEnd;
}

std::string EventCsv(const std::vector<StoredEvent>& events, const EventFilter& filter) {
  std::string text = EventCsvHeading(filter);
  text.reserve(text.size() + events.size() * 120);
  for (const StoredEvent& e : events) AppendEventCsvRow(e, text);
  return text;
}

CsvWriteResult WriteEventCsv(const std::string& path, const std::vector<StoredEvent>& events,
                             const EventFilter& filter) {
  CsvWriteResult result;
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    result.status = CsvWriteResult::Status::kOpenFailed;
    result.error = errno;
    return result;
  }
  const std::string text = EventCsv(events, filter);
  std::string_view rest = text;
  while (!rest.empty()) {
    const ssize_t n = ::write(fd, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      result.status = CsvWriteResult::Status::kWriteFailed;
      result.error = n == 0 ? EIO : errno;
      ::close(fd);
      return result;
    }
    rest.remove_prefix(static_cast<size_t>(n));
  }
  if (::close(fd) != 0) {
    result.status = CsvWriteResult::Status::kWriteFailed;
    result.error = errno;
  }
  return result;
}

}  // namespace ws
