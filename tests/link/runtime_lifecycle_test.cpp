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

}  // namespace
}  // namespace ws::test
