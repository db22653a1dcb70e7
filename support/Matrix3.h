#pragma once

#include "support/Vec2.h"

// The affine transform of a placed tile, a pre- or post-draw entry, and the view camera.
//
// Row-vector convention: a point (x, y) maps to (x*m11 + y*m21 + m31, x*m12 + y*m22 + m32), so
// A * B applies A first and then B. Every matrix the program builds keeps its third column at
// (0, 0, 1). The angle and scale factor are cached because drawing and hit testing ask for them
// per tile per frame; every write therefore goes through a setter that drops the caches.
class Matrix3 {
public:
    // The identity.
    Matrix3();

    static Matrix3 Identity() { return Matrix3(); }
    // Rows (cos a, sin a, 0) and (-sin a, cos a, 0): counter-clockwise with y up.
    static Matrix3 Rotation(double angle);
    static Matrix3 Scaling(double sx, double sy);
    static Matrix3 Translation(double tx, double ty);
    // Scaling(sx, sy) * Rotation(angle) * Translation(tx, ty): scale, then turn, then move.
    static Matrix3 FromParts(double angle, double tx, double ty, double sx, double sy);
    // The full 3 x 3 product; the result applies a first, then b.
    static Matrix3 Product(const Matrix3& a, const Matrix3& b);

    // Sets the affine part; the third column becomes (0, 0, 1).
    void Set(double m11, double m12, double m21, double m22, double m31, double m32);
    void Get(double& m11, double& m12, double& m21, double& m22, double& m31, double& m32) const;
    void Get(float& m11, float& m12, float& m21, float& m22, float& m31, float& m32) const;

    // Entries by zero-based row and column.
    double At(int row, int col) const { return m_[row][col]; }
    void SetAt(int row, int col, double value);

    double m11() const { return m_[0][0]; }
    double m12() const { return m_[0][1]; }
    double m21() const { return m_[1][0]; }
    double m22() const { return m_[1][1]; }
    double m31() const { return m_[2][0]; }
    double m32() const { return m_[2][1]; }

    // Replaces the matrix by its inverse. A singular matrix reports false and stays as it was.
    bool Invert();
    // Writes the inverse to out; out is untouched when the matrix is singular.
    bool Inverse(Matrix3& out) const;

    Vec2 TransformPoint(const Vec2& p) const;
    // Ignores the translation.
    Vec2 TransformVector(const Vec2& v) const;

    // True when all nine entries differ by less than 1e-6.
    bool Equals(const Matrix3& other) const;

    // Direction of the image of the x axis in [0, 2 pi), plus offset (radians). With flipY the
    // image's y is negated first, for spaces whose y points down.
    float Angle(float offset, bool flipY) const;
    // Direction of the image of the x axis in (-pi, pi], not cached.
    float Direction() const;
    // x times the length the matrix gives a unit diagonal vector; 0 for |x| < 1e-6.
    float ScaleFactor(float x) const;

    Matrix3 operator*(const Matrix3& b) const { return Product(*this, b); }

private:
    void DropCaches();
    double ComputeAngle(bool flipY) const;

    double m_[3][3];
    // One cached angle per flip setting: a single slot would hand a flipped angle to a caller
    // that asked for the unflipped one.
    mutable double angle_[2];
    mutable bool angleValid_[2];
    mutable double scale_;
    mutable bool scaleValid_;
};
