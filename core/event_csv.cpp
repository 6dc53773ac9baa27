#include "core/event_csv.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <limits>

#include "core/event_cells.h"
#include "core/format_fixed.h"
#include "core/system_time.h"

namespace ws {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr size_t kFlushAt = 64 * 1024;
// Large pages: each one is an OFFSET query, so few of them keep a big export linear enough.
constexpr int kPageEvents = 20000;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

void AppendCell(std::string_view cell, std::string& out) {
  if (cell.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += cell;
  } else {
    out.push_back('"');
    for (const char c : cell) {
      if (c == '"') out.push_back('"');
      out.push_back(c);
    }
    out.push_back('"');
  }
  out.push_back(',');
}

std::string TimeText(int64_t seconds) {
  const SystemTime t = FromCivilSeconds(seconds);
  return FormatC("%d.%02d.%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                 t.second);
}

}  // namespace

std::string EventsCsvPath(std::string_view workdir) {
  std::string path(workdir);
  path += '/';
  path += kEventsCsvFileName;
  return path;
}

std::string EventsCsvHeading(const EventFilter& filter) {
  std::string text =
      filter.stack >= 0 ? FormatC("EVENTS : STACK %d", filter.stack + 1) : "EVENTS : ALL STACKS";
  text += kLineEnd;
  const bool open = filter.fromLocalSeconds == std::numeric_limits<int64_t>::min() &&
                    filter.toLocalSeconds == std::numeric_limits<int64_t>::max();
  if (open) {
    text += "ALL DAYS";
  } else {
    const bool from = filter.fromLocalSeconds != std::numeric_limits<int64_t>::min();
    const bool to = filter.toLocalSeconds != std::numeric_limits<int64_t>::max();
    text += from ? TimeText(filter.fromLocalSeconds) : std::string("...");
    text += " ~ ";
    text += to ? TimeText(filter.toLocalSeconds - 1) : std::string("...");
  }
  text += kLineEnd;
  text += kLineEnd;
  return text;
}

CsvWriteResult WriteEventsCsv(const std::string& path, EventReader* reader,
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
  const auto failed = [&] {
    result.status = CsvWriteResult::Status::kWriteFailed;
    result.error = errno;
    ::close(fd);
    return result;
  };

  std::string buffer = EventsCsvHeading(filter);
  buffer.reserve(kFlushAt + 1024);
  for (const std::string_view heading : kEventHeadings) AppendCell(heading, buffer);
  buffer += kLineEnd;
  if (reader != nullptr) {
    // Pages in the list's order; a page shorter than asked is the last.
    for (int64_t offset = 0;; offset += kPageEvents) {
      const std::vector<StoredEvent> page = reader->Page(filter, offset, kPageEvents);
      for (const StoredEvent& e : page) {
        for (int c = 0; c < kEventColumnCount; ++c) AppendCell(EventCellText(e.event, c), buffer);
        buffer += kLineEnd;
        if (buffer.size() >= kFlushAt) {
          if (!WriteAll(fd, buffer)) return failed();
          buffer.clear();
        }
      }
      if (page.size() < static_cast<size_t>(kPageEvents)) break;
    }
  }
  if (!WriteAll(fd, buffer)) return failed();
  if (::close(fd) != 0) {
    result.status = CsvWriteResult::Status::kWriteFailed;
    result.error = errno;
  }
  return result;
}

}  // namespace ws
