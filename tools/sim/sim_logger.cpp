#include "tools/sim/sim_logger.h"

#include <QPointer>
#include <QTcpSocket>
#include <bit>

#include "tools/sim/sim_command_reader.h"
#include "tools/sim/sim_history.h"

namespace ws {
namespace {

// A command still incomplete after this long will not be completed.
constexpr int kPartialCommandMs = 500;
constexpr int kFloodIntervalMs = 20;
constexpr qsizetype kFloodChunk = 64 * 1024;   // 3.2 MB/s per connection
constexpr qint64 kFloodBacklog = 1024 * 1024;  // stop adding while the peer lags

void AppendFloatLE(QByteArray& out, float value) {
  const uint32_t bits = std::bit_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.append(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

// Two decimal digits at `at`, or -1.
int TwoDigits(const QByteArray& text, int at) {
  const char a = text.at(at);
  const char b = text.at(at + 1);
  if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
  return (a - '0') * 10 + (b - '0');
}

}  // namespace

struct SimLogger::Connection {
  SimCommandReader reader;
  QTimer partialTimer;
};

QString SimListenOnLoopback(QTcpServer& server, const QHostAddress& address, quint16 port) {
  if (address.protocol() != QAbstractSocket::IPv4Protocol || !address.isLoopback()) {
    return QStringLiteral("%1 is not a loopback IPv4 address").arg(address.toString());
  }
  if (!server.listen(address, port)) {
    return QStringLiteral("cannot listen on %1:%2: %3")
        .arg(address.toString())
        .arg(port)
        .arg(server.errorString());
  }
  return QString();
}

QString SimPrintable(const QByteArray& bytes) {
  QByteArray shown = bytes;
  QString suffix;
  if (bytes.startsWith("APPW:") && bytes.size() > 9) {
    shown = bytes.left(9);
    suffix = QStringLiteral(" +%1 bytes").arg(bytes.size() - 9);
  }
  QString text;
  for (const char c : shown) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F && u != '\\') {
      text.append(QChar(u));
    } else {
      text.append(QStringLiteral("\\x%1").arg(u, 2, 16, QChar('0')));
    }
  }
  return text + suffix;
}

SimLogger::SimLogger(int index, const QHostAddress& address, quint16 port, uint32_t seed,
                     QObject* parent)
    : QObject(parent),
      m_index(index),
      m_address(address),
      m_wind(seed * 1000003u + static_cast<uint32_t>(index)),
      m_random(seed ^ (0x5151u + static_cast<uint32_t>(index))) {
  m_uptime.start();
  m_floodTimer.setInterval(kFloodIntervalMs);
  connect(&m_floodTimer, &QTimer::timeout, this, &SimLogger::Flood);
  connect(&m_server, &QTcpServer::newConnection, this, &SimLogger::OnNewConnection);
  m_error = SimListenOnLoopback(m_server, address, port);
}

SimLogger::~SimLogger() {
  // Sockets are children of the server; stop their signals reaching a half-destroyed logger.
  for (auto& [socket, connection] : m_connections) socket->disconnect(this);
}

quint16 SimLogger::Port() const { return m_server.serverPort(); }

void SimLogger::SetFault(SimFault fault) {
  m_fault = fault;
  if (fault == SimFault::kFlood) {
    m_floodTimer.start();
  } else {
    m_floodTimer.stop();
  }
}

SimReading SimLogger::CurrentWind() { return m_wind.At(m_uptime.elapsed() / 1000.0); }

bool SimLogger::SendAppe() {
  for (auto& [socket, connection] : m_connections) socket->write("APPE:");
  emit logLine(QStringLiteral("logger %1 sent APPE: to %2 connection(s)")
                   .arg(m_index)
                   .arg(m_connections.size()));
  return !m_connections.empty();
}

QList<QByteArray> SimLogger::CommandTexts() const {
  QList<QByteArray> texts;
  texts.reserve(m_commands.size());
  for (const SimCommand& command : m_commands) texts.append(command.text);
  return texts;
}

QByteArray SimLogger::FirmwareImage() const {
  QByteArray image;
  for (const auto& [page, bytes] : m_pages) image.append(bytes);
  return image;
}

void SimLogger::ClearRecords() {
  m_commands.clear();
  m_pages.clear();
  m_firmwareComplete = false;
  m_restarts = 0;
}

void SimLogger::OnNewConnection() {
  while (QTcpSocket* socket = m_server.nextPendingConnection()) {
    ++m_accepted;
    auto connection = std::make_unique<Connection>();
    connection->partialTimer.setSingleShot(true);
    connection->partialTimer.setInterval(kPartialCommandMs);
    connect(&connection->partialTimer, &QTimer::timeout, this,
            [this, socket] { OnPartialTimeout(socket); });
    m_connections.emplace(socket, std::move(connection));
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Drop(socket); });
    emit logLine(QStringLiteral("logger %1 accepted %2:%3")
                     .arg(m_index)
                     .arg(socket->peerAddress().toString())
                     .arg(socket->peerPort()));
  }
}

