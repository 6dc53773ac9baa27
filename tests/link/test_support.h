// Bounded waiting on the Qt event loop and loopback addresses private to one
// test process, for the link and runtime tests.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QString>
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

}  // namespace ws::test
