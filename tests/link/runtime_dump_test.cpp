// The day dump against a simulated logger's history.
#include <cmath>

#include "core/protocol_codec.h"
#include "core/record_file.h"
#include "runtime_fixture.h"
#include "tools/sim/sim_history.h"

namespace ws::test {
namespace {

class RuntimeDumpTest : public RuntimeFixture {
 protected:
  int Count(const QByteArray& command) const {
    const QList<QByteArray> texts = loggers[0]->CommandTexts();
    return static_cast<int>(std::count(texts.begin(), texts.end(), command));
  }

  static QByteArray Request(const SystemTime& day, int hour, int minute) {
    return QByteArray(QStringLiteral("R002?%1%2%3%4")
                          .arg(day.month, 2, 10, QLatin1Char('0'))
                          .arg(day.day, 2, 10, QLatin1Char('0'))
                          .arg(hour, 2, 10, QLatin1Char('0'))
                          .arg(minute, 2, 10, QLatin1Char('0'))
                          .toLatin1());
  }
};

TEST_F(RuntimeDumpTest, DumpOfADayWritesAllBlocksAtTheirSlots) {
  StartSite(1, 50);
  ASSERT_TRUE(WaitForFirstReplies(1));
  const SystemTime day = Yesterday();
  std::vector<int> ends;
  QObject::connect(runtime.get(), &StationRuntime::dumpFinished, runtime.get(),
                   [&](int end) { ends.push_back(end); });

  // A logger that answers one byte short is asked for the same block again.
  loggers[0]->SetFault(SimFault::kShort);
  ASSERT_EQ(runtime->StartDump(0, day), DumpStart::kStarted);
  ASSERT_TRUE(WaitFor([&] { return Count(Request(day, 0, 0)) >= 3; }, 2000));
  EXPECT_EQ(Count(Request(day, 0, 5)), 0);
  EXPECT_EQ(runtime->dump().BlockCounter(), 0);

  loggers[0]->SetFault(SimFault::kNone);
  ASSERT_TRUE(WaitFor([&] { return !ends.empty(); }, 10000));
  EXPECT_EQ(ends, std::vector<int>{static_cast<int>(DumpEnd::kCompleted)});
  EXPECT_EQ(Count(Request(day, 11, 40)), 1);  // block 140
  EXPECT_EQ(Count(Request(day, 24, 0)), 1);   // the request that closes the day

  std::vector<Sample> samples(86400);
  ASSERT_EQ(ReadRecordSamples(dir.path().toStdString(), 0, day.year, day.month,
                              record::SlotOf(day.day, 0, 0, 0), samples),
            RecordStatus::kOk);
  int missing = 0;
  int wrong = 0;
  for (int s = 0; s < 86400; ++s) {
    const std::optional<SimSample> h = HistorySample(0, day.year, day.month, day.day, s);
    const Sample want = h ? Sample{static_cast<float>(h->directionTenths / 10.0),
                                   static_cast<float>(h->speedTenths / 10.0)}
                          : Sample{};
    if (!h) ++missing;
    const Sample& got = samples[static_cast<size_t>(s)];
    if (std::fabs(got.direction - want.direction) > 1e-3f || std::fabs(got.speed - want.speed) > 1e-3f) {
      if (++wrong <= 5) ADD_FAILURE() << "second " << s << ": " << got.direction << "/" << got.speed;
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(missing, 0);  // the history has gaps, written as 0/0

  // Live polling resumes after the dump.
  const int64_t after = LiveReplies(0);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(0) > after; }, 4000));
}

TEST_F(RuntimeDumpTest, DumpOfASilentLoggerIsAbandonedWithoutWriting) {
  StartSite(1, 55);
  ASSERT_TRUE(WaitForFirstReplies(1));
  loggers[0]->SetFault(SimFault::kSilent);
  const SystemTime day = Yesterday();
  ASSERT_EQ(runtime->StartDump(0, day), DumpStart::kStarted);
  EXPECT_EQ(runtime->StartDump(0, day), DumpStart::kBusy);
  // Repeated (every 100 ms) while nothing comes back.
  EXPECT_TRUE(WaitFor([&] { return Count(Request(day, 0, 0)) >= 3; }));
  runtime->AbandonDump();
  EXPECT_FALSE(runtime->DumpRunning());
  const int sent = Count(Request(day, 0, 0));
  Pump(300);
  EXPECT_EQ(Count(Request(day, 0, 0)), sent);

  SystemTime future = FromCivilSeconds(CivilSeconds(clock.Now()) + 86400);
  EXPECT_EQ(runtime->StartDump(0, future), DumpStart::kInvalidDate);
}

TEST_F(RuntimeDumpTest, ShowingTheOverviewAbandonsTheDump) {
  StartSite(1, 57);
  ASSERT_TRUE(WaitForFirstReplies(1));
  loggers[0]->SetFault(SimFault::kSilent);
  std::vector<int> ends;
  QObject::connect(runtime.get(), &StationRuntime::dumpFinished, runtime.get(),
                   [&](int end) { ends.push_back(end); });
  const SystemTime day = Yesterday();
  runtime->SetSelectedStack(0);
  ASSERT_EQ(runtime->StartDump(0, day), DumpStart::kStarted);
  Pump(250);
  runtime->SetSelectedStack(-1);  // MAIN
  EXPECT_FALSE(runtime->DumpRunning());
  EXPECT_EQ(runtime->dump().BlockCounter(), -1);
  EXPECT_EQ(ends, std::vector<int>{static_cast<int>(DumpEnd::kAbandoned)});
  const int sent = Count(Request(day, 0, 0));
  Pump(300);
  EXPECT_EQ(Count(Request(day, 0, 0)), sent);
}

}  // namespace
}  // namespace ws::test
