#include "app/test_mode_banner.h"

#include <QFontMetrics>

#include <algorithm>

#include "core/format_fixed.h"
#include "core/protocol_codec.h"

namespace ws {
namespace {

// COLORREF: black text on amber, edged in red, as a warning sign is.
constexpr ColorRef kTextColour = 0x000000;
constexpr ColorRef kFill = 0x00C0FF;
constexpr ColorRef kEdge = 0x0000D0;

}  // namespace

CTestModeBanner::CTestModeBanner(QWidget* parent) : CNexText(parent) {
  m_nId = kId;
  Setup(kTextColour, kFill, 7, 4);
  m_bBorder = true;
  m_BorderColor = kEdge;
  m_TextOutlineColor = kFill;
  m_nAlign = kSsCenter;
  m_fSizeFraction = 0.5f;
  m_strFaceName = QStringLiteral("Arial");
  hide();
}

void CTestModeBanner::ShowMode(int mode, const QString& unit) {
  m_nMode = (mode >= 1 && mode <= 3) ? mode : 0;
  if (m_nMode == 0) {
    hide();
    return;
  }
  const double forced = ApplyTestSpeedMode(m_nMode, 0.0f);
  m_strText = QStringLiteral("TEST MODE: every speed %1 %2")
                  .arg(QString::fromStdString(FormatFixed(1, forced)), unit)
                  .trimmed();
  setWindowTitle(m_strText);
  setToolTip(QStringLiteral("Ctrl+F5 ends the test mode"));
  m_bBackgroundDirty = true;
  show();
  raise();
  update();
}

int CTestModeBanner::WidthFor(int height) const {
  QFont font(m_strFaceName);
  font.setBold(true);
  font.setPixelSize(std::max(1, static_cast<int>(height * m_fSizeFraction)));
  return QFontMetrics(font).horizontalAdvance(m_strText) + height;
}

}  // namespace ws
