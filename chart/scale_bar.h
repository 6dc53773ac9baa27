// CScaleBar, one axis of the trend chart: a title and divisions + 1 labels from
// the range's minimum to its maximum, either vertical (a value bar, maximum at the
// top) or horizontal (the time bar, maximum at the right). The bar is an input
// device too: a click on an end strip edits that limit, a drag shifts the range,
// the wheel zooms it about the pointer. Every change notifies the parent.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include "chart/chart_codes.h"
#include "core/colour_math.h"
#include "core/system_time.h"

namespace ws {

class CScaleBar : public QWidget {
  Q_OBJECT

 public:
  explicit CScaleBar(const QString& title = QString(), QWidget* parent = nullptr);

  // Stores the layout and range, decimals 1, rotation -90, clears the drag state,
  // marks the bar initialised and redraws.
  void Initialise(int divisions, ColorRef titleColour, bool vertical, double minimum,
                  double maximum);
  bool IsInitialised() const { return m_bInitialised; }
  // Stores the range; redraws when initialised.
  void SetRange(double minimum, double maximum);
  void SetTitle(const QString& title);
  const QString& Title() const { return m_strTitle; }

  // Length along the bar and the end strips (L / 20 pixels at each end).
  int Length() const;
  QRect MaxStrip() const;
  QRect MinStrip() const;

  // Opens the limit editor over the clicked end; on OK the text is applied.
  void EditLimit(bool maximum);
  // Applies a typed limit (value in label units, divided by the multiplier).
  // Returns false, changing nothing, when the text is no number or the range
  // would become empty or inverted. Notifies code 1 (maximum) or 2 (minimum).
  bool ApplyLimitText(bool maximum, const QString& text);
  // The bar's client rectangle on the screen, where the editor places itself.
  QRect ScreenRect() const;

  QImage Render();

  double m_dMin = 0.0;
  double m_dMax = 100.0;
  int m_nDivisions = 10;
  bool m_bVertical = false;
  bool m_bTimeAxis = false;
  bool m_bDateLabels = false;
  SystemTime m_StartTime;
  double m_dMultiplier = 1.0;  // label value = axis value x multiplier
  int m_nDecimals = 1;
  int m_nRotation = -90;
  ColorRef m_TitleColor = 0x800000;
  ColorRef m_LabelColor = 0x000000;
  ColorRef m_BackColor;  // the system button face unless set
  bool m_bDragEnabled = true;
  bool m_bGridFollow = true;
  bool m_bDragging = false;
  QPoint m_LastDrag;
  bool m_bHovered = false;
  int m_nId = 0;  // control id sent with every notification

 signals:
  // Message 0x469 of the station: code is a ScaleCode.
  void notify(int id, int code);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void DrawTitle(class QPainter& painter);
  void DrawVerticalLabels(QPainter& painter);
  void DrawTimeLabels(QPainter& painter);
  // Moves both ends by delta when the result stays a finite, non-empty range.
  bool ShiftBy(double delta);

  QString m_strTitle;
  bool m_bInitialised = false;
};

}  // namespace ws
