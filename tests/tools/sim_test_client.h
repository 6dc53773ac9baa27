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

// Spins the event loop until `done` holds or `timeoutMs` has passed.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

// Lets the event loop run for `ms` (to show that something does not happen).
inline void Spin(int ms) {
  WaitUntil([] { return false; }, ms);
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
  bool WaitForBytes(qsizetype count, int timeoutMs = 3000) {
    return WaitUntil([&] { return m_received.size() >= count; }, timeoutMs);
  }
  bool WaitForClose(int timeoutMs = 3000) {
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
