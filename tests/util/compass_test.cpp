#include "util/compass.h"

#include <gtest/gtest.h>

#include <limits>

namespace ws {
namespace {

TEST(CompassName, LowerBoundsBelongToTheNextName) {
  EXPECT_EQ(CompassName(11.25f), "NNE");
  EXPECT_EQ(CompassName(11.24f), "N");
  EXPECT_EQ(CompassName(33.75f), "NE");
  EXPECT_EQ(CompassName(326.25f), "NNW");
  EXPECT_EQ(CompassName(348.74f), "NNW");
}

TEST(CompassName, NorthCoversBothEndsAndEverythingOutOfRange) {
  EXPECT_EQ(CompassName(0.0f), "N");
  EXPECT_EQ(CompassName(348.75f), "N");
  EXPECT_EQ(CompassName(360.0f), "N");
  EXPECT_EQ(CompassName(720.0f), "N");
  EXPECT_EQ(CompassName(-5.0f), "N");
  EXPECT_EQ(CompassName(std::numeric_limits<float>::quiet_NaN()), "N");
  EXPECT_EQ(CompassName(std::numeric_limits<float>::infinity()), "N");
}

TEST(CompassName, EachPointNamesItsCentre) {
  const char* names[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                         "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(CompassName(22.5f * static_cast<float>(i)), names[i]) << i;
  EXPECT_EQ(CompassName(180.0f), "S");
}

}  // namespace
}  // namespace ws
