// CGridCorner: the corner cell (0, 0) where the fixed row and the fixed column
// meet. It lies over the table view's own corner button and lets mouse clicks
// through to it (a click there still selects every cell).
#pragma once

#include <QWidget>

namespace ws {

class CGridModel;

class CGridCorner : public QWidget {
  Q_OBJECT

 public:
  CGridCorner(const CGridModel& model, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const CGridModel& m_Model;
};

}  // namespace ws
