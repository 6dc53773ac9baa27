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

// Runs the event loop until pred() holds or ms have passed; returns pred().
template <typename Pred>
bool WaitFor(Pred pred, int ms) {
  QDeadlineTimer deadline(ms);
  while (!pred()) {
    if (deadline.hasExpired()) return pred();
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

// Runs the event loop for ms.
inline void Pump(int ms) {
  WaitFor([] { return false; }, ms);
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
