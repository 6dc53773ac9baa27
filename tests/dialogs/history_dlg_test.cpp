#include "dialogs/history_dlg.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/event_cells.h"
#include "grid/grid_ctrl.h"
#include "support/journal_files.h"
#include "support/month_files.h"
#include "widgets/message_helpers.h"

namespace ws {
namespace {

using test::At;
using test::MakeEvent;

// A journal of `count` events that exist only as numbers: event i of the
// filtered list (newest first) is made on request. Records what was asked.
class FakeReader final : public EventReader {
 public:
  explicit FakeReader(int64_t count) : m_Count(count) {}
  int64_t Count(const EventFilter& filter) override {
    filters.push_back(filter);
    return m_Count;
  }
  std::vector<StoredEvent> Page(const EventFilter& filter, int64_t offset, int limit) override {
    filters.push_back(filter);
    pages.push_back(offset);
    std::vector<StoredEvent> out;
    for (int64_t i = offset; i < std::min(m_Count, offset + limit); ++i) {
      StoredEvent e;
      e.id = m_Count - i;
      e.event = MakeEvent(CivilSeconds(At(2026, 1, 1)) + (m_Count - i) * 30,
                          EventKind::kAlarmRaised, static_cast<int>(i % 100), 1, 33.0,
                          "event " + std::to_string(i));
      out.push_back(std::move(e));
    }
    return out;
  }
  std::vector<StoredEvent> All(const EventFilter&) override { return {}; }
  JournalSpanStats Stats(const EventFilter&) override { return {}; }

  std::vector<EventFilter> filters;
  std::vector<int64_t> pages;

 private:
  int64_t m_Count;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class HistoryDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageHandler([this](int, const QString& text) {
      messages.push_back(text.toStdString());
      return static_cast<int>(kIdOk);
    });
  }
  void TearDown() override {
    dlg.reset();
    SetMessageHandler({});
  }
  FakeReader* OpenFake(int64_t count, int stacks = 100) {
    auto reader = std::make_unique<FakeReader>(count);
    FakeReader* raw = reader.get();
    dlg = std::make_unique<CHistoryDlg>(std::move(reader), dir.path(), stacks, QString());
    dlg->show();
    QApplication::processEvents();
    return raw;
  }
  void OpenJournal(int stacks) {
    dlg = std::make_unique<CHistoryDlg>(dir.path(), stacks, QString());
    dlg->show();
    QApplication::processEvents();
  }
  std::string Dir() const { return dir.path().toStdString(); }

