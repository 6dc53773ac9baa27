// CNexPrint, the text writer of the report export: wide text converted to the
// system code page (CP949) and written unchanged to the open output file.
#pragma once

#include <QString>

#include <cstdio>

namespace ws {

class CNexPrint {
 public:
  // The output file stays owned by the caller, who opens and closes it.
  void SetOutput(std::FILE* file) { m_pFile = file; }
  std::FILE* Output() const { return m_pFile; }

  // Writes the text in CP949; characters the code page cannot hold become '?'.
  // False when there is no output file or the write fails.
  [[nodiscard]] bool WriteText(QString text);

 private:
  std::FILE* m_pFile = nullptr;
};

}  // namespace ws
