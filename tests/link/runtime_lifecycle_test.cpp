// The runtime's own life: what the exit save may overwrite, and what a rebuild
// for a new number of stacks leaves behind.
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstring>
#include <limits>
#include <sys/stat.h>

#include "core/settings_file.h"
#include "runtime_fixture.h"

namespace ws::test {
namespace {

// A logger that answers every "R000?" with the direction and speed set last.
class RawLogger {
 public:
  explicit RawLogger(const QString& address) {
    listening = server.listen(QHostAddress(address), CNexSock::kLoggerPort);
    QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
      while (QTcpSocket* s = server.nextPendingConnection()) {
        QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
          const QByteArray got = s->readAll();
          for (qsizetype at = got.indexOf("R000?"); at >= 0; at = got.indexOf("R000?", at + 1)) {
            QByteArray reply("R000:");
            reply.append(reinterpret_cast<const char*>(&direction), 4);  // little-endian host
            reply.append(reinterpret_cast<const char*>(&speed), 4);
            s->write(reply);
          }
        });
      }
    });
  }
  QTcpServer server;
  bool listening = false;
  float direction = 0.0f;
  float speed = 0.0f;
};

bool IsFifo(const QString& path) {
  struct stat st {};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

TEST(RuntimeSettingsTest, ExitLeavesAConfigurationFileThatCouldNotBeReadAlone) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // Stands for any file that exists but cannot be read; the station runs on the
  // defaults and must not put them in the operator's file's place.
  const QString path = dir.filePath(QString::fromLatin1(kSettingsFileName));
  ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  SystemClock clock;
  StationRuntime runtime(dir.path(), clock);
  runtime.Start();
  EXPECT_FALSE(runtime.SaveSettings());
  runtime.Shutdown();
  EXPECT_TRUE(IsFifo(path));

  // The configuration dialog's OK is the operator's own record: that is saved.
  StationRuntime second(dir.path(), clock);
  second.Start();
  Settings edited = second.settings();
  edited.soundMode = 0;
  second.ApplySettings(edited);
  second.Shutdown();
  EXPECT_FALSE(IsFifo(path));
  Settings saved;
  EXPECT_EQ(SettingsFile(dir.path().toStdString()).Load(saved, clock).outcome,
            SettingsFile::LoadOutcome::kLoaded);
  EXPECT_EQ(saved.soundMode, 0);
}

class RuntimeRebuildTest : public RuntimeFixture {
 protected:
  // Stack 1 asks for a firmware image, takes page 0 and then falls silent, so
  // the upload stays open. `finished` receives the upload's end code.
  void OpenUploadToStack1(int& finished) {
    ASSERT_TRUE(WaitForFirstReplies(2));
    const QString path = dir.filePath(QStringLiteral("image.bin"));
    {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      ASSERT_EQ(f.write(QByteArray(64 * 1024, '\x5A')), 64 * 1024);
    }
    ASSERT_TRUE(runtime->SetFirmwareImage(path));
    QObject::connect(runtime.get(), &StationRuntime::firmwareStarted, runtime.get(),
                     [this](int) { loggers[1]->SetFault(SimFault::kSilent); });
    QObject::connect(runtime.get(), &StationRuntime::firmwareFinished, runtime.get(),
                     [out = &finished](int end) { *out = end; });
    loggers[1]->SetFault(SimFault::kAppe);
    ASSERT_TRUE(WaitFor([&] { return runtime->UploadRunning(); }, 3000));
  }
};

TEST_F(RuntimeRebuildTest, RemovingTheUploadingStackEndsTheUploadAndPollingResumes) {
  StartSite(2, 110);
  int finished = -1;
  OpenUploadToStack1(finished);
  if (HasFatalFailure()) return;

  Settings edited = runtime->settings();
  edited.stackCount = 1;
  runtime->ApplySettings(edited);
  EXPECT_FALSE(runtime->UploadRunning());
  EXPECT_EQ(finished, static_cast<int>(FirmwareEnd::kAbandoned));
  const int64_t before = LiveReplies(0);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(0) > before; }, 3000));
}

