#include "link/nex_sock.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTimer>

#include <algorithm>
#include <array>

#include "link/link_logging.h"

namespace ws {

Q_LOGGING_CATEGORY(lcLink, "windscope.link")

int LinkEventForSocketError(QAbstractSocket::SocketError error) {
  switch (error) {
    case QAbstractSocket::SocketTimeoutError:
      return kLinkTimedOut;
    case QAbstractSocket::ConnectionRefusedError:
      return kLinkRefused;
    case QAbstractSocket::UnsupportedSocketOperationError:
      return kLinkNotASocket;
    case QAbstractSocket::SocketAddressNotAvailableError:
      return kLinkAddressNotAvailable;
    default:
      return kLinkErrorBase + static_cast<int>(error);
  }
}

CNexSock::CNexSock(int linkId, QObject* parent) : QObject(parent), m_LinkId(linkId) {
  m_ReceiveBuffer.reserve(1024);
}

CNexSock::~CNexSock() { DropSocket(); }

QString CNexSock::DottedAddress(uint32_t a) {
  // Network order: the first octet is the lowest byte in memory, which on the
  // little-endian targets is the lowest byte of the value.
  const auto* b = reinterpret_cast<const unsigned char*>(&a);
  return QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]);
}

void CNexSock::Connect(uint32_t addressNetworkOrder, quint16 port) {
  Connect(DottedAddress(addressNetworkOrder), port);
}

void CNexSock::Connect(const QString& dottedAddress, quint16 port) {
  m_PeerAddress = dottedAddress;
  m_Port = port;
  if (m_Connected) {
    emit linkEvent(m_LinkId, kLinkAlreadyConnected);
    return;
  }
  DropSocket();

  const QHostAddress host(dottedAddress);
  // 0.0.0.0 reaches this machine on Linux and 255.255.255.255 is no host: an
  // unset address must look like an unreachable logger, not like a live one.
  if (host.protocol() != QAbstractSocket::IPv4Protocol ||
      host == QHostAddress(QHostAddress::AnyIPv4) || host == QHostAddress(QHostAddress::Broadcast)) {
    qCDebug(lcLink) << "link" << m_LinkId << "not dialling" << dottedAddress;
    return;
  }

  auto* socket = new QTcpSocket(this);
  socket->setProxy(QNetworkProxy::NoProxy);
  // Bounds what a flooding peer can make us hold; the kernel and TCP flow
  // control keep the rest.
  socket->setReadBufferSize(kReceiveLimit);
  connect(socket, &QTcpSocket::connected, this, &CNexSock::OnConnected);
  connect(socket, &QTcpSocket::disconnected, this, &CNexSock::OnDisconnected);
  connect(socket, &QTcpSocket::errorOccurred, this, &CNexSock::OnError);
  connect(socket, &QTcpSocket::readyRead, this, &CNexSock::OnReadable);
  m_Socket = socket;
  m_Mode = 2;
  ++m_ConnectCount;
  socket->connectToHost(host, port);
}

qint64 CNexSock::Send(const char* data, qint64 count) {
  if (!m_Connected || !m_Socket || count <= 0) return 0;
  return m_Socket->write(data, count);
}

bool CNexSock::Flush(int msecs) {
  if (!m_Socket || m_Socket->state() != QAbstractSocket::ConnectedState) return false;
  m_Socket->flush();
  if (m_Socket->bytesToWrite() > 0) m_Socket->waitForBytesWritten(msecs);
  return m_Socket->bytesToWrite() == 0;
}

bool CNexSock::WaitForConnected(int msecs) {
  if (m_Connected) return true;
  QPointer<QTcpSocket> socket = m_Socket;
  if (!socket || (socket->state() != QAbstractSocket::HostLookupState &&
                  socket->state() != QAbstractSocket::ConnectingState)) {
    return false;
  }
  socket->waitForConnected(msecs);
  return m_Connected;
}

void CNexSock::Close() { DropSocket(); }

void CNexSock::DropSocket() {
  m_Connected = false;
  m_DrainQueued = false;
  QTcpSocket* socket = m_Socket.data();
  m_Socket.clear();
  if (!socket) return;
  socket->disconnect(this);
  if (socket->state() == QAbstractSocket::ConnectedState) {
    // Shut the sending side after what is still queued; the object goes once
    // the connection has ended, or after a grace period.
    socket->flush();
    socket->disconnectFromHost();
  } else {
    socket->abort();  // a connect still under way is dropped at once
  }
  if (socket->state() == QAbstractSocket::UnconnectedState) {
    socket->deleteLater();
    return;
  }
  connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
  QTimer::singleShot(2000, socket, [socket] {
    socket->abort();
    socket->deleteLater();
  });
}

