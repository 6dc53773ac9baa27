#include "dialogs/plant_outputs_group.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ws {
namespace {

QLineEdit* PortEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
  return edit;
}

// Wide enough for a host name or a path to be read without scrolling.
void MakeReadable(QLineEdit* edit, int characters) {
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * characters);
}

void SetText(QLineEdit* edit, const QString& text) {
  edit->setText(text);
  edit->setCursorPosition(0);
}

}  // namespace

CPlantOutputsGroup::CPlantOutputsGroup(const std::function<void(int, QWidget*)>& registerControl, QWidget* parent)
    : QGroupBox(QStringLiteral("Plant Outputs"), parent) {
  auto* layout = new QVBoxLayout(this);

  auto* modbus = new QGroupBox(QStringLiteral("Modbus TCP Server"), this);
  auto* modbusLayout = new QGridLayout(modbus);
  m_ModbusEnable = new QCheckBox(QStringLiteral("Enable"), modbus);
  m_ModbusAddress = new QLineEdit(modbus);
  m_ModbusPort = PortEdit(modbus);
  modbusLayout->addWidget(m_ModbusEnable, 0, 0, 1, 2);
  modbusLayout->addWidget(new QLabel(QStringLiteral("Address"), modbus), 1, 0);
  modbusLayout->addWidget(m_ModbusAddress, 1, 1);
  modbusLayout->addWidget(new QLabel(QStringLiteral("Port"), modbus), 2, 0);
  modbusLayout->addWidget(m_ModbusPort, 2, 1, Qt::AlignLeft);
  modbusLayout->setColumnStretch(1, 1);

  auto* mqtt = new QGroupBox(QStringLiteral("MQTT Publisher"), this);
  auto* mqttLayout = new QGridLayout(mqtt);
  m_MqttEnable = new QCheckBox(QStringLiteral("Enable"), mqtt);
  m_MqttHost = new QLineEdit(mqtt);
  m_MqttPort = PortEdit(mqtt);
  m_MqttSite = new QLineEdit(mqtt);
  m_MqttClientId = new QLineEdit(mqtt);
  m_MqttClientId->setPlaceholderText(QStringLiteral("windscope-<site>"));
  m_MqttUsername = new QLineEdit(mqtt);
  m_MqttPassword = new QLineEdit(mqtt);
  m_MqttPassword->setEchoMode(QLineEdit::Password);
  m_MqttTls = new QCheckBox(QStringLiteral("TLS"), mqtt);
  m_CaFile = new QLineEdit(mqtt);
  m_CertFile = new QLineEdit(mqtt);
  m_KeyFile = new QLineEdit(mqtt);
  m_CertFile->setPlaceholderText(QStringLiteral("optional"));
  m_KeyFile->setPlaceholderText(QStringLiteral("with the certificate"));
  int row = 0;
  mqttLayout->addWidget(m_MqttEnable, row++, 0, 1, 2);
  mqttLayout->addWidget(new QLabel(QStringLiteral("Broker"), mqtt), row, 0);
  mqttLayout->addWidget(m_MqttHost, row++, 1, 1, 2);
  mqttLayout->addWidget(new QLabel(QStringLiteral("Port"), mqtt), row, 0);
  mqttLayout->addWidget(m_MqttPort, row++, 1, 1, 2, Qt::AlignLeft);
  mqttLayout->addWidget(new QLabel(QStringLiteral("Site"), mqtt), row, 0);
  mqttLayout->addWidget(m_MqttSite, row++, 1, 1, 2);
  mqttLayout->addWidget(new QLabel(QStringLiteral("Client ID"), mqtt), row, 0);
  mqttLayout->addWidget(m_MqttClientId, row++, 1, 1, 2);
  mqttLayout->addWidget(new QLabel(QStringLiteral("User Name"), mqtt), row, 0);
  mqttLayout->addWidget(m_MqttUsername, row++, 1, 1, 2);
  mqttLayout->addWidget(new QLabel(QStringLiteral("Password"), mqtt), row, 0);
  mqttLayout->addWidget(m_MqttPassword, row++, 1, 1, 2);
  mqttLayout->addWidget(m_MqttTls, row++, 0, 1, 2);
  const QString fileLabels[] = {QStringLiteral("CA File"), QStringLiteral("Certificate"), QStringLiteral("Key File")};
  for (int file = kCaFile; file <= kKeyFile; ++file) {
    auto* browse = new QPushButton(QStringLiteral("..."), mqtt);
    browse->setAutoDefault(false);
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    connect(browse, &QPushButton::clicked, this, [this, file] { ChooseFile(file); });
    m_Browse[file] = browse;
    mqttLayout->addWidget(new QLabel(fileLabels[file], mqtt), row, 0);
    mqttLayout->addWidget(FileEdit(file), row, 1);
    mqttLayout->addWidget(browse, row++, 2);
  }
  mqttLayout->setColumnStretch(1, 1);
  MakeReadable(m_ModbusAddress, 14);
  MakeReadable(m_MqttHost, 20);
  for (int file = kCaFile; file <= kKeyFile; ++file) {
    QLineEdit* edit = FileEdit(file);
    MakeReadable(edit, 22);
    // A long path scrolls in its box: the whole of it shows on hovering.
    connect(edit, &QLineEdit::textChanged, edit, &QWidget::setToolTip);
  }

  layout->addWidget(modbus);
  layout->addWidget(mqtt);
  layout->addStretch(1);

  const std::pair<int, QWidget*> controls[] = {
      {kIdModbusEnable, m_ModbusEnable},   {kIdModbusAddress, m_ModbusAddress}, {kIdModbusPort, m_ModbusPort},
      {kIdMqttEnable, m_MqttEnable},       {kIdMqttHost, m_MqttHost},           {kIdMqttPort, m_MqttPort},
      {kIdMqttSite, m_MqttSite},           {kIdMqttClientId, m_MqttClientId},   {kIdMqttUsername, m_MqttUsername},
      {kIdMqttPassword, m_MqttPassword},   {kIdMqttTls, m_MqttTls},             {kIdMqttCaFile, m_CaFile},
      {kIdMqttCertFile, m_CertFile},       {kIdMqttKeyFile, m_KeyFile},         {kIdMqttCaBrowse, m_Browse[0]},
      {kIdMqttCertBrowse, m_Browse[1]},    {kIdMqttKeyBrowse, m_Browse[2]},
  };
  for (const auto& [id, control] : controls) registerControl(id, control);

  for (QCheckBox* tick : {m_ModbusEnable, m_MqttEnable, m_MqttTls}) {
    connect(tick, &QCheckBox::toggled, this, &CPlantOutputsGroup::FollowTicks);
  }
  FollowTicks();
}

