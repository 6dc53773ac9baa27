// CMainApp, the station's start-up: one instance only ("Already Running!" for
// a second copy), the keep-awake request, the display font substitutions, the
// working directory, then the station window until it ends.
#pragma once

#include <QString>

namespace ws {

class CMainApp {
 public:
  static constexpr const char* kAlreadyRunning = "Already Running!";

  // Runs the station in the current directory; returns the exit status
  // (0 after the orderly exit, 1 when another instance runs).
  int Run();

  // Lock directory for tests; empty: the runtime directory.
  QString m_LockDirectory;
  // Show the window maximised (the operator's screen) or at its current size.
  bool m_bMaximised = true;
};

}  // namespace ws
