#include "core/event_csv.h"

#include <gtest/gtest.h>

#include <clocale>

namespace ws {
namespace {

StoredEvent Stored(int64_t id, EventKind kind, int stack, int level, double value, std::string text) {
  StoredEvent s;
  s.id = id;
  s.event.local = FromCivilSeconds(1773144000 + 75);  // 2026-03-10 12:01:15
  s.event.local.milliseconds = 40;
  s.event.utcMs = (int64_t{1773144000} + 75 - 3600) * 1000 + 40;
  s.event.kind = kind;
  s.event.stack = stack;
  s.event.level = level;
  s.event.value = value;
  s.event.text = std::move(text);
  return s;
}

TEST(EventCsvTest, HeadingRowsAndQuotingFollowTheReportsConventions) {
  EventFilter filter;
  filter.stack = 11;
  filter.fromLocalSeconds = 1773144000;
  const std::vector<StoredEvent> events = {
      Stored(1, EventKind::kAlarmRaised, 11, 2, 23.75, "STACK #12: Stop at 23.8 m/s"),
      Stored(2, EventKind::kAlarmAcknowledged, -1, 0, 0.0, "ACK: \"STACK #12\" Stop, Alarm"),
  };
  EXPECT_EQ(EventCsv(events, filter),
            "EVENTS : STACK 12\r\n"
            "2026.03.10 12:00:00 ~ \r\n"
            "\r\n"
            "Time,UTC,Stack,Kind,Level,Value,Text,\r\n"
            "2026-03-10 12:01:15.040,2026-03-10T11:01:15.040Z,12,Alarm raised,2,23.8,STACK #12: Stop at 23.8 m/s,\r\n"
            "2026-03-10 12:01:15.040,2026-03-10T11:01:15.040Z,,Alarm acknowledged,,,"
            "\"ACK: \"\"STACK #12\"\" Stop, Alarm\",\r\n");
}

TEST(EventCsvTest, NumbersStayInTheCLocaleWhateverTheProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no German locale";
  std::string row;
  AppendEventCsvRow(Stored(1, EventKind::kCommunicationRestored, 0, 0, 12.5, "back"), row);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_NE(row.find(",12.5,"), std::string::npos) << row;
}

}  // namespace
}  // namespace ws
