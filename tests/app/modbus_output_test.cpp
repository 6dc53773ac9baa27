// The windscope program serves Modbus TCP when windscope.ini switches it on.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <signal.h>

#include <string>

#include "core/station_ini.h"
#include "link/test_support.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_logger.h"

namespace ws {
namespace {

using test::LoopbackAddress;
using test::WaitFor;

TEST(WindscopeProgram, ServesModbusRegistersWhenTheStationIniSaysSo) {
  if (QStandardPaths::findExecutable(QStringLiteral("mbpoll")).isEmpty()) {
    GTEST_SKIP() << "mbpoll is not installed (scripts/setup installs it)";
  }
  QTemporaryDir dir;
  SimLogger logger(0, QHostAddress(LoopbackAddress(130)), 4000, 7);
  ASSERT_TRUE(logger.IsListening());
  SimSite site;
  site.loggerCount = 1;
  site.firstLoggerHost = QHostAddress(LoopbackAddress(130)).toIPv4Address();
  std::string error;
  ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;
  const int port = test::FreeLoopbackPort();
  ASSERT_GT(port, 0);
  StationIni ini;
  ini.modbus.enabled = true;
  ini.modbus.address = "127.0.0.1";
  ini.modbus.port = port;
  ASSERT_EQ(SaveStationIni(dir.path().toStdString(), ini), "");

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
  ASSERT_TRUE(WaitFor([&] { return logger.Commands().size() >= 3; }));

  // Stack 1 has answered: one stack, its state normal (or Alarm and above,
  // should the simulated wind be that strong), never "no communication".
  std::string read;
  ASSERT_TRUE(WaitFor([&] {
    QProcess mbpoll;
    mbpoll.start(QStringLiteral("mbpoll"),
                 {QStringLiteral("-m"), QStringLiteral("tcp"), QStringLiteral("-p"), QString::number(port),
                  QStringLiteral("-t"), QStringLiteral("3"), QStringLiteral("-r"), QStringLiteral("102"),
                  QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-0"), QStringLiteral("-1"),
                  QStringLiteral("127.0.0.1")});
    if (!WaitFor([&] { return mbpoll.state() == QProcess::NotRunning; })) return false;
    read = mbpoll.readAllStandardOutput().toStdString();
    return mbpoll.exitCode() == 0 && read.find("[102]: \t1") == std::string::npos;
  })) << read << station.readAll().toStdString();
  EXPECT_NE(read.find("[102]: \t"), std::string::npos) << read;

  ASSERT_EQ(::kill(static_cast<pid_t>(station.processId()), SIGTERM), 0);
  ASSERT_TRUE(WaitFor([&] { return station.state() == QProcess::NotRunning; }, 15000))
      << station.readAll().toStdString();
  EXPECT_EQ(station.exitCode(), 0);
}

}  // namespace
}  // namespace ws
