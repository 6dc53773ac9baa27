#include "core/signal_lamp.h"
#include "link/station_runtime.h"

// The lamp tower and the on-screen lamps of the station runtime.

namespace ws {

void StationRuntime::OnLampData() {
  m_LampSilentTicks = 0;
  m_Alarms->Lamps().LampTowerReplied(m_Alarms->OverallLevel());
  EmitLampsIfChanged();
}

void StationRuntime::SendLampMessage() {
  const bool enabled = m_Settings->signalLampEnabled == 1;
  const SignalLampMessage message = m_Alarms->BuildLampMessage(enabled);
  if (enabled && m_LampLink) {
    m_LampLink->Send(reinterpret_cast<const char*>(message.data()),
                     static_cast<qint64>(message.size()));
  }
}

void StationRuntime::EmitLampsIfChanged() {
  const LampStates now = m_Alarms->LampState();
  if (m_LampsEmitted && now == m_LastLamps) return;
  m_LampsEmitted = true;
  m_LastLamps = now;
  emit lampsChanged(now.green, now.yellow, now.red);
}

void StationRuntime::KeepLampTowerAlive() {
  if (m_Settings->signalLampEnabled == 1) {
    if (++m_LampSilentTicks >= 3) {
      m_LampSilentTicks = 0;
      if (m_LampLink) {
        m_LampLink->Close();
        m_LampLink->Connect(m_Settings->signalLampAddress, CNexSock::kLampPort);
      }
      m_Alarms->Lamps().LampTowerLost();
    } else {
      SendLampMessage();
    }
  } else {
    m_Alarms->Lamps().AllOff();
  }
  EmitLampsIfChanged();
}

void StationRuntime::SwitchLampTowerOff() {
  if (!m_LampLink) return;
  const SignalLampMessage off = AllOffSignalLampMessage();
  m_LampLink->WaitForConnected(500);  // a reconnect under way would drop it
  m_LampLink->Send(reinterpret_cast<const char*>(off.data()), static_cast<qint64>(off.size()));
  m_LampLink->Flush(500);
}

void StationRuntime::OnBlinkTimer() {
  m_Alarms->BlinkTick();
  EmitLampsIfChanged();
}

}  // namespace ws
