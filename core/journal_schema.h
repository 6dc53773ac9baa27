// The journal file's table and the SQLite plumbing its reader and writer share:
// owning handles, the row layout and its conversion to and from StationEvent.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>

#include "core/station_event.h"

namespace ws {

// Rows of the one table, oldest id first. local_s is CivilSeconds(local) (the
// span filter), local the same time as text "YYYY-MM-DD HH:MM:SS.mmm", grp the
// kind's EventGroup bit. stack is -1 for the station's own events. The first three
// indexes end in local_s (and the rowid SQLite appends), so that each filter
// reads its rows in the list's order, newest first, without sorting.
inline constexpr const char* kJournalSchema =
    "CREATE TABLE IF NOT EXISTS events("
    " id INTEGER PRIMARY KEY,"
    " utc_ms INTEGER NOT NULL,"
    " local_s INTEGER NOT NULL,"
    " local TEXT NOT NULL,"
    " kind INTEGER NOT NULL,"
    " grp INTEGER NOT NULL,"
    " stack INTEGER NOT NULL,"
    " level INTEGER NOT NULL,"
    " value REAL NOT NULL,"
    " text TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS events_by_time ON events(local_s);"
    "CREATE INDEX IF NOT EXISTS events_by_stack ON events(stack, local_s);"
    "CREATE INDEX IF NOT EXISTS events_by_group ON events(grp, local_s);"
    // Holds every column the span statistics read, so they never visit the rows.
    "CREATE INDEX IF NOT EXISTS events_by_kind ON events(kind, local_s, stack, level, value);";

// The columns every read selects, in ReadEventRow's order.
inline constexpr const char* kEventColumns =
    "id, utc_ms, local_s, local, kind, stack, level, value, text";

struct SqliteClose {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteFinalize {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using SqliteDb = std::unique_ptr<sqlite3, SqliteClose>;
using SqliteStmt = std::unique_ptr<sqlite3_stmt, SqliteFinalize>;

// A prepared statement, or null (the error is the connection's errmsg).
SqliteStmt Prepare(sqlite3* db, const std::string& sql);

// "YYYY-MM-DD HH:MM:SS.mmm".
std::string LocalTimeText(const SystemTime& local);

// Binds the event's columns (everything but id) to parameters 1..9 in
// schema order: utc_ms, local_s, local, kind, grp, stack, level, value, text.
void BindEventRow(sqlite3_stmt* stmt, const StationEvent& event);
inline constexpr const char* kInsertEvent =
    "INSERT INTO events(utc_ms, local_s, local, kind, grp, stack, level, value, text)"
    " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";

// Reads a row selected with kEventColumns.
struct StoredEvent;
StoredEvent ReadEventRow(sqlite3_stmt* stmt);

// "disk full", "locked", ... and SQLite's own words: one line.
std::string SqliteReason(sqlite3* db, int code);

}  // namespace ws
