#include "util/utility.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <regex>
#include <unistd.h>

namespace ws {
namespace {

namespace fs = std::filesystem;

TEST(CompassName, LowerBoundsBelongToTheNextName) {
  EXPECT_EQ(CompassName(11.25f), "NNE");
  EXPECT_EQ(CompassName(11.24f), "N");
  EXPECT_EQ(CompassName(33.75f), "NE");
  EXPECT_EQ(CompassName(180.0f), "S");
  EXPECT_EQ(CompassName(326.25f), "NNW");
  EXPECT_EQ(CompassName(348.74f), "NNW");
}

TEST(CompassName, NorthCoversBothEndsAndEverythingOutOfRange) {
  for (float d : {0.0f, 348.75f, 360.0f, 720.0f, -5.0f, std::numeric_limits<float>::quiet_NaN(),
                  std::numeric_limits<float>::infinity()}) {
    EXPECT_EQ(CUtility::GetCompassName(d), "N") << d;
  }
}

TEST(VersionInfo, EntriesByIndexCarryTheBuildIdentity) {
  const char* names[] = {"FileVersion",    "InternalName", "LegalCopyright", "OriginalFilename",
                         "ProductVersion", "ProductName",  "CompanyName"};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(VersionEntryName(i), names[i]);
  EXPECT_EQ(CUtility::GetVersionEntry(5), "WINDSCOPE");
  EXPECT_TRUE(std::regex_match(CUtility::GetVersionEntry(0), std::regex(R"(\d+\.\d+(\.\d+){0,2})")));
  EXPECT_NE(CUtility::GetVersionEntry(2).find("Copyright"), std::string::npos);
  EXPECT_EQ(CUtility::GetVersionEntry(-1), "");
  EXPECT_EQ(CUtility::GetVersionEntry(7), "");
}

TEST(FileInfo, SizeOfAFileAndClearAnswersForMissingFilesAndDirectories) {
  const fs::path dir = fs::temp_directory_path() / ("ws_fileinfo_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path path = dir / fs::path(u"경보.wav");
  std::ofstream(path, std::ios::binary) << std::string(1234, 'x');
  EXPECT_TRUE(CUtility::IsFileExist(path));
  EXPECT_EQ(CUtility::GetFileSize(path), 1234u);
  EXPECT_FALSE(FileExists(dir / "absent.wav"));
  EXPECT_FALSE(FileSize(dir / "absent.wav").has_value());
  EXPECT_TRUE(FileExists(dir));
  EXPECT_FALSE(FileSize(dir).has_value());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace ws
