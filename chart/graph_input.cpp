// CGraph mouse and keyboard handling: two-click zoom windows, wheel zoom about the
// pointer, middle-button pan and the context menu. The plot only fills the zoom
// windows and notifies its parent; the parent changes the ranges.
#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include "chart/graph.h"

namespace ws {

void CGraph::CaptureZoomStart(QPoint p) {
  if (m_Channels.empty()) return;
  m_Channels[0].m_ZoomX[0] = SampleAtX(p.x());
  for (int c = 0; c < ChannelCount(); ++c) m_Channels[c].m_ZoomY[0] = ValueAtY(c, p.y());
}

void CGraph::CaptureZoomEnd(QPoint p) {
  if (m_Channels.empty()) return;
  m_Channels[0].m_ZoomX[1] = SampleAtX(p.x());
  for (int c = 0; c < ChannelCount(); ++c) m_Channels[c].m_ZoomY[1] = ValueAtY(c, p.y());
}

void CGraph::ClearPan() {
  m_PanStart = QPoint();
  m_PanNow = QPoint();
}

void CGraph::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton) {
    setFocus(Qt::MouseFocusReason);
    if (m_bPanning) return;
    setCursor(Qt::PointingHandCursor);
    if (!m_bSelecting) {
      m_SelectStart = p;
      m_SelectEnd = p;
      m_bSelecting = true;
      CaptureZoomStart(p);
    } else {
      m_SelectEnd = p;
      m_bSelecting = false;
      CaptureZoomEnd(p);
      Notify(kPlotZoomWindow);
    }
    update();
  } else if (event->button() == Qt::MiddleButton) {
    setCursor(Qt::PointingHandCursor);
    m_bPanning = true;
    m_bButtonHeld = true;
    m_PanStart = p;
    m_PanNow = p;
    CaptureZoomStart(p);
  } else if (event->button() == Qt::RightButton) {
    if (!m_bMenuEnabled || m_pMenu == nullptr) return;
    PrepareMenu();
    const QAction* chosen = m_pMenu->exec(event->globalPosition().toPoint());
    if (chosen != nullptr) OnMenuCommand(chosen->data().toInt());
  }
}

void CGraph::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    setCursor(Qt::PointingHandCursor);
    m_bButtonHeld = false;
  } else if (event->button() == Qt::MiddleButton) {
    m_bPanning = false;
    m_bButtonHeld = false;
    ClearPan();
    Notify(kPlotPanEnded);
  }
}

void CGraph::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  m_MousePos = p;
  if (!m_bPanning) {
    if (m_bSelecting) {
      m_SelectEnd = p;
      setCursor(Qt::SizeAllCursor);
      update();
    } else {
      unsetCursor();  // the hand of a click lasts until the mouse moves on
    }
    if (m_nReadoutMode == kReadoutValues && m_bInitialised) update();
    return;
  }
  setCursor(Qt::SizeAllCursor);
  if (m_bButtonHeld) {
    if (m_bGridFollow) {
      m_nGridPhaseX = p.x() - m_PanStart.x();
      m_nGridPhaseY = p.y() - m_PanStart.y();
    }
    m_PanNow = p;
    CaptureZoomEnd(p);
    Notify(kPlotPanMoved);
  }
}

void CGraph::wheelEvent(QWheelEvent* event) {
  event->accept();
  if (m_bPanning) return;
  const int x = event->position().toPoint().x();
  const int y = event->position().toPoint().y();
  m_rcPlot = rect();
  const int w = m_rcPlot.width();
  const int h = m_rcPlot.height();
  int x0, x1, y0, y1;
  if (event->angleDelta().y() > 0) {
    // Zoom in by 0.8, keeping the pixel under the mouse at the same relative place.
    x0 = x / 5;
    x1 = (w - x) * 4 / 5 + x;
    y0 = y / 5;
    y1 = (h - y) * 4 / 5 + y;
  } else {
    x0 = -(x / 5);
    x1 = (w - x) * 6 / 5 + x;
    y0 = -(y / 5);
    y1 = (h - y) * 6 / 5 + y;
  }
  if (!m_Channels.empty()) {
    m_Channels[0].m_ZoomX[0] = SampleAtX(x0);
    m_Channels[0].m_ZoomX[1] = SampleAtX(x1);
    for (int c = 0; c < ChannelCount(); ++c) {
      m_Channels[c].m_ZoomY[0] = ValueAtY(c, y0);
      m_Channels[c].m_ZoomY[1] = ValueAtY(c, y1);
    }
  }
  m_nGridPhaseX = 0;
  m_nGridPhaseY = 0;
  ClearPan();
  Notify(kPlotZoomWindow);
}

void CGraph::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    const bool wasSelecting = m_bSelecting;
    m_bSelecting = false;
    if (m_bInitialised) {
      ComputeVertices();
      update();
    }
    // Escape that ended a selection is used up here, so that it does not also
    // close the dialog the chart sits on.
    if (wasSelecting) {
      event->accept();
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

void CGraph::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  if (m_bInitialised) setFocus(Qt::MouseFocusReason);
}

void CGraph::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  ClearPan();
  m_bPanning = false;
  m_bButtonHeld = false;
  setCursor(Qt::PointingHandCursor);
}

}  // namespace ws
