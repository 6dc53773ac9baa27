#include "app/exit_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace ws {

namespace {

// The handler may only write a byte: everything else happens on the GUI thread.
int g_pipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void OnSignal(int number) {
  const unsigned char byte = static_cast<unsigned char>(number);
  const int saved = errno;
  [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

const char* ExitSignalName(int signalNumber) {
  switch (signalNumber) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "signal";
  }
}

CExitSignals::CExitSignals(QObject* parent) : QObject(parent) {
  if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
    g_pipe[0] = g_pipe[1] = -1;
    return;
  }
  m_pNotifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_pNotifier, &QSocketNotifier::activated, this, &CExitSignals::OnReadable);
  for (int number : kSignals) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(number, &action, nullptr);
  }
  m_bInstalled = true;
}

CExitSignals::~CExitSignals() {
  if (!m_bInstalled) return;
  for (int number : kSignals) std::signal(number, SIG_DFL);
}

void CExitSignals::OnReadable() {
  unsigned char byte = 0;
  while (::read(g_pipe[0], &byte, 1) == 1) emit exitRequested(byte);
}

}  // namespace ws
