// The alarm list (what a raise shows, ACK) and the information dialog.
#include <QApplication>
#include <QPushButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "core/settings.h"
#include "core/station_event.h"

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

AlarmEntry Entry(int stack, int level, AlarmCondition condition, const SystemTime& start, double peak,
                 int64_t durationMs = 0) {
  AlarmEntry e;
  e.stack = stack;
  e.level = level;
  e.condition = condition;
  e.start = start;
  e.startUtcMs = LocalToUtcMs(start);
  e.peakSpeed = peak;
  e.durationMs = durationMs;
  return e;
}

TEST(AlarmDlg, ARaiseIsListedWithItsStackLevelStartAndPeakAndTheTitleInItsColour) {
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
  EXPECT_EQ(grid->GetColumnCount(), CAlarmDlg::kColumns);
  EXPECT_EQ(grid->GetFixedRowCount(), 1);
  EXPECT_EQ(grid->GetFixedColumnCount(), 1);
  EXPECT_EQ(grid->GetRowCount(), 1 + CAlarmDlg::kVisibleRows);  // blank rows fill the window
  EXPECT_EQ(grid->GetDefaultBkColour(), 0xE0FFFFu);
  const char* headings[] = {"Stack", "Level", "State", "Start", "Peak", "Duration"};
  for (int c = 0; c < CAlarmDlg::kColumns; ++c) EXPECT_EQ(alarm.CellText(0, c), headings[c]) << c;
  EXPECT_EQ(alarm.CellText(1, CAlarmDlg::kColStack), "5");
  EXPECT_EQ(alarm.CellText(1, CAlarmDlg::kColLevel), "Alarm");
  EXPECT_EQ(alarm.CellText(1, CAlarmDlg::kColState), "Active");
  EXPECT_EQ(alarm.CellText(1, CAlarmDlg::kColStart), "2024.3.7 09:05:03");
  EXPECT_EQ(alarm.CellText(1, CAlarmDlg::kColPeak), "31.3 m/s");  // the fixed format
  EXPECT_EQ(alarm.CellText(1, CAlarmDlg::kColDuration), "0:00:00");
  EXPECT_EQ(alarm.CellText(2, CAlarmDlg::kColStack), "");
  // The columns fill the title's width exactly.
  int cells = 0;
  for (int c = 0; c < CAlarmDlg::kColumns; ++c) cells += grid->GetColumnWidth(c);
  EXPECT_EQ(cells, alarm.TitleBox()->width());
  for (int r = 0; r < grid->GetRowCount(); ++r) {
    for (int c = 1; c < CAlarmDlg::kColumns; ++c) EXPECT_TRUE(grid->IsItemReadOnly(r, c)) << r << "," << c;
  }
}

