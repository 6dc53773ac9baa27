#include "util/version_info.h"

#include <array>

#include "util/version_info_config.h"

namespace ws {
namespace {

struct Entry {
  std::string_view name;
  std::string_view text;
};

// In the order of VersionEntry.
constexpr std::array<Entry, kVersionEntryCount> kEntries{{
    {"FileVersion", WS_VERSION_FILE_VERSION},
    {"InternalName", WS_VERSION_INTERNAL_NAME},
    {"LegalCopyright", WS_VERSION_LEGAL_COPYRIGHT},
    {"OriginalFilename", WS_VERSION_ORIGINAL_FILENAME},
    {"ProductVersion", WS_VERSION_PRODUCT_VERSION},
    {"ProductName", WS_VERSION_PRODUCT_NAME},
    {"CompanyName", WS_VERSION_COMPANY_NAME},
}};

}  // namespace

std::string_view VersionEntryName(int index) {
  if (index < 0 || index >= kVersionEntryCount) return {};
  return kEntries[static_cast<size_t>(index)].name;
}

std::string VersionEntryText(int index) {
  if (index < 0 || index >= kVersionEntryCount) return {};
  return std::string(kEntries[static_cast<size_t>(index)].text);
}

}  // namespace ws
