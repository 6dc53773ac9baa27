#include "app/alarm_player.h"

#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>

#include "core/wav_format.h"

namespace ws {

CAlarmPlayer::CAlarmPlayer() = default;
CAlarmPlayer::~CAlarmPlayer() = default;

QUrl CAlarmPlayer::SourceFor(const std::string& utf8Path, QString* reason) {
  const QString path = QString::fromStdString(utf8Path);
  const QUrl tone(QString::fromLatin1(kDefaultTone));
  if (reason) reason->clear();
  if (path.isEmpty()) return tone;
  const QFileInfo info(path);
  const WavCheck check = CheckWavFile(QFile::encodeName(info.absoluteFilePath()).toStdString());
  if (check) {
    if (reason) *reason = QString::fromStdString(check.reason);
    return tone;
  }
  return QUrl::fromLocalFile(info.absoluteFilePath());
}

void CAlarmPlayer::Play(const std::string& utf8Path, bool looped) {
  m_Source = SourceFor(utf8Path, &m_FallbackReason);
  m_bLooped = looped;
  m_bActive = true;
  ++m_nPlays;
  Start();
}

void CAlarmPlayer::Start() {
  // QSoundEffect opens the audio output only when it plays; on a machine
  // without one it stays silent. Its Error status means the source could not
  // be loaded or decoded.
  if (!m_pEffect) {
    m_pEffect = std::make_unique<QSoundEffect>();
    // Queued: the fallback replaces the source, which is not done from inside
    // the effect's own signal.
    QObject::connect(
        m_pEffect.get(), &QSoundEffect::statusChanged, m_pEffect.get(),
        [this] {
          if (m_pEffect->status() == QSoundEffect::Error && m_pEffect->source() == m_Source) OnDecodeError();
        },
        Qt::QueuedConnection);
  }
  m_pEffect->stop();
  if (m_pEffect->source() != m_Source) m_pEffect->setSource(m_Source);
  m_pEffect->setLoopCount(m_bLooped ? QSoundEffect::Infinite : 1);
  m_pEffect->play();
}

void CAlarmPlayer::OnDecodeError() {
  const QUrl tone(QString::fromLatin1(kDefaultTone));
  if (m_Source == tone) return;  // nothing better to fall back on
  m_FallbackReason = QStringLiteral("the player could not decode it");
  m_Source = tone;
  if (m_bActive) Start();
}

void CAlarmPlayer::Stop() {
  m_bActive = false;
  if (m_pEffect) m_pEffect->stop();
}

}  // namespace ws
