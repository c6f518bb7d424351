// Pushing the ball out of a player along the line of their centres.
#include <gtest/gtest.h>

#include "sim/match.h"

namespace {

TEST(ResolveOverlap, OverlapIsPushedOutAlongTheNormal) {
  Circle ball(500.0f, 300.0f, 25.0f);
  const Circle player(440.0f, 300.0f, 40.0f);
  Vector2 normal(9.0f, 9.0f);
  ASSERT_TRUE(ResolveOverlap(ball, player, normal));
  EXPECT_EQ(normal.x, 1.0f);
  EXPECT_EQ(normal.y, 0.0f);
  EXPECT_EQ(ball.x, 505.0f);
  EXPECT_EQ(ball.y, 300.0f);
  EXPECT_EQ(ball.radius, 25.0f);

  // Diagonal: 3-4-5 offset, pushed out to 65 along (0.6, 0.8).
  Circle diag(103.0f, 204.0f, 25.0f);
  const Circle at(100.0f, 200.0f, 40.0f);
  ASSERT_TRUE(ResolveOverlap(diag, at, normal));
  EXPECT_EQ(normal.x, 0.6f);
  EXPECT_EQ(normal.y, 0.8f);
  EXPECT_EQ(diag.x, 139.0f);
  EXPECT_EQ(diag.y, 252.0f);
}

TEST(ResolveOverlap, TouchingIsContactAndJustApartIsNot) {
  const Circle player(400.0f, 300.0f, 40.0f);

  Circle touching(400.0f, 365.0f, 25.0f);  // exactly 65 apart
  Vector2 normal;
  ASSERT_TRUE(ResolveOverlap(touching, player, normal));
  EXPECT_EQ(normal.x, 0.0f);
  EXPECT_EQ(normal.y, 1.0f);
  EXPECT_EQ(touching.x, 400.0f);
  EXPECT_EQ(touching.y, 365.0f);

  Circle apart(465.01f, 300.0f, 25.0f);
  Vector2 untouched(7.0f, -7.0f);
  EXPECT_FALSE(ResolveOverlap(apart, player, untouched));
  EXPECT_EQ(apart.x, 465.01f);
  EXPECT_EQ(apart.y, 300.0f);
  EXPECT_EQ(untouched.x, 7.0f);
  EXPECT_EQ(untouched.y, -7.0f);
}

TEST(ResolveOverlap, CoincidingCentresGiveNoDirection) {
  Circle ball(321.5f, 123.25f, 25.0f);
  const Circle player(321.5f, 123.25f, 40.0f);
  Vector2 normal(5.0f, 5.0f);
  ASSERT_TRUE(ResolveOverlap(ball, player, normal));
  EXPECT_EQ(normal.x, 0.0f);
  EXPECT_EQ(normal.y, 0.0f);
  // Placed on the player's centre: still overlapping, but nothing is NaN.
  EXPECT_EQ(ball.x, 321.5f);
  EXPECT_EQ(ball.y, 123.25f);
}

}  // namespace
