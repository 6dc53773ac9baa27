#include "app/notice.h"

#include <QFontMetrics>

#include <algorithm>

namespace ws {

CNotice::CNotice(int id, ColorRef fill, QWidget* parent) : CNexText(parent) {
  m_nId = id;
  Setup(0xFFFFFF, fill, 5, 2);
  m_bBorder = true;
  m_BorderColor = 0xFFFFFF;
  m_TextOutlineColor = fill;
  m_nAlign = kSsCenter;
  m_fSizeFraction = 0.6f;
  m_strFaceName = QStringLiteral("Arial");
  connect(this, &CNexText::notify, this, [this](int, int code) {
    if (code == kClick) hide();
  });
  hide();
}

void CNotice::ShowText(const QString& text, ColorRef fill) {
  m_FillColor = fill;
  m_TextOutlineColor = fill;
  m_strText = text;
  setWindowTitle(text);
  setToolTip(text);
  m_bBackgroundDirty = true;
  show();
  raise();
  update();
}

void CNotice::Place(const QRect& strip) {
  QFont font(m_strFaceName);
  font.setPixelSize(std::max(1, static_cast<int>(strip.height() * m_fSizeFraction)));
  const int wanted = QFontMetrics(font).horizontalAdvance(m_strText) + strip.height() * 3;
  const int w = std::clamp(wanted, 1, std::max(1, strip.width()));
  setGeometry(strip.left() + (strip.width() - w) / 2, strip.top(), w, strip.height());
}

}  // namespace ws
