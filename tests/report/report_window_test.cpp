#include "report/report.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

#include "chart/graph.h"
#include "chart/scale_bar.h"
#include "core/format_fixed.h"
#include "core/settings.h"
#include "grid/grid_ctrl.h"
#include "support/journal_files.h"
#include "support/month_files.h"
#include "widgets/message_helpers.h"
#include "widgets/nex_button.h"

namespace ws {
namespace {

using test::At;

class ReportWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageHandler([this](int type, const QString& text) {
      messages_.push_back(text.toStdString());
      types_.push_back(type);
      return static_cast<int>(kIdOk);
    });
    settings_ = std::make_unique<Settings>();
  }
  void TearDown() override {
    report_.reset();
    SetMessageHandler({});
  }

  // Opens the report on a stored span and waits for its first search.
  void Open(const SystemTime& start, const SystemTime& end) {
    settings_->reportStart = start;
    settings_->reportEnd = end;
    report_ = std::make_unique<CReport>(QString::fromStdString(files_.dir()), 0, *settings_,
                                        QString());
    QObject::connect(report_.get(), &CReport::spanChanged,
                     [this](const SystemTime& start, const SystemTime& end) { kept_.push_back({start, end}); });
    report_->show();
    WaitForSearch();
  }
  // The first search runs from the event loop once the window is shown: a call
  // queued behind it has run once that search has started, and the search is
  // over when it no longer runs. (The clock is a hang guard only.)
  void WaitForSearch() {
    bool queuedRan = false;
    QTimer::singleShot(0, report_.get(), [&] { queuedRan = true; });
    QElapsedTimer t;
    t.start();
    do {
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    } while ((!queuedRan || report_->Searching()) && t.elapsed() < 30000);
  }
  void SetSpan(const SystemTime& start, const SystemTime& end) {
    report_->StartDate()->setDate(QDate(start.year, start.month, start.day));
    report_->StartTime()->setTime(QTime(start.hour, start.minute, start.second));
    report_->EndDate()->setDate(QDate(end.year, end.month, end.day));
    report_->EndTime()->setTime(QTime(end.hour, end.minute, end.second));
  }

