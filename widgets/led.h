// CLed, a round status LED with an optional caption box beside it: lit or dark,
// flashed for a fixed time, flat or glossy, with an optional grey bezel. It draws
// over its parent's pixels and reports button down, up and leave to its owner.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "core/colour_math.h"

namespace ws {

class CNexText;

class CLed : public QWidget {
  Q_OBJECT

 public:
  // Notification codes sent with notify(id, code) (message 0x464 of the station).
  enum Code : int { kButtonUp = 0, kButtonDown = 1, kLeave = 2 };
  enum CaptionPosition : int { kCaptionRight = 1, kCaptionLeft = 3 };
  static constexpr int kFlashTimerId = 101;

  explicit CLed(QWidget* parent = nullptr);

  // Default colours, stores the background, clears lit, bezel and glossy, caption to
  // the right, ring width from the height, and marks ready.
  void Init(ColorRef background);
  // Creates the caption box (control id + 1) showing the LED's text.
  void CreateCaption();
  void TurnOn();
  void TurnOff();
  // Lights the LED in the given colours for the flash time; a second call within
  // that time restarts it.
  void Flash(ColorRef edge, ColorRef centre);
  // Sets the LED's text and the caption's, and repaints.
  void SetWindowText(const QString& text);

  QImage Render();
  CNexText* Caption() const { return m_pCaption; }
  bool IsFlashing() const { return m_FlashTimer.isActive(); }

  int m_nId = 0;
  QRect m_rcClient;
  ColorRef m_OffEdgeColor = 0x000000;
  ColorRef m_OffCenterColor = 0xC0C0C0;
  ColorRef m_OnEdgeColor = 0x0000FF;
  ColorRef m_OnCenterColor = 0xBCBCFF;
  ColorRef m_BackColor = 0x000000;
  bool m_bReady = false;
  bool m_bLit = false;
  bool m_bBezel = false;
  bool m_bGlossy = false;
  int m_nRingWidth = -1;  // -1: height / 15 at the first paint
  bool m_bTracking = false;
  bool m_bBackgroundDirty = true;
  int m_nFlashTime = 300;  // milliseconds
  bool m_bCaptionCreated = false;
  int m_nCaptionPos = kCaptionRight;
  int m_nCaptionHeight = 15;

 signals:
  void notify(int id, int code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void PlaceCaption();

  QString m_strText;
  CNexText* m_pCaption = nullptr;
  QTimer m_FlashTimer;
};

}  // namespace ws
