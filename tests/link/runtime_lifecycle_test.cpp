// The runtime's own life: what the exit save may overwrite, and what a rebuild
// for a new number of stacks leaves behind.
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "core/settings_file.h"
#include "runtime_fixture.h"

namespace ws::test {
namespace {

bool IsFifo(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

TEST(RuntimeSettingsTest, ExitLeavesAConfigurationFileThatCouldNotBeReadAlone) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // Stands for any file that exists but cannot be read; the station runs on the
  // defaults and must not put them in the operator's file's place.
  const QString path = dir.filePath(QString::fromLatin1(kSettingsFileName));
  ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  SystemClock clock;
  StationRuntime runtime(dir.path(), clock);
  runtime.Start();
  EXPECT_FALSE(runtime.SaveSettings());
  runtime.Shutdown();
  EXPECT_TRUE(IsFifo(path));

  // The configuration dialog's OK is the operator's own record: that is saved.
  StationRuntime second(dir.path(), clock);
  second.Start();
  Settings edited = second.settings();
  edited.soundMode = 0;
  second.ApplySettings(edited);
  second.Shutdown();
  EXPECT_FALSE(IsFifo(path));
  Settings saved;
  EXPECT_EQ(SettingsFile(dir.path().toStdString()).Load(saved, clock).outcome,
            SettingsFile::LoadOutcome::kLoaded);
  EXPECT_EQ(saved.soundMode, 0);
}

class RuntimeRebuildTest : public RuntimeFixture {};

TEST_F(RuntimeRebuildTest, RemovingTheUploadingStackEndsTheUploadAndPollingResumes) {
  StartSite(2, 110);
  ASSERT_TRUE(WaitForFirstReplies(2));
  const QString path = dir.filePath(QStringLiteral("image.bin"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(QByteArray(64 * 1024, '\x5A')), 64 * 1024);
  }
  ASSERT_TRUE(runtime->SetFirmwareImage(path));
  int finished = -1;
  // The logger takes page 0 and then falls silent, so the upload stays open.
  QObject::connect(runtime.get(), &StationRuntime::firmwareStarted, runtime.get(),
                   [&](int) { loggers[1]->SetFault(SimFault::kSilent); });
  QObject::connect(runtime.get(), &StationRuntime::firmwareFinished, runtime.get(),
                   [&](int end) { finished = end; });
  loggers[1]->SetFault(SimFault::kAppe);
  ASSERT_TRUE(WaitFor([&] { return runtime->UploadRunning(); }, 3000));

  Settings edited = runtime->settings();
  edited.stackCount = 1;
  runtime->ApplySettings(edited);
  EXPECT_FALSE(runtime->UploadRunning());
  EXPECT_EQ(finished, static_cast<int>(FirmwareEnd::kAbandoned));
  const int64_t before = LiveReplies(0);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(0) > before; }, 3000));
}

}  // namespace
}  // namespace ws::test
