#pragma once

// A point or a vector in the plane, 32-bit floats. The length is cached because hit tests and
// path drawing ask for it repeatedly; every write goes through a setter so the cache stays true.
class Vec2 {
public:
    Vec2() = default;
    Vec2(float x, float y) : x_(x), y_(y), lengthDirty_(true) {}

    // The vector that leads from a to b.
    static Vec2 FromPoints(const Vec2& a, const Vec2& b);

    float X() const { return x_; }
    float Y() const { return y_; }
    void SetX(float x);
    void SetY(float y);
    void Set(float x, float y);

    float Length() const;
    // Radians in (-pi, pi], measured from the positive x axis towards positive y.
    float Direction() const;
    // Keeps the length and points the vector at angle (radians).
    void SetDirection(float angle);
    void Rotate(float deltaAngle);
    // A vector too short to have a direction becomes (length, 0).
    void SetLength(float length);

    Vec2 operator+(const Vec2& o) const { return Vec2(x_ + o.x_, y_ + o.y_); }
    Vec2 operator-(const Vec2& o) const { return Vec2(x_ - o.x_, y_ - o.y_); }
    Vec2 operator*(float f) const { return Vec2(x_ * f, y_ * f); }
    bool operator==(const Vec2& o) const { return x_ == o.x_ && y_ == o.y_; }

private:
    float x_ = 0.0f;
    float y_ = 0.0f;
    mutable float length_ = 0.0f;
    mutable bool lengthDirty_ = false;
};
