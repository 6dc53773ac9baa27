#include <gtest/gtest.h>
TEST(Skeleton, Builds) { EXPECT_TRUE(true); }
