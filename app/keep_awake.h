// Keeps the monitoring PC's screen on and the session awake while the station
// runs: the screensaver inhibition of the session bus. Every failure (no
// session bus, no screensaver service) is ignored; nothing waits for an answer.
#pragma once

#include <QObject>

#include <cstdint>

namespace ws {

class CKeepAwake : public QObject {
  Q_OBJECT

 public:
  explicit CKeepAwake(QObject* parent = nullptr);
  ~CKeepAwake() override;

  // Asks once; the answer (a cookie) arrives later or never.
  void Inhibit();
  // Gives the inhibition back when one was granted.
  void Release();
  bool Granted() const { return m_bGranted; }

 private:
  uint32_t m_Cookie = 0;
  bool m_bGranted = false;
  bool m_bAsked = false;
};

}  // namespace ws
