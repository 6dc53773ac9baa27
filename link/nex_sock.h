// One TCP client link to a data logger (port 4000) or to the signal lamp tower
// (port 20000): moves bytes and reports connect, close and data as link events.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpSocket>

#include <cstdint>

namespace ws {

// Link event codes carried by CNexSock::linkEvent.
//   0 connected, 1 closed by the peer or the network, 3 connect while connected,
//   4 connect timed out, 5 refused, 6 not a socket, 7 address not available,
//   100 data received.
// 4 is QAbstractSocket::SocketTimeoutError, 5 ConnectionRefusedError, 6
// UnsupportedSocketOperationError, 7 SocketAddressNotAvailableError. Any other
// connect failure passes kLinkErrorBase + its QAbstractSocket::SocketError value,
// so no code collides with the ones above: 1003 access denied, 1004 out of
// socket resources, 1007 network error (host or network unreachable, and the
// kernel's own connect time-out), 1008 address in use,
// 1019 operation error, 999 unknown.
enum LinkEvent : int {
  kLinkConnected = 0,
  kLinkClosed = 1,
  kLinkAlreadyConnected = 3,
  kLinkTimedOut = 4,
  kLinkRefused = 5,
  kLinkNotASocket = 6,
  kLinkAddressNotAvailable = 7,
  kLinkData = 100,
  kLinkErrorBase = 1000,
};

// Maps a Qt socket error met while connecting to its link event code.
int LinkEventForSocketError(QAbstractSocket::SocketError error);

// CNexSock lives on the GUI thread. Every notification is emitted synchronously
// (connect linkEvent with a direct connection), so a reply is fully handled
// before the link looks at the next one. The receiver may Close() or Connect()
// the link from inside its handler.
//
// A link never shows a dialog: the one failure the station reports to the
// operator (a socket that cannot be made) is the socketError() signal, for which
// the window shows "TCP/IP Error!".
class CNexSock final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kReceiveLimit = 409600;  // bytes handed over per data event
  static constexpr int kLampLinkId = 500;
  static constexpr quint16 kLoggerPort = 4000;
  static constexpr quint16 kLampPort = 20000;

  explicit CNexSock(int linkId = 0, QObject* parent = nullptr);
  ~CNexSock() override;

  int linkId() const { return m_LinkId; }
  void setLinkId(int id) { m_LinkId = id; }

  // address is an IPv4 address in network byte order, as the settings store it.
  // 0.0.0.0 and 255.255.255.255 are never dialled: the link stays silent.
  void Connect(uint32_t addressNetworkOrder, quint16 port);
  void Connect(const QString& dottedAddress, quint16 port);

  // Dropped without notice while the link is not connected. Returns the number of
  // bytes handed to the socket (0 when dropped).
  qint64 Send(const char* data, qint64 count);
  qint64 Send(const QByteArray& bytes) { return Send(bytes.constData(), bytes.size()); }

  // Writes out what the socket still holds, waiting at most msecs. Used before
  // closing the lamp link at exit so that its all-off message is not lost.
  bool Flush(int msecs);

  // Waits at most msecs for a connect under way to finish (the link's events are
  // emitted as usual). True when the link is connected. Used at exit so that the
  // lamp tower's all-off message is not dropped by a link that is reconnecting.
  bool WaitForConnected(int msecs);

  // Shuts the link down without any notification. Pending outgoing bytes are
  // still written before the connection ends.
  void Close();

  bool IsConnected() const { return m_Connected; }
  int LastConnectResult() const { return m_LastConnectResult; }
  const QString& PeerAddress() const { return m_PeerAddress; }
  quint16 Port() const { return m_Port; }

  // The last receive, valid until the next one on this link. The text holds one
  // character per byte, the byte sign-extended (0xFF reads as U+FFFF).
  const QString& ReceivedText() const;
  const QByteArray& ReceivedBytes() const { return m_ReceiveBuffer; }

  // At most this many bytes are taken from the peer per second (0: no limit);
  // beyond it the link stops reading until the second is over and TCP holds the
  // peer back, so a flooding logger cannot monopolise the station.
  void setReceiveBudget(qint64 bytesPerSecond) { m_ReceiveBudget = bytesPerSecond; }
  qint64 receiveBudget() const { return m_ReceiveBudget; }
  // A whole day's dump is about 350 KB; nothing a logger should send comes near.
  static constexpr qint64 kDefaultReceiveBudget = 1024 * 1024;
  // Beyond the budget, up to this many bytes a second more are still taken off
  // the socket and dropped unseen (no data event): a flood stops without leaving
  // megabytes of stale replies in the socket buffers, which would otherwise be
  // read at the budget's pace for many seconds after the logger is well again.
  // Reading and dropping costs a few per cent of a core at most; past it TCP
  // holds the peer back.
  static constexpr qint64 kFloodDropBudget = 32 * 1024 * 1024;
  // Bytes dropped unseen so far.
  qint64 DroppedBytes() const { return m_Dropped; }

  // Number of sockets made so far (a fresh one per Connect); lets tests and the
  // supervision see that a link was rebuilt.
  int ConnectCount() const { return m_ConnectCount; }

  static QString DottedAddress(uint32_t addressNetworkOrder);

 signals:
  void linkEvent(int linkId, int code);
  // A socket could not be made; the window shows "TCP/IP Error!".
  void socketError(int linkId);

 private:
  void OnConnected();
  void OnDisconnected();
  void OnError(QAbstractSocket::SocketError error);
  void OnReadable();
  void DropSocket();
  void QueueRead(int delayMs);

  int m_LinkId = 0;
  int m_Mode = 0;  // 2 once a connect has been started (TCP client)
  int m_LastConnectResult = 0;
  bool m_Connected = false;
  bool m_DrainQueued = false;
  int m_ConnectCount = 0;
  QString m_PeerAddress;
  quint16 m_Port = 0;
  QPointer<QTcpSocket> m_Socket;
  QByteArray m_ReceiveBuffer;
  // Built from the buffer on first use: most receivers want the bytes only.
  mutable QString m_ReceivedText;
  mutable bool m_TextValid = true;
  qint64 m_ReceiveBudget = kDefaultReceiveBudget;
  qint64 m_BudgetUsed = 0;
  qint64 m_DropUsed = 0;
  qint64 m_Dropped = 0;
  QElapsedTimer m_BudgetWindow;
};

}  // namespace ws
