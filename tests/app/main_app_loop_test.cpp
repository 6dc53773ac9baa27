// The program's own start-up (CMainApp::Run) in this process: the station
// window runs in the application's loop and is not modal, so the alarm list,
// a window of its own, takes ACK while the station window is up; SIGTERM ends
// the loop through the window's exit sequence with status 0.
#include <QApplication>
#include <QDir>
#include <QHostAddress>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "app/main_app.h"
#include "app/main_dlg.h"
#include "dialogs/alarm_dlg.h"
#include "link/station_runtime.h"
#include "link/test_support.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_logger.h"
#include "widgets/message_helpers.h"
#include "widgets/nex_button.h"

namespace ws {
namespace {

using test::LoopbackAddress;
using test::WaitFor;

CMainDlg* StationWindow() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* window = qobject_cast<CMainDlg*>(w)) return window;
  }
  return nullptr;
}

// What the run saw from inside its loop.
struct Seen {
  bool windowUp = false;
  Qt::WindowModality modality = Qt::ApplicationModal;
  bool modalWidget = true;
  bool alarmShown = false;
  bool alarmHiddenByAck = false;
  bool acknowledged = false;
};

// Inside the running loop: the station window is up; the logger blows at Trip,
// the alarm list shows, and a click on its ACK (through the window system, where
// a modal window would block it) acknowledges in the runtime. Then SIGTERM.
void DriveStation(Seen& seen) {
  CMainDlg* window = StationWindow();
  if (window && window->isVisible()) {
    seen.windowUp = true;
    seen.modality = window->windowModality();
    seen.modalWidget = QApplication::activeModalWidget() != nullptr;
    CAlarmDlg* alarm = window->AlarmDlg();
    seen.alarmShown = alarm && WaitFor([&] { return alarm->isVisible(); });
    if (seen.alarmShown) {
      CNexButton* ack = alarm->AckButton();
      const QPoint at = ack->mapTo(alarm, QPoint(ack->width() / 2, ack->height() / 2));
      QTest::mouseClick(alarm->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
      seen.alarmHiddenByAck = WaitFor([&] { return !alarm->isVisible(); }, 2000);
      seen.acknowledged = !window->runtime().alarms().Unacknowledged();
    }
  }
  ::raise(SIGTERM);
}

TEST(MainAppLoop, TheStationWindowIsNotModalAndTheAlarmListTakesAckWhileItIsUp) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  SimLogger logger(0, QHostAddress(LoopbackAddress(40)), 4000, 3);
  ASSERT_TRUE(logger.IsListening()) << logger.ErrorString().toStdString();
  logger.HoldWind(46.0);  // Trip
  SimSite site;
  site.loggerCount = 1;
  site.firstLoggerHost = QHostAddress(LoopbackAddress(40)).toIPv4Address();
  std::string error;
  ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;
  std::vector<QString> messages;
  SetMessageHandler([&](int, const QString& text) {
    messages.push_back(text);
    return static_cast<int>(kIdOk);
  });
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));

  Seen seen;
  QTimer::singleShot(0, [&seen] { DriveStation(seen); });
  // A hang guard: a loop the exit sequence does not end is ended here.
  bool guardFired = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&guardFired] {
    guardFired = true;
    if (CMainDlg* window = StationWindow()) window->ExitSequence();
    QCoreApplication::exit(1);
  });
  guard.start(test::kPatienceMs * 2);

  CMainApp app;
  app.m_LockDirectory = dir.path();
  app.m_bMaximised = false;
  const int status = app.Run();
  guard.stop();
  QDir::setCurrent(previous);
  SetMessageHandler({});

  EXPECT_TRUE(seen.windowUp);
  EXPECT_EQ(seen.modality, Qt::NonModal) << "the station window runs as a modal dialog";
  EXPECT_FALSE(seen.modalWidget);
  EXPECT_TRUE(seen.alarmShown);
  EXPECT_TRUE(seen.alarmHiddenByAck);
  EXPECT_TRUE(seen.acknowledged) << "ACK did not reach the runtime";
  EXPECT_FALSE(guardFired) << "the exit sequence did not end the loop";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(StationWindow(), nullptr);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace ws
