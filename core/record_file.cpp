#include "core/record_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/system_time.h"

namespace ws {
namespace {

using record::kBlockSamples;
using record::kFileSize;
using record::kSampleSize;

using PathBuffer = std::array<char, PATH_MAX>;

bool ValidMonthFile(int stackIndex, int year, int month) {
  return stackIndex >= 0 && stackIndex < record::kMaxStacks && year >= 1 && year <= 9999 &&
         month >= 1 && month <= 12;
}

// Paths are built into a fixed buffer so that the record tick can reopen files
// without allocating.
bool FormatStackDirectory(PathBuffer& out, std::string_view workdir, int stackIndex) {
  const int n = std::snprintf(out.data(), out.size(), "%.*s/Stack%03d",
                              static_cast<int>(workdir.size()), workdir.data(), stackIndex + 1);
  return n > 0 && static_cast<size_t>(n) < out.size();
}

bool FormatRecordPath(PathBuffer& out, std::string_view workdir, int stackIndex, int year,
                      int month) {
  const int n = std::snprintf(out.data(), out.size(), "%.*s/Stack%03d/%d_%02d.dat",
                              static_cast<int>(workdir.size()), workdir.data(), stackIndex + 1,
                              year, month);
  return n > 0 && static_cast<size_t>(n) < out.size();
}

bool ValidSlot(int64_t slot) { return slot >= 0 && slot % kSampleSize == 0; }

// The status of a failed system call, from its errno.
RecordStatus FromErrno(int error) {
  return error == ENOSPC || error == EDQUOT ? RecordStatus::kNoSpace : RecordStatus::kIoError;
}

RecordStatus WriteAll(int fd, const uint8_t* data, size_t size, int64_t offset) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FromErrno(errno);
    }
    if (n == 0) return RecordStatus::kIoError;
    data += n;
    size -= static_cast<size_t>(n);
    offset += n;
  }
  return RecordStatus::kOk;
}

