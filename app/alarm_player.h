// The alarm sound of the station window: the level's .wav through Qt
// Multimedia, once or looped, replacing whatever plays. An alarm is never
// silent because of its file: an empty or unreadable path, a file whose header
// shows an encoding the player cannot decode (ADPCM, a file cut short, not a
// wave file), and a file the player reports it could not decode all play the
// default alert tone built into the program. Without an audio device nothing
// is heard and nothing is reported.
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
  // Why the default tone plays instead of the file asked for (empty when it
  // does not, or when no file was asked for).
  const QString& FallbackReason() const { return m_FallbackReason; }

  // The URL a sound path stands for: the file when it can be read and its
  // header shows sound the player decodes, else the default tone. `reason`
  // (optional) gets why a file named was not taken.
  static QUrl SourceFor(const std::string& utf8Path, QString* reason = nullptr);

  // The player could not decode the source it was given (its status went to
  // Error): the default tone takes over, playing as the file was meant to.
  // When the default tone itself fails nothing more is tried.
  void OnDecodeError();

 private:
  void Start();

  std::unique_ptr<QSoundEffect> m_pEffect;  // made at the first alarm
  QUrl m_Source;
  QString m_FallbackReason;
  bool m_bLooped = false;
  bool m_bActive = false;
  int m_nPlays = 0;
};

}  // namespace ws
