#include "core/settings_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/fake_clock.h"

namespace ws {
namespace {

namespace fs = std::filesystem;
namespace L = settings_layout;

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ws_settings_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    clock_.Set(2026, 12, 9, 8, 30, 15, 250);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  fs::path ConfigPath() const { return dir_ / "WDX-5100.cfg"; }
  std::vector<uint8_t> ReadFile() const {
    std::ifstream in(ConfigPath(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  void WriteFile(const std::vector<uint8_t>& bytes) const {
    std::ofstream(ConfigPath(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  SettingsFile::LoadResult Load() { return SettingsFile(dir_).Load(*settings_, clock_); }

  fs::path dir_;
  test::FakeClock clock_;
  std::unique_ptr<Settings> settings_ = std::make_unique<Settings>();
  std::unique_ptr<Settings> edited_ = std::make_unique<Settings>();  // written by tests
};

uint64_t UintAt(const std::vector<uint8_t>& b, size_t off, int size) {
  uint64_t v = 0;
  for (int i = 0; i < size; ++i) v |= static_cast<uint64_t>(b[off + i]) << (8 * i);
  return v;
}
double F64At(const std::vector<uint8_t>& b, size_t off) {
  const uint64_t bits = UintAt(b, off, 8);
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}
std::string TextAt(const std::vector<uint8_t>& b, size_t off) {
  return reinterpret_cast<const char*>(&b[off]);
}

TEST_F(SettingsFileTest, FirstStartWritesAFullLengthFileWithEveryDefaultAtItsOffset) {
  EXPECT_EQ(Load().outcome, SettingsFile::LoadOutcome::kCreated);
  const std::vector<uint8_t> b = ReadFile();
  ASSERT_EQ(b.size(), 428528u);
  EXPECT_EQ(TextAt(b, 0), "1.0");
  EXPECT_EQ(TextAt(b, 40), "WINDSCOPE");
  EXPECT_EQ(TextAt(b, 120), "m/s");
  // Reserved values, interval, sound mode, stackCount, then the colours.
  const std::pair<size_t, uint64_t> ints[] = {
      {160, 1},           {164, 2},           {200, 9600},        {204, 9600},
      {240, 1},           {244, 1},           {248, 10},          {344, 0},
      {396, 1},           {418016, 1},        {348, 0x0000FA},    {352, 0x00C800},
      {356, 0x800000},    {360, 0xFFFF00},    {364, 0x00FF00},    {368, 0x00FFFF},
      {372, 0x4080FF},    {376, 0x0000FF},    {380, 0x0000FF},    {392, 0x0000FF},
      {418020, 0x008000}, {418024, 0x4080FF}, {418028, 0x0000FF}, {424436, 0}};
  for (auto [off, v] : ints) EXPECT_EQ(UintAt(b, off, 4), v) << off;
  EXPECT_EQ(F64At(b, 256), 1.0);
  EXPECT_EQ(F64At(b, 264), 0.7);
  EXPECT_EQ(b[400] | b[660] | b[920] | b[424432], 0);  // no sound paths, no lamp tower
  // Report span: the local time when the defaults were made, 2026-12-09 (a Wednesday).
  const uint16_t span[8] = {2026, 12, 3, 9, 8, 30, 15, 250};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(UintAt(b, 1180 + 2 * i, 2), span[i]) << i;
    EXPECT_EQ(UintAt(b, 1196 + 2 * i, 2), span[i]) << i;
  }
  for (int i : {0, 1, 99}) {
    const size_t s = 1216 + static_cast<size_t>(i) * 4168;
    EXPECT_EQ(UintAt(b, s, 4), 0u) << i;  // address 0.0.0.0
    EXPECT_EQ(TextAt(b, s + 4), "STACK #" + std::to_string(i + 1));
    EXPECT_EQ(F64At(b, s + 88), 60.0);
    EXPECT_EQ(F64At(b, s + 96), 30.0);
    EXPECT_EQ(F64At(b, s + 104), 40.0);
    EXPECT_EQ(F64At(b, s + 112), 45.0);
    EXPECT_EQ(UintAt(b, s + 152, 4), 0u);
  }
  EXPECT_EQ(b[424440], 4);  // 5 columns
  EXPECT_EQ(b[424441], 5);  // 6 rows
  EXPECT_EQ(settings_->ToBytes(), b);
}

TEST_F(SettingsFileTest, StackCountOutOfRangeLoadsAsOneWithGridsOfOne) {
  for (int32_t count : {0, 101}) {
    edited_->stackCount = count;
    edited_->gridColumns = -1;
    edited_->gridRows = 15;
    WriteFile(edited_->ToBytes());
    EXPECT_EQ(Load().outcome, SettingsFile::LoadOutcome::kLoaded);
    EXPECT_EQ(settings_->stackCount, 1) << count;
    EXPECT_EQ(settings_->gridColumns, 1) << count;
    EXPECT_EQ(settings_->gridRows, 1) << count;
  }
}

TEST_F(SettingsFileTest, BadGridLoadsAsHalfTheStacksPlusOneCappedAtFourteen) {
  // 28 stacks or more would give 15 and beyond, more than the dialog offers.
  const std::pair<int32_t, int> cases[] = {{10, 6}, {26, 14}, {28, 14}, {40, 14}};
  for (auto [count, expected] : cases) {
    edited_->stackCount = count;
    edited_->gridColumns = -1;
    edited_->gridRows = -128;
    WriteFile(edited_->ToBytes());
    (void)Load();
    EXPECT_EQ(settings_->gridColumns, expected) << count;
    EXPECT_EQ(settings_->gridRows, expected) << count;
  }
}

TEST_F(SettingsFileTest, NonFiniteNumbersLoadAsTheirDefaultsAndTheIntervalAsStored) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  edited_->gaugeSplitRatio = nan;
  edited_->stacks[0] = {.windMaxSpeed = inf, .alarmSpeed = nan, .stopSpeed = -inf, .tripSpeed = nan};
  edited_->stacks[0].title = {'T'};
  edited_->reservedInterval = 5;
  WriteFile(edited_->ToBytes());
  (void)Load();
  EXPECT_EQ(settings_->gaugeSplitRatio, 0.7);
  EXPECT_EQ(settings_->stacks[0].windMaxSpeed, 60.0);
  EXPECT_EQ(settings_->stacks[0].alarmSpeed, 30.0);
  EXPECT_EQ(settings_->stacks[0].stopSpeed, 40.0);
  EXPECT_EQ(settings_->stacks[0].tripSpeed, 45.0);
  EXPECT_EQ(settings_->reservedInterval, 5);  // only the dialog's OK clamps it
}

TEST_F(SettingsFileTest, ShortFileIsLaidOverTheDefaultsAndNotRewritten) {
  (void)SetFieldUtf8(edited_->programTitle, "SHORT", L::kProgramTitleLimit);
  edited_->stacks[0].alarmSpeed = 0.0;  // beyond the end of the short file
  std::vector<uint8_t> b = edited_->ToBytes();
  b.resize(200);
  WriteFile(b);
  const auto result = Load();
  EXPECT_EQ(result.outcome, SettingsFile::LoadOutcome::kLoadedShort);
  EXPECT_EQ(result.bytesRead, 200u);
  EXPECT_EQ(FieldUtf8(settings_->programTitle), "SHORT");
  EXPECT_EQ(settings_->stacks[0].alarmSpeed, 30.0);
  EXPECT_EQ(FieldUtf8(settings_->stacks[7].title), "STACK #8");
  EXPECT_EQ(settings_->reportStart, clock_.Now());
  EXPECT_EQ(ReadFile().size(), 200u);

  WriteFile({});
  EXPECT_EQ(Load().bytesRead, 0u);
  edited_->SetDefaults(clock_.Now());
  EXPECT_TRUE(*settings_ == *edited_);
  EXPECT_EQ(ReadFile().size(), 0u);
}

TEST_F(SettingsFileTest, GarbageOfAnyLengthLoadsIntoAUsableRecord) {
  std::mt19937 rng(20261209);
  for (size_t length : {size_t{1}, size_t{41}, size_t{1217}, L::StackOffset(1) + 100,
                        L::kStackCount + 2, L::kGridColumns + 1, kSettingsSize - 1,
                        2 * kSettingsSize + 7}) {
    std::vector<uint8_t> b(length);
    for (auto& byte : b) byte = static_cast<uint8_t>(rng());
    WriteFile(b);
    (void)Load();
    EXPECT_TRUE(settings_->stackCount >= 1 && settings_->stackCount <= 100) << length;
    EXPECT_TRUE(settings_->gridColumns >= 0 && settings_->gridColumns <= 14) << length;
    EXPECT_TRUE(settings_->gridRows >= 0 && settings_->gridRows <= 14) << length;
    EXPECT_TRUE(std::isfinite(settings_->gaugeSplitRatio)) << length;
    for (const StackSettings& s : settings_->stacks) {
      ASSERT_TRUE(std::isfinite(s.windMaxSpeed + s.alarmSpeed + s.stopSpeed + s.tripSpeed)) << length;
    }
    (void)FieldUtf16(settings_->stacks[99].title);  // unterminated texts read within the field
  }
}

TEST_F(SettingsFileTest, FullLengthFileLoadedAndSavedAgainIsByteIdenticalWithoutItsTail) {
  std::mt19937 rng(428528);
  std::vector<uint8_t> b(kSettingsSize);
  for (auto& byte : b) byte = static_cast<uint8_t>(rng());
  // Only the values load corrects are made valid; every reserved byte stays random.
  ASSERT_TRUE(edited_->Deserialize(b));
  edited_->stackCount = 37;
  edited_->gridColumns = 3;
  edited_->gridRows = 14;
  edited_->gaugeSplitRatio = 0.55;
  for (StackSettings& s : edited_->stacks) s.windMaxSpeed = s.alarmSpeed = s.stopSpeed = s.tripSpeed = 1.5;
  b = edited_->ToBytes();
  std::vector<uint8_t> withTail = b;
  withTail.resize(b.size() + 5000, 0xAB);  // bytes beyond the record are ignored
  WriteFile(withTail);
  const auto result = Load();
  ASSERT_EQ(result.outcome, SettingsFile::LoadOutcome::kLoaded);
  EXPECT_EQ(result.bytesRead, kSettingsSize);
  ASSERT_TRUE(SettingsFile(dir_).Save(*settings_).ok());
  EXPECT_EQ(ReadFile(), b);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, ExistingFileThatCannotBeReadIsNotOverwrittenNorWaitedFor) {
  fs::create_directory(ConfigPath());
  EXPECT_EQ(Load().outcome, SettingsFile::LoadOutcome::kUnreadable);
  EXPECT_TRUE(fs::is_directory(ConfigPath()));
  fs::remove(ConfigPath());
  ASSERT_EQ(::mkfifo(ConfigPath().c_str(), 0600), 0);  // opening it for reading must not block
  EXPECT_EQ(Load().outcome, SettingsFile::LoadOutcome::kUnreadable);
  EXPECT_TRUE(fs::is_fifo(ConfigPath()));
  EXPECT_EQ(settings_->stackCount, 1);
}

TEST_F(SettingsFileTest, FailedWriteLeavesTheOldFileAndReportsFailure) {
  (void)Load();
  const std::vector<uint8_t> before = ReadFile();
  settings_->stackCount = 50;
  // A file size limit below the record's size makes the write fail, even for root.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const SettingsFile::Status status = SettingsFile(dir_).Save(*settings_);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(ReadFile(), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, SaveIntoAnUnwritableDirectoryLeavesTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
  (void)Load();
  const std::vector<uint8_t> before = ReadFile();
  settings_->stackCount = 50;
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  const SettingsFile::Status status = SettingsFile(dir_).Save(*settings_);
  fs::permissions(dir_, fs::perms::owner_all);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(ReadFile(), before);
}

}  // namespace
}  // namespace ws
