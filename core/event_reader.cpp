// EventReader over SQLite: a read-only connection; every call is one read
// transaction of its own, so rows the writer commits meanwhile show at the next.
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <map>

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
    ReadTransaction read(m_Db.get());
    Sync(filter);
    if (m_List.count >= 0) return m_List.count;
    const FilterSql sql = WhereOf(filter);
    SqliteStmt stmt = Prepare(m_Db.get(), "SELECT count(*) FROM events" + sql.where);
    if (!stmt) return 0;
    BindFilter(stmt.get(), sql);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW) return 0;
    m_List.count = sqlite3_column_int64(stmt.get(), 0);
    return m_List.count;
  }

  // SQLite reaches a position only by stepping over the rows before it, so a
  // page is read from the nearest known place: the top, a row of an earlier
  // page (scrolling), or the bottom when the count is known (the last pages,
  // read oldest first and turned round).
  std::vector<StoredEvent> Page(const EventFilter& filter, int64_t offset, int limit) override {
    std::vector<StoredEvent> events;
    if (limit <= 0 || offset < 0) return events;
    ReadTransaction read(m_Db.get());
    Sync(filter);
    int64_t fromTop = offset;
    const Key* anchor = nullptr;
    auto it = m_List.anchors.upper_bound(offset);
    if (it != m_List.anchors.begin()) {
      --it;
      if (offset - it->first < fromTop) {
        fromTop = offset - it->first;
        anchor = &it->second;
      }
    }
    if (m_List.count >= 0) {
      const int64_t end = std::min(offset + limit, m_List.count);
      if (end <= offset) return events;
      if (m_List.count - end < fromTop) {
        events = Read(filter, nullptr, m_List.count - end, static_cast<int>(end - offset), false);
        std::reverse(events.begin(), events.end());
      }
    }
    if (events.empty()) events = Read(filter, anchor, fromTop, limit, true);
    if (!events.empty()) {
      if (m_List.anchors.size() > kMaxAnchors) m_List.anchors.clear();
      m_List.anchors[offset] = KeyOf(events.front());
      m_List.anchors[offset + static_cast<int64_t>(events.size()) - 1] = KeyOf(events.back());
    }
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
      const FilterSql sql = WhereOf(f, "kind = 10");
      SqliteStmt stmt = Prepare(m_Db.get(),
                                "SELECT sum(level = 1), sum(level = 2), sum(level = 3), sum(level = 4)"
                                " FROM events" + sql.where);
      if (stmt) {
        BindFilter(stmt.get(), sql);
        if (sqlite3_step(stmt.get()) == SQLITE_ROW) {
          for (int level = 1; level <= kLevelNoCommunication; ++level)
            stats.raises[static_cast<size_t>(level)] = sqlite3_column_int64(stmt.get(), level - 1);
        }
      }
    }
    {
      // SQLite takes the bare column `stack` from the row holding the max.
      const FilterSql sql = WhereOf(f, "kind = 21");
      SqliteStmt stmt = Prepare(m_Db.get(), "SELECT stack, max(value) FROM events" + sql.where);
      if (stmt) {
        BindFilter(stmt.get(), sql);
        if (sqlite3_step(stmt.get()) == SQLITE_ROW && sqlite3_column_type(stmt.get(), 1) != SQLITE_NULL) {
          stats.longestLossStack = sqlite3_column_int(stmt.get(), 0);
          stats.longestLossSeconds = sqlite3_column_double(stmt.get(), 1);
        }
      }
    }
    // A stack whose last loss in the span came after its last restore was
    // still without its link at the span's end.
    const std::map<int, int64_t> lost = LastPerStack(f, EventKind::kCommunicationLost);
    if (!lost.empty()) {
      const std::map<int, int64_t> restored = LastPerStack(f, EventKind::kCommunicationRestored);
      const int64_t end = std::min(span.toLocalSeconds, CivilSeconds(LocalNow()));
      for (const auto& [stack, at] : lost) {
        const auto r = restored.find(stack);
        if (r != restored.end() && r->second >= at) continue;
        const double open = static_cast<double>(end - at);
        if (open > stats.longestLossSeconds) {
          stats.longestLossSeconds = open;
          stats.longestLossStack = stack;
          stats.longestLossOpen = true;
        }
      }
    }
    return stats;
  }

 private:
  // A row's place in the list: newest first by local second, then by id.
  struct Key {
    int64_t localSeconds = 0;
    int64_t id = 0;
  };
  static Key KeyOf(const StoredEvent& e) { return {CivilSeconds(e.event.local), e.id}; }
  static constexpr size_t kMaxAnchors = 4096;

  // The list the last calls read: its filter, the highest id when they read
  // it (a new event moves every position), its count once known and the keys
  // of rows at known positions.
  struct ListCache {
    bool valid = false;
    EventFilter filter;
    int64_t maxId = -1;
    int64_t count = -1;
    std::map<int64_t, Key> anchors;
  };

  // Both calls of a page see one state of the file.
  class ReadTransaction {
   public:
    explicit ReadTransaction(sqlite3* db) : m_Db(db) { sqlite3_exec(m_Db, "BEGIN", nullptr, nullptr, nullptr); }
    ~ReadTransaction() { sqlite3_exec(m_Db, "COMMIT", nullptr, nullptr, nullptr); }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

   private:
    sqlite3* m_Db;
  };

  // Forgets the cached list when the filter or the file changed.
  void Sync(const EventFilter& f) {
    int64_t maxId = 0;
    SqliteStmt stmt = Prepare(m_Db.get(), "SELECT max(id) FROM events");
    if (stmt && sqlite3_step(stmt.get()) == SQLITE_ROW) maxId = sqlite3_column_int64(stmt.get(), 0);
    const EventFilter& c = m_List.filter;
    const bool same = m_List.valid && m_List.maxId == maxId && c.fromLocalSeconds == f.fromLocalSeconds &&
                      c.toLocalSeconds == f.toLocalSeconds && c.stack == f.stack && c.groups == f.groups;
    if (same) return;
    m_List = ListCache{};
    m_List.valid = true;
    m_List.filter = f;
    m_List.maxId = maxId;
  }

  // `limit` rows after skipping `skip`: newest first from the top, or from
  // the anchor's row on (inclusive); or oldest first from the bottom.
  std::vector<StoredEvent> Read(const EventFilter& f, const Key* anchor, int64_t skip, int limit,
                                bool newestFirst) {
    std::vector<StoredEvent> events;
    const FilterSql sql =
        WhereOf(f, anchor != nullptr ? "local_s <= ? AND NOT (local_s = ? AND id > ?)" : nullptr);
    SqliteStmt stmt = Prepare(m_Db.get(), std::string("SELECT ") + kEventColumns + " FROM events" + sql.where +
                                              (newestFirst ? " ORDER BY local_s DESC, id DESC"
                                                           : " ORDER BY local_s, id") +
                                              " LIMIT ? OFFSET ?");
    if (!stmt) return events;
    int next = BindFilter(stmt.get(), sql);
    if (anchor != nullptr) {
      sqlite3_bind_int64(stmt.get(), next++, anchor->localSeconds);
      sqlite3_bind_int64(stmt.get(), next++, anchor->localSeconds);
      sqlite3_bind_int64(stmt.get(), next++, anchor->id);
    }
    sqlite3_bind_int(stmt.get(), next++, limit);
    sqlite3_bind_int64(stmt.get(), next, skip);
    events.reserve(static_cast<size_t>(limit));
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) events.push_back(ReadEventRow(stmt.get()));
    return events;
  }

  // Per stack, the local second of the last event of `kind` in the filter.
  std::map<int, int64_t> LastPerStack(const EventFilter& f, EventKind kind) {
    std::map<int, int64_t> last;
    const std::string term = "kind = " + std::to_string(static_cast<int>(kind));
    const FilterSql sql = WhereOf(f, term.c_str());
    SqliteStmt stmt =
        Prepare(m_Db.get(), "SELECT stack, max(local_s) FROM events" + sql.where + " GROUP BY stack");
    if (!stmt) return last;
    BindFilter(stmt.get(), sql);
    while (sqlite3_step(stmt.get()) == SQLITE_ROW)
      last[sqlite3_column_int(stmt.get(), 0)] = sqlite3_column_int64(stmt.get(), 1);
    return last;
  }

  SqliteDb m_Db;
  ListCache m_List;
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
