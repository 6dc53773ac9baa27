#include "grid/grid_header.h"

#include <QPainter>

#include "grid/grid_model.h"
#include "grid/grid_paint.h"

namespace ws {

CGridHeader::CGridHeader(Qt::Orientation orientation, const CGridModel& model, QWidget* parent)
    : QHeaderView(orientation, parent), m_Model(model) {
  setHighlightSections(false);
  setMinimumSectionSize(0);
  setDefaultAlignment(Qt::AlignCenter);
}

void CGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  if (!rect.isValid()) return;
  int row = 0;
  int col = 0;
  if (orientation() == Qt::Horizontal) {
    col = logicalIndex + m_Model.FixedCols();
  } else {
    row = logicalIndex + m_Model.FixedRows();
  }
  if (!m_Model.IsValid(row, col)) return;
  PaintFixedCell(*painter, rect, m_Model.GetItemText(row, col), m_Model.GetItemBkColour(row, col),
                 m_Model.GetTextColour());
}

}  // namespace ws
