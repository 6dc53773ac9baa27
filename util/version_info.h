// The program's version entries (name, version, copyright), compiled in at build
// time; read by index as the information dialog does.
#pragma once

#include <string>
#include <string_view>

namespace ws {

enum class VersionEntry : int {
  kFileVersion = 0,
  kInternalName = 1,
  kLegalCopyright = 2,
  kOriginalFilename = 3,
  kProductVersion = 4,
  kProductName = 5,
  kCompanyName = 6,
};

inline constexpr int kVersionEntryCount = 7;

// The entry's name ("FileVersion", ...); empty for an index outside 0..6.
std::string_view VersionEntryName(int index);

// The entry's text; empty for an index outside 0..6 or an entry the build left unset.
std::string VersionEntryText(int index);
inline std::string VersionEntryText(VersionEntry entry) {
  return VersionEntryText(static_cast<int>(entry));
}

}  // namespace ws
