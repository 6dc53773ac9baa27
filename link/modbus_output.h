// The station's Modbus TCP output: a ModbusServer kept on or off as the
// runtime's windscope.ini says (or as the command line overrides), its register
// image refreshed from the runtime on the runtime's own thread.
#pragma once

#include <QObject>

#include <cstdint>
#include <optional>
#include <string>

#include "core/modbus_registers.h"
#include "core/station_ini.h"
#include "link/modbus_server.h"

namespace ws {

class StationRuntime;

class ModbusOutput final : public QObject {
  Q_OBJECT

 public:
  // `runtime` must outlive the output. Nothing listens until Apply.
  explicit ModbusOutput(StationRuntime& runtime, QObject* parent = nullptr);
  ~ModbusOutput() override;

  // On at this address and port for the life of the output, whatever the
  // settings say (windscope-station --modbus). Call Apply after.
  void SetOverride(const std::string& address, int port);

  // Starts, restarts or stops the server as the settings (or the override) ask;
  // runs again by itself on stationIniChanged. A server already listening where
  // it is asked to keeps its clients.
  void Apply();

  ModbusServer::Status Status() const { return m_Server.status(); }
  ModbusServer& server() { return m_Server; }

  // The runtime's values of one stack and of the station, as the map holds
  // them (the image's inputs; public for tests).
  ModbusStackValues StackValues(int stack) const;
  ModbusStationValues StationValues() const;

 signals:
  void statusChanged();

 private:
  void RefreshStack(int stack);
  void RefreshAll();
  // The whole image from the runtime, listening or not.
  void Rebuild();

  StationRuntime& m_Runtime;
  ModbusServer m_Server;
  std::optional<StationIni::Modbus> m_Override;
  std::optional<StationIni::Modbus> m_Serving;  // what the listening server was started with
  uint16_t m_Heartbeat = 0;
};

}  // namespace ws
