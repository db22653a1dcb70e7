#include "support/Rect2.h"

#include <algorithm>
#include <cmath>

Rect2::Rect2(float minX, float maxX, float minY, float maxY)
    : minX_(minX), maxX_(maxX), minY_(minY), maxY_(maxY), extentsDirty_(true) {}

void Rect2::Set(float minX, float maxX, float minY, float maxY) {
    minX_ = minX;
    maxX_ = maxX;
    minY_ = minY;
    maxY_ = maxY;
    extentsDirty_ = true;
}

void Rect2::Set(const Vec2& point) {
    Set(point.X(), point.X(), point.Y(), point.Y());
}

void Rect2::Extend(const Vec2& point) {
    if (point.X() < minX_) {
        minX_ = point.X();
    } else if (point.X() > maxX_) {
        maxX_ = point.X();
    }
    if (point.Y() < minY_) {
        minY_ = point.Y();
    } else if (point.Y() > maxY_) {
        maxY_ = point.Y();
    }
    extentsDirty_ = true;
}

void Rect2::Union(const Rect2& other) {
    Set(std::min(minX_, other.minX_), std::max(maxX_, other.maxX_), std::min(minY_, other.minY_),
        std::max(maxY_, other.maxY_));
}

void Rect2::UpdateExtents() const {
    if (!extentsDirty_) {
        return;
    }
    width_ = std::fabs(maxX_ - minX_);
    height_ = std::fabs(maxY_ - minY_);
    extentsDirty_ = false;
}

float Rect2::Width() const {
    UpdateExtents();
    return width_;
}

float Rect2::Height() const {
    UpdateExtents();
    return height_;
}

Vec2 Rect2::Centre() const {
    return Vec2((minX_ + maxX_) * 0.5f, (minY_ + maxY_) * 0.5f);
}

bool Rect2::Contains(const Vec2& point) const {
    return point.X() >= minX_ && point.X() <= maxX_ && point.Y() >= minY_ && point.Y() <= maxY_;
}

bool Rect2::Intersects(const Rect2& other) const {
    if (other.maxX_ < minX_ || other.minX_ > maxX_) {
        return false;
    }
    if (other.maxY_ < minY_ || other.minY_ > maxY_) {
        return false;
    }
    return true;
}

void Rect2::ScaleAboutCentre(float f) {
    const float w = Width();
    const float h = Height();
    const float growX = (w * f - w) * 0.5f;
    const float growY = (h * f - h) * 0.5f;
    Set(minX_ - growX, maxX_ + growX, minY_ - growY, maxY_ + growY);
}
