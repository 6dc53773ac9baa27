#include "tools/sim/sim_journal.h"

#include <QDateTime>
#include <cstdio>

namespace ws {

SimJournal::SimJournal() {
  (void)m_file.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool SimJournal::Open(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return false;
  file.close();
  m_file.close();
  m_file.setFileName(path);
  return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void SimJournal::Write(const QString& line) {
  const QString stamped =
      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz ")) + line +
      QLatin1Char('\n');
  m_file.write(stamped.toUtf8());
  m_file.flush();
}

}  // namespace ws
