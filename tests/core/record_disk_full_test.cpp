// Record files on a full disk: a small tmpfs mounted in a private mount namespace
// of the test process (ctest runs each test in its own process), so nothing is
// left behind and nothing outside the test sees it. Needs CAP_SYS_ADMIN; without
// it the tests are skipped (scripts/disk-full-test covers the station as a whole).
#include "core/record_file.h"
#include "core/recorder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fake_clock.h"

namespace ws {
namespace {

namespace fs = std::filesystem;
using record::kFileSize;
using record::SlotOf;

class DiskFullTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ws-diskfull-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    clock_.Set(2026, 3, 10, 12, 0, 0);
  }
  void TearDown() override {
    if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
    fs::remove_all(dir_);
  }

  // Mounts a tmpfs of `options` on dir_, or skips the test when this process may not.
  bool MountSmallDisk(const std::string& options) {
    if (!namespaced_) {
      if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return false;
      }
      namespaced_ = true;
    }
    if (::mount("tmpfs", dir_.c_str(), "tmpfs", 0, options.c_str()) != 0) return false;
    mounted_ = true;
    return true;
  }

  // Fills the disk with a file of its own; returns its path.
  std::string Fill() {
    const std::string path = dir_ + "/filler";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    EXPECT_GE(fd, 0);
    const std::vector<char> chunk(64 * 1024, 'x');
    // Bounded: the disk is a few MiB; stop at the first refused write.
    for (int i = 0; i < 4096 && ::write(fd, chunk.data(), chunk.size()) > 0; ++i) {
    }
    // The last partial blocks as well, byte by byte chunks.
    for (int i = 0; i < 64 && ::write(fd, chunk.data(), 512) > 0; ++i) {
    }
    ::close(fd);
    return path;
  }

  uintmax_t AllocatedBytes(const std::string& path) const {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return static_cast<uintmax_t>(st.st_blocks) * 512;
  }

  Sample At(int stack, int64_t slot) const {
    std::array<Sample, 1> out;
    EXPECT_EQ(ReadRecordSamples(dir_, stack, 2026, 3, slot, out), RecordStatus::kOk);
    return out[0];
  }

  std::string dir_;
  bool namespaced_ = false;
  bool mounted_ = false;
  test::FakeClock clock_;
};

#define MOUNT_OR_SKIP(options) \
  if (!MountSmallDisk(options)) GTEST_SKIP() << "cannot mount a tmpfs here (needs CAP_SYS_ADMIN)"

TEST_F(DiskFullTest, MonthFileTooLargeForTheDiskIsStillMadeAtFullSizeAndSaysSo) {
  MOUNT_OR_SKIP("size=4m");
  EXPECT_EQ(EnsureMonthFile(dir_, 0, 2026, 3), RecordStatus::kSpaceNotReserved);
  const std::string path = RecordFilePath(dir_, 0, 2026, 3);
  EXPECT_EQ(fs::file_size(path), static_cast<uintmax_t>(kFileSize));
  EXPECT_LT(AllocatedBytes(path), static_cast<uintmax_t>(kFileSize));  // sparse
  // It records while space lasts, and an existing file is simply used.
  RecordFile file;
  ASSERT_EQ(file.Open(dir_, 0, 2026, 3, RecordFile::Access::kReadWrite), RecordStatus::kOk);
  EXPECT_EQ(file.WriteSample(SlotOf(10, 12, 0, 0), Sample{90, 12.5f}), RecordStatus::kOk);
  EXPECT_EQ(At(0, SlotOf(10, 12, 0, 0)), (Sample{90, 12.5f}));
  EXPECT_EQ(EnsureMonthFile(dir_, 0, 2026, 3), RecordStatus::kOk);
  // A dumped block into a new month on the same disk is written and reported the same way.
  const std::vector<Sample> block(record::kBlockSamples, Sample{1, 2});
  EXPECT_EQ(WriteRecordBlock(dir_, 1, 2026, 2, 3, 4, 5, block), RecordStatus::kSpaceNotReserved);
}

TEST_F(DiskFullTest, RecordingFailsWhileTheDiskIsFullAndResumesWhenSpaceReturns) {
  MOUNT_OR_SKIP("size=4m");
  Recorder recorder(dir_);
  EXPECT_EQ(recorder.Open(3, clock_.Now()), RecordStatus::kSpaceNotReserved);
  EXPECT_EQ(recorder.CurrentHealth(), (Recorder::Health{0, 3, RecordStatus::kOk}));

  const std::array<Sample, 3> now{Sample{10, 1}, Sample{20, 2}, Sample{30, 3}};
  ASSERT_EQ(recorder.Tick(clock_.Now(), now), RecordStatus::kOk);
  const std::string filler = Fill();
  // A second further on lands in the same, already allocated, page: recording goes
  // on while space lasts. An hour later needs a new page, which the full disk refuses.
  clock_.Advance(1000);
  EXPECT_EQ(recorder.Tick(clock_.Now(), now), RecordStatus::kOk);
  clock_.Advance(3600 * 1000);
  EXPECT_EQ(recorder.Tick(clock_.Now(), now), RecordStatus::kNoSpace);
  EXPECT_EQ(recorder.CurrentHealth(), (Recorder::Health{3, 0, RecordStatus::kNoSpace}));
  EXPECT_EQ(recorder.LastStatus(2), RecordStatus::kNoSpace);
  EXPECT_EQ(At(1, SlotOf(10, 13, 0, 1)), Sample{});

  fs::remove(filler);
  clock_.Advance(1000);
  EXPECT_EQ(recorder.Tick(clock_.Now(), now), RecordStatus::kOk);
  EXPECT_EQ(recorder.CurrentHealth().failing, 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(At(i, SlotOf(10, 13, 0, 2)), now[static_cast<size_t>(i)]);
  // The samples written before the disk filled are still there.
  EXPECT_EQ(At(2, SlotOf(10, 12, 0, 0)), now[2]);
}

TEST_F(DiskFullTest, StackWhoseFileCannotBeMadeTriesAgainAtEveryTick) {
  // Inodes for the mount's root, Stack001 and its file only: Stack002 cannot be made.
  MOUNT_OR_SKIP("size=64m,nr_inodes=3");
  Recorder recorder(dir_);
  EXPECT_EQ(recorder.Open(2, clock_.Now()), RecordStatus::kNoSpace);
  const Recorder::Health health = recorder.CurrentHealth();
  EXPECT_EQ(health.failing, 1);
  EXPECT_EQ(health.failure, RecordStatus::kNoSpace);
  const std::array<Sample, 2> now{Sample{1, 1}, Sample{2, 2}};
  EXPECT_EQ(recorder.Tick(clock_.Now(), now), RecordStatus::kNoSpace);
  EXPECT_EQ(At(0, SlotOf(10, 12, 0, 0)), now[0]);

  // More inodes: the next tick makes stack 2's directory and file and records.
  ASSERT_EQ(::mount(nullptr, dir_.c_str(), nullptr, MS_REMOUNT, "size=64m,nr_inodes=16"), 0);
  clock_.Advance(1000);
  EXPECT_EQ(recorder.Tick(clock_.Now(), now), RecordStatus::kOk);
  EXPECT_EQ(recorder.CurrentHealth(), (Recorder::Health{0, 0, RecordStatus::kOk}));
  EXPECT_EQ(At(1, SlotOf(10, 12, 0, 1)), now[1]);
}

}  // namespace
}  // namespace ws
