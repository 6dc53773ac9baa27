#include "tools/sim/sim_fleet.h"

#include <gtest/gtest.h>

#include "sim_test_client.h"

namespace ws {
namespace {

SimFleetOptions TwoLoggersWithLamp() {
  SimFleetOptions options;
  options.loggers = 2;
  options.baseHost = test::TestAddress(20).toIPv4Address();
  options.port = 0;
  options.lampHost = test::TestAddress(19).toIPv4Address();
  options.lampPort = 0;
  return options;
}

TEST(SimFleet, RunTimeCommandsSetFaultsWindAndLamp) {
  SimFleet fleet;
  QString error;
  ASSERT_TRUE(fleet.Start(TwoLoggersWithLamp(), &error)) << error.toStdString();
  ASSERT_EQ(fleet.LoggerCount(), 2);
  EXPECT_EQ(fleet.Logger(1)->Address().toIPv4Address(),
            fleet.Logger(0)->Address().toIPv4Address() + 1);
  ASSERT_NE(fleet.Lamp(), nullptr);
  bool quit = false;
  EXPECT_FALSE(fleet.Execute("fault 1 silent", &quit).startsWith("error"));
  EXPECT_EQ(fleet.Logger(1)->Fault(), SimFault::kSilent);
  EXPECT_EQ(fleet.Logger(0)->Fault(), SimFault::kNone);
  EXPECT_FALSE(fleet.Execute("wind 0 46", &quit).startsWith("error"));
  EXPECT_EQ(fleet.Logger(0)->Held(), 46.0);
  EXPECT_FALSE(fleet.Execute("wind 0 auto", &quit).startsWith("error"));
  EXPECT_FALSE(fleet.Logger(0)->Held());
  EXPECT_FALSE(fleet.Execute("fault all short", &quit).startsWith("error"));
  EXPECT_EQ(fleet.Logger(1)->Fault(), SimFault::kShort);
  EXPECT_FALSE(fleet.Execute("fault lamp silent", &quit).startsWith("error"));
  EXPECT_EQ(fleet.Lamp()->Fault(), SimFault::kSilent);
  EXPECT_FALSE(quit);
  fleet.Execute("quit", &quit);
  EXPECT_TRUE(quit);
}

TEST(SimFleet, BadCommandsAreRefusedAndChangeNothing) {
  SimFleet fleet;
  QString error;
  ASSERT_TRUE(fleet.Start(TwoLoggersWithLamp(), &error));
  bool quit = false;
  EXPECT_TRUE(fleet.Execute("fault 2 silent", &quit).startsWith("error"));
  EXPECT_TRUE(fleet.Execute("fault 0 sleepy", &quit).startsWith("error"));
  EXPECT_TRUE(fleet.Execute("fault lamp join", &quit).startsWith("error"));
  EXPECT_TRUE(fleet.Execute("wind 0 fast", &quit).startsWith("error"));
  EXPECT_TRUE(fleet.Execute("wind 0 nan", &quit).startsWith("error"));
  EXPECT_TRUE(fleet.Execute("appe 0", &quit).startsWith("error"));  // nobody connected
  EXPECT_TRUE(fleet.Execute("jump", &quit).startsWith("error"));
  EXPECT_FALSE(fleet.ApplyFault("0:silent", &error));
  EXPECT_EQ(error, QStringLiteral("expected I=MODE, not \"0:silent\""));
  EXPECT_FALSE(fleet.ApplyWind("0=fast", &error));
  EXPECT_EQ(error, QStringLiteral("wind speed must be 0..200 or auto, not \"fast\""));
  EXPECT_EQ(fleet.Logger(0)->Fault(), SimFault::kNone);
  EXPECT_EQ(fleet.Lamp()->Fault(), SimFault::kNone);
  EXPECT_FALSE(fleet.Logger(0)->Held());
}

TEST(SimFleet, OnlyLoopbackAddressesAndAtMostAHundredLoggers) {
  EXPECT_EQ(SimFleet::LoopbackHost("127.0.0.2"), 0x7F000002u);
  EXPECT_FALSE(SimFleet::LoopbackHost("10.0.0.2"));
  EXPECT_FALSE(SimFleet::LoopbackHost("0.0.0.0"));
  EXPECT_FALSE(SimFleet::LoopbackHost("::1"));
  EXPECT_FALSE(SimFleet::LoopbackHost("127.0.0"));

  SimFleetOptions options = TwoLoggersWithLamp();
  options.loggers = 101;
  SimFleet tooMany;
  QString error;
  EXPECT_FALSE(tooMany.Start(options, &error));
  options.loggers = 3;
  options.baseHost = 0x7FFFFFFEu;  // the third would leave 127.0.0.0/8
  SimFleet outside;
  EXPECT_FALSE(outside.Start(options, &error));
  EXPECT_EQ(outside.LoggerCount(), 0);
}

}  // namespace
}  // namespace ws