QLineEdit* CPlantOutputsGroup::FileEdit(int file) const {
  switch (file) {
    case kCaFile: return m_CaFile;
    case kCertFile: return m_CertFile;
    default: return m_KeyFile;
  }
}

void CPlantOutputsGroup::FollowTicks() {
  const bool modbus = m_ModbusEnable->isChecked();
  m_ModbusAddress->setEnabled(modbus);
  m_ModbusPort->setEnabled(modbus);
  const bool mqtt = m_MqttEnable->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{m_MqttHost, m_MqttPort, m_MqttSite, m_MqttClientId,
                                                    m_MqttUsername, m_MqttPassword, m_MqttTls}) {
    w->setEnabled(mqtt);
  }
  const bool tls = mqtt && m_MqttTls->isChecked();
  for (int file = kCaFile; file <= kKeyFile; ++file) {
    FileEdit(file)->setEnabled(tls);
    m_Browse[file]->setEnabled(tls);
  }
}

void CPlantOutputsGroup::Show(const PlantOutputsForm& f) {
  m_ModbusEnable->setChecked(f.modbusEnabled);
  SetText(m_ModbusAddress, f.modbusAddress);
  SetText(m_ModbusPort, f.modbusPort);
  m_MqttEnable->setChecked(f.mqttEnabled);
  SetText(m_MqttHost, f.mqttHost);
  SetText(m_MqttPort, f.mqttPort);
  SetText(m_MqttSite, f.mqttSite);
  SetText(m_MqttClientId, f.mqttClientId);
  SetText(m_MqttUsername, f.mqttUsername);
  SetText(m_MqttPassword, f.mqttPassword);
  m_MqttTls->setChecked(f.mqttTls);
  SetText(m_CaFile, f.mqttCaFile);
  SetText(m_CertFile, f.mqttCertFile);
  SetText(m_KeyFile, f.mqttKeyFile);
  FollowTicks();
}

PlantOutputsForm CPlantOutputsGroup::Form() const {
  PlantOutputsForm f;
  f.modbusEnabled = m_ModbusEnable->isChecked();
  f.modbusAddress = m_ModbusAddress->text();
  f.modbusPort = m_ModbusPort->text();
  f.mqttEnabled = m_MqttEnable->isChecked();
  f.mqttHost = m_MqttHost->text();
  f.mqttPort = m_MqttPort->text();
  f.mqttSite = m_MqttSite->text();
  f.mqttClientId = m_MqttClientId->text();
  f.mqttUsername = m_MqttUsername->text();
  f.mqttPassword = m_MqttPassword->text();
  f.mqttTls = m_MqttTls->isChecked();
  f.mqttCaFile = m_CaFile->text();
  f.mqttCertFile = m_CertFile->text();
  f.mqttKeyFile = m_KeyFile->text();
  return f;
}

void CPlantOutputsGroup::ChooseFile(int file) {
  if (file < kCaFile || file > kKeyFile || !m_Choose) return;
  QLineEdit* edit = FileEdit(file);
  const QString path = m_Choose(edit->text().trimmed());
  if (!path.isEmpty()) SetText(edit, path);
}

bool CPlantOutputsGroup::FocusField(const QString& field) {
  using namespace plant_field;
  const std::pair<const QString*, QLineEdit*> edits[] = {
      {&kModbusAddress, m_ModbusAddress}, {&kModbusPort, m_ModbusPort},     {&kMqttHost, m_MqttHost},
      {&kMqttPort, m_MqttPort},           {&kMqttSite, m_MqttSite},         {&kMqttClientId, m_MqttClientId},
      {&kMqttUsername, m_MqttUsername},   {&kMqttPassword, m_MqttPassword}, {&kMqttCaFile, m_CaFile},
      {&kMqttCertFile, m_CertFile},       {&kMqttKeyFile, m_KeyFile},
  };
  for (const auto& [name, edit] : edits) {
    if (*name == field) {
      edit->setFocus();
      edit->selectAll();
      return true;
    }
  }
  return false;
}

}  // namespace ws
