// Fuzzes the loading of the configuration file: any content of any length in
// "WDX-5100.cfg" loads into a usable record (stack count, grid and numbers within
// what the station relies on), the load never changes the file, the texts read
// back and write back within their fields, and a save of what was loaded loads
// again unchanged.
//
// Input: the file's bytes as they are, or, when the input starts with the four
// bytes FF 'P' 'T' 01, a patched image of the default file (so that full-length
// files are reached without 428528-byte inputs):
//   3 bytes  the file size, little-endian (capped at the record size + 4096)
//   patches  3-byte offset (little-endian), 1-byte length, that many bytes,
//            written over the default image (offsets past the size are dropped)
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <span>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "core/settings.h"
#include "core/settings_file.h"
#include "core/text_codec.h"
#include "fuzz/fuzz_check.h"
#include "support/fake_clock.h"

namespace {

constexpr uint8_t kPatchMagic[4] = {0xFF, 'P', 'T', 0x01};
constexpr size_t kMaxFileSize = ws::kSettingsSize + 4096;

// One scratch directory for the whole run, on a memory file system when there is one.
const std::filesystem::path& ScratchDirectory() {
  static const std::filesystem::path dir = [] {
    std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    if (const char* t = std::getenv("TMPDIR"); t != nullptr && *t != '\0') base = t;
    std::string pattern = base + "/ws-fuzz-settings-XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    std::filesystem::path made(pattern);
    return made;
  }();
  // Registered after `dir` is made, so it runs before `dir` is destroyed.
  static const bool cleanup = [] {
    std::atexit([] { std::filesystem::remove_all(ScratchDirectory()); });
    return true;
  }();
  (void)cleanup;
  return dir;
}

std::vector<uint8_t> FileBytes(const uint8_t* data, size_t size) {
  if (size < sizeof kPatchMagic || std::memcmp(data, kPatchMagic, sizeof kPatchMagic) != 0) {
    return std::vector<uint8_t>(data, data + size);
  }
  size_t pos = sizeof kPatchMagic;
  auto byte = [&]() -> uint8_t { return pos < size ? data[pos++] : 0; };
  size_t fileSize = byte();
  fileSize |= size_t{byte()} << 8;
  fileSize |= size_t{byte()} << 16;
  fileSize = std::min(fileSize, kMaxFileSize);

  const auto defaults = std::make_unique<ws::Settings>();
  std::vector<uint8_t> image = defaults->ToBytes();
  image.resize(fileSize, 0);
  while (pos < size) {
    size_t offset = byte();
    offset |= size_t{byte()} << 8;
    offset |= size_t{byte()} << 16;
    const size_t length = byte();
    for (size_t k = 0; k < length && pos < size; ++k) {
      const uint8_t b = byte();
      if (offset + k < image.size()) image[offset + k] = b;
    }
  }
  return image;
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  FUZZ_CHECK(fd >= 0);
  FUZZ_CHECK(::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
  ::close(fd);
}

// The file's bytes, into a buffer kept for the whole run (large allocations are
// what costs most under the sanitizers).
const std::vector<uint8_t>& ReadFile(const std::filesystem::path& path) {
  static std::vector<uint8_t> buffer(kMaxFileSize + 1);
  static std::vector<uint8_t> out;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  FUZZ_CHECK(fd >= 0);
  size_t n = 0;
  for (ssize_t got; n < buffer.size() && (got = ::read(fd, buffer.data() + n, buffer.size() - n)) > 0;) {
    n += static_cast<size_t>(got);
  }
  ::close(fd);
  out.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
  return out;
}

// The record's byte image, into one of two buffers kept for the run.
std::span<const uint8_t> Image(const ws::Settings& s, int which) {
  static std::array<std::vector<uint8_t>, 2> images{std::vector<uint8_t>(ws::kSettingsSize),
                                                    std::vector<uint8_t>(ws::kSettingsSize)};
  std::vector<uint8_t>& image = images[static_cast<size_t>(which)];
  s.Serialize(std::span<uint8_t, ws::kSettingsSize>(image.data(), ws::kSettingsSize));
  return image;
}

bool SameImage(const ws::Settings& a, const ws::Settings& b) {
  const std::span<const uint8_t> x = Image(a, 0);
  const std::span<const uint8_t> y = Image(b, 1);
  return std::equal(x.begin(), x.end(), y.begin(), y.end());
}

// A text read from its field and stored back through the dialog's path stays
// inside the field, terminated.
void CheckText(std::span<const char> field) {
  const std::string_view raw = ws::FieldBytes(field);
  FUZZ_CHECK(raw.size() <= field.size());
  const std::u16string text = ws::FieldUtf16(field);
  std::vector<char> copy(field.begin(), field.end());
  ws::SetFieldUtf16(copy, text, copy.size());
  FUZZ_CHECK(std::find(copy.begin(), copy.end(), '\0') != copy.end());
  const std::string_view back = ws::FieldBytes(copy);
  FUZZ_CHECK(ws::Cp949PrefixLength(back, back.size()) == back.size());
}

void CheckUsable(const ws::Settings& s) {
  FUZZ_CHECK(s.stackCount >= 1 && s.stackCount <= ws::kMaxStacks);
  FUZZ_CHECK(s.gridColumns >= 0 && s.gridColumns <= ws::kGridLimit);
  FUZZ_CHECK(s.gridRows >= 0 && s.gridRows <= ws::kGridLimit);
  FUZZ_CHECK(std::isfinite(s.gaugeSplitRatio));
  for (const ws::StackSettings& st : s.stacks) {
    FUZZ_CHECK(std::isfinite(st.windMaxSpeed) && std::isfinite(st.alarmSpeed) &&
               std::isfinite(st.stopSpeed) && std::isfinite(st.tripSpeed));
  }
  CheckText(s.programTitle);
  CheckText(s.speedUnit);
  CheckText(s.alarmSoundPath);
  CheckText(s.stopSoundPath);
  CheckText(s.tripSoundPath);
  for (int i = 0; i < s.stackCount; ++i) CheckText(s.stacks[static_cast<size_t>(i)].title);
  (void)ws::AddressToText(s.signalLampAddress);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto loaded = std::make_unique<ws::Settings>();
  static const auto again = std::make_unique<ws::Settings>();
  static const auto reloaded = std::make_unique<ws::Settings>();
  const std::filesystem::path& dir = ScratchDirectory();
  const ws::SettingsFile file{dir};
  const std::vector<uint8_t> bytes = FileBytes(data, size);
  WriteFile(file.path(), bytes);

  ws::test::FakeClock clock;
  const ws::SettingsFile::LoadResult result = file.Load(*loaded, clock);
  FUZZ_CHECK(result.bytesRead == std::min(bytes.size(), ws::kSettingsSize));
  FUZZ_CHECK(result.outcome == (bytes.size() >= ws::kSettingsSize
                                    ? ws::SettingsFile::LoadOutcome::kLoaded
                                    : ws::SettingsFile::LoadOutcome::kLoadedShort));
  CheckUsable(*loaded);
  // Loading never rewrites the operator's file.
  FUZZ_CHECK(ReadFile(file.path()) == bytes);

  // What was loaded is already valid: validating again changes nothing. (The
  // images are compared: NaNs in fields nobody reads compare unequal as doubles.)
  *again = *loaded;
  again->ReplaceNonFinite();
  again->Validate();
  FUZZ_CHECK(SameImage(*again, *loaded));

  // A save of it loads back as the same record, at full length.
  const ws::SettingsFile::Status saved = file.Save(*loaded);
  FUZZ_CHECK(saved.ok());
  FUZZ_CHECK(ReadFile(file.path()).size() == ws::kSettingsSize);
  FUZZ_CHECK(file.Load(*reloaded, clock).outcome == ws::SettingsFile::LoadOutcome::kLoaded);
  FUZZ_CHECK(SameImage(*reloaded, *loaded));
  ::unlink(file.path().c_str());
  return 0;
}
