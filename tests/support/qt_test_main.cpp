// Test main for everything that touches Qt: a QApplication on the offscreen
// platform, with a private runtime directory so nothing is left behind.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir runtimeDir;
  runtimeDir.setAutoRemove(true);
  setenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData(), 1);
  QFile::setPermissions(runtimeDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
