#include "core/alarm_rules.h"

#include <cmath>

namespace ws {

namespace {

// The re-arm rule: an acknowledged level whose threshold the speed is below may
// be raised again. NaN is below nothing, so it re-arms nothing.
uint8_t Rearm(uint8_t bits, double v, const AlarmThresholds& t) {
  if (v < t.trip) bits = static_cast<uint8_t>(bits & ~kTripBit);
  if (v < t.stop) bits = static_cast<uint8_t>(bits & ~kStopBit);
  if (v < t.alarm) bits = static_cast<uint8_t>(bits & ~kAlarmBit);
  return bits;
}

}  // namespace

AlarmRules::AlarmRules(StatisticsCascade& stacks, AlarmSink& sink, const Clock& clock)
    : m_stacks(stacks), m_sink(sink), m_clock(clock) {}

int AlarmRules::Evaluate(int index) {
  if (index < 0 || index >= m_stacks.StackCount()) return kLevelNone;
  StackStatistics& s = m_stacks.Stack(index);
  const double v = s.speed;
  const AlarmThresholds& t = m_config.thresholds;
  int raised = kLevelNone;
  if (std::isfinite(v)) {
    const uint8_t kept = static_cast<uint8_t>(s.alarmBits & ~kAcknowledgedBit);
    if (v >= t.trip && !(s.alarmBits & kTripBit)) {
      raised = kLevelTrip;
      s.alarmBits = static_cast<uint8_t>(kept | kAlarmBit | kStopBit | kTripBit);
      Raise(index, raised, v, m_config.tripSoundPath);
    } else if (v >= t.stop && !(s.alarmBits & kStopBit)) {
      raised = kLevelStop;
      s.alarmBits = static_cast<uint8_t>((kept & ~kTripBit) | kAlarmBit | kStopBit);
      Raise(index, raised, v, m_config.stopSoundPath);
    } else if (v >= t.alarm && !(s.alarmBits & kAlarmBit)) {
      raised = kLevelAlarm;
      s.alarmBits = static_cast<uint8_t>((kept & ~(kStopBit | kTripBit)) | kAlarmBit);
      Raise(index, raised, v, m_config.alarmSoundPath);
    }
    if (s.alarmBits & kAcknowledgedBit) s.alarmBits = Rearm(s.alarmBits, v, t);
  }
  RecomputeLevel();
  return raised;
}

void AlarmRules::Raise(int index, int level, double speed, const std::string& soundPath) {
  m_lamps.ShowLevel(level);
  m_unacknowledged = true;
  if (m_soundsEnabled) m_sink.PlaySound(soundPath, m_config.soundMode != 0);
  m_sink.AlarmRaised(index, level, speed);
}

void AlarmRules::Acknowledge() {
  m_unacknowledged = false;
  m_sink.StopSound();
  const AlarmThresholds& t = m_config.thresholds;
  for (int i = 0; i < m_stacks.StackCount(); ++i) {
    StackStatistics& s = m_stacks.Stack(i);
    s.alarmBits = Rearm(static_cast<uint8_t>(s.alarmBits | kAcknowledgedBit), s.speed, t);
  }
  m_lamps.ShowLevel(m_level);
}

int AlarmRules::RecomputeLevel() {
  uint8_t any = 0;
  for (int i = 0; i < m_stacks.StackCount(); ++i) any |= m_stacks.Stack(i).alarmBits;
  if (any & kTripBit) {
    m_level = kLevelTrip;
  } else if (any & kStopBit) {
    m_level = kLevelStop;
  } else if (any & kAlarmBit) {
    m_level = kLevelAlarm;
  } else {
    m_level = kLevelNone;
  }
  return m_level;
}

SignalLampMessage AlarmRules::BuildLampMessage(bool lampEnabled) {
  RecomputeLevel();
  if (!lampEnabled) return AllOffSignalLampMessage();
  return BuildSignalLampMessage(m_level, m_unacknowledged, m_soundsEnabled);
}

void AlarmRules::SetSoundsEnabled(bool enabled) {
  if (m_soundsEnabled && !enabled) m_sink.StopSound();
  m_soundsEnabled = enabled;
}

uint32_t AlarmRules::StationFlags() const {
  return (m_soundsEnabled ? kFlagSoundsEnabled : 0u) | (m_unacknowledged ? kFlagUnacknowledged : 0u);
}

void AlarmRules::BlinkTick() {
  m_lamps.Blink(m_level, m_unacknowledged, m_clock.Now().milliseconds);
}

}  // namespace ws
