#include "app/settings_notice.h"

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

CSettingsNotice::CSettingsNotice(QWidget* parent) : CNotice(kId, kFill, parent) {}

void CSettingsNotice::ShowLoad(const SettingsFile::LoadResult& load) {
  const QString text = SettingsLoadNotice(load);
  if (!text.isEmpty()) ShowText(text, kFill);
}

}  // namespace ws
