// The configuration file "WDX-5100.cfg" in the working directory: loading it into
// the settings record (with defaults and validation) and saving it atomically.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>

#include "core/clock.h"
#include "core/settings.h"

namespace ws {

inline constexpr char kSettingsFileName[] = "WDX-5100.cfg";

class SettingsFile {
 public:
  // What a load found. In every case the record is usable afterwards.
  enum class LoadOutcome {
    kLoaded,            // a file of full length (anything beyond the record is ignored)
    kLoadedShort,       // a shorter file, laid over the defaults; the file is left as it is
    kCreated,           // no file: defaults, written to a new file
    kDefaultsNotSaved,  // no file: defaults, but the new file could not be written
    kUnreadable,        // a file exists but cannot be opened or read: defaults, file left alone
  };

  struct [[nodiscard]] LoadResult {
    LoadOutcome outcome = LoadOutcome::kLoaded;
    size_t bytesRead = 0;  // bytes taken from the file (at most kSettingsSize)
    int error = 0;         // errno of the failure, if any
  };

  // The result of a save. A failed save leaves the previous file untouched.
  class [[nodiscard]] Status {
   public:
    static Status Ok() { return Status(0, {}); }
    static Status IoError(int error, std::string step) { return Status(error, std::move(step)); }
    bool ok() const { return step_.empty(); }
    int error() const { return error_; }
    // "ok", or the failed step and the system's text for the error.
    std::string ToString() const;

   private:
    Status(int error, std::string step) : error_(error), step_(std::move(step)) {}
    int error_;
    std::string step_;
  };

  // `workingDirectory` is the directory current at start; the file lives in it.
  explicit SettingsFile(std::filesystem::path workingDirectory);

  const std::filesystem::path& path() const { return path_; }

  // Fills `settings` from the file, or with defaults (report span = clock's now)
  // when there is none, creating the file then. A file shorter than the record is
  // laid over the defaults and not rewritten. Afterwards non-finite numbers take
  // their defaults and the record is validated (Settings::Validate). Never reads
  // beyond the record's size, whatever the file holds.
  LoadResult Load(Settings& settings, const Clock& clock) const;

  // Writes the whole record: a temporary file in the same directory is written,
  // flushed and renamed over the old one.
  Status Save(const Settings& settings) const;

 private:
  // Writes a new file, refusing to replace any existing one.
  Status CreateNew(const Settings& settings) const;

  std::filesystem::path path_;
};

}  // namespace ws
