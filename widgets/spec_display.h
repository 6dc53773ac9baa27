// CSpecDisplay, a labelled value row: a rounded gradient panel split into a caption
// area, a value area (text, or an embedded seven-segment readout in numeric mode)
// and a unit area. A click in the value area can open an in-place edit box, a
// drop-down list or a colour chooser; results go to the owner as notifications.
#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

#include "core/colour_math.h"

class QComboBox;
class QLineEdit;

namespace ws {

class CFnd;

class CSpecDisplay : public QWidget {
  Q_OBJECT

 public:
  // Notification codes sent with notify(id, code) (message 0x478 of the station):
  // 1 edit or list choice done, 2 click (after the value-area action, except a
  // completed colour choice), 3 colour chosen.
  enum Code : int { kEditDone = 1, kClick = 2, kColourChosen = 3 };
  enum Align : int { kAlignCentre = 1, kAlignRight = 2 };  // other values: left
  static constexpr int kEditId = 2015;
  static constexpr int kListId = 2016;

  explicit CSpecDisplay(QWidget* parent = nullptr);

  // Sets every property to its initial value with the two caption colours, creates
  // the hidden edit and list children and marks ready.
  void Setup(ColorRef captionColour, ColorRef captionOutlineColour);
  // Stores the value text and repaints; in list mode selects the matching entry, in
  // numeric mode hands the number to the embedded readout.
  void SetValueText(const QString& text);
  // SetValueText(FormatFixed(decimals, value x value scale)).
  void SetValue(float value);
  // Computes the caption, value and unit areas for the current size.
  void Layout();

  QImage Render();

  QLineEdit* EditChild() const { return m_pEdit; }
  QComboBox* ListChild() const { return m_pList; }
  // The edit child lost the focus: its text becomes the value, notification 1.
  void FinishEdit();
  // A list entry was chosen: it becomes the value, notification 1.
  void ListSelected(int index);

  int m_nId = 0;
  QString m_strCaption;  // the window text
  QRect m_rcClient;
  bool m_bReady = false;
  bool m_bBackgroundDirty = true;
  CFnd* m_pFnd = nullptr;  // borrowed; placed over the value area in numeric mode
  QString m_strFaceName = QStringLiteral("굴림체");
  bool m_bStacked = false;
  QString m_strValue;
  QString m_strCaption2;
  QString m_strUnit;
  QRectF m_rcCaption, m_rcValue, m_rcUnit;
  double m_dCaptionFraction = 0.4;
  double m_dValueFraction = 0.6;
  double m_dCaptionSize = 0.5, m_dValueSize = 0.5, m_dUnitSize = 0.5;
  int m_nGap = 2;
  float m_fValueOffset = 0.05f;
  int m_nCaptionAlign = kAlignCentre;
  int m_nValueAlign = kAlignCentre;
  int m_nPanelRadius = 3;
  int m_nValueRadius = 3;
  int m_nBorderWidth = 1;
  bool m_bCaptionOutline = true;
  bool m_bCaptionGradient = false;
  ColorRef m_CaptionColor = 0xFFFFFF;
  ColorRef m_CaptionOutlineColor = 0x000000;
  ColorRef m_CaptionGradTop = 0xFFFFFF;
  ColorRef m_CaptionGradBottom = 0x000080;
  ColorRef m_PanelColor = 0x000000;
  ColorRef m_BorderColor = 0xBC7200;
  ColorRef m_PanelGradTop = 0x4C3F38;
  ColorRef m_PanelGradBottom = 0x82614F;
  ColorRef m_ValueTextColor = 0xFFFFFF;
  ColorRef m_ValueBoxColor = 0x000000;
  bool m_bValueFrame = false;
  ColorRef m_DisabledGradTop = 0xC1D0D4;
  ColorRef m_DisabledGradBottom = 0xC1D0D4;
  bool m_bColourChoice = true;
  bool m_bNumeric = false;
  int m_nCaptionStyle = 1;  // bold
  int m_nDecimals = 0;
  int m_nUnitAlign = kAlignCentre;
  double m_dValueScale = 1.0;
  bool m_bUnderline = false;
  ColorRef m_UnderlineColor = 0x000000;
  bool m_bEditing = false;
  bool m_bEditable = false;
  bool m_bListShown = false;
  bool m_bListMode = false;
  bool m_bNoPanel = false;

  // Asks the user for a colour, starting from the given one; empty when cancelled.
  // Replaceable so that headless runs need no dialog.
  std::function<std::optional<ColorRef>(ColorRef)> m_ChooseColour;

 signals:
  void notify(int id, int code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateEditFont();

  QLineEdit* m_pEdit = nullptr;
  QComboBox* m_pList = nullptr;
};

}  // namespace ws
