#include "app/settings_notice.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstring>

namespace ws {
namespace {

constexpr ColorRef kFill = 0x0070C0;  // amber, as a notice that needs a look but not a stop

QString ErrorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

QString SettingsLoadNotice(const SettingsFile::LoadResult& load) {
  const QString file = QString::fromLatin1(kSettingsFileName);
  using Outcome = SettingsFile::LoadOutcome;
  switch (load.outcome) {
    case Outcome::kLoaded: return {};
    case Outcome::kCreated:
      return QStringLiteral("No configuration file: started on factory defaults (a new %1 was written).").arg(file);
    case Outcome::kDefaultsNotSaved:
      return QStringLiteral("No configuration file: started on factory defaults; %1 could not be written (%2).")
          .arg(file, ErrorText(load.error));
    case Outcome::kLoadedShort:
      return QStringLiteral("%1 is cut short (%2 of %3 bytes): the settings it lacks are factory defaults.")
          .arg(file)
          .arg(load.bytesRead)
          .arg(kSettingsSize);
    case Outcome::kUnreadable:
      return QStringLiteral("%1 cannot be read (%2): started on factory defaults; the file is left as it is.")
          .arg(file, ErrorText(load.error));
  }
  return {};
}

CSettingsNotice::CSettingsNotice(QWidget* parent) : CNexText(parent) {
  m_nId = kId;
  Setup(0xFFFFFF, kFill, 5, 2);
  m_bBorder = true;
  m_BorderColor = 0xFFFFFF;
  m_TextOutlineColor = kFill;
  m_nAlign = kSsCenter;
  m_fSizeFraction = 0.6f;
  m_strFaceName = QStringLiteral("Arial");
  connect(this, &CNexText::notify, this, [this](int, int code) {
    if (code == kClick) hide();
  });
  hide();
}

void CSettingsNotice::ShowLoad(const SettingsFile::LoadResult& load) {
  const QString text = SettingsLoadNotice(load);
  if (text.isEmpty()) return;
  m_strText = text;
  setWindowTitle(text);
  setToolTip(text);
  m_bBackgroundDirty = true;
  show();
  raise();
  update();
}

void CSettingsNotice::Place(const QRect& strip) {
  QFont font(m_strFaceName);
  font.setPixelSize(std::max(1, static_cast<int>(strip.height() * m_fSizeFraction)));
  const int wanted = QFontMetrics(font).horizontalAdvance(m_strText) + strip.height() * 3;
  const int w = std::clamp(wanted, 1, std::max(1, strip.width()));
  setGeometry(strip.left() + (strip.width() - w) / 2, strip.top(), w, strip.height());
}

}  // namespace ws
