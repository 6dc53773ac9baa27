// The station window's notice that the configuration file did not load whole:
// missing (a first start, or a file gone), cut short, or unreadable, the station
// runs on factory defaults for what it lacks, and says so once in the window's
// bottom strip (never a message box, which would hold the start). A click
// dismisses it.
#pragma once

#include <QString>

#include "core/settings_file.h"
#include "app/notice.h"

namespace ws {

// The notice's text for a load result, or an empty text when the file loaded whole.
QString SettingsLoadNotice(const SettingsFile::LoadResult& load);

class CSettingsNotice final : public CNotice {
  Q_OBJECT

 public:
  static constexpr int kId = 10031;

  explicit CSettingsNotice(QWidget* parent = nullptr);

  // Shows the notice for `load`, or stays hidden when the file loaded whole.
  void ShowLoad(const SettingsFile::LoadResult& load);
};

}  // namespace ws
