#include "core/event_journal.h"
#include "core/journal_schema.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <string>
#include <thread>

namespace ws {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/ws-journal-XXXXXX";
    path_ = ::mkdtemp(pattern);
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, ec);
    fs::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// 2026-03-10 12:00:00 local plus `seconds`.
constexpr int64_t kBase = 1773144000;

StationEvent MakeEvent(int64_t second, EventKind kind, int stack = -1, int level = 0,
                       double value = 0.0, std::string text = "x") {
  StationEvent e;
  e.local = FromCivilSeconds(kBase + second);
  e.utcMs = (kBase + second) * 1000;
  e.kind = kind;
  e.stack = stack;
  e.level = level;
  e.value = value;
  e.text = std::move(text);
  return e;
}

std::unique_ptr<EventReader> OpenReader(const std::string& dir) {
  std::string error;
  auto reader = EventReader::Open(dir, &error);
  EXPECT_NE(reader, nullptr) << error;
  return reader;
}

std::vector<std::string> Texts(const std::vector<StoredEvent>& events) {
  std::vector<std::string> texts;
  for (const StoredEvent& e : events) texts.push_back(e.event.text);
  return texts;
}

TEST(EventJournalTest, RoundTripKeepsEveryField) {
  TempDir dir;
  StationEvent alarm = MakeEvent(5, EventKind::kAlarmRaised, 41, 2, 23.75, "STACK #42: Stop at 23.8 m/s, 바람");
  alarm.local.milliseconds = 987;
  alarm.utcMs += 987;
  StationEvent started = MakeEvent(0, EventKind::kStationStarted, -1, 0, 0.0, "Station started, version 1.0.0");
  {
    EventJournal journal;
    ASSERT_TRUE(journal.Open(dir.path()));
    journal.Record(started);
    journal.Record(alarm);
  }
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  const std::vector<StoredEvent> page = reader->Page({}, 0, 10);
  ASSERT_EQ(page.size(), 2u);
  const StationEvent& got = page[0].event;
  EXPECT_EQ(got.local, alarm.local);
  EXPECT_EQ(got.utcMs, alarm.utcMs);
  EXPECT_EQ(got.kind, alarm.kind);
  EXPECT_EQ(got.stack, 41);
  EXPECT_EQ(got.level, 2);
  EXPECT_DOUBLE_EQ(got.value, 23.75);
  EXPECT_EQ(got.text, alarm.text);
  EXPECT_EQ(page[1].event.stack, -1);
  EXPECT_EQ(page[1].event.text, started.text);
  EXPECT_GT(page[0].id, page[1].id);
  EXPECT_EQ(reader->All({}).front().event.text, started.text);
}

TEST(EventJournalTest, FiltersBySpanStackAndGroupAndPagesNewestFirst) {
  TempDir dir;
  {
    EventJournal journal;
    ASSERT_TRUE(journal.Open(dir.path()));
    journal.Record(MakeEvent(0, EventKind::kStationStarted, -1, 0, 0, "start"));
    for (int i = 0; i < 20; ++i) {
      const EventKind kind = i % 2 == 0 ? EventKind::kAlarmRaised : EventKind::kCommunicationLost;
      journal.Record(MakeEvent(10 + i, kind, i % 4, 1, 0, "e" + std::to_string(i)));
    }
    // Two events in the same second keep the order they were stored in.
    journal.Record(MakeEvent(40, EventKind::kConfigurationChanged, -1, 0, 0, "cfg-a"));
    journal.Record(MakeEvent(40, EventKind::kConfigurationChanged, -1, 0, 0, "cfg-b"));
  }
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->Count({}), 23);
  EXPECT_EQ(Texts(reader->Page({}, 0, 3)), (std::vector<std::string>{"cfg-b", "cfg-a", "e19"}));
  EXPECT_EQ(Texts(reader->Page({}, 21, 5)), (std::vector<std::string>{"e0", "start"}));

  EventFilter stack2;
  stack2.stack = 2;
  EXPECT_EQ(reader->Count(stack2), 5);
  EXPECT_EQ(Texts(reader->Page(stack2, 1, 2)), (std::vector<std::string>{"e14", "e10"}));

  EventFilter alarms;
  alarms.groups = static_cast<uint32_t>(EventGroup::kAlarms);
  EXPECT_EQ(reader->Count(alarms), 10);
  EventFilter alarmsAndConfig;
  alarmsAndConfig.groups = alarms.groups | static_cast<uint32_t>(EventGroup::kConfiguration);
  EXPECT_EQ(Texts(reader->Page(alarmsAndConfig, 0, 3)), (std::vector<std::string>{"cfg-b", "cfg-a", "e18"}));
  EventFilter none;
  none.groups = 0;
  EXPECT_EQ(reader->Count(none), 0);

  EventFilter span;
  span.fromLocalSeconds = kBase + 12;  // inclusive
  span.toLocalSeconds = kBase + 15;    // exclusive
  EXPECT_EQ(Texts(reader->Page(span, 0, 10)), (std::vector<std::string>{"e4", "e3", "e2"}));
  EXPECT_EQ(Texts(reader->All(span)), (std::vector<std::string>{"e2", "e3", "e4"}));
  span.stack = 3;
  span.groups = static_cast<uint32_t>(EventGroup::kCommunication);
  EXPECT_EQ(Texts(reader->Page(span, 0, 10)), (std::vector<std::string>{"e3"}));
}

