#include "core/settings_diff.h"

#include <algorithm>

#include "core/format_fixed.h"

namespace ws {

namespace {

constexpr const char* kArrow = " \xE2\x86\x92 ";  // " → "

class Diff {
 public:
  void Text(const std::string& field, const std::string& before, const std::string& after) {
    if (before != after) m_lines.push_back(field + ": " + Quote(before) + kArrow + Quote(after));
  }
  void Number(const std::string& field, double before, double after, const char* format = "%.1f") {
    // Bitwise equal NaNs count as unchanged; any other difference is named.
    if (before == after || (before != before && after != after)) return;
    m_lines.push_back(field + ": " + FormatC(format, before) + kArrow + FormatC(format, after));
  }
  void Integer(const std::string& field, long long before, long long after) {
    if (before != after) m_lines.push_back(field + ": " + FormatC("%lld", before) + kArrow + FormatC("%lld", after));
  }
  void Switch(const std::string& field, bool before, bool after) {
    if (before != after) m_lines.push_back(field + ": " + OnOff(before) + kArrow + OnOff(after));
  }
  void Colour(const std::string& field, uint32_t before, uint32_t after) {
    if (before != after) {
      m_lines.push_back(field + ": " + FormatC("0x%06X", before) + kArrow + FormatC("0x%06X", after));
    }
  }
  void Address(const std::string& field, uint32_t before, uint32_t after) {
    if (before != after) m_lines.push_back(field + ": " + AddressToText(before) + kArrow + AddressToText(after));
  }
  void Changed(const std::string& field, bool changed) {
    if (changed) m_lines.push_back(field + ": changed");
  }
  std::vector<std::string> Take() { return std::move(m_lines); }

 private:
  static std::string Quote(const std::string& s) { return "\"" + s + "\""; }
  static const char* OnOff(bool on) { return on ? "on" : "off"; }

  std::vector<std::string> m_lines;
};

int ValidCount(int32_t n) { return (n < 1 || n > kMaxStacks) ? 1 : n; }

}  // namespace

std::vector<std::string> DiffSettings(const Settings& before, const Settings& after) {
  Diff d;
  d.Text("Program title", FieldUtf8(before.programTitle), FieldUtf8(after.programTitle));
  d.Integer("Stacks", before.stackCount, after.stackCount);
  d.Integer("Grid X", before.gridColumns + 1, after.gridColumns + 1);
  d.Integer("Grid Y", before.gridRows + 1, after.gridRows + 1);
  d.Text("Speed unit", FieldUtf8(before.speedUnit), FieldUtf8(after.speedUnit));
  const StackSettings& b0 = before.stacks[0];
  const StackSettings& a0 = after.stacks[0];
  d.Number("Wind max speed", b0.windMaxSpeed, a0.windMaxSpeed, "%.0f");
  d.Switch("Signal lamp", before.signalLampEnabled == 1, after.signalLampEnabled == 1);
  d.Address("Signal lamp address", before.signalLampAddress, after.signalLampAddress);
  if ((before.soundMode != 0) != (after.soundMode != 0)) {
    d.Text("Sound mode", before.soundMode != 0 ? "Continue" : "Interval",
           after.soundMode != 0 ? "Continue" : "Interval");
  }
  d.Number("Alarm speed", b0.alarmSpeed, a0.alarmSpeed);
  d.Number("Stop speed", b0.stopSpeed, a0.stopSpeed);
  d.Number("Trip speed", b0.tripSpeed, a0.tripSpeed);
  d.Colour("Alarm colour", before.alarmColour, after.alarmColour);
  d.Colour("Stop colour", before.stopColour, after.stopColour);
  d.Colour("Trip colour", before.tripColour, after.tripColour);
  d.Text("Alarm sound", FieldUtf8(before.alarmSoundPath), FieldUtf8(after.alarmSoundPath));
  d.Text("Stop sound", FieldUtf8(before.stopSoundPath), FieldUtf8(after.stopSoundPath));
  d.Text("Trip sound", FieldUtf8(before.tripSoundPath), FieldUtf8(after.tripSoundPath));
  d.Colour("Direction meter colour", before.directionMeterColour, after.directionMeterColour);
  d.Colour("Speed meter colour", before.speedMeterColour, after.speedMeterColour);
  for (size_t k = 0; k < before.chartColours.size(); ++k) {
    d.Colour(FormatC("Chart colour %zu", k + 1), before.chartColours[k], after.chartColours[k]);
  }
  const int stacks = std::max(ValidCount(before.stackCount), ValidCount(after.stackCount));
  for (int i = 0; i < stacks; ++i) {
    const StackSettings& b = before.stacks[static_cast<size_t>(i)];
    const StackSettings& a = after.stacks[static_cast<size_t>(i)];
    const std::string name = FormatC("Stack #%d ", i + 1);
    d.Text(name + "title", FieldUtf8(b.title), FieldUtf8(a.title));
    d.Address(name + "address", b.loggerAddress, a.loggerAddress);
    d.Switch(name + "direction sensor", b.directEnable != 0, a.directEnable != 0);
  }
  return d.Take();
}

std::vector<std::string> DiffStationIni(const StationIni& before, const StationIni& after) {
  Diff d;
  d.Switch("NO COMM alarm", before.noComm.alarm, after.noComm.alarm);
  d.Integer("NO COMM delay (s)", before.noComm.delaySeconds, after.noComm.delaySeconds);
  d.Switch("Modbus server", before.modbus.enabled, after.modbus.enabled);
  d.Text("Modbus address", before.modbus.address, after.modbus.address);
  d.Integer("Modbus port", before.modbus.port, after.modbus.port);
  d.Switch("MQTT", before.mqtt.enabled, after.mqtt.enabled);
  d.Text("MQTT host", before.mqtt.host, after.mqtt.host);
  d.Integer("MQTT port", before.mqtt.port, after.mqtt.port);
  d.Text("MQTT client id", before.mqtt.clientId, after.mqtt.clientId);
  d.Text("MQTT site", before.mqtt.site, after.mqtt.site);
  d.Text("MQTT user", before.mqtt.username, after.mqtt.username);
  d.Changed("MQTT password", before.mqtt.password != after.mqtt.password);
  d.Switch("MQTT TLS", before.mqtt.tls, after.mqtt.tls);
  d.Text("MQTT CA file", before.mqtt.caFile, after.mqtt.caFile);
  d.Text("MQTT certificate", before.mqtt.certFile, after.mqtt.certFile);
  d.Text("MQTT key", before.mqtt.keyFile, after.mqtt.keyFile);
  return d.Take();
}

std::string JoinChanges(const std::vector<std::string>& changes, size_t maxBytes) {
  std::string text;
  for (size_t k = 0; k < changes.size(); ++k) {
    const std::string& line = changes[k];
    const size_t sep = text.empty() ? 0 : 2;
    if (text.size() + sep + line.size() > maxBytes) {
      text += FormatC("%s\xE2\x80\xA6 (%zu more)", text.empty() ? "" : "; ", changes.size() - k);
      break;
    }
    if (sep) text += "; ";
    text += line;
  }
  return text;
}

}  // namespace ws
