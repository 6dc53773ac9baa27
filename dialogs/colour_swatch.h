// CColourSwatch, one colour field of the configuration dialog: a static box
// painted in its colour, with an optional label drawn on it with a transparent
// background. It takes no clicks itself: the dialog hit-tests every swatch.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>

namespace ws {

class CColourSwatch : public QWidget {
  Q_OBJECT

 public:
  // How the label is coloured.
  enum class LabelColour {
    kInverse,  // 255 minus each channel of the swatch colour, readable on any colour
    kFixed,    // m_LabelColour
  };

  explicit CColourSwatch(QWidget* parent = nullptr);

  // Plain properties, written by the owner before it repaints the swatch.
  uint32_t m_Colour = 0;  // COLORREF 0x00BBGGRR
  QString m_Label;
  LabelColour m_LabelMode = LabelColour::kFixed;
  uint32_t m_LabelColour = 0;  // COLORREF, for kFixed

  // The colour the label is drawn in now.
  uint32_t LabelColourNow() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ws
