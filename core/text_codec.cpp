#include "core/text_codec.h"

#include <cerrno>
#include <iconv.h>

namespace ws {
namespace {

enum class Unit { kCp949, kUtf8, kUtf16Le };

const char* IconvName(Unit u) {
  switch (u) {
    case Unit::kCp949: return "CP949";
    case Unit::kUtf8: return "UTF-8";
    case Unit::kUtf16Le: return "UTF-16LE";
  }
  return "";
}

bool IsCp949Lead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsCp949Trail(unsigned char c) {
  return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}

// Bytes to skip at `p` (with `left` bytes remaining) when the character there
// cannot be converted, so that one bad character gives exactly one '?'.
size_t SkipLength(Unit from, const unsigned char* p, size_t left) {
  switch (from) {
    case Unit::kCp949:
      return (left >= 2 && IsCp949Lead(p[0]) && IsCp949Trail(p[1])) ? 2 : 1;
    case Unit::kUtf8: {
      size_t n = 1;
      while (n < left && n < 4 && (p[n] & 0xC0) == 0x80) ++n;
      return n;
    }
    case Unit::kUtf16Le: {
      if (left < 2) return left;
      const unsigned unit = p[0] | p[1] << 8;
      if (unit >= 0xD800 && unit <= 0xDBFF && left >= 4) {
        const unsigned next = p[2] | p[3] << 8;
        if (next >= 0xDC00 && next <= 0xDFFF) return 4;
      }
      return 2;
    }
  }
  return 1;
}

void AppendReplacement(Unit to, std::string& out) {
  out.push_back('?');
  if (to == Unit::kUtf16Le) out.push_back('\0');
}

// Without iconv: ASCII passes, every other character becomes one '?'.
std::string AsciiOnly(Unit from, Unit to, std::string_view in) {
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    const bool ascii = from == Unit::kUtf16Le ? (left >= 2 && p[1] == 0 && p[0] < 0x80) : p[0] < 0x80;
    size_t n = ascii ? (from == Unit::kUtf16Le ? 2 : 1) : SkipLength(from, p, left);
    if (ascii) {
      out.push_back(static_cast<char>(p[0]));
      if (to == Unit::kUtf16Le) out.push_back('\0');
    } else {
      AppendReplacement(to, out);
    }
    p += n;
    left -= n;
  }
  return out;
}

// One iconv descriptor per direction and thread, opened on first use.
class Converter {
 public:
  Converter(Unit from, Unit to) : from_(from), to_(to), cd_(iconv_open(IconvName(to), IconvName(from))) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  std::string Run(std::string_view in) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return AsciiOnly(from_, to_, in);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // initial shift state
    std::string out;
    out.resize(in.size() * 2 + 16);
    size_t used = 0;
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
      char* dst = out.data() + used;
      size_t dstLeft = out.size() - used;
      const size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      used = out.size() - dstLeft;
      if (rc != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2 + 16);
        continue;
      }
      // EILSEQ (invalid or unrepresentable) or EINVAL (cut short at the end).
      const size_t skip = errno == EINVAL
                              ? srcLeft
                              : SkipLength(from_, reinterpret_cast<const unsigned char*>(src), srcLeft);
      out.resize(used);
      AppendReplacement(to_, out);
      used = out.size();
      out.resize(used + srcLeft * 2 + 16);
      src += skip;
      srcLeft -= skip;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
  }

 private:
  Unit from_;
  Unit to_;
  iconv_t cd_;
};

std::string Convert(Unit from, Unit to, std::string_view in) {
  if (in.empty()) return {};
  thread_local Converter cp949ToUtf8(Unit::kCp949, Unit::kUtf8);
  thread_local Converter cp949ToUtf16(Unit::kCp949, Unit::kUtf16Le);
  thread_local Converter utf8ToCp949(Unit::kUtf8, Unit::kCp949);
  thread_local Converter utf16ToCp949(Unit::kUtf16Le, Unit::kCp949);
  if (from == Unit::kCp949 && to == Unit::kUtf8) return cp949ToUtf8.Run(in);
  if (from == Unit::kCp949 && to == Unit::kUtf16Le) return cp949ToUtf16.Run(in);
  if (from == Unit::kUtf8 && to == Unit::kCp949) return utf8ToCp949.Run(in);
  return utf16ToCp949.Run(in);
}

}  // namespace

std::string Cp949ToUtf8(std::string_view cp949) { return Convert(Unit::kCp949, Unit::kUtf8, cp949); }

std::u16string Cp949ToUtf16(std::string_view cp949) {
  const std::string bytes = Convert(Unit::kCp949, Unit::kUtf16Le, cp949);
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return out;
}

std::string Utf8ToCp949(std::string_view utf8) { return Convert(Unit::kUtf8, Unit::kCp949, utf8); }

std::string Utf16ToCp949(std::u16string_view utf16) {
  std::string bytes;
  bytes.reserve(utf16.size() * 2);
  for (char16_t c : utf16) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return Convert(Unit::kUtf16Le, Unit::kCp949, bytes);
}

size_t Cp949PrefixLength(std::string_view cp949, size_t maxBytes) {
  size_t i = 0;
  while (i < cp949.size()) {
    const bool pair = IsCp949Lead(static_cast<unsigned char>(cp949[i])) && i + 1 < cp949.size();
    const size_t n = pair ? 2 : 1;
    if (i + n > maxBytes) break;
    i += n;
  }
  return i;
}

}  // namespace ws
