// The configuration dialog's "Plant Outputs" group: it opens on windscope.ini's
// values, OK takes every edit into the settings beside the configuration file,
// a port, host or TLS file that cannot work is refused with a message naming
// the field (and nothing is taken), and Cancel takes nothing.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/settings.h"
#include "core/station_ini.h"
#include "dialogs/config.h"
#include "dialogs/plant_outputs_form.h"
#include "widgets/message_helpers.h"

namespace ws {
namespace {

class ConfigPlantOutputsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    SetMessageHandler([this](int, const QString& text) {
      messages.push_back(text);
      return static_cast<int>(kIdOk);
    });
    dialog = std::make_unique<CConfig>(*settings, dir.path());
    dialog->SetStationIni(ini);
    dialog->show();
  }
  void TearDown() override { SetMessageHandler({}); }

  QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(dialog->Control(id)); }
  QCheckBox* Tick(int id) const { return qobject_cast<QCheckBox*>(dialog->Control(id)); }
  void PressOk() { qobject_cast<QPushButton*>(dialog->Control(CConfig::kIdOk))->click(); }

  QString MakeFile(const QString& name) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("-----BEGIN CERTIFICATE-----\n");
    return path;
  }

  // Presses OK on a dialog whose one field was made wrong: refused, named, kept open.
  void ExpectRefused(const QString& field) {
    messages.clear();
    PressOk();
    ASSERT_EQ(messages.size(), 1u) << field.toStdString();
    EXPECT_TRUE(messages[0].startsWith(field + QStringLiteral(": "))) << messages[0].toStdString();
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->stationIni(), ini);  // nothing taken
  }

  QTemporaryDir dir;
  std::unique_ptr<Settings> settings = std::make_unique<Settings>();
  StationIni ini;  // the defaults: both outputs off
  std::unique_ptr<CConfig> dialog;
  std::vector<QString> messages;
};

TEST_F(ConfigPlantOutputsTest, OpensOnTheIniAndOkTakesEveryEdit) {
  EXPECT_FALSE(Tick(CConfig::kIdModbusEnable)->isChecked());
  EXPECT_EQ(Edit(CConfig::kIdModbusAddress)->text(), "0.0.0.0");
  EXPECT_EQ(Edit(CConfig::kIdModbusPort)->text(), "1502");
  EXPECT_FALSE(Edit(CConfig::kIdModbusPort)->isEnabled());  // off: shown, not editable
  EXPECT_EQ(Edit(CConfig::kIdMqttPort)->text(), "1883");
  EXPECT_EQ(Edit(CConfig::kIdMqttPassword)->echoMode(), QLineEdit::Password);

  Tick(CConfig::kIdModbusEnable)->setChecked(true);
  EXPECT_TRUE(Edit(CConfig::kIdModbusPort)->isEnabled());
  Edit(CConfig::kIdModbusAddress)->setText("127.0.0.1");
  Edit(CConfig::kIdModbusPort)->setText(" 5020 ");
  Tick(CConfig::kIdMqttEnable)->setChecked(true);
  Edit(CConfig::kIdMqttHost)->setText(" broker.plant.example ");
  Edit(CConfig::kIdMqttPort)->setText("8883");
  Edit(CConfig::kIdMqttSite)->setText("harbour");
  Edit(CConfig::kIdMqttClientId)->setText("ws-1");
  Edit(CConfig::kIdMqttUsername)->setText("station");
  Edit(CConfig::kIdMqttPassword)->setText("p a=ss");
  EXPECT_FALSE(Edit(CConfig::kIdMqttCaFile)->isEnabled());
  Tick(CConfig::kIdMqttTls)->setChecked(true);
  EXPECT_TRUE(Edit(CConfig::kIdMqttCaFile)->isEnabled());
  // The TLS files come from the "..." buttons, which start where the file shown lies.
  const QString ca = MakeFile("ca.pem");
  const QString cert = MakeFile("station.crt");
  const QString key = MakeFile("station.key");
  std::vector<QString> folders;
  const std::vector<QString> answers = {ca, cert, key};
  dialog->SetCertificateChooser([&](const QString& folder) {
    folders.push_back(folder);
    return answers[folders.size() - 1];
  });
  for (int id : {CConfig::kIdMqttCaBrowse, CConfig::kIdMqttCertBrowse, CConfig::kIdMqttKeyBrowse}) {
    qobject_cast<QPushButton*>(dialog->Control(id))->click();
  }
  EXPECT_EQ(folders, (std::vector<QString>{dir.path(), dir.path(), dir.path()}));
  EXPECT_EQ(Edit(CConfig::kIdMqttKeyFile)->text(), key);

  PressOk();
  EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  const StationIni& out = dialog->stationIni();
  EXPECT_EQ(out.modbus, (StationIni::Modbus{true, "127.0.0.1", 5020}));
  EXPECT_TRUE(out.mqtt.enabled);
  EXPECT_EQ(out.mqtt.host, "broker.plant.example");
  EXPECT_EQ(out.mqtt.port, 8883);
  EXPECT_EQ(out.mqtt.site, "harbour");
  EXPECT_EQ(out.mqtt.clientId, "ws-1");
  EXPECT_EQ(out.mqtt.username, "station");
  EXPECT_EQ(out.mqtt.password, "p a=ss");
  EXPECT_TRUE(out.mqtt.tls);
  EXPECT_EQ(out.mqtt.caFile, ca.toStdString());
  EXPECT_EQ(out.mqtt.certFile, cert.toStdString());
  EXPECT_EQ(out.mqtt.keyFile, key.toStdString());
  EXPECT_EQ(out.noComm, ini.noComm);
  // What OK took is what windscope.ini gives back.
  EXPECT_EQ(ParseStationIni(FormatStationIni(out)), out);
}

