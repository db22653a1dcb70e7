#include "support/Matrix3.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double kTiny = 1e-6;
constexpr double kProbe = 1000.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;
} // namespace

Matrix3::Matrix3()
    : m_{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}, angle_{0.0, 0.0}, angleValid_{true, true},
      scale_(1.0), scaleValid_(true) {}

Matrix3 Matrix3::Rotation(double angle) {
    Matrix3 r;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    r.Set(c, s, -s, c, 0.0, 0.0);
    return r;
}

Matrix3 Matrix3::Scaling(double sx, double sy) {
    Matrix3 r;
    r.Set(sx, 0.0, 0.0, sy, 0.0, 0.0);
    return r;
}

Matrix3 Matrix3::Translation(double tx, double ty) {
    Matrix3 r;
    r.Set(1.0, 0.0, 0.0, 1.0, tx, ty);
    return r;
}

Matrix3 Matrix3::FromParts(double angle, double tx, double ty, double sx, double sy) {
    return Product(Product(Scaling(sx, sy), Rotation(angle)), Translation(tx, ty));
}

Matrix3 Matrix3::Product(const Matrix3& a, const Matrix3& b) {
    Matrix3 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r.m_[i][j] = a.m_[i][0] * b.m_[0][j] + a.m_[i][1] * b.m_[1][j] + a.m_[i][2] * b.m_[2][j];
        }
    }
    r.DropCaches();
    return r;
}

void Matrix3::DropCaches() {
    angleValid_[0] = false;
    angleValid_[1] = false;
    scaleValid_ = false;
}

void Matrix3::Set(double m11, double m12, double m21, double m22, double m31, double m32) {
    m_[0][0] = m11;
    m_[0][1] = m12;
    m_[0][2] = 0.0;
    m_[1][0] = m21;
    m_[1][1] = m22;
    m_[1][2] = 0.0;
    m_[2][0] = m31;
    m_[2][1] = m32;
    m_[2][2] = 1.0;
    DropCaches();
}

void Matrix3::Get(double& m11, double& m12, double& m21, double& m22, double& m31, double& m32) const {
    m11 = m_[0][0];
    m12 = m_[0][1];
    m21 = m_[1][0];
    m22 = m_[1][1];
    m31 = m_[2][0];
    m32 = m_[2][1];
}

void Matrix3::Get(float& m11, float& m12, float& m21, float& m22, float& m31, float& m32) const {
    m11 = static_cast<float>(m_[0][0]);
    m12 = static_cast<float>(m_[0][1]);
    m21 = static_cast<float>(m_[1][0]);
    m22 = static_cast<float>(m_[1][1]);
    m31 = static_cast<float>(m_[2][0]);
    m32 = static_cast<float>(m_[2][1]);
}

void Matrix3::SetAt(int row, int col, double value) {
    m_[row][col] = value;
    DropCaches();
}

bool Matrix3::Inverse(Matrix3& out) const {
    const double det = m_[0][0] * m_[1][1] - m_[0][1] * m_[1][0];
    if (det == 0.0) {
        return false;
    }
    const auto& m = m_;
    // Adjugate (transposed cofactors) of the full 3 x 3 matrix.
    const double adj[3][3] = {
        {m[1][1] * m[2][2] - m[1][2] * m[2][1], m[0][2] * m[2][1] - m[0][1] * m[2][2],
         m[0][1] * m[1][2] - m[0][2] * m[1][1]},
        {m[1][2] * m[2][0] - m[1][0] * m[2][2], m[0][0] * m[2][2] - m[0][2] * m[2][0],
         m[0][2] * m[1][0] - m[0][0] * m[1][2]},
        {m[1][0] * m[2][1] - m[1][1] * m[2][0], m[0][1] * m[2][0] - m[0][0] * m[2][1],
         m[0][0] * m[1][1] - m[0][1] * m[1][0]},
    };
    Matrix3 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r.m_[i][j] = adj[i][j] / det;
        }
    }
    r.DropCaches();
    out = r;
    return true;
}

bool Matrix3::Invert() {
    return Inverse(*this);
}

Vec2 Matrix3::TransformPoint(const Vec2& p) const {
    const double x = p.X();
    const double y = p.Y();
    return Vec2(static_cast<float>(x * m_[0][0] + y * m_[1][0] + m_[2][0]),
                static_cast<float>(x * m_[0][1] + y * m_[1][1] + m_[2][1]));
}

Vec2 Matrix3::TransformVector(const Vec2& v) const {
    const double x = v.X();
    const double y = v.Y();
    return Vec2(static_cast<float>(x * m_[0][0] + y * m_[1][0]),
                static_cast<float>(x * m_[0][1] + y * m_[1][1]));
}

bool Matrix3::Equals(const Matrix3& other) const {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (!(std::fabs(m_[i][j] - other.m_[i][j]) < kTiny)) {
                return false;
            }
        }
    }
    return true;
}

double Matrix3::ComputeAngle(bool flipY) const {
    // Images of (1000, 0) and (0, 0), in double as the cache keeps them.
    const double x1 = kProbe * m_[0][0] + m_[2][0];
    const double y1 = kProbe * m_[0][1] + m_[2][1];
    double dx = (x1 - m_[2][0]) / kProbe;
    double dy = (y1 - m_[2][1]) / kProbe;
    if (flipY) {
        dy = -dy;
    }
    if (std::fabs(dx) < kTiny) {
        return dy > 0.0 ? std::numbers::pi / 2.0 : 3.0 * std::numbers::pi / 2.0;
    }
    if (std::fabs(dy) < kTiny) {
        return dx > 0.0 ? 0.0 : std::numbers::pi;
    }
    // Rounded to float before normalising, so the result matches what files stored earlier.
    double angle = static_cast<float>(std::atan2(dy, dx));
    if (angle < 0.0) {
        angle += kTwoPi;
    }
    return angle;
}

float Matrix3::Angle(float offset, bool flipY) const {
    const int slot = flipY ? 1 : 0;
    if (!angleValid_[slot]) {
        angle_[slot] = ComputeAngle(flipY);
        angleValid_[slot] = true;
    }
    return static_cast<float>(angle_[slot] + offset);
}

float Matrix3::Direction() const {
    return static_cast<float>(std::atan2(kProbe * m_[0][1], kProbe * m_[0][0]));
}

float Matrix3::ScaleFactor(float x) const {
    if (std::fabs(x) < kTiny) {
        return 0.0f;
    }
    if (!scaleValid_) {
        const double d = kProbe / std::numbers::sqrt2;
        const double vx = d * m_[0][0] + d * m_[1][0];
        const double vy = d * m_[0][1] + d * m_[1][1];
        scale_ = std::sqrt(vx * vx + vy * vy) / kProbe;
        scaleValid_ = true;
    }
    return static_cast<float>(x * scale_);
}
