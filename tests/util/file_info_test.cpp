#include "util/file_info.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace ws {
namespace {

namespace fs = std::filesystem;

class FileInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ws_fileinfo_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path dir_;
};

TEST_F(FileInfoTest, ExistingFileReportsItsSizeWithAKoreanName) {
  const fs::path path = dir_ / fs::path(u"경보.wav");
  std::ofstream(path, std::ios::binary) << std::string(1234, 'x');
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(FileSize(path), 1234u);
  std::ofstream(dir_ / "empty");
  EXPECT_EQ(FileSize(dir_ / "empty"), 0u);
}

TEST_F(FileInfoTest, MissingFileDoesNotExistAndHasNoSize) {
  EXPECT_FALSE(FileExists(dir_ / "absent.wav"));
  EXPECT_FALSE(FileSize(dir_ / "absent.wav").has_value());
  EXPECT_FALSE(FileSize(dir_ / "no" / "such" / "dir").has_value());
}

TEST_F(FileInfoTest, DirectoryExistsButHasNoFileSize) {
  EXPECT_TRUE(FileExists(dir_));
  EXPECT_FALSE(FileSize(dir_).has_value());
}

}  // namespace
}  // namespace ws