TEST_F(ConfigPlantOutputsTest, PortsHostsAndTlsFilesThatCannotWorkAreRefusedByName) {
  Tick(CConfig::kIdModbusEnable)->setChecked(true);
  for (const char* port : {"0", "65536", "15o2", "", "-1", "1502.5"}) {
    Edit(CConfig::kIdModbusPort)->setText(port);
    ExpectRefused(QStringLiteral("Modbus Port"));
  }
  EXPECT_EQ(dialog->focusWidget(), Edit(CConfig::kIdModbusPort));
  Edit(CConfig::kIdModbusPort)->setText("65535");
  Edit(CConfig::kIdModbusAddress)->setText("plc.local");
  ExpectRefused(QStringLiteral("Modbus Address"));
  Edit(CConfig::kIdModbusAddress)->setText("0.0.0.0");

  Tick(CConfig::kIdMqttEnable)->setChecked(true);
  Edit(CConfig::kIdMqttHost)->setText("   ");
  ExpectRefused(QStringLiteral("MQTT Broker"));
  EXPECT_EQ(dialog->focusWidget(), Edit(CConfig::kIdMqttHost));
  Edit(CConfig::kIdMqttHost)->setText("127.0.0.1");
  Edit(CConfig::kIdMqttPort)->setText("99999");
  ExpectRefused(QStringLiteral("MQTT Port"));
  Edit(CConfig::kIdMqttPort)->setText("1883");
  Edit(CConfig::kIdMqttSite)->clear();
  ExpectRefused(QStringLiteral("MQTT Site"));
  Edit(CConfig::kIdMqttSite)->setText("quay");
  Edit(CConfig::kIdMqttPassword)->setText(" secret");  // windscope.ini would lose the blank
  Edit(CConfig::kIdMqttUsername)->setText("station");
  ExpectRefused(QStringLiteral("MQTT Password"));
  Edit(CConfig::kIdMqttPassword)->setText("secret");
  Edit(CConfig::kIdMqttUsername)->clear();  // a password is sent only with a user name
  ExpectRefused(QStringLiteral("MQTT User Name"));
  Edit(CConfig::kIdMqttUsername)->setText("station");

  Tick(CConfig::kIdMqttTls)->setChecked(true);
  ExpectRefused(QStringLiteral("MQTT CA File"));  // none given
  Edit(CConfig::kIdMqttCaFile)->setText(dir.filePath("missing.pem"));
  ExpectRefused(QStringLiteral("MQTT CA File"));
  EXPECT_TRUE(messages[0].contains("missing.pem")) << messages[0].toStdString();
  Edit(CConfig::kIdMqttCaFile)->setText(MakeFile("ca.pem"));
  Edit(CConfig::kIdMqttCertFile)->setText(MakeFile("station.crt"));
  ExpectRefused(QStringLiteral("MQTT Key File"));  // a certificate needs its key
  Edit(CConfig::kIdMqttKeyFile)->setText(dir.filePath("gone.key"));
  ExpectRefused(QStringLiteral("MQTT Key File"));
  Edit(CConfig::kIdMqttKeyFile)->setText(MakeFile("station.key"));

  messages.clear();
  PressOk();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(dialog->stationIni().modbus.port, 65535);
  EXPECT_EQ(dialog->stationIni().mqtt.host, "127.0.0.1");
}

TEST_F(ConfigPlantOutputsTest, AnOutputThatIsOffIsNotCheckedAndTlsOffNeedsNoFiles) {
  // MQTT off with no host, TLS on without files: nothing of it is used.
  PlantOutputsForm form = PlantOutputsFromIni(ini);
  form.mqttHost.clear();
  form.mqttTls = true;
  form.modbusPort = QStringLiteral("0");
  EXPECT_FALSE(FindPlantOutputsProblem(form));
  StationIni taken = ini;
  ApplyPlantOutputs(form, taken);
  EXPECT_EQ(taken.mqtt.host, ini.mqtt.host);    // kept as stored
  EXPECT_EQ(taken.modbus.port, ini.modbus.port);
  form.mqttEnabled = true;
  form.mqttHost = QStringLiteral("broker");
  form.mqttTls = false;
  EXPECT_FALSE(FindPlantOutputsProblem(form));
}

TEST_F(ConfigPlantOutputsTest, CancelTakesNothing) {
  Tick(CConfig::kIdModbusEnable)->setChecked(true);
  Tick(CConfig::kIdMqttEnable)->setChecked(true);
  Edit(CConfig::kIdMqttHost)->setText("elsewhere");
  qobject_cast<QPushButton*>(dialog->Control(CConfig::kIdCancel))->click();
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(dialog->stationIni(), ini);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace ws
