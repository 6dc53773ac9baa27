// Gallery pages of the date chooser (plain, and with the hole map of the day
// dump) and of the progress window (plain strip, and with text and Cancel).
#include <QDate>

#include "dialogs/calendar.h"
#include "dialogs/progress.h"
#include "tools/gallery/gallery.h"

namespace ws::gallery {

void RenderDumpWindows(Gallery& gallery) {
  {
    CCalendar plain;
    plain.m_Date = QDate(2026, 3, 14);
    plain.show();
    gallery.Save(QStringLiteral("calendar_plain"), plain.grab().toImage());
    plain.hide();
  }
  {
    CCalendar map;
    map.m_Caption = QStringLiteral("Select Day....");
    map.m_Date = QDate(2026, 3, 14);
    map.SetHoleMapVisible(true);
    for (int d = 1; d <= 14; ++d) {
      const DayFill fill = (d == 3 || d == 9) ? DayFill::kPartly : d == 6 ? DayFill::kEmpty : DayFill::kFull;
      map.SetDayFill(QDate(2026, 3, d), fill);
    }
    map.SetHoleMapText(QStringLiteral("3 incomplete days before today"));
    map.show();
    gallery.Save(QStringLiteral("calendar_hole_map"), map.grab().toImage());
    map.hide();
  }
  {
    CProgress plain;
    plain.SetPos(37);
    plain.show();
    gallery.Save(QStringLiteral("progress_plain"), plain.grab().toImage());
    plain.hide();
  }
  {
    CProgress full;
    full.SetText(QStringLiteral("STACK #3: 2026-03-09, day 2 of 3"));
    full.SetCancelVisible(true);
    full.SetPos(64);
    full.show();
    gallery.Save(QStringLiteral("progress_cancel"), full.grab().toImage());
    full.hide();
  }
}

}  // namespace ws::gallery
