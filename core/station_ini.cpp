#include "core/station_ini.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace ws {
namespace {

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

bool ParseBool(const std::string& v, bool fallback) {
  if (v == "1" || v == "true" || v == "on" || v == "yes") return true;
  if (v == "0" || v == "false" || v == "off" || v == "no") return false;
  return fallback;
}

int ParseInt(const std::string& v, int fallback, int low, int high) {
  int n = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  if (ec != std::errc() || end != v.data() + v.size() || n < low || n > high) return fallback;
  return n;
}

void Assign(StationIni& ini, const std::string& section, const std::string& key,
            const std::string& v) {
  if (section == "alarms") {
    if (key == "no_comm_alarm") ini.noComm.alarm = ParseBool(v, ini.noComm.alarm);
    if (key == "no_comm_delay") ini.noComm.delaySeconds = ParseInt(v, ini.noComm.delaySeconds, 1, 3600);
  } else if (section == "modbus") {
    if (key == "enabled") ini.modbus.enabled = ParseBool(v, ini.modbus.enabled);
    if (key == "address" && !v.empty()) ini.modbus.address = v;
    if (key == "port") ini.modbus.port = ParseInt(v, ini.modbus.port, 1, 65535);
  } else if (section == "mqtt") {
    auto& m = ini.mqtt;
    if (key == "enabled") m.enabled = ParseBool(v, m.enabled);
    if (key == "host" && !v.empty()) m.host = v;
    if (key == "port") m.port = ParseInt(v, m.port, 1, 65535);
    if (key == "client_id") m.clientId = v;
    if (key == "site" && !v.empty()) m.site = v;
    if (key == "username") m.username = v;
    if (key == "password") m.password = v;
    if (key == "tls") m.tls = ParseBool(v, m.tls);
    if (key == "ca_file") m.caFile = v;
    if (key == "cert_file") m.certFile = v;
    if (key == "key_file") m.keyFile = v;
  }
}

}  // namespace

StationIni ParseStationIni(const std::string& text) {
  StationIni ini;
  std::istringstream in(text);
  std::string line;
  std::string section;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      section = Trim(line.substr(1, line.size() - 2));
      continue;
    }
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    Assign(ini, section, Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
  }
  return ini;
}

std::string FormatStationIni(const StationIni& ini) {
  std::ostringstream out;
  const auto b = [](bool v) { return v ? "true" : "false"; };
  out << "; Windscope station settings beside WDX-5100.cfg\n"
      << "[alarms]\n"
      << "no_comm_alarm=" << b(ini.noComm.alarm) << "\n"
      << "no_comm_delay=" << ini.noComm.delaySeconds << "\n"
      << "\n[modbus]\n"
      << "enabled=" << b(ini.modbus.enabled) << "\n"
      << "address=" << ini.modbus.address << "\n"
      << "port=" << ini.modbus.port << "\n"
      << "\n[mqtt]\n"
      << "enabled=" << b(ini.mqtt.enabled) << "\n"
      << "host=" << ini.mqtt.host << "\n"
      << "port=" << ini.mqtt.port << "\n"
      << "client_id=" << ini.mqtt.clientId << "\n"
      << "site=" << ini.mqtt.site << "\n"
      << "username=" << ini.mqtt.username << "\n"
      << "password=" << ini.mqtt.password << "\n"
      << "tls=" << b(ini.mqtt.tls) << "\n"
      << "ca_file=" << ini.mqtt.caFile << "\n"
      << "cert_file=" << ini.mqtt.certFile << "\n"
      << "key_file=" << ini.mqtt.keyFile << "\n";
  return out.str();
}

StationIniLoad LoadStationIni(const std::string& dir) {
  StationIniLoad result;
  const std::string path = dir + "/" + kStationIniName;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno != ENOENT) result.error = std::strerror(errno);
    return result;
  }
  std::ostringstream text;
  text << in.rdbuf();
  result.ini = ParseStationIni(text.str());
  result.found = true;
  return result;
}

std::string SaveStationIni(const std::string& dir, const StationIni& ini) {
  const std::string path = dir + "/" + kStationIniName;
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return std::string("cannot write ") + temp + ": " + std::strerror(errno);
    out << FormatStationIni(ini);
    out.flush();
    if (!out) return std::string("cannot write ") + temp + ": " + std::strerror(errno);
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string why = std::strerror(errno);
    std::remove(temp.c_str());
    return "cannot replace " + path + ": " + why;
  }
  return {};
}

}  // namespace ws
