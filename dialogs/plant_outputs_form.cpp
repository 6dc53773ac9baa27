#include "dialogs/plant_outputs_form.h"

#include <QFileInfo>

#include <utility>

namespace ws {
namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }
std::string Std(const QString& s) { return s.trimmed().toStdString(); }

std::optional<FieldProblem> NotOneLine(const QString& field, const QString& text) {
  if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) && !text.contains(QChar(0))) {
    return std::nullopt;
  }
  return FieldProblem{field, QStringLiteral("the text must be one line (windscope.ini keeps one line per setting).")};
}

std::optional<FieldProblem> BadPort(const QString& field, const QString& text) {
  if (ParsePort(text)) return std::nullopt;
  return FieldProblem{field, QStringLiteral("\"%1\" is not a port (a whole number from 1 to 65535).").arg(text)};
}

// A file that TLS needs: given, and there to read.
std::optional<FieldProblem> MissingFile(const QString& field, const QString& text) {
  const QString path = text.trimmed();
  if (path.isEmpty()) return FieldProblem{field, QStringLiteral("TLS needs this file; choose it or switch TLS off.")};
  const QFileInfo info(path);
  if (!info.isFile()) return FieldProblem{field, QStringLiteral("the file %1 does not exist.").arg(path)};
  if (!info.isReadable()) return FieldProblem{field, QStringLiteral("the file %1 cannot be read.").arg(path)};
  return std::nullopt;
}

}  // namespace

PlantOutputsForm PlantOutputsFromIni(const StationIni& ini) {
  PlantOutputsForm form;
  form.modbusEnabled = ini.modbus.enabled;
  form.modbusAddress = Text(ini.modbus.address);
  form.modbusPort = QString::number(ini.modbus.port);
  const StationIni::Mqtt& m = ini.mqtt;
  form.mqttEnabled = m.enabled;
  form.mqttHost = Text(m.host);
  form.mqttPort = QString::number(m.port);
  form.mqttClientId = Text(m.clientId);
  form.mqttSite = Text(m.site);
  form.mqttUsername = Text(m.username);
  form.mqttPassword = Text(m.password);
  form.mqttTls = m.tls;
  form.mqttCaFile = Text(m.caFile);
  form.mqttCertFile = Text(m.certFile);
  form.mqttKeyFile = Text(m.keyFile);
  return form;
}

std::optional<int> ParsePort(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty() || t.size() > 5) return std::nullopt;
  for (const QChar c : t) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
  }
  const int port = t.toInt();
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

std::optional<FieldProblem> FindPlantOutputsProblem(const PlantOutputsForm& f) {
  using namespace plant_field;
  const std::pair<const QString*, const QString*> texts[] = {
      {&kModbusAddress, &f.modbusAddress}, {&kMqttHost, &f.mqttHost},         {&kMqttClientId, &f.mqttClientId},
      {&kMqttSite, &f.mqttSite},           {&kMqttUsername, &f.mqttUsername}, {&kMqttPassword, &f.mqttPassword},
      {&kMqttCaFile, &f.mqttCaFile},       {&kMqttCertFile, &f.mqttCertFile}, {&kMqttKeyFile, &f.mqttKeyFile},
  };
  for (const auto& [name, text] : texts) {
    if (auto p = NotOneLine(*name, *text)) return p;
  }
  if (f.modbusEnabled) {
    if (!ParseAddress(f.modbusAddress)) {
      return FieldProblem{kModbusAddress,
                          QStringLiteral("\"%1\" is not an IP address (four numbers of 0 to 255 with dots between; "
                                         "0.0.0.0 listens on every address).")
                              .arg(f.modbusAddress)};
    }
    if (auto p = BadPort(kModbusPort, f.modbusPort)) return p;
  }
  if (!f.mqttEnabled) return std::nullopt;
  if (f.mqttHost.trimmed().isEmpty()) {
    return FieldProblem{kMqttHost, QStringLiteral("the broker's host name or address is needed to publish.")};
  }
  if (f.mqttHost.trimmed().contains(QLatin1Char(' '))) {
    return FieldProblem{kMqttHost, QStringLiteral("a host name or address holds no blanks.")};
  }
  if (auto p = BadPort(kMqttPort, f.mqttPort)) return p;
  if (f.mqttSite.trimmed().isEmpty()) {
    return FieldProblem{kMqttSite, QStringLiteral("the site names the topics (windscope/<site>/...) and is needed.")};
  }
  if (f.mqttPassword != f.mqttPassword.trimmed()) {
    return FieldProblem{kMqttPassword,
                        QStringLiteral("a password cannot begin or end with a blank (windscope.ini would drop it).")};
  }
  if (!f.mqttPassword.isEmpty() && f.mqttUsername.trimmed().isEmpty()) {
    return FieldProblem{kMqttUsername, QStringLiteral("a password is sent only with a user name.")};
  }
  if (!f.mqttTls) return std::nullopt;
  if (auto p = MissingFile(kMqttCaFile, f.mqttCaFile)) return p;
  const bool cert = !f.mqttCertFile.trimmed().isEmpty();
  const bool key = !f.mqttKeyFile.trimmed().isEmpty();
  if (cert || key) {
    if (auto p = MissingFile(kMqttCertFile, f.mqttCertFile)) return p;
    if (auto p = MissingFile(kMqttKeyFile, f.mqttKeyFile)) return p;
  }
  return std::nullopt;
}

void ApplyPlantOutputs(const PlantOutputsForm& f, StationIni& ini) {
  ini.modbus.enabled = f.modbusEnabled;
  // The fields of an output that is off cannot be edited; one that does not
  // parse (a file edited by hand) keeps what was stored.
  if (ParseAddress(f.modbusAddress)) ini.modbus.address = Std(f.modbusAddress);
  if (const auto port = ParsePort(f.modbusPort)) ini.modbus.port = *port;
  StationIni::Mqtt& m = ini.mqtt;
  m.enabled = f.mqttEnabled;
  if (!f.mqttHost.trimmed().isEmpty()) m.host = Std(f.mqttHost);
  if (const auto port = ParsePort(f.mqttPort)) m.port = *port;
  m.clientId = Std(f.mqttClientId);
  if (!f.mqttSite.trimmed().isEmpty()) m.site = Std(f.mqttSite);
  m.username = Std(f.mqttUsername);
  m.password = f.mqttPassword.toStdString();
  m.tls = f.mqttTls;
  m.caFile = Std(f.mqttCaFile);
  m.certFile = Std(f.mqttCertFile);
  m.keyFile = Std(f.mqttKeyFile);
}

}  // namespace ws
