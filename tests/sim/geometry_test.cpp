// Vector length and direction, and keeping a circle inside a rectangle.
#include <gtest/gtest.h>

#include "sim/match.h"

namespace {

TEST(Normalize, ZeroStaysZeroAndOthersBecomeUnitLength) {
  Vector2 zero(0.0f, 0.0f);
  Vector2& same = zero.Normalize();
  EXPECT_EQ(&same, &zero);
  EXPECT_EQ(zero.x, 0.0f);
  EXPECT_EQ(zero.y, 0.0f);

  Vector2 v(3.0f, 4.0f);
  v.Normalize();
  EXPECT_EQ(v.x, 0.6f);
  EXPECT_EQ(v.y, 0.8f);

  Vector2 down(0.0f, -7.5f);
  down.Normalize();
  EXPECT_EQ(down.x, 0.0f);
  EXPECT_EQ(down.y, -1.0f);
}

TEST(Normalize, LengthIsRoundedTwice) {
  // 4093^2 + 192^2 is not a float: its sum is rounded before the square
  // root, which gives 4097.50048828125 (the exact root rounds to
  // 4097.5009765625) and so these quotients.
  Vector2 v(4093.0f, 192.0f);
  v.Normalize();
  EXPECT_EQ(v.x, 0.9989016652107239f);
  EXPECT_EQ(v.y, 0.04685783386230469f);
}

TEST(Clamp, MovesOnlyWhatCrossesAnEdge) {
  const Bounds ball(955.0f, 585.0f, 45.0f, 15.0f);

  Circle touching(70.0f, 40.0f, 25.0f);  // touches left and top exactly
  ball.Clamp(touching);
  EXPECT_EQ(touching.x, 70.0f);
  EXPECT_EQ(touching.y, 40.0f);
  EXPECT_EQ(touching.radius, 25.0f);

  Circle farCorner(930.5f, 560.25f, 25.0f);
  ball.Clamp(farCorner);
  EXPECT_EQ(farCorner.x, 930.0f);
  EXPECT_EQ(farCorner.y, 560.0f);

  Circle nearCorner(-100.0f, 39.5f, 25.0f);
  ball.Clamp(nearCorner);
  EXPECT_EQ(nearCorner.x, 70.0f);
  EXPECT_EQ(nearCorner.y, 40.0f);

  Circle inside(500.5f, 300.25f, 25.0f);
  ball.Clamp(inside);
  EXPECT_EQ(inside.x, 500.5f);
  EXPECT_EQ(inside.y, 300.25f);
  EXPECT_EQ(inside.radius, 25.0f);
}

TEST(Clamp, InATooNarrowRectangleTheRightAndBottomRulesWin) {
  // x from 90 to 150, y from 100 to 120, for a circle of radius 40.
  const Bounds narrow(150.0f, 120.0f, 90.0f, 100.0f);
  Circle c(60.0f, 50.0f, 40.0f);
  narrow.Clamp(c);
  EXPECT_EQ(c.x, 110.0f);
  EXPECT_EQ(c.y, 80.0f);

  Circle right(400.0f, 400.0f, 40.0f);
  narrow.Clamp(right);
  EXPECT_EQ(right.x, 110.0f);
  EXPECT_EQ(right.y, 80.0f);
}

}  // namespace
