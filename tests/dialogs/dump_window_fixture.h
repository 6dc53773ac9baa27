// A station runtime with the dump and firmware controllers, the progress window
// and the calendar, over loopback against simulated loggers; message boxes are
// recorded instead of shown.
#pragma once

#include <QHostAddress>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "core/clock.h"
#include "core/record_file.h"
#include "dialogs/calendar.h"
#include "dialogs/dump_controller.h"
#include "dialogs/firmware_controller.h"
#include "dialogs/progress.h"
#include "link/station_runtime.h"
#include "link/test_support.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_history.h"
#include "tools/sim/sim_logger.h"
#include "widgets/message_helpers.h"

namespace ws::test {

// The system's local time moved by an offset the test can change.
class OffsetClock final : public Clock {
 public:
  SystemTime Now() const override {
    SystemTime t = LocalNow();
    const int64_t ms = CivilSeconds(t) * 1000 + t.milliseconds + offsetMs.load();
    SystemTime out = FromCivilSeconds(ms / 1000);
    out.milliseconds = static_cast<uint16_t>(ms % 1000);
    return out;
  }
  std::atomic<int64_t> offsetMs{0};
};

struct Message {
  int type;
  QString text;
};

class DumpWindowFixture : public ::testing::Test {
 protected:
  void StartSite(int count, int firstHost) {
    ASSERT_TRUE(dir.isValid());
    for (int i = 0; i < count; ++i) {
      auto logger = std::make_unique<SimLogger>(i, QHostAddress(LoopbackAddress(firstHost + i)), 4000,
                                                static_cast<uint32_t>(i + 1));
      ASSERT_TRUE(logger->IsListening()) << logger->ErrorString().toStdString();
      logger->SetClock(&clock);
      loggers.push_back(std::move(logger));
    }
    SimSite site;
    site.loggerCount = count;
    site.firstLoggerHost = QHostAddress(LoopbackAddress(firstHost)).toIPv4Address();
    std::string error;
    ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;
    SetMessageHandler([this](int type, const QString& text) {
      messages.push_back({type, text});
      return static_cast<int>(kIdOk);
    });
    runtime = std::make_unique<StationRuntime>(dir.path(), clock);
    progress = std::make_unique<CProgress>();
    dump = std::make_unique<CDumpController>(*runtime, *progress, nullptr);
    firmware = std::make_unique<CFirmwareController>(*runtime, *progress, nullptr);
    QObject::connect(dump.get(), &CDumpController::dumpEnabledChanged, dump.get(),
                     [this](bool enabled) { dumpEnabled.push_back(enabled); });
    runtime->Start();
    runtime->SetSelectedStack(0);
    ASSERT_TRUE(WaitFor([&] { return runtime->counters().liveReplies[0] > 0; }, 5000));
  }

  void TearDown() override {
    firmware.reset();
    dump.reset();
    if (runtime) runtime->Shutdown();
    runtime.reset();
    progress.reset();
    SetMessageHandler({});
    Pump(20);
  }

  // Runs the DUMP command; `act` works the calendar once it is open (and
  // must close it).
  void DumpWith(int stack, std::function<void(CCalendar&)> act) {
    bool acted = false;
    QTimer::singleShot(0, dump.get(), [&] {
      ASSERT_TRUE(WaitFor([&] { return dump->calendar() && dump->calendar()->isVisible(); }, 3000));
      acted = true;
      act(*dump->calendar());
    });
    dump->Dump(stack);
    EXPECT_TRUE(acted);
  }

  // Chooses the day in the calendar and presses OK.
  void DumpDay(int stack, const SystemTime& day) {
    DumpWith(stack, [day](CCalendar& c) {
      c.calendar()->setSelectedDate(QDate(day.year, day.month, day.day));
      c.okButton()->click();
    });
  }

  SystemTime DaysAgo(int n) const {
    SystemTime day = FromCivilSeconds(CivilSeconds(clock.Now()) - int64_t{n} * 86400);
    day.hour = day.minute = day.second = day.milliseconds = 0;
    return day;
  }

  int Count(int logger, const QByteArray& command) const {
    const QList<QByteArray> texts = loggers[static_cast<size_t>(logger)]->CommandTexts();
    return static_cast<int>(std::count(texts.begin(), texts.end(), command));
  }

  int DumpRequests(int logger) const {
    int n = 0;
    for (const QByteArray& t : loggers[static_cast<size_t>(logger)]->CommandTexts()) n += t.startsWith("R002?");
    return n;
  }

  static QByteArray Request(const SystemTime& day, int hour, int minute) {
    return QStringLiteral("R002?%1%2%3%4")
        .arg(day.month, 2, 10, QLatin1Char('0'))
        .arg(day.day, 2, 10, QLatin1Char('0'))
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'))
        .toLatin1();
  }

  std::vector<Sample> ReadDay(int stack, const SystemTime& day) const {
    std::vector<Sample> samples(86400);
    EXPECT_EQ(ReadRecordSamples(dir.path().toStdString(), stack, day.year, day.month,
                                record::SlotOf(day.day, 0, 0, 0), samples),
              RecordStatus::kOk);
    return samples;
  }

  // What the logger holds for second s of the day, as the record file stores it.
  static Sample Logged(int logger, const SystemTime& day, int s) {
    const std::optional<SimSample> h = HistorySample(logger, day.year, day.month, day.day, s);
    return h ? Sample{static_cast<float>(h->directionTenths / 10.0), static_cast<float>(h->speedTenths / 10.0)}
             : Sample{};
  }

  static bool Near(const Sample& a, const Sample& b) {
    return std::fabs(a.direction - b.direction) < 1e-3f && std::fabs(a.speed - b.speed) < 1e-3f;
  }

  OffsetClock clock;
  QTemporaryDir dir;
  std::vector<std::unique_ptr<SimLogger>> loggers;
  std::unique_ptr<StationRuntime> runtime;
  std::unique_ptr<CProgress> progress;
  std::unique_ptr<CDumpController> dump;
  std::unique_ptr<CFirmwareController> firmware;
  std::vector<Message> messages;
  std::vector<bool> dumpEnabled;
};

}  // namespace ws::test
