// The station window's banner while a test speed mode is on (Ctrl+F2..F4): every
// live speed is then replaced by a fixed value, so tiles, dials, alarms and the
// lamp tower show that value instead of the wind. The banner sits in the title
// row beside the title, seen in the overview and in the stack view alike, and goes
// with Ctrl+F5.
#pragma once

#include <QString>

#include "widgets/nex_text.h"

namespace ws {

class CTestModeBanner final : public CNexText {
  Q_OBJECT

 public:
  static constexpr int kId = 10031;

  explicit CTestModeBanner(QWidget* parent = nullptr);

  // A test speed mode 0..3 and the speed unit: 0 hides the banner, 1..3 show it
  // with the speed every stack is given.
  void ShowMode(int mode, const QString& unit);
  int Mode() const { return m_nMode; }
  // The width the banner wants in a row of `height` pixels.
  int WidthFor(int height) const;

 private:
  int m_nMode = 0;
};

}  // namespace ws
