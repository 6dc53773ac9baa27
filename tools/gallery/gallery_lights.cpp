// Gallery pages of the LED and the signal lamps.
#include <memory>

#include "tools/gallery/gallery.h"
#include "widgets/lamp.h"
#include "widgets/led.h"

namespace ws::gallery {

namespace {

constexpr QRgb kPanel = 0xFF384C5A;

QImage LedImage(bool lit, bool bezel, bool glossy, bool enabled) {
  CLed led;
  led.resize(48, 48);
  led.Init(0x000000);
  led.m_bBezel = bezel;
  led.m_bGlossy = glossy;
  led.m_bLit = lit;
  led.setEnabled(enabled);
  return Gallery::OnPanel(led.Render(), QColor::fromRgba(kPanel));
}

}  // namespace

void RenderLights(Gallery& gallery) {
  gallery.Save("led_dark", LedImage(false, false, false, true));
  gallery.Save("led_lit", LedImage(true, false, false, true));
  gallery.Save("led_lit_bezel", LedImage(true, true, false, true));
  gallery.Save("led_lit_glossy", LedImage(true, true, true, true));
  gallery.Save("led_dark_glossy", LedImage(false, true, true, true));
  gallery.Save("led_disabled", LedImage(true, true, false, false));

  CLed green;
  green.resize(48, 48);
  green.Init(0x000000);
  green.m_OnEdgeColor = 0x008000;
  green.m_OnCenterColor = 0x80FF80;
  green.m_bLit = true;
  gallery.Save("led_lit_green", Gallery::OnPanel(green.Render(), QColor::fromRgba(kPanel)));

  struct LampColours {
    const char* name;
    ColorRef edge;
    ColorRef centre;
  };
  // The main window's three status lamps.
  constexpr LampColours kLamps[] = {
      {"green", 0x008000, 0x00FF00}, {"yellow", 0x4080FF, 0x00FFFF}, {"red", 0x000080, 0x0000FF}};
  for (const LampColours& colours : kLamps) {
    for (bool lit : {true, false}) {
      CLamp lamp;
      lamp.resize(90, 40);
      lamp.m_OnEdgeColor = colours.edge;
      lamp.m_OnCenterColor = colours.centre;
      lamp.m_bReady = true;
      lamp.m_bLit = lit;
      gallery.Save(QStringLiteral("lamp_%1_%2").arg(colours.name, lit ? "lit" : "dark"),
                   lamp.Render());
    }
  }
  CLamp labelled;
  labelled.resize(120, 40);
  labelled.m_OnEdgeColor = 0x000080;
  labelled.m_OnCenterColor = 0x0000FF;
  labelled.m_strText = QStringLiteral("TRIP");
  labelled.m_bReady = true;
  labelled.m_bLit = true;
  gallery.Save("lamp_text_lit", labelled.Render());
  labelled.m_bLit = false;
  gallery.Save("lamp_text_dark", labelled.Render());
}

}  // namespace ws::gallery
