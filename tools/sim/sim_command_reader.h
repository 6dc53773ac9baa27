// Cuts the byte stream a simulated logger receives into commands. The station
// sends commands without terminators, so each is recognised by its first five
// characters and its fixed length; several may arrive in one read, or one in
// several reads.
#pragma once

#include <QByteArray>
#include <optional>

namespace ws {

class SimCommandReader {
 public:
  void Append(const QByteArray& bytes) { m_buffer.append(bytes); }

  // The next complete command, or nullopt while the buffer holds only part of
  // one. Bytes that start no known command are returned together, up to the
  // next known prefix, as one unknown command.
  std::optional<QByteArray> Next();

  // Hands out whatever is left (a command that will never be completed).
  QByteArray TakeRest();

  qsizetype Pending() const { return m_buffer.size(); }

  // Length of the command that starts with `prefix`, or 0 for an unknown one.
  static int CommandLength(const QByteArray& prefix);

 private:
  QByteArray m_buffer;
};

inline constexpr int kSimPageBytes = 1024;
inline constexpr int kSimPageCommandBytes = 9 + kSimPageBytes;

}  // namespace ws
