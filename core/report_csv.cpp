#include "core/report_csv.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "core/format_fixed.h"

namespace ws {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr size_t kFlushAt = 64 * 1024;

class CsvFile {
 public:
  explicit CsvFile(int fd) : fd_(fd) {}
  ~CsvFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  CsvFile(const CsvFile&) = delete;
  CsvFile& operator=(const CsvFile&) = delete;

  // Writes all of `bytes`; false (errno set) when the system refuses.
  bool Write(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;
        return false;
      }
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace

std::string ReportCsvPath(std::string_view workdir) {
  std::string path(workdir);
  path += '/';
  path += kReportCsvFileName;
  return path;
}

std::string ReportCsvHeading(int stackIndex, const SystemTime& start, const SystemTime& end) {
  std::string text = FormatC("STACK : %d", stackIndex + 1);
  text += kLineEnd;
  text += FormatC("%d.%02d.%02d %02d:%02d:%02d ~ %02d:%02d:%02d", start.year, start.month,
                  start.day, start.hour, start.minute, start.second, end.hour, end.minute,
                  end.second);
  text += kLineEnd;
  text += kLineEnd;
  return text;
}

std::string CsvWriteResult::ToString() const {
  switch (status) {
    case Status::kOk: return "ok";
    case Status::kOpenFailed: return std::string("cannot open: ") + std::strerror(error);
    case Status::kWriteFailed: return std::string("cannot write: ") + std::strerror(error);
  }
  return "unknown";
}

CsvWriteResult WriteReportCsv(const std::string& path, int stackIndex, const SystemTime& start,
                              const SystemTime& end, const ReportTable& table,
                              const CsvProgress& progress) {
  CsvWriteResult result;
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    result.status = CsvWriteResult::Status::kOpenFailed;
    result.error = errno;
    return result;
  }
  CsvFile file(fd);
  const auto failed = [&result] {
    result.status = CsvWriteResult::Status::kWriteFailed;
    result.error = errno;
    return result;
  };

  std::string buffer = ReportCsvHeading(stackIndex, start, end);
  buffer.reserve(kFlushAt + 256);
  const int rows = table.RowCount();
  int shown = -1;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < table.ColumnCount(); ++c) {
      table.AppendCellText(r, c, buffer);
      buffer.push_back(',');
    }
    buffer += kLineEnd;
    if (buffer.size() >= kFlushAt) {
      if (!file.Write(buffer)) return failed();
      buffer.clear();
    }
    if (r > 0 && progress) {
      const int percent = static_cast<int>(int64_t{100} * r / rows);
      if (percent != shown) {
        shown = percent;
        progress(percent);
      }
    }
  }
  if (!file.Write(buffer)) return failed();
  if (!file.Close()) return failed();
  return result;
}

}  // namespace ws
