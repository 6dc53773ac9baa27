// EventReader over SQLite: a read-only connection; every call is one read
// transaction of its own, so rows the writer commits meanwhile show at the next.
#include <sys/stat.h>

#include <algorithm>
#include <bit>

#include "core/event_journal.h"
#include "core/journal_schema.h"

namespace ws {
namespace {

// The WHERE clause of a filter and the values it binds, in order.
struct FilterSql {
  std::string where;
  std::vector<int64_t> values;
};

FilterSql WhereOf(const EventFilter& f, const char* extra = nullptr) {
  FilterSql sql;
  std::vector<std::string> terms;
  if (f.fromLocalSeconds != std::numeric_limits<int64_t>::min()) {
    terms.push_back("local_s >= ?");
    sql.values.push_back(f.fromLocalSeconds);
  }
  if (f.toLocalSeconds != std::numeric_limits<int64_t>::max()) {
    terms.push_back("local_s < ?");
    sql.values.push_back(f.toLocalSeconds);
  }
  if (f.stack >= 0) {
    terms.push_back("stack = ?");
    sql.values.push_back(f.stack);
  }
  const uint32_t groups = f.groups & kAllEventGroups;
  if (groups != kAllEventGroups) {
    if (groups == 0) {
      terms.push_back("0");
    } else if (std::popcount(groups) == 1) {
      terms.push_back("grp = ?");
      sql.values.push_back(groups);
    } else {
      std::string in = "grp IN (";
      for (uint32_t bit = 1; bit <= groups; bit <<= 1) {
        if ((groups & bit) == 0) continue;
        if (in.back() != '(') in += ", ";
        in += std::to_string(bit);
      }
      terms.push_back(in + ")");
    }
  }
  if (extra != nullptr) terms.emplace_back(extra);
  for (size_t i = 0; i < terms.size(); ++i) {
    sql.where += i == 0 ? " WHERE " : " AND ";
    sql.where += terms[i];
  }
  return sql;
}

// Binds the filter's values from parameter 1 on; returns the next free index.
int BindFilter(sqlite3_stmt* stmt, const FilterSql& sql) {
  int index = 1;
  for (int64_t value : sql.values) sqlite3_bind_int64(stmt, index++, value);
  return index;
}

class SqliteEventReader final : public EventReader {
 public:
  explicit SqliteEventReader(SqliteDb db) : m_Db(std::move(db)) {}

  int64_t Count(const EventFilter& filter) override {
    const FilterSql sql = WhereOf(filter);
    SqliteStmt stmt = Prepare(m_Db.get(), "SELECT count(*) FROM events" + sql.where);
    if (!stmt) return 0;
    BindFilter(stmt.get(), sql);
    return sqlite3_step(stmt.get()) == SQLITE_ROW ? sqlite3_column_int64(stmt.get(), 0) : 0;
  }

  std::vector<StoredEvent> Page(const EventFilter& filter, int64_t offset, int limit) override {
    std::vector<StoredEvent> events;
    if (limit <= 0 || offset < 0) return events;
    const FilterSql sql = WhereOf(filter);
    SqliteStmt stmt = Prepare(m_Db.get(), std::string("SELECT ") + kEventColumns + " FROM events" +
                                              sql.where +
                                              " ORDER BY local_s DESC, id DESC LIMIT ? OFFSET ?");
    if (!stmt) return events;
    const int next = BindFilter(stmt.get(), sql);
    sqlite3_bind_int(stmt.get(), next, limit);
    sqlite3_bind_int64(stmt.get(), next + 1, offset);
    events.reserve(static_cast<size_t>(limit));
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) events.push_back(ReadEventRow(stmt.get()));
    return events;
  }

  std::vector<StoredEvent> All(const EventFilter& filter) override {
    std::vector<StoredEvent> events;
    const FilterSql sql = WhereOf(filter);
    SqliteStmt stmt = Prepare(m_Db.get(), std::string("SELECT ") + kEventColumns + " FROM events" +
                                              sql.where + " ORDER BY local_s, id");
    if (!stmt) return events;
    BindFilter(stmt.get(), sql);
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) events.push_back(ReadEventRow(stmt.get()));
    return events;
  }

  JournalSpanStats Stats(const EventFilter& span) override {
    JournalSpanStats stats;
    EventFilter f = span;
    f.groups = kAllEventGroups;
    {
      const FilterSql sql = WhereOf(f, "grp = 1 AND kind = 10");
      SqliteStmt stmt =
          Prepare(m_Db.get(), "SELECT level, count(*) FROM events" + sql.where + " GROUP BY level");
      if (stmt) {
        BindFilter(stmt.get(), sql);
        while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
          const int level = sqlite3_column_int(stmt.get(), 0);
          if (level >= 1 && level < static_cast<int>(stats.raises.size()))
            stats.raises[static_cast<size_t>(level)] = sqlite3_column_int64(stmt.get(), 1);
        }
      }
    }
    {
      // SQLite takes the bare column `stack` from the row holding the max.
      const FilterSql sql = WhereOf(f, "grp = 2 AND kind = 21");
      SqliteStmt stmt = Prepare(m_Db.get(), "SELECT stack, max(value) FROM events" + sql.where);
      if (stmt) {
        BindFilter(stmt.get(), sql);
        if (sqlite3_step(stmt.get()) == SQLITE_ROW && sqlite3_column_type(stmt.get(), 1) != SQLITE_NULL) {
          stats.longestLossStack = sqlite3_column_int(stmt.get(), 0);
          stats.longestLossSeconds = sqlite3_column_double(stmt.get(), 1);
        }
      }
    }
    {
      // A stack whose last communication event in the span is a loss was
      // still without its link at the span's end.
      const FilterSql sql = WhereOf(f, "grp = 2");
      SqliteStmt stmt = Prepare(m_Db.get(), "SELECT stack, kind, local_s, max(id) FROM events" +
                                                sql.where + " GROUP BY stack");
      if (stmt) {
        BindFilter(stmt.get(), sql);
        const int64_t end = std::min(span.toLocalSeconds, CivilSeconds(LocalNow()));
        while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
          if (sqlite3_column_int(stmt.get(), 1) != static_cast<int>(EventKind::kCommunicationLost)) continue;
          const double open = static_cast<double>(end - sqlite3_column_int64(stmt.get(), 2));
          if (open > stats.longestLossSeconds) {
            stats.longestLossSeconds = open;
            stats.longestLossStack = sqlite3_column_int(stmt.get(), 0);
            stats.longestLossOpen = true;
          }
        }
      }
    }
    return stats;
  }

 private:
  SqliteDb m_Db;
};

}  // namespace

std::unique_ptr<EventReader> EventReader::Open(const std::string& dir, std::string* error) {
  const std::string path = dir + "/" + kEventsFileName;
  auto fail = [&](const std::string& why) -> std::unique_ptr<EventReader> {
    if (error != nullptr) *error = path + ": " + why;
    return nullptr;
  };
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return fail("no event journal yet");
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  SqliteDb db(raw);
  if (rc != SQLITE_OK) return fail(SqliteReason(db.get(), rc));
  sqlite3_busy_timeout(db.get(), 2000);
  // Reading the schema is the first touch of the file: a damaged one or one
  // of another kind fails here.
  SqliteStmt probe = Prepare(db.get(), "SELECT id FROM events LIMIT 0");
  if (!probe) return fail(SqliteReason(db.get(), sqlite3_errcode(db.get())));
  return std::make_unique<SqliteEventReader>(std::move(db));
}

}  // namespace ws
