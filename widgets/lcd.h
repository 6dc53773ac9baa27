// CLcd, the LCD readout: a short text in the dot-matrix or the rounded LCD face,
// right-aligned and vertically centred, each glyph figure lit like the
// seven-segment readout, on a flat framed background.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include "core/colour_math.h"

namespace ws {

class CLcd : public QWidget {
  Q_OBJECT

 public:
  enum FontSelector : int { kMatrixFont = 0, kRoundedFont = 1 };

  explicit CLcd(QWidget* parent = nullptr);

  // Stores the text and repaints.
  void SetText(const QString& text);

  QImage Render();

  QRect m_rcClient;
  ColorRef m_BackColor = 0x000000;
  ColorRef m_EdgeColor = 0x000080;
  ColorRef m_DigitColor = 0x0000FF;
  bool m_bReady = false;
  bool m_bGlow = true;
  int m_nFont = kRoundedFont;
  QString m_Text;
  QString m_MatrixFamily;   // dot-matrix LCD family; empty draws no text
  QString m_RoundedFamily;  // rounded LCD family; empty draws no text
  float m_SizeFraction = 0.8f;
  float m_OffsetX = 0.0f;
  float m_OffsetY = 0.0f;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ws
