// A loopback TCP client for simulator tests. The simulator runs on the same
// thread, so every wait spins the event loop until a deadline.
#pragma once

#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QTcpSocket>
#include <QThread>
#include <functional>

namespace ws::test {

// No wait for a condition gives up sooner than this: a loaded machine can hold
// the test and the simulator back for seconds, and a wait ends as soon as its
// condition holds, so the patience only guards against a hang.
inline constexpr int kClientPatienceMs = 30000;

// Spins the event loop until `done` holds or `ms` has passed.
inline bool SpinUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

// Spins the event loop until `done` holds; false only when it has not after
// `timeoutMs` or kClientPatienceMs, whichever is longer.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kClientPatienceMs) {
  return SpinUntil(done, timeoutMs > kClientPatienceMs ? timeoutMs : kClientPatienceMs);
}

// Lets the event loop run for `ms` (to show that something does not happen).
inline void Spin(int ms) {
  SpinUntil([] { return false; }, ms);
}

// A loopback address of this test process, 127.77.<pid>.<n>, so that parallel
// test runs do not meet; with port 0 the kernel picks a free port anyway.
inline QHostAddress TestAddress(int n) {
  const quint32 pidPart = static_cast<quint32>(getpid()) % 250u;
  return QHostAddress((127u << 24) | (77u << 16) | (pidPart << 8) | static_cast<quint32>(n));
}

class TestClient {
 public:
  TestClient() {
    QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] {
      const QByteArray chunk = m_socket.readAll();
      m_received += chunk;
      m_chunks.append(chunk);
    });
  }

  bool Connect(const QHostAddress& address, quint16 port) {
    m_socket.connectToHost(address, port);
    return WaitUntil([this] { return m_socket.state() == QAbstractSocket::ConnectedState; });
  }
  void Send(const QByteArray& bytes) { m_socket.write(bytes); }
  bool WaitForBytes(qsizetype count, int timeoutMs = kClientPatienceMs) {
    return WaitUntil([&] { return m_received.size() >= count; }, timeoutMs);
  }
  bool WaitForClose(int timeoutMs = kClientPatienceMs) {
    return WaitUntil([&] { return m_socket.state() == QAbstractSocket::UnconnectedState; },
                     timeoutMs);
  }
  QByteArray TakeReceived() {
    m_chunks.clear();
    QByteArray all;
    all.swap(m_received);
    return all;
  }
  const QByteArray& Received() const { return m_received; }
  const QList<QByteArray>& Chunks() const { return m_chunks; }
  QTcpSocket& Socket() { return m_socket; }

 private:
  QTcpSocket m_socket;
  QByteArray m_received;
  QList<QByteArray> m_chunks;
};

}  // namespace ws::test
