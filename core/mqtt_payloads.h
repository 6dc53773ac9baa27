// The MQTT publisher's topics and JSON payloads, as plain text: numbers with a
// decimal point whatever the locale, texts escaped for JSON, times in UTC.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/station_event.h"
#include "core/statistics_cascade.h"
#include "core/system_time.h"

namespace ws::mqtt {

// "windscope/<site>/" with the characters MQTT gives a meaning ('/', '+', '#')
// and control characters of the site name replaced by '_'; an empty name reads "site".
std::string TopicRoot(std::string_view site);
// "stack/<n>/<leaf>" for a 0-based stack (the topic carries it 1-based).
std::string StackTopic(int stack, std::string_view leaf);

// A JSON string literal, quotes included. Bytes that do not form UTF-8 become U+FFFD.
std::string JsonString(std::string_view utf8);
// A JSON number with `decimals` places ("null" when it is not finite).
std::string JsonNumber(double value, int decimals);
// "2026-12-10T05:43:43.120Z".
std::string IsoUtc(int64_t utcMs);
// "2026-12-10 14:43:43".
std::string LocalText(const SystemTime& local);

// Tile state names: "no-comm", "normal", "alarm", "stop", "trip", "busy".
const char* StateName(int tileState);
// "alarm_raised", "communication_lost", ...
const char* KindKey(EventKind kind);
// Raised, acknowledged and returned-to-normal go to "alarm", the rest to "event".
bool IsAlarmKind(EventKind kind);

// utcMs < 0 leaves "time" out (the last will is made before any time is known).
std::string StatusPayload(bool online, std::string_view version, int64_t utcMs);
std::string LivePayload(int64_t utcMs, const SystemTime& local, double direction, double speed, int tileState);
std::string StatePayload(int64_t utcMs, int tileState);
std::string AveragesPayload(int64_t utcMs, int step, const StackAverages& averages);
std::string EventPayload(int64_t seq, const StationEvent& event);

}  // namespace ws::mqtt
