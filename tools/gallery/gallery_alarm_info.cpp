// Gallery pages of the alarm list at each level and of the information dialog.
#include "dialogs/alarm_dlg.h"
#include "dialogs/info_dlg.h"
#include "tools/gallery/gallery.h"

namespace ws::gallery {

void RenderAlarmInfo(Gallery& gallery) {
  SystemTime t{};
  t.year = 2024;
  t.month = 3;
  t.day = 7;
  t.hour = 9;
  t.minute = 5;
  t.second = 3;
  const struct {
    const char* name;
    int level;
    double speed;
  } raises[] = {{"alarm_list_alarm", 1, 31.26}, {"alarm_list_stop", 2, 41.04}, {"alarm_list_trip", 3, 46.5}};
  for (const auto& raise : raises) {
    CAlarmDlg alarm(gallery.Fonts().Family(DisplayFonts::kIconSlot));
    alarm.ShowEntry(4, raise.level, raise.speed, t);
    gallery.Save(QString::fromLatin1(raise.name), alarm.grab().toImage());
    alarm.hide();
  }
  CInfoDlg info;
  info.show();
  gallery.Save(QStringLiteral("info_dialog"), info.grab().toImage());
  info.hide();
}

}  // namespace ws::gallery
