#include "app/alarm_player.h"

#include <QFileInfo>
#include <QSoundEffect>

namespace ws {

CAlarmPlayer::CAlarmPlayer() = default;
CAlarmPlayer::~CAlarmPlayer() = default;

QUrl CAlarmPlayer::SourceFor(const std::string& utf8Path) {
  const QString path = QString::fromStdString(utf8Path);
  if (!path.isEmpty()) {
    const QFileInfo info(path);
    if (info.isFile() && info.isReadable()) return QUrl::fromLocalFile(info.absoluteFilePath());
  }
  return QUrl(QString::fromLatin1(kDefaultTone));
}

void CAlarmPlayer::Play(const std::string& utf8Path, bool looped) {
  m_Source = SourceFor(utf8Path);
  m_bLooped = looped;
  m_bActive = true;
  ++m_nPlays;
  // QSoundEffect opens the audio output only when it plays; on a machine
  // without one it goes to its error status and stays silent.
  if (!m_pEffect) m_pEffect = std::make_unique<QSoundEffect>();
  m_pEffect->stop();
  if (m_pEffect->source() != m_Source) m_pEffect->setSource(m_Source);
  m_pEffect->setLoopCount(looped ? QSoundEffect::Infinite : 1);
  m_pEffect->play();
}

void CAlarmPlayer::Stop() {
  m_bActive = false;
  if (m_pEffect) m_pEffect->stop();
}

}  // namespace ws
