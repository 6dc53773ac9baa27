#include "dialogs/sound_preview.h"

#include <QSoundEffect>
#include <QUrl>

namespace ws {

CSoundPreview::CSoundPreview(QObject* parent) : QObject(parent) {}

CSoundPreview::~CSoundPreview() { Stop(); }

void CSoundPreview::PlayOnce(const QString& path) {
  if (!m_Effect) m_Effect = new QSoundEffect(this);
  m_Effect->stop();
  m_Effect->setLoopCount(1);
  m_Effect->setSource(QUrl::fromLocalFile(path));
  // The effect loads asynchronously; play() waits for the load and plays it.
  m_Effect->play();
}

void CSoundPreview::Stop() {
  if (m_Effect) m_Effect->stop();
}

}  // namespace ws
