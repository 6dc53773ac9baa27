#include "app/instance_lock.h"

#include <QDir>
#include <QStandardPaths>

namespace ws {

QString CInstanceLock::DefaultDirectory() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime;
  return QDir::tempPath();
}

CInstanceLock::CInstanceLock(const QString& directory)
    : m_Path(QDir(directory.isEmpty() ? DefaultDirectory() : directory)
                 .filePath(QString::fromLatin1(kName) + QStringLiteral(".lock"))),
      m_pLock(std::make_unique<QLockFile>(m_Path)) {
  // Never stale by age: only a lock whose process has gone is taken over.
  m_pLock->setStaleLockTime(0);
}

CInstanceLock::~CInstanceLock() = default;

bool CInstanceLock::TryLock() { return m_pLock->isLocked() || m_pLock->tryLock(0); }

bool CInstanceLock::IsLocked() const { return m_pLock->isLocked(); }

}  // namespace ws
