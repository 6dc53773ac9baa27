#include "app/recording_notice.h"

#include "link/station_runtime.h"

namespace ws {
namespace {

// COLORREF fills: amber while the disk is nearly full, red while recording fails,
// green once it records again.
constexpr ColorRef kNearlyFullFill = 0x0070C0;
constexpr ColorRef kFailingFill = 0x0000B0;
constexpr ColorRef kResumedFill = 0x006000;

}  // namespace

CRecordingNotice::CRecordingNotice(QWidget* parent) : CNotice(kId, kNearlyFullFill, parent) {
  m_HideTimer.setSingleShot(true);
  m_HideTimer.setInterval(kResumedShownMs);
  connect(&m_HideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void CRecordingNotice::ShowState(int state, const QString& text) {
  const auto s = static_cast<RecordingState>(state);
  if (s == RecordingState::kOk) {
    m_HideTimer.start();
  } else {
    m_HideTimer.stop();
  }
  ShowText(text, s == RecordingState::kFailing ? kFailingFill
                 : s == RecordingState::kOk    ? kResumedFill
                                               : kNearlyFullFill);
}

}  // namespace ws
