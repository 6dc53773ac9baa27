#include <algorithm>

#include "core/format_fixed.h"
#include "link/runtime_callbacks.h"
#include "link/station_runtime.h"

// The alarm states of the station runtime (what the alarm list and the journal
// show, beside the alarm rules that decide the raises) and the
// no-communication alarm.

namespace ws {

namespace {

const char* LevelWord(int level) {
  switch (level) {
    case kLevelAlarm: return "Alarm";
    case kLevelStop: return "Stop";
    case kLevelTrip: return "Trip";
    case kLevelNoCommunication: return "NO COMM";
    default: return "Level";
  }
}

double Seconds(int64_t ms) { return static_cast<double>(ms) / 1000.0; }

}  // namespace

int64_t StationRuntime::NowMs() const { return LocalToUtcMs(m_Clock.Now()); }

void StationRuntime::OnLevelRaised(int stack, int level, double speed) {
  m_States->Raise(stack, level, speed);
  Journal(EventKind::kAlarmRaised, stack, level, speed,
          FormatC("%s raised at %.1f %s", LevelWord(level), speed, FieldUtf8(m_Settings->speedUnit).c_str()));
  PublishAlarmEntries();
  emit alarmRaised(stack, level, speed);
}

void StationRuntime::JudgeAlarmStates(int stack) {
  const AlarmSpeedResult result =
      m_States->OnSpeed(stack, m_Cascade->Stack(stack).speed, m_Alarms->Config().thresholds);
  for (const AlarmTransition& t : result.returned) JournalReturn(t);
  if (!result.returned.empty()) {
    PublishAlarmEntries();
  } else if (result.peakChanged) {
    m_AlarmPeaksChanged = true;  // told with the next supervision tick
  }
}

void StationRuntime::JournalReturn(const AlarmTransition& t) {
  const AlarmEntry& e = t.entry;
  std::string text = FormatC("%s returned to normal after %.0f s", LevelWord(e.level), Seconds(e.durationMs));
  if (e.level != kLevelNoCommunication) {
    text += FormatC(", peak %.1f %s", e.peakSpeed, FieldUtf8(m_Settings->speedUnit).c_str());
  }
  if (e.condition == AlarmCondition::kReturnedUnacknowledged) text += " (not acknowledged)";
  Journal(EventKind::kAlarmReturned, e.stack, e.level, Seconds(e.durationMs), std::move(text));
}

void StationRuntime::OnSignOfLife(int stack) {
  const auto ui = static_cast<size_t>(stack);
  m_SilentTicks[ui] = 0;
  if (m_CommLostMs[ui] >= 0) {
    const double lost = Seconds(std::max<int64_t>(0, NowMs() - m_CommLostMs[ui]));
    m_CommLostMs[ui] = -1;
    Journal(EventKind::kCommunicationRestored, stack, 0, lost,
            FormatC("Communication restored after %.0f s", lost));
  }
  ReturnNoCommunication(stack);
}

void StationRuntime::ReturnNoCommunication(int stack) {
  if (std::optional<AlarmTransition> t = m_States->Return(stack, kLevelNoCommunication)) {
    JournalReturn(*t);
    PublishAlarmEntries();
  }
}

void StationRuntime::OnCommunicationLost(int stack) {
  const auto ui = static_cast<size_t>(stack);
  // The first tick after a link is made marks it too (it has not been asked
  // yet): only a stack silent for the no-communication ticks is lost.
  if (m_CommLostMs[ui] >= 0 || m_SilentTicks[ui] < PollSupervisor::kNoCommunicationTicks) return;
  m_CommLostMs[ui] = NowMs();
  Journal(EventKind::kCommunicationLost, stack, 0, m_SilentTicks[ui],
          FormatC("No answer for %d s", m_SilentTicks[ui]));
}

void StationRuntime::SuperviseNoCommunication() {
  const StationIni::NoCommunication& config = m_StationIni.noComm;
  if (config.alarm) {
    for (int i = 0; i < m_StackCount; ++i) {
      const auto ui = static_cast<size_t>(i);
      // A stack carrying a dump or an upload is not silent, only occupied.
      if (IsBusy(i) || !m_Links[ui] || m_States->Active(i, kLevelNoCommunication)) continue;
      const int silent = m_SilentTicks[ui];
      if (silent <= config.delaySeconds) continue;
      m_States->Raise(i, kLevelNoCommunication, 0.0);
      Journal(EventKind::kAlarmRaised, i, kLevelNoCommunication, silent,
              FormatC("NO COMM raised: silent for %d s", silent));
      // The Alarm level's sound; the lamps and the tower keep showing the speed levels.
      if (m_Alarms->SoundsEnabled()) {
        m_AlarmBridge->PlaySound(m_Alarms->Config().alarmSoundPath, m_Alarms->Config().soundMode != 0);
      }
      m_AlarmPeaksChanged = true;
    }
  }
  if (m_AlarmPeaksChanged) PublishAlarmEntries();
}

void StationRuntime::PublishAlarmEntries() {
  m_AlarmPeaksChanged = false;
  m_AlarmEntries = m_States->Entries();
  emit alarmEntriesChanged();
}

void StationRuntime::Acknowledge() {
  m_Alarms->Acknowledge();
  const std::vector<AlarmEntry> covered = m_States->Acknowledge();
  if (!covered.empty()) {
    // One event per ACK, naming what it covered; an ACK with nothing waiting
    // changes nothing and is not journalled.
    std::string text = "ACK: ";
    for (size_t k = 0; k < covered.size(); ++k) {
      const AlarmEntry& e = covered[k];
      if (k > 0) text += ", ";
      text += FormatC("#%d %s", e.stack + 1, LevelWord(e.level));
      if (e.condition == AlarmCondition::kReturnedUnacknowledged) text += " (returned)";
    }
    const int stack = covered.size() == 1 ? covered.front().stack : -1;
    Journal(EventKind::kAlarmAcknowledged, stack, 0, static_cast<double>(covered.size()), std::move(text));
    PublishAlarmEntries();
  }
  EmitLampsIfChanged();
}

}  // namespace ws
