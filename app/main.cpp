// windscope: the monitoring station an operator runs, one window over the
// acquisition runtime, in the current directory.
#include <QApplication>

#include "app/main_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("windscope"));
  QApplication::setApplicationDisplayName(QStringLiteral("WINDSCOPE"));
  // The station window ends the program, not the last window closed (the
  // alarm list may be the last one shown).
  QApplication::setQuitOnLastWindowClosed(false);
  ws::CMainApp mainApp;
  return mainApp.Run();
}
