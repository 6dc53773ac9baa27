#include "tools/gallery/gallery.h"

#include <iterator>

namespace ws::gallery {

namespace {

// Add one line per widget family.
constexpr Entry kEntries[] = {
    {"readouts", RenderReadouts},
    {"lights", RenderLights},
    {"text_boxes", RenderTextBoxes},
    {"value_rows", RenderValueRows},
    {"splitters", RenderSplitters},
    {"gauges", RenderGauges},
    {"chart", RenderChart},
    {"grids", RenderGrids},
    {"dump_windows", RenderDumpWindows},
    {"wind_rose", RenderWindRoses},
    {"alarm_info", RenderAlarmInfo},
    {"overview", RenderOverview},
    {"config_dialog", RenderConfigDialog},
    {"history", RenderHistory},
};

}  // namespace

std::span<const Entry> Entries() { return std::span<const Entry>(kEntries, std::size(kEntries)); }

}  // namespace ws::gallery
