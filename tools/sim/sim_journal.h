// The simulator's log: one line per event (what each logger received, lamp
// messages, connections), stamped with the local time, to a file or stderr.
#pragma once

#include <QFile>
#include <QString>

namespace ws {

class SimJournal {
 public:
  // Writes to stderr until Open() names a file.
  SimJournal();

  // Appends to `path`; false (and stderr kept) when it cannot be opened.
  [[nodiscard]] bool Open(const QString& path);

  void Write(const QString& line);

 private:
  QFile m_file;
};

}  // namespace ws
