#include "dialogs/event_row_source.h"

#include <algorithm>

#include "core/event_cells.h"

namespace ws {

void EventRowSource::Reset(EventReader* reader, const EventFilter& filter) {
  m_pReader = reader;
  m_Filter = filter;
  m_Pages.clear();
  m_PagesRead = 0;
  m_MissReported = false;
  m_Count = reader != nullptr ? std::max<int64_t>(0, reader->Count(filter)) : 0;
}

int EventRowSource::Fetch(int firstRow, int lastRow) {
  m_MissReported = false;
  if (m_pReader == nullptr || m_Count == 0) return 0;
  const int64_t first = std::clamp<int64_t>(int64_t{firstRow} - m_HeaderRows, 0, m_Count - 1);
  const int64_t last = std::clamp<int64_t>(int64_t{lastRow} - m_HeaderRows, first, m_Count - 1);
  int read = 0;
  for (int64_t page = first / kPageRows; page <= last / kPageRows; ++page) {
    auto it = m_Pages.find(page);
    if (it == m_Pages.end()) {
      Page loaded;
      loaded.events = m_pReader->Page(m_Filter, page * kPageRows, kPageRows);
      it = m_Pages.emplace(page, std::move(loaded)).first;
      ++read;
      ++m_PagesRead;
    }
    it->second.lastUse = ++m_UseClock;
  }
  // Keep the pages used last: the rows on the screen and those just left.
  while (m_Pages.size() > kMaxPages) {
    auto oldest = std::min_element(m_Pages.begin(), m_Pages.end(), [](const auto& a, const auto& b) {
      return a.second.lastUse < b.second.lastUse;
    });
    m_Pages.erase(oldest);
  }
  return read;
}

const StoredEvent* EventRowSource::EventAt(int64_t index) const {
  if (index < 0 || index >= m_Count) return nullptr;
  const auto it = m_Pages.find(index / kPageRows);
  if (it == m_Pages.end()) return nullptr;
  const auto k = static_cast<size_t>(index % kPageRows);
  // A page the journal cut short (events removed meanwhile) holds fewer rows.
  return k < it->second.events.size() ? &it->second.events[k] : nullptr;
}

const StoredEvent* EventRowSource::EventOfRow(int row) const {
  const int64_t index = int64_t{row} - m_HeaderRows;
  if (index < 0 || index >= m_Count) return nullptr;
  const StoredEvent* event = EventAt(index);
  if (event == nullptr && !m_MissReported && m_Pages.count(index / kPageRows) == 0) {
    m_MissReported = true;
    if (onMiss) onMiss();
  }
  return event;
}

QString EventRowSource::CellText(int row, int col) const {
  const StoredEvent* e = EventOfRow(row);
  if (e == nullptr) return {};
  return QString::fromStdString(EventCellText(e->event, col));
}

ColorRef EventRowSource::CellBackground(int row, int col) const {
  if (col != kEventColumnLevel) return kNoColour;
  const StoredEvent* e = EventOfRow(row);
  if (e == nullptr) return kNoColour;
  const std::optional<ColorRef> colour = EventLevelColour(e->event);
  return colour ? *colour : kNoColour;
}

}  // namespace ws
