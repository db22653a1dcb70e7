#include "tools/SampleMatrix.h"

#include "support/WString.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

SampleMatrix SampleMatrix::Translate(double x, double y) {
    SampleMatrix m;
    m.m31 = x;
    m.m32 = y;
    return m;
}

SampleMatrix SampleMatrix::Scale(double sx, double sy) {
    SampleMatrix m;
    m.m11 = sx;
    m.m22 = sy;
    return m;
}

SampleMatrix SampleMatrix::RotateDegrees(double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    SampleMatrix m;
    m.m11 = std::cos(a);
    m.m12 = std::sin(a);
    m.m21 = -std::sin(a);
    m.m22 = std::cos(a);
    return m;
}

SampleMatrix SampleMatrix::QuarterTurnAt(int quarterTurns, double width, double height, double x, double y) {
    SampleMatrix m;
    switch (((quarterTurns % 4) + 4) % 4) {
    case 0:
        m.m31 = x;
        m.m32 = y;
        break;
    case 1: // image x runs up, image y runs left: the corner lands at the box's right edge
        m = {0, 1, -1, 0, x + height, y};
        break;
    case 2:
        m = {-1, 0, 0, -1, x + width, y + height};
        break;
    default: // image x runs down, image y runs right
        m = {0, -1, 1, 0, x, y + width};
        break;
    }
    return m;
}

SampleMatrix SampleMatrix::Then(const SampleMatrix& b) const {
    SampleMatrix r;
    r.m11 = m11 * b.m11 + m12 * b.m21;
    r.m12 = m11 * b.m12 + m12 * b.m22;
    r.m21 = m21 * b.m11 + m22 * b.m21;
    r.m22 = m21 * b.m12 + m22 * b.m22;
    r.m31 = m31 * b.m11 + m32 * b.m21 + b.m31;
    r.m32 = m31 * b.m12 + m32 * b.m22 + b.m32;
    return r;
}

std::string SampleMatrix::Encoded() const {
    const double values[6] = {m11, m12, m21, m22, m31, m32};
    std::uint8_t bytes[24];
    for (int i = 0; i < 6; ++i) {
        // Snap values that are zero up to rounding noise (sin of 180 degrees), so files stay readable.
        const double v = std::fabs(values[i]) < 1e-12 ? 0.0 : values[i];
        const float f = static_cast<float>(v);
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        for (int b = 0; b < 4; ++b)
            bytes[i * 4 + b] = static_cast<std::uint8_t>(bits >> (8 * b));
    }
    return WString::EncodeBytes(bytes, sizeof bytes).ToUtf8();
}
