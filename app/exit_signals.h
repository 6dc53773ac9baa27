// SIGTERM, SIGINT and SIGHUP (system shutdown, kill, Ctrl+C, the session
// ending) turned into a Qt signal on the GUI thread, so that the station runs
// its orderly exit sequence instead of dying with unsaved settings.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace ws {

// "SIGTERM", "SIGINT", "SIGHUP", else "signal": the end reason journalled.
const char* ExitSignalName(int signalNumber);

class CExitSignals : public QObject {
  Q_OBJECT

 public:
  explicit CExitSignals(QObject* parent = nullptr);
  ~CExitSignals() override;

  // False when the wake-up pipe could not be made (the signals then keep
  // their default action).
  bool Installed() const { return m_bInstalled; }

 signals:
  void exitRequested(int signalNumber);

 private:
  void OnReadable();

  QSocketNotifier* m_pNotifier = nullptr;
  bool m_bInstalled = false;
};

}  // namespace ws
