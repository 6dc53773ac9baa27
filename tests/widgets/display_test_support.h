// Shared helpers of the widget tests: the display fonts loaded once, captured
// message boxes, synthetic mouse events and colour checks at pixels.
#pragma once

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QStringList>
#include <QWidget>

#include <cstdlib>
#include <memory>

#include "core/colour_math.h"
#include "widgets/display_fonts.h"
#include "widgets/message_helpers.h"

namespace ws::test {

// Collects every message box text instead of showing it.
class MessageCapture {
 public:
  MessageCapture() {
    SetMessageHandler([this](int, const QString& text) {
      texts.append(text);
      return static_cast<int>(kIdOk);
    });
  }
  ~MessageCapture() { SetMessageHandler({}); }
  QStringList texts;
};

// The display fonts, loaded once for the whole test program.
inline const DisplayFonts& Fonts() {
  static std::unique_ptr<DisplayFonts> fonts = [] {
    MessageCapture quiet;
    InstallFontSubstitutions();
    auto loaded = std::make_unique<DisplayFonts>();
    loaded->LoadDisplayFonts(DisplayFonts::kFndFontId, DisplayFonts::kMatrixFontId,
                             DisplayFonts::kRoundFontId);
    return loaded;
  }();
  return *fonts;
}

inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint local,
                      Qt::MouseButton button = Qt::LeftButton) {
  const QPointF global = widget->mapToGlobal(QPointF(local));
  const Qt::MouseButtons held =
      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, QPointF(local), global, type == QEvent::MouseMove ? Qt::NoButton : button,
                    held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

// True when the pixel is within `tolerance` of the widget colour on every channel.
inline bool Near(QRgb pixel, ColorRef colour, int tolerance) {
  return std::abs(qRed(pixel) - RedOf(colour)) <= tolerance &&
         std::abs(qGreen(pixel) - GreenOf(colour)) <= tolerance &&
         std::abs(qBlue(pixel) - BlueOf(colour)) <= tolerance;
}

inline ColorRef AsColorRef(QRgb pixel) { return Rgb(qRed(pixel), qGreen(pixel), qBlue(pixel)); }

// Number of pixels in the rectangle that differ from the colour.
inline int CountNot(const QImage& image, const QRect& area, ColorRef colour) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (!Near(image.pixel(x, y), colour, 0)) ++count;
    }
  }
  return count;
}

}  // namespace ws::test
