// windscope-station: runs the acquisition runtime without windows on a working
// directory and, at the end, prints what it measured (CPU share, polls per
// second per stack, record seconds written), or runs one day dump, or fills the
// holes of a stack's record files from its logger.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/fill_holes_run.h"
#include "core/hole_map.h"
#include "core/record_file.h"
#include "core/system_time.h"
#include "link/fill_holes_driver.h"
#include "link/modbus_output.h"
#include "link/mqtt_publisher.h"
#include "link/station_journal.h"
#include "link/station_runtime.h"
#include "util/version_info.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int signal) { g_stop = signal; }

// Why the run ended, for the journal's end event.
std::string EndReason() {
  if (g_stop == SIGINT) return "SIGINT";
  if (g_stop == SIGTERM) return "SIGTERM";
  return "end of run";
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Seconds of [from, to] (civil seconds, same month) whose slot holds a sample
// other than 0/0: the loggers' wind is never exactly calm and north.
int64_t WrittenSeconds(const std::string& workdir, int stack, int64_t from, int64_t to) {
  if (to < from) return 0;
  const ws::SystemTime first = ws::FromCivilSeconds(from);
  std::vector<ws::Sample> samples(static_cast<size_t>(to - from + 1));
  const int64_t slot = ws::record::SlotOf(first.day, first.hour, first.minute, first.second);
  if (ws::ReadRecordSamples(workdir, stack, first.year, first.month, slot, samples) !=
      ws::RecordStatus::kOk) {
    return 0;
  }
  return std::count_if(samples.begin(), samples.end(),
                       [](const ws::Sample& s) { return s.direction != 0.0f || s.speed != 0.0f; });
}

// --modbus [ADDR:]PORT: the address defaults to every interface.
bool ParseModbusListen(const QString& text, std::string& address, int& port) {
  const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
  address = colon < 0 ? std::string("0.0.0.0") : text.left(colon).toStdString();
  bool ok = false;
  port = text.mid(colon + 1).toInt(&ok);
  return ok && port >= 1 && port <= 65535 && !address.empty();
}

bool ParseDate(const QString& text, ws::SystemTime& out) {
  const QStringList parts = text.split(QLatin1Char('-'));
  if (parts.size() != 3) return false;
  out = ws::SystemTime{};
  out.year = static_cast<uint16_t>(parts[0].toUInt());
  out.month = static_cast<uint16_t>(parts[1].toUInt());
  out.day = static_cast<uint16_t>(parts[2].toUInt());
  return ws::IsValidDate(out);
}

// --mqtt HOST[:PORT]: the host and, when given, the port over the file's settings.
bool ParseBroker(const QString& text, ws::StationIni::Mqtt& mqtt) {
  QString host = text;
  const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
  if (colon >= 0 && !text.contains(QLatin1Char(']'), Qt::CaseSensitive)) {
    bool ok = false;
    const int port = text.mid(colon + 1).toInt(&ok);
    if (!ok || port < 1 || port > 65535) return false;
    mqtt.port = port;
    host = text.left(colon);
  }
  if (host.isEmpty()) return false;
  mqtt.host = host.toStdString();
  return true;
}

const char* TileName(int state) {
  switch (state) {
    case 1: return "no-comm";
    case 3: return "ALARM";
    case 4: return "STOP";
    case 5: return "TRIP";
    case 6: return "busy";
    default: return "normal";
  }
}

// A console stand-in for the overview: alarms as they are raised, and once a
// second the first stacks' tile states and speeds with the lamps.
void WatchRuntime(ws::StationRuntime& runtime, QCoreApplication& app) {
  static constexpr const char* kLevels[] = {"", "Alarm", "Stop", "Trip"};
  QObject::connect(&runtime, &ws::StationRuntime::alarmRaised, &app, [](int stack, int level, double speed) {
    std::printf("  >>> STACK #%d raised %s at %.1f\n", stack + 1, kLevels[std::clamp(level, 0, 3)], speed);
    std::fflush(stdout);
  });
  QObject::connect(&runtime, &ws::StationRuntime::clockTick, &app, [&runtime](const ws::SystemTime& now) {
    std::printf("%02d:%02d:%02d", now.hour, now.minute, now.second);
    const int shown = std::min(runtime.stackCount(), 8);
    for (int i = 0; i < shown; ++i) {
      std::printf("  #%d %s %.1f", i + 1, TileName(runtime.TileState(i)),
                  static_cast<double>(runtime.statistics().Stack(i).speed));
    }
    const ws::LampStates lamps = runtime.lamps();
    std::printf("  lamps G%d Y%d R%d\n", lamps.green ? 1 : 0, lamps.yellow ? 1 : 0, lamps.red ? 1 : 0);
    std::fflush(stdout);
  });
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("windscope-station"));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Runs the Windscope acquisition runtime without windows."));
  parser.addHelpOption();
  parser.addOption({QStringLiteral("workdir"), QStringLiteral("Working directory (WDX-5100.cfg, record files)."),
                    QStringLiteral("DIR")});
  parser.addOption({QStringLiteral("seconds"), QStringLiteral("Run this long, then exit (default: until SIGINT/SIGTERM)."),
                    QStringLiteral("N")});
  parser.addOption({QStringLiteral("stats"), QStringLiteral("Print CPU share, polls per second and record coverage at the end.")});
  parser.addOption({QStringLiteral("dump"),
                    QStringLiteral("Dump one day (YYYY-MM-DD) of stack 1 (or --stack) and print how long it took."),
                    QStringLiteral("DATE")});
  parser.addOption({QStringLiteral("watch"),
                    QStringLiteral("Print every raised alarm, and once a second the state and speed of the first stacks.")});
  parser.addOption({QStringLiteral("fill-holes"),
                    QStringLiteral("Dump every day before today that the stack's record files hold only partly or not "
                                   "at all (within --days), one after another; print the totals.")});
  parser.addOption({QStringLiteral("days"),
                    QStringLiteral("Days ending today that --fill-holes looks at (1..183, default 183: the hole map's "
                                   "window)."),
                    QStringLiteral("D"), QString::number(ws::HoleMapCache::kWindowDays)});
  parser.addOption({QStringLiteral("stack"), QStringLiteral("Stack number for --dump and --fill-holes (1-based)."),
                    QStringLiteral("N"), QStringLiteral("1")});
  parser.addOption({QStringLiteral("modbus"),
                    QStringLiteral("Serve the Modbus TCP registers on [ADDR:]PORT for this run, whatever windscope.ini "
                                   "says."),
                    QStringLiteral("[ADDR:]PORT")});
  parser.addOption({QStringLiteral("mqtt"),
                    QStringLiteral("Publish to the MQTT broker HOST[:PORT] for this run, whatever windscope.ini says."),
                    QStringLiteral("HOST[:PORT]")});
  parser.addOption({QStringLiteral("mqtt-site"), QStringLiteral("The site name of the MQTT topics for this run."),
                    QStringLiteral("NAME")});
  parser.process(app);

  const QString workdir = parser.value(QStringLiteral("workdir"));
  if (workdir.isEmpty() || !QDir(workdir).exists()) {
    std::fprintf(stderr, "windscope-station: --workdir DIR (an existing directory) is required\n");
    return 2;
  }
  const int seconds = parser.value(QStringLiteral("seconds")).toInt();
  std::string modbusAddress;
  int modbusPort = 0;
  const bool modbusOverride = parser.isSet(QStringLiteral("modbus"));
  if (modbusOverride && !ParseModbusListen(parser.value(QStringLiteral("modbus")), modbusAddress, modbusPort)) {
    std::fprintf(stderr, "windscope-station: --modbus wants [ADDR:]PORT (port 1..65535)\n");
    return 2;
  }
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);

  ws::SystemClock clock;
  const bool fillHoles = parser.isSet(QStringLiteral("fill-holes"));
  std::vector<ws::SystemTime> holes;
  int fillStack = 0;
  int fillDays = 0;
  if (fillHoles) {
    bool stackOk = false;
    bool daysOk = false;
    fillStack = parser.value(QStringLiteral("stack")).toInt(&stackOk) - 1;
    fillDays = parser.value(QStringLiteral("days")).toInt(&daysOk);
    if (!stackOk || fillStack < 0 || fillStack >= ws::record::kMaxStacks || !daysOk || fillDays < 1 ||
        fillDays > ws::HoleMapCache::kWindowDays) {
      std::fprintf(stderr, "windscope-station: --fill-holes wants --stack 1..100 and --days 1..183\n");
      return 2;
    }
    // Read before the runtime starts: the record files of half a year take a while.
    ws::HoleMapCache holeMap(QDir(workdir).absolutePath().toStdString());
    const ws::SystemTime today = clock.Now();
    holes = ws::FillHolesRun::DaysToFill(holeMap.Window(fillStack, today, fillDays), today);
  }
  // The journal outlives the runtime, whose end it records.
  ws::StationJournal journal(QDir(workdir).absolutePath());
  QObject::connect(&journal, &ws::StationJournal::journalProblem, &app, [](const QString& text) {
    std::fprintf(stderr, "windscope-station: %s\n", qPrintable(text));
  });
  QObject::connect(&journal, &ws::StationJournal::journalResumed, &app,
                   [] { std::fprintf(stderr, "windscope-station: event journal written again\n"); });
  journal.Open();
  ws::StationRuntime runtime(QDir(workdir).absolutePath(), clock);
  journal.Attach(runtime);
  runtime.Start();
  const int stacks = runtime.stackCount();

  // The Modbus TCP output, as windscope.ini says or --modbus overrides.
  ws::ModbusOutput modbus(runtime);
  if (modbusOverride) modbus.SetOverride(modbusAddress, modbusPort);
  modbus.Apply();
  if (modbus.Status().state == ws::ModbusServer::State::kListening) {
    std::printf("modbus: %s\n", ws::ModbusServer::StateText(modbus.Status()).c_str());
    std::fflush(stdout);
  } else if (modbus.Status().state == ws::ModbusServer::State::kRefused) {
    std::fprintf(stderr, "windscope-station: modbus %s\n", ws::ModbusServer::StateText(modbus.Status()).c_str());
  }
  // The MQTT publisher: the file's settings, with what the options say over them.
  const auto mqttSettings = [&parser, &runtime] {
    ws::StationIni::Mqtt mqtt = runtime.stationIni().mqtt;
    if (parser.isSet(QStringLiteral("mqtt"))) {
      mqtt.enabled = ParseBroker(parser.value(QStringLiteral("mqtt")), mqtt);
    }
    if (parser.isSet(QStringLiteral("mqtt-site"))) mqtt.site = parser.value(QStringLiteral("mqtt-site")).toStdString();
    return mqtt;
  };
  if (parser.isSet(QStringLiteral("mqtt")) && !mqttSettings().enabled) {
    std::fprintf(stderr, "windscope-station: --mqtt wants HOST or HOST:PORT\n");
    runtime.Shutdown(EndReason());
    return 2;
  }
  ws::MqttPublisher mqtt(runtime, ws::VersionEntryText(ws::VersionEntry::kProductVersion));
  mqtt.Apply(mqttSettings());
  QObject::connect(&runtime, &ws::StationRuntime::stationIniChanged, &mqtt, [&] { mqtt.Apply(mqttSettings()); });

  if (parser.isSet(QStringLiteral("watch"))) WatchRuntime(runtime, app);

  int exitCode = 0;
  QTimer stopCheck;
  stopCheck.setInterval(100);
  QObject::connect(&stopCheck, &QTimer::timeout, &app, [&] {
    if (g_stop) app.quit();
  });
  stopCheck.start();

  if (fillHoles) {
    if (fillStack >= stacks) {
      std::fprintf(stderr, "windscope-station: the station has %d stacks\n", stacks);
      runtime.Shutdown(EndReason());
      return 2;
    }
    if (holes.empty()) {
      std::printf("fill-holes: stack %d, no incomplete day in the last %d days\n", fillStack + 1, fillDays);
      runtime.Shutdown(EndReason());
      return 0;
    }
    std::printf("fill-holes: stack %d, %zu incomplete days in the last %d days\n", fillStack + 1, holes.size(),
                fillDays);
    std::fflush(stdout);
    ws::FillHolesDriver driver(runtime);
    QObject::connect(&driver, &ws::FillHolesDriver::dayStarted, &app, [&] {
      const ws::FillHolesRun& run = driver.run();
      std::printf("fill-holes: day %zu of %zu, %04d-%02d-%02d\n", run.DayIndex() + 1, run.DayCount(),
                  run.Day().year, run.Day().month, run.Day().day);
      std::fflush(stdout);
    });
    bool ended = false;
    const auto report = [&] {
      const ws::FillHolesRun& run = driver.run();
      const ws::FillHolesEnd end = run.LastEnd().value_or(ws::FillHolesEnd::kAbandoned);
      // The window's closing message on one line.
      const char* head = "Dump abandoned.";
      switch (end) {
        case ws::FillHolesEnd::kDone: head = "Fill holes done."; break;
        case ws::FillHolesEnd::kCancelled: head = "Dump cancelled."; break;
        case ws::FillHolesEnd::kAbandoned: break;
        case ws::FillHolesEnd::kTimedOut: head = ws::kDumpTimedOutText; break;
        case ws::FillHolesEnd::kWriteFailed: head = ws::kDumpWriteFailedText; break;
      }
      std::printf("fill-holes: %s stack %d: %s\n", head, fillStack + 1, ws::FillHolesSummary(run.totals()).c_str());
      std::fflush(stdout);
      exitCode = end == ws::FillHolesEnd::kDone && run.totals().blocksFailed == 0 ? 0 : 1;
    };
    QObject::connect(&driver, &ws::FillHolesDriver::finished, &app, [&] {
      ended = true;
      report();
      app.quit();
    });
    // Let the link connect and answer its first poll before asking for a day.
    QTimer::singleShot(2500, &app, [&] {
      if (!driver.Start(fillStack, holes)) {
        std::fprintf(stderr, "windscope-station: no day could be dumped\n");
        ended = true;
        exitCode = 1;
        app.quit();
      }
    });
    if (seconds > 0) QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    // Stopped by a signal or --seconds: the running dump ends, and the totals say so.
    if (!ended) driver.Abandon();
    runtime.Shutdown(EndReason());
    return ended ? exitCode : 1;
  }

  if (parser.isSet(QStringLiteral("dump"))) {
    ws::SystemTime date;
    if (!ParseDate(parser.value(QStringLiteral("dump")), date)) {
      std::fprintf(stderr, "windscope-station: --dump wants YYYY-MM-DD\n");
      return 2;
    }
    const int stack = parser.value(QStringLiteral("stack")).toInt() - 1;
    QElapsedTimer dumpTime;
    // Let the link connect and answer its first poll before asking for the day.
    QTimer::singleShot(2500, &app, [&] {
      dumpTime.start();
      if (runtime.StartDump(stack, date) != ws::DumpStart::kStarted) {
        std::fprintf(stderr, "windscope-station: the day cannot be dumped\n");
        exitCode = 1;
        app.quit();
      }
    });
    QObject::connect(&runtime, &ws::StationRuntime::dumpFinished, &app, [&](int end) {
      const double s = static_cast<double>(dumpTime.nsecsElapsed()) / 1e9;
      if (end == static_cast<int>(ws::DumpEnd::kCompleted)) {
        std::printf("dump: stack %d, %04d-%02d-%02d, 288 blocks in %.3f s\n", stack + 1, date.year, date.month,
                    date.day, s);
      } else if (end == static_cast<int>(ws::DumpEnd::kWriteFailed)) {
        std::printf("dump: stack %d, %04d-%02d-%02d, stopped: %d blocks stored, %d failed (%s) after %.3f s\n",
                    stack + 1, date.year, date.month, date.day, runtime.dump().BlocksStored(),
                    runtime.dump().BlocksFailed(), runtime.dump().FailureText().c_str(), s);
        exitCode = 1;
      } else {
        std::printf("dump: ended without completing (%d) after %.3f s, %d blocks stored\n", end, s,
                    runtime.dump().BlocksStored());
        exitCode = 1;
      }
      app.quit();
    });
    if (seconds > 0) QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    runtime.Shutdown(EndReason());
    return exitCode;
  }

  // The measured window starts once every link has had time to connect and
  // answer (the first supervision tick reconnects, the first poll follows).
  constexpr int kWarmupMs = 3000;
  ws::StationRuntime::Counters atWarmup;
  int64_t windowStart = 0;
  double cpuStart = 0;
  QElapsedTimer wall;
  QTimer::singleShot(kWarmupMs, &app, [&] {
    atWarmup = runtime.counters();
    windowStart = ws::CivilSeconds(clock.Now()) + 1;
    cpuStart = CpuSeconds();
    wall.start();
  });
  if (seconds > 0) QTimer::singleShot(kWarmupMs + seconds * 1000, &app, &QCoreApplication::quit);
  app.exec();

  const double wallSeconds = wall.isValid() ? static_cast<double>(wall.nsecsElapsed()) / 1e9 : 0.0;
  const double cpu = CpuSeconds() - cpuStart;
  const int64_t windowEnd = ws::CivilSeconds(clock.Now()) - 1;
  const ws::StationRuntime::Counters end = runtime.counters();
  const ws::MqttPublisher::Status mqttStatus = mqtt.status();
  const ws::ModbusServer::Status modbusStatus = modbus.Status();
  modbus.server().Stop();
  runtime.Shutdown(EndReason());

  if (parser.isSet(QStringLiteral("stats")) && wallSeconds > 0) {
    double minRate = std::numeric_limits<double>::max();
    double sumRate = 0;
    int minStack = 0;
    int below = 0;
    int64_t recordedMin = std::numeric_limits<int64_t>::max();
    int64_t recordedSum = 0;
    const int64_t expected = std::max<int64_t>(0, windowEnd - windowStart + 1);
    const std::string dir = QDir(workdir).absolutePath().toStdString();
    for (int i = 0; i < stacks; ++i) {
      const auto ui = static_cast<size_t>(i);
      const double rate = static_cast<double>(end.liveReplies[ui] - atWarmup.liveReplies[ui]) / wallSeconds;
      sumRate += rate;
      if (rate < minRate) {
        minRate = rate;
        minStack = i;
      }
      if (rate < 1.9) ++below;
      const int64_t written = WrittenSeconds(dir, i, windowStart, windowEnd);
      recordedMin = std::min(recordedMin, written);
      recordedSum += written;
    }
    std::printf("stacks: %d, measured %.1f s (after %d s warm-up)\n", stacks, wallSeconds, kWarmupMs / 1000);
    std::printf("cpu: %.2f s over %.1f s wall = %.2f %% of one core\n", cpu, wallSeconds, 100.0 * cpu / wallSeconds);
    std::printf("polls/s per stack: min %.3f (stack %d), avg %.3f, below 1.9/s: %d\n", minRate, minStack + 1,
                sumRate / stacks, below);
    std::printf("record seconds per stack: expected %lld, min %lld, avg %.1f, complete stacks %s\n",
                static_cast<long long>(expected), static_cast<long long>(recordedMin),
                static_cast<double>(recordedSum) / stacks, recordedMin == expected ? "all" : "NOT all");
    std::printf("%s\n", ws::ModbusServer::StatsLine(modbusStatus).c_str());
    std::printf("mqtt: %s\n", ws::MqttPublisher::StatusText(mqttStatus).c_str());
  }
  return exitCode;
}
