// windscope-station --modbus as a process, against a simulated logger in this
// test process, read by mbpoll while it runs; --stats prints the server's
// state and counters.
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "link/test_support.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_logger.h"

namespace ws {
namespace {

class StationModbusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    const QHostAddress address(test::LoopbackAddress(120));
    logger_ = std::make_unique<SimLogger>(0, address, 4000, 1);
    ASSERT_TRUE(logger_->IsListening()) << logger_->ErrorString().toStdString();
    SimSite site;
    site.loggerCount = 1;
    site.firstLoggerHost = address.toIPv4Address();
    std::string error;
    ASSERT_TRUE(WriteSimConfig(dir_.path().toStdString(), site, &error)) << error;
  }

  void StartStation(QProcess& p, const QStringList& args) const {
    p.start(QStringLiteral(WINDSCOPE_STATION_PATH),
            QStringList{QStringLiteral("--workdir"), dir_.path(), QStringLiteral("--stats")} + args);
  }

  static bool WaitForEnd(QProcess& p) {
    const bool ended = test::WaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000);
    if (!ended) {
      p.kill();
      p.waitForFinished(5000);
    }
    return ended;
  }

  QTemporaryDir dir_;
  std::unique_ptr<SimLogger> logger_;
};

TEST_F(StationModbusTest, ServesTheRegistersForTheRunAndPrintsItsCounters) {
  if (QStandardPaths::findExecutable(QStringLiteral("mbpoll")).isEmpty()) {
    GTEST_SKIP() << "mbpoll is not installed (scripts/setup installs it)";
  }
  const int port = test::FreeLoopbackPort();
  ASSERT_GT(port, 0);
  // Runs until told to stop: a client started on a loaded machine may come
  // later than a run of fixed length would last. Its counters are printed when
  // it stops after its 3 s warm-up, which started after this timer.
  QProcess station;
  QDeadlineTimer warmedUp(4000);
  StartStation(station, {QStringLiteral("--modbus"), QStringLiteral("127.0.0.1:%1").arg(port)});
  ASSERT_TRUE(station.waitForStarted(10000));
  std::string out;
  ASSERT_TRUE(test::WaitFor([&] {
    out += station.readAllStandardOutput().toStdString();
    return out.find("modbus: listening on 127.0.0.1:" + std::to_string(port)) != std::string::npos ||
           station.state() == QProcess::NotRunning;
  })) << out;
  ASSERT_EQ(station.state(), QProcess::Running) << out << station.readAllStandardError().toStdString();

  // The station registers: no level, no unacknowledged alarm, one stack.
  QProcess mbpoll;
  mbpoll.start(QStringLiteral("mbpoll"),
               {QStringLiteral("-m"), QStringLiteral("tcp"), QStringLiteral("-p"), QString::number(port),
                QStringLiteral("-t"), QStringLiteral("3"), QStringLiteral("-r"), QStringLiteral("0"),
                QStringLiteral("-c"), QStringLiteral("3"), QStringLiteral("-0"), QStringLiteral("-1"),
                QStringLiteral("127.0.0.1")});
  ASSERT_TRUE(test::WaitFor([&] { return mbpoll.state() == QProcess::NotRunning; }));
  const std::string read = mbpoll.readAllStandardOutput().toStdString();
  EXPECT_EQ(mbpoll.exitCode(), 0) << read << mbpoll.readAllStandardError().toStdString();
  EXPECT_NE(read.find("[0]: \t0"), std::string::npos) << read;
  EXPECT_NE(read.find("[1]: \t0"), std::string::npos) << read;
  EXPECT_NE(read.find("[2]: \t1"), std::string::npos) << read;

  test::RunEventsUntil([&] { return warmedUp.hasExpired(); }, 4000);
  station.terminate();
  ASSERT_TRUE(WaitForEnd(station));
  out += station.readAllStandardOutput().toStdString();
  EXPECT_EQ(station.exitCode(), 0);
  EXPECT_NE(out.find("modbus: listening on 127.0.0.1:" + std::to_string(port) +
                     ", 0 clients; requests served 1, exceptions 0, clients refused 0, clients dropped 0"),
            std::string::npos)
      << out;
}

TEST_F(StationModbusTest, PortInUseIsReportedAndTheStationRunsOn) {
  QTcpServer holder;
  ASSERT_TRUE(holder.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
  QProcess station;
  StartStation(station, {QStringLiteral("--seconds"), QStringLiteral("1"), QStringLiteral("--modbus"),
                         QStringLiteral("127.0.0.1:%1").arg(holder.serverPort())});
  ASSERT_TRUE(station.waitForStarted(10000));
  ASSERT_TRUE(WaitForEnd(station));
  const std::string out = station.readAllStandardOutput().toStdString();
  const std::string err = station.readAllStandardError().toStdString();
  EXPECT_EQ(station.exitCode(), 0) << err;
  EXPECT_NE(err.find("modbus refused: cannot listen on 127.0.0.1:" + std::to_string(holder.serverPort()) +
                     ": Address already in use"),
            std::string::npos)
      << err;
  EXPECT_NE(out.find("polls/s per stack"), std::string::npos) << out;
  EXPECT_NE(out.find("modbus: refused: "), std::string::npos) << out;

  QProcess bad;
  StartStation(bad, {QStringLiteral("--modbus"), QStringLiteral("127.0.0.1:70000")});
  ASSERT_TRUE(bad.waitForStarted(10000));
  ASSERT_TRUE(WaitForEnd(bad));
  EXPECT_EQ(bad.exitCode(), 2);
  EXPECT_NE(bad.readAllStandardError().toStdString().find("--modbus wants [ADDR:]PORT"), std::string::npos);
}

}  // namespace
}  // namespace ws