void CNexSock::OnConnected() {
  m_LastConnectResult = 0;
  m_Connected = true;
  emit linkEvent(m_LinkId, kLinkConnected);
}

void CNexSock::OnDisconnected() {
  if (!m_Connected) return;
  m_Connected = false;
  emit linkEvent(m_LinkId, kLinkClosed);
}

void CNexSock::OnError(QAbstractSocket::SocketError error) {
  // Errors of a live connection end in disconnected(); only connect failures
  // are events of their own.
  if (m_Connected) return;
  const int code = LinkEventForSocketError(error);
  m_LastConnectResult = code;
  qCDebug(lcLink) << "link" << m_LinkId << "connect to" << m_PeerAddress << "failed:" << error;
  if (error == QAbstractSocket::SocketResourceError) emit socketError(m_LinkId);
  emit linkEvent(m_LinkId, code);
}

const QString& CNexSock::ReceivedText() const {
  if (!m_TextValid) {
    m_ReceivedText.resize(m_ReceiveBuffer.size());
    QChar* out = m_ReceivedText.data();
    for (qsizetype i = 0; i < m_ReceiveBuffer.size(); ++i) {
      const auto sign = static_cast<int16_t>(static_cast<int8_t>(m_ReceiveBuffer[i]));
      out[i] = QChar(static_cast<char16_t>(static_cast<uint16_t>(sign)));
    }
    m_TextValid = true;
  }
  return m_ReceivedText;
}

void CNexSock::QueueRead(int delayMs) {
  if (m_DrainQueued) return;
  m_DrainQueued = true;
  QPointer<QTcpSocket> socket = m_Socket;
  QTimer::singleShot(delayMs, this, [this, socket] {
    m_DrainQueued = false;
    if (socket && socket == m_Socket) OnReadable();
  });
}

void CNexSock::OnReadable() {
  QPointer<QTcpSocket> socket = m_Socket;
  if (!socket) return;
  const qint64 waiting = socket->bytesAvailable();
  if (waiting <= 0) return;

  if (m_ReceiveBudget > 0) {
    if (!m_BudgetWindow.isValid() || m_BudgetWindow.elapsed() >= 1000) {
      m_BudgetWindow.start();
      m_BudgetUsed = 0;
      m_DropUsed = 0;
    }
    if (m_BudgetUsed >= m_ReceiveBudget) {
      if (m_DropUsed < kFloodDropBudget) {
        // A flood: take the bytes off the socket unseen, so none of them are
        // left to be read as stale replies once the logger is well again.
        std::array<char, 64 * 1024> sink;
        const qint64 dropped = socket->read(sink.data(), std::min<qint64>(waiting, sink.size()));
        if (dropped > 0) {
          m_DropUsed += dropped;
          m_Dropped += dropped;
        }
        if (socket && socket == m_Socket && socket->bytesAvailable() > 0) QueueRead(0);
        return;
      }
      // Leave the bytes where they are: with the read buffer full the socket
      // stops reading and the peer is held back until the next second.
      QueueRead(static_cast<int>(std::max<qint64>(1, 1000 - m_BudgetWindow.elapsed())));
      return;
    }
  }

  const qint64 n = std::min<qint64>(waiting, kReceiveLimit);
  m_ReceiveBuffer.resize(n);
  const qint64 got = socket->read(m_ReceiveBuffer.data(), n);
  m_ReceiveBuffer.resize(std::max<qint64>(got, 0));
  m_BudgetUsed += m_ReceiveBuffer.size();
  m_TextValid = false;
  const QHostAddress peer = socket->peerAddress();
  if (!peer.isNull()) {
    m_PeerAddress = peer.toString();
    m_Port = socket->peerPort();
  }

  emit linkEvent(m_LinkId, kLinkData);

  // readyRead comes only for new data: what stayed behind a full receive is
  // picked up by a queued call, so other links get their turn in between.
  if (socket && socket == m_Socket && socket->bytesAvailable() > 0) QueueRead(0);
}

}  // namespace ws
