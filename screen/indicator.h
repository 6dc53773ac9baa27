// CIndicator, the tile of one stack on the overview: a gradient body with a
// label area on the left and a value area on the right, in which a seven-segment
// readout shows the speed with its unit. The body colour tints the digits; a
// click or double click is reported to the parent as a notification. Under the
// readout an optional footer strip names the tile (its title, elided to fit) and
// its state (a word at the right on a badge of the body colour).
#pragma once

#include <QString>
#include <QWidget>

#include "core/colour_math.h"

class QCheckBox;
class QComboBox;

namespace ws {

class CFnd;
class CLcd;

class CIndicator : public QWidget {
  Q_OBJECT

 public:
  // Notification codes of notify(id, code) (message 0x466 of the station).
  enum Code : int {
    kCheckOff = 0,
    kCheckOn = 1,
    kColourPicked = 5,
    kValueClick = 15,
    kLabelClick = 20,
    kDoubleClick = 30,
    kScaleChanged = 100,
  };

  explicit CIndicator(int id, QWidget* parent = nullptr);

  int Id() const { return m_nId; }

  // Creates the value display (id + 2), the hidden LCD (id + 3) and scale
  // selector and, when asked, the check box; sets the defaults; marks created.
  // The tile has no partner display (the partner flag is kept, not used).
  void Setup(const QString& title, const QString& caption, bool partner, bool checkBox, bool glow,
             int decimals);
  void SetProportions(double labelFraction, double valueFraction, double partner1, double partner2,
                      double titleSize, double valueSize, double captionSize);
  // Digits: each channel below 128 raised by 128, others 255; edges: each
  // channel less 64; both on black. The LCD takes the same colours.
  void SetBodyColour(ColorRef colour);
  // The value display shows v x value scale.
  void ShowValue(double v);

  // The footer's state word ("ALARM", ...); empty shows none.
  void SetStateWord(const QString& word);
  // The footer's title: m_strTitle, elided (in the middle) to what the footer leaves beside the
  // state word at the last layout (empty when there is no footer).
  QString FooterTitle() const { return m_strFooterTitle; }
  QRect FooterRect() const { return m_rcFooter; }
  // Where the footer draws the title and the state word, in tile coordinates.
  QRect FooterTitleRect() const { return m_rcFooterTitle; }
  QRect StateWordRect() const { return m_rcStateWord; }
  int FooterFontPixels() const { return m_nFooterFontPixels; }
  int FooterLines() const { return m_nFooterLines; }

  CFnd* ValueDisplay() const { return m_pFnd; }
  CLcd* LcdDisplay() const { return m_pLcd; }
  QRect ValueRect() const { return m_rcValue; }
  QRect LabelRect() const { return m_rcLabel; }

  QImage Render();
  // Places the value display (and the hidden parts) for the current size; a
  // hidden tile gets its resize event only when shown.
  void Layout();

  bool m_bCreated = false;
  ColorRef m_BodyColor = 0xFFFFFF;
  ColorRef m_FrameColor = 0xBC7200;
  int m_nDisplayMode = 0;  // 0 value display, 1 LCD
  int m_nCornerRadius = 5;
  int m_nFrameWidth = 1;
  bool m_bColourPicking = true;
  QString m_strFontFamily = QStringLiteral("굴림체");
  QString m_strTitle;
  QString m_strCaption;
  double m_dValueScale = 1.0;
  double m_dLabelFraction = 0.39;
  double m_dValueFraction = 0.4;
  double m_dPartner1 = 0.35;
  double m_dPartner2 = 0.65;
  double m_dTitleSize = 0.3333;
  double m_dValueSize = 0.8;
  double m_dCaptionSize = 0.3333;
  ColorRef m_TitleColor = 0xFFFFFF;
  ColorRef m_CaptionColor = 0xFFFFFF;
  // Highest value area height as a share of its width (0: no limit). A tall
  // tile would size its digits by its height and push the leading ones off its
  // left edge ("14.2" read as "4.2"); the value area is centred instead.
  double m_dMaxValueAspect = 0.0;
  // Share of the tile height kept under the readout for the footer (0: none);
  // the strip keeps between kMinFooter and kMaxFooter pixels.
  double m_dFooterFraction = 0.0;
  static constexpr int kMinFooter = 10;
  static constexpr int kMaxFooter = 26;
  QString m_strStateWord;
  // The widest word the owner will show: with a narrow tile the title then
  // takes a line above the word (empty: the word shown now).
  QString m_strWidestStateWord;
  ColorRef m_GradTop = 0x4C3F38;
  ColorRef m_GradBottom = 0x82614F;

 signals:
  void notify(int id, int code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void ClickAt(QPoint at);
  void LayoutFooter();
  QFont FooterFont(bool bold) const;
  int BadgeWidth(const QString& word) const;
  static int FooterFontPixelsFor(int line);

  int m_nId = 0;
  bool m_bPartner = false;
  CFnd* m_pFnd = nullptr;
  CLcd* m_pLcd = nullptr;
  QComboBox* m_pScale = nullptr;
  QCheckBox* m_pCheck = nullptr;
  QRect m_rcLabel;
  QRect m_rcValue;
  QRect m_rcCaption;
  QRect m_rcFooter;
  QRect m_rcFooterTitle;
  QRect m_rcStateWord;
  QString m_strFooterTitle;
  int m_nFooterFontPixels = 0;
  int m_nFooterLineHeight = 0;
  int m_nFooterLines = 1;
};

}  // namespace ws
