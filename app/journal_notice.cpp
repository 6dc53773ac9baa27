#include "app/journal_notice.h"

namespace ws {
namespace {

// COLORREF fills, as the recording notice's: red while failing, green once
// written again.
constexpr ColorRef kProblemFill = 0x0000B0;
constexpr ColorRef kResumedFill = 0x006000;

}  // namespace

CJournalNotice::CJournalNotice(QWidget* parent) : CNotice(kId, kProblemFill, parent) {
  m_HideTimer.setSingleShot(true);
  m_HideTimer.setInterval(kResumedShownMs);
  connect(&m_HideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void CJournalNotice::ShowProblem(const QString& text) {
  m_HideTimer.stop();
  ShowText(text, kProblemFill);
}

void CJournalNotice::ShowResumed() {
  m_HideTimer.start();
  ShowText(QStringLiteral("Event journal written again"), kResumedFill);
}

}  // namespace ws
