// The runtime's event fan-out and the settings kept beside the configuration file.
#include <algorithm>

#include "core/settings_diff.h"
#include "link/station_runtime.h"

namespace ws {

void StationRuntime::AddEventSink(EventSink* sink) {
  if (sink != nullptr && std::find(m_EventSinks.begin(), m_EventSinks.end(), sink) == m_EventSinks.end())
    m_EventSinks.push_back(sink);
}

void StationRuntime::RemoveEventSink(EventSink* sink) {
  m_EventSinks.erase(std::remove(m_EventSinks.begin(), m_EventSinks.end(), sink), m_EventSinks.end());
}

void StationRuntime::Journal(EventKind kind, int stack, int level, double value, std::string text) {
  StationEvent event;
  event.local = m_Clock.Now();
  event.utcMs = LocalToUtcMs(event.local);
  event.kind = kind;
  event.stack = stack;
  event.level = level;
  event.value = value;
  event.text = std::move(text);
  // A sink may remove itself while it records: walk a copy.
  const std::vector<EventSink*> sinks = m_EventSinks;
  for (EventSink* sink : sinks) sink->Record(event);
}

std::string StationRuntime::ApplyStationIni(const StationIni& edited) {
  const std::vector<std::string> changes = DiffStationIni(m_StationIni, edited);
  m_StationIni = edited;
  const std::string error = SaveStationIni(m_WorkdirUtf8, m_StationIni);
  if (!changes.empty()) {
    Journal(EventKind::kConfigurationChanged, -1, 0, static_cast<double>(changes.size()), JoinChanges(changes));
  }
  // Switched off: no stack stays in the no-communication alarm.
  if (!m_StationIni.noComm.alarm) {
    for (int i = 0; i < m_StackCount; ++i) ReturnNoCommunication(i);
  }
  emit stationIniChanged();
  return error;
}

}  // namespace ws
