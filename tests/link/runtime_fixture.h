// A station runtime on a temporary working directory, talking over loopback to
// simulated loggers (and a lamp tower) served in the same process.
#pragma once

#include <QHostAddress>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/record_file.h"
#include "core/system_time.h"
#include "link/station_runtime.h"
#include "test_support.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_lamp_tower.h"
#include "tools/sim/sim_logger.h"

namespace ws::test {

class RuntimeFixture : public ::testing::Test {
 protected:
  // Loggers 0..count-1 listen on LoopbackAddress(firstHost + i); a lamp tower
  // on LoopbackAddress(lampHost) when given. Then the station starts.
  void StartSite(int count, int firstHost, std::optional<int> lampHost = std::nullopt) {
    ASSERT_TRUE(dir.isValid());
    for (int i = 0; i < count; ++i) {
      auto logger = std::make_unique<SimLogger>(i, QHostAddress(LoopbackAddress(firstHost + i)), 4000,
                                                static_cast<uint32_t>(i + 1));
      ASSERT_TRUE(logger->IsListening()) << logger->ErrorString().toStdString();
      loggers.push_back(std::move(logger));
    }
    SimSite site;
    site.loggerCount = count;
    site.firstLoggerHost = QHostAddress(LoopbackAddress(firstHost)).toIPv4Address();
    if (lampHost) {
      lamp = std::make_unique<SimLampTower>(QHostAddress(LoopbackAddress(*lampHost)));
      ASSERT_TRUE(lamp->IsListening()) << lamp->ErrorString().toStdString();
      site.lampHost = QHostAddress(LoopbackAddress(*lampHost)).toIPv4Address();
    }
    std::string error;
    ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;
    runtime = std::make_unique<StationRuntime>(dir.path(), RuntimeClock());
    QObject::connect(runtime.get(), &StationRuntime::stackUpdated, runtime.get(),
                     [this](int stack, float direction, float speed, int) {
                       updates.push_back({stack, direction, speed});
                     });
    BeforeStart();
    runtime->Start();
  }

  // The clock the station runs on (the system's unless a test says otherwise),
  // and what a test does between making the station and starting it.
  virtual const Clock& RuntimeClock() const { return clock; }
  virtual void BeforeStart() {}

  void TearDown() override {
    if (runtime) runtime->Shutdown();
    runtime.reset();
    Pump(20);
  }

  // Yesterday at midnight: a whole day in the past, so a dump of it comes from
  // the loggers' history only.
  SystemTime Yesterday() const {
    SystemTime day = FromCivilSeconds(CivilSeconds(clock.Now()) - 86400);
    day.hour = day.minute = day.second = 0;
    return day;
  }

  // What the record file holds for `stack` at a second of the clock (civil seconds).
  Sample RecordedAt(int stack, int64_t second) const {
    const SystemTime t = FromCivilSeconds(second);
    Sample sample;
    EXPECT_EQ(ReadRecordSamples(dir.path().toStdString(), stack, t.year, t.month,
                                record::SlotOf(t.day, t.hour, t.minute, t.second), std::span(&sample, 1)),
              RecordStatus::kOk)
        << "stack " << stack + 1 << ", second " << second;
    return sample;
  }

  // Every second of [first, last] holds a measurement for stacks 0..stacks-1.
  void ExpectEverySecondRecorded(int stacks, int64_t first, int64_t last) const {
    ASSERT_GT(last, first);
    for (int stack = 0; stack < stacks; ++stack) {
      for (int64_t s = first; s <= last; ++s) {
        EXPECT_NE(RecordedAt(stack, s), Sample{}) << "stack " << stack + 1 << ", second " << s - first;
      }
    }
  }

  int64_t LiveReplies(int stack) const {
    return runtime->counters().liveReplies[static_cast<size_t>(stack)];
  }

  // Waits until every stack below `count` has had a decoded reply.
  bool WaitForFirstReplies(int count, int ms = 4000) {
    return WaitFor(
        [&] {
          for (int i = 0; i < count; ++i) {
            if (LiveReplies(i) == 0) return false;
          }
          return true;
        },
        ms);
  }

  // Live replies of `stack` per supervision tick over the next `ticks` ticks.
  // The ticks are the station's own clock, so a loaded machine that holds the
  // polls back holds the ticks back too (and a stall drops ticks, never adds).
  double RepliesPerTick(int stack, int ticks) {
    QObject scope;
    int seen = 0;
    int64_t first = 0;
    int64_t last = 0;
    QObject::connect(runtime.get(), &StationRuntime::clockTick, &scope, [&] {
      if (seen == 0) first = LiveReplies(stack);
      if (seen == ticks) last = LiveReplies(stack);
      ++seen;
    });
    EXPECT_TRUE(WaitFor([&] { return seen > ticks; })) << "the supervision stopped ticking";
    return static_cast<double>(last - first) / ticks;
  }

  struct Update {
    int stack;
    float direction;
    float speed;
  };

  SystemClock clock;
  QTemporaryDir dir;
  std::vector<std::unique_ptr<SimLogger>> loggers;
  std::unique_ptr<SimLampTower> lamp;
  std::unique_ptr<StationRuntime> runtime;
  std::vector<Update> updates;
};

}  // namespace ws::test
