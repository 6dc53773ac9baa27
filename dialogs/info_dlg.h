// CInfoDlg, the information dialog (F1): the program's name, version and
// copyright from its version entries, on white, with an OK button, and under it
// the keys the station window answers and, when the station has them, the
// state and counters of its plant outputs (Modbus TCP, MQTT), kept current
// while the dialog is open.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <optional>

#include "link/modbus_server.h"
#include "link/mqtt_publisher.h"

#include <utility>
#include <vector>

class QPushButton;

namespace ws {

class ModbusOutput;

class CInfoDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kOkId = 1;

  // Lines of text the plant outputs' section keeps room for, its heading included.
  static constexpr int kOutputLines = 11;
  // How often the counters are read again (the states follow statusChanged).
  static constexpr int kRefreshMs = 1000;

  // One output as the dialog shows it.
  struct OutputText {
    QString name;      // "Modbus TCP", "MQTT"
    QString state;     // "listening on 0.0.0.0:1502, 2 clients", "connected to ...", ...
    QString counters;  // "requests served 12, ...", "sent 5, dropped 0, waiting 0"
  };

  explicit CInfoDlg(QWidget* parent = nullptr);

  // Shows the plant outputs' section (either may be null: not shown) and makes
  // the dialog taller for it. Call before anything is placed under the key list.
  void SetOutputs(ModbusOutput* modbus, MqttPublisher* mqtt);
  // What the section shows now, in order (empty without outputs).
  const std::vector<OutputText>& Outputs() const { return m_Outputs; }
  // Reads the outputs' status again and repaints.
  void RefreshOutputs();
  // Shows the section with these values (nullopt: that output is left out),
  // as RefreshOutputs does with the outputs' own.
  void ShowStatus(const std::optional<ModbusServer::Status>& modbus, const std::optional<MqttPublisher::Status>& mqtt);
  // The texts of those values.
  static std::vector<OutputText> OutputsFor(const std::optional<ModbusServer::Status>& modbus,
                                            const std::optional<MqttPublisher::Status>& mqtt);

  // "%s   V%s" of ProductName and FileVersion, and LegalCopyright.
  static QString FirstLine();
  static QString SecondLine();
  // The key list: each key with what it does, in the order shown.
  static const std::vector<std::pair<QString, QString>>& Keys();

  QPushButton* OkButton() const { return m_pOk; }
  // The whole client area as it is painted.
  QImage Render() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int KeysBottom() const;
  void MakeRoom();

  QPushButton* m_pOk = nullptr;
  QPointer<ModbusOutput> m_pModbus;
  QPointer<MqttPublisher> m_pMqtt;
  bool m_bShowOutputs = false;
  std::vector<OutputText> m_Outputs;
  QTimer m_RefreshTimer;
};

}  // namespace ws
