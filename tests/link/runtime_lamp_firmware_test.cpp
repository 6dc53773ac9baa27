// The lamp tower's messages and keep-alive, and the firmware upload a logger asks for.
#include <QFile>

#include "core/signal_lamp.h"
#include "runtime_fixture.h"

namespace ws::test {
namespace {

QByteArray Lamp(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out.append(static_cast<char>(b));
  return out;
}

class RuntimeLampTest : public RuntimeFixture {};

TEST_F(RuntimeLampTest, LampTowerGetsTheLevelMessagesAndIsReconnectedWhenSilent) {
  StartSite(1, 60, 61);
  ASSERT_TRUE(WaitForFirstReplies(1));
  ASSERT_TRUE(WaitFor([&] { return lamp->Messages().size() >= 2; }, 3000));
  EXPECT_EQ(lamp->LastMessage(), Lamp({0x57, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(WaitFor([&] { return runtime->lamps().green; }, 2000));

  // Stop, unacknowledged, sounds on: red blinks and the buzzer sounds.
  runtime->SetTestSpeedMode(2);
  const QByteArray stop = Lamp({0x57, 0, 2, 0, 0, 0, 0, 1, 0, 0});
  ASSERT_TRUE(WaitFor([&] { return lamp->LastMessage() == stop; }, 2000));
  runtime->Acknowledge();
  const QByteArray acknowledged = Lamp({0x57, 0, 1, 0, 0, 0, 0, 0, 0, 0});
  ASSERT_TRUE(WaitFor([&] { return lamp->LastMessage() == acknowledged; }, 2000));

  // A tower that stops answering is reconnected after three silent ticks (one
  // more when an answer was still on its way), and not before the second.
  int ticks = 0;
  QObject::connect(runtime.get(), &StationRuntime::clockTick, runtime.get(), [&] { ++ticks; });
  ASSERT_TRUE(lamp->SetFault(SimFault::kSilent));
  const int connects = runtime->lampLink()->ConnectCount();
  ASSERT_TRUE(WaitFor([&] { return runtime->lampLink()->ConnectCount() > connects; }, 7000));
  EXPECT_GE(ticks, 2);
  EXPECT_LE(ticks, 4);
  EXPECT_FALSE(runtime->lamps().green);

  // Exit leaves the tower dark.
  ASSERT_TRUE(WaitFor([&] { return runtime->lampLink()->IsConnected(); }, 2000));
  runtime->Shutdown();
  EXPECT_TRUE(WaitFor([&] { return lamp->LastMessage() == Lamp({0x57, 0, 0, 0, 0, 0, 0, 0, 0, 0}); }, 2000));
}

TEST_F(RuntimeLampTest, DisablingOrMovingTheTowerSwitchesTheOldOneOffOnce) {
  StartSite(1, 160, 161);
  ASSERT_TRUE(WaitForFirstReplies(1));
  const QByteArray off = Lamp({0x57, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  const QByteArray stop = Lamp({0x57, 0, 2, 0, 0, 0, 0, 1, 0, 0});

  // Stop, blinking with the buzzer on; then the operator disables the tower.
  runtime->SetTestSpeedMode(2);
  ASSERT_TRUE(WaitFor([&] { return lamp->LastMessage() == stop; }, 3000));
  Settings edited = runtime->settings();
  edited.signalLampEnabled = 0;
  runtime->ApplySettings(edited);
  ASSERT_TRUE(WaitFor([&] { return lamp->LastMessage() == off; }, 3000));
  // Once: nothing more goes to a disabled tower, live replies and ticks notwithstanding.
  const qsizetype told = lamp->Messages().size();
  const int64_t replies = LiveReplies(0);
  ASSERT_TRUE(WaitFor([&] { return LiveReplies(0) >= replies + 3; }, 5000));
  EXPECT_EQ(lamp->Messages().size(), told);

  // Enabled again, it shows the level; moved to another address, the tower left
  // behind goes dark and the new one takes over.
  edited.signalLampEnabled = 1;
  runtime->ApplySettings(edited);
  ASSERT_TRUE(WaitFor([&] { return lamp->LastMessage() == stop; }, 3000));
  SimLampTower moved{QHostAddress(LoopbackAddress(162))};
  ASSERT_TRUE(moved.IsListening());
  edited.signalLampAddress = AddressFromHostOrder(moved.Address().toIPv4Address());
  runtime->ApplySettings(edited);
  EXPECT_TRUE(WaitFor([&] { return lamp->LastMessage() == off; }, 3000));
  EXPECT_TRUE(WaitFor([&] { return moved.LastMessage() == stop; }, 5000));
  EXPECT_EQ(lamp->LastMessage(), off);
}

TEST_F(RuntimeLampTest, ExitWhileTheTowerLinkIsStillConnectingStillSendsAllOff) {
  StartSite(1, 135, 136);
  ASSERT_TRUE(WaitFor([&] { return runtime->lampLink()->IsConnected(); }, 3000));
  SimLampTower moved{QHostAddress(LoopbackAddress(137))};
  ASSERT_TRUE(moved.IsListening());
  Settings edited = runtime->settings();
  edited.signalLampAddress = AddressFromHostOrder(moved.Address().toIPv4Address());
  runtime->ApplySettings(edited);
  ASSERT_FALSE(runtime->lampLink()->IsConnected());  // its connect is under way
  runtime->Shutdown();
  EXPECT_TRUE(WaitFor([&] { return moved.LastMessage() == Lamp({0x57, 0, 0, 0, 0, 0, 0, 0, 0, 0}); }, 2000));
}

class RuntimeFirmwareTest : public RuntimeFixture {};

TEST_F(RuntimeFirmwareTest, UploadSendsEveryPageThenRestartsAndPollsItsStackOnlyAfterwards) {
  StartSite(2, 70);
  ASSERT_TRUE(WaitForFirstReplies(2));

  // Without an image, "APPE:" gets no answer and polling goes on. Glued to
  // every answer, the logger's further requests stay inside the "APPW:"
  // replies and do not disturb the upload.
  loggers[1]->SetFault(SimFault::kAppeGlued);
  const int64_t before0 = LiveReplies(0);
  const int64_t before1 = LiveReplies(1);
  ASSERT_TRUE(WaitFor([&] { return LiveReplies(0) >= before0 + 2 && LiveReplies(1) >= before1 + 2; }, 5000));
  EXPECT_TRUE(loggers[1]->FirmwarePages().empty());
  EXPECT_FALSE(runtime->UploadRunning());

  constexpr int kPages = 2000;
  QByteArray image(kPages * 1024 + 100, '\0');
  for (qsizetype i = 0; i < image.size(); ++i) image[i] = static_cast<char>((i * 7 + i / 1024) & 0xFF);
  const QString path = dir.filePath(QStringLiteral("image.bin"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(image), image.size());
  }
  int finished = -1;
  int lastPage = -1;
  QObject::connect(runtime.get(), &StationRuntime::firmwareStarted, runtime.get(), [&](int last) { lastPage = last; });
  QObject::connect(runtime.get(), &StationRuntime::firmwareFinished, runtime.get(), [&](int end) { finished = end; });
  ASSERT_TRUE(runtime->SetFirmwareImage(path));
  ASSERT_TRUE(WaitFor([&] { return finished >= 0; }, 30000));
  EXPECT_EQ(finished, static_cast<int>(FirmwareEnd::kFinished));
  EXPECT_EQ(lastPage, kPages);

  // Pages 0 .. S / 1024, the last one zero-filled, then "APP>:" and "REST:", to the stack that asked.
  const auto& pages = loggers[1]->FirmwarePages();
  ASSERT_EQ(pages.size(), static_cast<size_t>(kPages + 1));
  EXPECT_EQ(pages.begin()->first, 0);
  EXPECT_EQ(pages.rbegin()->first, kPages);
  QByteArray padded = image;
  padded.append(QByteArray((kPages + 1) * 1024 - image.size(), '\0'));
  EXPECT_EQ(loggers[1]->FirmwareImage(), padded);
  EXPECT_TRUE(loggers[1]->FirmwareComplete());
  ASSERT_TRUE(WaitFor([&] { return loggers[1]->RestartCount() == 1; }, 2000));
  EXPECT_TRUE(loggers[0]->FirmwarePages().empty());

  // The uploading logger was not polled between its first page and the restart:
  // its link carried the pages, "APP>:" and "REST:" in that order and nothing else.
  const QList<QByteArray> commands = loggers[1]->CommandTexts();
  const qsizetype first = commands.indexOf(QByteArray("APPW:0000"));
  const qsizetype end = commands.indexOf(QByteArray("APP>:"), first);
  const qsizetype rest = commands.indexOf(QByteArray("REST:"), first);
  ASSERT_GE(first, 0);
  ASSERT_GT(end, first);
  ASSERT_EQ(rest, end + 1);
  EXPECT_EQ(end - first, kPages + 1);
  for (qsizetype k = first; k < end; ++k) {
    ASSERT_TRUE(commands[k].startsWith("APPW:")) << "command " << k - first << " of the upload: "
                                                 << commands[k].toStdString();
  }
  // Both stacks are polled afterwards.
  const int64_t after0 = LiveReplies(0);
  const int64_t after1 = LiveReplies(1);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(0) > after0 && LiveReplies(1) > after1; }, 4000));
}

TEST_F(RuntimeFirmwareTest, LoggerThatKeepsAskingIsRestartedThreeTimesThenGivenUp) {
  StartSite(2, 75);
  ASSERT_TRUE(WaitForFirstReplies(2));
  const QString path = dir.filePath(QStringLiteral("image.bin"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(QByteArray(5000 * 1024, '\x33')), 5000 * 1024);  // far longer than 50 ms
  }
  ASSERT_TRUE(runtime->SetFirmwareImage(path));
  int started = 0;
  std::vector<int> ends;
  QObject::connect(runtime.get(), &StationRuntime::firmwareStarted, runtime.get(), [&](int) { ++started; });
  QObject::connect(runtime.get(), &StationRuntime::firmwareFinished, runtime.get(),
                   [&](int end) { ends.push_back(end); });
  // "APPE:" on its own after every answer, pages included.
  loggers[1]->SetFault(SimFault::kAppe);
  ASSERT_TRUE(WaitFor([&] { return !ends.empty(); }, 15000));
  EXPECT_EQ(ends, std::vector<int>{static_cast<int>(FirmwareEnd::kTooManyRestarts)});
  EXPECT_EQ(started, 1 + FirmwareUpload::kMaxRestarts);
  EXPECT_FALSE(runtime->UploadRunning());

  // Polling of both stacks resumes, and the logger's further requests are not
  // answered until an image is chosen again.
  const int64_t before0 = LiveReplies(0);
  const int64_t before1 = LiveReplies(1);
  EXPECT_TRUE(WaitFor([&] { return LiveReplies(0) > before0 + 2 && LiveReplies(1) > before1 + 2; }, 5000));
  EXPECT_EQ(started, 1 + FirmwareUpload::kMaxRestarts);
  EXPECT_FALSE(loggers[1]->FirmwareComplete());
  EXPECT_TRUE(loggers[0]->FirmwarePages().empty());
}

}  // namespace
}  // namespace ws::test
