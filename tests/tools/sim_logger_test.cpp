#include "tools/sim/sim_logger.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include <QTimer>

#include "sim_test_client.h"
#include "support/fake_clock.h"
#include "tools/sim/sim_history.h"

namespace ws {
namespace {

using test::Spin;
using test::TestAddress;
using test::TestClient;
using test::WaitUntil;

float FloatLE(const QByteArray& bytes, int at) {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i)
    bits |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
  return std::bit_cast<float>(bits);
}

uint16_t BigEndian(const QByteArray& bytes, int at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) << 8 |
                               static_cast<uint8_t>(bytes[at + 1]));
}

class SimLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(logger.IsListening()) << logger.ErrorString().toStdString();
    ASSERT_TRUE(client.Connect(logger.Address(), logger.Port()));
  }

  QByteArray Ask(const QByteArray& command, qsizetype expected) {
    client.TakeReceived();
    client.Send(command);
    client.WaitForBytes(expected);
    return client.TakeReceived();
  }

  SimLogger logger{5, TestAddress(5), 0};
  TestClient client;
};

TEST_F(SimLoggerTest, PollGetsThirteenByteLiveReply) {
  const QByteArray reply = Ask("R000?", 13);
  ASSERT_EQ(reply.size(), 13);
  EXPECT_TRUE(reply.startsWith("R000:"));
  const float direction = FloatLE(reply, 5);
  const float speed = FloatLE(reply, 9);
  EXPECT_GE(direction, 0.0f);
  EXPECT_LT(direction, 360.0f);
  EXPECT_GE(speed, 0.0f);
  EXPECT_LT(speed, 45.0f);
  EXPECT_EQ(logger.CommandTexts(), QList<QByteArray>{"R000?"});
}

TEST_F(SimLoggerTest, HeldWindStaysAboveTripUntilReleased) {
  logger.HoldWind(46.0);
  for (int i = 0; i < 20; ++i) {
    const QByteArray reply = Ask("R000?", 13);
    ASSERT_EQ(reply.size(), 13);
    EXPECT_NEAR(FloatLE(reply, 9), 46.0f, 0.45f);
  }
  logger.ReleaseWind();
  EXPECT_LT(FloatLE(Ask("R000?", 13), 9), 45.0f);
}

TEST_F(SimLoggerTest, DumpBlockMatchesHistoryOfLastYearAcrossTheYearEnd) {
  test::FakeClock clock;
  clock.Set(2027, 1, 5, 9, 0, 0);
  logger.SetClock(&clock);
  const QByteArray reply = Ask("R002?12301140", 1209);
  ASSERT_EQ(reply.size(), 1209);
  EXPECT_TRUE(reply.startsWith("R002:"));
  EXPECT_EQ(reply[7], 11);
  EXPECT_EQ(reply[8], 40);
  for (int k = 0; k < 300; ++k) {
    const auto sample = HistorySample(5, 2026, 12, 30, 11 * 3600 + 40 * 60 + k);
    EXPECT_EQ(BigEndian(reply, 9 + 4 * k), sample ? sample->directionTenths : 0xFFFF) << k;
    EXPECT_EQ(BigEndian(reply, 11 + 4 * k), sample ? sample->speedTenths : 0xFFFF) << k;
  }
}

TEST_F(SimLoggerTest, RequestForHour24GetsAnR002Reply) {
  const QByteArray reply = Ask("R002?12302400", 1209);
  EXPECT_TRUE(reply.startsWith("R002:"));
}

TEST_F(SimLoggerTest, UnknownAndMalformedCommandsGetR001) {
  EXPECT_EQ(Ask("R001?", 5), QByteArray("R001:"));
  EXPECT_EQ(Ask("R002?13400000", 5), QByteArray("R001:"));
  EXPECT_EQ(Ask("HELLO", 5), QByteArray("R001:"));
}

TEST_F(SimLoggerTest, JoinedCommandsAreEachAnswered) {
  const QByteArray replies = Ask("R000?R000?R001?", 31);
  ASSERT_EQ(replies.size(), 31);
  EXPECT_TRUE(replies.startsWith("R000:"));
  EXPECT_EQ(replies.mid(13, 5), QByteArray("R000:"));
  EXPECT_EQ(replies.mid(26), QByteArray("R001:"));
}

