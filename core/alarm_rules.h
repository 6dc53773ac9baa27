// The alarm rules of the acquisition cycle: judging each new speed against the
// Alarm, Stop and Trip levels, the acknowledgement that re-arms them, the
// overall level L and the station flags for alarm sounds and unacknowledged alarms.
#pragma once

#include <cstdint>
#include <string>

#include "core/alarm_lamps.h"
#include "core/alarm_sink.h"
#include "core/alarm_thresholds.h"
#include "core/clock.h"
#include "core/signal_lamp.h"
#include "core/statistics_cascade.h"

namespace ws {

// Main window flag bits owned by the alarm rules.
inline constexpr uint32_t kFlagSoundsEnabled = 1u << 3;
inline constexpr uint32_t kFlagUnacknowledged = 1u << 4;

struct AlarmConfig {
  AlarmThresholds thresholds;
  // 0: a sound plays once; nonzero: it loops until acknowledged.
  int soundMode = 1;
  // UTF-8 paths of the .wav files of the three levels.
  std::string alarmSoundPath;
  std::string stopSoundPath;
  std::string tripSoundPath;
};

// A level is raised once per stack; it can be raised again only after an
// acknowledgement and after the speed has fallen below its threshold. Only the
// stacks below the cascade's StackCount() are judged or counted.
// The cascade, sink and clock must outlive the rules. Single-threaded.
class AlarmRules {
 public:
  AlarmRules(StatisticsCascade& stacks, AlarmSink& sink, const Clock& clock);

  AlarmRules(const AlarmRules&) = delete;
  AlarmRules& operator=(const AlarmRules&) = delete;

  void SetConfig(const AlarmConfig& config) { m_config = config; }
  const AlarmConfig& Config() const { return m_config; }

  // Judges the stored speed of stack index after a reply: raises at most one
  // level (Trip, else Stop, else Alarm, each only while its bit is clear),
  // re-arms acknowledged levels the speed has left, and recomputes L.
  // Returns the level raised, or kLevelNone. A stack not in use is ignored; a
  // speed that is not a finite number raises and re-arms nothing.
  int Evaluate(int index);

  // The operator's acknowledgement: clears the unacknowledged flag, stops the
  // sound, marks every stack acknowledged and re-arms the levels its speed is
  // below; the lamps show L as last computed.
  void Acknowledge();

  // L: 3 if any stack in use has its Trip bit, else 2 for Stop, 1 for Alarm, else 0.
  // Evaluate and BuildLampMessage recompute it; call it after the cascade is
  // rebuilt so the lamps do not show the levels of stacks that are gone.
  int RecomputeLevel();
  // L as last computed.
  int OverallLevel() const { return m_level; }

  // Recomputes L and builds the lamp tower's message; the all-off message when
  // the tower is disabled.
  SignalLampMessage BuildLampMessage(bool lampEnabled);

  bool SoundsEnabled() const { return m_soundsEnabled; }
  // Switching sounds off stops any sound playing.
  void SetSoundsEnabled(bool enabled);
  bool Unacknowledged() const { return m_unacknowledged; }
  // kFlagSoundsEnabled | kFlagUnacknowledged as they stand.
  uint32_t StationFlags() const;

  // The on-screen lamps. BlinkTick is the 200 ms timer: it reads the clock.
  const LampStates& LampState() const { return m_lamps.State(); }
  AlarmLamps& Lamps() { return m_lamps; }
  void BlinkTick();

 private:
  void Raise(int index, int level, double speed, const std::string& soundPath);

  StatisticsCascade& m_stacks;
  AlarmSink& m_sink;
  const Clock& m_clock;
  AlarmConfig m_config;
  int m_level = kLevelNone;
  bool m_soundsEnabled = true;
  bool m_unacknowledged = false;
  AlarmLamps m_lamps;
};

}  // namespace ws
