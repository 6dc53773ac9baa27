// The configuration dialog's OK on the real station window, with simulated
// loggers answering over loopback: tiles follow the stack count, a changed
// address reconnects only its own stack, and the unchanged stacks go on
// recording every second.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QSpinBox>
#include <QDir>
#include <QHostAddress>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTcpServer>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_dlg.h"
#include "core/clock.h"
#include "core/record_file.h"
#include "core/record_layout.h"
#include "core/settings.h"
#include "core/settings_file.h"
#include "core/station_ini.h"
#include "core/system_time.h"
#include "dialogs/config.h"
#include "link/modbus_output.h"
#include "link/station_runtime.h"
#include "link/test_support.h"
#include "screen/base_panel.h"
#include "screen/indicator.h"
#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_logger.h"
#include "widgets/message_helpers.h"

namespace ws {
namespace {

using test::LoopbackAddress;
using test::Pump;
using test::WaitFor;

class ConfigStationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageHandler([](int, const QString&) { return kIdOk; });
    ASSERT_TRUE(dir.isValid());
  }

  void TearDown() override {
    if (main) main->ExitSequence();
    main.reset();
    Pump(20);
    SetMessageHandler({});
  }

  // Loggers 0..loggerCount-1 at LoopbackAddress(kFirstHost + i), the station
  // configured for the first `stackCount` of them.
  void StartSite(int loggerCount, int stackCount) {
    for (int i = 0; i < loggerCount; ++i) {
      auto logger = std::make_unique<SimLogger>(i, QHostAddress(LoopbackAddress(kFirstHost + i)), 4000,
                                                static_cast<uint32_t>(i + 1));
      ASSERT_TRUE(logger->IsListening()) << logger->ErrorString().toStdString();
      loggers.push_back(std::move(logger));
    }
    SimSite site;
    site.loggerCount = loggerCount;
    site.firstLoggerHost = QHostAddress(LoopbackAddress(kFirstHost)).toIPv4Address();
    std::string error;
    ASSERT_TRUE(WriteSimConfig(dir.path().toStdString(), site, &error)) << error;
    SettingsFile file(dir.path().toStdString());
    auto s = std::make_unique<Settings>();
    (void)file.Load(*s, clock);
    s->stackCount = stackCount;
    ASSERT_TRUE(file.Save(*s).ok());

    main = std::make_unique<CMainDlg>(dir.path(), clock);
    main->Init();
    ASSERT_TRUE(WaitForReplies(0, stackCount));
  }

  int64_t Replies(int stack) const {
    return main->runtime().counters().liveReplies[static_cast<size_t>(stack)];
  }

  // Every stack from..to-1 answers from now on.
  bool WaitForReplies(int from, int to, int ms = 8000) {
    std::vector<int64_t> before;
    for (int i = from; i < to; ++i) before.push_back(Replies(i));
    return WaitFor(
        [&] {
          for (int i = from; i < to; ++i) {
            if (Replies(i) <= before[static_cast<size_t>(i - from)]) return false;
          }
          return true;
        },
        ms);
  }

  // Presses CONFIG; `edit` works the dialog once it is open, then OK is pressed.
  void Configure(const std::function<void(CConfig&)>& edit) {
    bool edited = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = main->findChild<CConfig*>();
      if (edited || !dialog || !dialog->isVisible()) return;
      edited = true;
      edit(*dialog);
      qobject_cast<QPushButton*>(dialog->Control(CConfig::kIdOk))->click();
    });
    poll.start();
    QTimer guard;  // never hang the suite on a dialog that did not open
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
      if (auto* dialog = main->findChild<CConfig*>()) dialog->reject();
    });
    guard.start(10000);
    main->OnCommand(CMainDlg::kConfig);
    ASSERT_TRUE(edited);
  }

  // Seconds in [from, to] whose record slot of `stack` holds 0/0 (nothing).
  std::vector<int64_t> EmptySeconds(int stack, int64_t from, int64_t to) const {
    std::vector<int64_t> empty;
    for (int64_t t = from; t <= to; ++t) {
      const SystemTime at = FromCivilSeconds(t);
      Sample sample{};
      const auto status = ReadRecordSamples(dir.path().toStdString(), stack, at.year, at.month,
                                            record::SlotOf(at.day, at.hour, at.minute, at.second),
                                            std::span<Sample>(&sample, 1));
      if (status != RecordStatus::kOk || (sample.direction == 0.0f && sample.speed == 0.0f)) {
        empty.push_back(t);
      }
    }
    return empty;
  }

  int64_t NowSeconds() const { return CivilSeconds(clock.Now()); }

  // WINDSCOPE_SHOT_DIR=dir keeps pictures of what the test saw.
  static void Shot(QWidget& w, const char* name) {
    if (const QByteArray out = qgetenv("WINDSCOPE_SHOT_DIR"); !out.isEmpty()) {
      w.grab().save(QDir(QString::fromLocal8Bit(out)).filePath(QString::fromLatin1(name) + ".png"));
    }
  }

  static constexpr int kFirstHost = 40;
  SystemClock clock;
  QTemporaryDir dir;
  std::vector<std::unique_ptr<SimLogger>> loggers;
  std::unique_ptr<CMainDlg> main;
};