TEST_F(SimLoggerTest, ShortFaultCutsEachReplyByOneByte) {
  logger.SetFault(SimFault::kShort);
  client.Send("R000?");
  ASSERT_TRUE(client.WaitForBytes(12));
  Spin(100);
  EXPECT_EQ(client.TakeReceived().size(), 12);
  client.Send("R002?12010000");
  ASSERT_TRUE(client.WaitForBytes(1208));
  Spin(100);
  EXPECT_EQ(client.TakeReceived().size(), 1208);
}

TEST_F(SimLoggerTest, SplitFaultSendsEachReplyInTwoPiecesWithAPause) {
  logger.SetFault(SimFault::kSplit);
  // A test thread held up for longer than the pause could read both pieces at
  // once, so a few attempts are allowed; every attempt must still add up.
  bool seenTwoPieces = false;
  for (int attempt = 0; attempt < 5 && !seenTwoPieces; ++attempt) {
    client.TakeReceived();
    client.Send("R000?");
    ASSERT_TRUE(client.WaitForBytes(13));
    Spin(20);
    ASSERT_EQ(client.Received().size(), 13);
    EXPECT_TRUE(client.Received().startsWith("R000:"));
    seenTwoPieces = client.Chunks().size() == 2 && client.Chunks()[0].size() == 6;
  }
  EXPECT_TRUE(seenTwoPieces);
}

TEST_F(SimLoggerTest, JoinFaultSendsTwoRepliesInOneWrite) {
  logger.SetFault(SimFault::kJoin);
  client.Send("R000?");
  ASSERT_TRUE(client.WaitForBytes(26));
  Spin(50);
  EXPECT_EQ(client.Received().size(), 26);
  EXPECT_TRUE(client.Received().startsWith("R000:"));
  EXPECT_EQ(client.Received().mid(13, 5), QByteArray("R000:"));
}

TEST_F(SimLoggerTest, SilentFaultAcceptsAndRecordsButNeverAnswers) {
  logger.SetFault(SimFault::kSilent);
  client.Send("R000?");
  ASSERT_TRUE(WaitUntil([&] { return logger.Commands().size() == 1; }));
  Spin(300);
  EXPECT_TRUE(client.Received().isEmpty());
  EXPECT_EQ(client.Socket().state(), QAbstractSocket::ConnectedState);
}

TEST_F(SimLoggerTest, DisconnectFaultClosesOnTheFirstCommand) {
  logger.SetFault(SimFault::kDisconnect);
  client.Send("R000?");
  EXPECT_TRUE(client.WaitForClose());
  EXPECT_TRUE(client.Received().isEmpty());
  EXPECT_EQ(logger.Commands().size(), 1);
}

TEST_F(SimLoggerTest, SlowFaultAnswersOnlyAfterItsDelay) {
  logger.SetFault(SimFault::kSlow);
  // A probe due halfway through the delay: timers fire in the order they are
  // due, so however late this process runs, the probe comes before the answer.
  bool probed = false;
  bool emptyAtProbe = false;
  QTimer::singleShot(kSimSlowReplyMs / 2, [&] {
    probed = true;
    emptyAtProbe = client.Received().isEmpty();
  });
  client.Send("R000?");
  EXPECT_TRUE(client.WaitForBytes(13));
  EXPECT_TRUE(probed);
  EXPECT_TRUE(emptyAtProbe);
}

TEST_F(SimLoggerTest, FloodFaultStreamsFarMoreThanRequested) {
  logger.SetFault(SimFault::kFlood);
  EXPECT_TRUE(client.WaitForBytes(256 * 1024, 5000));
  logger.SetFault(SimFault::kNone);
}

