// The event journal: every StationEvent stored in the SQLite database
// "Events.db" in the station's working directory, and read back filtered for
// the history window, the reports and windscope-report --events.
// The file's schema and its failure behaviour: doc/journal.md.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/station_event.h"

namespace ws {

inline constexpr const char* kEventsFileName = "Events.db";

// Which events to read. The span is in local civil seconds (CivilSeconds of
// the event's local time): from inclusive, to exclusive.
struct EventFilter {
  int64_t fromLocalSeconds = std::numeric_limits<int64_t>::min();
  int64_t toLocalSeconds = std::numeric_limits<int64_t>::max();
  int stack = -1;                     // -1: every stack and the station's own events
  uint32_t groups = kAllEventGroups;  // EventGroup bits
};

struct StoredEvent {
  int64_t id = 0;  // rises with every event stored
  StationEvent event;
};

// What the reports tell about a span: alarms raised per level and the longest
// communication loss. Only the filter's span and stack count (not its groups).
struct JournalSpanStats {
  // raises[level] for kLevelAlarm..kLevelTrip and kLevelNoCommunication;
  // raises[0] is unused.
  std::array<int64_t, 5> raises{};
  // The longest loss, in seconds: a restored link's own count, or a loss still
  // open at the span's end (counted to the span's end or now, whichever is
  // earlier). 0 when no stack lost its link in the span.
  double longestLossSeconds = 0.0;
  int longestLossStack = -1;
  bool longestLossOpen = false;  // the longest loss had not ended by the span's end
};

// Reads the journal through its own connection, on the caller's thread.
class EventReader {
 public:
  virtual ~EventReader() = default;
  // Opens dir/Events.db read-only; null and `error` set when it cannot.
  static std::unique_ptr<EventReader> Open(const std::string& dir, std::string* error);

  virtual int64_t Count(const EventFilter& filter) = 0;
  // Newest first: the events at positions offset .. offset+limit-1 of the
  // filtered list. Newest is the latest local time, then the highest id.
  virtual std::vector<StoredEvent> Page(const EventFilter& filter, int64_t offset, int limit) = 0;
  // The same order reversed (oldest first), for a printed log or an export.
  virtual std::vector<StoredEvent> All(const EventFilter& filter) = 0;
  virtual JournalSpanStats Stats(const EventFilter& filter) = 0;
};

// How the journal stands, for the window's notice. `state` and `reason` change
// only when writing starts or stops failing; `dropped` and `pending` count on.
struct JournalStatus {
  enum class State { kOk, kFailing };
  State state = State::kOk;
  std::string reason;     // while failing: one line on why ("disk full: ...")
  int64_t dropped = 0;    // events lost because the memory queue overflowed
  int64_t pending = 0;    // events waiting in memory for the file
  int setAside = 0;       // damaged files renamed aside during this run
  std::string lastSetAside;  // the name the last one was given
  uint64_t changes = 0;   // rises on every change of state or set-aside file
};

// The writer: an EventSink that stores every event it is given. Record only
// queues (the caller never waits on the disk); a thread of its own commits the
// queue in one transaction every kCommitMs. A file that cannot be opened or
// written never stops the caller: events wait in memory (at most kMaxPending,
// the oldest dropped and counted) and the file is tried again every kRetryMs;
// a damaged file is renamed aside and a fresh one started.
// At its first open, when the file's last event is not an end of the station,
// an "ended unexpectedly" event stamped with that last event's time is stored
// ahead of everything queued.
class EventJournal final : public EventSink {
 public:
  static constexpr int kCommitMs = 500;
  static constexpr int kRetryMs = 5000;
  static constexpr size_t kMaxPending = 100000;

  EventJournal();
  ~EventJournal() override;  // Close()
  EventJournal(const EventJournal&) = delete;
  EventJournal& operator=(const EventJournal&) = delete;

  // Opens or creates dir/Events.db and starts the writer thread. Returns
  // whether the file opened now; when it did not, the thread keeps trying.
  // Call once.
  bool Open(const std::string& dir);
  // Commits what is queued (one attempt) and ends the thread. Events that
  // could not be written by then are lost (counted in dropped).
  void Close();

  void Record(const StationEvent& event) override;

  // Thread-safe.
  JournalStatus Status() const;
  // Blocks until everything recorded before the call was committed or a
  // commit attempt failed; for tests and tools.
  void Flush();

  std::string path() const { return m_Path; }

 private:
  class Store;

  void Run();
  // One pass of the writer thread: open the file when it is time to try, then
  // commit the queue. `now`: try to open regardless of the retry time.
  void WriteQueued(bool now);
  // Opens the file (setting a damaged one aside) and, the first time, queues
  // the unexpected end ahead of everything.
  void OpenStore();
  // Renames the damaged file and its -wal and -shm aside; false when it cannot.
  bool SetAside();
  void SetOkLocked();  // m_Mutex held
  void SetFailing(const std::string& reason);

  std::string m_Dir;
  std::string m_Path;
  std::unique_ptr<Store> m_Store;  // the writer thread's only
  bool m_CheckedEnd = false;       // the unexpected-end check ran (writer thread)
  int64_t m_NextRetryMs = 0;       // steady clock (writer thread)

  mutable std::mutex m_Mutex;
  std::condition_variable m_Wake;
  std::condition_variable m_Committed;
  std::deque<StationEvent> m_Queue;
  uint64_t m_Recorded = 0;   // events ever queued
  uint64_t m_Done = 0;       // events ever committed or dropped
  uint64_t m_Attempts = 0;   // commit passes finished
  bool m_Stop = false;
  bool m_FlushRequested = false;
  JournalStatus m_Status;
  std::thread m_Thread;
};

}  // namespace ws
