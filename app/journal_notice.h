// The station window's notice about the event journal: a caption box in the
// window's bottom strip that never blocks the window. It shows what the
// station journal's journalProblem says; journalResumed turns it into a short
// "written again" notice that goes by itself. A click dismisses it.
#pragma once

#include <QTimer>

#include "app/notice.h"

namespace ws {

class CJournalNotice final : public CNotice {
  Q_OBJECT

 public:
  static constexpr int kId = 10032;
  static constexpr int kResumedShownMs = 15000;

  explicit CJournalNotice(QWidget* parent = nullptr);

  void ShowProblem(const QString& text);
  void ShowResumed();

 private:
  QTimer m_HideTimer;
};

}  // namespace ws
