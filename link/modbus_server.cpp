#include "link/modbus_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <modbus/modbus.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "core/modbus_request.h"

namespace ws {

namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A client that sends no more than this per wake-up leaves room for the others;
// what it sent beyond waits for the next round.
constexpr size_t kReadChunk = 4096;
// The loop wakes this often without traffic, to close idle clients.
constexpr int kPollTimeoutMs = 250;
// The server's thread gives way to the station's loop: a client hammering the
// server takes CPU from the server, never from the polls.
constexpr int kServerNice = 10;

}  // namespace

struct ModbusServer::Client {
  int fd = -1;
  MbapFramer framer;
  int64_t lastRequestMs = 0;
};

// The server thread's side: the clients, the libmodbus context the replies
// are built with, and the register window a reply is taken from.
class ModbusServer::Loop {
 public:
  Loop(ModbusServer& server, modbus_t* context, modbus_mapping_t* window)
      : m_Server(server), m_Context(context), m_Window(window) {}

  ~Loop() {
    for (Client& c : m_Clients) ::close(c.fd);
    modbus_set_socket(m_Context, -1);
    modbus_mapping_free(m_Window);
    modbus_free(m_Context);
  }

  void Run() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kServerNice);
    std::vector<pollfd> fds;
    std::array<uint8_t, kReadChunk> buffer{};
    while (!m_Server.m_StopRequested.load()) {
      fds.clear();
      fds.push_back({m_Server.m_WakeRead, POLLIN, 0});
      // While accepting fails (no descriptors left) the listener is not watched
      // for a while, or its readiness would spin the loop.
      fds.push_back({m_Server.m_ListenFd, static_cast<short>(NowMs() < m_AcceptPausedUntilMs ? 0 : POLLIN), 0});
      for (const Client& c : m_Clients) fds.push_back({c.fd, POLLIN, 0});
      const int ready = ::poll(fds.data(), fds.size(), kPollTimeoutMs);
      if (ready < 0 && errno != EINTR) {
        // Not to be expected (no memory): say so rather than listen on in silence.
        const std::string reason = std::string("stopped: ") + std::strerror(errno);
        {
          std::lock_guard<std::mutex> lock(m_Server.m_StatusMutex);
          m_Server.m_Status.state = State::kRefused;
          m_Server.m_Status.reason = reason;
          m_Server.m_Status.clients = 0;
        }
        m_Server.NotifyStatus();
        return;
      }
      if (m_Server.m_StopRequested.load()) break;
      if (ready > 0 && (fds[1].revents & POLLIN) != 0) Accept();

      const int64_t now = NowMs();
      // fds[2 + i] belongs to the clients present before Accept, which appends.
      const size_t polled = fds.size() - 2;
      std::vector<bool> drop(m_Clients.size(), false);
      std::vector<bool> byServer(m_Clients.size(), false);
      for (size_t i = 0; i < m_Clients.size(); ++i) {
        Client& c = m_Clients[i];
        if (i < polled && fds[2 + i].revents != 0) {
          const ssize_t got = ::recv(c.fd, buffer.data(), buffer.size(), 0);
          if (got > 0) {
            c.framer.Append(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(got)));
            if (!Serve(c, now)) drop[i] = byServer[i] = true;
          } else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            drop[i] = true;  // the client closed, or its connection broke
          }
        }
        if (!drop[i] && now - c.lastRequestMs > m_Server.m_IdleMs) drop[i] = byServer[i] = true;
      }
      Drop(drop, byServer);
    }
  }

 private:
  void Accept() {
    for (;;) {
      const int fd = ::accept4(m_Server.m_ListenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) {
          m_AcceptPausedUntilMs = NowMs() + 1000;
        }
        return;
      }
      if (m_Clients.size() >= static_cast<size_t>(kMaxClients)) {
        ::close(fd);
        std::lock_guard<std::mutex> lock(m_Server.m_StatusMutex);
        ++m_Server.m_Status.clientsRefused;
        continue;
      }
      const int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      Client client;
      client.fd = fd;
      client.lastRequestMs = NowMs();
      m_Clients.push_back(std::move(client));
      SetClientCount();
    }
  }

  // Answers every complete request buffered; false when the client must go
  // (its framing is lost, or a reply could not be sent at once).
  bool Serve(Client& c, int64_t now) {
    for (;;) {
      switch (c.framer.Next(m_Frame)) {
        case MbapFramer::Result::kNeedMore: return true;
        case MbapFramer::Result::kBroken: return false;
        case MbapFramer::Result::kFrame:
          if (!Reply(c.fd)) return false;
          c.lastRequestMs = now;
          break;
      }
    }
  }

  bool Reply(int fd) {
    const std::span<const uint8_t> pdu = std::span<const uint8_t>(m_Frame).subspan(kMbapHeaderSize);
    ModbusVerdict verdict;
    {
      std::lock_guard<std::mutex> lock(m_Server.m_ImageMutex);
      verdict = JudgeRequest(pdu, m_Server.m_Image);
      if (verdict.exception == 0) {
        uint16_t* table =
            pdu[0] == kFcReadHoldingRegisters ? m_Window->tab_registers : m_Window->tab_input_registers;
        m_Server.m_Image.Read(verdict.address, std::span<uint16_t>(table, static_cast<size_t>(verdict.count)));
      }
    }
    {
      // Counted before the reply leaves: a client that has its answer finds it counted.
      std::lock_guard<std::mutex> lock(m_Server.m_StatusMutex);
      if (verdict.exception == 0) {
        ++m_Server.m_Status.requestsServed;
      } else {
        ++m_Server.m_Status.exceptionsSent;
      }
    }
    modbus_set_socket(m_Context, fd);
    int sent;
    if (verdict.exception == 0) {
      // The window holds exactly the registers asked for, so libmodbus finds
      // the request valid and answers without any of its waits.
      m_Window->start_registers = verdict.address;
      m_Window->start_input_registers = verdict.address;
      sent = modbus_reply(m_Context, m_Frame.data(), static_cast<int>(m_Frame.size()), m_Window);
    } else {
      sent = modbus_reply_exception(m_Context, m_Frame.data(), verdict.exception);
    }
    return sent > 0;
  }

  void Drop(const std::vector<bool>& drop, const std::vector<bool>& byServer) {
    if (std::find(drop.begin(), drop.end(), true) == drop.end()) return;
    int64_t dropped = 0;
    std::vector<Client> kept;
    kept.reserve(m_Clients.size());
    for (size_t i = 0; i < m_Clients.size(); ++i) {
      if (drop[i]) {
        ::close(m_Clients[i].fd);
        if (byServer[i]) ++dropped;
      } else {
        kept.push_back(std::move(m_Clients[i]));
      }
    }
    m_Clients = std::move(kept);
    {
      std::lock_guard<std::mutex> lock(m_Server.m_StatusMutex);
      m_Server.m_Status.clientsDropped += dropped;
    }
    SetClientCount();
  }

  void SetClientCount() {
    {
      std::lock_guard<std::mutex> lock(m_Server.m_StatusMutex);
      m_Server.m_Status.clients = static_cast<int>(m_Clients.size());
    }
    m_Server.NotifyStatus();
  }

  ModbusServer& m_Server;
  modbus_t* m_Context;
  modbus_mapping_t* m_Window;
  std::vector<Client> m_Clients;
  std::vector<uint8_t> m_Frame;
  int64_t m_AcceptPausedUntilMs = 0;
};

