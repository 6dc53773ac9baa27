// windscope-sim: plays up to 100 data loggers and a signal lamp tower on this
// machine's loopback addresses, steered from the command line and stdin.
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <cstdio>
#include <optional>

#include "tools/sim/sim_config_writer.h"
#include "tools/sim/sim_fleet.h"
#include "tools/sim/sim_journal.h"

namespace {

int Fail(const QString& message) {
  QTextStream(stderr) << "windscope-sim: " << message << '\n';
  return 2;
}

std::optional<quint16> ParsePort(const QString& text) {
  bool ok = false;
  const uint value = text.toUInt(&ok);
  if (!ok || value > 65535) return std::nullopt;
  return static_cast<quint16>(value);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("windscope-sim"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Plays anemometer data loggers (TCP port 4000) and a signal lamp tower (port 20000) on "
      "loopback addresses.\nRun-time commands on stdin: fault, wind, appe, status, help, quit."));
  parser.addHelpOption();
  const QCommandLineOption loggersOption(QStringLiteral("loggers"),
                                         QStringLiteral("Number of loggers, 1..100."),
                                         QStringLiteral("N"), QStringLiteral("1"));
  const QCommandLineOption baseOption(
      QStringLiteral("base"), QStringLiteral("Address of logger 0; logger i listens on base + i."),
      QStringLiteral("ADDR"), QStringLiteral("127.0.0.2"));
  const QCommandLineOption lampOption(
      QStringLiteral("lamp"),
      QStringLiteral("Address of the lamp tower (none without this option)."),
      QStringLiteral("ADDR"));
  const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Logger port."),
                                      QStringLiteral("PORT"), QStringLiteral("4000"));
  const QCommandLineOption lampPortOption(QStringLiteral("lamp-port"),
                                          QStringLiteral("Lamp tower port."),
                                          QStringLiteral("PORT"), QStringLiteral("20000"));
  const QCommandLineOption logOption(QStringLiteral("log"),
                                     QStringLiteral("Append every received command to FILE."),
                                     QStringLiteral("FILE"));
  const QCommandLineOption faultOption(
      QStringLiteral("fault"), QStringLiteral("I=MODE, all=MODE or lamp=MODE (repeatable)."),
      QStringLiteral("SPEC"));
  const QCommandLineOption windOption(
      QStringLiteral("wind"), QStringLiteral("I=SPEED holds logger I near SPEED m/s (repeatable)."),
      QStringLiteral("SPEC"));
  const QCommandLineOption configOption(
      QStringLiteral("write-config"), QStringLiteral("Write WDX-5100.cfg for this site into DIR."),
      QStringLiteral("DIR"));
  const QCommandLineOption seedOption(QStringLiteral("seed"),
                                      QStringLiteral("Seed of the live wind."), QStringLiteral("S"),
                                      QStringLiteral("0"));
  const QCommandLineOption verboseOption({QStringLiteral("v"), QStringLiteral("verbose")},
                                         QStringLiteral("Log every received command to stderr."));
  parser.addOptions({loggersOption, baseOption, lampOption, portOption, lampPortOption, logOption,
                     faultOption, windOption, configOption, seedOption, verboseOption});
  parser.process(app);

  ws::SimFleetOptions options;
  bool ok = false;
  options.loggers = parser.value(loggersOption).toInt(&ok);
  if (!ok || options.loggers < 1 || options.loggers > ws::kSimMaxLoggers) {
    return Fail(QStringLiteral("--loggers must be 1..%1").arg(ws::kSimMaxLoggers));
  }
  const std::optional<quint32> base = ws::SimFleet::LoopbackHost(parser.value(baseOption));
  if (!base) return Fail(QStringLiteral("--base must be an address in 127.0.0.0/8"));
  options.baseHost = *base;
  if (parser.isSet(lampOption)) {
    options.lampHost = ws::SimFleet::LoopbackHost(parser.value(lampOption));
    if (!options.lampHost) return Fail(QStringLiteral("--lamp must be an address in 127.0.0.0/8"));
  }
  const std::optional<quint16> port = ParsePort(parser.value(portOption));
  const std::optional<quint16> lampPort = ParsePort(parser.value(lampPortOption));
  if (!port || !lampPort) return Fail(QStringLiteral("ports must be 0..65535"));
  options.port = *port;
  options.lampPort = *lampPort;
  options.seed = parser.value(seedOption).toUInt(&ok);
  if (!ok) return Fail(QStringLiteral("--seed must be an unsigned number"));

  ws::SimJournal errorJournal;
  ws::SimJournal fileJournal;
  const bool verbose = parser.isSet(verboseOption);
  const bool logToFile = parser.isSet(logOption);
  if (logToFile && !fileJournal.Open(parser.value(logOption))) {
    return Fail(QStringLiteral("cannot open the log %1").arg(parser.value(logOption)));
  }

  ws::SimFleet fleet;
  QObject::connect(&fleet, &ws::SimFleet::logLine, [&](const QString& line) {
    if (logToFile) fileJournal.Write(line);
    if (verbose) errorJournal.Write(line);
  });
  QString error;
  if (!fleet.Start(options, &error)) return Fail(error);
  for (const QString& spec : parser.values(faultOption)) {
    if (!fleet.ApplyFault(spec, &error))
      return Fail(QStringLiteral("--fault %1: %2").arg(spec, error));
  }
  for (const QString& spec : parser.values(windOption)) {
    if (!fleet.ApplyWind(spec, &error))
      return Fail(QStringLiteral("--wind %1: %2").arg(spec, error));
  }

  QTextStream out(stdout);
  if (parser.isSet(configOption)) {
    ws::SimSite site;
    site.loggerCount = options.loggers;
    site.firstLoggerHost = options.baseHost;
    site.lampHost = options.lampHost;
    std::string configError;
    const QString dir = parser.value(configOption);
    if (!ws::WriteSimConfig(dir.toStdString(), site, &configError)) {
      return Fail(QString::fromStdString(configError));
    }
    out << "wrote " << dir << "/WDX-5100.cfg\n";
    if (options.port != 4000 || (options.lampHost && options.lampPort != 20000)) {
      out << "note: the station always connects to ports 4000 and 20000\n";
    }
  }

  const ws::SimLogger* last = fleet.Logger(fleet.LoggerCount() - 1);
  out << "windscope-sim: " << fleet.LoggerCount() << " logger(s) on "
      << fleet.Logger(0)->Address().toString() << " .. " << last->Address().toString() << " port "
      << fleet.Logger(0)->Port();
  if (fleet.Lamp()) {
    out << ", lamp tower on " << fleet.Lamp()->Address().toString() << " port "
        << fleet.Lamp()->Port();
  }
  out << "\ntype help for commands\n";
  out.flush();

  // Commands from stdin, one per line. End of input only stops the reading:
  // the simulator keeps running in the background until it is stopped.
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QByteArray pending;
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char chunk[4096];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) {
      input.setEnabled(false);
      return;
    }
    pending.append(chunk, static_cast<qsizetype>(n));
    qsizetype newline;
    while ((newline = pending.indexOf('\n')) >= 0) {
      const QString line = QString::fromUtf8(pending.left(newline)).trimmed();
      pending.remove(0, newline + 1);
      bool quit = false;
      const QString reply = fleet.Execute(line, &quit);
      if (!reply.isEmpty()) out << reply << '\n';
      out.flush();
      if (logToFile && !line.isEmpty()) fileJournal.Write(QStringLiteral("command: ") + line);
      if (quit) {
        QCoreApplication::quit();
        return;
      }
    }
  });
  return QCoreApplication::exec();
}
