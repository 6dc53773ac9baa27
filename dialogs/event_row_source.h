// The history table as the grid sees it: the filtered journal, newest first,
// read from the EventReader a page at a time as rows come into view. Only a
// few pages are held at once, so a journal of millions of events costs the
// grid no more than the rows on the screen.
//
// Reading happens in Fetch, never in CellText (the grid calls that while it
// paints): the window fetches the rows it is about to show; a row asked for
// that no held page covers reads empty and calls onMiss, once until the next
// Fetch, so the window can fetch it and repaint.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "core/event_journal.h"
#include "grid/grid_row_source.h"

namespace ws {

class EventRowSource final : public GridRowSource {
 public:
  static constexpr int kPageRows = 128;
  static constexpr size_t kMaxPages = 24;

  // Grid row `headerRows` is the newest event of the filter.
  explicit EventRowSource(int headerRows = 1) : m_HeaderRows(headerRows) {}

  // Points the source at `reader` (may be null: no events) with `filter`:
  // counts the filtered events and forgets every page. The reader must
  // outlive the source or the next Reset.
  void Reset(EventReader* reader, const EventFilter& filter);
  const EventFilter& Filter() const { return m_Filter; }
  int64_t Count() const { return m_Count; }

  // Reads the pages that hold grid rows first..last, unless held already.
  // Returns how many pages it read.
  int Fetch(int firstRow, int lastRow);
  // The event at position `index` of the filtered list (0 the newest), or null
  // when no held page covers it.
  const StoredEvent* EventAt(int64_t index) const;
  // Pages read since the last Reset (for tests and the benchmark).
  int64_t PagesRead() const { return m_PagesRead; }

  std::function<void()> onMiss;

  QString CellText(int row, int col) const override;
  ColorRef CellBackground(int row, int col) const override;

 private:
  struct Page {
    std::vector<StoredEvent> events;
    uint64_t lastUse = 0;
  };
  const StoredEvent* EventOfRow(int row) const;

  int m_HeaderRows;
  EventReader* m_pReader = nullptr;
  EventFilter m_Filter;
  int64_t m_Count = 0;
  std::map<int64_t, Page> m_Pages;  // by page number
  mutable uint64_t m_UseClock = 0;
  mutable bool m_MissReported = false;
  int64_t m_PagesRead = 0;
};

}  // namespace ws
