// The circular instrument dial of the gauge panel: bezel, zone arc, ticks and
// labels, title, two digital readouts and a pointer under a glass glare.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <QPainterPath>

#include <array>
#include <map>
#include <utility>
#include <vector>

#include "core/colour_math.h"

class QPainter;

namespace ws {

// The scale of a dial: where values land (degrees, 0 = right, clockwise) and
// where its ticks and labels go. Plain geometry, no drawing.
struct GaugeScale {
  float startAngle = 135.0f;
  float endAngle = 405.0f;
  float maximum = 100.0f;
  bool compass = false;  // values shifted by -90 degrees so that 0 points up
  int majorDivisions = 0;
  int minorDivisions = 0;
  int labelMode = 1;  // 1 = numbers, 0 = compass letters

  // False when the maximum is 0 or less or not finite: the scale has no extent,
  // values sit at the start angle and no zone arc is drawn.
  bool HasRange() const;
  float Sweep() const { return endAngle - startAngle; }
  // Angle of a shown value (already limited to the maximum by the caller).
  float ValueToAngle(float shownValue) const;

  struct Tick {
    float angle = 0;
    float outer = 0;  // radius where the tick starts
    float inner = 0;  // radius where it ends, towards the centre
    float width = 0;  // pen width
    bool major = false;
  };
  // Major ticks (major divisions + 1 of them) and, between each pair, minor
  // divisions + 1 minor ticks, the last landing on the next major tick. Radii
  // for a dial of side `side` whose tick circle has radius r0.
  std::vector<Tick> Ticks(int side, float r0) const;

  // One label text per major tick: "%1.0f" of the tick's value in numeric mode;
  // "E", "S", "W", "N" at ticks 0, 4, 8, 12 and nothing elsewhere in compass mode.
  std::vector<QString> Labels() const;
};

// One character of a readout and the cell it is fitted into (x from left to right).
struct ReadoutCell {
  QChar ch;
  int left = 0;
  int right = 0;
};
// Lays a readout's text out right to left, ending at `right`: every character
// takes the pitch, a point or colon only pitch - 4 * pitch / 5 (a fifth).
std::vector<ReadoutCell> LayoutReadout(const QString& text, int right, int pitch);

// A pointer as the dial draws it, in dial coordinates (the square of side `side`).
struct GaugePointer {
  int side = 0;
  float angle = 0;   // degrees
  float length = 0;  // pixels (normal style)
  ColorRef colour = 0x0000FF;
  bool longTail = true;
  bool compass = false;  // direction arrow across the dial instead of a needle
  // The hub and its shadow never move: a dial may hand them in pre-rendered
  // (images of side x side); otherwise they are drawn here.
  const QImage* hubShadowLayer = nullptr;
  const QImage* hubLayer = nullptr;
};

// Drawing parts of the dial, each on the painter it is given.
void DrawGaugePointer(QPainter& painter, const GaugePointer& pointer);
void DrawGaugeHubShadow(QPainter& painter, int side);
void DrawGaugeHub(QPainter& painter, int side);
void DrawGaugeGlare(QPainter& painter, int side);

// Owner-drawn dial. The owner writes the public properties, calls Init once
// and SetValue for every reading. The static face (bezel, zones, ticks and
// labels), the overlay over the pointer (title and readout boxes) and the glare
// are cached and rebuilt only after a resize, Init, InvalidateFace or new box
// fractions, so a value update draws only the pointer and the readout digits.
// Colours are COLORREF (0x00BBGGRR).
class CAnalogGauge : public QWidget {
  Q_OBJECT

 public:
  explicit CAnalogGauge(const QString& title = QString(), int id = 0, QWidget* parent = nullptr);
  ~CAnalogGauge() override;

  // Stores the unit of readout 1, the label mode and the divisions, resets the
  // readout offsets, the pointer fraction (0.8), the digit font and the label
  // style (bold), and makes the dial ready to paint.
  void Init(const QString& unit, int labelMode, int majorDivisions, int minorDivisions);
  // Moves the pointer and the readouts to x and repaints at once. A value above
  // the maximum pins the pointer at the end while readout 1 shows x itself.
  // A value that is not a number draws as 0. Ends a SetNoValue.
  void SetValue(float x);
  // No reading to show: the pointer is left out (the hub stays) and readout 1
  // shows dashes, until the next SetValue.
  void SetNoValue();
  // Shows readout 1 with the unit and decimals, its digits lit from `colour`.
  void SetReadout(const QString& unit, ColorRef colour, int decimals);
  // The face must be rebuilt before the next paint (after changing the scale,
  // zones or colours).
  void InvalidateFace();

