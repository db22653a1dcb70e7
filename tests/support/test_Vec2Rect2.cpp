#include "support/Rect2.h"
#include "support/Rgb8.h"
#include "support/Vec2.h"

#include <gtest/gtest.h>

#include <numbers>

TEST(Vec2, LengthFollowsEveryChange) {
    Vec2 v(3.0f, 4.0f);
    EXPECT_FLOAT_EQ(v.Length(), 5.0f);
    v.SetX(6.0f);
    v.SetY(8.0f);
    EXPECT_FLOAT_EQ(v.Length(), 10.0f);
    v.Set(0.0f, 2.0f);
    EXPECT_FLOAT_EQ(v.Length(), 2.0f);
    EXPECT_FLOAT_EQ(Vec2().Length(), 0.0f);
    EXPECT_EQ(Vec2::FromPoints(Vec2(1.0f, 2.0f), Vec2(4.0f, -2.0f)), Vec2(3.0f, -4.0f));
}

TEST(Vec2, DirectionAndRotationKeepTheLength) {
    Vec2 v(0.0f, -2.0f);
    EXPECT_FLOAT_EQ(v.Direction(), static_cast<float>(-std::numbers::pi / 2.0));
    v.SetDirection(0.0f);
    EXPECT_NEAR(v.X(), 2.0f, 1e-6f);
    EXPECT_NEAR(v.Y(), 0.0f, 1e-6f);
    v.Rotate(static_cast<float>(std::numbers::pi / 2.0));
    EXPECT_NEAR(v.X(), 0.0f, 1e-6f);
    EXPECT_NEAR(v.Y(), 2.0f, 1e-6f);
    EXPECT_FLOAT_EQ(v.Length(), 2.0f);
}

TEST(Vec2, SetLengthScalesOrStartsAlongX) {
    Vec2 v(3.0f, 4.0f);
    v.SetLength(10.0f);
    EXPECT_FLOAT_EQ(v.X(), 6.0f);
    EXPECT_FLOAT_EQ(v.Y(), 8.0f);
    Vec2 zero;
    zero.SetLength(7.0f);
    EXPECT_EQ(zero, Vec2(7.0f, 0.0f));
    Vec2 tiny(1e-8f, 0.0f);
    tiny.SetLength(2.0f);
    EXPECT_EQ(tiny, Vec2(2.0f, 0.0f));
}

TEST(Rect2, ExtendUnionAndExtents) {
    Rect2 r;
    r.Set(Vec2(5.0f, 5.0f));
    EXPECT_FLOAT_EQ(r.Width(), 0.0f);
    r.Extend(Vec2(1.0f, 9.0f));
    r.Extend(Vec2(8.0f, 3.0f));
    EXPECT_EQ(r, Rect2(1.0f, 8.0f, 3.0f, 9.0f));
    EXPECT_FLOAT_EQ(r.Width(), 7.0f);
    EXPECT_FLOAT_EQ(r.Height(), 6.0f);
    EXPECT_EQ(r.Centre(), Vec2(4.5f, 6.0f));

    r.Union(Rect2(-2.0f, 0.0f, 4.0f, 12.0f));
    EXPECT_EQ(r, Rect2(-2.0f, 8.0f, 3.0f, 12.0f));
    EXPECT_FLOAT_EQ(r.Width(), 10.0f);
    EXPECT_FLOAT_EQ(r.Height(), 9.0f);

    // The empty box is at the origin, so extending it takes the origin in.
    Rect2 fromEmpty;
    fromEmpty.Extend(Vec2(3.0f, 2.0f));
    EXPECT_EQ(fromEmpty, Rect2(0.0f, 3.0f, 0.0f, 2.0f));
}

TEST(Rect2, EdgesCountForContainsAndIntersects) {
    const Rect2 box(0.0f, 10.0f, 0.0f, 5.0f);
    EXPECT_TRUE(box.Contains(Vec2(10.0f, 5.0f)));
    EXPECT_TRUE(box.Contains(Vec2(0.0f, 2.0f)));
    EXPECT_FALSE(box.Contains(Vec2(10.01f, 2.0f)));
    EXPECT_FALSE(box.Contains(Vec2(5.0f, -0.01f)));

    EXPECT_TRUE(box.Intersects(Rect2(10.0f, 20.0f, 0.0f, 5.0f)));  // shares the right edge
    EXPECT_TRUE(box.Intersects(Rect2(-5.0f, 0.0f, 5.0f, 9.0f)));   // shares one corner
    EXPECT_TRUE(box.Intersects(Rect2(2.0f, 3.0f, 1.0f, 2.0f)));    // inside
    EXPECT_TRUE(box.Intersects(Rect2(-1.0f, 11.0f, -1.0f, 6.0f))); // around
    EXPECT_FALSE(box.Intersects(Rect2(10.5f, 20.0f, 0.0f, 5.0f)));
    EXPECT_FALSE(box.Intersects(Rect2(0.0f, 10.0f, 5.5f, 9.0f)));
    EXPECT_FALSE(box.Intersects(Rect2(-4.0f, -1.0f, 0.0f, 5.0f)));
    EXPECT_FALSE(box.Intersects(Rect2(0.0f, 10.0f, -3.0f, -0.5f)));
}

TEST(Rect2, ScaleAboutCentreKeepsTheCentre) {
    Rect2 r(0.0f, 10.0f, 0.0f, 4.0f);
    r.ScaleAboutCentre(2.0f);
    EXPECT_EQ(r, Rect2(-5.0f, 15.0f, -2.0f, 6.0f));
    EXPECT_FLOAT_EQ(r.Width(), 20.0f);
    r.ScaleAboutCentre(0.5f);
    EXPECT_EQ(r, Rect2(0.0f, 10.0f, 0.0f, 4.0f));
}

TEST(Rgb8, DefaultsToBlackAndComparesAllThreeBytes) {
    Rgb8 c;
    EXPECT_EQ(c, Rgb8(0, 0, 0));
    c.Set(10, 20, 30);
    EXPECT_EQ(c.r, 10);
    EXPECT_EQ(c.g, 20);
    EXPECT_EQ(c.b, 30);
    EXPECT_FALSE(c == Rgb8(10, 20, 31));
    EXPECT_FALSE(c == Rgb8(11, 20, 30));
    EXPECT_FALSE(c == Rgb8(10, 21, 30));
}
