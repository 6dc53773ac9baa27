// The station's owner-drawn push button: a rounded gradient face that follows
// hover, press and disabled state, an icon from the icon font and a caption
// with a relief. Clicks reach the owner as ordinary clicked() signals.
#pragma once

#include <QPushButton>
#include <QTimer>

#include "core/colour_math.h"

namespace ws {

// The face colours of one button state (COLORREF): vertical gradient top to
// bottom and the border.
struct ButtonFace {
  ColorRef top = 0;
  ColorRef bottom = 0;
  ColorRef border = 0;
};

class CNexButton : public QPushButton {
  Q_OBJECT

 public:
  // Notification codes of notify(id, code).
  enum Code : int { kLeave = 0, kDown = 1, kUp = 2, kDoubleClick = 3, kRepeatBase = 100 };
  static constexpr int kRepeatMs = 200;
  static constexpr ColorRef kBaseColour = 0xBC7214;

  enum class FaceState { kNormal, kHover, kPressed, kDisabled };

  explicit CNexButton(const QString& caption = QString(), int id = 0, QWidget* parent = nullptr);

  int Id() const { return m_Id; }
  // Moves the button to the rectangle (parent coordinates) and repaints it.
  void MoveTo(const QRect& rect);

  // State the face is drawn in now: pressed first, then disabled, then hover.
  FaceState CurrentState() const;
  static ButtonFace FaceFor(FaceState state);
  bool IsHovered() const { return m_Hover; }
  int RepeatCounter() const { return m_RepeatCounter; }
  bool IsRepeating() const { return m_RepeatTimer.isActive(); }

  // Draws the whole button in the given state into a transparent image of the
  // button's size (what paintEvent shows).
  QImage Render(FaceState state) const;

  // One tick of the held-button timer: notifies 100 + counter, then the
  // counter grows by 5 up to 100.
  void OnRepeatTimer();

  // Icon settings (see the icon renderer); the glyph -1 means no icon.
  QString m_IconFontFamily;
  int m_IconGlyph = -1;
  int m_IconOutline = 0;
  float m_IconAngle = 0.0f;
  ColorRef m_IconColour = 0xFFFFFF;

 signals:
  void notify(int id, int code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void StopRepeat();

  int m_Id = 0;
  bool m_Hover = false;
  int m_RepeatCounter = 0;
  QTimer m_RepeatTimer;
};

}  // namespace ws
