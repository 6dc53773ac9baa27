// The alarm sound of the station window: the level's .wav through Qt
// Multimedia, once or looped, replacing whatever plays. An empty or unreadable
// path plays the default alert tone built into the program. Without an audio
// device nothing is heard and nothing is reported.
#pragma once

#include <QString>
#include <QUrl>

#include <memory>

#include "link/alarm_sound.h"

class QSoundEffect;

namespace ws {

class CAlarmPlayer final : public AlarmSound {
 public:
  static constexpr const char* kDefaultTone = "qrc:/sounds/alert.wav";

  CAlarmPlayer();
  ~CAlarmPlayer() override;

  void Play(const std::string& utf8Path, bool looped) override;
  void Stop() override;

  // What the last Play asked for (the file, or the default tone), and whether
  // a sound is meant to be playing now (independent of the audio device).
  QUrl Source() const { return m_Source; }
  bool Looped() const { return m_bLooped; }
  bool Active() const { return m_bActive; }
  int PlayCount() const { return m_nPlays; }

  // The URL a sound path stands for: the file when it can be read, else the default tone.
  static QUrl SourceFor(const std::string& utf8Path);

 private:
  std::unique_ptr<QSoundEffect> m_pEffect;  // made at the first alarm
  QUrl m_Source;
  bool m_bLooped = false;
  bool m_bActive = false;
  int m_nPlays = 0;
};

}  // namespace ws
