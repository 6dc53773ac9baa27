#include "tools/sim/sim_lamp_tower.h"

#include <QTcpSocket>

#include "tools/sim/sim_logger.h"

namespace ws {

QString SimHex(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex(' ')).toUpper(); }

SimLampTower::SimLampTower(const QHostAddress& address, quint16 port, QObject* parent)
    : QObject(parent), m_address(address) {
  connect(&m_server, &QTcpServer::newConnection, this, &SimLampTower::OnNewConnection);
  m_error = SimListenOnLoopback(m_server, address, port);
}

SimLampTower::~SimLampTower() {
  for (auto& [socket, buffer] : m_buffers) socket->disconnect(this);
}

bool SimLampTower::SetFault(SimFault fault) {
  if (fault != SimFault::kNone && fault != SimFault::kSilent) return false;
  m_fault = fault;
  return true;
}

void SimLampTower::OnNewConnection() {
  while (QTcpSocket* socket = m_server.nextPendingConnection()) {
    m_buffers.emplace(socket, QByteArray());
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Drop(socket); });
    emit logLine(QStringLiteral("lamp accepted %1:%2")
                     .arg(socket->peerAddress().toString())
                     .arg(socket->peerPort()));
  }
}

void SimLampTower::Drop(QTcpSocket* socket) {
  if (m_buffers.erase(socket) == 0) return;
  socket->disconnect(this);
  socket->deleteLater();
  emit logLine(QStringLiteral("lamp connection closed"));
}

void SimLampTower::OnReadyRead(QTcpSocket* socket) {
  const auto it = m_buffers.find(socket);
  if (it == m_buffers.end()) return;
  QByteArray& buffer = it->second;
  buffer.append(socket->readAll());
  while (buffer.size() >= kLampMessageBytes) {
    const QByteArray message = buffer.left(kLampMessageBytes);
    buffer.remove(0, kLampMessageBytes);
    m_messages.append(message);
    if (m_messages.size() > kSimRecordLimit) m_messages.removeFirst();
    emit messageReceived(message);
    emit logLine(QStringLiteral("lamp %1").arg(SimHex(message)));
    if (m_fault != SimFault::kSilent) socket->write(message);
  }
}

}  // namespace ws
