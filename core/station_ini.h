// The station's settings that the configuration file has no room for, kept in
// "windscope.ini" beside it so that "WDX-5100.cfg" stays as it is: the
// no-communication alarm and the plant outputs (Modbus TCP server, MQTT).
// A missing file or key reads as its default; unknown keys are kept out.
#pragma once

#include <cstdint>
#include <string>

namespace ws {

inline constexpr const char* kStationIniName = "windscope.ini";

struct StationIni {
  struct NoCommunication {
    bool alarm = true;      // a silent stack raises "NO COMM" in the alarm list
    int delaySeconds = 10;  // how long it stays silent first (1..3600)
    friend bool operator==(const NoCommunication&, const NoCommunication&) = default;
  } noComm;

  struct Modbus {
    bool enabled = false;
    std::string address = "0.0.0.0";
    int port = 1502;
    friend bool operator==(const Modbus&, const Modbus&) = default;
  } modbus;

  struct Mqtt {
    bool enabled = false;
    std::string host = "127.0.0.1";
    int port = 1883;
    std::string clientId;  // empty: "windscope-<site>"
    std::string site = "site";
    std::string username;  // empty: no credentials
    std::string password;
    bool tls = false;
    std::string caFile;
    std::string certFile;  // client certificate, optional
    std::string keyFile;
    friend bool operator==(const Mqtt&, const Mqtt&) = default;
  } mqtt;

  friend bool operator==(const StationIni&, const StationIni&) = default;
};

struct StationIniLoad {
  StationIni ini;
  bool found = false;  // the file existed and was read
  std::string error;   // why it could not be read (the defaults stand in)
};

// Reads dir/windscope.ini. Values out of range or not numbers keep their defaults.
StationIniLoad LoadStationIni(const std::string& dir);
// Writes dir/windscope.ini whole (through a temporary file renamed over it).
// Returns an empty string, or why it failed.
std::string SaveStationIni(const std::string& dir, const StationIni& ini);

// The text form, for tests and the file functions.
StationIni ParseStationIni(const std::string& text);
std::string FormatStationIni(const StationIni& ini);

}  // namespace ws
