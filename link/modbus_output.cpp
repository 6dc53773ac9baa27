#include "link/modbus_output.h"

#include <algorithm>
#include <array>

#include "core/alarm_states.h"
#include "core/system_time.h"
#include "link/link_logging.h"
#include "link/station_runtime.h"

namespace ws {

namespace {

bool Unacknowledged(const AlarmEntry& entry) {
  return entry.condition == AlarmCondition::kActiveUnacknowledged ||
         entry.condition == AlarmCondition::kReturnedUnacknowledged;
}

}  // namespace

ModbusOutput::ModbusOutput(StationRuntime& runtime, QObject* parent) : QObject(parent), m_Runtime(runtime) {
  connect(&m_Server, &ModbusServer::statusChanged, this, &ModbusOutput::statusChanged);
  connect(&m_Runtime, &StationRuntime::stationIniChanged, this, &ModbusOutput::Apply);
  // A stack's block follows each of its changes; the whole image follows the
  // supervision tick (heartbeat, seconds since the last reply, the means) and
  // anything that touches every stack at once.
  connect(&m_Runtime, &StationRuntime::stackUpdated, this, [this](int stack, float, float, int) { RefreshStack(stack); });
  connect(&m_Runtime, &StationRuntime::stackNoCommunication, this, &ModbusOutput::RefreshStack);
  connect(&m_Runtime, &StationRuntime::stackBusy, this, &ModbusOutput::RefreshStack);
  connect(&m_Runtime, &StationRuntime::clockTick, this, [this] {
    ++m_Heartbeat;
    RefreshAll();
  });
  connect(&m_Runtime, &StationRuntime::alarmEntriesChanged, this, &ModbusOutput::RefreshAll);
  connect(&m_Runtime, &StationRuntime::averagesStepped, this, &ModbusOutput::RefreshAll);
  connect(&m_Runtime, &StationRuntime::stacksRebuilt, this, &ModbusOutput::RefreshAll);
  connect(&m_Runtime, &StationRuntime::lampsChanged, this, &ModbusOutput::RefreshAll);
}

ModbusOutput::~ModbusOutput() { m_Server.Stop(); }

void ModbusOutput::SetOverride(const std::string& address, int port) {
  StationIni::Modbus modbus;
  modbus.enabled = true;
  modbus.address = address;
  modbus.port = port;
  m_Override = modbus;
}

void ModbusOutput::Apply() {
  const StationIni::Modbus wanted = m_Override.value_or(m_Runtime.stationIni().modbus);
  if (!wanted.enabled) {
    m_Server.Stop();
    m_Serving.reset();
    return;
  }
  if (m_Serving == wanted && m_Server.Listening()) return;
  m_Serving.reset();
  Rebuild();  // the first client reads the present values
  if (m_Server.Start(wanted.address, wanted.port)) {
    m_Serving = wanted;
    qCInfo(lcLink, "modbus: %s", ModbusServer::StateText(m_Server.status()).c_str());
  } else {
    qCWarning(lcLink, "modbus: %s", ModbusServer::StateText(m_Server.status()).c_str());
  }
}

ModbusStackValues ModbusOutput::StackValues(int stack) const {
  ModbusStackValues v;
  const StackStatistics& s = m_Runtime.statistics().Stack(stack);
  const StackAverages averages = m_Runtime.Averages(stack);
  v.speed = s.speed;
  v.direction = s.direction;
  v.state = m_Runtime.TileState(stack);
  v.alarmBits = s.alarmBits;
  for (const AlarmEntry& entry : m_Runtime.alarmEntries()) {
    if (entry.stack == stack && Unacknowledged(entry)) v.unacknowledged = true;
  }
  v.meanSpeed1Min = averages.speed[kPeriodMinute];
  v.meanDirection1Min = averages.direction[kPeriodMinute];
  v.meanSpeed10Min = averages.speed[kPeriodTenMinutes];
  v.meanDirection10Min = averages.direction[kPeriodTenMinutes];
  v.dailyMaximum = s.maximum;
  const int64_t last = m_Runtime.LastReplySecond(stack);
  v.secondsSinceReply = last == Recorder::kNoReply ? -1 : CivilSeconds(m_Runtime.clock().Now()) - last;
  if (v.secondsSinceReply < -1) v.secondsSinceReply = 0;  // the clock stepped back
  return v;
}

ModbusStationValues ModbusOutput::StationValues() const {
  ModbusStationValues v;
  v.overallLevel = m_Runtime.OverallLevel();
  for (const AlarmEntry& entry : m_Runtime.alarmEntries()) {
    if (Unacknowledged(entry)) ++v.unacknowledgedAlarms;
  }
  v.stackCount = m_Runtime.stackCount();
  v.heartbeat = m_Heartbeat;
  v.version = {WINDSCOPE_VERSION_MAJOR, WINDSCOPE_VERSION_MINOR, WINDSCOPE_VERSION_PATCH};
  return v;
}

void ModbusOutput::RefreshStack(int stack) {
  if (!m_Server.Listening() || stack < 0 || stack >= m_Runtime.stackCount()) return;
  const ModbusStackValues stackValues = StackValues(stack);
  const ModbusStationValues station = StationValues();
  m_Server.Update([&](ModbusRegisters& image) {
    image.SetStation(station);
    image.SetStack(stack, stackValues);
  });
}

void ModbusOutput::RefreshAll() {
  if (m_Server.Listening()) Rebuild();
}

void ModbusOutput::Rebuild() {
  const ModbusStationValues station = StationValues();
  std::array<ModbusStackValues, ModbusRegisters::kMaxStacks> stacks;
  const int count = std::min(m_Runtime.stackCount(), ModbusRegisters::kMaxStacks);
  for (int i = 0; i < count; ++i) stacks[static_cast<size_t>(i)] = StackValues(i);
  m_Server.Update([&](ModbusRegisters& image) {
    image.SetStation(station);
    for (int i = 0; i < count; ++i) image.SetStack(i, stacks[static_cast<size_t>(i)]);
  });
}

}  // namespace ws
