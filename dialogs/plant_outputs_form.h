// What the configuration dialog's "Plant Outputs" group holds (texts as typed,
// ticks), how windscope.ini's output settings show in it, the checks made on
// OK, and how the texts go back into the settings.
#pragma once

#include <QString>

#include <optional>

#include "core/station_ini.h"
#include "dialogs/config_form.h"

namespace ws {

struct PlantOutputsForm {
  bool modbusEnabled = false;
  QString modbusAddress;
  QString modbusPort;
  bool mqttEnabled = false;
  QString mqttHost;
  QString mqttPort;
  QString mqttClientId;
  QString mqttSite;
  QString mqttUsername;
  QString mqttPassword;
  bool mqttTls = false;
  QString mqttCaFile;
  QString mqttCertFile;
  QString mqttKeyFile;

  friend bool operator==(const PlantOutputsForm&, const PlantOutputsForm&) = default;
};

// Names of the fields in the messages (and for finding the control).
namespace plant_field {
inline const QString kModbusAddress = QStringLiteral("Modbus Address");
inline const QString kModbusPort = QStringLiteral("Modbus Port");
inline const QString kMqttHost = QStringLiteral("MQTT Broker");
inline const QString kMqttPort = QStringLiteral("MQTT Port");
inline const QString kMqttClientId = QStringLiteral("MQTT Client ID");
inline const QString kMqttSite = QStringLiteral("MQTT Site");
inline const QString kMqttUsername = QStringLiteral("MQTT User Name");
inline const QString kMqttPassword = QStringLiteral("MQTT Password");
inline const QString kMqttCaFile = QStringLiteral("MQTT CA File");
inline const QString kMqttCertFile = QStringLiteral("MQTT Certificate");
inline const QString kMqttKeyFile = QStringLiteral("MQTT Key File");
}  // namespace plant_field

PlantOutputsForm PlantOutputsFromIni(const StationIni& ini);

// A port: a whole number 1..65535 (surrounding blanks ignored), else nullopt.
std::optional<int> ParsePort(const QString& text);

// The first field that cannot be taken, in the order of the group's controls.
// An output that is off is not checked (its fields cannot be edited and are
// kept as stored when they do not parse); one that is on needs a valid port,
// Modbus an IPv4 address to listen on, MQTT a broker and a site, and with TLS
// a CA file and, when a client certificate is given, its key, all files that
// exist. Texts must fit on one line of windscope.ini, and a password cannot
// begin or end with a blank (the file would not keep it).
std::optional<FieldProblem> FindPlantOutputsProblem(const PlantOutputsForm& form);

// Takes the form into the output settings of `ini` (after the check found
// nothing): texts without surrounding blanks, the password as typed.
void ApplyPlantOutputs(const PlantOutputsForm& form, StationIni& ini);

}  // namespace ws
