// CIndicator, the tile of one stack on the overview: a gradient body with a
// label area on the left and a value area on the right, in which a seven-segment
// readout shows the speed with its unit. The body colour tints the digits; a
// click or double click is reported to the parent as a notification.
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

  int m_nId = 0;
  bool m_bPartner = false;
  CFnd* m_pFnd = nullptr;
  CLcd* m_pLcd = nullptr;
  QComboBox* m_pScale = nullptr;
  QCheckBox* m_pCheck = nullptr;
  QRect m_rcLabel;
  QRect m_rcValue;
  QRect m_rcCaption;
};

}  // namespace ws
