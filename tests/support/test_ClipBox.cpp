#include "support/ClipBox.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

// Twice the signed area of a closed polygon (shoelace).
double TwiceArea(const std::vector<PlanePoint>& polygon) {
    double sum = 0.0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const PlanePoint& a = polygon[i];
        const PlanePoint& b = polygon[(i + 1) % polygon.size()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

TEST(ClipBox, PolygonInsideComesBackUnchangedAndOneAcrossKeepsTheAreaInside) {
    const ClipBox box = ClipBox::AroundCanvas(100, 50, 0.0); // 0 .. 99, 0 .. 49
    const std::vector<PlanePoint> inside = {{10, 5}, {90, 5}, {50, 40}};
    const std::vector<PlanePoint> same = box.ClipPolygon(inside.data(), 3);
    ASSERT_EQ(same.size(), inside.size());
    for (std::size_t i = 0; i < inside.size(); ++i) {
        EXPECT_EQ(same[i].x, inside[i].x);
        EXPECT_EQ(same[i].y, inside[i].y);
    }
    // A square 4e22 pixels across around the box leaves the box itself; one beside it leaves nothing.
    const std::vector<PlanePoint> huge = {{-2e22, -2e22}, {2e22, -2e22}, {2e22, 2e22}, {-2e22, 2e22}};
    EXPECT_DOUBLE_EQ(TwiceArea(box.ClipPolygon(huge.data(), 4)), 2.0 * 99 * 49);
    const std::vector<PlanePoint> beside = {{120, 0}, {1e22, 0}, {1e22, 30}};
    EXPECT_TRUE(box.ClipPolygon(beside.data(), 3).empty());
}

TEST(ClipBox, CutsFromFarPointsLandOnTheEdgeAndOnTheLine) {
    const ClipBox box = ClipBox::AroundCanvas(96, 64, 1.0); // -1 .. 96, -1 .. 64
    // From 1.9e22 pixels away towards a point on the canvas, rising one pixel per 1e21.
    const PlanePoint far{1.9e22, 30.0 + 19.0}, near{10.0, 30.0};
    const auto cut = box.ClipSegment(far, near);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->first.x, 96.0);
    EXPECT_NEAR(cut->first.y, 30.0 + 86.0 * 1e-21, 1e-9);
    EXPECT_EQ(cut->second.x, near.x);
    EXPECT_EQ(cut->second.y, near.y);
    EXPECT_FALSE(box.ClipSegment({std::numeric_limits<double>::quiet_NaN(), 0.0}, near).has_value());
}

} // namespace
