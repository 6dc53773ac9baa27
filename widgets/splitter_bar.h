// CSplitterBar, a thin bar the user drags to move the divider between two areas of
// its parent. While dragging it shows a drag rectangle kept between two limits; on
// release it tells the parent the final position and leaves moving to the parent.
#pragma once

#include <QRect>
#include <QWidget>

#include "core/colour_math.h"

class QRubberBand;

namespace ws {

class CSplitterBar : public QWidget {
  Q_OBJECT

 public:
  explicit CSplitterBar(QWidget* parent = nullptr);
  ~CSplitterBar() override;

  // The position on the bar's axis (x for a vertical bar, y for a horizontal one) in
  // screen coordinates, clamped to the limits.
  int Clamp(int screenPos) const;

  int m_nId = 0;
  QRect m_rcStart;     // the bar's rectangle in screen coordinates at creation or drag start
  QRect m_rcLastDrag;  // drag rectangle shown last (parent coordinates)
  QRect m_rcDrag;      // current drag rectangle (parent coordinates)
  bool m_bDragging = false;
  bool m_bHorizontal = false;  // false: vertical bar moved left and right
  ColorRef m_FillColor = 0;
  ColorRef m_FrameColor = 0;
  int m_nLowerLimit = 0;  // screen coordinates on the bar's axis
  int m_nUpperLimit = 0;

 signals:
  // Sent once per drag, on release: the final position in screen coordinates on the
  // bar's axis (message 0x5F4 of the station).
  void notify(int id, int position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void UpdateCursor();
  // Moves the drag rectangle so that its leading edge is at the screen position.
  void DragTo(int screenPos);

  QRubberBand* m_pBand = nullptr;
};

}  // namespace ws