// Reads up to size bytes; returns the count read before the end of the file, or -1.
int64_t ReadUpTo(int fd, uint8_t* data, size_t size, int64_t offset) {
  int64_t total = 0;
  while (size > 0) {
    const ssize_t n = ::pread(fd, data, size, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    data += n;
    size -= static_cast<size_t>(n);
    offset += n;
    total += n;
  }
  return total;
}

// Gives a freshly created file its full size. fallocate(2) is used rather than
// posix_fallocate because glibc's posix_fallocate falls back to writing every block
// where the file system cannot reserve space; a sparse file is what we want there.
// When the disk is too full to reserve the size, the file is made sparse all the
// same, and the caller is told: recording goes on while space lasts.
RecordStatus ReserveFullSize(int fd) {
  if (::fallocate(fd, 0, 0, kFileSize) == 0) return RecordStatus::kOk;
  const int reserveError = errno;
  while (::ftruncate(fd, kFileSize) != 0) {
    if (errno != EINTR) return FromErrno(errno);
  }
  return reserveError == ENOSPC || reserveError == EDQUOT ? RecordStatus::kSpaceNotReserved
                                                          : RecordStatus::kOk;
}

RecordStatus EnsureMonthFileAt(std::string_view workdir, int stackIndex, int year, int month) {
  if (!ValidMonthFile(stackIndex, year, month)) return RecordStatus::kInvalidArgument;
  PathBuffer path;
  if (!FormatStackDirectory(path, workdir, stackIndex)) return RecordStatus::kInvalidArgument;
  if (::mkdir(path.data(), 0777) != 0 && errno != EEXIST) return FromErrno(errno);
  if (!FormatRecordPath(path, workdir, stackIndex, year, month)) {
    return RecordStatus::kInvalidArgument;
  }
  // O_EXCL: a file that exists, complete or not, is never truncated or resized here.
  const int fd = ::open(path.data(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? RecordStatus::kOk : FromErrno(errno);
  const RecordStatus sized = ReserveFullSize(fd);
  ::close(fd);
  if (!IsUsable(sized)) {
    // We created it a moment ago: remove the empty file so the next attempt starts over.
    ::unlink(path.data());
  }
  return sized;
}

// The worse of two outcomes of a sequence of steps: any failure beats a file made
// without reserved space, which beats success; among failures the first stays.
RecordStatus Worse(RecordStatus first, RecordStatus next) {
  if (first == RecordStatus::kOk) return next;
  if (first == RecordStatus::kSpaceNotReserved && !IsUsable(next)) return next;
  return first;
}

}  // namespace

const char* ToString(RecordStatus status) {
  switch (status) {
    case RecordStatus::kOk: return "ok";
    case RecordStatus::kInvalidArgument: return "invalid argument";
    case RecordStatus::kOutOfRange: return "beyond the end of the month file";
    case RecordStatus::kNotFound: return "month file not found";
    case RecordStatus::kIoError: return "I/O error";
    case RecordStatus::kNoSpace: return "no space left on the disk";
    case RecordStatus::kSpaceNotReserved: return "made without reserved space: the disk is full";
  }
  return "unknown";
}

std::string StackDirectoryPath(std::string_view workdir, int stackIndex) {
  PathBuffer path;
  if (!FormatStackDirectory(path, workdir, stackIndex)) return {};
  return path.data();
}

std::string RecordFilePath(std::string_view workdir, int stackIndex, int year, int month) {
  PathBuffer path;
  if (!FormatRecordPath(path, workdir, stackIndex, year, month)) return {};
  return path.data();
}

RecordStatus EnsureMonthFile(std::string_view workdir, int stackIndex, int year, int month) {
  return EnsureMonthFileAt(workdir, stackIndex, year, month);
}

RecordStatus EnsureMonthFiles(std::string_view workdir, int stackCount, int year, int month) {
  if (stackCount < 0 || stackCount > record::kMaxStacks) return RecordStatus::kInvalidArgument;
  RecordStatus worst = RecordStatus::kOk;
  for (int i = 0; i < stackCount; ++i) worst = Worse(worst, EnsureMonthFileAt(workdir, i, year, month));
  return worst;
}

// The checks and the opening shared by WriteRecordBlock and MergeRecordBlock.
static RecordStatus OpenBlockTarget(std::string_view workdir, int stackIndex, int year,
                                    int month, int day, int hour, int minute, size_t samples,
                                    RecordFile& file, int64_t& slot, RecordStatus& made) {
  if (!ValidMonthFile(stackIndex, year, month)) return RecordStatus::kInvalidArgument;
  if (day < 1 || day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || samples == 0) {
    return RecordStatus::kInvalidArgument;
  }
  slot = record::SlotOf(day, hour, minute, 0);
  if (slot + static_cast<int64_t>(samples) * kSampleSize > kFileSize) {
    return RecordStatus::kOutOfRange;
  }
  made = EnsureMonthFileAt(workdir, stackIndex, year, month);
  if (!IsUsable(made)) return made;
  return file.Open(workdir, stackIndex, year, month, RecordFile::Access::kReadWrite);
}

RecordStatus WriteRecordBlock(std::string_view workdir, int stackIndex, int year, int month,
                              int day, int hour, int minute, std::span<const Sample> samples) {
  RecordFile file;
  int64_t slot = 0;
  RecordStatus made = RecordStatus::kOk;
  if (const RecordStatus s = OpenBlockTarget(workdir, stackIndex, year, month, day, hour, minute,
                                             samples.size(), file, slot, made);
      s != RecordStatus::kOk) {
    return s;
  }
  return Worse(made, file.WriteSamples(slot, samples));
}

RecordStatus MergeRecordBlock(std::string_view workdir, int stackIndex, int year, int month,
                              int day, int hour, int minute, std::span<const Sample> samples,
                              std::span<const bool> known) {
  if (known.size() != samples.size() || samples.size() > static_cast<size_t>(kBlockSamples)) {
    return RecordStatus::kInvalidArgument;
  }
  RecordFile file;
  int64_t slot = 0;
  RecordStatus made = RecordStatus::kOk;
  if (const RecordStatus s = OpenBlockTarget(workdir, stackIndex, year, month, day, hour, minute,
                                             samples.size(), file, slot, made);
      s != RecordStatus::kOk) {
    return s;
  }
  return Worse(made, file.MergeSamples(slot, samples, known));
}

RecordStatus ReadRecordSamples(std::string_view workdir, int stackIndex, int year, int month,
                               int64_t slot, std::span<Sample> out, int64_t* stored) {
  if (stored != nullptr) *stored = 0;
  RecordFile file;
  if (const RecordStatus s = file.Open(workdir, stackIndex, year, month, RecordFile::Access::kRead);
      s != RecordStatus::kOk) {
    return s;
  }
  const std::optional<int64_t> n = file.ReadSamples(slot, out);
  if (!n) return ValidSlot(slot) ? RecordStatus::kIoError : RecordStatus::kInvalidArgument;
  if (stored != nullptr) *stored = *n;
  return RecordStatus::kOk;
}

int OpenRegularRecordFile(const char* path, int flags, RecordStatus* status) {
  RecordStatus outcome = RecordStatus::kOk;
  // O_NONBLOCK: opening a FIFO or a device must not wait for its other end. A regular
  // file ignores the flag for reads and writes.
  int fd = -1;
  do {
    fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    const int error = errno;
    struct stat st {};
    // ENXIO (a FIFO without a reader), EISDIR and the like: something other than a
    // regular file is in the file's place.
    const bool irregular = ::stat(path, &st) == 0 && !S_ISREG(st.st_mode);
    outcome = error == ENOENT || error == ENOTDIR || irregular ? RecordStatus::kNotFound
                                                                : FromErrno(error);
  } else {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      fd = -1;
      outcome = RecordStatus::kNotFound;
    }
  }
  if (status != nullptr) *status = outcome;
  return fd;
}

RecordFile::~RecordFile() { Close(); }

RecordFile::RecordFile(RecordFile&& other) noexcept
    : fd_(other.fd_), year_(other.year_), month_(other.month_) {
  other.fd_ = -1;
  other.year_ = 0;
  other.month_ = 0;
}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    year_ = other.year_;
    month_ = other.month_;
    other.fd_ = -1;
    other.year_ = 0;
    other.month_ = 0;
  }
  return *this;
}

