#include "core/journal_schema.h"

#include <cstdio>
#include <string_view>

#include "core/event_journal.h"

namespace ws {

SqliteStmt Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return SqliteStmt(stmt);
}

std::string LocalTimeText(const SystemTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.milliseconds);
  return text;
}

void BindEventRow(sqlite3_stmt* stmt, const StationEvent& event) {
  const std::string local = LocalTimeText(event.local);
  sqlite3_bind_int64(stmt, 1, event.utcMs);
  sqlite3_bind_int64(stmt, 2, CivilSeconds(event.local));
  sqlite3_bind_text(stmt, 3, local.data(), static_cast<int>(local.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int(stmt, 4, static_cast<int>(event.kind));
  sqlite3_bind_int(stmt, 5, static_cast<int>(GroupOf(event.kind)));
  sqlite3_bind_int(stmt, 6, event.stack);
  sqlite3_bind_int(stmt, 7, event.level);
  sqlite3_bind_double(stmt, 8, event.value);
  sqlite3_bind_text(stmt, 9, event.text.data(), static_cast<int>(event.text.size()), SQLITE_TRANSIENT);
}

StoredEvent ReadEventRow(sqlite3_stmt* stmt) {
  StoredEvent stored;
  stored.id = sqlite3_column_int64(stmt, 0);
  StationEvent& e = stored.event;
  e.utcMs = sqlite3_column_int64(stmt, 1);
  e.local = FromCivilSeconds(sqlite3_column_int64(stmt, 2));
  // The milliseconds live only in the text's last three digits.
  const unsigned char* local = sqlite3_column_text(stmt, 3);
  const int localBytes = sqlite3_column_bytes(stmt, 3);
  if (local != nullptr && localBytes >= 23) {
    int ms = 0;
    for (int i = 20; i < 23; ++i) {
      const int digit = local[i] - '0';
      if (digit < 0 || digit > 9) {
        ms = 0;
        break;
      }
      ms = ms * 10 + digit;
    }
    e.local.milliseconds = static_cast<uint16_t>(ms);
  }
  e.kind = static_cast<EventKind>(sqlite3_column_int(stmt, 4));
  e.stack = sqlite3_column_int(stmt, 5);
  e.level = sqlite3_column_int(stmt, 6);
  e.value = sqlite3_column_double(stmt, 7);
  const unsigned char* text = sqlite3_column_text(stmt, 8);
  if (text != nullptr)
    e.text.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(stmt, 8)));
  return stored;
}

std::string SqliteReason(sqlite3* db, int code) {
  std::string reason;
  switch (code & 0xff) {
    case SQLITE_FULL: reason = "disk full"; break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: reason = "locked by another program"; break;
    case SQLITE_READONLY: reason = "read-only"; break;
    case SQLITE_CANTOPEN: reason = "cannot open the file"; break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: reason = "damaged"; break;
    case SQLITE_IOERR: reason = "input/output error"; break;
    case SQLITE_PERM: reason = "permission denied"; break;
    default: reason = sqlite3_errstr(code); break;
  }
  if (db != nullptr) {
    const char* message = sqlite3_errmsg(db);
    // SQLite's own words, when they say more than the code's generic text.
    if (message != nullptr && *message != '\0' && reason != message &&
        std::string_view(message) != sqlite3_errstr(code)) {
      reason += ": ";
      reason += message;
    }
  }
  return reason;
}

}  // namespace ws
