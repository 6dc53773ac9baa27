#include "core/settings_file.h"

#include <gtest/gtest.h>

#include <chrono>
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
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("ws_settings_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    clock_.Set(2026, 12, 9, 8, 30, 15, 250);
    settings_ = std::make_unique<Settings>();
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }

  fs::path ConfigPath() const { return dir_ / "WDX-5100.cfg"; }

  std::vector<uint8_t> ReadFile() const {
    std::ifstream in(ConfigPath(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  void WriteFile(const std::vector<uint8_t>& bytes) const {
    std::ofstream out(ConfigPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  SettingsFile::LoadResult Load() { return SettingsFile(dir_).Load(*settings_, clock_); }

  // A full image of the defaults, to be edited by a test and written out.
  std::vector<uint8_t> DefaultImage() const { return Settings().ToBytes(); }

  fs::path dir_;
  test::FakeClock clock_;
  std::unique_ptr<Settings> settings_;
};

void PutI32(std::vector<uint8_t>& b, size_t off, int32_t v) {
  for (int i = 0; i < 4; ++i) b[off + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}
void PutF64(std::vector<uint8_t>& b, size_t off, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) b[off + i] = static_cast<uint8_t>(bits >> (8 * i));
}
int32_t I32At(const std::vector<uint8_t>& b, size_t off) {
  return static_cast<int32_t>(b[off] | b[off + 1] << 8 | b[off + 2] << 16 |
                              static_cast<uint32_t>(b[off + 3]) << 24);
}
double F64At(const std::vector<uint8_t>& b, size_t off) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(b[off + i]) << (8 * i);
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}
std::string TextAt(const std::vector<uint8_t>& b, size_t off) {
  return std::string(reinterpret_cast<const char*>(&b[off]));
}
uint16_t U16At(const std::vector<uint8_t>& b, size_t off) {
  return static_cast<uint16_t>(b[off] | b[off + 1] << 8);
}

// ---- First start ----

TEST_F(SettingsFileTest, FirstStartWritesAFullLengthFileWithEveryDefaultAtItsOffset) {
  const auto result = Load();
  EXPECT_EQ(result.outcome, SettingsFile::LoadOutcome::kCreated);
  const std::vector<uint8_t> b = ReadFile();
  ASSERT_EQ(b.size(), 428528u);

  EXPECT_EQ(TextAt(b, 0), "1.0");
  EXPECT_EQ(TextAt(b, 40), "WINDSCOPE");
  EXPECT_EQ(TextAt(b, 120), "m/s");
  const std::pair<size_t, int32_t> ints[] = {{160, 1}, {164, 2},   {200, 9600}, {204, 9600},
                                             {240, 1}, {244, 1},   {248, 10},   {344, 0},
                                             {396, 1}, {418016, 1}};
  for (auto [off, v] : ints) EXPECT_EQ(I32At(b, off), v) << off;
  EXPECT_EQ(F64At(b, 256), 1.0);
  EXPECT_EQ(F64At(b, 264), 0.7);
  const std::pair<size_t, int32_t> colours[] = {
      {348, 0x0000FA},    {352, 0x00C800},    {356, 0x800000},    {360, 0xFFFF00},
      {364, 0x00FF00},    {368, 0x00FFFF},    {372, 0x4080FF},    {376, 0x0000FF},
      {380, 0x0000FF},    {384, 0x0000FF},    {388, 0x0000FF},    {392, 0x0000FF},
      {418020, 0x008000}, {418024, 0x4080FF}, {418028, 0x0000FF}};
  for (auto [off, v] : colours) EXPECT_EQ(I32At(b, off), v) << off;
  EXPECT_EQ(b[400], 0);
  EXPECT_EQ(b[660], 0);
  EXPECT_EQ(b[920], 0);
  // Report span: the local time when the defaults were made, 2026-12-09 (a Wednesday).
  for (size_t off : {size_t{1180}, size_t{1196}}) {
    EXPECT_EQ(U16At(b, off), 2026);
    EXPECT_EQ(U16At(b, off + 2), 12);
    EXPECT_EQ(U16At(b, off + 4), 3);
    EXPECT_EQ(U16At(b, off + 6), 9);
    EXPECT_EQ(U16At(b, off + 8), 8);
    EXPECT_EQ(U16At(b, off + 10), 30);
    EXPECT_EQ(U16At(b, off + 12), 15);
    EXPECT_EQ(U16At(b, off + 14), 250);
  }
  for (int i : {0, 1, 99}) {
    const size_t s = 1216 + static_cast<size_t>(i) * 4168;
    EXPECT_EQ(I32At(b, s), 0) << i;  // address 0.0.0.0
    EXPECT_EQ(TextAt(b, s + 4), "STACK #" + std::to_string(i + 1));
    EXPECT_EQ(F64At(b, s + 88), 60.0);
    EXPECT_EQ(F64At(b, s + 96), 30.0);
    EXPECT_EQ(F64At(b, s + 104), 40.0);
    EXPECT_EQ(F64At(b, s + 112), 45.0);
    EXPECT_EQ(I32At(b, s + 152), 0);
  }
  EXPECT_EQ(b[424432], 0);
  EXPECT_EQ(I32At(b, 424436), 0);
  EXPECT_EQ(b[424440], 4);  // 5 columns
  EXPECT_EQ(b[424441], 5);  // 6 rows
  EXPECT_EQ(settings_->ToBytes(), b);
}

TEST_F(SettingsFileTest, MissingDirectoryGivesDefaultsThatCouldNotBeSaved) {
  SettingsFile file(dir_ / "absent");
  const auto result = file.Load(*settings_, clock_);
  EXPECT_EQ(result.outcome, SettingsFile::LoadOutcome::kDefaultsNotSaved);
  EXPECT_EQ(settings_->stackCount, 1);
  EXPECT_EQ(FieldUtf8(settings_->stacks[0].title), "STACK #1");
}

// ---- Validation at load ----

TEST_F(SettingsFileTest, StackCountZeroOrHundredAndOneLoadsAsOneWithGridsOfOne) {
  for (int32_t count : {0, 101}) {
    auto b = DefaultImage();
    PutI32(b, L::kStackCount, count);
    b[L::kGridColumns] = 0xFF;  // -1
    b[L::kGridRows] = 15;
    WriteFile(b);
    EXPECT_EQ(Load().outcome, SettingsFile::LoadOutcome::kLoaded);
    EXPECT_EQ(settings_->stackCount, 1) << count;
    EXPECT_EQ(settings_->gridColumns, 1) << count;
    EXPECT_EQ(settings_->gridRows, 1) << count;
  }
}

TEST_F(SettingsFileTest, TenStacksWithNegativeColumnsLoadWithSixColumns) {
  auto b = DefaultImage();
  PutI32(b, L::kStackCount, 10);
  b[L::kGridColumns] = 0xFF;
  WriteFile(b);
  (void)Load();
  EXPECT_EQ(settings_->gridColumns, 6);
  EXPECT_EQ(settings_->gridRows, 5);
}

TEST_F(SettingsFileTest, FortyStacksWithABadGridLoadWithFourteenNotTwentyOne) {
  auto b = DefaultImage();
  PutI32(b, L::kStackCount, 40);
  b[L::kGridColumns] = 200;
  b[L::kGridRows] = 0x80;
  WriteFile(b);
  (void)Load();
  EXPECT_EQ(settings_->gridColumns, 14);
  EXPECT_EQ(settings_->gridRows, 14);
}

TEST_F(SettingsFileTest, NonFiniteNumbersInTheFileLoadAsTheirDefaults) {
  auto b = DefaultImage();
  PutF64(b, L::kGaugeSplitRatio, std::numeric_limits<double>::quiet_NaN());
  PutF64(b, L::kStacks + L::kStackWindMaxSpeed, std::numeric_limits<double>::infinity());
  PutF64(b, L::kStacks + L::kStackAlarmSpeed, std::numeric_limits<double>::quiet_NaN());
  PutF64(b, L::kStacks + L::kStackStopSpeed, -std::numeric_limits<double>::infinity());
  PutF64(b, L::kStacks + L::kStackTripSpeed, std::numeric_limits<double>::quiet_NaN());
  WriteFile(b);
  (void)Load();
  EXPECT_EQ(settings_->gaugeSplitRatio, 0.7);
  EXPECT_EQ(settings_->stacks[0].windMaxSpeed, 60.0);
  EXPECT_EQ(settings_->stacks[0].alarmSpeed, 30.0);
  EXPECT_EQ(settings_->stacks[0].stopSpeed, 40.0);
  EXPECT_EQ(settings_->stacks[0].tripSpeed, 45.0);
}

TEST_F(SettingsFileTest, LoadLeavesTheReservedIntervalAsStored) {
  auto b = DefaultImage();
  PutI32(b, L::kReservedInterval, 5);
  WriteFile(b);
  (void)Load();
  EXPECT_EQ(settings_->reservedInterval, 5);
  settings_->ClampReservedInterval();
  EXPECT_EQ(settings_->reservedInterval, 10);
}

// ---- Short, long and damaged files ----

TEST_F(SettingsFileTest, ShortFileIsLaidOverTheDefaultsAndNotRewritten) {
  auto b = DefaultImage();
  std::memcpy(&b[L::kProgramTitle], "SHORT\0", 6);
  b.resize(200);  // ends inside the reserved block after the speed unit
  WriteFile(b);
  const auto result = Load();
  EXPECT_EQ(result.outcome, SettingsFile::LoadOutcome::kLoadedShort);
  EXPECT_EQ(result.bytesRead, 200u);
  EXPECT_EQ(FieldUtf8(settings_->programTitle), "SHORT");
  EXPECT_EQ(settings_->stacks[0].alarmSpeed, 30.0);
  EXPECT_EQ(settings_->stacks[0].tripSpeed, 45.0);
  EXPECT_EQ(settings_->stackCount, 1);
  EXPECT_EQ(FieldUtf8(settings_->stacks[7].title), "STACK #8");
  EXPECT_EQ(settings_->reportStart, clock_.Now());
  EXPECT_EQ(ReadFile().size(), 200u);
}

TEST_F(SettingsFileTest, EmptyFileLoadsTheDefaultsAndStaysEmpty) {
  WriteFile({});
  const auto result = Load();
  EXPECT_EQ(result.outcome, SettingsFile::LoadOutcome::kLoadedShort);
  EXPECT_EQ(result.bytesRead, 0u);
  auto expected = std::make_unique<Settings>();
  expected->SetDefaults(clock_.Now());
  EXPECT_TRUE(*settings_ == *expected);
  EXPECT_EQ(ReadFile().size(), 0u);
}

TEST_F(SettingsFileTest, BytesBeyondTheRecordAreIgnored) {
  auto b = DefaultImage();
  PutI32(b, L::kStackCount, 12);
  const std::vector<uint8_t> record = b;
  b.resize(b.size() + 5000, 0xAB);
  WriteFile(b);
  const auto result = Load();
  EXPECT_EQ(result.outcome, SettingsFile::LoadOutcome::kLoaded);
  EXPECT_EQ(result.bytesRead, kSettingsSize);
  EXPECT_EQ(settings_->ToBytes(), record);
}

TEST_F(SettingsFileTest, GarbageOfAnyLengthLoadsIntoAUsableRecord) {
  std::mt19937 rng(20261209);
  const size_t lengths[] = {1, 3, 41, 1215, 1217, L::StackOffset(1) + 100, L::kStackCount + 2,
                            L::kGridColumns + 1, kSettingsSize - 1, kSettingsSize,
                            kSettingsSize + 1, 2 * kSettingsSize + 7};
  for (size_t length : lengths) {
    std::vector<uint8_t> b(length);
    for (auto& byte : b) byte = static_cast<uint8_t>(rng());
    WriteFile(b);
    (void)Load();
    EXPECT_GE(settings_->stackCount, 1) << length;
    EXPECT_LE(settings_->stackCount, 100) << length;
    EXPECT_GE(settings_->gridColumns, 0) << length;
    EXPECT_LE(settings_->gridColumns, 14) << length;
    EXPECT_GE(settings_->gridRows, 0) << length;
    EXPECT_LE(settings_->gridRows, 14) << length;
    EXPECT_TRUE(std::isfinite(settings_->gaugeSplitRatio)) << length;
    for (const StackSettings& s : settings_->stacks) {
      ASSERT_TRUE(std::isfinite(s.windMaxSpeed) && std::isfinite(s.alarmSpeed) &&
                  std::isfinite(s.stopSpeed) && std::isfinite(s.tripSpeed))
          << length;
    }
    // Unterminated texts still read within their fields.
    EXPECT_LE(FieldBytes(settings_->programTitle).size(), 80u);
    (void)FieldUtf16(settings_->stacks[99].title);
  }
}

TEST_F(SettingsFileTest, FullLengthFileLoadedAndSavedAgainIsByteIdentical) {
  std::mt19937 rng(428528);
  std::vector<uint8_t> b(kSettingsSize);
  for (auto& byte : b) byte = static_cast<uint8_t>(rng());
  // Only the values load corrects are made valid; every reserved byte stays random.
  PutI32(b, L::kStackCount, 37);
  b[L::kGridColumns] = 3;
  b[L::kGridRows] = 14;
  PutF64(b, L::kGaugeSplitRatio, 0.55);
  for (size_t i = 0; i < L::kMaxStacks; ++i) {
    for (size_t off : {L::kStackWindMaxSpeed, L::kStackAlarmSpeed, L::kStackStopSpeed,
                       L::kStackTripSpeed}) {
      PutF64(b, L::StackOffset(i) + off, 10.0 + static_cast<double>(i));
    }
  }
  WriteFile(b);
  ASSERT_EQ(Load().outcome, SettingsFile::LoadOutcome::kLoaded);
  ASSERT_TRUE(SettingsFile(dir_).Save(*settings_).ok());
  EXPECT_EQ(ReadFile(), b);
}

TEST_F(SettingsFileTest, ExistingFileThatCannotBeReadIsNotOverwritten) {
  fs::create_directory(ConfigPath());  // something unreadable in the file's place
  const auto result = Load();
  EXPECT_EQ(result.outcome, SettingsFile::LoadOutcome::kUnreadable);
  EXPECT_EQ(settings_->stackCount, 1);
  EXPECT_TRUE(fs::is_directory(ConfigPath()));
}

TEST_F(SettingsFileTest, FifoInTheFilesPlaceDoesNotHangTheLoad) {
  ASSERT_EQ(::mkfifo(ConfigPath().c_str(), 0600), 0);
  const auto result = Load();
  EXPECT_EQ(result.outcome, SettingsFile::LoadOutcome::kUnreadable);
  EXPECT_TRUE(fs::is_fifo(ConfigPath()));
}

// ---- Saving ----

TEST_F(SettingsFileTest, SaveReplacesTheFileAndLeavesNoTemporaryBehind) {
  (void)Load();
  settings_->stackCount = 3;
  (void)SetFieldUtf8(settings_->programTitle, "풍속 감시", L::kProgramTitleLimit);
  ASSERT_TRUE(SettingsFile(dir_).Save(*settings_).ok());
  auto reloaded = std::make_unique<Settings>();
  (void)SettingsFile(dir_).Load(*reloaded, clock_);
  EXPECT_TRUE(*reloaded == *settings_);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
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
  EXPECT_NE(status.ToString(), "ok");
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