TEST_F(ConfigStationTest, StackCountRaisedAddsTilesThatFillInAndLoweredRemovesThem) {
  StartSite(6, 2);
  ASSERT_EQ(main->BasePanel()->TileCount(), 2);
  Pump(1500);  // a few recorded seconds before the change
  const int64_t before = NowSeconds() - 1;

  Shot(*main, "station_2_stacks");
  Configure([](CConfig& d) {
    qobject_cast<QComboBox*>(d.Control(CConfig::kIdStackCount))->setCurrentIndex(5);  // "6"
    Shot(d, "station_config_6_stacks");
  });
  EXPECT_EQ(main->runtime().stackCount(), 6);
  ASSERT_EQ(main->BasePanel()->TileCount(), 6);
  for (int i = 2; i < 6; ++i) {
    EXPECT_EQ(main->BasePanel()->Tile(i)->m_BodyColor, 0xFFFFFFu) << i;  // white until it answers
    EXPECT_EQ(main->BasePanel()->Tile(i)->m_strTitle, QStringLiteral("STACK #%1").arg(i + 1));
  }
  ASSERT_TRUE(WaitForReplies(0, 6));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(main->runtime().TileState(i), CBasePanel::kNormal) << i;
  Pump(1500);
  Shot(*main, "station_6_stacks");

  Configure([](CConfig& d) {
    qobject_cast<QComboBox*>(d.Control(CConfig::kIdStackCount))->setCurrentIndex(2);  // "3"
  });
  EXPECT_EQ(main->runtime().stackCount(), 3);
  EXPECT_EQ(main->BasePanel()->TileCount(), 3);
  ASSERT_TRUE(WaitForReplies(0, 3));
  Pump(1500);
  const int64_t after = NowSeconds() - 1;

  // The saved file says 3 stacks.
  auto saved = std::make_unique<Settings>();
  (void)SettingsFile(dir.path().toStdString()).Load(*saved, clock);
  EXPECT_EQ(saved->stackCount, 3);

  // The stacks that stayed recorded every second across both changes.
  for (int stack : {0, 1}) {
    const auto empty = EmptySeconds(stack, before, after);
    EXPECT_TRUE(empty.empty()) << "stack " << stack << ": " << empty.size() << " empty seconds of "
                               << (after - before + 1);
  }
}

TEST_F(ConfigStationTest, ChangedAddressReconnectsThatStackOnly) {
  StartSite(4, 3);  // logger 3 stands by at an address no stack uses yet
  std::vector<int> accepted;
  for (const auto& logger : loggers) accepted.push_back(logger->AcceptedCount());
  ASSERT_EQ(accepted[3], 0);
  Pump(1500);
  const int64_t before = NowSeconds() - 1;

  Configure([](CConfig& d) {
    ConfigStackRow row = d.GridRows()[1];
    row.address = LoopbackAddress(kFirstHost + 3);
    d.SetGridRow(1, row);
  });
  EXPECT_EQ(AddressToText(main->runtime().settings().stacks[1].loggerAddress),
            LoopbackAddress(kFirstHost + 3).toStdString());
  ASSERT_TRUE(WaitFor([&] { return loggers[3]->AcceptedCount() == 1; }, 8000));
  ASSERT_TRUE(WaitFor([&] { return loggers[1]->ConnectionCount() == 0; }, 8000));
  ASSERT_TRUE(WaitForReplies(0, 3));
  Pump(1500);
  const int64_t after = NowSeconds() - 1;

  EXPECT_EQ(loggers[0]->AcceptedCount(), accepted[0]);
  EXPECT_EQ(loggers[2]->AcceptedCount(), accepted[2]);
  for (int stack : {0, 2}) {
    const auto empty = EmptySeconds(stack, before, after);
    EXPECT_TRUE(empty.empty()) << "stack " << stack << ": " << empty.size() << " empty seconds";
  }
}

