// A simulated site: up to 100 loggers on consecutive loopback addresses and an
// optional lamp tower, steered by text commands (the program reads them from
// standard input; tests may call Execute directly).
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "tools/sim/sim_lamp_tower.h"
#include "tools/sim/sim_logger.h"

namespace ws {

inline constexpr int kSimMaxLoggers = 100;

struct SimFleetOptions {
  int loggers = 1;                // 1..100
  quint32 baseHost = 0x7F000002;  // 127.0.0.2; logger i at base + i
  quint16 port = 4000;
  std::optional<quint32> lampHost;  // no lamp tower when empty
  quint16 lampPort = 20000;
  uint32_t seed = 0;  // varies the live wind only
};

class SimFleet : public QObject {
  Q_OBJECT

 public:
  explicit SimFleet(QObject* parent = nullptr);
  ~SimFleet() override;

  // Starts every logger and the lamp tower. False, with the reason in *error,
  // when the options are out of range or any of them cannot listen.
  [[nodiscard]] bool Start(const SimFleetOptions& options, QString* error);

  int LoggerCount() const { return static_cast<int>(m_loggers.size()); }
  SimLogger* Logger(int index) const;
  SimLampTower* Lamp() const { return m_lamp.get(); }

  // "3=silent", "all=short", "lamp=silent".
  [[nodiscard]] bool ApplyFault(const QString& spec, QString* error);
  // "3=46" holds logger 3 near 46 m/s; "3=auto" releases it.
  [[nodiscard]] bool ApplyWind(const QString& spec, QString* error);

  // Runs one command line: "fault I|all|lamp MODE", "wind I|all SPEED|auto",
  // "appe I", "status", "help", "quit". Returns the text to show (errors start
  // with "error:"); sets *quit for "quit".
  QString Execute(const QString& line, bool* quit);

  // The host-order value of a dotted IPv4 address inside 127.0.0.0/8.
  static std::optional<quint32> LoopbackHost(const QString& text);

 signals:
  void logLine(const QString& line);

 private:
  // A command that sets something on a target; returns a reply like Execute's.
  using Setter = QString (SimFleet::*)(const QString& target, const QString& value);

  QString SetFault(const QString& target, const QString& mode);
  QString SetWind(const QString& target, const QString& value);
  // Splits "TARGET=VALUE" and runs `setter` on it; an error reply (or a spec that is
  // not of that `form`) goes to *error without its "error: " prefix.
  [[nodiscard]] bool ApplyAssignment(const QString& spec, const QString& form, Setter setter,
                                     QString* error);
  QString Status() const;
  // Loggers named by "all" or an index; empty when the target is invalid.
  std::vector<SimLogger*> Targets(const QString& target) const;

  std::vector<std::unique_ptr<SimLogger>> m_loggers;
  std::unique_ptr<SimLampTower> m_lamp;
};

}  // namespace ws
