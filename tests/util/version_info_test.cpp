#include "util/version_info.h"

#include <gtest/gtest.h>

#include <regex>

#include "util/utility.h"

namespace ws {
namespace {

TEST(VersionInfo, EntriesAreNamedInTheirIndexOrder) {
  const char* names[] = {"FileVersion",    "InternalName", "LegalCopyright", "OriginalFilename",
                         "ProductVersion", "ProductName",  "CompanyName"};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(VersionEntryName(i), names[i]);
}

TEST(VersionInfo, BuildIdentityIsCompiledIn) {
  EXPECT_EQ(VersionEntryText(VersionEntry::kProductName), "WINDSCOPE");
  EXPECT_TRUE(std::regex_match(VersionEntryText(VersionEntry::kFileVersion),
                               std::regex(R"(\d+\.\d+(\.\d+){0,2})")));
  EXPECT_EQ(VersionEntryText(VersionEntry::kProductVersion),
            VersionEntryText(VersionEntry::kFileVersion));
  EXPECT_NE(VersionEntryText(VersionEntry::kLegalCopyright).find("Copyright"), std::string::npos);
  EXPECT_FALSE(VersionEntryText(VersionEntry::kCompanyName).empty());
}

TEST(VersionInfo, IndexOutsideZeroToSixGivesEmptyText) {
  EXPECT_EQ(VersionEntryText(-1), "");
  EXPECT_EQ(VersionEntryText(7), "");
  EXPECT_EQ(VersionEntryName(7), "");
  EXPECT_EQ(CUtility::GetVersionEntry(100), "");
  EXPECT_EQ(CUtility::GetVersionEntry(5), "WINDSCOPE");
}

}  // namespace
}  // namespace ws
