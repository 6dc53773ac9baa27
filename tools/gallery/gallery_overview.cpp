// Gallery page of the overview: one tile in every state a stack can show,
// the busy tile of a stack whose link carries a dump among them.
#include <memory>

#include "core/settings.h"
#include "screen/base_panel.h"
#include "tools/gallery/gallery.h"

namespace ws::gallery {

void RenderOverview(Gallery& gallery) {
  auto settings = std::make_unique<Settings>();
  settings->stackCount = 6;
  settings->gridColumns = 3;
  settings->gridRows = 2;
  CBasePanel panel;
  panel.SetDisplayFont(gallery.Fonts().Family(DisplayFonts::kFndSlot));
  panel.resize(900, 420);
  panel.SetSettings(*settings);
  // Normal, Alarm, Stop, Trip with their speeds; a silent logger; a dump.
  constexpr float kSpeeds[] = {8.4f, 31.2f, 41.7f, 47.9f};
  for (int i = 0; i < 4; ++i) {
    panel.SetDirectionSpeed(i, 90.0f * static_cast<float>(i), kSpeeds[i]);
    panel.SetState(i, CBasePanel::kNormal + i);
  }
  panel.SetState(4, CBasePanel::kNoCommunication);
  panel.SetDirectionSpeed(5, 180.0f, 12.0f);
  panel.SetState(5, CBasePanel::kBusy);
  gallery.Save("overview_states", panel.grab().toImage());
}

}  // namespace ws::gallery