TEST(AlarmDlg, EveryConditionHasItsRowAndTheTitleNamesTheHighestUnacknowledgedLevel) {
  auto settings = std::make_unique<Settings>();
  SetFieldUtf8(settings->stacks[2].title, "PIER B", 80);
  CAlarmDlg alarm{QString()};
  alarm.SetSettings(settings.get());
  // Oldest first, as the runtime keeps them; the list shows the newest on top.
  const std::vector<AlarmEntry> entries = {
      Entry(6, 3, AlarmCondition::kActiveAcknowledged, At(2024, 3, 7, 8, 0, 0), 47.25, 60000),
      Entry(2, 2, AlarmCondition::kReturnedUnacknowledged, At(2024, 3, 7, 8, 30, 0), 42.8, 74000),
      Entry(9, CAlarmDlg::kNoCommLevel, AlarmCondition::kActiveUnacknowledged, At(2024, 3, 7, 9, 0, 5), 0.0),
      Entry(0, 1, AlarmCondition::kActiveUnacknowledged, At(2024, 3, 7, 9, 5, 0), 31.0),
  };
  alarm.ShowEntries(entries, At(2024, 3, 7, 9, 10, 0));
  EXPECT_TRUE(alarm.isVisible());  // new unacknowledged entries show the window
  ASSERT_EQ(alarm.Rows().size(), 4u);
  const struct {
    const char* stack;
    const char* level;
    const char* state;
    const char* start;
    const char* peak;
    const char* duration;
  } rows[] = {
      {"1", "Alarm", "Active", "2024.3.7 09:05:00", "31.0 m/s", "0:05:00"},
      {"10", "NO COMM", "Active", "2024.3.7 09:00:05", "-", "0:09:55"},
      {"3 PIER B", "Stop", "Returned", "2024.3.7 08:30:00", "42.8 m/s", "0:01:14"},
      {"7", "Trip", "Acknowledged", "2024.3.7 08:00:00", "47.2 m/s", "1:10:00"},
  };
  for (int i = 0; i < 4; ++i) {
    const int r = i + 1;
    EXPECT_EQ(alarm.CellText(r, CAlarmDlg::kColStack), rows[i].stack) << r;
    EXPECT_EQ(alarm.CellText(r, CAlarmDlg::kColLevel), rows[i].level) << r;
    EXPECT_EQ(alarm.CellText(r, CAlarmDlg::kColState), rows[i].state) << r;
    EXPECT_EQ(alarm.CellText(r, CAlarmDlg::kColStart), rows[i].start) << r;
    EXPECT_EQ(alarm.CellText(r, CAlarmDlg::kColPeak), rows[i].peak) << r;
    EXPECT_EQ(alarm.CellText(r, CAlarmDlg::kColDuration), rows[i].duration) << r;
  }
  // Each level cell in its level's colour; unacknowledged states stand out.
  EXPECT_EQ(alarm.Grid()->GetItemBkColour(2, CAlarmDlg::kColLevel), CAlarmDlg::LevelColour(CAlarmDlg::kNoCommLevel));
  EXPECT_EQ(alarm.Grid()->GetItemBkColour(4, CAlarmDlg::kColLevel), 0x0000FFu);
  EXPECT_NE(alarm.Grid()->GetItemBkColour(3, CAlarmDlg::kColState), alarm.Grid()->GetItemBkColour(4, CAlarmDlg::kColState));
  // The Trip is acknowledged: the highest unacknowledged level is Stop.
  EXPECT_EQ(alarm.TitleLevel(), 2);
  EXPECT_EQ(alarm.TitleBox()->m_strText, "Stop");
  EXPECT_EQ(alarm.TitleBox()->m_FillColor, 0x4080FFu);
  // Only a silent stack unacknowledged: NO COMM names the window.
  alarm.ShowEntries({entries[0], entries[2]}, At(2024, 3, 7, 9, 11, 0));
  EXPECT_EQ(alarm.TitleBox()->m_strText, "NO COMM");
  // All acknowledged: the highest listed.
  auto acked = entries[2];
  acked.condition = AlarmCondition::kActiveAcknowledged;
  alarm.ShowEntries({entries[0], acked}, At(2024, 3, 7, 9, 12, 0));
  EXPECT_EQ(alarm.TitleBox()->m_strText, "Trip");
  // The clock moves on: active entries grow, a returned one keeps its length.
  alarm.ShowEntries(entries, At(2024, 3, 7, 9, 10, 0));
  alarm.SetNow(At(2024, 3, 7, 9, 12, 30));
  EXPECT_EQ(alarm.CellText(1, CAlarmDlg::kColDuration), "0:07:30");
  EXPECT_EQ(alarm.CellText(3, CAlarmDlg::kColDuration), "0:01:14");
  EXPECT_EQ(alarm.CellText(4, CAlarmDlg::kColDuration), "1:12:30");
}

TEST(AlarmDlg, ANewUnacknowledgedEntryShowsTheWindowAndAKnownOneDoesNot) {
  CAlarmDlg alarm{QString()};
  const auto first = Entry(1, 1, AlarmCondition::kActiveUnacknowledged, At(2024, 3, 7, 9, 0, 0), 30.5);
  alarm.ShowEntries({first}, At(2024, 3, 7, 9, 0, 1));
  EXPECT_TRUE(alarm.isVisible());
  alarm.hide();
  // The same entry again (its peak grew): no new raise.
  auto grown = first;
  grown.peakSpeed = 33.0;
  alarm.ShowEntries({grown}, At(2024, 3, 7, 9, 0, 2));
  EXPECT_FALSE(alarm.isVisible());
  EXPECT_EQ(alarm.CellText(1, CAlarmDlg::kColPeak), "33.0 m/s");
  // A stack going silent raises NO COMM: the window comes back.
  alarm.ShowEntries({grown, Entry(3, CAlarmDlg::kNoCommLevel, AlarmCondition::kActiveUnacknowledged,
                                  At(2024, 3, 7, 9, 0, 3), 0.0)},
                    At(2024, 3, 7, 9, 0, 3));
  EXPECT_TRUE(alarm.isVisible());
}

