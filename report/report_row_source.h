// The report table as the grid sees it: cell texts formatted on request from the
// samples of the last search, and the remark colour of each speed cell.
#pragma once

#include "core/report_table.h"
#include "grid/grid_row_source.h"

namespace ws {

class ReportRowSource final : public GridRowSource {
 public:
  // The table must outlive the source.
  explicit ReportRowSource(const ReportTable& table) : m_Table(table) {}

  QString CellText(int row, int col) const override;
  ColorRef CellBackground(int row, int col) const override;

 private:
  const ReportTable& m_Table;
};

}  // namespace ws
