#include "core/format_fixed.h"

#include <clocale>
#include <cstdio>
#include <cwchar>
#include <locale.h>
#include <vector>

namespace ws {

namespace {

// Switches the calling thread to the C locale for one formatting call.
class CLocaleScope {
 public:
  CLocaleScope() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    previous_ = c ? uselocale(c) : static_cast<locale_t>(0);
  }
  ~CLocaleScope() {
    if (previous_) uselocale(previous_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

}  // namespace

std::string FormatFixed(int decimals, double value) {
  if (decimals < 0) decimals = 0;
  // The format is built the same way the readouts always built it: "%c1.0f" or
  // "%c%d.%df" with '%' as the first argument.
  char format[32];
  if (decimals == 0) {
    std::snprintf(format, sizeof format, "%c1.0f", '%');
  } else {
    std::snprintf(format, sizeof format, "%c%d.%df", '%', decimals + 2, decimals);
  }
  return FormatC(format, value);
}

std::string FormatC(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatCv(format, args);
  va_end(args);
  return text;
}

std::string FormatCv(const char* format, va_list args) {
  CLocaleScope scope;
  char small[256];
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, args);
  return std::string(big.data(), static_cast<size_t>(n));
}

std::wstring FormatCwv(const wchar_t* format, va_list args, size_t maxChars) {
  if (maxChars == 0) return {};
  CLocaleScope scope;
  std::vector<wchar_t> buffer(maxChars, L'\0');
  const int n = std::vswprintf(buffer.data(), buffer.size(), format, args);
  if (n < 0) {
    // Truncated (or an encoding error): keep what was written, as a bounded
    // formatter would.
    buffer.back() = L'\0';
    return std::wstring(buffer.data());
  }
  return std::wstring(buffer.data(), static_cast<size_t>(n));
}

}  // namespace ws
