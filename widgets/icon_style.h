// Fill styles of the multi-coloured icons: how each closed figure of an icon
// glyph is painted, and the built-in table with one style row per icon code.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace ws {

// How one figure of an icon is painted. Colours are COLORREF (0x00BBGGRR).
struct IconFillStyle {
  // 0 = figure not drawn at all; 10, 20, 30-33, 40-44, 50, 51 = fill kinds;
  // any other value = outline only.
  int8_t fillType = 0;
  float paramA = 0.0f;  // blend position / focus / glow size, by fill type
  float paramB = 0.0f;  // blend position / angle / focus, by fill type
  uint8_t alpha1 = 255;  // alpha of colour A; ellipse selector for 32 and 33
  uint8_t alpha2 = 255;  // alpha of colour B
  uint32_t ownColour = 0;  // colour mode 4 and the inner outline
  int8_t colourMode = 0;   // 0..8, plus 50 to swap the two derived colours
  float factor1 = 0.0f;    // colour scale factor
  float factor2 = 0.0f;    // second colour scale factor; gradient scale for 20
  uint8_t outlineMode = 0;        // 0, 10 or 11
  uint8_t innerOutlineWidth = 0;  // pixels; 0 = none
  float rotation = 0.0f;          // degrees; 0 = none
};

// The styles of one icon: figure index -> fill style index.
struct IconStyle {
  static constexpr int kFigures = 50;
  static constexpr int kStyles = 20;

  std::array<int8_t, kFigures> figureMap{};
  std::array<IconFillStyle, kStyles> fillStyles{};

  // The style painting figure `figure`. Figures 50 and beyond, and map
  // entries outside 0..19, take style 0.
  const IconFillStyle& StyleForFigure(int figure) const;
};

// Rows of the built-in table: every icon code of the font (0x00-0x05 and
// 0x10-0x130) and a few beyond.
inline constexpr int kIconStyleRows = 0x140;

// The built-in table, indexed directly by glyph code. Built once, constant after.
std::span<const IconStyle> IconStyleTable();

// Row `code` of the table; codes outside it fall back to row 0.
const IconStyle& IconStyleForCode(int code);

}  // namespace ws
