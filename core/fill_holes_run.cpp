#include "core/fill_holes_run.h"

#include <utility>

namespace ws {

std::string FillHolesSummary(const FillHolesTotals& totals) {
  std::string text = std::to_string(totals.blocksStored) + " blocks stored";
  if (totals.blocksFailed > 0) {
    text += ", " + std::to_string(totals.blocksFailed) + " failed (" + totals.failure + ")";
  }
  if (totals.days > 1) {
    text += ", " + std::to_string(totals.daysComplete) + " of " + std::to_string(totals.days) +
            " days complete";
  }
  return text + ".";
}

FillHolesRun::FillHolesRun(DayDumper& dumper) : dumper_(dumper) {}

std::vector<SystemTime> FillHolesRun::DaysToFill(const std::vector<DayShare>& window,
                                                 const SystemTime& today) {
  std::vector<SystemTime> days;
  const int64_t todayNumber = DaysFromCivil(today.year, today.month, today.day);
  for (const DayShare& d : window) {
    if (DaysFromCivil(d.year, d.month, d.day) >= todayNumber) continue;
    if (d.Coverage() == DayCoverage::kFull) continue;
    SystemTime t;
    t.year = static_cast<uint16_t>(d.year);
    t.month = static_cast<uint16_t>(d.month);
    t.day = static_cast<uint16_t>(d.day);
    days.push_back(t);
  }
  return days;
}

bool FillHolesRun::Start(int stack, std::vector<SystemTime> days) {
  if (active_ || days.empty() || stack < 0 || dumper_.DumpRunning()) return false;
  active_ = true;
  cancelled_ = false;
  stack_ = stack;
  days_ = std::move(days);
  index_ = 0;
  totals_ = FillHolesTotals{};
  totals_.days = static_cast<int>(days_.size());
  lastEnd_.reset();
  if (StartNext()) return true;
  // Nothing ran: as if the run had not been asked for.
  active_ = false;
  lastEnd_.reset();
  return false;
}

bool FillHolesRun::StartNext() {
  if (!active_) return false;
  while (index_ < days_.size()) {
    switch (dumper_.StartDump(stack_, days_[index_])) {
      case DumpStart::kStarted:
        return true;
      case DumpStart::kInvalidDate:
        // A long run may pass midnight: the oldest day falls out of reach.
        ++index_;
        continue;
      case DumpStart::kBusy:
        End(FillHolesEnd::kAbandoned);
        return false;
    }
  }
  End(FillHolesEnd::kDone);
  return false;
}

FillHolesRun::Step FillHolesRun::OnDayFinished(DumpEnd end, int blocksStored, int blocksFailed,
                                               const std::string& failure) {
  if (!active_) return Step::kEnded;
  totals_.blocksStored += blocksStored;
  if (blocksFailed > 0) {
    totals_.blocksFailed += blocksFailed;
    totals_.failure = failure;
  }
  switch (end) {
    case DumpEnd::kCompleted:
      ++totals_.daysComplete;
      ++index_;
      if (index_ < days_.size()) return Step::kNextDay;
      End(FillHolesEnd::kDone);
      return Step::kEnded;
    case DumpEnd::kTimedOut:
      End(FillHolesEnd::kTimedOut);
      return Step::kEnded;
    case DumpEnd::kWriteFailed:
      // The days after it would be refused the same way.
      End(FillHolesEnd::kWriteFailed);
      return Step::kEnded;
    case DumpEnd::kAbandoned:
      End(cancelled_ ? FillHolesEnd::kCancelled : FillHolesEnd::kAbandoned);
      return Step::kEnded;
  }
  return Step::kEnded;
}

void FillHolesRun::Cancel() {
  if (!active_) return;
  cancelled_ = true;
  if (dumper_.DumpRunning()) {
    dumper_.AbandonDump();  // its end comes back through OnDayFinished
  } else {
    End(FillHolesEnd::kCancelled);  // between two days: their blocks are counted
  }
}

void FillHolesRun::Abandon() {
  if (!active_) return;
  if (dumper_.DumpRunning()) {
    dumper_.AbandonDump();
  } else {
    End(FillHolesEnd::kAbandoned);
  }
}

const SystemTime& FillHolesRun::Day() const {
  static const SystemTime kNone;
  if (days_.empty()) return kNone;
  return days_[index_ < days_.size() ? index_ : days_.size() - 1];
}

int FillHolesRun::Progress(int dayPercent) const {
  if (days_.empty()) return 0;
  const auto n = static_cast<int>(days_.size());
  return (static_cast<int>(index_) * 100 + dayPercent) / n;
}

void FillHolesRun::End(FillHolesEnd end) {
  active_ = false;
  lastEnd_ = end;
}

}  // namespace ws
