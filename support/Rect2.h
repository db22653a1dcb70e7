#pragma once

#include "support/Vec2.h"

// An axis-aligned box in floats. The empty box is all zeros; start a box from a point with Set
// before extending it, or the origin becomes part of it. Width and height are cached because
// layout and hit tests ask for them often.
class Rect2 {
public:
    Rect2() = default;
    Rect2(float minX, float maxX, float minY, float maxY);

    float MinX() const { return minX_; }
    float MaxX() const { return maxX_; }
    float MinY() const { return minY_; }
    float MaxY() const { return maxY_; }

    void Set(float minX, float maxX, float minY, float maxY);
    // Collapses the box onto one point.
    void Set(const Vec2& point);
    void Extend(const Vec2& point);
    void Union(const Rect2& other);

    float Width() const;
    float Height() const;
    Vec2 Centre() const;

    // Edges count as inside, so a point on the border of a tile hits it.
    bool Contains(const Vec2& point) const;
    // Boxes that only touch still intersect.
    bool Intersects(const Rect2& other) const;
    // Grows (f > 1) or shrinks each extent by the factor, keeping the centre.
    void ScaleAboutCentre(float f);

    bool operator==(const Rect2& o) const {
        return minX_ == o.minX_ && maxX_ == o.maxX_ && minY_ == o.minY_ && maxY_ == o.maxY_;
    }

private:
    void UpdateExtents() const;

    float minX_ = 0.0f;
    float maxX_ = 0.0f;
    float minY_ = 0.0f;
    float maxY_ = 0.0f;
    mutable float width_ = 0.0f;
    mutable float height_ = 0.0f;
    mutable bool extentsDirty_ = false;
};
