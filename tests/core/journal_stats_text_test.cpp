#include "core/journal_stats_text.h"

#include <gtest/gtest.h>

#include "core/alarm_thresholds.h"
#include "support/month_files.h"

namespace ws {
namespace {

TEST(JournalStatsText, RaisesPerLevelAndTheLongestLossOpenOrEnded) {
  JournalSpanStats s;
  s.raises = {0, 3, 1, 0, 2};
  s.longestLossSeconds = 41.6;
  s.longestLossStack = 0;
  EXPECT_EQ(JournalStatsText(s), "raised Alarm 3, Stop 1, Trip 0, NO COMM 2; longest loss 42 s");
  EXPECT_EQ(JournalStatsFields(&s),
            " raises_alarm=3 raises_stop=1 raises_trip=0 raises_nocomm=2 longest_loss_s=42");
  s.longestLossOpen = true;
  EXPECT_EQ(JournalStatsText(s),
            "raised Alarm 3, Stop 1, Trip 0, NO COMM 2; longest loss 42 s, still lost");
}

TEST(JournalStatsText, NoLossAndNoJournal) {
  const JournalSpanStats none;
  EXPECT_EQ(JournalStatsText(none), "raised Alarm 0, Stop 0, Trip 0, NO COMM 0; longest loss none");
  EXPECT_EQ(JournalStatsFields(&none),
            " raises_alarm=0 raises_stop=0 raises_trip=0 raises_nocomm=0 longest_loss_s=0");
  EXPECT_EQ(JournalStatsFields(nullptr),
            " raises_alarm=- raises_stop=- raises_trip=- raises_nocomm=- longest_loss_s=-");
}

TEST(JournalStatsText, TheReportSpanIncludesItsLastSecond) {
  const EventFilter f = ReportSpanFilter(4, test::At(2026, 3, 5, 14), test::At(2026, 3, 5, 15));
  EXPECT_EQ(f.fromLocalSeconds, CivilSeconds(test::At(2026, 3, 5, 14)));
  EXPECT_EQ(f.toLocalSeconds, CivilSeconds(test::At(2026, 3, 5, 15)) + 1);
  EXPECT_EQ(f.stack, 4);
  EXPECT_EQ(f.groups, kAllEventGroups);
}

}  // namespace
}  // namespace ws
