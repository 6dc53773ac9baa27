// Gallery pages of the seven-segment and LCD readouts.
#include "tools/gallery/gallery.h"
#include "widgets/fnd.h"
#include "widgets/lcd.h"

#include <memory>

namespace ws::gallery {

namespace {

struct TileColours {
  const char* name;
  ColorRef digit;
};

// The digit colours of the stack tile states: no communication, normal, Alarm,
// Stop, Trip.
constexpr TileColours kTileColours[] = {
    {"nocomm", 0x808080}, {"normal", 0x00FF00}, {"alarm", 0x00FFFF},
    {"stop", 0x0080FF},   {"trip", 0x0000FF},
};

}  // namespace

void RenderReadouts(Gallery& gallery) {
  const QString fnd = gallery.Fonts().Family(DisplayFonts::kFndSlot);
  auto make = [&fnd](bool glow, int decimals) {
    auto display = std::make_unique<CFnd>();
    display->resize(200, 80);
    display->Init(glow, decimals);
    display->m_FontFamily = fnd;
    display->SetColor(0x40C0FF);
    display->m_bReady = true;
    return display;
  };

  auto plain = make(false, 2);
  plain->m_Value = 3.14159;
  gallery.Save("fnd_value", plain->Render());

  auto glow = make(true, 1);
  glow->m_Value = 23.45;
  gallery.Save("fnd_value_glow", glow->Render());

  auto unit = make(true, 1);
  unit->m_Value = -7.5;
  unit->SetUnit("m/s");
  unit->m_OffsetX = -0.18f;
  gallery.Save("fnd_unit", unit->Render());

  auto error = make(true, 1);
  error->m_bError = true;
  error->m_bOver = true;
  gallery.Save("fnd_error", error->Render());

  auto over = make(true, 1);
  over->m_bOver = true;
  gallery.Save("fnd_over", over->Render());

  auto nodata = make(true, 1);
  nodata->m_bNoData = true;
  gallery.Save("fnd_nodata", nodata->Render());

  auto duration = make(true, 0);
  duration->m_bDuration = true;
  duration->m_DurationFormat = 'S';
  duration->m_Value = 3725.5;
  duration->resize(260, 60);
  gallery.Save("fnd_duration", duration->Render());

  auto dark = make(false, 1);
  dark->SetColor(0x202020);
  dark->m_Value = 88.8;
  gallery.Save("fnd_dark", dark->Render());

  for (const TileColours& tile : kTileColours) {
    auto state = make(true, 1);
    state->SetColor(tile.digit);
    state->m_BackColor = 0x101010;
    state->m_Value = 12.3;
    gallery.Save(QStringLiteral("fnd_tile_%1").arg(tile.name), state->Render());
  }

  auto makeLcd = [&gallery](int font, const QString& text) {
    auto lcd = std::make_unique<CLcd>();
    lcd->resize(220, 50);
    lcd->m_MatrixFamily = gallery.Fonts().Family(DisplayFonts::kMatrixSlot);
    lcd->m_RoundedFamily = gallery.Fonts().Family(DisplayFonts::kRoundSlot);
    lcd->m_nFont = font;
    lcd->m_Text = text;
    lcd->m_bReady = true;
    return lcd;
  };
  gallery.Save("lcd_rounded", makeLcd(CLcd::kRoundedFont, "NNE")->Render());
  gallery.Save("lcd_matrix", makeLcd(CLcd::kMatrixFont, "WSW 247")->Render());
  auto green = makeLcd(CLcd::kMatrixFont, "m/s");
  green->m_DigitColor = 0x00FF00;
  green->m_EdgeColor = 0x008000;
  green->m_bGlow = false;
  gallery.Save("lcd_matrix_green", green->Render());
  gallery.Save("lcd_empty", makeLcd(CLcd::kMatrixFont, "")->Render());
}

}  // namespace ws::gallery
