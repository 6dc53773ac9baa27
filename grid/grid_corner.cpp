#include "grid/grid_corner.h"

#include <QPainter>

#include "grid/grid_model.h"
#include "grid/grid_paint.h"

namespace ws {

CGridCorner::CGridCorner(const CGridModel& model, QWidget* parent)
    : QWidget(parent), m_Model(model) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CGridCorner::paintEvent(QPaintEvent*) {
  if (!m_Model.IsValid(0, 0)) return;
  QPainter painter(this);
  painter.setFont(font());
  PaintFixedCell(painter, rect(), m_Model.GetItemText(0, 0), m_Model.GetItemBkColour(0, 0),
                 m_Model.GetTextColour());
}

}  // namespace ws
