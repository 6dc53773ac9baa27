#include "app/main_app.h"

#include <QApplication>
#include <QDir>
#include <QScreen>

#include "app/exit_signals.h"
#include "app/instance_lock.h"
#include "app/journal_notice.h"
#include "app/keep_awake.h"
#include "app/main_dlg.h"
#include "core/clock.h"
#include "link/modbus_output.h"
#include "link/mqtt_publisher.h"
#include "link/station_journal.h"
#include "link/station_runtime.h"
#include "util/version_info.h"
#include "widgets/display_fonts.h"
#include "widgets/message_helpers.h"

namespace ws {

int CMainApp::Run() {
  CInstanceLock lock(m_LockDirectory);
  if (!lock.TryLock()) {
    ShowMessageF("%s", kAlreadyRunning);
    return 1;
  }
  InstallFontSubstitutions();

  // The station keeps its configuration and records in the directory it was started in.
  const QString workdir = QDir::currentPath();
  SystemClock clock;
  // The journal outlives the window's runtime, whose end it records, and is
  // open before the runtime starts, whose start it records.
  StationJournal journal(workdir);
  CMainDlg dialog(workdir, clock);
  auto* journalNotice = new CJournalNotice(&dialog);
  dialog.AddNotice(journalNotice);
  QObject::connect(&journal, &StationJournal::journalProblem, journalNotice, [&dialog, journalNotice](const QString& text) {
    journalNotice->ShowProblem(text);
    dialog.NoticesChanged();
  });
  QObject::connect(&journal, &StationJournal::journalResumed, journalNotice, [&dialog, journalNotice] {
    journalNotice->ShowResumed();
    dialog.NoticesChanged();
  });
  journal.Open();
  journal.Attach(dialog.runtime());
  CExitSignals exitSignals;
  QObject::connect(&exitSignals, &CExitSignals::exitRequested, &dialog, [&dialog](int number) {
    dialog.ExitSequence(ExitSignalName(number));
  });
  // A quit from elsewhere (the session manager) still saves.
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, &dialog, [&dialog] { dialog.ExitSequence("session end"); });
  dialog.Init();
  // The plant's Modbus TCP output, on when windscope.ini says so.
  ModbusOutput modbus(dialog.runtime());
  // Publishing to an MQTT broker, off unless windscope.ini says otherwise.
  MqttPublisher mqtt(dialog.runtime(), VersionEntryText(VersionEntry::kProductVersion));
  // F1 shows both outputs' state; a refusal of the credentials shows in the
  // strip (connected before the first attempt, so that none is missed).
  dialog.SetPlantOutputs(&modbus, &mqtt);
  modbus.Apply();
  mqtt.Apply(dialog.runtime().stationIni().mqtt);
  QObject::connect(&dialog.runtime(), &StationRuntime::stationIniChanged, &mqtt,
                   [&mqtt, &dialog] { mqtt.Apply(dialog.runtime().stationIni().mqtt); });
  CKeepAwake keepAwake;
  keepAwake.Inhibit();
  if (m_bMaximised) {
    // Without a window manager (a bare X server) "maximised" means nothing:
    // start on the whole available screen either way.
    if (const QScreen* screen = dialog.screen()) dialog.setGeometry(screen->availableGeometry());
    dialog.showMaximized();
  } else {
    dialog.show();
  }
  // The window runs in the application's loop, not in its own exec(): exec()
  // marks it application-modal, and only its being visible already keeps that
  // from blocking the alarm list (a window of its own) and its ACK. The loop
  // ends once the window's exit sequence has run; exit() rather than quit(),
  // which a window refusing to close could cancel.
  QObject::connect(&dialog, &CMainDlg::finished, qApp, [] { QCoreApplication::exit(0); });
  if (dialog.Running()) QApplication::exec();
  dialog.ExitSequence();
  modbus.server().Stop();
  keepAwake.Release();
  return 0;
}

}  // namespace ws
