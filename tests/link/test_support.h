// Bounded waiting on the Qt event loop and loopback addresses private to one
// test process, for the link and runtime tests.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QString>
#include <QTcpServer>
#include <QTimer>

#include <unistd.h>

namespace ws::test {

// No wait for a condition gives up sooner than this. A loaded machine can hold
// this process (loggers, station and test alike) back for seconds, and a wait
// ends as soon as its condition holds, so the patience costs a passing test
// nothing; it only guards against a hang.
inline constexpr int kPatienceMs = 30000;

// Runs the event loop for at most ms, or until pred() holds; returns pred().
template <typename Pred>
bool RunEventsUntil(Pred pred, int ms) {
  QDeadlineTimer deadline(ms);
  while (!pred()) {
    if (deadline.hasExpired()) return pred();
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

// Runs the event loop until pred() holds; returns pred(). `ms` says how soon
// the condition is due on an idle machine, but the wait lasts up to
// kPatienceMs whatever it says: a test judges that the condition came, never
// how long it took.
template <typename Pred>
bool WaitFor(Pred pred, int ms = kPatienceMs) {
  return RunEventsUntil(pred, ms > kPatienceMs ? ms : kPatienceMs);
}

// Runs the event loop for ms (to show that something does not happen, or to
// let the station run a while).
inline void Pump(int ms) {
  RunEventsUntil([] { return false; }, ms);
}

// 127.X.Y.host, with X.Y taken from the process id: ctest runs tests in
// parallel processes and the logger port is fixed, so each process dials and
// listens on addresses of its own.
inline QString LoopbackAddress(int host) {
  const long pid = static_cast<long>(getpid());
  const int x = 16 + static_cast<int>((pid / 250) % 230);
  const int y = 1 + static_cast<int>(pid % 250);
  return QStringLiteral("127.%1.%2.%3").arg(x).arg(y).arg(host);
}

// A port on 127.0.0.1 nothing listens on just now, for a server the test
// starts later (often in another process). It lies below the range the kernel
// hands out by itself: a port from there may be given to any process's
// connecting socket or port-0 listener between this probe and the bind, while
// one below it is taken only by a program asking for that very number. Where
// the search starts comes from the process id, so parallel test processes try
// different ports.
inline int FreeLoopbackPort() {
  int ephemeralLow = 32768;
  QFile range(QStringLiteral("/proc/sys/net/ipv4/ip_local_port_range"));
  if (range.open(QIODevice::ReadOnly)) {
    const int low = range.readAll().simplified().split(' ').value(0).toInt();
    if (low > 0) ephemeralLow = low;
  }
  constexpr int kFirst = 10000;
  static int calls = 0;
  if (ephemeralLow - kFirst >= 1000) {
    const int span = ephemeralLow - kFirst;
    const int start = static_cast<int>((static_cast<long>(getpid()) * 97 + 13 * calls++) % span);
    for (int k = 0; k < 200; ++k) {
      const int port = kFirst + (start + k) % span;
      QTcpServer probe;
      if (probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), static_cast<quint16>(port))) return port;
    }
  }
  QTcpServer probe;
  if (!probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0)) return 0;
  return probe.serverPort();
}

}  // namespace ws::test
