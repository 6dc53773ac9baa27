#include "core/settings_diff.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/text_codec.h"

namespace ws {
namespace {

using Lines = std::vector<std::string>;

TEST(SettingsDiffTest, UnchangedRecordNamesNothing) {
  auto a = std::make_unique<Settings>();
  auto b = std::make_unique<Settings>(*a);
  b->statisticsSnapshot[0][0] = 12.0;  // not configuration
  b->gaugeSplitRatio = 0.5;
  EXPECT_TRUE(DiffSettings(*a, *b).empty());
  EXPECT_TRUE(DiffStationIni(StationIni{}, StationIni{}).empty());
}

TEST(SettingsDiffTest, EachChangedFieldWithItsOldAndNewValue) {
  auto a = std::make_unique<Settings>();
  auto b = std::make_unique<Settings>(*a);
  b->stacks[0].alarmSpeed = 32.5;
  b->stacks[0].tripSpeed = 50.0;
  b->stackCount = 3;
  b->signalLampEnabled = 1;
  b->signalLampAddress = *AddressFromText("10.0.0.9");
  b->stacks[2].loggerAddress = *AddressFromText("192.168.1.3");
  b->tripColour = 0x123456;
  ASSERT_TRUE(SetFieldUtf8(b->alarmSoundPath, "/srv/alarm.wav", 260));
  EXPECT_EQ(DiffSettings(*a, *b), (Lines{
                                      "Stacks: 1 \u2192 3",
                                      "Signal lamp: off \u2192 on",
                                      "Signal lamp address: 0.0.0.0 \u2192 10.0.0.9",
                                      "Alarm speed: 30.0 \u2192 32.5",
                                      "Trip speed: 45.0 \u2192 50.0",
                                      "Trip colour: 0x0000FF \u2192 0x123456",
                                      "Alarm sound: \"\" \u2192 \"/srv/alarm.wav\"",
                                      "Stack #3 address: 0.0.0.0 \u2192 192.168.1.3",
                                  }));
}

TEST(SettingsDiffTest, TitlesAreReadFromTheRecordsEncoding) {
  auto a = std::make_unique<Settings>();
  auto b = std::make_unique<Settings>(*a);
  // The record holds CP949: the journal names the title in UTF-8.
  const std::string cp949 = Utf8ToCp949("\xEB\xB0\x94\xEB\x9E\x8C 1");  // "바람 1"
  ASSERT_TRUE(SetFieldBytes(b->stacks[0].title, cp949, 80));
  EXPECT_EQ(DiffSettings(*a, *b), Lines{"Stack #1 title: \"STACK #1\" \u2192 \"\xEB\xB0\x94\xEB\x9E\x8C 1\""});
}

TEST(SettingsDiffTest, StationIniNamesThePasswordWithoutItsValue) {
  StationIni a;
  StationIni b;
  b.noComm.alarm = false;
  b.noComm.delaySeconds = 30;
  b.mqtt.password = "secret";
  const Lines lines = DiffStationIni(a, b);
  EXPECT_EQ(lines, (Lines{"NO COMM alarm: on \u2192 off", "NO COMM delay (s): 10 \u2192 30", "MQTT password: changed"}));
}

TEST(SettingsDiffTest, JoinLeavesOutWhatWouldMakeTheTextTooLong) {
  EXPECT_EQ(JoinChanges({"a: 1 \u2192 2", "b: x \u2192 y"}), "a: 1 \u2192 2; b: x \u2192 y");
  const Lines many(100, std::string(30, 'x'));
  const std::string text = JoinChanges(many, 100);
  EXPECT_LE(text.size(), 100u + 20u);
  EXPECT_NE(text.find("(97 more)"), std::string::npos);
}

}  // namespace
}  // namespace ws
