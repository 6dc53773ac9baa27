// windscope-station --mqtt as a process, against a simulated logger in this test
// process and a real mosquitto broker: the retained "online", the last will
// "offline" once the station is killed outright, and the state --stats prints.
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <csignal>

#include "link/mqtt_broker.h"
#include "link/test_support.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_logger.h"

namespace ws {
namespace {

using test::JsonField;
using test::MqttBroker;
using test::MqttReader;
using test::WaitFor;

class StationMqttTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::MqttToolsPresent()) GTEST_SKIP() << "mosquitto, mosquitto_sub, mosquitto_pub or mosquitto_passwd missing";
    ASSERT_TRUE(dir_.isValid());
    const QHostAddress address(test::LoopbackAddress(70));
    logger_ = std::make_unique<SimLogger>(0, address, 4000, 1);
    ASSERT_TRUE(logger_->IsListening()) << logger_->ErrorString().toStdString();
    SimSite site;
    site.loggerCount = 1;
    site.firstLoggerHost = address.toIPv4Address();
    std::string error;
    ASSERT_TRUE(WriteSimConfig(dir_.path().toStdString(), site, &error)) << error;
  }

  void StartStation(QProcess& p, const QStringList& args) {
    p.start(QStringLiteral(WINDSCOPE_STATION_PATH), QStringList{QStringLiteral("--workdir"), dir_.path()} + args);
    ASSERT_TRUE(p.waitForStarted(10000));
  }

  QTemporaryDir dir_;
  std::unique_ptr<SimLogger> logger_;
};

TEST_F(StationMqttTest, OnlineWhileRunningAndTheLastWillAfterKill9) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start()) << broker.Log();
  QProcess station;
  StartStation(station, {"--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port()), "--mqtt-site", "k9"});

  MqttReader reader(broker.port(), "windscope/k9/#");
  const auto statuses = [&] {
    std::vector<std::string> out;
    for (const std::string& p : reader.Payloads("windscope/k9/status")) out.push_back(JsonField(p, "status"));
    return out;
  };
  ASSERT_TRUE(WaitFor([&] { return !statuses().empty(); })) << station.readAllStandardError().toStdString();
  EXPECT_EQ(statuses().front(), "online");
  // It runs: live values of its one stack come.
  EXPECT_TRUE(WaitFor([&] { return reader.Count("windscope/k9/stack/1/live") >= 2; }));

  ::kill(static_cast<pid_t>(station.processId()), SIGKILL);
  station.waitForFinished(10000);
  ASSERT_TRUE(WaitFor([&] { return statuses().size() >= 2; }));
  EXPECT_EQ(statuses().back(), "offline");

  // And a reader that comes afterwards finds "offline", retained.
  MqttReader later(broker.port(), "windscope/k9/status");
  ASSERT_TRUE(WaitFor([&] { return later.Count("windscope/k9/status") > 0; }));
  EXPECT_EQ(JsonField(later.Payloads("windscope/k9/status").front(), "status"), "offline");
}

TEST_F(StationMqttTest, StatsPrintThePublisherStateAndABadBrokerIsRefused) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start()) << broker.Log();
  // Stopped once it is online and past its 3 s warm-up (the counters are
  // printed only then), however slowly a loaded machine brought it there.
  MqttReader reader(broker.port(), "windscope/st/status");
  QDeadlineTimer warmedUp(4000);
  QProcess station;
  StartStation(station, {"--stats", "--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port()), "--mqtt-site", "st"});
  ASSERT_TRUE(WaitFor([&] {
    const std::vector<std::string> s = reader.Payloads("windscope/st/status");
    return !s.empty() && JsonField(s.back(), "status") == "online";
  })) << station.readAllStandardError().toStdString();
  test::RunEventsUntil([&] { return warmedUp.hasExpired(); }, 4000);
  station.terminate();
  ASSERT_TRUE(WaitFor([&] { return station.state() == QProcess::NotRunning; }, 60000));
  const std::string out = station.readAllStandardOutput().toStdString();
  EXPECT_EQ(station.exitCode(), 0) << out;
  EXPECT_NE(out.find("mqtt: connected to 127.0.0.1:" + std::to_string(broker.port()) + " as windscope-st, sent "),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(", dropped 0, waiting 0"), std::string::npos) << out;

  QProcess bad;
  StartStation(bad, {"--seconds", "1", "--mqtt", "127.0.0.1:notaport"});
  ASSERT_TRUE(WaitFor([&] { return bad.state() == QProcess::NotRunning; }, 60000));
  EXPECT_EQ(bad.exitCode(), 2);
}

}  // namespace
}  // namespace ws
