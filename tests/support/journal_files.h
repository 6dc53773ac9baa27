// Event journals made up for tests, the benchmark and the gallery: Events.db
// written directly with the journal's schema, in one transaction, and a
// generator of a plausible mix of events.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/alarm_thresholds.h"
#include "core/event_journal.h"
#include "core/format_fixed.h"
#include "core/journal_schema.h"
#include "core/system_time.h"

namespace ws::test {

// Writes events 0..count-1 of `make` into dir/Events.db (created when missing).
inline bool WriteJournal(const std::string& dir, int64_t count,
                         const std::function<StationEvent(int64_t)>& make) {
  sqlite3* raw = nullptr;
  const std::string path = dir + "/" + kEventsFileName;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  SqliteDb db(raw);
  if (rc != SQLITE_OK) return false;
  if (sqlite3_exec(db.get(), "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(db.get(), kJournalSchema, nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return false;
  }
  SqliteStmt insert = Prepare(db.get(), kInsertEvent);
  if (!insert) return false;
  for (int64_t k = 0; k < count; ++k) {
    BindEventRow(insert.get(), make(k));
    if (sqlite3_step(insert.get()) != SQLITE_DONE) return false;
    sqlite3_reset(insert.get());
  }
  return sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

inline StationEvent MakeEvent(int64_t localSeconds, EventKind kind, int stack, int level,
                              double value, std::string text) {
  StationEvent e;
  e.local = FromCivilSeconds(localSeconds);
  e.utcMs = localSeconds * 1000;
  e.kind = kind;
  e.stack = stack;
  e.level = level;
  e.value = value;
  e.text = std::move(text);
  return e;
}

// Event k of a site of `stacks` stacks, one every `step` seconds from `start`:
// mostly alarms (raised, acknowledged, returned) and communication, now and
// then a dump, a configuration change or a station event, stacks in turn.
inline StationEvent SampleEvent(int64_t k, int stacks, int64_t start, int64_t step) {
  const int64_t t = start + k * step;
  const int stack = static_cast<int>(k % stacks);
  const int level = 1 + static_cast<int>((k / stacks) % 3);
  const double speed = level == kLevelAlarm ? 33.4 : level == kLevelStop ? 41.2 : 47.9;
  switch ((k / stacks) % 10) {
    case 0:
    case 3:
    case 6:
      return MakeEvent(t, EventKind::kAlarmRaised, stack, level, speed,
                       FormatC("Speed %.1f m/s reached the level", speed));
    case 1:
    case 7:
      return MakeEvent(t, EventKind::kAlarmAcknowledged, stack, level, 0.0, "Acknowledged by ACK");
    case 2:
    case 8:
      return MakeEvent(t, EventKind::kAlarmReturned, stack, level, 754.0,
                       "Returned to normal after 754 s");
    case 4: return MakeEvent(t, EventKind::kCommunicationLost, stack, 0, 2.0, "No answer for 2 s");
    case 5:
      return MakeEvent(t, EventKind::kCommunicationRestored, stack, 0, 42.0, "Replies again after 42 s");
    default:
      switch (k % 4) {
        case 0: return MakeEvent(t, EventKind::kDumpEnded, stack, 0, 0.0, "Day 2026-11-30: 288 blocks written, 0 failed");
        case 1: return MakeEvent(t, EventKind::kConfigurationChanged, -1, 0, 0.0, "Alarm level 30.0 -> 32.0, Stop level 40.0 -> 41.0");
        case 2: return MakeEvent(t, EventKind::kRecordingState, -1, 0, 0.0, "Recording resumed");
        default: return MakeEvent(t, EventKind::kStationStarted, -1, 0, 0.0, "Windscope 1.0 started");
      }
  }
}

}  // namespace ws::test
