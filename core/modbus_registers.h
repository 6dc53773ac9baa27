// The register image the Modbus TCP server answers from: a few station
// registers at address 0 and one fixed block per stack at 100 * n (stack n
// counted from 1). doc/modbus.md is the map. Built on the station's loop from a
// snapshot of its live values; the server thread only reads it.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace ws {

// One stack's values as the runtime holds them, unscaled.
struct ModbusStackValues {
  double speed = 0.0;
  double direction = 0.0;
  int state = 1;              // tile state: 1 no communication .. 5 Trip, 6 busy
  uint8_t alarmBits = 0;      // Alarm 1, Stop 2, Trip 4, acknowledged 8
  bool unacknowledged = false;
  double meanSpeed1Min = 0.0;
  double meanDirection1Min = 0.0;
  double meanSpeed10Min = 0.0;
  double meanDirection10Min = 0.0;
  double dailyMaximum = 0.0;
  // Seconds since the last reply; negative: none since start.
  int64_t secondsSinceReply = -1;
};

struct ModbusStationValues {
  int overallLevel = 0;
  int unacknowledgedAlarms = 0;
  int stackCount = 0;
  uint16_t heartbeat = 0;
  std::array<uint16_t, 3> version{};  // major, minor, patch
};

class ModbusRegisters {
 public:
  static constexpr int kStationRegisters = 7;
  static constexpr int kStackStride = 100;
  static constexpr int kStackRegisters = 11;
  static constexpr int kMaxStacks = 100;
  static constexpr int kSize = kStackStride * kMaxStacks + kStackRegisters;
  static constexpr uint16_t kNoReply = std::numeric_limits<uint16_t>::max();

  // Station register addresses.
  static constexpr int kOverallLevel = 0;
  static constexpr int kUnacknowledgedAlarms = 1;
  static constexpr int kStackCount = 2;
  static constexpr int kHeartbeat = 3;
  static constexpr int kVersionMajor = 4;

  // Offsets within a stack's block.
  static constexpr int kSpeed = 0;
  static constexpr int kDirection = 1;
  static constexpr int kState = 2;
  static constexpr int kAlarmBits = 3;
  static constexpr int kUnacknowledged = 4;
  static constexpr int kMeanSpeed1Min = 5;
  static constexpr int kMeanDirection1Min = 6;
  static constexpr int kMeanSpeed10Min = 7;
  static constexpr int kMeanDirection10Min = 8;
  static constexpr int kDailyMaximum = 9;
  static constexpr int kSecondsSinceReply = 10;

  ModbusRegisters();

  // The first address of stack `index`'s block (0-based index).
  static constexpr int StackBase(int index) { return kStackStride * (index + 1); }

  // Writes the station registers; the stack count also decides which stack
  // blocks are in the map (clamped to 0..kMaxStacks).
  void SetStation(const ModbusStationValues& values);
  void SetHeartbeat(uint16_t heartbeat);
  // Writes stack `index`'s block (0..kMaxStacks-1; others are ignored).
  void SetStack(int index, const ModbusStackValues& values);

  int stackCount() const { return m_StackCount; }

  // Whether every address of [address, address + count) is in the map.
  bool Covers(int address, int count) const;
  // The value at an address (0 for one outside the map).
  uint16_t At(int address) const;
  // Copies [address, address + count) into out (the caller checked Covers).
  void Read(int address, std::span<uint16_t> out) const;

  // Scalings of the map: speed x10 within 0..65535 (0 for a negative or
  // missing value), whole degrees 0..359.
  static uint16_t SpeedTimesTen(double speed);
  static uint16_t Degrees(double direction);
  static uint16_t Seconds(int64_t seconds);

 private:
  std::vector<uint16_t> m_Image;
  int m_StackCount = 0;
};

}  // namespace ws
