#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

void ExpectPoint(const Vec2& p, float x, float y) {
    EXPECT_NEAR(p.X(), x, 1e-4f);
    EXPECT_NEAR(p.Y(), y, 1e-4f);
}

} // namespace

TEST(Matrix3, PointsMapAsRowVectorsAndProductAppliesLeftFirst) {
    Matrix3 m;
    m.Set(2.0, 3.0, 5.0, 7.0, 11.0, 13.0);
    // (x, y) -> (x*m11 + y*m21 + m31, x*m12 + y*m22 + m32)
    ExpectPoint(m.TransformPoint(Vec2(1.0f, 10.0f)), 1 * 2 + 10 * 5 + 11, 1 * 3 + 10 * 7 + 13);
    ExpectPoint(m.TransformVector(Vec2(1.0f, 10.0f)), 1 * 2 + 10 * 5, 1 * 3 + 10 * 7);

    // Scale then move: the scale must not act on the translation.
    const Matrix3 scaleThenMove = Matrix3::Scaling(2.0, 3.0) * Matrix3::Translation(10.0, 20.0);
    ExpectPoint(scaleThenMove.TransformPoint(Vec2(1.0f, 1.0f)), 12.0f, 23.0f);
    const Matrix3 moveThenScale =
        Matrix3::Product(Matrix3::Translation(10.0, 20.0), Matrix3::Scaling(2.0, 3.0));
    ExpectPoint(moveThenScale.TransformPoint(Vec2(1.0f, 1.0f)), 22.0f, 63.0f);
}

TEST(Matrix3, FromPartsScalesThenTurnsThenMoves) {
    const Matrix3 m = Matrix3::FromParts(kPi / 2.0, 100.0, 50.0, 2.0, 3.0);
    // (1, 0) scaled -> (2, 0), turned a quarter counter-clockwise -> (0, 2), moved -> (100, 52).
    ExpectPoint(m.TransformPoint(Vec2(1.0f, 0.0f)), 100.0f, 52.0f);
    // (0, 1) -> (0, 3) -> (-3, 0) -> (97, 50).
    ExpectPoint(m.TransformPoint(Vec2(0.0f, 1.0f)), 97.0f, 50.0f);
    EXPECT_DOUBLE_EQ(m.At(2, 2), 1.0);
    EXPECT_DOUBLE_EQ(m.At(0, 2), 0.0);
    EXPECT_DOUBLE_EQ(m.At(1, 2), 0.0);
}

TEST(Matrix3, InverseUndoesTheTransform) {
    const Matrix3 m = Matrix3::FromParts(0.7, -30.0, 12.5, 1.5, 0.5);
    Matrix3 inv;
    ASSERT_TRUE(m.Inverse(inv));
    EXPECT_TRUE(Matrix3::Product(m, inv).Equals(Matrix3::Identity()));
    EXPECT_TRUE(Matrix3::Product(inv, m).Equals(Matrix3::Identity()));
    const Vec2 p(3.25f, -8.0f);
    ExpectPoint(inv.TransformPoint(m.TransformPoint(p)), p.X(), p.Y());

    Matrix3 inPlace = m;
    ASSERT_TRUE(inPlace.Invert());
    EXPECT_TRUE(inPlace.Equals(inv));
}

TEST(Matrix3, SingularMatrixDoesNotInvertAndStaysUnchanged) {
    Matrix3 m;
    m.Set(2.0, 4.0, 1.0, 2.0, 5.0, 6.0); // m11*m22 == m12*m21
    const Matrix3 before = m;
    EXPECT_FALSE(m.Invert());
    EXPECT_TRUE(m.Equals(before));
    EXPECT_DOUBLE_EQ(m.m31(), 5.0);

    Matrix3 out = Matrix3::Translation(7.0, 8.0);
    EXPECT_FALSE(m.Inverse(out));
    EXPECT_TRUE(out.Equals(Matrix3::Translation(7.0, 8.0)));
}

TEST(Matrix3, EqualsToleratesRoundingButNotRealDifferences) {
    Matrix3 a;
    a.Set(1.0, 2.0, 3.0, 4.0, 5.0, 6.0);
    Matrix3 b;
    b.Set(1.0 + 1e-7, 2.0 - 1e-7, 3.0 + 1e-7, 4.0, 5.0 - 1e-7, 6.0 + 1e-7);
    EXPECT_TRUE(a.Equals(b));
    b.SetAt(2, 1, 6.0 + 1e-5);
    EXPECT_FALSE(a.Equals(b));
    b = a;
    b.SetAt(0, 2, 0.5); // the third column counts too
    EXPECT_FALSE(a.Equals(b));
}

