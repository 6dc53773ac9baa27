#include "core/wav_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace ws {
namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// Chunks before the sound data (LIST, fact, ...) are skipped; a file with more
// than this many is not one a sound editor wrote.
constexpr int kMaxChunks = 1000;

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

std::string FormatName(uint16_t tag) {
  switch (tag) {
    case 0x0002: return "Microsoft ADPCM";
    case 0x0006: return "A-law";
    case 0x0007: return "mu-law";
    case 0x0011: return "IMA ADPCM";
    case 0x0031: return "GSM 6.10";
    case 0x0055: return "MP3";
    default: return "format " + std::to_string(tag);
  }
}

WavCheck Problem(WavProblem problem, std::string reason) { return {problem, std::move(reason)}; }

class File {
 public:
  explicit File(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
  ~File() {
    if (fd_ >= 0) ::close(fd_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  int fd() const { return fd_; }
  // Reads exactly n bytes at `offset`; false when the file holds fewer.
  bool ReadAt(uint64_t offset, unsigned char* out, size_t n) const {
    size_t done = 0;
    while (done < n) {
      const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      done += static_cast<size_t>(got);
    }
    return true;
  }

 private:
  int fd_;
};

// The "fmt " chunk's body: whether its encoding is one the player decodes.
WavCheck CheckFormat(const unsigned char* fmt, uint32_t size, uint16_t& blockAlign) {
  uint16_t tag = Le16(fmt);
  const uint16_t channels = Le16(fmt + 2);
  const uint32_t rate = Le32(fmt + 4);
  blockAlign = Le16(fmt + 12);
  const uint16_t bits = Le16(fmt + 14);
  if (tag == kFormatExtensible) {
    if (size < 40) return Problem(WavProblem::kUnsupported, "an extensible format header without its sub-format");
    tag = Le16(fmt + 24);  // the first two bytes of the sub-format GUID
  }
  if (tag != kFormatPcm && tag != kFormatFloat) {
    return Problem(WavProblem::kUnsupported, "it is encoded as " + FormatName(tag) + ", which the player cannot decode");
  }
  if (channels == 0 || rate == 0) return Problem(WavProblem::kUnsupported, "its header gives no channels or no sample rate");
  const bool pcmSize = bits == 8 || bits == 16 || bits == 32;
  if ((tag == kFormatPcm && !pcmSize) || (tag == kFormatFloat && bits != 32)) {
    return Problem(WavProblem::kUnsupported,
                   "its samples are " + std::to_string(bits) + "-bit, which the player cannot decode");
  }
  if (blockAlign != channels * (bits / 8)) {
    return Problem(WavProblem::kUnsupported, "its header's frame size does not match its channels and sample size");
  }
  return {};
}

}  // namespace

WavCheck CheckWavFile(const std::string& path) {
  const File file(path);
  if (file.fd() < 0) return Problem(WavProblem::kUnreadable, std::strerror(errno));
  struct stat st {};
  if (::fstat(file.fd(), &st) != 0) return Problem(WavProblem::kUnreadable, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return Problem(WavProblem::kUnreadable, "it is not a regular file");
  const auto size = static_cast<uint64_t>(st.st_size);
  if (size == 0) return Problem(WavProblem::kNotWave, "the file is empty");

  std::array<unsigned char, 12> riff{};
  if (!file.ReadAt(0, riff.data(), riff.size())) {
    // A start of "RIFF" cut short is a damaged wave file; anything else is not one.
    const size_t n = static_cast<size_t>(std::min<uint64_t>(size, 4));
    std::array<unsigned char, 4> head{};
    if (file.ReadAt(0, head.data(), n) && std::memcmp(head.data(), "RIFF", n) == 0) {
      return Problem(WavProblem::kTruncated, "the file ends inside its header");
    }
    return Problem(WavProblem::kNotWave, "it is not a wave (RIFF WAVE) file");
  }
  if (std::memcmp(riff.data(), "RIFF", 4) != 0 || std::memcmp(riff.data() + 8, "WAVE", 4) != 0) {
    return Problem(WavProblem::kNotWave, "it is not a wave (RIFF WAVE) file");
  }

  bool haveFormat = false;
  uint16_t blockAlign = 0;
  uint64_t offset = 12;
  for (int chunk = 0; chunk < kMaxChunks; ++chunk) {
    std::array<unsigned char, 8> header{};
    if (offset + header.size() > size || !file.ReadAt(offset, header.data(), header.size())) {
      return Problem(WavProblem::kTruncated, "the file ends before its sound data");
    }
    const uint32_t chunkSize = Le32(header.data() + 4);
    const uint64_t body = offset + header.size();
    if (std::memcmp(header.data(), "fmt ", 4) == 0) {
      std::array<unsigned char, 40> fmt{};
      if (chunkSize < 16) return Problem(WavProblem::kUnsupported, "its format header is too short");
      const size_t want = std::min<size_t>(chunkSize, fmt.size());
      if (body + want > size || !file.ReadAt(body, fmt.data(), want)) {
        return Problem(WavProblem::kTruncated, "the file ends inside its format header");
      }
      if (WavCheck format = CheckFormat(fmt.data(), chunkSize, blockAlign)) return format;
      haveFormat = true;
    } else if (std::memcmp(header.data(), "data", 4) == 0) {
      if (!haveFormat) return Problem(WavProblem::kNotWave, "its sound data comes before its format header");
      if (chunkSize < blockAlign || chunkSize == 0) return Problem(WavProblem::kNoSound, "it holds no sound");
      if (body + chunkSize > size) {
        return Problem(WavProblem::kTruncated, "the file is cut short: it holds " + std::to_string(size - body) +
                                                   " of its " + std::to_string(chunkSize) + " bytes of sound");
      }
      return {};
    }
    offset = body + chunkSize + (chunkSize & 1u);  // chunks are padded to an even length
  }
  return Problem(WavProblem::kNotWave, "no sound data among its first chunks");
}

}  // namespace ws