TEST_F(SimLoggerTest, FirmwareUploadIsAnsweredAndRecordedPageByPage) {
  ASSERT_TRUE(WaitUntil([&] { return logger.ConnectionCount() == 1; }));
  ASSERT_TRUE(logger.SendAppe());
  ASSERT_TRUE(client.WaitForBytes(5));
  EXPECT_EQ(client.TakeReceived(), QByteArray("APPE:"));

  QByteArray image;
  for (int page = 0; page < 3; ++page) {
    const QByteArray payload(1024, static_cast<char>('a' + page));
    image += payload;
    EXPECT_EQ(Ask(QByteArray("APPW:000") + QByteArray::number(page) + payload, 5),
              QByteArray("APPW:"));
  }
  EXPECT_EQ(Ask("APP>:", 5), QByteArray("APP>:"));
  client.Send("REST:");
  ASSERT_TRUE(WaitUntil([&] { return logger.RestartCount() == 1; }));
  EXPECT_TRUE(logger.FirmwareComplete());
  EXPECT_EQ(logger.FirmwarePages().size(), 3u);
  EXPECT_EQ(logger.FirmwareImage(), image);
  EXPECT_EQ(logger.CommandTexts().back(), QByteArray("REST:"));
}

TEST_F(SimLoggerTest, AppeFaultKnocksSeparatelyUntilAnImageHasArrived) {
  logger.SetFault(SimFault::kAppe);
  // The answer first, "APPE:" a moment later in a write of its own.
  client.TakeReceived();
  client.Send("R000?");
  ASSERT_TRUE(client.WaitForBytes(18));
  // Fifty milliseconds apart: two receives, unless this process stalled that
  // long (a loaded machine), when both arrive in one.
  ASSERT_FALSE(client.Chunks().isEmpty());
  if (client.Chunks().size() >= 2) {
    EXPECT_EQ(client.Chunks().back(), QByteArray("APPE:"));
  }
  EXPECT_EQ(client.TakeReceived().mid(13), QByteArray("APPE:"));
  EXPECT_EQ(Ask(QByteArray("APPW:0000") + QByteArray(1024, '\0'), 10), QByteArray("APPW:APPE:"));
  EXPECT_EQ(Ask("APP>:", 5), QByteArray("APP>:"));
  EXPECT_EQ(logger.Fault(), SimFault::kNone);
  Spin(kSimAppePauseMs + 50);
  EXPECT_EQ(Ask("R000?", 13).size(), 13);
  Spin(kSimAppePauseMs + 50);
  EXPECT_TRUE(client.TakeReceived().isEmpty());
}

TEST_F(SimLoggerTest, GluedAppeFaultAppendsItToTheAnswer) {
  logger.SetFault(SimFault::kAppeGlued);
  EXPECT_EQ(ParseSimFault("appe-glued"), SimFault::kAppeGlued);
  EXPECT_EQ(Ask("R000?", 18).mid(13), QByteArray("APPE:"));
  EXPECT_EQ(Ask(QByteArray("APPW:0000") + QByteArray(1024, '\0'), 10), QByteArray("APPW:APPE:"));
  EXPECT_EQ(Ask("APP>:", 5), QByteArray("APP>:"));
  EXPECT_EQ(logger.Fault(), SimFault::kNone);
  Spin(50);
  EXPECT_EQ(Ask("R000?", 13).size(), 13);
}

TEST_F(SimLoggerTest, SlowBlocksFaultHoldsBackOnlyBlocksAndPages) {
  logger.SetFault(SimFault::kSlowBlocks);
  EXPECT_EQ(ParseSimFault("slow-blocks"), SimFault::kSlowBlocks);
  // A block asked first and a poll right after: the poll's answer overtakes it.
  client.TakeReceived();
  client.Send("R002?01010000");
  client.Send("R000?");
  client.WaitForBytes(13 + 1209);
  const QByteArray both = client.TakeReceived();
  ASSERT_EQ(both.size(), 13 + 1209);
  EXPECT_TRUE(both.startsWith("R000:"));
  EXPECT_EQ(both.mid(13, 5), QByteArray("R002:"));
  EXPECT_EQ(Ask(QByteArray("APPW:0000") + QByteArray(1024, '\0'), 5), QByteArray("APPW:"));
}

TEST(SimLoggerAddress, RefusesToListenOutsideLoopback) {
  SimLogger logger(0, QHostAddress("192.0.2.1"), 0);
  EXPECT_FALSE(logger.IsListening());
  EXPECT_FALSE(logger.ErrorString().isEmpty());
}

}  // namespace
}  // namespace ws
