// A row of up to 20 icon buttons in equal segments of one rounded gradient bar
// (the main window's command bar). The bar clicks as one button; the owner
// reads HoveredIndex() to know which command was hit.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QString>

#include <array>

#include "core/colour_math.h"

namespace ws {

class CMultiButton : public QAbstractButton {
  Q_OBJECT

 public:
  static constexpr int kMaxButtons = 20;
  // Notification codes of notify(id, code).
  enum Code : int { kLeave = 0, kDown = 1, kUp = 2, kDoubleClick = 3 };

  explicit CMultiButton(int id = 0, QWidget* parent = nullptr);

  int Id() const { return m_Id; }

  // The segment under the mouse, -1 when the mouse is outside the bar or the
  // bar is narrower than its button count.
  int HoveredIndex() const { return m_Hovered; }
  int PressedIndex() const { return m_PressedIndex; }
  // The segment that x (client coordinates) falls in: x / (width / count),
  // -1 outside the bar, on a bar narrower than its count, or past the last button.
  int IndexAt(int x) const;

  // Stores the tooltip of button `index`, shown while the mouse rests on it.
  void SetTooltipText(int index, const QString& text);
  QString TooltipText(int index) const;

  // Moves the bar to the rectangle (parent coordinates), rebuilds its face and
  // repaints it.
  void MoveTo(const QRect& rect);
  // The face must be rebuilt (after changing the bar-wide colours).
  void InvalidateFace();

  // Renders the bar into an image of its size as paintEvent shows it;
  // `pressed` stands for the button being held down.
  QImage Render(bool pressed);

  // Where the main icon of button i is drawn (its box), before the press shift.
  QRectF IconBox(int index) const;

  // Bar-wide settings.
  QString m_IconFontFamily;
  int m_Count = 7;
  int m_Margin = 5;
  qreal m_CornerRadius = 5;
  qreal m_BorderWidth = 0;  // 0 = hairline
  ColorRef m_FaceTop = 0x4C3F38;
  ColorRef m_FaceBottom = 0x82614F;
  ColorRef m_FaceBorder = 0xBC7200;
  ColorRef m_DisabledTop = 0xC1D0D4;
  Argb m_DisabledBorder = 0xFFC0C0C0;
  bool m_HoverGlow = true;

  // Per-button settings.
  std::array<bool, kMaxButtons> m_Enabled{};
  std::array<int, kMaxButtons> m_Glyph{};
  std::array<ColorRef, kMaxButtons> m_GlyphColour{};
  std::array<float, kMaxButtons> m_GlyphAngle{};
  std::array<float, kMaxButtons> m_SizeFactor{};
  std::array<float, kMaxButtons> m_OffsetX{};
  std::array<float, kMaxButtons> m_OffsetY{};
  std::array<int, kMaxButtons> m_OverlayGlyph{};
  std::array<ColorRef, kMaxButtons> m_OverlayColour{};
  std::array<float, kMaxButtons> m_OverlayAngle{};
  std::array<float, kMaxButtons> m_OverlayScale{};
  std::array<float, kMaxButtons> m_OverlayOffsetX{};
  std::array<float, kMaxButtons> m_OverlayOffsetY{};
  std::array<int, kMaxButtons> m_OverlayAlpha{};
  std::array<bool, kMaxButtons> m_OverlayAlphaOn{};

 signals:
  void notify(int id, int code);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  int Count() const;
  void BuildFace();
  void UpdateHover(int x, int y);

  int m_Id = 0;
  int m_Hovered = -1;
  int m_LastHovered = -1;
  int m_PressedIndex = -1;
  bool m_Hover = false;
  bool m_FaceDirty = true;
  QImage m_Face;
  std::array<QString, kMaxButtons> m_Tooltips;
};

}  // namespace ws
