#include "core/modbus_registers.h"

#include <algorithm>
#include <cmath>

namespace ws {

ModbusRegisters::ModbusRegisters() : m_Image(kSize, 0) {}

uint16_t ModbusRegisters::SpeedTimesTen(double speed) {
  if (!std::isfinite(speed) || speed <= 0.0) return 0;
  const double scaled = std::round(speed * 10.0);
  return scaled >= 65535.0 ? uint16_t{65535} : static_cast<uint16_t>(scaled);
}

uint16_t ModbusRegisters::Degrees(double direction) {
  if (!std::isfinite(direction)) return 0;
  double whole = std::fmod(std::round(direction), 360.0);
  if (whole < 0.0) whole += 360.0;
  return static_cast<uint16_t>(whole);
}

uint16_t ModbusRegisters::Seconds(int64_t seconds) {
  if (seconds < 0 || seconds >= kNoReply) return kNoReply;
  return static_cast<uint16_t>(seconds);
}

void ModbusRegisters::SetStation(const ModbusStationValues& values) {
  m_StackCount = std::clamp(values.stackCount, 0, kMaxStacks);
  m_Image[kOverallLevel] = static_cast<uint16_t>(std::clamp(values.overallLevel, 0, 65535));
  m_Image[kUnacknowledgedAlarms] = static_cast<uint16_t>(std::clamp(values.unacknowledgedAlarms, 0, 65535));
  m_Image[kStackCount] = static_cast<uint16_t>(m_StackCount);
  m_Image[kHeartbeat] = values.heartbeat;
  for (size_t i = 0; i < values.version.size(); ++i) m_Image[kVersionMajor + i] = values.version[i];
}

void ModbusRegisters::SetHeartbeat(uint16_t heartbeat) { m_Image[kHeartbeat] = heartbeat; }

void ModbusRegisters::SetStack(int index, const ModbusStackValues& v) {
  if (index < 0 || index >= kMaxStacks) return;
  uint16_t* block = &m_Image[static_cast<size_t>(StackBase(index))];
  block[kSpeed] = SpeedTimesTen(v.speed);
  block[kDirection] = Degrees(v.direction);
  block[kState] = static_cast<uint16_t>(std::clamp(v.state, 0, 65535));
  block[kAlarmBits] = v.alarmBits;
  block[kUnacknowledged] = v.unacknowledged ? 1 : 0;
  block[kMeanSpeed1Min] = SpeedTimesTen(v.meanSpeed1Min);
  block[kMeanDirection1Min] = Degrees(v.meanDirection1Min);
  block[kMeanSpeed10Min] = SpeedTimesTen(v.meanSpeed10Min);
  block[kMeanDirection10Min] = Degrees(v.meanDirection10Min);
  block[kDailyMaximum] = SpeedTimesTen(v.dailyMaximum);
  block[kSecondsSinceReply] = Seconds(v.secondsSinceReply);
}

bool ModbusRegisters::Covers(int address, int count) const {
  if (address < 0 || count < 1 || address + count > kSize) return false;
  for (int a = address; a < address + count; ++a) {
    if (a < kStationRegisters) continue;
    const int stack = a / kStackStride;  // 1-based
    if (stack < 1 || stack > m_StackCount || a % kStackStride >= kStackRegisters) return false;
  }
  return true;
}

uint16_t ModbusRegisters::At(int address) const {
  return Covers(address, 1) ? m_Image[static_cast<size_t>(address)] : uint16_t{0};
}

void ModbusRegisters::Read(int address, std::span<uint16_t> out) const {
  if (address < 0 || address + static_cast<int64_t>(out.size()) > kSize) return;
  std::copy_n(m_Image.begin() + address, out.size(), out.begin());
}

}  // namespace ws
