#include "support/Vec2.h"

#include <cmath>

namespace {
constexpr float kTinyLength = 1e-6f;
}

Vec2 Vec2::FromPoints(const Vec2& a, const Vec2& b) {
    return Vec2(b.x_ - a.x_, b.y_ - a.y_);
}

void Vec2::SetX(float x) {
    x_ = x;
    lengthDirty_ = true;
}

void Vec2::SetY(float y) {
    y_ = y;
    lengthDirty_ = true;
}

void Vec2::Set(float x, float y) {
    x_ = x;
    y_ = y;
    lengthDirty_ = true;
}

float Vec2::Length() const {
    if (lengthDirty_) {
        length_ = std::sqrt(x_ * x_ + y_ * y_);
        lengthDirty_ = false;
    }
    return length_;
}

float Vec2::Direction() const {
    return std::atan2(y_, x_);
}

void Vec2::SetDirection(float angle) {
    const float length = Length();
    Set(length * std::cos(angle), length * std::sin(angle));
}

void Vec2::Rotate(float deltaAngle) {
    SetDirection(Direction() + deltaAngle);
}

void Vec2::SetLength(float length) {
    const float current = Length();
    if (current < kTinyLength) {
        Set(length, 0.0f);
        return;
    }
    const float f = length / current;
    Set(x_ * f, y_ * f);
}
