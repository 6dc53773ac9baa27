#include "core/settings_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ws {
namespace {

// Closes a descriptor on every path out of a function.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports whether the close succeeded (a late write error shows here).
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Reads until `size` bytes, end of file or an error; returns the count or -1.
ssize_t ReadUpTo(int fd, uint8_t* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, buffer + done, size - done);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string SettingsFile::Status::ToString() const {
  if (ok()) return "ok";
  return step_ + ": " + std::strerror(error_);
}

SettingsFile::SettingsFile(std::filesystem::path workingDirectory)
    : path_(std::move(workingDirectory) / kSettingsFileName) {}

SettingsFile::LoadResult SettingsFile::Load(Settings& settings, const Clock& clock) const {
  LoadResult result;
  settings.SetDefaults(clock.Now());

  // Non-blocking so that a FIFO in the file's place cannot hang the start.
  Fd fd(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) {
    result.error = errno;
    if (result.error != ENOENT) {
      result.outcome = LoadOutcome::kUnreadable;
      return result;
    }
    const Status created = CreateNew(settings);
    result.outcome = created.ok() ? LoadOutcome::kCreated : LoadOutcome::kDefaultsNotSaved;
    result.error = created.error();
    return result;
  }

  struct stat st {};
  const bool statted = ::fstat(fd.get(), &st) == 0;
  if (!statted || !S_ISREG(st.st_mode)) {
    result.error = statted ? EINVAL : errno;
    result.outcome = LoadOutcome::kUnreadable;
    return result;
  }

  // The bytes read replace the defaults' own bytes, so a short file keeps the
  // defaults beyond its end instead of zeros.
  std::vector<uint8_t> image = settings.ToBytes();
  const ssize_t n = ReadUpTo(fd.get(), image.data(), image.size());
  if (n < 0) {
    result.error = errno;
    result.outcome = LoadOutcome::kUnreadable;
    return result;
  }
  result.bytesRead = static_cast<size_t>(n);
  result.outcome =
      result.bytesRead == kSettingsSize ? LoadOutcome::kLoaded : LoadOutcome::kLoadedShort;
  if (!settings.Deserialize(image)) {
    // Cannot happen: the image has the record's size.
    settings.SetDefaults(clock.Now());
  }
  settings.ReplaceNonFinite();
  settings.Validate();
  return result;
}

SettingsFile::Status SettingsFile::CreateNew(const Settings& settings) const {
  const std::vector<uint8_t> image = settings.ToBytes();
  // O_EXCL: an existing file (or a link in its place) is never replaced here.
  Fd fd(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.valid()) return Status::IoError(errno, "create " + path_.string());
  if (!WriteAll(fd.get(), image.data(), image.size())) {
    const int error = errno;
    fd.Close();
    ::unlink(path_.c_str());
    return Status::IoError(error, "write " + path_.string());
  }
  if (!fd.Close()) {
    const int error = errno;
    ::unlink(path_.c_str());
    return Status::IoError(error, "close " + path_.string());
  }
  return Status::Ok();
}

SettingsFile::Status SettingsFile::Save(const Settings& settings) const {
  static std::atomic<unsigned> counter{0};
  const std::vector<uint8_t> image = settings.ToBytes();
  std::filesystem::path temp = path_;
  temp += ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);

  Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.valid()) return Status::IoError(errno, "create " + temp.string());

  auto fail = [&](const char* step) {
    const int error = errno;
    if (fd.valid()) fd.Close();
    ::unlink(temp.c_str());
    return Status::IoError(error, std::string(step) + " " + temp.string());
  };
  // Keep the permissions the old file had.
  struct stat old {};
  if (::stat(path_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    (void)::fchmod(fd.get(), old.st_mode & 07777);
  }
  if (!WriteAll(fd.get(), image.data(), image.size())) return fail("write");
  if (::fsync(fd.get()) != 0) return fail("flush");
  if (!fd.Close()) return fail("close");
  if (::rename(temp.c_str(), path_.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return Status::IoError(error, "rename to " + path_.string());
  }
  // Make the rename itself durable; a failure here does not undo the save.
  Fd dir(::open(path_.parent_path().empty() ? "." : path_.parent_path().c_str(),
                O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) (void)::fsync(dir.get());
  return Status::Ok();
}

}  // namespace ws
