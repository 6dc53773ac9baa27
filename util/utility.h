// CUtility: the station's stateless helpers gathered behind one class, for the
// windows that embed one. Each operation forwards to a free function of util/.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "util/compass.h"
#include "util/file_info.h"
#include "util/version_info.h"

namespace ws {

class CUtility {
 public:
  static std::string_view GetCompassName(float degrees) { return CompassName(degrees); }
  // Index 0..6: FileVersion, InternalName, LegalCopyright, OriginalFilename,
  // ProductVersion, ProductName, CompanyName; empty text otherwise.
  static std::string GetVersionEntry(int index) { return VersionEntryText(index); }
  static bool IsFileExist(const std::filesystem::path& path) { return FileExists(path); }
  [[nodiscard]] static std::optional<uint64_t> GetFileSize(const std::filesystem::path& path) {
    return FileSize(path);
  }
};

}  // namespace ws
