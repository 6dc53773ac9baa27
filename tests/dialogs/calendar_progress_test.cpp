// The date chooser and the progress window: what the owner writes and reads.
#include <QApplication>
#include <QKeyEvent>
#include <QTextCharFormat>
#include <QTimer>
#include <gtest/gtest.h>

#include "dialogs/calendar.h"
#include "dialogs/progress.h"

namespace ws {
namespace {

TEST(CalendarTest, OkStoresTheSelectedDayAndEnterOrEscDoNotClose) {
  CCalendar dialog;
  dialog.m_Date = QDate(2026, 3, 14);
  int result = -1;
  bool stillOpenAfterKeys = false;
  QTimer::singleShot(0, &dialog, [&] {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("CALENDAR"));  // empty caption
    EXPECT_EQ(dialog.calendar()->selectedDate(), QDate(2026, 3, 14));
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(&dialog, &press);
      QApplication::sendEvent(dialog.okButton(), &press);
    }
    stillOpenAfterKeys = dialog.isVisible();
    dialog.calendar()->setSelectedDate(QDate(2026, 3, 2));
    dialog.okButton()->click();
  });
  result = dialog.exec();
  EXPECT_TRUE(stillOpenAfterKeys);
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(dialog.m_Date, QDate(2026, 3, 2));
  EXPECT_FALSE(dialog.cancelButton()->isVisible());
}

TEST(CalendarTest, CaptionHoleMapAndFillHoles) {
  CCalendar dialog;
  dialog.m_Caption = QStringLiteral("Select Day....");
  const QSize plain = dialog.size();
  dialog.SetHoleMapVisible(true);
  EXPECT_GT(dialog.height(), plain.height());
  dialog.SetDayFill(QDate(2026, 3, 1), DayFill::kPartly);
  dialog.SetDayFill(QDate(2026, 3, 2), DayFill::kFull);
  dialog.SetDayFill(QDate(2026, 3, 2), DayFill::kUnknown);
  EXPECT_EQ(dialog.DayFillOf(QDate(2026, 3, 1)), DayFill::kPartly);
  EXPECT_EQ(dialog.DayFillOf(QDate(2026, 3, 2)), DayFill::kUnknown);
  EXPECT_EQ(dialog.calendar()->dateTextFormat(QDate(2026, 3, 1)).background().color(),
            QColor::fromRgb(CCalendar::kPartlyColour));
  int result = -1;
  QTimer::singleShot(0, &dialog, [&] {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Day...."));
    dialog.fillHolesButton()->click();
  });
  result = dialog.exec();
  EXPECT_EQ(result, CCalendar::kFillHoles);
}

TEST(CalendarTest, ClosingTheWindowIsNotOk) {
  CCalendar dialog;
  dialog.m_Date = QDate(2026, 1, 5);
  QTimer::singleShot(0, &dialog, [&] { dialog.close(); });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_EQ(dialog.m_Date, QDate(2026, 1, 5));
}

TEST(ProgressTest, PlainStripAndOptionalTextAndCancel) {
  CProgress progress;
  EXPECT_FALSE(progress.isVisible());
  EXPECT_EQ(progress.size(), QSize(CProgress::kWidth, CProgress::kHeight));
  EXPECT_EQ(progress.bar()->geometry(), QRect(3, 3, 368, 10));
  EXPECT_EQ(progress.Pos(), 50);
  EXPECT_EQ(progress.bar()->minimum(), 0);
  EXPECT_EQ(progress.bar()->maximum(), 100);
  progress.SetPos(140);
  EXPECT_EQ(progress.Pos(), 100);
  progress.SetPos(-3);
  EXPECT_EQ(progress.Pos(), 0);

  progress.SetText(QStringLiteral("STACK #1"));
  progress.SetCancelVisible(true);
  EXPECT_GT(progress.height(), CProgress::kHeight);
  int cancelled = 0;
  QObject::connect(&progress, &CProgress::cancelled, &progress, [&] { ++cancelled; });
  progress.Show();
  EXPECT_TRUE(progress.isVisible());
  progress.cancelButton()->click();
  EXPECT_EQ(cancelled, 1);
  progress.close();  // only the owner hides it
  EXPECT_TRUE(progress.isVisible());

  progress.SetText(QString());
  progress.SetCancelVisible(false);
  EXPECT_EQ(progress.size(), QSize(CProgress::kWidth, CProgress::kHeight));
}

}  // namespace
}  // namespace ws
