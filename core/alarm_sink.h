// What a raised alarm level sets off outside the core: the alarm list entry and
// the alarm sound. The runtime implements it with the alarm window and a player.
#pragma once

#include <string>

namespace ws {

class AlarmSink {
 public:
  virtual ~AlarmSink() = default;

  // A level (kLevelAlarm..kLevelTrip) was raised for stack (0-based) at speed;
  // the alarm list takes the entry and is shown.
  virtual void AlarmRaised(int stack, int level, double speed) = 0;

  // Plays the level's sound file asynchronously, replacing any sound playing.
  // path is UTF-8; an empty or unreadable path plays the default alert tone.
  // looped: repeat until StopSound(), otherwise play once.
  virtual void PlaySound(const std::string& path, bool looped) = 0;

  // Stops any sound playing (acknowledgement, sounds switched off).
  virtual void StopSound() = 0;
};

}  // namespace ws
