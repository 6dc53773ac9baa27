#include "tools/sim/sim_lamp_tower.h"

#include <gtest/gtest.h>

#include "sim_test_client.h"

namespace ws {
namespace {

using test::Spin;
using test::TestAddress;
using test::TestClient;
using test::WaitUntil;

const QByteArray kStopUnacknowledged("\x57\x00\x02\x00\x00\x00\x00\x01\x00\x00", 10);
const QByteArray kAllOff("\x57\x00\x00\x00\x00\x00\x00\x00\x00\x00", 10);

TEST(SimLampTower, RecordsEachMessageAndAnswersIt) {
  SimLampTower lamp(TestAddress(1), 0);
  ASSERT_TRUE(lamp.IsListening()) << lamp.ErrorString().toStdString();
  TestClient client;
  ASSERT_TRUE(client.Connect(lamp.Address(), lamp.Port()));
  client.Send(kStopUnacknowledged);
  ASSERT_TRUE(client.WaitForBytes(1));
  client.Send(kAllOff);
  ASSERT_TRUE(WaitUntil([&] { return lamp.Messages().size() == 2; }));
  EXPECT_EQ(lamp.Messages()[0], kStopUnacknowledged);
  EXPECT_EQ(lamp.LastMessage(), kAllOff);
  EXPECT_EQ(SimHex(kStopUnacknowledged), QStringLiteral("57 00 02 00 00 00 00 01 00 00"));
}

TEST(SimLampTower, MessageSplitOverTwoWritesIsOneMessage) {
  SimLampTower lamp(TestAddress(2), 0);
  ASSERT_TRUE(lamp.IsListening());
  TestClient client;
  ASSERT_TRUE(client.Connect(lamp.Address(), lamp.Port()));
  client.Send(kStopUnacknowledged.left(4));
  Spin(50);
  EXPECT_TRUE(lamp.Messages().isEmpty());
  client.Send(kStopUnacknowledged.mid(4));
  ASSERT_TRUE(WaitUntil([&] { return lamp.Messages().size() == 1; }));
  EXPECT_EQ(lamp.Messages()[0], kStopUnacknowledged);
}

TEST(SimLampTower, SilentTowerRecordsButNeverAnswers) {
  SimLampTower lamp(TestAddress(3), 0);
  ASSERT_TRUE(lamp.IsListening());
  EXPECT_TRUE(lamp.SetFault(SimFault::kSilent));
  EXPECT_FALSE(lamp.SetFault(SimFault::kShort));
  EXPECT_EQ(lamp.Fault(), SimFault::kSilent);
  TestClient client;
  ASSERT_TRUE(client.Connect(lamp.Address(), lamp.Port()));
  client.Send(kAllOff);
  ASSERT_TRUE(WaitUntil([&] { return lamp.Messages().size() == 1; }));
  Spin(200);
  EXPECT_TRUE(client.Received().isEmpty());
}

}  // namespace
}  // namespace ws