TEST_F(ConfigStationTest, CancelChangesNothingAndTitlesFollowAnOk) {
  StartSite(2, 2);
  const auto before = std::make_unique<Settings>(main->runtime().settings());
  bool opened = false;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = main->findChild<CConfig*>();
    if (opened || !dialog || !dialog->isVisible()) return;
    opened = true;
    qobject_cast<QComboBox*>(dialog->Control(CConfig::kIdStackCount))->setCurrentIndex(9);
    dialog->SetGridRow(0, {"CHANGED", "1.2.3.4", true});
    qobject_cast<QPushButton*>(dialog->Control(CConfig::kIdCancel))->click();
  });
  poll.start();
  main->OnCommand(CMainDlg::kConfig);
  ASSERT_TRUE(opened);
  EXPECT_TRUE(main->runtime().settings() == *before);
  EXPECT_EQ(main->BasePanel()->TileCount(), 2);

  Configure([](CConfig& d) {
    d.SetGridRow(1, {"CRANE B", d.GridRows()[1].address, false});
    qobject_cast<QLineEdit*>(d.Control(CConfig::kIdProgramTitle))->setText("HARBOUR");
  });
  EXPECT_EQ(main->BasePanel()->Tile(1)->m_strTitle, "CRANE B");
  EXPECT_EQ(FieldUtf8(main->runtime().settings().programTitle), "HARBOUR");
  EXPECT_EQ(main->runtime().stackCount(), 2);
}

TEST_F(ConfigStationTest, AlarmSpeedOfTheFirstRecordJudgesEveryStack) {
  StartSite(2, 2);
  for (auto& logger : loggers) logger->HoldWind(20.0);
  ASSERT_TRUE(WaitForReplies(0, 2));
  Configure([](CConfig& d) { qobject_cast<QLineEdit*>(d.Control(CConfig::kIdAlarmSpeed))->setText("12.5"); });
  const Settings& live = main->runtime().settings();
  EXPECT_EQ(live.stacks[0].alarmSpeed, 12.5);
  EXPECT_EQ(live.stacks[1].alarmSpeed, 30.0);  // the second record keeps its own
  // Both stacks blow near 20: both are judged against 12.5 and show the Alarm colour.
  ASSERT_TRUE(WaitFor(
      [&] {
        return main->BasePanel()->State(0) == CBasePanel::kAlarm && main->BasePanel()->State(1) == CBasePanel::kAlarm;
      },
      8000));
  EXPECT_EQ(main->BasePanel()->Tile(1)->m_BodyColor, live.alarmColour);
}

TEST_F(ConfigStationTest, PreviewingASoundLeavesARunningAlarmSounding) {
  StartSite(1, 1);
  loggers[0]->HoldWind(35.0);  // above the Alarm level of 30: the alarm loops ("Continue")
  ASSERT_TRUE(WaitFor([&] { return main->player().Active(); }, 8000));
  const QString wav = dir.filePath("preview.wav");
  Configure([&](CConfig& d) {
    d.SetFileChooser([&](const QString&) { return wav; });
    d.ChooseSound(kConfigStop);
    EXPECT_TRUE(main->player().Active());
  });
  EXPECT_TRUE(main->player().Active());  // OK stopped the preview only
  EXPECT_EQ(FieldUtf8(main->runtime().settings().stopSoundPath), wav.toStdString());
}

TEST_F(ConfigStationTest, NoCommAlarmSettingsGoToTheIniAndTheConfigurationFileKeepsItsBytes) {
  StartSite(1, 1);
  auto readAll = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QString cfgPath = dir.filePath(QStringLiteral("WDX-5100.cfg"));
  const QByteArray before = readAll(cfgPath);
  ASSERT_EQ(before.size(), 428528);
  int changed = 0;
  QObject::connect(&main->runtime(), &StationRuntime::stationIniChanged, [&] { ++changed; });
  Configure([](CConfig& d) {
    // The dialog opens on the station's values.
    EXPECT_TRUE(qobject_cast<QCheckBox*>(d.Control(CConfig::kIdNoCommAlarm))->isChecked());
    EXPECT_EQ(qobject_cast<QSpinBox*>(d.Control(CConfig::kIdNoCommDelay))->value(), 10);
    qobject_cast<QSpinBox*>(d.Control(CConfig::kIdNoCommDelay))->setValue(25);
  });
  EXPECT_EQ(changed, 1);
  EXPECT_TRUE(main->runtime().stationIni().noComm.alarm);
  EXPECT_EQ(main->runtime().stationIni().noComm.delaySeconds, 25);
  const StationIniLoad saved = LoadStationIni(dir.path().toStdString());
  EXPECT_TRUE(saved.found);
  EXPECT_EQ(saved.ini.noComm.delaySeconds, 25);
  EXPECT_EQ(readAll(cfgPath), before);
  // An OK that changes none of them writes nothing and tells no one.
  Configure([](CConfig&) {});
  EXPECT_EQ(changed, 1);
  Configure([](CConfig& d) { qobject_cast<QCheckBox*>(d.Control(CConfig::kIdNoCommAlarm))->setChecked(false); });
  EXPECT_EQ(changed, 2);
  EXPECT_FALSE(LoadStationIni(dir.path().toStdString()).ini.noComm.alarm);
  EXPECT_EQ(readAll(cfgPath), before);
}