// Pages are read from the top, from rows of earlier pages or from the bottom;
// whichever way, they are the same slices of the one list.
TEST(EventJournalTest, PagesFromAnyStartingPlaceAreSlicesOfTheList) {
  TempDir dir;
  EventJournal journal;
  ASSERT_TRUE(journal.Open(dir.path()));
  auto recordSome = [&](int from, int to) {
    for (int i = from; i < to; ++i) {
      // Three events a second, and one second going back (a clock set back).
      const int64_t second = i / 3 - (i % 17 == 0 ? 5 : 0);
      journal.Record(MakeEvent(second, i % 2 ? EventKind::kAlarmRaised : EventKind::kDumpEnded, i % 5, 1, 0,
                               std::to_string(i)));
    }
    journal.Flush();
  };
  recordSome(0, 400);
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  for (const uint32_t groups : {kAllEventGroups, static_cast<uint32_t>(EventGroup::kAlarms)}) {
    EventFilter filter;
    filter.groups = groups;
    auto expectSlices = [&](std::initializer_list<int64_t> offsets, bool countFirst) {
      std::vector<StoredEvent> all = reader->All(filter);
      std::reverse(all.begin(), all.end());
      const std::vector<std::string> list = Texts(all);
      if (countFirst) {
        EXPECT_EQ(reader->Count(filter), static_cast<int64_t>(list.size()));
      }
      for (const int64_t offset : offsets) {
        const size_t from = std::min(static_cast<size_t>(offset), list.size());
        const size_t to = std::min(from + 7, list.size());
        EXPECT_EQ(Texts(reader->Page(filter, offset, 7)),
                  std::vector<std::string>(list.begin() + from, list.begin() + to))
            << "offset " << offset << " groups " << groups;
      }
    };
    expectSlices({0, 7, 14, 100, 93, 99, 150, 120, 390, 395, 20}, false);
    expectSlices({180, 187, 170, 390, 396, 3, 500}, true);
    // New events move every position on.
    recordSome(400 + static_cast<int>(groups), 430 + static_cast<int>(groups));
    expectSlices({180, 187, 170, 0}, true);
  }
}

TEST(EventJournalTest, NewEventsShowToAnOpenReader) {
  TempDir dir;
  EventJournal journal;
  ASSERT_TRUE(journal.Open(dir.path()));
  journal.Record(MakeEvent(0, EventKind::kStationStarted));
  journal.Flush();
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->Count({}), 1);
  journal.Record(MakeEvent(1, EventKind::kTestSpeedMode));
  journal.Flush();
  EXPECT_EQ(reader->Count({}), 2);
}

