#include "report/report_row_source.h"

#include <string>

namespace ws {

QString ReportRowSource::CellText(int row, int col) const {
  std::string text;
  m_Table.AppendCellText(row, col, text);
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

ColorRef ReportRowSource::CellBackground(int row, int col) const {
  if (col != kColumnSpeed) return kNoColour;
  const std::optional<uint32_t> colour = RemarkColour(m_Table.RemarkAt(row));
  return colour ? *colour : kNoColour;
}

}  // namespace ws
