#include "tools/sim/sim_fleet.h"

#include <QLocale>
#include <QStringList>

namespace ws {

SimFleet::SimFleet(QObject* parent) : QObject(parent) {}

SimFleet::~SimFleet() = default;

std::optional<quint32> SimFleet::LoopbackHost(const QString& text) {
  QHostAddress address;
  if (!address.setAddress(text) || address.protocol() != QAbstractSocket::IPv4Protocol) {
    return std::nullopt;
  }
  const quint32 host = address.toIPv4Address();
  if ((host >> 24) != 127 || host == 0x7F000000u || host == 0x7FFFFFFFu) return std::nullopt;
  return host;
}

bool SimFleet::Start(const SimFleetOptions& options, QString* error) {
  if (options.loggers < 1 || options.loggers > kSimMaxLoggers) {
    *error = QStringLiteral("the number of loggers must be 1..%1").arg(kSimMaxLoggers);
    return false;
  }
  const quint32 last = options.baseHost + static_cast<quint32>(options.loggers - 1);
  if ((options.baseHost >> 24) != 127 || (last >> 24) != 127 || last == 0x7FFFFFFFu) {
    *error = QStringLiteral("the logger addresses must stay inside 127.0.0.0/8");
    return false;
  }
  for (int i = 0; i < options.loggers; ++i) {
    auto logger = std::make_unique<SimLogger>(
        i, QHostAddress(options.baseHost + static_cast<quint32>(i)), options.port, options.seed);
    if (!logger->IsListening()) {
      *error = QStringLiteral("logger %1: %2").arg(i).arg(logger->ErrorString());
      m_loggers.clear();
      return false;
    }
    connect(logger.get(), &SimLogger::logLine, this, &SimFleet::logLine);
    m_loggers.push_back(std::move(logger));
  }
  if (options.lampHost) {
    m_lamp = std::make_unique<SimLampTower>(QHostAddress(*options.lampHost), options.lampPort);
    if (!m_lamp->IsListening()) {
      *error = QStringLiteral("lamp tower: %1").arg(m_lamp->ErrorString());
      m_lamp.reset();
      m_loggers.clear();
      return false;
    }
    connect(m_lamp.get(), &SimLampTower::logLine, this, &SimFleet::logLine);
  }
  return true;
}

SimLogger* SimFleet::Logger(int index) const {
  if (index < 0 || index >= LoggerCount()) return nullptr;
  return m_loggers[static_cast<size_t>(index)].get();
}

std::vector<SimLogger*> SimFleet::Targets(const QString& target) const {
  std::vector<SimLogger*> loggers;
  if (target == QLatin1String("all")) {
    for (const auto& logger : m_loggers) loggers.push_back(logger.get());
    return loggers;
  }
  bool ok = false;
  const int index = target.toInt(&ok);
  if (ok && Logger(index)) loggers.push_back(Logger(index));
  return loggers;
}

QString SimFleet::SetFault(const QString& target, const QString& mode) {
  const std::optional<SimFault> fault = ParseSimFault(mode.toStdString());
  if (!fault) return QStringLiteral("error: unknown fault \"%1\"").arg(mode);
  if (target == QLatin1String("lamp")) {
    if (!m_lamp) return QStringLiteral("error: no lamp tower (start with --lamp)");
    if (!m_lamp->SetFault(*fault))
      return QStringLiteral("error: the lamp tower knows only none and silent");
    return QStringLiteral("lamp fault %1").arg(mode);
  }
  const std::vector<SimLogger*> loggers = Targets(target);
  if (loggers.empty()) return QStringLiteral("error: no logger \"%1\"").arg(target);
  for (SimLogger* logger : loggers) logger->SetFault(*fault);
  return QStringLiteral("logger %1 fault %2").arg(target, mode);
}

QString SimFleet::SetWind(const QString& target, const QString& value) {
  const std::vector<SimLogger*> loggers = Targets(target);
  if (loggers.empty()) return QStringLiteral("error: no logger \"%1\"").arg(target);
  if (value == QLatin1String("auto")) {
    for (SimLogger* logger : loggers) logger->ReleaseWind();
    return QStringLiteral("logger %1 wind auto").arg(target);
  }
  bool ok = false;
  const double speed = QLocale::c().toDouble(value, &ok);
  if (!ok || !(speed >= 0.0 && speed <= 200.0)) {
    return QStringLiteral("error: wind speed must be 0..200 or auto, not \"%1\"").arg(value);
  }
  for (SimLogger* logger : loggers) logger->HoldWind(speed);
  return QStringLiteral("logger %1 wind held at %2").arg(target, QLocale::c().toString(speed));
}

bool SimFleet::ApplyFault(const QString& spec, QString* error) {
  return ApplyAssignment(spec, QStringLiteral("I=MODE"), &SimFleet::SetFault, error);
}

bool SimFleet::ApplyWind(const QString& spec, QString* error) {
  return ApplyAssignment(spec, QStringLiteral("I=SPEED"), &SimFleet::SetWind, error);
}

bool SimFleet::ApplyAssignment(const QString& spec, const QString& form, Setter setter,
                               QString* error) {
  const qsizetype eq = spec.indexOf(QLatin1Char('='));
  const QString reply = eq < 0 ? QStringLiteral("error: expected %1, not \"%2\"").arg(form, spec)
                               : (this->*setter)(spec.left(eq), spec.mid(eq + 1));
  if (reply.startsWith(QLatin1String("error:"))) {
    *error = reply.mid(7);
    return false;
  }
  return true;
}

QString SimFleet::Status() const {
  QStringList lines;
  for (const auto& logger : m_loggers) {
    const std::optional<double> held = logger->Held();
    lines << QStringLiteral("logger %1 %2:%3 fault %4 wind %5 connections %6 commands %7")
                 .arg(logger->Index())
                 .arg(logger->Address().toString())
                 .arg(logger->Port())
                 .arg(QLatin1String(SimFaultName(logger->Fault())))
                 .arg(held ? QLocale::c().toString(*held) : QStringLiteral("auto"))
                 .arg(logger->ConnectionCount())
                 .arg(logger->Commands().size());
  }
  if (m_lamp) {
    lines << QStringLiteral("lamp %1:%2 fault %3 connections %4 last %5")
                 .arg(m_lamp->Address().toString())
                 .arg(m_lamp->Port())
                 .arg(QLatin1String(SimFaultName(m_lamp->Fault())))
                 .arg(m_lamp->ConnectionCount())
                 .arg(m_lamp->Messages().isEmpty() ? QStringLiteral("-")
                                                   : SimHex(m_lamp->LastMessage()));
  }
  return lines.join(QLatin1Char('\n'));
}

QString SimFleet::Execute(const QString& line, bool* quit) {
  *quit = false;
  const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (words.isEmpty()) return {};
  const QString& verb = words[0];
  if (verb == QLatin1String("quit") || verb == QLatin1String("exit")) {
    *quit = true;
    return QStringLiteral("bye");
  }
  if (verb == QLatin1String("fault") && words.size() == 3) return SetFault(words[1], words[2]);
  if (verb == QLatin1String("wind") && words.size() == 3) return SetWind(words[1], words[2]);
  if (verb == QLatin1String("appe") && words.size() == 2) {
    const std::vector<SimLogger*> loggers = Targets(words[1]);
    if (loggers.empty()) return QStringLiteral("error: no logger \"%1\"").arg(words[1]);
    int sent = 0;
    for (SimLogger* logger : loggers) sent += logger->SendAppe() ? 1 : 0;
    return sent > 0 ? QStringLiteral("APPE: sent") : QStringLiteral("error: no station connected");
  }
  if (verb == QLatin1String("status")) return Status();
  if (verb == QLatin1String("help")) {
    return QStringLiteral(
        "fault I|all|lamp MODE   MODE: none silent disconnect short split join garbage slow flood "
        "appe appe-glued\n"
        "wind I|all SPEED|auto   hold the live speed near SPEED m/s, or let it drift again\n"
        "appe I|all              send \"APPE:\" (a firmware request) to the station\n"
        "status                  loggers, faults, connections\n"
        "quit                    stop the simulator");
  }
  return QStringLiteral("error: unknown command \"%1\" (try help)").arg(line.simplified());
}

}  // namespace ws
