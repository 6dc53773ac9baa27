#include "core/station_ini.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace ws {
namespace {

TEST(StationIniTest, WrittenValuesReadBackAndMissingOrBadValuesKeepTheirDefaults) {
  StationIni ini;
  ini.noComm.alarm = false;
  ini.noComm.delaySeconds = 45;
  ini.modbus.enabled = true;
  ini.modbus.address = "127.0.0.2";
  ini.modbus.port = 15020;
  ini.mqtt.enabled = true;
  ini.mqtt.site = "north pier";
  ini.mqtt.password = "p=w;d";
  EXPECT_EQ(ParseStationIni(FormatStationIni(ini)), ini);

  const StationIni odd = ParseStationIni(
      "[alarms]\r\nno_comm_delay = 0\r\nno_comm_alarm = maybe\n[modbus]\nport=70000\n"
      "enabled\n[mqtt]\nport=18x3\nsite=\n[other]\nport=1\n");
  EXPECT_EQ(odd, StationIni{});
}

TEST(StationIniTest, AMissingFileReadsAsDefaultsAndASavedOneIsFound) {
  const auto dir = std::filesystem::temp_directory_path() / ("ini_test_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const StationIniLoad missing = LoadStationIni(dir.string());
  EXPECT_FALSE(missing.found);
  EXPECT_TRUE(missing.error.empty());
  EXPECT_EQ(missing.ini, StationIni{});

  StationIni ini;
  ini.mqtt.host = "broker.local";
  EXPECT_EQ(SaveStationIni(dir.string(), ini), "");
  const StationIniLoad loaded = LoadStationIni(dir.string());
  EXPECT_TRUE(loaded.found);
  EXPECT_EQ(loaded.ini, ini);
  EXPECT_FALSE(std::filesystem::exists(dir / "windscope.ini.tmp"));
  EXPECT_NE(SaveStationIni((dir / "no" / "such").string(), ini), "");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ws