TEST(AlarmDlg, ARaiseIsListedOnceWhetherTheRuntimesListNamesItBeforeOrAfter) {
  CAlarmDlg alarm{QString()};
  const auto trip = Entry(2, 3, AlarmCondition::kActiveUnacknowledged, At(2024, 3, 7, 9, 5, 9), 46.0);
  // The raise first, then the list naming it.
  alarm.ShowEntry(2, 3, 46.04, At(2024, 3, 7, 9, 5, 9));
  EXPECT_EQ(alarm.Rows().size(), 1u);
  alarm.ShowEntries({trip}, At(2024, 3, 7, 9, 5, 9));
  EXPECT_EQ(alarm.Rows().size(), 1u);
  // The list first, then the raise of an entry it already names.
  alarm.ShowEntry(2, 3, 46.04, At(2024, 3, 7, 9, 5, 9));
  EXPECT_EQ(alarm.Rows().size(), 1u);
  // A raise the list does not name yet is listed on top of it.
  alarm.ShowEntry(0, 1, 30.5, At(2024, 3, 7, 9, 6, 0));
  ASSERT_EQ(alarm.Rows().size(), 2u);
  EXPECT_EQ(alarm.CellText(1, CAlarmDlg::kColStack), "1");
  EXPECT_EQ(alarm.TitleBox()->m_strText, "Trip");  // the highest, not the latest
  // Any other code reads as Alarm.
  EXPECT_EQ(CAlarmDlg::TitleWord(0), "Alarm");
  EXPECT_EQ(CAlarmDlg::LevelColour(7), 0x00FFFFu);
  EXPECT_EQ(CAlarmDlg::TitleWord(2), "Stop");
  EXPECT_EQ(CAlarmDlg::LevelColour(3), 0x0000FFu);
}

TEST(AlarmDlg, AckHidesTheWindowAndAsksOnceForTheAcknowledgementAndHistoryAsksForTheHistory) {
  CAlarmDlg alarm{QString()};
  std::vector<std::pair<int, int>> sent;
  int history = 0;
  QObject::connect(&alarm, &CAlarmDlg::acknowledge, [&](int code, int lparam) { sent.emplace_back(code, lparam); });
  QObject::connect(&alarm, &CAlarmDlg::historyRequested, [&] { ++history; });
  alarm.ShowEntries({Entry(1, 2, AlarmCondition::kActiveUnacknowledged, At(2026, 12, 9, 16, 0, 0), 41.0),
                     Entry(4, CAlarmDlg::kNoCommLevel, AlarmCondition::kReturnedUnacknowledged,
                           At(2026, 12, 9, 16, 0, 5), 0.0, 9000)},
                    At(2026, 12, 9, 16, 0, 10));
  ASSERT_TRUE(alarm.isVisible());
  CNexButton* historyButton = alarm.HistoryButton();
  EXPECT_EQ(historyButton->text(), "History");
  QTest::mouseClick(historyButton, Qt::LeftButton, Qt::NoModifier, historyButton->rect().center());
  EXPECT_EQ(history, 1);
  EXPECT_TRUE(alarm.isVisible());
  EXPECT_TRUE(sent.empty());
  CNexButton* ack = alarm.AckButton();
  EXPECT_EQ(ack->text(), "ACK");
  EXPECT_EQ(ack->m_IconGlyph, 118);
  EXPECT_EQ(ack->m_IconColour, 0x008000u);
  QTest::mouseClick(ack, Qt::LeftButton, Qt::NoModifier, ack->rect().center());
  EXPECT_FALSE(alarm.isVisible());
  EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{1, 0}}));
  EXPECT_EQ(history, 1);
}

