#include "core/colour_math.h"

#include <gtest/gtest.h>

namespace ws {
namespace {

TEST(ColorScale, ZeroChannelsCountAsTenSoBlackNeverStaysBlack) {
  EXPECT_EQ(ColorScale(0x000000, 0.5f), 0x0F0F0Fu);
  EXPECT_EQ(ColorScale(0x000000, -0.3f), 0x070707u);
  EXPECT_EQ(ColorScale(0xFF8000, 0.5f), 0xFFC00Fu);
  EXPECT_EQ(ColorScale(0x000000, 0.0f), 0x0A0A0Au);
}

TEST(ColorScale, ClampsAtBothEnds) {
  EXPECT_EQ(ColorScale(0x808080, -1.0f), 0x000000u);
  EXPECT_EQ(ColorScale(0x808080, 1.0f), 0xFFFFFFu);
  EXPECT_EQ(ColorScale(0x808080, -5.0f), 0x000000u);
  EXPECT_EQ(ColorScale(0x102030, 1.0e30f), 0xFFFFFFu);
}

TEST(ColorScale, DarkensByTruncation) {
  // 0x64 = 100 -> trunc(100 * 0.8) = 80 = 0x50 on every channel.
  EXPECT_EQ(ColorScale(0x646464, -0.2f), 0x505050u);
}

TEST(ColorAdd, ClampsEachChannel) {
  EXPECT_EQ(ColorAdd(0xF0F0F0, 40), 0xFFFFFFu);
  EXPECT_EQ(ColorAdd(0x101010, -40), 0x000000u);
  EXPECT_EQ(ColorAdd(0x40C0FF, -64), 0x0080BFu);
}

TEST(ColorGrey, AverageAndLumaDiffer) {
  EXPECT_EQ(ColorGray(0x0000FF), 0x555555u);
  // Red 255: 0.3 * 255 + 0.5 = 77.
  EXPECT_EQ(ColorLumaGray(0x0000FF), 0x4D4D4Du);
  EXPECT_EQ(ColorLumaGray(0xFFFFFF), 0xFFFFFFu);
}

TEST(ColorInvert, FlipsEveryChannel) { EXPECT_EQ(ColorInvert(0x123456), 0xEDCBA9u); }

TEST(ToArgb, SwapsRedAndBlueAndAddsAlpha) {
  EXPECT_EQ(ToArgb(0x123456), 0xFF563412u);
  EXPECT_EQ(ToArgbAlpha(0, 0x123456), 0x00563412u);
  EXPECT_EQ(ToArgbAlpha(0x80, 0x0000FF), 0x80FF0000u);
}

}  // namespace
}  // namespace ws
