#include <gtest/gtest.h>

#include "core/scalar_window.h"
#include "core/vector_window.h"

namespace ws {
namespace {

TEST(VectorWindow, AlternatingNorthSidesAverageToNorthNotSouth) {
  VectorWindow w(20);
  for (int i = 0; i < 20; ++i) w.Push(1.0, i % 2 == 0 ? 350.0 : 10.0);
  EXPECT_EQ(w.D(), 0.0);
}

TEST(VectorWindow, ResetEntriesCountAsNorthWithUnitWeight) {
  VectorWindow w(6);
  w.Push(1.0, 200.0);
  w.Reset();
  EXPECT_EQ(w.D(), 0.0);
  w.Push(1.0, 90.0);  // one east entry against five north ones: atan2(1/6, 5/6)
  EXPECT_NEAR(w.D(), 11.309932, 1e-4);
}

TEST(VectorWindow, MeanDirectionIsSinglePrecisionWithinOneTurn) {
  VectorWindow w(2);
  w.Push(1.0, 123.456);
  EXPECT_EQ(w.D(), static_cast<double>(static_cast<float>(w.D())));
  w.Push(1.0, 359.99);
  w.Push(1.0, 359.99);  // the 123.456 entry has left
  EXPECT_LT(w.D(), 360.0);
  EXPECT_NEAR(w.D(), 359.99, 1e-3);
}

TEST(ScalarWindow, ThreePushesAfterClearAverageOverTheWholeWindow) {
  ScalarWindow w(20);
  w.Push(1.0f);
  w.Push(2.0f);
  w.Push(3.0f);
  EXPECT_DOUBLE_EQ(w.M(), 0.3);
}

}  // namespace
}  // namespace ws
