// Number-to-text rules shared by the readouts, always in the C locale so that a
// German or Korean desktop never turns the decimal point into a comma.
#pragma once

#include <cstdarg>
#include <string>

namespace ws {

// A value with a fixed count of decimals, as printf "%1.0f" for 0 decimals and
// "%W.Df" with W = d + 2, D = d otherwise (two decimals: "%4.2f", so 1.5 is "1.50"
// and 5.0 with one decimal is "5.0"). Short numbers are padded on the left with
// blanks up to W; callers that need no padding trim. Negative decimals count as 0.
std::string FormatFixed(int decimals, double value);

// printf-style formatting in the C locale, whatever the process locale is.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatCv(const char* format, va_list args);

// Wide printf-style formatting in the C locale, at most maxChars - 1 characters.
std::wstring FormatCwv(const wchar_t* format, va_list args, size_t maxChars);

}  // namespace ws