TEST(Matrix3, AngleOfTheImagedXAxis) {
    EXPECT_FLOAT_EQ(Matrix3::Identity().Angle(0.0f, false), 0.0f);
    EXPECT_FLOAT_EQ(Matrix3().Angle(0.0f, false), 0.0f);
    EXPECT_FLOAT_EQ(Matrix3::Rotation(-kPi / 2.0).Angle(0.0f, false), static_cast<float>(3.0 * kPi / 2.0));
    EXPECT_FLOAT_EQ(Matrix3::Rotation(kPi / 2.0).Angle(0.0f, false), static_cast<float>(kPi / 2.0));
    EXPECT_FLOAT_EQ(Matrix3::Scaling(-1.0, 1.0).Angle(0.0f, false), static_cast<float>(kPi));
    // Negative angles come back in [0, 2 pi).
    EXPECT_FLOAT_EQ(Matrix3::Rotation(-0.5).Angle(0.0f, false), static_cast<float>(2.0 * kPi - 0.5));
    // Translation and uniform scale do not change it.
    EXPECT_FLOAT_EQ(Matrix3::FromParts(1.0, 40.0, -7.0, 3.0, 3.0).Angle(0.0f, false), 1.0f);
    // The offset is added after the cached value.
    const Matrix3 r = Matrix3::Rotation(1.0);
    EXPECT_FLOAT_EQ(r.Angle(0.25f, false), 1.25f);
    EXPECT_FLOAT_EQ(r.Angle(0.0f, false), 1.0f);
}

TEST(Matrix3, FlippedAngleIsNotConfusedWithTheUnflippedOne) {
    const Matrix3 r = Matrix3::Rotation(1.0);
    EXPECT_FLOAT_EQ(r.Angle(0.0f, true), static_cast<float>(2.0 * kPi - 1.0));
    EXPECT_FLOAT_EQ(r.Angle(0.0f, false), 1.0f);
    EXPECT_FLOAT_EQ(r.Angle(0.0f, true), static_cast<float>(2.0 * kPi - 1.0));
    EXPECT_FLOAT_EQ(Matrix3::Rotation(kPi / 2.0).Angle(0.0f, true), static_cast<float>(3.0 * kPi / 2.0));
}

TEST(Matrix3, CachesFollowEveryChange) {
    Matrix3 m = Matrix3::Rotation(0.5);
    EXPECT_FLOAT_EQ(m.Angle(0.0f, false), 0.5f);
    EXPECT_FLOAT_EQ(m.ScaleFactor(1.0f), 1.0f);
    m.Set(0.0, 2.0, -2.0, 0.0, 0.0, 0.0);
    EXPECT_FLOAT_EQ(m.Angle(0.0f, false), static_cast<float>(kPi / 2.0));
    EXPECT_FLOAT_EQ(m.ScaleFactor(1.0f), 2.0f);
    m.SetAt(0, 0, -2.0);
    m.SetAt(0, 1, 0.0);
    EXPECT_FLOAT_EQ(m.Angle(0.0f, false), static_cast<float>(kPi));
    m.SetAt(1, 0, 0.0);
    m.SetAt(1, 1, 2.0);
    ASSERT_TRUE(m.Invert());
    EXPECT_FLOAT_EQ(m.ScaleFactor(1.0f), 0.5f);
    m = Matrix3::Identity();
    EXPECT_FLOAT_EQ(m.Angle(0.0f, false), 0.0f);
    EXPECT_FLOAT_EQ(m.ScaleFactor(4.0f), 4.0f);
}

TEST(Matrix3, DirectionIsSignedAndUncached) {
    EXPECT_FLOAT_EQ(Matrix3::Rotation(-kPi / 2.0).Direction(), static_cast<float>(-kPi / 2.0));
    EXPECT_FLOAT_EQ(Matrix3::Scaling(-1.0, 1.0).Direction(), static_cast<float>(kPi));
    Matrix3 m = Matrix3::Rotation(0.3);
    EXPECT_FLOAT_EQ(m.Direction(), 0.3f);
    m.SetAt(0, 1, -m.At(0, 1));
    EXPECT_FLOAT_EQ(m.Direction(), -0.3f);
}

TEST(Matrix3, ScaleFactorMeasuresUniformScaleWithRotation) {
    EXPECT_FLOAT_EQ(Matrix3::FromParts(0.8, 5.0, 5.0, 2.5, 2.5).ScaleFactor(1.0f), 2.5f);
    EXPECT_FLOAT_EQ(Matrix3::FromParts(0.8, 5.0, 5.0, 2.5, 2.5).ScaleFactor(64.0f), 160.0f);
    EXPECT_FLOAT_EQ(Matrix3::Scaling(2.0, 2.0).ScaleFactor(1e-7f), 0.0f);
    // Unequal scales measure the image of the diagonal.
    EXPECT_FLOAT_EQ(Matrix3::Scaling(3.0, 1.0).ScaleFactor(1.0f), static_cast<float>(std::sqrt(5.0)));
}

TEST(Matrix3, GetReturnsWhatSetStored) {
    Matrix3 m;
    m.Set(1.5f, -2.25f, 3.0f, 0.125f, -100.0f, 64.0f);
    float f[6];
    m.Get(f[0], f[1], f[2], f[3], f[4], f[5]);
    const float expectF[6] = {1.5f, -2.25f, 3.0f, 0.125f, -100.0f, 64.0f};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(f[i], expectF[i]) << i;
    }
    m.Set(0.1, 0.2, 0.3, 0.4, 0.5, 0.6);
    double d[6];
    m.Get(d[0], d[1], d[2], d[3], d[4], d[5]);
    const double expectD[6] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(d[i], expectD[i]) << i;
    }
    EXPECT_EQ(m.m11(), 0.1);
    EXPECT_EQ(m.m22(), 0.4);
    EXPECT_EQ(m.m32(), 0.6);
}
