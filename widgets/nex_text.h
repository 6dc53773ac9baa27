// CNexText, the owner-drawn caption box: a rounded panel (solid or gradient, with
// optional border, bevel and glass highlight) carrying one line of outlined text,
// with optional reflection, sub-caption, second caption, icons and in-place editing.
// It draws over its parent's pixels, so its corners show the panel beneath.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>

#include "core/colour_math.h"

class QLineEdit;

namespace ws {

class CNexText : public QWidget {
  Q_OBJECT

 public:
  // Horizontal placement of the caption (the static-control text styles).
  enum Align : int { kSsLeft = 0, kSsCenter = 1, kSsRight = 2 };
  // Notification codes sent with notify(id, code).
  enum Code : int { kClick = 1, kDoubleClick = 2, kEditDone = 3, kLeftIcon = 10, kRightIcon = 20 };
  static constexpr int kEditId = 2015;
  static constexpr int kIconSlots = 10;

  explicit CNexText(QWidget* parent = nullptr);

  // Stores the colours (the fill colour also becomes the text outline colour), the
  // corner radius and border width, creates the hidden edit child and marks ready.
  void Setup(ColorRef textColour, ColorRef fillColour, int cornerRadius, int borderWidth);
  // Sets the caption and repaints.
  virtual void SetText(const QString& text);

  QImage Render();

  // The edit child lost the focus: its text becomes the caption, notification 3.
  void FinishEdit();
  QLineEdit* EditChild() const { return m_pEdit; }

  int m_nId = 0;  // control id sent with every notification
  int m_nAlign = kSsLeft;

  QRect m_rcClient;
  bool m_bReady = false;
  bool m_bGlass = false;
  bool m_bBackgroundDirty = true;
  QString m_strText;
  QString m_strFaceName = QStringLiteral("돋움체");
  int m_nRadius = 0;
  int m_nBorderWidth = 2;  // the border pen is half of it (integer)
  float m_fVertOffset = 0.0f;
  QString m_strSubCaption;
  bool m_bReflection = false;
  bool m_bTextOutline = false;
  bool m_bGradientText = false;
  ColorRef m_TextColor = 0xFFFFFF;
  ColorRef m_TextOutlineColor = 0x000000;
  ColorRef m_GradTextTop = 0xFFFFFF;
  ColorRef m_GradTextBottom = 0x808080;
  bool m_bBorder = false;
  ColorRef m_FillColor = 0x000000;
  ColorRef m_BorderColor = 0x000000;
  int m_nFillMode = 0;  // 0 solid, 1 two-colour gradient, 2 three-stop gradient, other none
  ColorRef m_GradFillTop = 0x000000;
  ColorRef m_GradFillBottom = 0x000000;
  float m_fSizeFraction = 0.8f;
  bool m_bBevel = false;
  std::array<int, kIconSlots> m_LeftIcons;   // PNG resource ids, -1 = empty
  std::array<int, kIconSlots> m_RightIcons;
  std::array<float, kIconSlots> m_LeftIconScale;
  std::array<float, kIconSlots> m_RightIconScale;
  QString m_strPictureFile;
  QString m_PrivateFamily;  // alternative caption family
  bool m_bUsePrivateFont = false;
  QString m_strSecondCaption;
  ColorRef m_SecondCaptionColor = 0xFFFFFF;
  float m_fSecondCaptionSize = 0.2f;
  float m_fSecondCaptionPos = 0.0f;
  bool m_bEditing = false;
  bool m_bEditable = false;

 signals:
  // Message 0x472 of the station. code: 1 click, 2 double click, 3 edit done,
  // 10 + i left icon i (10 also the picture), 20 + i right icon i.
  void notify(int id, int code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateEditFont();

  QLineEdit* m_pEdit = nullptr;
  std::array<QRect, kIconSlots> m_LeftIconRects;
  std::array<QRect, kIconSlots> m_RightIconRects;
  QRect m_PictureRect;
};

}  // namespace ws
