#include "core/journal_stats_text.h"

#include <cmath>

#include "core/alarm_thresholds.h"
#include "core/format_fixed.h"
#include "core/system_time.h"

namespace ws {
namespace {

long long Raises(const JournalSpanStats& s, int level) {
  return static_cast<long long>(s.raises[static_cast<size_t>(level)]);
}

}  // namespace

EventFilter ReportSpanFilter(int stackIndex, const SystemTime& start, const SystemTime& end) {
  EventFilter f;
  f.fromLocalSeconds = CivilSeconds(start);
  f.toLocalSeconds = CivilSeconds(end) + 1;
  f.stack = stackIndex;
  return f;
}

std::string JournalStatsText(const JournalSpanStats& s) {
  std::string text = FormatC("raised Alarm %lld, Stop %lld, Trip %lld, NO COMM %lld; longest loss ",
                             Raises(s, kLevelAlarm), Raises(s, kLevelStop), Raises(s, kLevelTrip),
                             Raises(s, kLevelNoCommunication));
  if (s.longestLossStack < 0 || !std::isfinite(s.longestLossSeconds) || s.longestLossSeconds <= 0.0) {
    text += "none";
  } else {
    text += FormatC("%.0f s", s.longestLossSeconds);
    if (s.longestLossOpen) text += ", still lost";
  }
  return text;
}

std::string JournalStatsFields(const JournalSpanStats* s) {
  if (s == nullptr) {
    return " raises_alarm=- raises_stop=- raises_trip=- raises_nocomm=- longest_loss_s=-";
  }
  const double loss = std::isfinite(s->longestLossSeconds) && s->longestLossSeconds > 0.0
                          ? s->longestLossSeconds
                          : 0.0;
  return FormatC(" raises_alarm=%lld raises_stop=%lld raises_trip=%lld raises_nocomm=%lld "
                 "longest_loss_s=%.0f",
                 Raises(*s, kLevelAlarm), Raises(*s, kLevelStop), Raises(*s, kLevelTrip),
                 Raises(*s, kLevelNoCommunication), loss);
}

}  // namespace ws
