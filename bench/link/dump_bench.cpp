// One day dumped over loopback from a minimal logger, through the whole runtime
// (link, reassembly, dump session, record file); and the raw receive rate of a link.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <array>
#include <memory>

#include "core/clock.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "link/nex_sock.h"
#include "link/station_runtime.h"

namespace ws {
namespace {

QString BenchAddress(int host) {
  const long pid = static_cast<long>(getpid());
  return QStringLiteral("127.%1.%2.%3").arg(16 + (pid / 250) % 230).arg(1 + pid % 250).arg(host);
}

template <typename Pred>
bool RunUntil(Pred pred, int ms) {
  QDeadlineTimer deadline(ms);
  while (!pred() && !deadline.hasExpired()) {
    QEventLoop loop;
    QTimer::singleShot(1, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return pred();
}

// Answers "R000?" with a fixed reading and "R002?MMDDhhmm" with a full block.
class TinyLogger {
 public:
  explicit TinyLogger(const QString& address) {
    m_server.listen(QHostAddress(address), CNexSock::kLoggerPort);
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
      while (QTcpSocket* s = m_server.nextPendingConnection()) {
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] { Answer(s); });
        QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
      }
    });
  }
  bool ok() const { return m_server.isListening(); }

 private:
  static void Answer(QTcpSocket* s) {
    QByteArray in = s->readAll();
    while (in.size() >= 5) {
      if (in.startsWith("R002?") && in.size() >= 13) {
        QByteArray block("R002:\0\0", 7);
        block.append(static_cast<char>(in.mid(9, 2).toInt()));
        block.append(static_cast<char>(in.mid(11, 2).toInt()));
        for (int k = 0; k < 300; ++k) block.append("\x0B\xB8\x00\x7B", 4);  // 300.0 deg, 12.3
        s->write(block);
        in.remove(0, 13);
      } else {
        if (in.startsWith("R000?")) s->write(QByteArray("R000:\x00\x00\xB4\x42\x00\x00\x20\x41", 13));
        in.remove(0, 5);
      }
    }
  }
  QTcpServer m_server;
};

void BM_DayDumpOverLoopback(benchmark::State& state) {
  QTemporaryDir dir;
  const QString address = BenchAddress(250);
  TinyLogger logger(address);
  if (!logger.ok()) {
    state.SkipWithError("cannot listen on loopback");
    return;
  }
  SystemClock clock;
  auto settings = std::make_unique<Settings>();
  settings->stackCount = 1;
  settings->stacks[0].loggerAddress = AddressFromHostOrder(QHostAddress(address).toIPv4Address());
  if (!SettingsFile(dir.path().toStdString()).Save(*settings).ok()) {
    state.SkipWithError("cannot write the settings");
    return;
  }
  StationRuntime runtime(dir.path(), clock);
  int ends = 0;
  QObject::connect(&runtime, &StationRuntime::dumpFinished, &runtime, [&](int) { ++ends; });
  runtime.Start();
  if (!RunUntil([&] { return runtime.counters().liveReplies[0] > 0; }, 5000)) {
    state.SkipWithError("the logger never answered");
    return;
  }
  SystemTime day = FromCivilSeconds(CivilSeconds(clock.Now()) - 86400);
  for (auto _ : state) {
    const int before = ends;
    if (runtime.StartDump(0, day) != DumpStart::kStarted ||
        !RunUntil([&] { return ends > before; }, 10000)) {
      state.SkipWithError("dump did not complete");
      break;
    }
  }
  state.counters["blocks/s"] = benchmark::Counter(288.0 * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
  runtime.Shutdown();
}
BENCHMARK(BM_DayDumpOverLoopback)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_LinkReceiveRate(benchmark::State& state) {
  const QString address = BenchAddress(251);
  QTcpServer server;
  if (!server.listen(QHostAddress(address), CNexSock::kLoggerPort)) {
    state.SkipWithError("cannot listen on loopback");
    return;
  }
  CNexSock link(0);
  link.setReceiveBudget(0);
  qint64 received = 0;
  QObject::connect(&link, &CNexSock::linkEvent, &link, [&](int, int code) {
    if (code == kLinkData) received += link.ReceivedBytes().size();
  }, Qt::DirectConnection);
  link.Connect(address, CNexSock::kLoggerPort);
  QTcpSocket* peer = nullptr;
  if (!RunUntil([&] { return link.IsConnected() && (peer || (peer = server.nextPendingConnection())); }, 3000)) {
    state.SkipWithError("no connection");
    return;
  }
  const QByteArray chunk(4 * 1024 * 1024, 'x');
  for (auto _ : state) {
    const qint64 target = received + chunk.size();
    peer->write(chunk);
    RunUntil([&] { return received >= target; }, 10000);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * chunk.size());
}
BENCHMARK(BM_LinkReceiveRate)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ws