TEST_F(RuntimeRebuildTest, NewAddressForTheUploadingStackEndsTheUpload) {
  StartSite(2, 115);
  int finished = -1;
  OpenUploadToStack1(finished);
  if (HasFatalFailure()) return;

  Settings edited = runtime->settings();
  edited.stacks[1].loggerAddress = AddressFromHostOrder(QHostAddress(LoopbackAddress(119)).toIPv4Address());
  runtime->ApplySettings(edited);
  EXPECT_FALSE(runtime->UploadRunning());
  EXPECT_EQ(finished, static_cast<int>(FirmwareEnd::kAbandoned));
  const int64_t before = LiveReplies(0);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(0) > before; }, 3000));
}

TEST_F(RuntimeRebuildTest, RebuiltStackForgetsTheValuesItHadBefore) {
  RawLogger logger(LoopbackAddress(120));
  ASSERT_TRUE(logger.listening);
  logger.direction = 123.0f;
  logger.speed = 5.0f;
  SimSite site;
  site.loggerCount = 1;
  site.firstLoggerHost = QHostAddress(LoopbackAddress(120)).toIPv4Address();
  std::string error;
  ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;
  runtime = std::make_unique<StationRuntime>(dir.path(), clock);
  runtime->Start();
  ASSERT_TRUE(WaitForFirstReplies(1));
  ASSERT_EQ(runtime->statistics().Stack(0).direction, 123.0f);

  // Rebuilt on a new address (the same logger under another loopback name),
  // stack 0 starts at 0/0; a reply without a usable direction leaves it there
  // rather than bringing back the old one.
  RawLogger moved(LoopbackAddress(121));
  ASSERT_TRUE(moved.listening);
  moved.direction = std::numeric_limits<float>::quiet_NaN();
  moved.speed = 7.0f;
  Settings edited = runtime->settings();
  edited.stackCount = 2;
  edited.stacks[0].loggerAddress = AddressFromHostOrder(QHostAddress(LoopbackAddress(121)).toIPv4Address());
  const int64_t before = LiveReplies(0);
  runtime->ApplySettings(edited);
  EXPECT_EQ(runtime->statistics().Stack(0).direction, 0.0f);
  ASSERT_TRUE(WaitFor([&] { return LiveReplies(0) > before; }, 4000));
  EXPECT_EQ(runtime->statistics().Stack(0).speed, 7.0f);
  EXPECT_EQ(runtime->statistics().Stack(0).direction, 0.0f);
}

TEST_F(RuntimeRebuildTest, StackThatStaysKeepsItsLinkAndLiveValuesAcrossACountChange) {
  StartSite(2, 125);
  ASSERT_TRUE(WaitForFirstReplies(2));
  const CNexSock* link = runtime->link(0);
  const int connects = link->ConnectCount();
  const float speed = runtime->statistics().Stack(0).speed;
  ASSERT_NE(speed, 0.0f);

  // Lowered: stack 0 keeps the same connected link and the live value the
  // recorder writes at its next tick; stack 1's link goes.
  Settings edited = runtime->settings();
  edited.stackCount = 1;
  runtime->ApplySettings(edited);
  EXPECT_EQ(runtime->link(0), link);
  EXPECT_EQ(runtime->link(1), nullptr);
  EXPECT_TRUE(link->IsConnected());
  EXPECT_EQ(runtime->statistics().Stack(0).speed, speed);
  int64_t before = LiveReplies(0);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(0) > before; }, 1500));

  // Raised again: stack 1 starts over on a new link, stack 0 goes on as it was.
  edited = runtime->settings();
  edited.stackCount = 2;
  runtime->ApplySettings(edited);
  EXPECT_EQ(runtime->link(0), link);
  ASSERT_NE(runtime->link(1), nullptr);
  EXPECT_EQ(runtime->statistics().Stack(1).speed, 0.0f);
  EXPECT_EQ(link->ConnectCount(), connects);
  before = LiveReplies(1);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(1) > before; }, 4000));
}

}  // namespace
}  // namespace ws::test
