// A notice of the station window: a caption box in the window's bottom strip that
// never blocks the window. A click dismisses it.
#pragma once

#include <QRect>
#include <QString>

#include "widgets/nex_text.h"

namespace ws {

class CNotice : public CNexText {
 public:
  CNotice(int id, ColorRef fill, QWidget* parent);

  // Where it goes: centred in `strip`, as wide as its text needs (at most the strip).
  void Place(const QRect& strip);

 protected:
  // Shows `text` on `fill` (COLORREF) and brings the notice to the front.
  void ShowText(const QString& text, ColorRef fill);
};

}  // namespace ws