ModbusServer::ModbusServer(QObject* parent) : QObject(parent) {}

ModbusServer::~ModbusServer() { Stop(); }

bool ModbusServer::Start(const std::string& address, int port) {
  Stop();
  in_addr ip{};
  if (inet_pton(AF_INET, address.c_str(), &ip) != 1) {
    Refuse(address, port, "\"" + address + "\" is not an IPv4 address");
    return false;
  }
  if (port < 0 || port > 65535) {
    Refuse(address, port, "port " + std::to_string(port) + " is not a TCP port");
    return false;
  }
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    Refuse(address, port, std::string("no socket: ") + std::strerror(errno));
    return false;
  }
  const int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_addr = ip;
  where.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 || ::listen(fd, 32) != 0) {
    const int error = errno;
    ::close(fd);
    Refuse(address, port, BindFailureText(address, port, error));
    return false;
  }
  socklen_t length = sizeof where;
  getsockname(fd, reinterpret_cast<sockaddr*>(&where), &length);
  const int boundPort = ntohs(where.sin_port);

  int wake[2] = {-1, -1};
  modbus_t* context = modbus_new_tcp("127.0.0.1", boundPort);
  modbus_mapping_t* window =
      modbus_mapping_new_start_address(0, 0, 0, 0, 0, kModbusMaxReadRegisters, 0, kModbusMaxReadRegisters);
  if (pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0 || context == nullptr || window == nullptr) {
    const int error = errno;
    ::close(fd);
    if (wake[0] >= 0) ::close(wake[0]);
    if (wake[1] >= 0) ::close(wake[1]);
    if (context != nullptr) modbus_free(context);
    if (window != nullptr) modbus_mapping_free(window);
    Refuse(address, port, std::string("cannot start: ") + std::strerror(error));
    return false;
  }
  m_ListenFd = fd;
  m_WakeRead = wake[0];
  m_WakeWrite = wake[1];
  m_StopRequested = false;
  {
    std::lock_guard<std::mutex> lock(m_StatusMutex);
    m_Status.state = State::kListening;
    m_Status.address = address;
    m_Status.port = boundPort;
    m_Status.clients = 0;
    m_Status.reason.clear();
  }
  m_Thread = std::thread([this, context, window] {
    Loop loop(*this, context, window);
    loop.Run();
  });
  NotifyStatus();
  return true;
}