void SimLogger::Drop(QTcpSocket* socket) {
  const auto it = m_connections.find(socket);
  if (it == m_connections.end()) return;
  m_connections.erase(it);
  socket->disconnect(this);
  socket->deleteLater();
  emit logLine(QStringLiteral("logger %1 connection closed").arg(m_index));
}

void SimLogger::OnReadyRead(QTcpSocket* socket) {
  const auto it = m_connections.find(socket);
  if (it == m_connections.end()) return;
  Connection& connection = *it->second;
  connection.reader.Append(socket->readAll());
  while (const auto command = connection.reader.Next()) {
    Handle(socket, *command);
    // Handling may close the connection (fault "disconnect").
    if (m_connections.find(socket) == m_connections.end()) return;
  }
  if (connection.reader.Pending() > 0) {
    connection.partialTimer.start();
  } else {
    connection.partialTimer.stop();
  }
}

void SimLogger::OnPartialTimeout(QTcpSocket* socket) {
  const auto it = m_connections.find(socket);
  if (it == m_connections.end()) return;
  const QByteArray rest = it->second->reader.TakeRest();
  if (rest.isEmpty()) return;
  if (rest.startsWith("APPW:") && rest.size() >= 9) {
    // A last page sent without its padding still counts as a page.
    Handle(socket, rest);
    return;
  }
  Record(rest);
  emit logLine(
      QStringLiteral("logger %1 dropped incomplete %2").arg(m_index).arg(SimPrintable(rest)));
}

void SimLogger::Record(const QByteArray& command) {
  SimCommand entry;
  entry.time = QDateTime::currentDateTime();
  entry.text = command.startsWith("APPW:") ? command.left(9) : command;
  m_commands.append(entry);
  if (m_commands.size() > kSimRecordLimit) m_commands.removeFirst();
  emit commandReceived(m_index, entry.text);
  emit logLine(QStringLiteral("logger %1 %2").arg(m_index).arg(SimPrintable(command)));
}

void SimLogger::Handle(QTcpSocket* socket, const QByteArray& command) {
  Record(command);
  if (m_fault == SimFault::kDisconnect) {
    emit logLine(QStringLiteral("logger %1 closing the connection (fault)").arg(m_index));
    socket->abort();
    Drop(socket);
    return;
  }
  QByteArray reply = Answer(command);
  if (reply.isEmpty() || m_fault == SimFault::kSilent) return;
  if (m_fault == SimFault::kAppeGlued && !m_firmwareComplete) reply.append("APPE:");
  Send(socket, std::move(reply));
  if (m_fault == SimFault::kAppe && !m_firmwareComplete) {
    QPointer<QTcpSocket> guard(socket);
    QTimer::singleShot(kSimAppePauseMs, this, [this, guard] {
      // The fault may have been changed meanwhile, or "APP>:" ended the image.
      if (guard && m_fault == SimFault::kAppe && !m_firmwareComplete) guard->write("APPE:");
    });
  }
}

