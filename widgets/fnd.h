// CFnd, the seven-segment readout: a right-aligned number, duration or status word
// in the italic seven-segment face, every segment filled from the digit colour in
// its centre to the edge colour, optionally glowing, on a flat framed background.
#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <vector>

#include "core/colour_math.h"

namespace ws {

class CFnd : public QWidget {
  Q_OBJECT

 public:
  explicit CFnd(QWidget* parent = nullptr);

  // Sets glow and decimals and clears colours, modes, flags, caption and offsets.
  void Init(bool glow, int decimals);
  // Digit colour = colour; edge colour = each channel - 64, floored at 0. No repaint.
  void SetColor(ColorRef colour);
  // Stores the value and clears error and over (not no-data); repaints when ready.
  void SetValue(double value);
  // Stores the fixed text and repaints (whether or not fixed-text mode is on).
  void SetText(const QString& text);
  void SetUnit(const QString& text) { m_Unit = text; }

  // What the display shows now: status word, duration, number or fixed text.
  // Clamps the stored decimals to 0..5.
  QString DisplayText();

  // The whole control drawn off-screen at its current size.
  QImage Render();

  // One character's place: the horizontal cell it is fitted into.
  struct Cell {
    QChar ch;
    qreal left;
    qreal right;
  };
  // Cells from the right edge W x (1 + offsetX) leftwards; a digit takes the pitch p,
  // and (outside fixed-text mode) "." and ":" only p - 4p/5 so that they sit tight
  // between the digits.
  static std::vector<Cell> LayoutCells(const QString& text, qreal width, qreal offsetX,
                                       int pitch, bool fixedTextMode);

  QRect m_rcClient;
  ColorRef m_BackColor = 0x000000;
  ColorRef m_EdgeColor = 0x000000;
  ColorRef m_DigitColor = 0x000000;
  int m_nDecimals = 0;
  bool m_bReady = false;
  bool m_bDuration = false;
  bool m_bGlow = false;
  bool m_bFixedText = false;
  bool m_bError = false;
  bool m_bOver = false;
  bool m_bNoData = false;
  char m_DurationFormat = 'S';  // 'm', 'S', 'M', 'H'
  double m_Value = 0.0;
  float m_OffsetX = 0.0f;
  float m_OffsetY = 0.0f;
  QString m_FixedText;
  QString m_FontFamily;  // the seven-segment family; empty draws no digits
  double m_SizeFraction = 1.0;
  QString m_Unit;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ws
