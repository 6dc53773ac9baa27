// The alarm sound the runtime asks for when a level is raised; the main window
// provides a player, the runtime starts with a silent one.
#pragma once

#include <string>

namespace ws {

class AlarmSound {
 public:
  virtual ~AlarmSound() = default;
  // Plays the .wav file at utf8Path asynchronously, replacing any sound playing;
  // looped: until Stop(). An empty or unreadable path plays the default alert.
  virtual void Play(const std::string& utf8Path, bool looped) = 0;
  virtual void Stop() = 0;
};

// Plays nothing; used headless and until the window installs its player.
class NullAlarmSound final : public AlarmSound {
 public:
  void Play(const std::string&, bool) override {}
  void Stop() override {}
};

}  // namespace ws