TEST_F(ConfigStationTest, PlantOutputsGoToTheIniAndTheModbusServerFollowsWhileTheConfigurationFileKeepsItsBytes) {
  StartSite(1, 1);
  auto readAll = [](const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QString cfgPath = dir.filePath(QStringLiteral("WDX-5100.cfg"));
  const QString iniPath = dir.filePath(QStringLiteral("windscope.ini"));
  const QByteArray before = readAll(cfgPath);
  ASSERT_EQ(before.size(), 428528);
  ModbusOutput modbus(main->runtime());  // as the program runs it beside the window
  modbus.Apply();
  ASSERT_EQ(modbus.Status().state, ModbusServer::State::kOff);
  const int port = test::FreeLoopbackPort();
  ASSERT_GT(port, 0);
  auto line = [](CConfig& d, int id) { return qobject_cast<QLineEdit*>(d.Control(id)); };

  // Cancel after editing writes nothing.
  bool opened = false;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = main->findChild<CConfig*>();
    if (opened || !dialog || !dialog->isVisible()) return;
    opened = true;
    qobject_cast<QCheckBox*>(dialog->Control(CConfig::kIdModbusEnable))->setChecked(true);
    line(*dialog, CConfig::kIdModbusPort)->setText(QString::number(port));
    qobject_cast<QPushButton*>(dialog->Control(CConfig::kIdCancel))->click();
  });
  poll.start();
  main->OnCommand(CMainDlg::kConfig);
  poll.stop();
  ASSERT_TRUE(opened);
  EXPECT_FALSE(QFile::exists(iniPath));
  EXPECT_FALSE(main->runtime().stationIni().modbus.enabled);

  Configure([&](CConfig& d) {
    qobject_cast<QCheckBox*>(d.Control(CConfig::kIdModbusEnable))->setChecked(true);
    line(d, CConfig::kIdModbusAddress)->setText("127.0.0.1");
    line(d, CConfig::kIdModbusPort)->setText(QString::number(port));
    qobject_cast<QCheckBox*>(d.Control(CConfig::kIdMqttEnable))->setChecked(true);
    line(d, CConfig::kIdMqttHost)->setText("broker.quay.example");
    line(d, CConfig::kIdMqttSite)->setText("quay");
    line(d, CConfig::kIdMqttUsername)->setText("station");
    line(d, CConfig::kIdMqttPassword)->setText("s3cret");
    Shot(d, "station_config_outputs");
  });
  const StationIniLoad saved = LoadStationIni(dir.path().toStdString());
  ASSERT_TRUE(saved.found);
  EXPECT_EQ(saved.ini.modbus, (StationIni::Modbus{true, "127.0.0.1", port}));
  EXPECT_TRUE(saved.ini.mqtt.enabled);
  EXPECT_EQ(saved.ini.mqtt.host, "broker.quay.example");
  EXPECT_EQ(saved.ini.mqtt.site, "quay");
  EXPECT_EQ(saved.ini.mqtt.password, "s3cret");
  EXPECT_EQ(saved.ini, main->runtime().stationIni());
  EXPECT_EQ(readAll(cfgPath), before);
  // The server listens where the dialog said.
  ASSERT_TRUE(WaitFor([&] { return modbus.Status().state == ModbusServer::State::kListening; }));
  EXPECT_EQ(modbus.Status().port, port);

  // A port that cannot be refuses OK with a message and writes nothing.
  const QByteArray ini = readAll(iniPath);
  std::vector<QString> told;
  SetMessageHandler([&](int, const QString& text) {
    told.push_back(text);
    return kIdOk;
  });
  bool refused = false;
  QTimer again;
  again.setInterval(10);
  QObject::connect(&again, &QTimer::timeout, [&] {
    auto* dialog = main->findChild<CConfig*>();
    if (refused || !dialog || !dialog->isVisible()) return;
    refused = true;
    line(*dialog, CConfig::kIdModbusPort)->setText("70000");
    qobject_cast<QPushButton*>(dialog->Control(CConfig::kIdOk))->click();
    EXPECT_TRUE(dialog->isVisible());
    qobject_cast<QPushButton*>(dialog->Control(CConfig::kIdCancel))->click();
  });
  again.start();
  main->OnCommand(CMainDlg::kConfig);
  ASSERT_TRUE(refused);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_TRUE(told[0].startsWith("Modbus Port: ")) << told[0].toStdString();
  EXPECT_EQ(readAll(iniPath), ini);
  EXPECT_EQ(readAll(cfgPath), before);
  EXPECT_EQ(modbus.Status().port, port);
  modbus.server().Stop();
}

}  // namespace
}  // namespace ws
