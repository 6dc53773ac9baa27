// Start-up and exit of the program: one instance only, a crashed copy's lock
// taken over, and the real windscope ending in order on SIGTERM.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <signal.h>

#include <memory>
#include <string>
#include <vector>

#include "app/instance_lock.h"
#include "app/main_app.h"
#include "core/clock.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "link/test_support.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_lamp_tower.h"
#include "tools/sim/sim_logger.h"
#include "widgets/message_helpers.h"

namespace ws {
namespace {

using test::LoopbackAddress;
using test::WaitFor;

TEST(InstanceLock, ASecondCopyIsRefusedUntilTheFirstEnds) {
  QTemporaryDir dir;
  auto first = std::make_unique<CInstanceLock>(dir.path());
  ASSERT_TRUE(first->TryLock());
  EXPECT_TRUE(first->Path().endsWith(QStringLiteral("/WDX-5100.lock")));
  CInstanceLock second(dir.path());
  EXPECT_FALSE(second.TryLock());
  first.reset();
  EXPECT_TRUE(second.TryLock());
}

TEST(InstanceLock, ALockLeftByACrashedCopyIsTakenOver) {
  QTemporaryDir dir;
  // A process that has ended stands for the crashed copy.
  QProcess gone;
  gone.start(QStringLiteral("true"), {});
  ASSERT_TRUE(gone.waitForStarted(10000));
  const qint64 pid = gone.processId();
  ASSERT_TRUE(gone.waitForFinished(10000));
  QFile stale(QDir(dir.path()).filePath(QStringLiteral("WDX-5100.lock")));
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.write(QByteArray::number(pid) + "\nwindscope\n" + QSysInfo::machineHostName().toUtf8() + "\n");
  stale.close();
  CInstanceLock lock(dir.path());
  EXPECT_TRUE(lock.TryLock());
}

TEST(MainApp, ASecondInstanceShowsAlreadyRunningAndEnds) {
  QTemporaryDir dir;
  CInstanceLock running(dir.path());
  ASSERT_TRUE(running.TryLock());
  std::vector<QString> messages;
  SetMessageHandler([&](int, const QString& text) {
    messages.push_back(text);
    return static_cast<int>(kIdOk);
  });
  CMainApp app;
  app.m_LockDirectory = dir.path();
  EXPECT_EQ(app.Run(), 1);
  SetMessageHandler({});
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Already Running!");
}

// The program itself on a working directory with one simulated logger and a
// lamp tower: SIGTERM saves the settings with the statistics snapshot, sends
// the lamp tower its all-off message and ends with status 0.
TEST(WindscopeProgram, SigtermEndsInOrderWithStatusZero) {
  QTemporaryDir dir;
  SimLogger logger(0, QHostAddress(LoopbackAddress(90)), 4000, 7);
  ASSERT_TRUE(logger.IsListening());
  logger.HoldWind(18.0);
  SimLampTower lamp(QHostAddress(LoopbackAddress(89)));
  ASSERT_TRUE(lamp.IsListening());
  SimSite site;
  site.loggerCount = 1;
  site.firstLoggerHost = QHostAddress(LoopbackAddress(90)).toIPv4Address();
  site.lampHost = QHostAddress(LoopbackAddress(89)).toIPv4Address();
  std::string error;
  ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;

  QTemporaryDir runtimeDir;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
  QFile::setPermissions(runtimeDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QProcess station;
  station.setProcessEnvironment(env);
  station.setWorkingDirectory(dir.path());
  station.setProcessChannelMode(QProcess::MergedChannels);
  station.start(QStringLiteral(WINDSCOPE_BIN), {});
  ASSERT_TRUE(station.waitForStarted(10000));
  // Past the first 3-second averaging step, with the logger answering: each
  // poll goes out 500 ms after the last answer, so fifteen polls span 7 s of
  // the station's own timers, and its timers fire in the order they are due.
  ASSERT_TRUE(WaitFor([&] { return logger.Commands().size() >= 15; }));
  ASSERT_EQ(::kill(static_cast<pid_t>(station.processId()), SIGTERM), 0);
  ASSERT_TRUE(WaitFor([&] { return station.state() == QProcess::NotRunning; }, 15000))
      << station.readAll().toStdString();
  EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(station.exitCode(), 0);

  auto saved = std::make_unique<Settings>();
  SystemClock clock;
  const SettingsFile file{std::filesystem::path(dir.path().toStdString())};
  ASSERT_EQ(file.Load(*saved, clock).outcome, SettingsFile::LoadOutcome::kLoaded);
  EXPECT_GT(saved->statisticsSnapshot[kStatSpeed1Min][0], 0.1);
  EXPECT_TRUE(WaitFor([&] { return lamp.LastMessage() == QByteArray("W\0\0\0\0\0\0\0\0\0", 10); }, 2000));
}

}  // namespace
}  // namespace ws
