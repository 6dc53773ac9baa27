// CGridHeader: the fixed row (horizontal) or fixed column (vertical) of the grid,
// a header view that paints its sections as grid cells from CGridModel, so that
// headings carry the same centred text and colours as the cells they head.
#pragma once

#include <QHeaderView>

namespace ws {

class CGridModel;

class CGridHeader : public QHeaderView {
  Q_OBJECT

 public:
  CGridHeader(Qt::Orientation orientation, const CGridModel& model, QWidget* parent);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

 private:
  const CGridModel& m_Model;
};

}  // namespace ws