  test::MonthFiles files_;
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<CReport> report_;
  std::vector<std::string> messages_;
  std::vector<int> types_;
  // What the report handed out to be kept, search by search.
  std::vector<std::pair<SystemTime, SystemTime>> kept_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(ReportWindowTest, OpeningSearchesTheStoredSpanIntoTableChartAndRose) {
  files_.Fill(0, At(2024, 3, 5, 14, 7, 20), 2, [](int64_t k) {
    return k == 0 ? Sample{271.0f, 12.5f} : Sample{268.0f, 30.1f};
  });
  Open(At(2024, 3, 5, 14, 7, 20), At(2024, 3, 5, 14, 7, 21));
  EXPECT_TRUE(messages_.empty());
  CGridCtrl* grid = report_->Grid();
  ASSERT_EQ(grid->GetRowCount(), 3);
  EXPECT_EQ(grid->GetItemText(0, 1), "Date");
  EXPECT_EQ(grid->GetItemText(1, 1), "2024.03.05 14:07:20");
  EXPECT_EQ(grid->GetItemText(1, 3), "W");
  EXPECT_EQ(grid->GetItemText(1, 5), "");
  EXPECT_EQ(grid->GetItemBkColour(1, 4), kReportCellColour);
  // Just above the alarm level: the remark and the yellow speed cell.
  EXPECT_EQ(grid->GetItemText(2, 4), "30.1");
  EXPECT_EQ(grid->GetItemText(2, 5), "ALARM");
  EXPECT_EQ(grid->GetItemBkColour(2, 4), 0x00FFFFu);
  // Three samples for the chart, x range up to the last.
  EXPECT_DOUBLE_EQ(report_->Chart()->Graph()->m_dXMax, 2.0);
  EXPECT_DOUBLE_EQ(report_->Rose()->m_Statistics.shares[12][2], 50.0);
  EXPECT_TRUE(report_->isVisible());
}

TEST_F(ReportWindowTest, SummaryGivesTheTimeAtOrAboveEachLevelOfTheRecordedSeconds) {
  // Eight seconds written of ten: 29.9, 30.0 (exactly Alarm), 40.0, 45.0, then 10 m/s.
  files_.Fill(0, At(2024, 3, 5), 8, [](int64_t k) {
    static constexpr float kSpeeds[] = {29.9f, 30.0f, 40.0f, 45.0f, 10.0f, 10.0f, 10.0f, 10.0f};
    return Sample{90.0f, kSpeeds[k]};
  });
  Open(At(2024, 3, 5), At(2024, 3, 5, 0, 0, 9));
  EXPECT_EQ(report_->SummaryText().toStdString(),
            "Recorded 8 s; at or above Alarm 3 s (37.5%), Stop 2 s (25.0%), Trip 1 s (12.5%)");
  // With a journal, what it tells about the span: stack 1's raises and losses only.
  const int64_t t = CivilSeconds(At(2024, 3, 5));
  ASSERT_TRUE(test::WriteJournal(files_.dir(), 3, [&](int64_t k) {
    if (k == 0) return test::MakeEvent(t + 1, EventKind::kAlarmRaised, 0, kLevelAlarm, 30.0, "a");
    if (k == 1) return test::MakeEvent(t + 2, EventKind::kAlarmRaised, 1, kLevelTrip, 46.0, "b");
    return test::MakeEvent(t + 3, EventKind::kCommunicationRestored, 0, 0, 7.0, "back");
  }));
  report_->OnSearch();
  EXPECT_EQ(report_->SummaryText().toStdString(),
            "Recorded 8 s; at or above Alarm 3 s (37.5%), Stop 2 s (25.0%), Trip 1 s (12.5%)\n"
            "raised Alarm 1, Stop 0, Trip 0, NO COMM 0; longest loss 7 s");
  // A span the file holds nothing for has no share; a failed search no summary.
  SetSpan(At(2024, 3, 6), At(2024, 3, 6, 0, 1));
  report_->OnSearch();
  EXPECT_EQ(report_->SummaryText().toStdString(),
            "Recorded 0 s; at or above Alarm 0 s (-), Stop 0 s (-), Trip 0 s (-)\n"
            "raised Alarm 0, Stop 0, Trip 0, NO COMM 0; longest loss none");
  SetSpan(At(2024, 3, 6, 0, 1), At(2024, 3, 6));
  report_->OnSearch();
  EXPECT_EQ(report_->SummaryText(), "");
}

TEST_F(ReportWindowTest, ASpanWithoutDataOrBackwardsSaysSoAndLeavesNoEarlierResultsBehind) {
  files_.Fill(0, At(2024, 3, 5), 10, [](int64_t) { return Sample{90.0f, 5.0f}; });
  Open(At(2024, 3, 5), At(2024, 3, 5, 0, 0, 9));
  ASSERT_EQ(report_->Grid()->GetRowCount(), 11);
  EXPECT_EQ(report_->StatusText(), "10 rows");
  const CGraph* graph = report_->Chart()->Graph();
  ASSERT_EQ(graph->Channel(0)->m_Samples[3], 5.0f);
  ASSERT_GT(report_->Rose()->m_Statistics.shares[4][0], 0.0);
  const auto noRose = [&] {
    for (const auto& sector : report_->Rose()->m_Statistics.shares) {
      for (double share : sector) {
        if (share != 0.0) return false;
      }
    }
    return true;
  };
  const std::string csv = files_.dir() + "/Report.csv";

  for (const auto& [start, end, text] :
       {std::tuple{At(2024, 2, 5), At(2024, 2, 6), "Not Found Data!"},
        std::tuple{At(2024, 3, 5, 1, 0, 0), At(2024, 3, 5), "조회 구간 에러!"}}) {
    SCOPED_TRACE(text);
    report_->OnSearch();  // the data again
    ASSERT_EQ(report_->Grid()->GetRowCount(), 11);
    messages_.clear();
    SetSpan(start, end);
    report_->OnSearch();
    ASSERT_EQ(messages_, std::vector<std::string>{text});
    EXPECT_EQ(types_.back() & kMbIconError, kMbIconError);
    EXPECT_EQ(report_->StatusText().toStdString(), text);
    // Nothing of the earlier search stays under the new dates.
    EXPECT_EQ(report_->Grid()->GetRowCount(), 1);
    EXPECT_EQ(report_->Table().DataRows(), 0);
    EXPECT_EQ(graph->Channel(0)->m_Samples[3], 0.0f);
    EXPECT_LE(graph->m_dXMax, 1.0);
    EXPECT_TRUE(noRose());
    EXPECT_EQ(kept_.back().first, start);  // the span of the last attempt is kept
    // A CSV saved now names the new span and holds no rows of the old one.
    report_->OnCsv();
    const std::string written = ReadAll(csv);
    EXPECT_EQ(written.find(",90,E,5.0,"), std::string::npos) << written;
    EXPECT_NE(written.find(FormatC("%04d.%02d.%02d", start.year, start.month, start.day)), std::string::npos)
        << written;
    SetSpan(At(2024, 3, 5), At(2024, 3, 5, 0, 0, 9));
  }
}

TEST_F(ReportWindowTest, ASpanStartingBeforeTheFirstMonthFileShowsTheMonthsThatHoldData) {
  files_.Fill(0, At(2024, 3, 1), 5, [](int64_t) { return Sample{180.0f, 7.5f}; });
  Open(At(2024, 2, 29, 23, 59, 58), At(2024, 3, 1, 0, 0, 4));
  EXPECT_TRUE(messages_.empty());
  ASSERT_EQ(report_->Grid()->GetRowCount(), 8);
  EXPECT_EQ(report_->Grid()->GetItemText(1, 4), "0.0");
  EXPECT_EQ(report_->Grid()->GetItemText(3, 1), "2024.03.01 00:00:00");
  EXPECT_EQ(report_->Grid()->GetItemText(3, 4), "7.5");
  EXPECT_EQ(report_->Grid()->GetItemText(7, 4), "7.5");
}

TEST_F(ReportWindowTest, SixtyOneDaysMoveTheEndPickersAndGive86399Rows) {
  files_.Create(0, 2024, 3);
  files_.Create(0, 2024, 4);
  Open(At(2024, 3, 1), At(2024, 3, 1));
  SetSpan(At(2024, 3, 10, 6, 30, 0), At(2024, 5, 10, 6, 30, 0));
  report_->OnSearch();
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(report_->EndDate()->date(), QDate(2024, 5, 9));
  EXPECT_EQ(report_->EndTime()->time(), QTime(6, 30, 0));
  EXPECT_EQ(kept_.back().second, At(2024, 5, 9, 6, 30, 0));
  // The window says the span was cut, and to what.
  EXPECT_TRUE(report_->StatusText().startsWith("Span cut to 60 days: ends 2024-05-09 06:30:00."))
      << report_->StatusText().toStdString();
  EXPECT_TRUE(report_->StatusText().endsWith("86399 rows, one per 60 s"))
      << report_->StatusText().toStdString();
  EXPECT_EQ(report_->Grid()->GetRowCount(), 86400);
  EXPECT_EQ(report_->Grid()->GetItemText(2, 1), "2024.03.10 06:31:00");
  // No May file: its rows are there, as zero records.
  EXPECT_EQ(report_->Grid()->GetItemText(86399, 1), "2024.05.09 06:28:00");
  EXPECT_EQ(report_->Grid()->GetItemText(86399, 4), "0.0");
}

TEST_F(ReportWindowTest, ChartKeepsItsCapacityWhileTheTableHoldsEveryRow) {
  files_.Create(0, 2024, 3);
  Open(At(2024, 3, 1), At(2024, 3, 1));
  SetSpan(At(2024, 3, 2), At(2024, 3, 3, 3, 46, 40));  // 100,000 s: step 1
  report_->OnSearch();
  EXPECT_EQ(report_->Grid()->GetRowCount(), 100002);
  EXPECT_DOUBLE_EQ(report_->Chart()->Graph()->m_dXMax, 86399.0);
}

TEST_F(ReportWindowTest, VectorTwiceReturnsToTheLineView) {
  files_.Create(0, 2024, 3);
  Open(At(2024, 3, 1), At(2024, 3, 1));
  CNexButton* vector = report_->Button(CReport::kVectorId);
  EXPECT_EQ(vector->text(), "VECTOR");
  report_->OnVector();
  EXPECT_EQ(vector->text(), "LINE");
  EXPECT_EQ(report_->Chart()->Graph()->m_nDrawStyle, kStyleSticks);
  EXPECT_DOUBLE_EQ(report_->Chart()->Graph()->Channel(0)->m_dMin, -70.0);
  report_->OnVector();
  EXPECT_EQ(vector->text(), "VECTOR");
  EXPECT_EQ(report_->Chart()->Graph()->m_nDrawStyle, kStyleLine);
  EXPECT_DOUBLE_EQ(report_->Chart()->Graph()->Channel(0)->m_dMin, 0.0);
  EXPECT_DOUBLE_EQ(report_->Chart()->Graph()->Channel(0)->m_dMax, 70.0);
}

TEST_F(ReportWindowTest, EnterAndEscapeMoveTheFocusAndNeverClose) {
  files_.Create(0, 2024, 3);
  Open(At(2024, 3, 1), At(2024, 3, 1));
  QApplication::setActiveWindow(report_.get());
  report_->StartDate()->setFocus();
  QApplication::processEvents();
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Enter}) {
    QWidget* before = QApplication::focusWidget();
    QTest::keyClick(before, key);
    EXPECT_TRUE(report_->isVisible());
    EXPECT_NE(QApplication::focusWidget(), before);
  }
  EXPECT_EQ(report_->result(), 0);
}

