// The configuration dialog's preview of a chosen .wav file: a player of its own,
// so that trying a sound never stops or replaces an alarm that is sounding.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QSoundEffect;

namespace ws {

class SoundPreview {
 public:
  virtual ~SoundPreview() = default;
  // Plays the file once, asynchronously, replacing a preview still playing.
  virtual void PlayOnce(const QString& path) = 0;
  // Stops the preview (and nothing else).
  virtual void Stop() = 0;
};

// The preview through its own QSoundEffect. Without an audio device it stays
// silent; a file the player cannot decode is reported through cannotDecode.
class CSoundPreview final : public QObject, public SoundPreview {
  Q_OBJECT

 public:
  explicit CSoundPreview(QObject* parent = nullptr);
  ~CSoundPreview() override;

  void PlayOnce(const QString& path) override;
  void Stop() override;

 signals:
  // The player could not load or decode the file being previewed.
  void cannotDecode(const QString& path);

 private:
  QSoundEffect* m_Effect = nullptr;  // child, made on first use
  QString m_Path;                    // the file being previewed
};

}  // namespace ws