  QTemporaryDir dir;
  std::unique_ptr<CHistoryDlg> dlg;
  std::vector<std::string> messages;
};

TEST_F(HistoryDlgTest, TheControlsMapToTheReadersFilter) {
  FakeReader* reader = OpenFake(10);
  // At opening: every day, every stack, every kind.
  EventFilter f = reader->filters.back();
  EXPECT_EQ(f.fromLocalSeconds, std::numeric_limits<int64_t>::min());
  EXPECT_EQ(f.toLocalSeconds, std::numeric_limits<int64_t>::max());
  EXPECT_EQ(f.stack, -1);
  EXPECT_EQ(f.groups, kAllEventGroups);

  dlg->SetStack(2);
  EXPECT_EQ(dlg->StackBox()->currentText(), "3");
  EXPECT_EQ(reader->filters.back().stack, 2);
  dlg->KindBox(1)->setChecked(false);  // Communication off
  EXPECT_EQ(reader->filters.back().groups,
            kAllEventGroups & ~static_cast<uint32_t>(EventGroup::kCommunication));
  dlg->SetKinds(static_cast<uint32_t>(EventGroup::kAlarms));
  EXPECT_TRUE(dlg->KindBox(0)->isChecked());
  EXPECT_FALSE(dlg->KindBox(4)->isChecked());
  EXPECT_EQ(reader->filters.back().groups, static_cast<uint32_t>(EventGroup::kAlarms));

  // Two days chosen: from the first one's midnight to the midnight after the last.
  dlg->SetSpan(QDate(2026, 2, 28), QDate(2026, 3, 1));
  EXPECT_FALSE(dlg->AllDaysBox()->isChecked());
  f = reader->filters.back();
  EXPECT_EQ(f.fromLocalSeconds, CivilSeconds(At(2026, 2, 28)));
  EXPECT_EQ(f.toLocalSeconds, CivilSeconds(At(2026, 3, 2)));
  EXPECT_EQ(f.stack, 2);
  EXPECT_EQ(dlg->FirstDayButton()->text(), "2026-02-28");
  EXPECT_EQ(dlg->LastDayButton()->text(), "2026-03-01");
  // Back to all days and all stacks.
  dlg->SetAllDays(true);
  dlg->SetStack(-1);
  f = reader->filters.back();
  EXPECT_EQ(f.fromLocalSeconds, std::numeric_limits<int64_t>::min());
  EXPECT_EQ(f.stack, -1);
  EXPECT_EQ(dlg->StackBox()->count(), 101);
}

TEST_F(HistoryDlgTest, AMillionEventsAreReadAPageAtATimeAsTheyComeIntoView) {
  FakeReader* reader = OpenFake(1000000);
  EXPECT_EQ(dlg->CountText(), "1000000 events");
  EXPECT_EQ(dlg->Grid()->GetRowCount(), 1000001);
  // Opening read the first page only, from the newest event.
  ASSERT_EQ(reader->pages.size(), 1u);
  EXPECT_EQ(reader->pages[0], 0);
  EXPECT_EQ(dlg->CellText(1, kEventColumnText), "event 0");
  EXPECT_EQ(dlg->CellText(0, kEventColumnTime), "Time");

  dlg->ScrollToRow(500001);
  const auto [first, last] = dlg->VisibleRows();
  EXPECT_EQ(first, 500001);
  EXPECT_GT(last, first);
  EXPECT_EQ(dlg->CellText(500001, kEventColumnText), "event 500000");
  EXPECT_EQ(dlg->CellText(last, kEventColumnText).toStdString(), "event " + std::to_string(last - 1));
  dlg->ScrollToRow(1000000);
  EXPECT_EQ(dlg->CellText(1000000, kEventColumnText), "event 999999");
  // Three places seen: a handful of pages, never the journal.
  EXPECT_LE(reader->pages.size(), 6u);
  EXPECT_LE(dlg->Source().PagesRead(), 6);

  // A row asked for that no page holds reads empty, then comes once fetched.
  EXPECT_EQ(dlg->CellText(250001, kEventColumnText), "");
  for (int i = 0; i < 10 && dlg->CellText(250001, kEventColumnText).isEmpty(); ++i) {
    dlg->ScrollToRow(250001);
  }
  EXPECT_EQ(dlg->CellText(250001, kEventColumnText), "event 250000");
}

TEST_F(HistoryDlgTest, TheJournalNewestFirstWithItsColumnsAndCountLine) {
  const int64_t t0 = CivilSeconds(At(2026, 3, 5, 14, 0, 0));
  const std::vector<StationEvent> events = {
      MakeEvent(t0, EventKind::kStationStarted, -1, 0, 0.0, "Windscope started"),
      MakeEvent(t0 + 60, EventKind::kAlarmRaised, 2, kLevelStop, 41.25, "Stop reached"),
      MakeEvent(t0 + 70, EventKind::kCommunicationLost, 0, 0, 0.0, "No reply"),
      MakeEvent(t0 + 130, EventKind::kCommunicationRestored, 0, 0, 60.0, "Replies again"),
      MakeEvent(CivilSeconds(At(2026, 3, 7, 9)), EventKind::kAlarmRaised, 2, kLevelTrip, 47.0,
                "Trip reached"),
  };
  ASSERT_TRUE(test::WriteJournal(Dir(), static_cast<int64_t>(events.size()),
                                 [&](int64_t k) { return events[static_cast<size_t>(k)]; }));
  OpenJournal(4);
  ASSERT_TRUE(dlg->HasJournal());
  EXPECT_EQ(dlg->CountText(), "5 events");
  ASSERT_EQ(dlg->Grid()->GetRowCount(), 6);
  const auto row = [&](int r) {
    QStringList cells;
    for (int c = 0; c < kEventColumnCount; ++c) cells << dlg->CellText(r, c);
    return cells.join('|').toStdString();
  };
  EXPECT_EQ(row(0), "Time|Stack|Kind|Level|Value|Text");
  EXPECT_EQ(row(1), "2026-03-07 09:00:00|3|Alarm raised|TRIP|47.0 m/s|Trip reached");
  EXPECT_EQ(row(2), "2026-03-05 14:02:10|1|Communication restored||60 s|Replies again");
  EXPECT_EQ(row(3), "2026-03-05 14:01:10|1|Communication lost|||No reply");
  EXPECT_EQ(row(4), "2026-03-05 14:01:00|3|Alarm raised|STOP|41.2 m/s|Stop reached");
  EXPECT_EQ(row(5), "2026-03-05 14:00:00||Station started|||Windscope started");
  // The level cell of an alarm in the level's colour.
  EXPECT_EQ(dlg->Grid()->GetItemBkColour(1, kEventColumnLevel), 0x0000FFu);
  EXPECT_EQ(dlg->Grid()->GetItemBkColour(4, kEventColumnLevel), 0x4080FFu);

  dlg->SetStack(2);
  dlg->SetKinds(static_cast<uint32_t>(EventGroup::kAlarms));
  EXPECT_EQ(dlg->CountText(), "2 events");
  dlg->SetSpan(QDate(2026, 3, 5), QDate(2026, 3, 5));
  EXPECT_EQ(dlg->CountText(), "1 event");
  EXPECT_EQ(row(1), "2026-03-05 14:01:00|3|Alarm raised|STOP|41.2 m/s|Stop reached");
  dlg->SetStack(1);
  EXPECT_EQ(dlg->CountText(), "No events");
  EXPECT_EQ(dlg->Grid()->GetRowCount(), 1);
}

TEST_F(HistoryDlgTest, WithoutAJournalYetItSaysSoAndFindsItOnceWritten) {
  OpenJournal(2);
  EXPECT_FALSE(dlg->HasJournal());
  EXPECT_TRUE(dlg->CountText().startsWith("No events (")) << dlg->CountText().toStdString();
  ASSERT_TRUE(test::WriteJournal(Dir(), 1, [](int64_t) {
    return MakeEvent(CivilSeconds(At(2026, 3, 5)), EventKind::kStationStarted, -1, 0, 0.0, "up");
  }));
  dlg->Apply();
  EXPECT_TRUE(dlg->HasJournal());
  EXPECT_EQ(dlg->CountText(), "1 event");
}

// Sets a decimal-comma locale for one test, when the machine has one.
class CommaLocale {
 public:
  CommaLocale() {
    const char* old = std::setlocale(LC_ALL, nullptr);
    m_Old = old ? old : "C";
    m_Active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~CommaLocale() { std::setlocale(LC_ALL, m_Old.c_str()); }
  bool active() const { return m_Active; }

 private:
  std::string m_Old;
  bool m_Active = false;
};

TEST_F(HistoryDlgTest, CsvWritesWhatTheFilterShowsWithHeadingCrlfAndDecimalPoints) {
  const int64_t t0 = CivilSeconds(At(2026, 3, 5, 14, 0, 0));
  const std::vector<StationEvent> events = {
      MakeEvent(t0, EventKind::kAlarmRaised, 0, kLevelAlarm, 33.5, "Alarm reached"),
      MakeEvent(t0 + 5, EventKind::kConfigurationChanged, -1, 0, 0.0,
                "Alarm level 30.0 -> 32.5, title \"North\""),
      MakeEvent(t0 + 9, EventKind::kAlarmReturned, 0, kLevelAlarm, 28.25, "Below"),
      MakeEvent(t0 + 20, EventKind::kAlarmRaised, 1, kLevelAlarm, 31.0, "other stack"),
  };
  ASSERT_TRUE(test::WriteJournal(Dir(), static_cast<int64_t>(events.size()),
                                 [&](int64_t k) { return events[static_cast<size_t>(k)]; }));
  CommaLocale comma;
  if (!comma.active()) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  OpenJournal(2);
  dlg->SetKinds(static_cast<uint32_t>(EventGroup::kAlarms) |
                static_cast<uint32_t>(EventGroup::kConfiguration));
  dlg->SetSpan(QDate(2026, 3, 5), QDate(2026, 3, 6));
  EXPECT_EQ(dlg->CountText(), "4 events");
  dlg->SetStack(0);  // the station's own events are not stack 1's
  EXPECT_EQ(dlg->CountText(), "2 events");
  dlg->OnCsv();
  EXPECT_EQ(dlg->CsvPath().toStdString(), Dir() + "/Events.csv");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Save as " + Dir() + "/Events.csv");
  // The table's filter, oldest first as a log reads, decimal points under the comma locale.
  EXPECT_EQ(ReadAll(Dir() + "/Events.csv"),
            "EVENTS : STACK 1\r\n"
            "2026.03.05 00:00:00 ~ 2026.03.07 00:00:00\r\n"
            "\r\n"
            "Time,UTC,Stack,Kind,Level,Value,Text,\r\n"
            "2026-03-05 14:00:00.000,2026-03-05T14:00:00.000Z,1,Alarm raised,1,33.5,Alarm reached,\r\n"
            "2026-03-05 14:00:09.000,2026-03-05T14:00:09.000Z,1,Returned to normal,1,28.2,Below,\r\n");

  // Every stack and day: the configuration change's text holds commas and quotes.
  dlg->SetStack(-1);
  dlg->SetAllDays(true);
  dlg->OnCsv();
  const std::string all = ReadAll(Dir() + "/Events.csv");
  EXPECT_EQ(all.rfind("EVENTS : ALL\r\n ~ \r\n\r\n", 0), 0u) << all;
  EXPECT_NE(all.find(",,Configuration changed,,,"
                     "\"Alarm level 30.0 -> 32.5, title \"\"North\"\"\",\r\n"),
            std::string::npos)
      << all;
  EXPECT_NE(all.find(",2,Alarm raised,1,31.0,other stack,\r\n"), std::string::npos) << all;
}

TEST_F(HistoryDlgTest, ACsvThatCannotBeWrittenSaysSo) {
  OpenFake(3);
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Events.csv")));  // a directory in its place
  dlg->OnCsv();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Cannot save " + Dir() + "/Events.csv\ncannot open: ", 0), 0u)
      << messages[0];
}

}  // namespace
}  // namespace ws
