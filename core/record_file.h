// Monthly record files: their paths, creation, and reading and writing samples at
// their slots. The layout itself is in core/record_layout.h and doc/record_format.md.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/record_layout.h"

namespace ws {

enum class [[nodiscard]] RecordStatus {
  kOk,
  kInvalidArgument,  // stack, date or slot outside its range
  kOutOfRange,       // the write would cross the end of the month file
  kNotFound,         // the month file does not exist
  kIoError,          // the operating system refused (see errno at the call)
  kNoSpace,          // the file system is full (or the quota is used up)
  // The month file was made at its full size, but the disk had no room to reserve
  // that size: it is usable and fills as it is written, until space runs out.
  kSpaceNotReserved,
};

const char* ToString(RecordStatus status);

// True when the file can be recorded into (kOk or kSpaceNotReserved).
constexpr bool IsUsable(RecordStatus status) {
  return status == RecordStatus::kOk || status == RecordStatus::kSpaceNotReserved;
}

// "<workdir>/Stack%03d" with the stack number (index + 1).
std::string StackDirectoryPath(std::string_view workdir, int stackIndex);
// "<workdir>/Stack%03d/%d_%02d.dat": the file of one stack and month (year 1..9999,
// month 1..12).
std::string RecordFilePath(std::string_view workdir, int stackIndex, int year, int month);

// Makes sure the month file exists: creates the stack directory if missing, then
// creates the file exclusively and reserves its full kFileSize bytes, which read as
// zeros. A file that already exists is left exactly as it is, whatever its size.
// When the disk has no room for the reservation the file is still made, sparse, at
// its full size (kSpaceNotReserved), so that recording goes on while space lasts; a
// file system that cannot reserve space at all gets the same sparse file silently.
[[nodiscard]] RecordStatus EnsureMonthFile(std::string_view workdir, int stackIndex, int year,
                                           int month);
// EnsureMonthFile for stacks 0..stackCount-1; carries on past a failing stack and
// returns the first failure (or kSpaceNotReserved when that is the worst).
[[nodiscard]] RecordStatus EnsureMonthFiles(std::string_view workdir, int stackCount, int year,
                                            int month);

// Writes a block of samples (a dumped five minutes: kBlockSamples of them) at the slot
// of (day, hour, minute, second 0) of the given month's file, creating the file (and
// the stack directory) when missing. The write uses a handle of its own, so an open
// recording handle of the same stack is not disturbed. Refuses hour > 23, minute > 59,
// a day outside the month, and a block that would cross the end of the file.
// kSpaceNotReserved: written, into a file that had to be made without its space.
[[nodiscard]] RecordStatus WriteRecordBlock(std::string_view workdir, int stackIndex, int year,
                                            int month, int day, int hour, int minute,
                                            std::span<const Sample> samples);

// WriteRecordBlock for a block fetched from a logger, merged with what the file holds:
// sample k goes into its slot when known[k] (the logger had a value for that second),
// or when the slot holds nothing (0/0); a slot that holds data keeps it where the
// logger has none. At most kBlockSamples samples, with one `known` flag each; the
// slots are read and written back in one read and one write.
[[nodiscard]] RecordStatus MergeRecordBlock(std::string_view workdir, int stackIndex, int year,
                                            int month, int day, int hour, int minute,
                                            std::span<const Sample> samples,
                                            std::span<const bool> known);

// True when a slot's sample is data rather than "nothing here": anything but 0/0
// (negative zero counts as zero; NaN counts as data).
constexpr bool HoldsData(const Sample& s) { return !(s.direction == 0.0f && s.speed == 0.0f); }

// Opens the month file at `path` (O_RDONLY or O_RDWR in `flags`; O_NONBLOCK and
// O_CLOEXEC are added) without ever blocking: anything that is not a regular file
// (a FIFO, a directory, a device) is closed again and reads as missing. Returns the
// descriptor, or -1 with *status (when given) kNotFound for a missing or irregular
// file and kIoError/kNoSpace for other refusals.
[[nodiscard]] int OpenRegularRecordFile(const char* path, int flags, RecordStatus* status = nullptr);

// Reads out.size() samples starting at a slot (a byte offset, multiple of kSampleSize)
// of a month file. Samples the file does not hold (a short or missing tail, slots past
// kFileSize) read as 0/0; bytes beyond kFileSize are never read. *stored, when given,
// receives the number of samples that came from the file. kNotFound when the file
// does not exist.
[[nodiscard]] RecordStatus ReadRecordSamples(std::string_view workdir, int stackIndex, int year,
                                             int month, int64_t slot, std::span<Sample> out,
                                             int64_t* stored = nullptr);

// One open month file (an owned descriptor, closed by the destructor). Writes are
// unbuffered pwrite calls; one sample is never split over two writes. Not thread-safe;
// distinct objects may refer to the same file.
class RecordFile {
 public:
  enum class Access { kRead, kReadWrite };

  RecordFile() = default;
  ~RecordFile();
  RecordFile(RecordFile&& other) noexcept;
  RecordFile& operator=(RecordFile&& other) noexcept;
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  // Opens an existing month file (never creates it: see EnsureMonthFile), through
  // OpenRegularRecordFile: never blocks, and anything but a regular file is kNotFound.
  // Any file held before is closed first.
  [[nodiscard]] RecordStatus Open(std::string_view workdir, int stackIndex, int year, int month,
                                  Access access);
  void Close();

  bool IsOpen() const { return fd_ >= 0; }
  // The month the open file belongs to; 0 while closed.
  int year() const { return year_; }
  int month() const { return month_; }
  bool Holds(int year, int month) const { return fd_ >= 0 && year_ == year && month_ == month; }

  // One sample at a slot, in one 8-byte write.
  [[nodiscard]] RecordStatus WriteSample(int64_t slot, const Sample& sample);
  // Consecutive samples from a slot; up to kBlockSamples go out in one write. Nothing
  // is written when the samples would cross kFileSize.
  [[nodiscard]] RecordStatus WriteSamples(int64_t slot, std::span<const Sample> samples);
  // Up to kBlockSamples samples from a slot, merged as MergeRecordBlock says: one read
  // of the slots, one write back. known.size() must equal samples.size().
  [[nodiscard]] RecordStatus MergeSamples(int64_t slot, std::span<const Sample> samples,
                                          std::span<const bool> known);

  // Reads samples from a slot as ReadRecordSamples does; returns how many came from
  // the file, or nothing on a read error or a bad slot.
  [[nodiscard]] std::optional<int64_t> ReadSamples(int64_t slot, std::span<Sample> out) const;
  // Whole samples the file holds within kFileSize (kSlotsPerFile for a complete file).
  [[nodiscard]] std::optional<int64_t> StoredSamples() const;

 private:
  int fd_ = -1;
  int year_ = 0;
  int month_ = 0;
};

}  // namespace ws
