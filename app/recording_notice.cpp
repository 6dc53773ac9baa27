#include "app/recording_notice.h"

#include <QFontMetrics>

#include <algorithm>

#include "link/station_runtime.h"

namespace ws {
namespace {

// COLORREF fills: amber while the disk is nearly full, red while recording fails,
// green once it records again.
constexpr ColorRef kNearlyFullFill = 0x0070C0;
constexpr ColorRef kFailingFill = 0x0000B0;
constexpr ColorRef kResumedFill = 0x006000;

}  // namespace

CRecordingNotice::CRecordingNotice(QWidget* parent) : CNexText(parent) {
  m_nId = kId;
  Setup(0xFFFFFF, kNearlyFullFill, 5, 2);
  m_bBorder = true;
  m_BorderColor = 0xFFFFFF;
  m_nAlign = kSsCenter;
  m_fSizeFraction = 0.6f;
  m_strFaceName = QStringLiteral("Arial");
  m_HideTimer.setSingleShot(true);
  m_HideTimer.setInterval(kResumedShownMs);
  connect(&m_HideTimer, &QTimer::timeout, this, &QWidget::hide);
  connect(this, &CNexText::notify, this, [this](int, int code) {
    if (code == kClick) hide();
  });
  hide();
}

void CRecordingNotice::ShowState(int state, const QString& text) {
  const auto s = static_cast<RecordingState>(state);
  m_FillColor = s == RecordingState::kFailing       ? kFailingFill
                : s == RecordingState::kOk           ? kResumedFill
                                                     : kNearlyFullFill;
  m_TextOutlineColor = m_FillColor;
  m_strText = text;
  setWindowTitle(text);
  setToolTip(text);
  m_bBackgroundDirty = true;
  if (s == RecordingState::kOk) {
    m_HideTimer.start();
  } else {
    m_HideTimer.stop();
  }
  show();
  raise();
  update();
}

void CRecordingNotice::Place(const QRect& strip) {
  QFont font(m_strFaceName);
  font.setPixelSize(std::max(1, static_cast<int>(strip.height() * m_fSizeFraction)));
  const int wanted = QFontMetrics(font).horizontalAdvance(m_strText) + strip.height() * 3;
  const int w = std::clamp(wanted, 1, std::max(1, strip.width()));
  setGeometry(strip.left() + (strip.width() - w) / 2, strip.top(), w, strip.height());
}

}  // namespace ws
