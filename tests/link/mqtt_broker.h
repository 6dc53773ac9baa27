// A real mosquitto broker on a free loopback port and mosquitto_sub readers,
// for the MQTT tests. Tests skip when the programs are not installed.
#pragma once

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <unistd.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/test_support.h"

namespace ws::test {

inline QString FindProgram(const QString& name) {
  QString path = QStandardPaths::findExecutable(name);
  if (path.isEmpty()) path = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
  return path;
}

inline bool MqttToolsPresent() {
  return !FindProgram(QStringLiteral("mosquitto")).isEmpty() && !FindProgram(QStringLiteral("mosquitto_sub")).isEmpty() &&
         !FindProgram(QStringLiteral("mosquitto_pub")).isEmpty() &&
         !FindProgram(QStringLiteral("mosquitto_passwd")).isEmpty();
}

class MqttBroker {
 public:
  // `persistent`: the broker keeps sessions in a file across a restart (stopped
  // with SIGTERM). `password`: only user "station" with it may connect.
  explicit MqttBroker(bool persistent = false, const std::string& password = {}) : m_Port(FreeLoopbackPort()) {
    QString conf = QStringLiteral("log_dest stdout\nlog_type all\n");
    // Run as root it would become user "mosquitto", who cannot read the test's private files.
    if (geteuid() == 0) conf += QStringLiteral("user root\n");
    if (persistent) {
      conf += QStringLiteral("persistence true\npersistence_location %1/\n").arg(m_Dir.path());
    } else {
      conf += QStringLiteral("persistence false\n");
    }
    if (password.empty()) {
      conf += QStringLiteral("allow_anonymous true\n");
    } else {
      const QString file = m_Dir.filePath(QStringLiteral("passwd"));
      QProcess::execute(FindProgram(QStringLiteral("mosquitto_passwd")),
                        {QStringLiteral("-b"), QStringLiteral("-c"), file, QStringLiteral("station"),
                         QString::fromStdString(password)});
      conf += QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(file);
    }
    m_Conf = conf;
    WriteConf();
  }

  ~MqttBroker() { Stop(false); }

  int port() const { return m_Port; }

  // Starts it and waits until it takes connections. The port was free when
  // probed, but a test process running beside this one may take it before the
  // broker binds it: the first start then moves to another port. A restart
  // keeps its port, the clients know it.
  bool Start() {
    for (int attempt = 0; attempt < 5; ++attempt) {
      if (StartOnce()) {
        m_Started = true;
        return true;
      }
      if (m_Started || !m_Process || m_Process->state() == QProcess::Running) return false;
      m_Log += m_Process->readAll().toStdString();
      m_Port = FreeLoopbackPort();
      WriteConf();
    }
    return false;
  }

 private:
  void WriteConf() {
    QFile f(m_Dir.filePath(QStringLiteral("mosquitto.conf")));
    if (f.open(QIODevice::WriteOnly)) {
      f.write(QStringLiteral("listener %1 127.0.0.1\n").arg(m_Port).toUtf8() + m_Conf.toUtf8());
    }
  }

  bool StartOnce() {
    m_Process = std::make_unique<QProcess>();
    m_Process->setProcessChannelMode(QProcess::MergedChannels);
    m_Process->start(FindProgram(QStringLiteral("mosquitto")),
                     {QStringLiteral("-c"), m_Dir.filePath(QStringLiteral("mosquitto.conf"))});
    if (!m_Process->waitForStarted(10000)) return false;
    bool taking = false;
    WaitFor([&] {
      if (m_Process->state() != QProcess::Running) return true;
      QTcpSocket probe;
      probe.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(m_Port));
      taking = probe.waitForConnected(200);
      return taking;
    });
    return taking;
  }

 public:
  // SIGTERM (the broker saves its sessions) or SIGKILL.
  void Stop(bool graceful) {
    if (!m_Process || m_Process->state() == QProcess::NotRunning) return;
    if (graceful) {
      m_Process->terminate();
    } else {
      m_Process->kill();
    }
    if (!m_Process->waitForFinished(15000)) {
      m_Process->kill();
      m_Process->waitForFinished(5000);
    }
    m_Log += m_Process->readAll().toStdString();
  }

  // What the broker logged so far.
  const std::string& Log() {
    if (m_Process) m_Log += m_Process->readAll().toStdString();
    return m_Log;
  }

 private:
  QTemporaryDir m_Dir;
  QString m_Conf;
  int m_Port;
  bool m_Started = false;
  std::unique_ptr<QProcess> m_Process;
  std::string m_Log;
};

// mosquitto_sub on `topic` at QoS 1, printing topic and payload per line.
// With a client id the session outlives the process (and, on a persistent
// broker, a restart of the broker).
class MqttReader {
 public:
  MqttReader(int port, const std::string& topic, const std::string& clientId = {}) {
    QStringList args{QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(port),
                     QStringLiteral("-q"), QStringLiteral("1"), QStringLiteral("-v"), QStringLiteral("-t"),
                     QString::fromStdString(topic)};
    if (!clientId.empty()) args << QStringLiteral("-c") << QStringLiteral("-i") << QString::fromStdString(clientId);
    m_Process.start(FindProgram(QStringLiteral("mosquitto_sub")), args);
    m_Process.waitForStarted(10000);
  }

  ~MqttReader() {
    m_Process.kill();
    m_Process.waitForFinished(5000);
  }

  // Publishes probes to `probeTopic` (under the subscription) until one comes
  // back: the subscription is in place.
  bool WaitSubscribed(int port, const std::string& probeTopic) {
    return WaitFor([&] {
      QProcess::execute(FindProgram(QStringLiteral("mosquitto_pub")),
                        {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(port),
                         QStringLiteral("-t"), QString::fromStdString(probeTopic), QStringLiteral("-m"),
                         QStringLiteral("probe")});
      return RunEventsUntil([&] { return Count(probeTopic) > 0; }, 300);
    });
  }

  // Every (topic, payload) received so far, in order.
  const std::vector<std::pair<std::string, std::string>>& Messages() {
    m_Buffer += m_Process.readAllStandardOutput().toStdString();
    size_t nl;
    while ((nl = m_Buffer.find('\n')) != std::string::npos) {
      const std::string line = m_Buffer.substr(0, nl);
      m_Buffer.erase(0, nl + 1);
      const size_t space = line.find(' ');
      if (space == std::string::npos) {
        m_Messages.emplace_back(line, std::string());
      } else {
        m_Messages.emplace_back(line.substr(0, space), line.substr(space + 1));
      }
    }
    return m_Messages;
  }

  int Count(const std::string& topic) {
    int n = 0;
    for (const auto& [t, p] : Messages()) n += t == topic ? 1 : 0;
    return n;
  }

  std::vector<std::string> Payloads(const std::string& topic) {
    std::vector<std::string> out;
    for (const auto& [t, p] : Messages()) {
      if (t == topic) out.push_back(p);
    }
    return out;
  }

 private:
  QProcess m_Process;
  std::string m_Buffer;
  std::vector<std::pair<std::string, std::string>> m_Messages;
};

// The value of "key": in a flat JSON payload, as text ("" when absent).
inline std::string JsonField(const std::string& json, const std::string& key) {
  const std::string head = "\"" + key + "\":";
  size_t at = json.find(head);
  if (at == std::string::npos) return {};
  at += head.size();
  if (json[at] == '"') {
    const size_t end = json.find('"', at + 1);
    return json.substr(at + 1, end - at - 1);
  }
  const size_t end = json.find_first_of(",}", at);
  return json.substr(at, end - at);
}

}  // namespace ws::test