  int Id() const { return m_Id; }
  const QString& Title() const { return m_Title; }
  GaugeScale Scale() const;
  // Angle at which the pointer is drawn now.
  float PointerAngle() const;
  // Side of the dial square.
  int Side() const { return m_Side; }

  // Renders the whole dial (face rebuilt if needed, then the dynamic layer)
  // into the frame image and returns it; paintEvent shows the same image.
  const QImage& RenderFrame();
  // How often the static face has been drawn (for checks that value updates
  // leave it alone).
  int FaceBuildCount() const { return m_FaceBuildCount; }

  // Properties written by the owner.
  QString m_Title;
  bool m_Ready = false;
  ColorRef m_BackgroundColour = 0xF0F0F0;
  bool m_CompassStyle = false;
  bool m_BackgroundDirty = true;
  float m_RawValue = 0.0f;
  bool m_NoValue = false;  // SetNoValue: no pointer, dashes in readout 1
  float m_StartAngle = 135.0f;
  float m_EndAngle = 405.0f;
  float m_ShownValue = 0.0f;
  float m_Minimum = 0.0f;  // kept; the scale always starts at 0
  float m_Maximum = 100.0f;
  float m_ZoneFraction1 = 0.5f;
  float m_ZoneFraction2 = 0.8f;
  float m_ZoneFraction3 = 1.0f;
  bool m_CustomColours = true;
  ColorRef m_FaceColour = 0xF5F5F5;
  float m_PointerLength = 0.0f;
  float m_PointerFraction = 0.8f;
  ColorRef m_PointerColour = 0x0000FF;
  bool m_LongTail = true;
  bool m_ZoneColouredReadout = true;
  int m_MajorDivisions = 0;
  int m_MinorDivisions = 0;
  int m_LabelStyle = 1;  // bold
  int m_LabelMode = 1;
  ColorRef m_LabelColour = 0x000000;
  ColorRef m_TickColour = 0x000000;
  bool m_ZonesShown = false;
  ColorRef m_ZoneColour1 = 0x00FF00;
  ColorRef m_ZoneColour2 = 0x00FFFF;
  ColorRef m_ZoneColour3 = 0x0000FF;
  ColorRef m_ReadoutZoneColour = 0x00C800;  // zone colour of the last value
  bool m_Readout1Shown = false;
  QString m_Readout1Unit;
  ColorRef m_ReadoutBoxColour = 0x000000;
  ColorRef m_Readout1Light = 0x0000FA;
  ColorRef m_Readout1Dark = 0x000000;
  int m_Readout1OffsetX = 0;
  int m_Readout1OffsetY = 0;
  int m_Readout1Decimals = 0;
  QRect m_Readout1Box;
  QString m_DigitFontFamily;  // seven-segment family from DisplayFonts; empty = no digits
  bool m_Readout2Shown = false;
  QString m_Readout2Unit;
  std::array<double, 3> m_Box1Fractions{0.3, 0.12, 0.6};  // width, height, top of S
  std::array<double, 3> m_Box2Fractions{0.3, 0.12, 0.78};
  ColorRef m_Readout2Colour = 0xFFFF80;
  ColorRef m_Readout2Dark = 0xBF4000;
  int m_Readout2Decimals = 0;
  QRect m_Readout2Box;
  float m_Readout2Value = 0.0f;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();
  void BuildFace();
  void DrawFace(QPainter& painter) const;
  void DrawMarks(QPainter& painter) const;
  void DrawOverlay(QPainter& painter) const;
  void DrawReadoutDigits(QPainter& painter, const QRect& box, const QString& text, ColorRef light,
                         ColorRef dark, int offsetX, int offsetY) const;

  // Outline of one digit-font character at an em size (layout origin at the
  // top-left) and its advance: readouts change with every value, their glyphs don't.
  struct DigitGlyph {
    QPainterPath path;
    qreal advance = 0;
  };
  const DigitGlyph& DigitGlyphFor(QChar ch, int em) const;

  int m_Id = 0;
  int m_Side = 0;
  mutable QString m_DigitCacheFamily;
  mutable std::map<std::pair<char16_t, int>, DigitGlyph> m_DigitGlyphs;
  QImage m_Face;
  QImage m_HubShadowLayer;
  QImage m_HubLayer;
  QImage m_GlareLayer;    // glare with the marks cut out
  QImage m_OverlayLayer;  // title and readout boxes, over the pointer
  std::array<double, 3> m_LaidOutBox1{};
  std::array<double, 3> m_LaidOutBox2{};
  QImage m_Frame;
  int m_FaceBuildCount = 0;
};

}  // namespace ws