TEST_F(ReportWindowTest, CsvSavesTheTableAndAFailedSaveSaysSo) {
  files_.Put(0, At(2024, 3, 5), Sample{90.0f, 5.0f});
  Open(At(2024, 3, 5), At(2024, 3, 5));
  report_->OnCsv();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Save as " + files_.dir() + "/Report.csv");
  std::ifstream in(files_.dir() + "/Report.csv", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str(),
            "STACK : 1\r\n2024.03.05 00:00:00 ~ 00:00:00\r\n\r\n"
            "No,Date,Direction,Direction,Speed,Remark,\r\n"
            "1,2024.03.05 00:00:00,90,E,5.0,,\r\n");

  std::filesystem::remove(files_.dir() + "/Report.csv");
  std::filesystem::create_directory(files_.dir() + "/Report.csv");
  report_->OnCsv();
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[1].rfind("Cannot save", 0), 0u);
  EXPECT_EQ(types_[1] & kMbIconError, kMbIconError);
}

TEST_F(ReportWindowTest, DuringASearchButtonsPickersAndCloseAreBlocked) {
  files_.Create(0, 2024, 3);
  files_.Create(0, 2024, 4);
  Open(At(2024, 3, 1), At(2024, 3, 1));
  SetSpan(At(2024, 3, 1), At(2024, 4, 29));
  bool checked = false;
  QTimer::singleShot(0, report_.get(), [&] {
    checked = true;
    EXPECT_TRUE(report_->Searching());
    EXPECT_FALSE(report_->Button(CReport::kSearchId)->isEnabled());
    EXPECT_FALSE(report_->Button(CReport::kCsvId)->isEnabled());
    EXPECT_FALSE(report_->Button(CReport::kVectorId)->isEnabled());
    EXPECT_FALSE(report_->Button(CReport::kExitId)->isEnabled());
    EXPECT_FALSE(report_->StartDate()->isEnabled());
    EXPECT_FALSE(report_->EndTime()->isEnabled());
    EXPECT_FALSE(report_->close());
    report_->OnSearch();  // ignored while one runs
  });
  report_->OnSearch();
  EXPECT_TRUE(checked);
  EXPECT_TRUE(report_->isVisible());
  EXPECT_TRUE(report_->Button(CReport::kSearchId)->isEnabled());
  EXPECT_EQ(report_->Grid()->GetRowCount(), 86400);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ReportWindowTest, StationClosingDuringASearchEndsTheWindowAfterIt) {
  files_.Create(0, 2024, 3);
  files_.Create(0, 2024, 4);
  Open(At(2024, 3, 1), At(2024, 3, 1));
  SetSpan(At(2024, 3, 1), At(2024, 4, 29));
  QTimer::singleShot(0, report_.get(), [&] {
    report_->reject();  // what the main window's exit sequence does to open dialogs
    EXPECT_TRUE(report_->isVisible());
  });
  report_->OnSearch();
  EXPECT_FALSE(report_->isVisible());
  EXPECT_EQ(report_->result(), QDialog::Rejected);
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace ws
