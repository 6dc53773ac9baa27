// CLamp, a rectangular signal lamp: the whole client area filled with a radial
// gradient in the lit or dark colours, a frame, and the window text centred with a
// shadow. Reports a button down to its owner.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include "core/colour_math.h"

namespace ws {

class CLamp : public QWidget {
  Q_OBJECT

 public:
  // Notification code sent with notify(id, code) (message 0x464 of the station).
  enum Code : int { kButtonDown = 1 };

  explicit CLamp(QWidget* parent = nullptr);

  void TurnOn();
  void TurnOff();

  QImage Render();

  int m_nId = 0;
  QString m_strText;
  QRect m_rcClient;
  ColorRef m_OnEdgeColor = 0x000000;
  ColorRef m_OnCenterColor = 0x000000;
  ColorRef m_OffEdgeColor = 0x000000;
  ColorRef m_OffCenterColor = 0xC0C0C0;
  bool m_bReady = false;
  bool m_bLit = false;
  bool m_bPressed = false;

 signals:
  void notify(int id, int code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
};

}  // namespace ws
