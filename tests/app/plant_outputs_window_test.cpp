// The plant outputs seen from the station window, with real clients on
// loopback: F1 shows the Modbus server listening with its clients and the MQTT
// publisher connected to a real mosquitto with its counters, following their
// status while open; a broker that refuses the credentials is said once in the
// notice strip.
#include <QDir>
#include <QPushButton>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/plant_notice.h"
#include "app/station_fixture.h"
#include "core/station_ini.h"
#include "dialogs/info_dlg.h"
#include "link/modbus_output.h"
#include "link/mqtt_broker.h"
#include "link/mqtt_publisher.h"

namespace ws {
namespace {

using test::Pump;
using test::WaitFor;

class PlantOutputsWindowTest : public test::StationFixture {
 protected:
  void SetUp() override {
    if (!test::MqttToolsPresent()) GTEST_SKIP() << "mosquitto, mosquitto_sub, mosquitto_pub or mosquitto_passwd missing";
  }

  // Presses F1; `look` works the information dialog once it is open, then OK is pressed.
  void WithInfoDialog(const std::function<void(CInfoDlg&)>& look) {
    bool looked = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* info = window->findChild<CInfoDlg*>();
      if (looked || !info || !info->isVisible()) return;
      looked = true;
      look(*info);
      info->OkButton()->click();
    });
    poll.start();
    QTimer guard;  // never hang the suite on a dialog that did not close
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
      if (auto* info = window->findChild<CInfoDlg*>()) info->reject();
    });
    guard.start(60000);
    window->OnHelp();
    EXPECT_TRUE(looked);
  }

  static void Shot(QWidget& w, const char* name) {
    if (const QByteArray out = qgetenv("WINDSCOPE_SHOT_DIR"); !out.isEmpty()) {
      w.grab().save(QDir(QString::fromLocal8Bit(out)).filePath(QString::fromLatin1(name) + ".png"));
    }
  }
};

TEST_F(PlantOutputsWindowTest, InformationDialogShowsBothOutputsAndFollowsThem) {
  test::MqttBroker broker;
  ASSERT_TRUE(broker.Start()) << broker.Log();
  StartStation(1, 185);
  const int modbusPort = test::FreeLoopbackPort();
  ModbusOutput modbus(runtime());
  MqttPublisher mqtt(runtime(), "1.2.3");
  window->SetPlantOutputs(&modbus, &mqtt);
  StationIni ini = runtime().stationIni();
  ini.modbus = {true, "127.0.0.1", modbusPort};
  ini.mqtt.enabled = true;
  ini.mqtt.port = broker.port();
  ini.mqtt.site = "quay";
  ASSERT_EQ(runtime().ApplyStationIni(ini), "");  // the Modbus output follows by itself
  mqtt.Apply(runtime().stationIni().mqtt);
  ASSERT_TRUE(WaitFor([&] { return modbus.Status().state == ModbusServer::State::kListening; }));
  ASSERT_TRUE(WaitFor([&] { return mqtt.status().state == MqttPublisher::State::kConnected; })) << broker.Log();
  QTcpSocket plc;
  QTcpSocket scada;
  plc.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(modbusPort));
  scada.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(modbusPort));
  ASSERT_TRUE(WaitFor([&] { return modbus.Status().clients == 2; }));
  const std::string listening = "listening on 127.0.0.1:" + std::to_string(modbusPort);

  WithInfoDialog([&](CInfoDlg& info) {
    ASSERT_EQ(info.Outputs().size(), 2u);
    EXPECT_EQ(info.Outputs()[0].name, "Modbus TCP");
    EXPECT_EQ(info.Outputs()[0].state.toStdString(), listening + ", 2 clients");
    EXPECT_TRUE(info.Outputs()[0].counters.startsWith("requests served 0,"));
    EXPECT_EQ(info.Outputs()[1].name, "MQTT");
    EXPECT_EQ(info.Outputs()[1].state.toStdString(),
              "connected to 127.0.0.1:" + std::to_string(broker.port()) + " as windscope-quay");
    Shot(info, "info_dialog_outputs_live");

    // The counters follow while the dialog is open: an event taken by the broker.
    runtime().Journal(EventKind::kConfigurationChanged, -1, 0, 0.0, "counted");
    EXPECT_TRUE(WaitFor([&] { return !info.Outputs()[1].counters.startsWith("sent 0,"); }))
        << info.Outputs()[1].counters.toStdString();
    // A client going away shows.
    scada.abort();
    EXPECT_TRUE(WaitFor([&] { return info.Outputs()[0].state.toStdString() == listening + ", 1 client"; }));
    // Switched off: shown at once, from the publisher's statusChanged.
    StationIni::Mqtt off = runtime().stationIni().mqtt;
    off.enabled = false;
    mqtt.Apply(off);
    EXPECT_EQ(info.Outputs()[1].state.toStdString(), "off");
    EXPECT_FALSE(info.Outputs()[1].counters.startsWith("sent 0,"));  // what it did stays
    modbus.server().Stop();
    EXPECT_TRUE(WaitFor([&] { return info.Outputs()[0].state == "off"; }));
    // The firmware button goes under the section, never over it.
    int sectionInk = 0;
    const QImage image = info.Render();
    for (int y = image.height() - 60; y < image.height(); ++y) {
      for (int x = 30; x < 200; ++x) sectionInk += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    }
    EXPECT_EQ(sectionInk, 0);  // the painted part ends above the button and its status
  });
}

