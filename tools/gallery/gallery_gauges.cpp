// Gallery pages of the analog gauge, the push button, the command bar and the
// icons of the icon font as the station draws them.
#include <QCoreApplication>
#include <QFont>
#include <QMouseEvent>
#include <QPainter>

#include <memory>

#include "tools/gallery/gallery.h"
#include "widgets/analog_gauge.h"
#include "widgets/icon_glyph.h"
#include "widgets/multi_button.h"
#include "widgets/nex_button.h"

namespace ws::gallery {

namespace {

const QColor kButtonFace(240, 240, 240);  // system button face behind the dials
const QColor kMainBackground(0x38, 0x3F, 0x4C);  // main window, COLORREF 0x4C3F38

// The gauge panel's DIRECTION dial.
std::unique_ptr<CAnalogGauge> DirectionDial(const QString& digits, int side) {
  auto dial = std::make_unique<CAnalogGauge>(QStringLiteral("DIRECTION"), 50000);
  dial->resize(side, side);
  dial->Init(QString(), 0, 16, 1);
  dial->m_DigitFontFamily = digits;
  dial->m_PointerColour = 0xFF0000;
  dial->m_CompassStyle = true;
  dial->m_StartAngle = 0;
  dial->m_EndAngle = 360;
  dial->m_Minimum = 0;
  dial->m_Maximum = 360;
  dial->m_LongTail = false;
  dial->m_Box1Fractions = {0.3, 0.12, 0.6};
  dial->SetReadout(QString(), 0x0000FA, 0);
  return dial;
}

// The gauge panel's SPEED dial with the default limits (60 full scale, Alarm at 30).
std::unique_ptr<CAnalogGauge> SpeedDial(const QString& digits, int side) {
  auto dial = std::make_unique<CAnalogGauge>(QStringLiteral("SPEED"), 50001);
  dial->resize(side, side);
  dial->Init(QString(), 1, 6, 5);
  dial->m_DigitFontFamily = digits;
  dial->m_PointerColour = 0x0000FF;
  dial->m_ZoneColouredReadout = false;
  dial->m_Box1Fractions = {0.3, 0.12, 0.78};
  dial->m_Minimum = 0;
  dial->m_Maximum = 60;
  dial->m_ZonesShown = true;
  dial->m_ZoneFraction1 = 30.0f / 60.0f;
  dial->m_ZoneFraction2 = 30.0f / 60.0f;
  dial->m_ZoneFraction3 = 1.0f;
  dial->SetReadout(QStringLiteral("m/s"), 0x00C800, 1);
  return dial;
}

// A command's icon as the station draws it: glyph, colour and angle, with a label
// (a button's caption, or a name on the icon sheet).
struct IconSpec {
  const char* label;
  int glyph;
  ColorRef colour;
  float angle;
};

// The report window's buttons and the alarm list's ACK.
constexpr IconSpec kButtons[] = {
    {"SEARCH", 23, 0x4080FF, 315}, {"CSV", 58, 0xFF0000, 0},   {"VECTOR", 71, 0x00FF00, 0},
    {"EXIT", 100, 0x0000FF, 0},    {"ACK", 118, 0x008000, 0},
};

std::unique_ptr<CNexButton> Button(const QString& icons, const IconSpec& spec, QSize size) {
  auto button = std::make_unique<CNexButton>(QString::fromLatin1(spec.label), 1000);
  button->resize(size);
  button->m_IconFontFamily = icons;
  button->m_IconGlyph = spec.glyph;
  button->m_IconColour = spec.colour;
  button->m_IconAngle = spec.angle;
  button->m_IconOutline = 1;
  return button;
}

// The main window's command bar as it is set up at start, in the stack view.
std::unique_ptr<CMultiButton> CommandBar(const QString& icons, bool soundOff) {
  auto bar = std::make_unique<CMultiButton>(10020);
  bar->resize(490, 70);
  bar->m_IconFontFamily = icons;
  bar->m_Count = 7;
  const char* tips[] = {"MAIN", "CAPTURE", "SOUND", "REPORT", "DUMP", "CONFIG", "EXIT"};
  const int glyphs[] = {155, 16, 39, 31, 174, 18, 100};
  const ColorRef colours[] = {0xFF8000, 0xC0C0C0, 0x4080FF, 0xFFFFFF, 0x008000, 0xE68C6E, 0x0000FF};
  for (int i = 0; i < 7; ++i) {
    bar->m_Glyph[i] = glyphs[i];
    bar->m_GlyphColour[i] = colours[i];
    bar->SetTooltipText(i, QString::fromLatin1(tips[i]));
  }
  bar->m_GlyphAngle[0] = 270;
  bar->m_OverlayGlyph[3] = 23;
  bar->m_OverlayColour[3] = 0x800000;
  bar->m_OverlayAngle[3] = 315;
  bar->m_OverlayScale[3] = 0.8f;
  bar->m_OverlayOffsetX[3] = 0.05f;
  bar->m_OverlayOffsetY[3] = 0.15f;
  bar->m_OverlayAlpha[3] = 160;
  bar->m_OverlayAlphaOn[3] = true;
  bar->m_GlyphAngle[4] = 180;
  bar->m_SizeFactor[4] = 1.0f;
  bar->m_OffsetY[4] = 0.1f;
  if (soundOff) {
    bar->m_OverlayGlyph[2] = 122;
    bar->m_OverlayColour[2] = 0x0000FA;
    bar->m_OverlayScale[2] = 0.6f;
    bar->m_OverlayOffsetX[2] = 0.1f;
    bar->m_OverlayOffsetY[2] = 0.1f;
    bar->m_OverlayAlpha[2] = 160;
    bar->m_OverlayAlphaOn[2] = true;
  }
  bar->m_Enabled[5] = false;  // CONFIG is off while a stack is shown
  return bar;
}

}  // namespace

void RenderGauges(Gallery& gallery) {
  const QString digits = gallery.Fonts().Family(DisplayFonts::kFndSlot);
  const QString icons = gallery.Fonts().Family(DisplayFonts::kIconSlot);

  // Dials.
  auto direction = DirectionDial(digits, 400);
  direction->SetValue(225);
  gallery.Save("gauge_direction_225", Gallery::OnPanel(direction->RenderFrame(), kButtonFace));
  direction->SetValue(0);
  gallery.Save("gauge_direction_north", Gallery::OnPanel(direction->RenderFrame(), kButtonFace));

  auto speed = SpeedDial(digits, 400);
  speed->SetValue(12.5f);
  gallery.Save("gauge_speed_12_5", Gallery::OnPanel(speed->RenderFrame(), kButtonFace));
  speed->SetValue(44.5f);
  gallery.Save("gauge_speed_44_5", Gallery::OnPanel(speed->RenderFrame(), kButtonFace));
  speed->SetValue(75.0f);
  gallery.Save("gauge_speed_over", Gallery::OnPanel(speed->RenderFrame(), kButtonFace));

  auto small = SpeedDial(digits, 220);
  small->SetValue(31.0f);
  gallery.Save("gauge_speed_small", Gallery::OnPanel(small->RenderFrame(), kButtonFace));

  // Push buttons: one in each face state, then the station's buttons side by side.
  const QSize buttonSize(140, 44);
  auto search = Button(icons, kButtons[0], buttonSize);
  gallery.Save("button_normal", Gallery::OnPanel(search->Render(CNexButton::FaceState::kNormal), kButtonFace));
  gallery.Save("button_hover", Gallery::OnPanel(search->Render(CNexButton::FaceState::kHover), kButtonFace));
  gallery.Save("button_pressed", Gallery::OnPanel(search->Render(CNexButton::FaceState::kPressed), kButtonFace));
  gallery.Save("button_disabled", Gallery::OnPanel(search->Render(CNexButton::FaceState::kDisabled), kButtonFace));
  auto iconOnly = Button(icons, {"", 118, 0x008000, 0}, QSize(48, 44));
  gallery.Save("button_icon_only", Gallery::OnPanel(iconOnly->Render(CNexButton::FaceState::kNormal), kButtonFace));

  QImage row(static_cast<int>(std::size(kButtons)) * (buttonSize.width() + 10) + 10, buttonSize.height() + 20,
             QImage::Format_ARGB32_Premultiplied);
  row.fill(kButtonFace);
  {
    QPainter painter(&row);
    int x = 10;
    for (const IconSpec& spec : kButtons) {
      auto button = Button(icons, spec, buttonSize);
      painter.drawImage(x, 10, button->Render(CNexButton::FaceState::kNormal));
      x += buttonSize.width() + 10;
    }
  }
  gallery.Save("buttons_station", row);

  // The command bar: plain, sound off, a hovered button, a pressed one, disabled.
  auto bar = CommandBar(icons, false);
  gallery.Save("commandbar", Gallery::OnPanel(bar->Render(false), kMainBackground));
  auto muted = CommandBar(icons, true);
  gallery.Save("commandbar_sound_off", Gallery::OnPanel(muted->Render(false), kMainBackground));
  QMouseEvent move(QEvent::MouseMove, QPointF(3 * 70 + 35, 35), QPointF(3 * 70 + 35, 35), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(muted.get(), &move);
  gallery.Save("commandbar_hover_report", Gallery::OnPanel(muted->Render(false), kMainBackground));
  gallery.Save("commandbar_pressed_report", Gallery::OnPanel(muted->Render(true), kMainBackground));
  muted->setEnabled(false);
  gallery.Save("commandbar_disabled", Gallery::OnPanel(muted->Render(false), kMainBackground));

  // Icons of every command, large, at the angle the station draws them.
  const IconSpec sheet[] = {
      {"MAIN 155", 155, 0xFF8000, 270}, {"CAPTURE 16", 16, 0xC0C0C0, 0}, {"SOUND 39", 39, 0x4080FF, 0},
      {"cross 122", 122, 0x0000FA, 0},  {"REPORT 31", 31, 0xFFFFFF, 0},  {"SEARCH 23", 23, 0x4080FF, 315},
      {"DUMP 174", 174, 0x008000, 180}, {"CONFIG 18", 18, 0xE68C6E, 0},  {"EXIT 100", 100, 0x0000FF, 0},
      {"CSV 58", 58, 0xFF0000, 0},      {"VECTOR 71", 71, 0x00FF00, 0},  {"ACK 118", 118, 0x008000, 0},
  };
  constexpr int kCell = 120;
  constexpr int kColumns = 6;
  QImage icon(kColumns * kCell, 2 * (kCell + 20), QImage::Format_ARGB32_Premultiplied);
  icon.fill(kMainBackground);
  {
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont label(QStringLiteral("DejaVu Sans"));
    label.setPixelSize(12);
    painter.setFont(label);
    for (int i = 0; i < static_cast<int>(std::size(sheet)); ++i) {
      const int cx = (i % kColumns) * kCell;
      const int cy = (i / kColumns) * (kCell + 20);
      IconGlyphOptions o;
      o.emSize = o.boxSize = 96;
      o.x = cx + 12;
      o.y = cy + 8;
      o.angle = sheet[i].angle;
      o.colour1 = sheet[i].colour;
      o.colour2 = 0x4C3F38;
      o.outlineWidth = 1;
      o.useOutlineColour = true;
      o.outlineColour = ColorScale(sheet[i].colour, -0.2f);
      DrawIconGlyph(icons, sheet[i].glyph, painter, o);
      painter.setPen(Qt::white);
      painter.drawText(QRect(cx, cy + kCell - 8, kCell, 20), Qt::AlignCenter,
                       QString::fromLatin1(sheet[i].label));
    }
  }
  gallery.Save("icons_station", icon);
}

}  // namespace ws::gallery
