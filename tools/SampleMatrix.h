#pragma once

#include <string>

// A 2-D affine transform in the row-vector convention of the map files: a point (x, y) maps to
// (x*m11 + y*m21 + m31, x*m12 + y*m22 + m32), and A.Then(B) applies A first.
struct SampleMatrix {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, m31 = 0, m32 = 0;

    static SampleMatrix Translate(double x, double y);
    static SampleMatrix Scale(double sx, double sy);
    static SampleMatrix RotateDegrees(double degrees);
    // A quarter turn (0, 90, 180, 270 degrees, counter-clockwise with y up) of a W x H image that keeps
    // the turned image inside the box whose lower-left corner is the cell corner (x, y).
    static SampleMatrix QuarterTurnAt(int quarterTurns, double width, double height, double x, double y);

    SampleMatrix Then(const SampleMatrix& next) const;

    // The 38-character text of the six values as 32-bit little-endian floats.
    std::string Encoded() const;
};
