// The Modbus register image, the framing of a client's byte stream and the
// judgement of each request.
#include "core/modbus_registers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/modbus_request.h"

namespace ws {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

TEST(ModbusRegistersTest, ScalesSpeedsDirectionsAndSeconds) {
  EXPECT_EQ(ModbusRegisters::SpeedTimesTen(12.34), 123);
  EXPECT_EQ(ModbusRegisters::SpeedTimesTen(12.35), 124);
  EXPECT_EQ(ModbusRegisters::SpeedTimesTen(-3.0), 0);
  EXPECT_EQ(ModbusRegisters::SpeedTimesTen(std::nan("")), 0);
  EXPECT_EQ(ModbusRegisters::SpeedTimesTen(1e9), 65535);
  EXPECT_EQ(ModbusRegisters::Degrees(247.6), 248);
  EXPECT_EQ(ModbusRegisters::Degrees(359.6), 0);  // rounds to 360, which is north
  EXPECT_EQ(ModbusRegisters::Degrees(-1.0), 359);
  EXPECT_EQ(ModbusRegisters::Degrees(std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(ModbusRegisters::Seconds(0), 0);
  EXPECT_EQ(ModbusRegisters::Seconds(65534), 65534);
  EXPECT_EQ(ModbusRegisters::Seconds(-1), 65535);
  EXPECT_EQ(ModbusRegisters::Seconds(1'000'000), 65535);
}

TEST(ModbusRegistersTest, MapHoldsTheStationRegistersAndOneBlockPerConfiguredStack) {
  ModbusRegisters image;
  ModbusStationValues station;
  station.stackCount = 3;
  image.SetStation(station);

  EXPECT_TRUE(image.Covers(0, 7));
  EXPECT_FALSE(image.Covers(0, 8));
  EXPECT_FALSE(image.Covers(7, 1));
  EXPECT_FALSE(image.Covers(99, 1));
  EXPECT_TRUE(image.Covers(100, 11));
  EXPECT_TRUE(image.Covers(300, 11));
  EXPECT_FALSE(image.Covers(100, 12));   // +11 is a gap
  EXPECT_FALSE(image.Covers(110, 91));   // runs across the gap into stack 2
  EXPECT_FALSE(image.Covers(400, 1));    // stack 4 is not configured
  EXPECT_FALSE(image.Covers(-1, 1));
  EXPECT_FALSE(image.Covers(100, 0));

  station.stackCount = 100;
  image.SetStation(station);
  EXPECT_TRUE(image.Covers(10000, 11));
  EXPECT_FALSE(image.Covers(10011, 1));
  EXPECT_FALSE(image.Covers(10100, 1));
}

TEST(ModbusRegistersTest, StackBlockAndStationRegistersHoldTheMappedValues) {
  ModbusRegisters image;
  ModbusStationValues station;
  station.overallLevel = 2;
  station.unacknowledgedAlarms = 3;
  station.stackCount = 2;
  station.heartbeat = 65535;
  station.version = {1, 2, 3};
  image.SetStation(station);
  ModbusStackValues v;
  v.speed = 41.26;
  v.direction = 12.4;
  v.state = 4;
  v.alarmBits = 1 | 2 | 8;
  v.unacknowledged = true;
  v.meanSpeed1Min = 39.95;
  v.meanDirection1Min = 10.5;
  v.meanSpeed10Min = 33.3;
  v.meanDirection10Min = 355.2;
  v.dailyMaximum = 44.5;
  v.secondsSinceReply = 7;
  image.SetStack(1, v);

  const std::vector<uint16_t> want = {413, 12, 4, 11, 1, 400, 11, 333, 355, 445, 7};
  std::vector<uint16_t> got(11);
  image.Read(200, got);
  EXPECT_EQ(got, want);
  std::vector<uint16_t> head(7);
  image.Read(0, head);
  EXPECT_EQ(head, (std::vector<uint16_t>{2, 3, 2, 65535, 1, 2, 3}));
  image.SetHeartbeat(0);
  EXPECT_EQ(image.At(ModbusRegisters::kHeartbeat), 0);
  // Stack 1's block was never written: zeros, and state 0 is not a real state.
  EXPECT_EQ(image.At(100), 0);
}

TEST(ModbusFramerTest, SplitsAStreamIntoRequestsWhateverPiecesTheyCameIn) {
  const std::vector<uint8_t> read = Bytes({0, 1, 0, 0, 0, 6, 1, 4, 0, 0x64, 0, 0x0B});
  const std::vector<uint8_t> write = Bytes({0, 2, 0, 0, 0, 6, 1, 6, 0, 0x64, 0, 1});
  MbapFramer framer;
  std::vector<uint8_t> frame;
  // Byte by byte: nothing until the last byte of the first request.
  for (size_t i = 0; i + 1 < read.size(); ++i) {
    framer.Append(std::span(&read[i], 1));
    EXPECT_EQ(framer.Next(frame), MbapFramer::Result::kNeedMore) << i;
  }
  framer.Append(std::span(&read.back(), 1));
  ASSERT_EQ(framer.Next(frame), MbapFramer::Result::kFrame);
  EXPECT_EQ(frame, read);
  EXPECT_EQ(framer.Next(frame), MbapFramer::Result::kNeedMore);

  // Back to back, with half of a third.
  std::vector<uint8_t> stream = write;
  stream.insert(stream.end(), read.begin(), read.end());
  stream.insert(stream.end(), write.begin(), write.begin() + 5);
  framer.Append(stream);
  ASSERT_EQ(framer.Next(frame), MbapFramer::Result::kFrame);
  EXPECT_EQ(frame, write);
  ASSERT_EQ(framer.Next(frame), MbapFramer::Result::kFrame);
  EXPECT_EQ(frame, read);
  EXPECT_EQ(framer.Next(frame), MbapFramer::Result::kNeedMore);
  EXPECT_EQ(framer.Buffered(), 5u);
  framer.Append(std::span(write).subspan(5));
  ASSERT_EQ(framer.Next(frame), MbapFramer::Result::kFrame);
  EXPECT_EQ(frame, write);
}

TEST(ModbusFramerTest, HeaderThatCannotBeModbusTcpBreaksTheStream) {
  for (const std::vector<uint8_t>& bad : {
           Bytes({0, 1, 0x12, 0x34, 0, 6, 1, 3, 0, 0, 0, 1}),  // protocol id not 0
           Bytes({0, 1, 0, 0, 0, 1, 1}),                       // no function code
           Bytes({0, 1, 0, 0, 0, 0, 1}),
           Bytes({0, 1, 0, 0, 1, 0, 1}),                       // 256: longer than any request
       }) {
    MbapFramer framer;
    framer.Append(bad);
    std::vector<uint8_t> frame;
    EXPECT_EQ(framer.Next(frame), MbapFramer::Result::kBroken);
  }
}

TEST(ModbusRequestTest, ServesReadsInTheMapAndRefusesEverythingElse) {
  ModbusRegisters image;
  ModbusStationValues station;
  station.stackCount = 1;
  image.SetStation(station);
  struct Case {
    std::vector<uint8_t> pdu;
    uint8_t exception;
  };
  const Case cases[] = {
      {Bytes({3, 0, 0x64, 0, 11}), 0},
      {Bytes({4, 0, 0, 0, 7}), 0},
      {Bytes({4, 0, 0x64, 0, 12}), kModbusIllegalDataAddress},
      {Bytes({3, 0, 0x6F, 0, 1}), kModbusIllegalDataAddress},
      {Bytes({3, 0, 200, 0, 1}), kModbusIllegalDataAddress},  // stack 2 is not configured
      {Bytes({3, 0, 0, 0, 0}), kModbusIllegalDataValue},
      {Bytes({3, 0, 0, 0, 126}), kModbusIllegalDataValue},
      {Bytes({3, 0, 0, 0}), kModbusIllegalDataValue},        // cut short
      {Bytes({4, 0, 0, 0, 1, 0}), kModbusIllegalDataValue},  // a byte too many
      {Bytes({6, 0, 0x64, 0, 1}), kModbusIllegalFunction},
      {Bytes({16, 0, 0x64, 0, 1, 2, 0, 5}), kModbusIllegalFunction},
      {Bytes({5, 0, 0, 0xFF, 0}), kModbusIllegalFunction},
      {Bytes({15, 0, 0, 0, 1, 1, 1}), kModbusIllegalFunction},
      {Bytes({22, 0, 0x64, 0, 0, 0, 0}), kModbusIllegalFunction},
      {Bytes({23, 0, 0x64, 0, 1, 0, 0x64, 0, 1, 2, 0, 1}), kModbusIllegalFunction},
      {Bytes({1, 0, 0, 0, 1}), kModbusIllegalFunction},
      {Bytes({0x2B, 0x0E, 1, 0}), kModbusIllegalFunction},
  };
  for (const Case& c : cases) {
    const ModbusVerdict verdict = JudgeRequest(c.pdu, image);
    EXPECT_EQ(verdict.exception, c.exception) << "function " << int(c.pdu[0]) << ", " << c.pdu.size() << " bytes";
  }
  const ModbusVerdict read = JudgeRequest(Bytes({3, 0, 0x64, 0, 11}), image);
  EXPECT_EQ(read.address, 100);
  EXPECT_EQ(read.count, 11);
}

}  // namespace
}  // namespace ws
