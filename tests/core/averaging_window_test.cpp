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

TEST(VectorWindow, ResetHoldsNorthWithUnitWeights) {
  VectorWindow w(6);
  w.Push(1.0, 200.0);
  w.Reset();
  EXPECT_EQ(w.D(), 0.0);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(w.At(i).x, 1.0);
    EXPECT_EQ(w.At(i).y, 0.0);
    EXPECT_EQ(w.At(i).w, 1.0);
  }
  // One east entry against five reset (north) entries: atan2(1/6, 5/6).
  w.Push(1.0, 90.0);
  EXPECT_NEAR(w.D(), 11.309932, 1e-4);
}

TEST(VectorWindow, MeanDirectionIsSinglePrecisionAndWithinOneTurn) {
  VectorWindow w(10);
  for (int i = 0; i < 10; ++i) w.Push(1.0, 123.456);
  EXPECT_EQ(w.D(), static_cast<double>(static_cast<float>(w.D())));
  EXPECT_NEAR(w.D(), 123.456, 1e-4);
  for (int i = 0; i < 10; ++i) w.Push(1.0, 270.0);
  EXPECT_NEAR(w.D(), 270.0, 1e-4);
  for (int i = 0; i < 10; ++i) w.Push(1.0, 359.99);
  EXPECT_GE(w.D(), 0.0);
  EXPECT_LT(w.D(), 360.0);
  EXPECT_NEAR(w.D(), 359.99, 1e-3);
}

TEST(VectorWindow, OldestEntryLeavesFirst) {
  VectorWindow w(2);
  w.Push(1.0, 90.0);
  w.Push(1.0, 180.0);
  w.Push(1.0, 180.0);  // the 90 degrees entry is gone
  EXPECT_NEAR(w.D(), 180.0, 1e-4);
}

TEST(ScalarWindow, ThreePushesAfterClearAverageOverTheWholeWindow) {
  ScalarWindow w(20);
  w.Push(1.0f);
  w.Push(2.0f);
  w.Push(3.0f);
  EXPECT_DOUBLE_EQ(w.M(), 0.3);
}

TEST(ScalarWindow, KeepsSinglePrecisionEntriesAndDropsTheOldest) {
  ScalarWindow w(2);
  w.Push(100.0f);
  w.Push(0.1f);
  w.Push(0.1f);
  EXPECT_EQ(w.M(), static_cast<double>(0.1f));
  w.Clear();
  EXPECT_EQ(w.M(), 0.0);
  EXPECT_EQ(w.At(1), 0.0f);
}

}  // namespace
}  // namespace ws