void ModbusServer::Stop() {
  if (m_Thread.joinable()) {
    m_StopRequested = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t woken = ::write(m_WakeWrite, &byte, 1);
    m_Thread.join();
  }
  for (int* fd : {&m_ListenFd, &m_WakeRead, &m_WakeWrite}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  bool changed = false;
  {
    std::lock_guard<std::mutex> lock(m_StatusMutex);
    changed = m_Status.state != State::kOff;
    m_Status.state = State::kOff;
    m_Status.clients = 0;
    m_Status.reason.clear();
  }
  if (changed) NotifyStatus();
}

bool ModbusServer::Listening() const {
  std::lock_guard<std::mutex> lock(m_StatusMutex);
  return m_Status.state == State::kListening;
}

ModbusServer::Status ModbusServer::status() const {
  std::lock_guard<std::mutex> lock(m_StatusMutex);
  return m_Status;
}

void ModbusServer::Refuse(const std::string& address, int port, const std::string& reason) {
  {
    std::lock_guard<std::mutex> lock(m_StatusMutex);
    m_Status.state = State::kRefused;
    m_Status.address = address;
    m_Status.port = port;
    m_Status.clients = 0;
    m_Status.reason = reason;
  }
  NotifyStatus();
}

void ModbusServer::NotifyStatus() {
  QMetaObject::invokeMethod(this, [this] { emit statusChanged(); }, Qt::QueuedConnection);
}

std::string ModbusServer::BindFailureText(const std::string& address, int port, int error) {
  if (error == EACCES && port > 0 && port < 1024) {
    return "port " + std::to_string(port) +
           " needs privileges (below 1024); use a port from 1024 up, e.g. 1502, or give the program "
           "CAP_NET_BIND_SERVICE";
  }
  return "cannot listen on " + address + ":" + std::to_string(port) + ": " + std::strerror(error);
}

std::string ModbusServer::StateText(const Status& s) {
  switch (s.state) {
    case State::kOff: return "off";
    case State::kRefused: return "refused: " + s.reason;
    case State::kListening:
      return "listening on " + s.address + ":" + std::to_string(s.port) + ", " + std::to_string(s.clients) +
             (s.clients == 1 ? " client" : " clients");
  }
  return "off";
}

std::string ModbusServer::CountersText(const Status& s) {
  return "requests served " + std::to_string(s.requestsServed) + ", exceptions " + std::to_string(s.exceptionsSent) +
         ", clients refused " + std::to_string(s.clientsRefused) + ", clients dropped " +
         std::to_string(s.clientsDropped);
}

std::string ModbusServer::StatsLine(const Status& s) { return "modbus: " + StateText(s) + "; " + CountersText(s); }

}  // namespace ws