TEST(EventJournalTest, UnexpectedEndIsStoredAtTheNextOpenBeforeAnythingElse) {
  TempDir dir;
  {
    EventJournal journal;
    ASSERT_TRUE(journal.Open(dir.path()));
    journal.Record(MakeEvent(0, EventKind::kStationStarted));
    StationEvent last = MakeEvent(75, EventKind::kAlarmRaised, 3, 1, 12.5);
    last.local.milliseconds = 250;
    journal.Record(last);
  }
  {
    EventJournal journal;
    journal.Record(MakeEvent(3600, EventKind::kStationStarted, -1, 0, 0, "second run"));
    ASSERT_TRUE(journal.Open(dir.path()));
    journal.Record(MakeEvent(3601, EventKind::kStationEnded, -1, 0, 0, "exit"));
  }
  {
    // An orderly end leaves nothing to add.
    EventJournal journal;
    ASSERT_TRUE(journal.Open(dir.path()));
  }
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  const std::vector<StoredEvent> all = reader->All({});
  ASSERT_EQ(all.size(), 5u);
  const StationEvent& ended = all[2].event;
  EXPECT_EQ(ended.kind, EventKind::kStationEndedUnexpectedly);
  EXPECT_EQ(CivilSeconds(ended.local), kBase + 75);
  EXPECT_NE(ended.text.find(LocalTimeText(FromCivilSeconds(kBase + 75)).substr(0, 19)), std::string::npos)
      << ended.text;
  EXPECT_EQ(all[3].event.text, "second run");
  EXPECT_LT(all[2].id, all[3].id);
  EXPECT_EQ(all[4].event.kind, EventKind::kStationEnded);
}

TEST(EventJournalTest, FileThatCannotBeOpenedKeepsEventsUntilItCan) {
  TempDir dir;
  // A directory where the file should be: no user can open it, root included.
  const std::string path = dir.path() + "/" + kEventsFileName;
  ASSERT_TRUE(fs::create_directory(path));
  EventJournal journal;
  EXPECT_FALSE(journal.Open(dir.path()));
  for (int i = 0; i < 5; ++i) journal.Record(MakeEvent(i, EventKind::kTestSpeedMode, -1, 0, 0, std::to_string(i)));
  journal.Flush();
  JournalStatus status = journal.Status();
  EXPECT_EQ(status.state, JournalStatus::State::kFailing);
  EXPECT_FALSE(status.reason.empty());
  EXPECT_EQ(status.pending, 5);
  const uint64_t failingChanges = status.changes;
  journal.Flush();
  EXPECT_EQ(journal.Status().changes, failingChanges) << "a second failed attempt is no new state";

  fs::remove(path);
  journal.Flush();
  status = journal.Status();
  EXPECT_EQ(status.state, JournalStatus::State::kOk);
  EXPECT_EQ(status.pending, 0);
  EXPECT_EQ(status.dropped, 0);
  EXPECT_EQ(status.changes, failingChanges + 1);
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(Texts(reader->All({})), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
}

TEST(EventJournalTest, ReadOnlyDirectoryKeepsEventsUntilWritable) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
  EventJournal journal;
  EXPECT_FALSE(journal.Open(dir.path()));
  journal.Record(MakeEvent(0, EventKind::kStationStarted, -1, 0, 0, "kept"));
  journal.Flush();
  EXPECT_EQ(journal.Status().state, JournalStatus::State::kFailing);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0700), 0);
  journal.Flush();
  EXPECT_EQ(journal.Status().state, JournalStatus::State::kOk);
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(Texts(reader->All({})), (std::vector<std::string>{"kept"}));
}

