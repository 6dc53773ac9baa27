// The MQTT payloads: valid JSON whatever the text, numbers with a decimal point
// whatever the locale, stacks 1-based, alarm kinds apart from the rest.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "core/mqtt_payloads.h"

namespace ws::mqtt {
namespace {

TEST(MqttPayloadsTest, TextIsEscapedAndBrokenUtf8Replaced) {
  EXPECT_EQ(JsonString("plain"), "\"plain\"");
  EXPECT_EQ(JsonString("a\"b\\c\nd\te\x01"), "\"a\\\"b\\\\c\\nd\\te\\u0001\"");
  // Korean text passes as it is; a lone continuation byte, a cut sequence, an
  // overlong form and a surrogate do not.
  EXPECT_EQ(JsonString("\xed\x92\x8d\xec\x86\x8d"), "\"\xed\x92\x8d\xec\x86\x8d\"");
  EXPECT_EQ(JsonString("a\x80z"), "\"a\xef\xbf\xbdz\"");
  EXPECT_EQ(JsonString("a\xe2\x82"), "\"a\xef\xbf\xbd\xef\xbf\xbd\"");
  EXPECT_EQ(JsonString("\xc0\xaf"), "\"\xef\xbf\xbd\xef\xbf\xbd\"");
  EXPECT_EQ(JsonString("\xed\xa0\x80"), "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\"");
}

TEST(MqttPayloadsTest, NumbersUseAPointInAnyLocaleAndNullWhenNotFinite) {
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(JsonNumber(12.345, 1), "12.3");
  EXPECT_EQ(JsonNumber(-0.04, 1), "0.0");
  EXPECT_EQ(JsonNumber(std::numeric_limits<double>::quiet_NaN(), 1), "null");
  EXPECT_EQ(JsonNumber(INFINITY, 1), "null");
  if (german != nullptr) std::setlocale(LC_NUMERIC, "C");
}

TEST(MqttPayloadsTest, TopicsAndTimes) {
  EXPECT_EQ(TopicRoot("north-pier"), "windscope/north-pier/");
  EXPECT_EQ(TopicRoot("a/b+c#"), "windscope/a_b_c_/");
  EXPECT_EQ(TopicRoot(""), "windscope/site/");
  EXPECT_EQ(StackTopic(0, "live"), "stack/1/live");
  EXPECT_EQ(StackTopic(99, "state"), "stack/100/state");
  EXPECT_EQ(IsoUtc(1765345423120), "2025-12-10T05:43:43.120Z");
  EXPECT_EQ(IsoUtc(0), "1970-01-01T00:00:00.000Z");
}

TEST(MqttPayloadsTest, PayloadsAsDocumented) {
  SystemTime local{2026, 12, 4, 10, 14, 43, 44, 3};
  EXPECT_EQ(LivePayload(1796881424003, local, 271.54, 12.3, 2),
            "{\"time\":\"2026-12-10T05:43:44.003Z\",\"local\":\"2026-12-10 14:43:44\",\"direction\":271.5,"
            "\"speed\":12.3,\"state\":2,\"stateName\":\"normal\"}");
  EXPECT_EQ(StatusPayload(false, "1.0.0", -1), "{\"status\":\"offline\",\"version\":\"1.0.0\"}");
  EXPECT_EQ(StatePayload(1796881424003, 5), "{\"time\":\"2026-12-10T05:43:44.003Z\",\"state\":5,\"stateName\":\"trip\"}");

  StationEvent event;
  event.local = local;
  event.utcMs = 1796881424003;
  event.kind = EventKind::kAlarmRaised;
  event.stack = 2;
  event.level = 1;
  event.value = 12.34;
  event.text = "STACK #3 \"gust\"";
  EXPECT_EQ(EventPayload(17, event),
            "{\"seq\":17,\"time\":\"2026-12-10T05:43:44.003Z\",\"local\":\"2026-12-10 14:43:44\",\"kind\":"
            "\"alarm_raised\",\"name\":\"Alarm raised\",\"stack\":3,\"level\":\"Alarm\",\"value\":12.3,"
            "\"text\":\"STACK #3 \\\"gust\\\"\"}");
  event.kind = EventKind::kConfigurationChanged;
  event.stack = -1;
  event.level = 0;
  const std::string station = EventPayload(18, event);
  EXPECT_NE(station.find("\"stack\":null,\"level\":null"), std::string::npos) << station;

  StackAverages averages;
  averages.speed = {11.84, 10.2, 9.7, 7.4};
  averages.direction = {268.0, 265.3, 259.9, 240.1};
  averages.maximum = 18.4f;
  averages.maximumTime = SystemTime{2026, 12, 4, 10, 11, 2, 17, 0};
  EXPECT_EQ(AveragesPayload(1796881440000, 1, averages),
            "{\"time\":\"2026-12-10T05:44:00.000Z\",\"step\":1,\"speed\":{\"1m\":11.8,\"10m\":10.2,\"1h\":9.7,"
            "\"1d\":7.4},\"direction\":{\"1m\":268.0,\"10m\":265.3,\"1h\":259.9,\"1d\":240.1},\"maximum\":18.4,"
            "\"maximumLocal\":\"2026-12-10 11:02:17\"}");
}

TEST(MqttPayloadsTest, AlarmKindsGoApart) {
  EXPECT_TRUE(IsAlarmKind(EventKind::kAlarmRaised));
  EXPECT_TRUE(IsAlarmKind(EventKind::kAlarmAcknowledged));
  EXPECT_TRUE(IsAlarmKind(EventKind::kAlarmReturned));
  EXPECT_FALSE(IsAlarmKind(EventKind::kCommunicationLost));
  EXPECT_FALSE(IsAlarmKind(EventKind::kMessagesDropped));
  EXPECT_STREQ(KindKey(EventKind::kCommunicationRestored), "communication_restored");
}

}  // namespace
}  // namespace ws::mqtt