RecordStatus RecordFile::Open(std::string_view workdir, int stackIndex, int year, int month,
                              Access access) {
  Close();
  if (!ValidMonthFile(stackIndex, year, month)) return RecordStatus::kInvalidArgument;
  PathBuffer path;
  if (!FormatRecordPath(path, workdir, stackIndex, year, month)) {
    return RecordStatus::kInvalidArgument;
  }
  RecordStatus status = RecordStatus::kOk;
  const int fd = OpenRegularRecordFile(path.data(), access == Access::kReadWrite ? O_RDWR : O_RDONLY,
                                       &status);
  if (fd < 0) return status;
  fd_ = fd;
  year_ = year;
  month_ = month;
  return RecordStatus::kOk;
}

void RecordFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  year_ = 0;
  month_ = 0;
}

RecordStatus RecordFile::WriteSample(int64_t slot, const Sample& sample) {
  return WriteSamples(slot, std::span<const Sample>(&sample, 1));
}

RecordStatus RecordFile::WriteSamples(int64_t slot, std::span<const Sample> samples) {
  if (fd_ < 0) return RecordStatus::kIoError;
  if (!ValidSlot(slot)) return RecordStatus::kInvalidArgument;
  if (slot > kFileSize || static_cast<int64_t>(samples.size()) > (kFileSize - slot) / kSampleSize) {
    return RecordStatus::kOutOfRange;
  }
  std::array<uint8_t, record::kBlockBytes> buffer;
  size_t done = 0;
  while (done < samples.size()) {
    const size_t count = std::min(samples.size() - done, static_cast<size_t>(kBlockSamples));
    for (size_t i = 0; i < count; ++i) {
      record::EncodeSample(samples[done + i], buffer.data() + i * kSampleSize);
    }
    const int64_t offset = slot + static_cast<int64_t>(done) * kSampleSize;
    if (const RecordStatus s = WriteAll(fd_, buffer.data(), count * kSampleSize, offset);
        s != RecordStatus::kOk) {
      return s;
    }
    done += count;
  }
  return RecordStatus::kOk;
}

RecordStatus RecordFile::MergeSamples(int64_t slot, std::span<const Sample> samples,
                                      std::span<const bool> known) {
  if (fd_ < 0) return RecordStatus::kIoError;
  if (!ValidSlot(slot) || known.size() != samples.size() ||
      samples.size() > static_cast<size_t>(kBlockSamples)) {
    return RecordStatus::kInvalidArgument;
  }
  if (slot > kFileSize || static_cast<int64_t>(samples.size()) > (kFileSize - slot) / kSampleSize) {
    return RecordStatus::kOutOfRange;
  }
  std::array<uint8_t, record::kBlockBytes> buffer{};
  const size_t bytes = samples.size() * kSampleSize;
  // Past the end of a short file the slots hold nothing (the buffer's zeros).
  if (ReadUpTo(fd_, buffer.data(), bytes, slot) < 0) return FromErrno(errno);
  for (size_t i = 0; i < samples.size(); ++i) {
    uint8_t* at = buffer.data() + i * kSampleSize;
    if (known[i] || !HoldsData(record::DecodeSample(at))) record::EncodeSample(samples[i], at);
  }
  return WriteAll(fd_, buffer.data(), bytes, slot);
}

std::optional<int64_t> RecordFile::ReadSamples(int64_t slot, std::span<Sample> out) const {
  if (fd_ < 0 || !ValidSlot(slot)) return std::nullopt;
  for (Sample& s : out) s = Sample{};
  if (slot >= kFileSize) return 0;
  const size_t wanted =
      std::min(out.size(), static_cast<size_t>((kFileSize - slot) / kSampleSize));
  std::array<uint8_t, 2 * record::kBlockBytes> buffer;
  const size_t chunk = buffer.size() / kSampleSize;
  int64_t stored = 0;
  size_t done = 0;
  while (done < wanted) {
    const size_t count = std::min(wanted - done, chunk);
    const int64_t offset = slot + static_cast<int64_t>(done) * kSampleSize;
    const int64_t got = ReadUpTo(fd_, buffer.data(), count * kSampleSize, offset);
    if (got < 0) return std::nullopt;
    // A trailing partial sample is not a sample: it stays 0/0.
    const size_t whole = static_cast<size_t>(got) / kSampleSize;
    for (size_t i = 0; i < whole; ++i) {
      out[done + i] = record::DecodeSample(buffer.data() + i * kSampleSize);
    }
    stored += static_cast<int64_t>(whole);
    if (whole < count) break;  // end of a short file
    done += count;
  }
  return stored;
}

std::optional<int64_t> RecordFile::StoredSamples() const {
  if (fd_ < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return std::nullopt;
  return std::min<int64_t>(st.st_size, kFileSize) / kSampleSize;
}

}  // namespace ws