TEST(EventJournalTest, FileLockedByAnotherProgramKeepsEventsUntilReleased) {
  TempDir dir;
  EventJournal journal;
  ASSERT_TRUE(journal.Open(dir.path()));
  journal.Record(MakeEvent(0, EventKind::kStationStarted, -1, 0, 0, "before"));
  journal.Flush();
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open((dir.path() + "/" + kEventsFileName).c_str(), &raw), SQLITE_OK);
  SqliteDb other(raw);
  ASSERT_EQ(sqlite3_exec(other.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  journal.Record(MakeEvent(1, EventKind::kTestSpeedMode, -1, 0, 0, "while locked"));
  journal.Flush();
  EXPECT_EQ(journal.Status().state, JournalStatus::State::kFailing);
  EXPECT_EQ(journal.Status().pending, 1);
  ASSERT_EQ(sqlite3_exec(other.get(), "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  other.reset();
  journal.Flush();
  EXPECT_EQ(journal.Status().state, JournalStatus::State::kOk);
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(Texts(reader->All({})), (std::vector<std::string>{"before", "while locked"}));
}

TEST(EventJournalTest, FullQueueDropsTheOldestAndCountsThem) {
  TempDir dir;
  const std::string path = dir.path() + "/" + kEventsFileName;
  ASSERT_TRUE(fs::create_directory(path));
  EventJournal journal;
  EXPECT_FALSE(journal.Open(dir.path()));
  const int extra = 7;
  for (int i = 0; i < static_cast<int>(EventJournal::kMaxPending) + extra; ++i)
    journal.Record(MakeEvent(i, EventKind::kAlarmRaised, 0, 1, 0, std::to_string(i)));
  EXPECT_EQ(journal.Status().dropped, extra);
  EXPECT_EQ(journal.Status().pending, static_cast<int64_t>(EventJournal::kMaxPending));
  fs::remove(path);
  journal.Flush();
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->Count({}), static_cast<int64_t>(EventJournal::kMaxPending));
  EXPECT_EQ(reader->All({}).front().event.text, std::to_string(extra));
}

TEST(EventJournalTest, DamagedFileIsSetAsideAndAFreshOneStarted) {
  TempDir dir;
  const std::string path = dir.path() + "/" + kEventsFileName;
  const std::string garbage(8192, 'G');
  std::ofstream(path, std::ios::binary) << garbage;
  EventJournal journal;
  EXPECT_TRUE(journal.Open(dir.path()));
  journal.Record(MakeEvent(0, EventKind::kStationStarted, -1, 0, 0, "fresh"));
  journal.Flush();
  const JournalStatus status = journal.Status();
  EXPECT_EQ(status.state, JournalStatus::State::kOk);
  EXPECT_EQ(status.setAside, 1);
  ASSERT_EQ(status.lastSetAside.rfind("Events.corrupt-", 0), 0u) << status.lastSetAside;
  std::ifstream aside(dir.path() + "/" + status.lastSetAside, std::ios::binary);
  const std::string kept((std::istreambuf_iterator<char>(aside)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, garbage);
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(Texts(reader->All({})), (std::vector<std::string>{"fresh"}));
}

TEST(EventJournalTest, FileDamagedInsideIsSetAsideWhenAWriteFindsIt) {
  TempDir dir;
  const std::string path = dir.path() + "/" + kEventsFileName;
  {
    EventJournal journal;
    ASSERT_TRUE(journal.Open(dir.path()));
    for (int i = 0; i < 5000; ++i) journal.Record(MakeEvent(i, EventKind::kAlarmRaised, i % 100, 1, 20, "old"));
  }
  // The header page stays whole (the file opens); every page after it is garbage.
  const auto size = fs::file_size(path);
  ASSERT_GT(size, 16384u);
  {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(4096);
    const std::string garbage(size - 4096, '\xA5');
    f.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
  }
  EventJournal journal;
  journal.Open(dir.path());
  journal.Record(MakeEvent(9000, EventKind::kStationStarted, -1, 0, 0, "after the damage"));
  journal.Flush();
  journal.Flush();
  const JournalStatus status = journal.Status();
  EXPECT_EQ(status.setAside, 1);
  EXPECT_EQ(status.state, JournalStatus::State::kOk) << status.reason;
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(Texts(reader->All({})), (std::vector<std::string>{"after the damage"}));
}

TEST(EventJournalTest, StatsCountRaisesPerLevelAndTheLongestLoss) {
  TempDir dir;
  {
    EventJournal journal;
    ASSERT_TRUE(journal.Open(dir.path()));
    journal.Record(MakeEvent(0, EventKind::kAlarmRaised, 0, 1, 15));
    journal.Record(MakeEvent(1, EventKind::kAlarmRaised, 0, 2, 21));
    journal.Record(MakeEvent(2, EventKind::kAlarmRaised, 1, 1, 15));
    journal.Record(MakeEvent(3, EventKind::kAlarmRaised, 1, kLevelNoCommunication, 0));
    journal.Record(MakeEvent(4, EventKind::kAlarmAcknowledged, -1, 0, 0));
    journal.Record(MakeEvent(10, EventKind::kCommunicationLost, 1));
    journal.Record(MakeEvent(130, EventKind::kCommunicationRestored, 1, 0, 120));
    journal.Record(MakeEvent(200, EventKind::kCommunicationLost, 2));
    journal.Record(MakeEvent(5000, EventKind::kAlarmRaised, 0, 3, 30));  // outside the span
  }
  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  EventFilter span;
  span.fromLocalSeconds = kBase;
  span.toLocalSeconds = kBase + 400;
  JournalSpanStats stats = reader->Stats(span);
  EXPECT_EQ(stats.raises, (std::array<int64_t, 5>{0, 2, 1, 0, 1}));
  // Stack 2 is still without its link at the span's end: 200 s.
  EXPECT_DOUBLE_EQ(stats.longestLossSeconds, 200);
  EXPECT_EQ(stats.longestLossStack, 2);
  EXPECT_TRUE(stats.longestLossOpen);

  span.stack = 1;
  stats = reader->Stats(span);
  EXPECT_EQ(stats.raises, (std::array<int64_t, 5>{0, 1, 0, 0, 1}));
  EXPECT_DOUBLE_EQ(stats.longestLossSeconds, 120);
  EXPECT_EQ(stats.longestLossStack, 1);
  EXPECT_FALSE(stats.longestLossOpen);
}

int64_t MonotonicMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The child records events as fast as it can pace them and writes, for each,
// "<number> <monotonic ms>" to the pipe after handing it over.
[[noreturn]] void RecordUntilKilled(const std::string& dir, int out) {
  EventJournal journal;
  journal.Open(dir);
  for (int64_t i = 0;; ++i) {
    journal.Record(MakeEvent(i / 100, EventKind::kAlarmRaised, static_cast<int>(i % 100), 1, 0,
                             std::to_string(i)));
    char line[64];
    const int n = std::snprintf(line, sizeof line, "%lld %lld\n", static_cast<long long>(i),
                                static_cast<long long>(MonotonicMs()));
    if (::write(out, line, static_cast<size_t>(n)) != n) ::_exit(3);
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
}

TEST(EventJournalTest, KillDuringABurstLosesAtMostTheLastSecond) {
  TempDir dir;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(fds[0]);
    RecordUntilKilled(dir.path(), fds[1]);
  }
  ::close(fds[1]);
  FILE* in = ::fdopen(fds[0], "r");
  ASSERT_NE(in, nullptr);
  std::map<int64_t, int64_t> handedOver;  // number -> monotonic ms
  long long number = 0, ms = 0;
  const int64_t deadline = MonotonicMs() + 30000;
  // Several commit periods of a steady burst, then the kill.
  while (std::fscanf(in, "%lld %lld", &number, &ms) == 2) {
    handedOver[number] = ms;
    if (handedOver.size() >= 3000 && ms - handedOver.begin()->second >= 3000) break;
    if (MonotonicMs() > deadline) break;
  }
  ASSERT_EQ(::kill(child, SIGKILL), 0);
  const int64_t killedAt = MonotonicMs();
  while (std::fscanf(in, "%lld %lld", &number, &ms) == 2) handedOver[number] = ms;
  std::fclose(in);
  int wstatus = 0;
  ASSERT_EQ(::waitpid(child, &wstatus, 0), child);
  ASSERT_TRUE(WIFSIGNALED(wstatus));
  ASSERT_GE(handedOver.size(), 3000u);

  auto reader = OpenReader(dir.path());
  ASSERT_NE(reader, nullptr);
  std::map<std::string, int> stored;
  for (const StoredEvent& e : reader->All({})) ++stored[e.event.text];
  int older = 0;
  for (const auto& [n, at] : handedOver) {
    if (at >= killedAt - 1500) continue;
    ++older;
    EXPECT_EQ(stored[std::to_string(n)], 1) << "event " << n << " handed over " << killedAt - at
                                             << " ms before the kill";
  }
  EXPECT_GT(older, 0);
  // And the next run finds it cleanly and says how the last one ended.
  EventJournal next;
  ASSERT_TRUE(next.Open(dir.path()));
  next.Flush();
  EXPECT_EQ(next.Status().state, JournalStatus::State::kOk);
  EXPECT_EQ(reader->Page({}, 0, 1).at(0).event.kind, EventKind::kStationEndedUnexpectedly);
}

}  // namespace
}  // namespace ws
