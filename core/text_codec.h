// Conversion between the CP949 bytes stored in the configuration record and the
// UTF-8 / UTF-16 text of the rest of the station, through the C library's iconv.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ws {

// Every conversion is total: a character the target cannot hold, or input that
// is not valid in its encoding, becomes '?'. A missing iconv module degrades to
// ASCII only (everything else becomes '?').
std::string Cp949ToUtf8(std::string_view cp949);
std::u16string Cp949ToUtf16(std::string_view cp949);
std::string Utf8ToCp949(std::string_view utf8);
std::string Utf16ToCp949(std::u16string_view utf16);

// The length of the longest prefix of `cp949` of at most `maxBytes` bytes that
// does not end inside a double-byte character (lead byte 0x81..0xFE).
size_t Cp949PrefixLength(std::string_view cp949, size_t maxBytes);

}  // namespace ws
