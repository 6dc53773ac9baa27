// The station window's notice about recording (a full disk, mostly): a caption
// box in the window's bottom strip that never blocks the window. It shows what
// the runtime's recordingStateChanged says; a click dismisses it, and the
// "resumed" notice goes by itself after a while.
#pragma once

#include <QTimer>

#include "app/notice.h"

namespace ws {

class CRecordingNotice final : public CNotice {
  Q_OBJECT

 public:
  static constexpr int kId = 10030;
  static constexpr int kResumedShownMs = 15000;

  explicit CRecordingNotice(QWidget* parent = nullptr);

  // A RecordingState value and its text, as the runtime sends them.
  void ShowState(int state, const QString& text);

 private:
  QTimer m_HideTimer;
};

}  // namespace ws
