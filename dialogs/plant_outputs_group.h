// The configuration dialog's "Plant Outputs" group: the Modbus TCP server
// (enable, address, port) and the MQTT publisher (enable, broker, port, site,
// client id, credentials, TLS with its files). The fields of an output that is
// off, and TLS's files while TLS is off, are shown but cannot be edited.
#pragma once

#include <QGroupBox>
#include <QString>

#include <functional>

#include "dialogs/plant_outputs_form.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace ws {

class CPlantOutputsGroup : public QGroupBox {
  Q_OBJECT

 public:
  // Control identifiers (object names), beside the dialog's own.
  enum : int {
    kIdModbusEnable = 1210,
    kIdModbusAddress = 1211,
    kIdModbusPort = 1212,
    kIdMqttEnable = 1220,
    kIdMqttHost = 1221,
    kIdMqttPort = 1222,
    kIdMqttSite = 1223,
    kIdMqttClientId = 1224,
    kIdMqttUsername = 1225,
    kIdMqttPassword = 1226,
    kIdMqttTls = 1227,
    kIdMqttCaFile = 1228,
    kIdMqttCertFile = 1229,
    kIdMqttKeyFile = 1230,
    kIdMqttCaBrowse = 1231,
    kIdMqttCertBrowse = 1232,
    kIdMqttKeyBrowse = 1233,
  };
  // The "..." buttons of the TLS files, in the order of their rows.
  enum TlsFile : int { kCaFile = 0, kCertFile = 1, kKeyFile = 2 };

  // `registerControl` names each control with its dialog identifier.
  CPlantOutputsGroup(const std::function<void(int id, QWidget* control)>& registerControl, QWidget* parent);

  void Show(const PlantOutputsForm& form);
  PlantOutputsForm Form() const;

  // The file chooser of the "..." buttons: gets the file shown now (or the
  // folder to start in) and answers a full path, empty when cancelled.
  void SetFileChooser(std::function<QString(const QString& current)> chooser) { m_Choose = std::move(chooser); }
  // What a "..." button does: the chosen path replaces the row's text.
  void ChooseFile(int file);

  // Puts the focus on the field named in a problem; false when none is named so.
  bool FocusField(const QString& field);

 private:
  void FollowTicks();
  QLineEdit* FileEdit(int file) const;

  QCheckBox* m_ModbusEnable = nullptr;
  QLineEdit* m_ModbusAddress = nullptr;
  QLineEdit* m_ModbusPort = nullptr;
  QCheckBox* m_MqttEnable = nullptr;
  QLineEdit* m_MqttHost = nullptr;
  QLineEdit* m_MqttPort = nullptr;
  QLineEdit* m_MqttSite = nullptr;
  QLineEdit* m_MqttClientId = nullptr;
  QLineEdit* m_MqttUsername = nullptr;
  QLineEdit* m_MqttPassword = nullptr;
  QCheckBox* m_MqttTls = nullptr;
  QLineEdit* m_CaFile = nullptr;
  QLineEdit* m_CertFile = nullptr;
  QLineEdit* m_KeyFile = nullptr;
  QPushButton* m_Browse[3] = {};
  QWidget* m_MqttFields = nullptr;
  std::function<QString(const QString&)> m_Choose;
};

}  // namespace ws