TEST_F(PlantOutputsWindowTest, RefusedCredentialsShowOnceInTheNoticeStrip) {
  test::MqttBroker broker(/*persistent=*/false, "right");
  ASSERT_TRUE(broker.Start()) << broker.Log();
  StartStation(1, 187);
  MqttPublisher mqtt(runtime(), "1.2.3");
  mqtt.SetRetryDelays(1, 1);  // a refused connection is tried again each second
  window->SetPlantOutputs(nullptr, &mqtt);
  CPlantNotice* notice = window->PlantNotice();
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isHidden());
  int refusals = 0;
  int refusedChanges = 0;
  QObject::connect(&mqtt, &MqttPublisher::refused, &mqtt, [&] { ++refusals; });
  QObject::connect(&mqtt, &MqttPublisher::statusChanged, &mqtt, [&] {
    if (mqtt.status().state == MqttPublisher::State::kRefused) ++refusedChanges;
  });
  StationIni::Mqtt settings;
  settings.enabled = true;
  settings.port = broker.port();
  settings.site = "pw";
  settings.username = "station";
  settings.password = "wrong";
  mqtt.Apply(settings);

  ASSERT_TRUE(WaitFor([&] { return refusedChanges >= 2; })) << broker.Log();
  EXPECT_EQ(refusals, 1);
  EXPECT_FALSE(notice->isHidden());
  EXPECT_TRUE(notice->m_strText.contains("refused")) << notice->m_strText.toStdString();
  EXPECT_TRUE(notice->m_strText.contains(QString::number(broker.port())));
  EXPECT_TRUE(window->rect().contains(notice->geometry()));
  Shot(*window, "station_mqtt_refused");

  // Dismissed, it stays away while the broker goes on refusing the same settings.
  QTest::mouseClick(notice, Qt::LeftButton, Qt::NoModifier, notice->rect().center());
  EXPECT_TRUE(notice->isHidden());
  const int seen = refusedChanges;
  ASSERT_TRUE(WaitFor([&] { return refusedChanges >= seen + 2; }));
  EXPECT_TRUE(notice->isHidden());
  EXPECT_EQ(refusals, 1);

  // Other settings refused again: said again; then taken: the notice goes.
  settings.password = "still wrong";
  mqtt.Apply(settings);
  ASSERT_TRUE(WaitFor([&] { return refusals == 2; }));
  EXPECT_FALSE(notice->isHidden());
  settings.password = "right";
  mqtt.Apply(settings);
  ASSERT_TRUE(WaitFor([&] { return mqtt.status().state == MqttPublisher::State::kConnected; })) << broker.Log();
  EXPECT_TRUE(notice->isHidden());
  EXPECT_EQ(refusals, 2);
}

}  // namespace
}  // namespace ws
