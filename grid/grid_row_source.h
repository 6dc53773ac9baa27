// GridRowSource: the interface through which a large table hands the grid its cell
// texts on request, so that the grid keeps no text per cell. The report's table
// (up to 172,798 rows) keeps its samples compactly and formats a row's texts only
// when the grid paints, copies or reads that row.
#pragma once

#include <QString>

#include "core/colour_math.h"

namespace ws {

class GridRowSource {
 public:
  // CellBackground's answer for "no colour of its own": the grid then uses the
  // cell's own colour if one was set, else the default background.
  static constexpr ColorRef kNoColour = 0xFFFFFFFFu;

  virtual ~GridRowSource() = default;

  // The text of the cell at grid row `row` (fixed rows counted, so the first data
  // row under one header row is row 1) and grid column `col`. Called only for
  // cells inside the grid, fixed ones too unless the grid stores a text for them;
  // possibly many times for the same cell, always on the GUI thread. It must be
  // cheap (format on the spot, no I/O) and must not change the grid. Rows the
  // source knows nothing of yet return an empty text.
  virtual QString CellText(int row, int col) const = 0;

  // The background colour (COLORREF 0x00BBGGRR) the source gives the cell, or
  // kNoColour. A colour set on the cell through the grid wins over this one.
  virtual ColorRef CellBackground(int row, int col) const {
    static_cast<void>(row);
    static_cast<void>(col);
    return kNoColour;
  }
};

}  // namespace ws
