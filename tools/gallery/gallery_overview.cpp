// Gallery pages of the overview: one tile in every state a stack can show,
// the busy tiles of a dump and of an upload among them, each with its title and
// state word; and a whole site of 8 and of 100 stacks at the size the station
// window gives the overview on a full-HD screen.
#include <memory>
#include <string>

#include "core/settings.h"
#include "screen/base_panel.h"
#include "tools/gallery/gallery.h"

namespace ws::gallery {

namespace {

// The overview's share of a maximised station window on 1920 x 1080.
constexpr int kPanelWidth = 1580;
constexpr int kPanelHeight = 794;

// Every state in turn, busy twice (a dump, then an upload); speeds across the levels.
void ShowEveryState(CBasePanel& panel, int count) {
  constexpr int kCycle = 7;
  for (int i = 0; i < count; ++i) {
    const int step = i % kCycle;
    const float speed = 5.0f + static_cast<float>((i * 37) % 470) / 10.0f;
    switch (step) {
      case 0:
      case 1:
      case 2:
      case 3: {
        constexpr float kSpeeds[] = {8.4f, 31.2f, 41.7f, 47.9f};
        panel.SetDirectionSpeed(i, 90.0f * static_cast<float>(step), count > 10 ? speed : kSpeeds[step]);
        panel.SetState(i, CBasePanel::kNormal + step);
        break;
      }
      case 4: panel.SetState(i, CBasePanel::kNoCommunication); break;
      case 5:
      case 6:
        panel.SetDirectionSpeed(i, 180.0f, 12.0f);
        panel.SetBusyKind(i, step == 5 ? CBasePanel::BusyKind::kDump : CBasePanel::BusyKind::kUpload);
        panel.SetState(i, CBasePanel::kBusy);
        break;
      default: break;
    }
  }
}

std::unique_ptr<Settings> Site(int stacks, int columns, int rows) {
  auto settings = std::make_unique<Settings>();
  settings->stackCount = stacks;
  settings->gridColumns = static_cast<int8_t>(columns - 1);
  settings->gridRows = static_cast<int8_t>(rows - 1);
  // Operators' titles: short, Korean, and one far longer than any tile.
  const char* kTitles[] = {nullptr, "크레인 3", "NORTH BREAKWATER LOADING CRANE 12 (EAST RAIL)", "PIER B", nullptr,
                           "항만 크레인 제2호기 동측", "QC-07"};
  for (int i = 0; i < stacks; ++i) {
    const char* title = kTitles[i % 7];
    if (title) SetFieldUtf8(settings->stacks[static_cast<size_t>(i)].title, title, 80);
  }
  return settings;
}

void RenderSite(Gallery& gallery, const QString& name, int stacks, int columns, int rows, int width, int height) {
  const auto settings = Site(stacks, columns, rows);
  CBasePanel panel;
  panel.SetDisplayFont(gallery.Fonts().Family(DisplayFonts::kFndSlot));
  panel.resize(width, height);
  panel.SetSettings(*settings);
  ShowEveryState(panel, stacks);
  gallery.Save(name, panel.grab().toImage());
}

}  // namespace

void RenderOverview(Gallery& gallery) {
  RenderSite(gallery, QStringLiteral("overview_states"), 7, 4, 2, 900, 420);
  RenderSite(gallery, QStringLiteral("overview_8_stacks"), 8, 4, 2, kPanelWidth, kPanelHeight);
  RenderSite(gallery, QStringLiteral("overview_100_stacks"), 100, 10, 10, kPanelWidth, kPanelHeight);
  // The widest grid the dialog offers, rows added for the stacks beyond it.
  RenderSite(gallery, QStringLiteral("overview_100_stacks_15_columns"), 100, 15, 2, kPanelWidth, kPanelHeight);
  // A smaller screen (1280 x 1024).
  RenderSite(gallery, QStringLiteral("overview_100_stacks_small_screen"), 100, 10, 10, 1260, 800);
}

}  // namespace ws::gallery
