#include "core/mqtt_payloads.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace ws::mqtt {
namespace {

// The length of the well-formed UTF-8 sequence at s[i], or 0.
size_t Utf8Length(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  size_t n = 0;
  if (c >= 0xc2 && c <= 0xdf) n = 2;
  else if (c >= 0xe0 && c <= 0xef) n = 3;
  else if (c >= 0xf0 && c <= 0xf4) n = 4;
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xc0) != 0x80) return 0;
  }
  // Overlong forms, surrogates and code points past U+10FFFF.
  if (c == 0xe0 && b(i + 1) < 0xa0) return 0;
  if (c == 0xed && b(i + 1) > 0x9f) return 0;
  if (c == 0xf0 && b(i + 1) < 0x90) return 0;
  if (c == 0xf4 && b(i + 1) > 0x8f) return 0;
  return n;
}

std::string Level(int level) {
  switch (level) {
    case 1: return "\"Alarm\"";
    case 2: return "\"Stop\"";
    case 3: return "\"Trip\"";
    case kLevelNoCommunication: return "\"No communication\"";
    default: return "null";
  }
}

}  // namespace

std::string TopicRoot(std::string_view site) {
  std::string name;
  for (const char ch : site) {
    const auto c = static_cast<unsigned char>(ch);
    name += (ch == '/' || ch == '+' || ch == '#' || c < 0x20 || c == 0x7f) ? '_' : ch;
  }
  if (name.empty()) name = "site";
  return "windscope/" + name + "/";
}

std::string StackTopic(int stack, std::string_view leaf) {
  return "stack/" + std::to_string(stack + 1) + "/" + std::string(leaf);
}

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
          if (c < 0x20 || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
          } else {
            out += static_cast<char>(c);
          }
      }
      ++i;
      continue;
    }
    const size_t n = Utf8Length(utf8, i);
    if (n == 0) {
      out += "\xef\xbf\xbd";
      ++i;
    } else {
      out.append(utf8.substr(i, n));
      i += n;
    }
  }
  out += '"';
  return out;
}

std::string JsonNumber(double value, int decimals) {
  if (!std::isfinite(value)) return "null";
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "null";
  std::string text(buf, end);
  // "-0.0" reads oddly on a dashboard.
  if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-') text.erase(0, 1);
  return text;
}

std::string IsoUtc(int64_t utcMs) {
  int64_t seconds = utcMs / 1000;
  int64_t ms = utcMs % 1000;
  if (ms < 0) {
    ms += 1000;
    --seconds;
  }
  const SystemTime t = FromCivilSeconds(seconds);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", t.year, t.month, t.day, t.hour, t.minute,
                t.second, static_cast<int>(ms));
  return buf;
}

std::string LocalText(const SystemTime& local) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", local.year, local.month, local.day, local.hour,
                local.minute, local.second);
  return buf;
}

const char* StateName(int tileState) {
  switch (tileState) {
    case 1: return "no-comm";
    case 2: return "normal";
    case 3: return "alarm";
    case 4: return "stop";
    case 5: return "trip";
    case 6: return "busy";
    default: return "unknown";
  }
}

const char* KindKey(EventKind kind) {
  switch (kind) {
    case EventKind::kStationStarted: return "station_started";
    case EventKind::kStationEnded: return "station_ended";
    case EventKind::kStationEndedUnexpectedly: return "station_ended_unexpectedly";
    case EventKind::kAlarmRaised: return "alarm_raised";
    case EventKind::kAlarmAcknowledged: return "alarm_acknowledged";
    case EventKind::kAlarmReturned: return "alarm_returned";
    case EventKind::kCommunicationLost: return "communication_lost";
    case EventKind::kCommunicationRestored: return "communication_restored";
    case EventKind::kDumpStarted: return "dump_started";
    case EventKind::kDumpEnded: return "dump_ended";
    case EventKind::kFillHoles: return "fill_holes";
    case EventKind::kFirmwareStarted: return "firmware_started";
    case EventKind::kFirmwareEnded: return "firmware_ended";
    case EventKind::kConfigurationChanged: return "configuration_changed";
    case EventKind::kRecordingState: return "recording";
    case EventKind::kTestSpeedMode: return "test_speed_mode";
    case EventKind::kMessagesDropped: return "messages_dropped";
  }
  return "event";
}

bool IsAlarmKind(EventKind kind) { return GroupOf(kind) == EventGroup::kAlarms; }

std::string StatusPayload(bool online, std::string_view version, int64_t utcMs) {
  std::string out = "{\"status\":";
  out += online ? "\"online\"" : "\"offline\"";
  out += ",\"version\":" + JsonString(version);
  if (utcMs >= 0) out += ",\"time\":\"" + IsoUtc(utcMs) + "\"";
  out += '}';
  return out;
}

std::string LivePayload(int64_t utcMs, const SystemTime& local, double direction, double speed, int tileState) {
  return "{\"time\":\"" + IsoUtc(utcMs) + "\",\"local\":\"" + LocalText(local) +
         "\",\"direction\":" + JsonNumber(direction, 1) + ",\"speed\":" + JsonNumber(speed, 1) +
         ",\"state\":" + std::to_string(tileState) + ",\"stateName\":\"" + StateName(tileState) + "\"}";
}

std::string StatePayload(int64_t utcMs, int tileState) {
  return "{\"time\":\"" + IsoUtc(utcMs) + "\",\"state\":" + std::to_string(tileState) + ",\"stateName\":\"" +
         StateName(tileState) + "\"}";
}

std::string AveragesPayload(int64_t utcMs, int step, const StackAverages& averages) {
  static constexpr const char* kPeriods[] = {"1m", "10m", "1h", "1d"};
  const auto group = [&](const auto& values) {
    std::string out = "{";
    for (size_t k = 0; k < values.size() && k < 4; ++k) {
      if (k > 0) out += ',';
      out += std::string("\"") + kPeriods[k] + "\":" + JsonNumber(values[k], 1);
    }
    return out + "}";
  };
  return "{\"time\":\"" + IsoUtc(utcMs) + "\",\"step\":" + std::to_string(step) + ",\"speed\":" +
         group(averages.speed) + ",\"direction\":" + group(averages.direction) +
         ",\"maximum\":" + JsonNumber(averages.maximum, 1) + ",\"maximumLocal\":\"" +
         LocalText(averages.maximumTime) + "\"}";
}

std::string EventPayload(int64_t seq, const StationEvent& event) {
  return "{\"seq\":" + std::to_string(seq) + ",\"time\":\"" + IsoUtc(event.utcMs) + "\",\"local\":\"" +
         LocalText(event.local) + "\",\"kind\":\"" + KindKey(event.kind) + "\",\"name\":" +
         JsonString(KindName(event.kind)) + ",\"stack\":" +
         (event.stack >= 0 ? std::to_string(event.stack + 1) : std::string("null")) +
         ",\"level\":" + Level(event.level) + ",\"value\":" + JsonNumber(event.value, 1) +
         ",\"text\":" + JsonString(event.text) + "}";
}

}  // namespace ws::mqtt
