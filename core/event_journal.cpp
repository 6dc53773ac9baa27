// EventJournal: the queue the station fills and the thread that empties it
// into Events.db. Only the writer thread touches the file after Open.
#include "core/event_journal.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>

#include "core/journal_schema.h"

namespace ws {
namespace {

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool IsDamaged(int code) {
  const int primary = code & 0xff;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

// One read-write connection to the file, set up for the journal.
class EventJournal::Store {
 public:
  // SQLITE_OK and a store, or the failing code and why.
  static int Open(const std::string& path, std::unique_ptr<Store>* out, std::string* why) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    SqliteDb db(raw);
    if (rc == SQLITE_OK) {
      sqlite3_busy_timeout(db.get(), 1000);
      // The journal mode is the first statement to read the file: a damaged
      // one or one of another kind fails here.
      rc = sqlite3_exec(db.get(), "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    }
    // With WAL a commit is durable against a killed process without waiting for
    // the disk; only a power loss can take the last commits.
    if (rc == SQLITE_OK) rc = sqlite3_exec(db.get(), "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db.get(), kJournalSchema, nullptr, nullptr, nullptr);
    SqliteStmt insert;
    if (rc == SQLITE_OK) {
      insert = Prepare(db.get(), kInsertEvent);
      if (!insert) rc = sqlite3_errcode(db.get());
    }
    if (rc != SQLITE_OK) {
      *why = SqliteReason(db.get(), rc);
      return rc;
    }
    out->reset(new Store(std::move(db), std::move(insert)));
    return SQLITE_OK;
  }

  // Stores the events in one transaction; SQLITE_OK or the failing code.
  int Insert(const std::deque<StationEvent>& events, std::string* why) {
    int rc = sqlite3_exec(m_Db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (auto it = events.begin(); rc == SQLITE_OK && it != events.end(); ++it) {
      BindEventRow(m_Insert.get(), *it);
      rc = sqlite3_step(m_Insert.get());
      if (rc == SQLITE_DONE) rc = SQLITE_OK;
      sqlite3_reset(m_Insert.get());
    }
    if (rc == SQLITE_OK) rc = sqlite3_exec(m_Db.get(), "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      *why = SqliteReason(m_Db.get(), rc);
      sqlite3_exec(m_Db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    return rc;
  }

  // The event with the highest id; false when the file holds none.
  bool Last(StoredEvent* last) {
    SqliteStmt stmt =
        Prepare(m_Db.get(), std::string("SELECT ") + kEventColumns + " FROM events ORDER BY id DESC LIMIT 1");
    if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW) return false;
    *last = ReadEventRow(stmt.get());
    return true;
  }

 private:
  Store(SqliteDb db, SqliteStmt insert) : m_Db(std::move(db)), m_Insert(std::move(insert)) {}

  SqliteDb m_Db;
  SqliteStmt m_Insert;
};

EventJournal::EventJournal() = default;

EventJournal::~EventJournal() { Close(); }

bool EventJournal::Open(const std::string& dir) {
  if (m_Thread.joinable()) return m_Store != nullptr;
  m_Dir = dir;
  m_Path = dir + "/" + kEventsFileName;
  OpenStore();
  const bool opened = m_Store != nullptr;
  if (!opened) m_NextRetryMs = SteadyMs() + kRetryMs;
  m_Thread = std::thread([this] { Run(); });
  return opened;
}

void EventJournal::Close() {
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Thread.joinable()) return;
    m_Stop = true;
  }
  m_Wake.notify_all();
  m_Thread.join();
  m_Store.reset();
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Status.dropped += static_cast<int64_t>(m_Queue.size());
  m_Done += m_Queue.size();
  m_Queue.clear();
  m_Committed.notify_all();
}

void EventJournal::Record(const StationEvent& event) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Queue.push_back(event);
  ++m_Recorded;
  if (m_Queue.size() > kMaxPending) {
    m_Queue.pop_front();
    ++m_Status.dropped;
    ++m_Done;
  }
}

JournalStatus EventJournal::Status() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  JournalStatus status = m_Status;
  status.pending = static_cast<int64_t>(m_Queue.size());
  return status;
}

void EventJournal::Flush() {
  std::unique_lock<std::mutex> lock(m_Mutex);
  if (!m_Thread.joinable() || m_Stop) return;
  const uint64_t target = m_Recorded;
  const uint64_t passes = m_Attempts;
  m_FlushRequested = true;
  m_Wake.notify_all();
  // Two finished passes: the second one began after the request.
  m_Committed.wait_for(lock, std::chrono::seconds(30),
                       [&] { return m_Done >= target || m_Attempts >= passes + 2 || m_Stop; });
}

void EventJournal::Run() {
  std::unique_lock<std::mutex> lock(m_Mutex);
  while (!m_Stop) {
    m_Wake.wait_for(lock, std::chrono::milliseconds(kCommitMs), [&] { return m_Stop || m_FlushRequested; });
    if (m_Stop) break;
    const bool flush = m_FlushRequested;
    m_FlushRequested = false;
    lock.unlock();
    WriteQueued(flush);
    lock.lock();
  }
  lock.unlock();
  WriteQueued(true);
}

void EventJournal::WriteQueued(bool now) {
  if (!m_Store && (now || SteadyMs() >= m_NextRetryMs)) {
    OpenStore();
    if (!m_Store) m_NextRetryMs = SteadyMs() + kRetryMs;
  }
  if (m_Store) {
    std::deque<StationEvent> batch;
    {
      std::lock_guard<std::mutex> lock(m_Mutex);
      batch.swap(m_Queue);
    }
    std::string why;
    const int rc = batch.empty() ? SQLITE_OK : m_Store->Insert(batch, &why);
    if (rc == SQLITE_OK) {
      std::lock_guard<std::mutex> lock(m_Mutex);
      m_Done += batch.size();
      SetOkLocked();
    } else {
      m_Store.reset();
      {
        // Back in front of what came meanwhile, within the bound.
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Queue.insert(m_Queue.begin(), batch.begin(), batch.end());
        while (m_Queue.size() > kMaxPending) {
          m_Queue.pop_front();
          ++m_Status.dropped;
          ++m_Done;
        }
      }
      if (IsDamaged(rc)) {
        // A fresh file at once, at the next pass.
        if (SetAside()) m_NextRetryMs = 0;
      } else {
        SetFailing(why);
        m_NextRetryMs = SteadyMs() + kRetryMs;
      }
    }
  }
  std::lock_guard<std::mutex> lock(m_Mutex);
  ++m_Attempts;
  m_Committed.notify_all();
}

void EventJournal::OpenStore() {
  std::string why;
  int rc = Store::Open(m_Path, &m_Store, &why);
  if (IsDamaged(rc) && SetAside()) rc = Store::Open(m_Path, &m_Store, &why);
  if (rc != SQLITE_OK) {
    m_Store.reset();
    SetFailing(why);
    return;
  }
  if (m_CheckedEnd) return;
  m_CheckedEnd = true;
  StoredEvent last;
  if (!m_Store->Last(&last)) return;
  const EventKind kind = last.event.kind;
  if (kind == EventKind::kStationEnded || kind == EventKind::kStationEndedUnexpectedly) return;
  // Stamped with the last event's time: the run ended at some moment after it.
  StationEvent ended;
  ended.local = last.event.local;
  ended.utcMs = last.event.utcMs;
  ended.kind = EventKind::kStationEndedUnexpectedly;
  ended.text = "No end event; the last event was at " + LocalTimeText(last.event.local).substr(0, 19);
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Queue.push_front(std::move(ended));
  ++m_Recorded;
}

bool EventJournal::SetAside() {
  m_Store.reset();
  const SystemTime now = LocalNow();
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day,
                now.hour, now.minute, now.second);
  std::string base = m_Dir + "/Events.corrupt-" + stamp;
  std::string name = base + ".db";
  for (int n = 2; Exists(name) && n < 1000; ++n) name = base + "-" + std::to_string(n) + ".db";
  if (std::rename(m_Path.c_str(), name.c_str()) != 0) {
    SetFailing("damaged, and it cannot be renamed aside");
    return false;
  }
  for (const char* suffix : {"-wal", "-shm"}) {
    const std::string from = m_Path + suffix;
    if (Exists(from)) std::rename(from.c_str(), (name + suffix).c_str());
  }
  std::lock_guard<std::mutex> lock(m_Mutex);
  ++m_Status.setAside;
  m_Status.lastSetAside = name.substr(name.find_last_of('/') + 1);
  ++m_Status.changes;
  return true;
}

void EventJournal::SetOkLocked() {
  if (m_Status.state == JournalStatus::State::kOk) return;
  m_Status.state = JournalStatus::State::kOk;
  m_Status.reason.clear();
  ++m_Status.changes;
}

void EventJournal::SetFailing(const std::string& reason) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  if (m_Status.state == JournalStatus::State::kFailing) return;
  m_Status.state = JournalStatus::State::kFailing;
  m_Status.reason = reason;
  ++m_Status.changes;
}

}  // namespace ws
