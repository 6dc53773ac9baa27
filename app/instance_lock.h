// The single-instance lock of the station: a lock file named after "WDX-5100"
// in the user's runtime directory (the temporary directory without one). A
// copy that crashed leaves a lock whose process is gone; the next start takes
// it over.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace ws {

class CInstanceLock {
 public:
  static constexpr const char* kName = "WDX-5100";

  // `directory` empty: the runtime directory, else the temporary one.
  explicit CInstanceLock(const QString& directory = QString());
  ~CInstanceLock();

  // True when this process now holds the lock; false while another live
  // instance holds it.
  bool TryLock();
  bool IsLocked() const;
  const QString& Path() const { return m_Path; }

  static QString DefaultDirectory();

 private:
  QString m_Path;
  std::unique_ptr<QLockFile> m_pLock;
};

}  // namespace ws
