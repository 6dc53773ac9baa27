#include "dialogs/sound_preview.h"

#include <QSoundEffect>
#include <QUrl>

namespace ws {

CSoundPreview::CSoundPreview(QObject* parent) : QObject(parent) {}

CSoundPreview::~CSoundPreview() { Stop(); }

void CSoundPreview::PlayOnce(const QString& path) {
  if (!m_Effect) {
    m_Effect = new QSoundEffect(this);
    connect(
        m_Effect, &QSoundEffect::statusChanged, this,
        [this] {
          if (m_Effect->status() == QSoundEffect::Error && m_Effect->source() == QUrl::fromLocalFile(m_Path)) {
            emit cannotDecode(m_Path);
          }
        },
        Qt::QueuedConnection);
  }
  m_Effect->stop();
  m_Effect->setLoopCount(1);
  m_Path = path;
  m_Effect->setSource(QUrl::fromLocalFile(path));
  // The effect loads asynchronously; play() waits for the load and plays it.
  m_Effect->play();
}

void CSoundPreview::Stop() {
  if (m_Effect) m_Effect->stop();
}

}  // namespace ws
