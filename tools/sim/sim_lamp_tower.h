// The simulated signal lamp tower: a TCP server that takes the station's
// 10-byte lamp messages, records them and echoes each one as its sign of life.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <map>

#include "tools/sim/sim_fault.h"

class QTcpSocket;

namespace ws {

inline constexpr int kLampMessageBytes = 10;

class SimLampTower : public QObject {
  Q_OBJECT

 public:
  // Listens at once on a loopback `address` and `port` (0 picks a free port).
  SimLampTower(const QHostAddress& address, quint16 port = 20000, QObject* parent = nullptr);
  ~SimLampTower() override;

  QHostAddress Address() const { return m_address; }
  quint16 Port() const { return m_server.serverPort(); }
  bool IsListening() const { return m_server.isListening(); }
  QString ErrorString() const { return m_error; }

  // Only kNone and kSilent (records, never answers) apply; false for others.
  bool SetFault(SimFault fault);
  SimFault Fault() const { return m_fault; }

  // Every whole 10-byte message received, oldest first (the last kSimRecordLimit).
  const QList<QByteArray>& Messages() const { return m_messages; }
  QByteArray LastMessage() const { return m_messages.isEmpty() ? QByteArray() : m_messages.last(); }
  int ConnectionCount() const { return static_cast<int>(m_buffers.size()); }
  void ClearRecords() { m_messages.clear(); }

 signals:
  void messageReceived(const QByteArray& message);
  void logLine(const QString& line);

 private:
  void OnNewConnection();
  void OnReadyRead(QTcpSocket* socket);
  void Drop(QTcpSocket* socket);

  QHostAddress m_address;
  QTcpServer m_server;
  QString m_error;
  SimFault m_fault = SimFault::kNone;
  std::map<QTcpSocket*, QByteArray> m_buffers;
  QList<QByteArray> m_messages;
};

// "57 00 02 00 00 00 00 01 00 00"
QString SimHex(const QByteArray& bytes);

}  // namespace ws
