// The alarm list (what a raise shows, ACK) and the information dialog.
#include <QApplication>
#include <QPushButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <vector>

#include "dialogs/alarm_dlg.h"
#include "dialogs/info_dlg.h"
#include "grid/grid_ctrl.h"
#include "util/version_info.h"
#include "widgets/nex_button.h"
#include "widgets/nex_text.h"

namespace ws {
namespace {

SystemTime At(int y, int mo, int d, int h, int mi, int s) {
  SystemTime t{};
  t.year = static_cast<uint16_t>(y);
  t.month = static_cast<uint16_t>(mo);
  t.day = static_cast<uint16_t>(d);
  t.hour = static_cast<uint16_t>(h);
  t.minute = static_cast<uint16_t>(mi);
  t.second = static_cast<uint16_t>(s);
  return t;
}

TEST(AlarmDlg, ShowsTheStackNumberTheFixedSpeedFormatAndTheTimeWithoutLeadingZeros) {
  CAlarmDlg alarm{QString()};
  alarm.ShowEntry(4, 1, 31.26, At(2024, 3, 7, 9, 5, 3));
  EXPECT_TRUE(alarm.isVisible());
  EXPECT_EQ(alarm.windowTitle(), "Alarm");
  EXPECT_TRUE(alarm.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(alarm.parentWidget(), nullptr);
  EXPECT_EQ(alarm.TitleBox()->m_strText, "Alarm");
  EXPECT_EQ(alarm.TitleBox()->m_FillColor, 0x00FFFFu);
  EXPECT_EQ(alarm.TitleBox()->m_TextColor, 0x000000u);
  const CGridCtrl* grid = alarm.Grid();
  EXPECT_EQ(grid->GetRowCount(), 6);
  EXPECT_EQ(grid->GetColumnCount(), 2);
  EXPECT_EQ(grid->GetFixedColumnCount(), 1);
  EXPECT_EQ(grid->GetColumnWidth(0), 80);
  EXPECT_EQ(grid->GetColumnWidth(1), alarm.TitleBox()->width() - 80);
  EXPECT_EQ(grid->GetDefaultBkColour(), 0xE0FFFFu);
  EXPECT_EQ(alarm.CellText(0, 0), "Stack");
  EXPECT_EQ(alarm.CellText(1, 0), "Data");
  EXPECT_EQ(alarm.CellText(2, 0), "Date");
  EXPECT_EQ(alarm.CellText(3, 0), "");
  EXPECT_EQ(alarm.CellText(0, 1), "5");
  EXPECT_EQ(alarm.CellText(1, 1), "31.3 m/s");
  EXPECT_EQ(alarm.CellText(2, 1), "2024.3.7 9:5:3");
  for (int r = 0; r < 6; ++r) EXPECT_TRUE(grid->IsItemReadOnly(r, 1)) << r;
}

TEST(AlarmDlg, TwoRaisesBeforeAckShowOnlyTheSecondInItsLevelsColour) {
  CAlarmDlg alarm{QString()};
  alarm.ShowEntry(0, 1, 30.5, At(2024, 3, 7, 9, 5, 3));
  alarm.ShowEntry(2, 3, 46.04, At(2024, 3, 7, 9, 5, 9));
  EXPECT_EQ(alarm.TitleBox()->m_strText, "Trip");
  EXPECT_EQ(alarm.TitleBox()->m_FillColor, 0x0000FFu);
  EXPECT_EQ(alarm.TitleBox()->m_TextOutlineColor, 0x0000FFu);
  EXPECT_EQ(alarm.CellText(0, 1), "3");
  EXPECT_EQ(alarm.CellText(1, 1), "46.0 m/s");
  EXPECT_EQ(alarm.CellText(2, 1), "2024.3.7 9:5:9");
  alarm.ShowEntry(2, 2, 40, At(2024, 3, 7, 9, 6, 0));
  EXPECT_EQ(alarm.TitleBox()->m_strText, "Stop");
  EXPECT_EQ(alarm.TitleBox()->m_FillColor, 0x4080FFu);
  // Any other code reads as Alarm.
  EXPECT_EQ(CAlarmDlg::TitleWord(0), "Alarm");
  EXPECT_EQ(CAlarmDlg::LevelColour(7), 0x00FFFFu);
}

TEST(AlarmDlg, AckHidesTheWindowAndAsksOnceForTheAcknowledgement) {
  CAlarmDlg alarm{QString()};
  std::vector<std::pair<int, int>> sent;
  QObject::connect(&alarm, &CAlarmDlg::acknowledge, [&](int code, int lparam) { sent.emplace_back(code, lparam); });
  alarm.ShowEntry(1, 2, 41.0, At(2026, 12, 9, 16, 0, 0));
  CNexButton* ack = alarm.AckButton();
  EXPECT_EQ(ack->text(), "ACK");
  EXPECT_EQ(ack->m_IconGlyph, 118);
  EXPECT_EQ(ack->m_IconColour, 0x008000u);
  QTest::mouseClick(ack, Qt::LeftButton, Qt::NoModifier, ack->rect().center());
  EXPECT_FALSE(alarm.isVisible());
  EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{1, 0}}));
}

TEST(InfoDlg, ShowsNameVersionAndCopyrightAndClosesWithOkEnterOrEscape) {
  EXPECT_EQ(CInfoDlg::FirstLine(), QString::fromStdString(VersionEntryText(VersionEntry::kProductName) + "   V" +
                                                          VersionEntryText(VersionEntry::kFileVersion)));
  EXPECT_EQ(CInfoDlg::SecondLine(), QString::fromStdString(VersionEntryText(VersionEntry::kLegalCopyright)));
  CInfoDlg info;
  EXPECT_EQ(info.windowTitle(), "Information");
  EXPECT_EQ(info.OkButton()->geometry(), QRect(QPoint(50, 50), QPoint(249, 79)));
  EXPECT_EQ(info.height(), 100);  // ends 20 pixels below OK
  const QImage image = info.Render();
  EXPECT_EQ(image.pixel(5, 90), qRgb(255, 255, 255));
  int dark = 0;
  for (int x = 10; x < 150; ++x) dark += qGray(image.pixel(x, 18)) < 100 ? 1 : 0;
  EXPECT_GT(dark, 5);  // the first line is drawn

  for (int way = 0; way < 3; ++way) {
    CInfoDlg dialog;
    dialog.show();
    if (way == 0) QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    if (way == 1) QTest::keyClick(&dialog, Qt::Key_Return);
    if (way == 2) QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible()) << way;
    EXPECT_EQ(dialog.result(), way == 2 ? QDialog::Rejected : QDialog::Accepted) << way;
  }
}

}  // namespace
}  // namespace ws