QByteArray SimLogger::Answer(const QByteArray& command) {
  if (command == "R000?") return LiveReply();
  if (command.startsWith("R002?") && command.size() == 13) return DumpAnswer(command);
  if (command.startsWith("APPW:")) return PageAnswer(command);
  if (command == "APP>:") {
    m_firmwareComplete = true;
    if (m_fault == SimFault::kAppe || m_fault == SimFault::kAppeGlued) SetFault(SimFault::kNone);
    emit logLine(QStringLiteral("logger %1 firmware image complete: %2 pages, %3 bytes")
                     .arg(m_index)
                     .arg(m_pages.size())
                     .arg(FirmwareImage().size()));
    return "APP>:";
  }
  if (command == "REST:") {
    ++m_restarts;
    emit logLine(QStringLiteral("logger %1 REST: restart requested").arg(m_index));
    return {};
  }
  return "R001:";
}

QByteArray SimLogger::LiveReply() {
  const SimReading reading = CurrentWind();
  QByteArray reply("R000:");
  AppendFloatLE(reply, reading.direction);
  AppendFloatLE(reply, reading.speed);
  return reply;
}

QByteArray SimLogger::DumpAnswer(const QByteArray& command) {
  const int month = TwoDigits(command, 5);
  const int day = TwoDigits(command, 7);
  const int hour = TwoDigits(command, 9);
  const int minute = TwoDigits(command, 11);
  const bool endOfDay = hour == 24 && minute == 0;
  if (month < 1 || month > 12 || day < 1 || day > 31 || minute < 0 || minute > 59 || hour < 0 ||
      (hour > 23 && !endOfDay)) {
    return "R001:";
  }
  const SystemTime now = m_clock->Now();
  const int year = DumpYear(month, day, now);
  const std::vector<uint8_t> block = HistoryBlock(m_index, year, month, day, hour, minute, now);
  return QByteArray(reinterpret_cast<const char*>(block.data()),
                    static_cast<qsizetype>(block.size()));
}

QByteArray SimLogger::PageAnswer(const QByteArray& command) {
  int page = 0;
  for (int i = 5; i < 9; ++i) {
    const char c = command.at(i);
    if (c < '0' || c > '9') return "R001:";
    page = page * 10 + (c - '0');
  }
  if (page == 0) {
    m_pages.clear();
    m_firmwareComplete = false;
  }
  m_pages[page] = command.mid(9);
  return "APPW:";
}

void SimLogger::Send(QTcpSocket* socket, QByteArray reply) {
  switch (m_fault) {
    case SimFault::kShort:
      reply.chop(1);
      socket->write(reply);
      return;
    case SimFault::kSplit: {
      const qsizetype half = reply.size() / 2;
      socket->write(reply.left(half));
      socket->flush();
      QPointer<QTcpSocket> guard(socket);
      QTimer::singleShot(kSimSplitPauseMs, this, [guard, rest = reply.mid(half)] {
        if (guard) guard->write(rest);
      });
      return;
    }
    case SimFault::kJoin:
      socket->write(reply + LiveReply());
      return;
    case SimFault::kGarbage: {
      QByteArray noise(reply.size(), '\0');
      std::uniform_int_distribution<int> byte(0, 255);
      for (char& c : noise) c = static_cast<char>(byte(m_random));
      if (noise.startsWith("R0") || noise.startsWith("AP")) noise[0] = '\x7F';
      socket->write(noise);
      return;
    }
    case SimFault::kSlow: {
      QPointer<QTcpSocket> guard(socket);
      QTimer::singleShot(kSimSlowReplyMs, this, [guard, reply] {
        if (guard) guard->write(reply);
      });
      return;
    }
    case SimFault::kSlowBlocks: {
      if (!reply.startsWith("R002:") && !reply.startsWith("APPW:")) {
        socket->write(reply);
        return;
      }
      QPointer<QTcpSocket> guard(socket);
      QTimer::singleShot(kSimSlowBlockMs, this, [guard, reply] {
        if (guard) guard->write(reply);
      });
      return;
    }
    default:
      socket->write(reply);
      return;
  }
}

void SimLogger::Flood() {
  QByteArray chunk;
  chunk.reserve(kFloodChunk);
  const QByteArray reply = LiveReply();
  while (chunk.size() + reply.size() <= kFloodChunk) chunk.append(reply);
  for (auto& [socket, connection] : m_connections) {
    if (socket->bytesToWrite() < kFloodBacklog) socket->write(chunk);
  }
}

}  // namespace ws
