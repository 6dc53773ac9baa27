// The report search fuzz target's own reading of the month files it made: what
// each record must read as. Built without coverage tracing (see CMakeLists.txt),
// so that the fuzzer spends its time in the search, not here.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/record_layout.h"
#include "core/report_search.h"
#include "core/report_span.h"

namespace ws::fuzz {

// One month file as this harness made it: `size` bytes, zero (sparse) except
// `content` at `offset`; or a directory, or nothing.
struct MonthModel {
  int year = 0;
  int month = 0;
  enum Kind { kMissing, kShort, kEndsAt, kFull, kOverrun, kDirectory, kPartial } kind = kMissing;
  int64_t size = 0;
  int64_t offset = 0;
  std::vector<uint8_t> content;

  uint8_t At(int64_t pos) const;

  // What a plain reading gives for the record at `slot` (a byte offset).
  ws::Sample Record(int64_t slot) const;
};

// Checks every sample of a successful search of `start` against the files.
void VerifySamples(const ws::SystemTime& start, const ws::ReportPlan& plan,
                   const std::array<MonthModel, 4>& months, const ws::ReportData& out);

}  // namespace ws::fuzz
