// The overview after the configuration dialog changed the number of stacks: a
// stack coming into use shows nothing of what it showed when last in use.
#include <gtest/gtest.h>

#include <memory>

#include "core/settings.h"
#include "screen/base_panel.h"
#include "screen/indicator.h"
#include "widgets/fnd.h"

namespace ws {
namespace {

TEST(BasePanelStackCountTest, StackComingBackIntoUseShowsNoOldSpeed) {
  auto settings = std::make_unique<Settings>();
  CBasePanel panel;
  panel.resize(600, 600);
  settings->stackCount = 6;
  panel.SetSettings(*settings);
  panel.SetDirectionSpeed(1, 10.0f, 12.5f);
  panel.SetDirectionSpeed(4, 90.0f, 25.5f);
  panel.Refresh();
  ASSERT_TRUE(panel.Tile(4)->ValueDisplay()->DisplayText().contains("25.5"));

  settings->stackCount = 3;
  panel.SetSettings(*settings);
  settings->stackCount = 6;
  panel.SetSettings(*settings);
  ASSERT_EQ(panel.TileCount(), 6);
  EXPECT_FALSE(panel.Tile(4)->ValueDisplay()->DisplayText().contains("25.5"));
  EXPECT_TRUE(panel.Tile(4)->ValueDisplay()->DisplayText().contains("0.0"));
  // A stack that stayed in use keeps showing its last value until the next reply.
  EXPECT_TRUE(panel.Tile(1)->ValueDisplay()->DisplayText().contains("12.5"));
}

}  // namespace
}  // namespace ws
