// CSetting, the small popup that edits one limit of a scale bar: one right-aligned
// edit field titled "High" or "Low", placed at the clicked end of the bar. Enter
// accepts the text, Escape or the close box discards it.
#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

class QLineEdit;

namespace ws {

class CSetting : public QDialog {
  Q_OBJECT

 public:
  // The bar end being edited, which decides the title and where the popup sits.
  enum End : int {
    kMaxOfVertical = 0,    // "High", top-left at the bar's top-left
    kMinOfVertical = 1,    // "Low", left edge at the bar's left, bottom at its bottom
    kMaxOfHorizontal = 2,  // "High", right edge at the bar's right, top at its top
    kMinOfHorizontal = 3,  // "Low", top-left at the bar's top-left
  };

  explicit CSetting(QWidget* parent = nullptr);

  // target: the bar's client rectangle on the screen. The value is shown with
  // FormatFixed(decimals); a non-empty caption replaces "High" or "Low"; keepNarrow
  // false stretches the popup over the whole bar.
  void Setup(const QRect& target, End end, int decimals, const QString& caption,
             bool keepNarrow, double value);

  // Sizes, places and titles the window and fills the edit field (exec runs it).
  void Prepare();

  // The text shown on opening; the edited text after OK.
  const QString& ValueText() const { return m_strValue; }
  QLineEdit* Edit() const { return m_pEdit; }
  // The window's top-left on the screen as Prepare placed it.
  QPoint Placement() const { return m_Placed; }

  int exec() override;
  void accept() override;

  static constexpr int kEditId = 3000;

 private:
  QRect m_rcTarget;
  End m_End = kMaxOfVertical;
  int m_nDecimals = 1;
  QString m_strCaption;
  bool m_bKeepNarrow = true;
  double m_dValue = 0.0;
  QString m_strValue;
  QLineEdit* m_pEdit = nullptr;
  QPoint m_Placed;
};

}  // namespace ws