TEST(InfoDlg, ShowsNameVersionAndCopyrightAndClosesWithOkEnterOrEscape) {
  EXPECT_EQ(CInfoDlg::FirstLine(), QString::fromStdString(VersionEntryText(VersionEntry::kProductName) + "   V" +
                                                          VersionEntryText(VersionEntry::kFileVersion)));
  EXPECT_EQ(CInfoDlg::SecondLine(), QString::fromStdString(VersionEntryText(VersionEntry::kLegalCopyright)));
  CInfoDlg info;
  EXPECT_EQ(info.windowTitle(), "Information");
  EXPECT_EQ(info.OkButton()->geometry(), QRect(QPoint(50, 50), QPoint(249, 79)));
  const QImage image = info.Render();
  EXPECT_EQ(image.pixel(5, 90), qRgb(255, 255, 255));
  // The key list under OK names F4 for the history.
  const auto& keys = CInfoDlg::Keys();
  EXPECT_NE(std::find(keys.begin(), keys.end(), std::pair<QString, QString>{"F4", "History"}), keys.end());
  EXPECT_EQ(keys.front().first, "F1");
  EXPECT_GE(info.height(), 100 + 16 * static_cast<int>(keys.size()));
  int keyInk = 0;
  for (int y = 100; y < info.height() - 8; ++y) keyInk += qGray(image.pixel(30, y)) < 100 ? 1 : 0;
  EXPECT_GT(keyInk, 5);  // the keys are drawn
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

TEST(InfoDlg, EachStateOfThePlantOutputsHasItsTextAndTheSectionIsDrawnUnderTheKeys) {
  CInfoDlg plain;
  EXPECT_TRUE(plain.Outputs().empty());
  const int plainHeight = plain.height();

  ModbusServer::Status modbus;  // off, never ran: no counters
  MqttPublisher::Status mqtt;
  CInfoDlg info;
  info.ShowStatus(modbus, mqtt);
  EXPECT_GT(info.height(), plainHeight);
  ASSERT_EQ(info.Outputs().size(), 2u);
  EXPECT_EQ(info.Outputs()[0].name, "Modbus TCP");
  EXPECT_EQ(info.Outputs()[0].state, "off");
  EXPECT_EQ(info.Outputs()[0].counters, "");
  EXPECT_EQ(info.Outputs()[1].name, "MQTT");
  EXPECT_EQ(info.Outputs()[1].state, "off");
  EXPECT_EQ(info.Outputs()[1].counters, "");

  modbus.state = ModbusServer::State::kListening;
  modbus.address = "0.0.0.0";
  modbus.port = 1502;
  modbus.clients = 2;
  modbus.requestsServed = 41;
  mqtt.state = MqttPublisher::State::kConnected;
  mqtt.broker = "10.0.0.5:1883";
  mqtt.clientId = "windscope-quay";
  mqtt.sent = 7;
  mqtt.dropped = 1;
  mqtt.waiting = 2;
  info.ShowStatus(modbus, mqtt);
  EXPECT_EQ(info.Outputs()[0].state, "listening on 0.0.0.0:1502, 2 clients");
  EXPECT_EQ(info.Outputs()[0].counters, "requests served 41, exceptions 0, clients refused 0, clients dropped 0");
  EXPECT_EQ(info.Outputs()[1].state, "connected to 10.0.0.5:1883 as windscope-quay");
  EXPECT_EQ(info.Outputs()[1].counters, "sent 7, dropped 1, waiting 2");

  modbus.state = ModbusServer::State::kRefused;
  modbus.reason = "port 502 needs privileges";
  mqtt.state = MqttPublisher::State::kRetrying;
  mqtt.since = "2024-03-07 09:12:40";
  mqtt.reason = "Connection refused";
  info.ShowStatus(modbus, mqtt);
  EXPECT_EQ(info.Outputs()[0].state, "refused: port 502 needs privileges");
  EXPECT_EQ(info.Outputs()[1].state, "retrying 10.0.0.5:1883 since 2024-03-07 09:12:40 (Connection refused)");
  mqtt.state = MqttPublisher::State::kConnecting;
  info.ShowStatus(std::nullopt, mqtt);  // only the publisher
  ASSERT_EQ(info.Outputs().size(), 1u);
  EXPECT_EQ(info.Outputs()[0].state, "connecting to 10.0.0.5:1883");
  mqtt.state = MqttPublisher::State::kRefused;
  mqtt.reason = "Connection Refused: not authorised.";
  info.ShowStatus(std::nullopt, mqtt);
  EXPECT_EQ(info.Outputs()[0].state, "refused by 10.0.0.5:1883 (Connection Refused: not authorised.)");
  mqtt.state = MqttPublisher::State::kOff;  // switched off after it ran: its counters stay
  info.ShowStatus(std::nullopt, mqtt);
  EXPECT_EQ(info.Outputs()[0].state, "off");
  EXPECT_EQ(info.Outputs()[0].counters, "sent 7, dropped 1, waiting 2");

  // The section is drawn below the keys, within the dialog.
  int ink = 0;
  const QImage image = info.Render();
  for (int y = plainHeight; y < image.height(); ++y) ink += qGray(image.pixel(40, y)) < 100 ? 1 : 0;
  EXPECT_GT(ink, 5);
}

}  // namespace
}  // namespace ws
