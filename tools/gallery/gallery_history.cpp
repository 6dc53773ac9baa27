// Gallery pages of the history window over a made-up journal: every event, and
// filtered to one stack and to alarms.
#include <QApplication>
#include <QTemporaryDir>

#include "dialogs/history_dlg.h"
#include "tests/support/journal_files.h"
#include "tools/gallery/gallery.h"

namespace ws::gallery {

void RenderHistory(Gallery& gallery) {
  QTemporaryDir dir;
  if (!dir.isValid()) {
    gallery.Save(QStringLiteral("history_all"), QImage());
    return;
  }
  // Two weeks of an eight-stack site, an event every ten minutes.
  SystemTime start{};
  start.year = 2026;
  start.month = 11;
  start.day = 20;
  const int64_t from = CivilSeconds(start);
  if (!test::WriteJournal(dir.path().toStdString(), 2000,
                          [&](int64_t k) { return test::SampleEvent(k, 8, from, 600); })) {
    gallery.Save(QStringLiteral("history_all"), QImage());
    return;
  }
  CHistoryDlg history(dir.path(), 8, gallery.Fonts().Family(DisplayFonts::kIconSlot));
  history.resize(1200, 560);
  history.show();
  QApplication::processEvents();
  history.FetchVisible();
  gallery.Save(QStringLiteral("history_all"), history.grab().toImage());

  history.SetStack(2);
  history.SetKinds(static_cast<uint32_t>(EventGroup::kAlarms));
  history.SetSpan(QDate(2026, 11, 25), QDate(2026, 12, 2));
  QApplication::processEvents();
  gallery.Save(QStringLiteral("history_stack3_alarms"), history.grab().toImage());
  history.hide();
}

}  // namespace ws::gallery
