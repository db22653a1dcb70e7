// Whole-buffer checks of drawing one canvas into another under a matrix, on pictures small enough to
// work out by hand.

#include "raster/BlendTable.h"
#include "raster/DrawTransformed.h"
#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"
#include "test_DrawTransformedHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

using namespace drawtest;

int T(int v, int w) {
    return BlendTable::Get().Lookup(v, w);
}

Matrix3 Affine(double m11, double m12, double m21, double m22, double m31, double m32) {
    Matrix3 m;
    m.Set(m11, m12, m21, m22, m31, m32);
    return m;
}

// Colour bytes of a canvas in stored order, alpha left out.
std::vector<int> Colours(RasterCanvas& canvas) {
    std::vector<int> out;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            for (int k = 0; k < 3; ++k) {
                out.push_back(PixelAt(canvas, x, y)[k]);
            }
        }
    }
    return out;
}

void SetColour(RasterCanvas& canvas, int x, int y, int b, int g, int r) {
    std::uint8_t* p = PixelAt(canvas, x, y);
    p[0] = std::uint8_t(b), p[1] = std::uint8_t(g), p[2] = std::uint8_t(r);
}

void FillColour(RasterCanvas& canvas, int b, int g, int r, int a = 255) {
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            SetColour(canvas, x, y, b, g, r);
            if (canvas.BytesPerPixel() == 4) {
                PixelAt(canvas, x, y)[3] = std::uint8_t(a);
            }
        }
    }
}

TEST(DrawTransformed, PlainIdentityCopiesTheSourceExactly) {
    std::mt19937 rng(1);
    auto src = MakeCanvas(7, 5, 3);
    FillRandom(*src, rng);
    for (int dstBytes : {3, 4}) {
        auto dst = MakeCanvas(7, 5, dstBytes);
        FillRandom(*dst, rng);
        src->DrawTransformed(*dst, Matrix3::Identity(), true, 0, false, 0, 1.0f);
        EXPECT_EQ(Colours(*dst), Colours(*src));
    }
}

TEST(DrawTransformed, SmoothIdentityAveragesEachPixelWithItsLowerLeftNeighbours) {
    std::mt19937 rng(2);
    auto src = MakeCanvas(6, 4, 3);
    FillRandom(*src, rng);
    auto dst = MakeCanvas(6, 4, 3);
    src->DrawTransformed(*dst, Matrix3::Identity(), false, 0, false, 0, 1.0f);
    std::vector<int> expected;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            for (int k = 0; k < 3; ++k) {
                int sum = 0;
                for (int j : {y - 1, y}) {
                    for (int i : {x - 1, x}) {
                        sum += PixelAt(*src, std::max(i, 0), std::max(j, 0))[k];
                    }
                }
                expected.push_back(sum / 4);
            }
        }
    }
    EXPECT_EQ(Colours(*dst), expected);
}

TEST(DrawTransformed, FourfoldEnlargementDrawsSharpTexelsEvenWhenSmoothingIsAsked) {
    std::mt19937 rng(3);
    for (int srcBytes : {3, 4}) {
        auto src = MakeCanvas(3, 2, srcBytes);
        FillRandom(*src, rng);
        if (srcBytes == 4) {
            for (int y = 0; y < 2; ++y) {
                for (int x = 0; x < 3; ++x) {
                    PixelAt(*src, x, y)[3] = 255;
                }
            }
        }
        auto dst = MakeCanvas(12, 8, 4);
        src->DrawTransformed(*dst, Matrix3::Scaling(4, 4), false, 0, false, 0, 1.0f);
        std::vector<int> expected;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 12; ++x) {
                for (int k = 0; k < 3; ++k) {
                    expected.push_back(PixelAt(*src, x / 4, y / 4)[k]);
                }
            }
        }
        EXPECT_EQ(Colours(*dst), expected) << srcBytes << " bytes per pixel";
    }
}

TEST(DrawTransformed, HalfSizeDrawSamplesTheFirstHalfSizeLevel) {
    std::mt19937 rng(4);
    auto src = MakeCanvas(16, 16, 3);
    FillRandom(*src, rng);
    ASSERT_TRUE(src->BuildLevels());
    const RasterLevel& half = src->Level(1);
    ASSERT_TRUE(half.Exists());
    auto dst = MakeCanvas(8, 8, 3);
    src->DrawTransformed(*dst, Matrix3::Scaling(0.5, 0.5), false, 0, false, 0, 1.0f);
    // At half size each destination pixel sits on a level-1 texel corner: the mean of four texels.
    std::vector<int> expected;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            for (int k = 0; k < 3; ++k) {
                int sum = 0;
                for (int j : {y - 1, y}) {
                    for (int i : {x - 1, x}) {
                        sum += half.rows[std::max(j, 0)][std::max(i, 0) * 3 + k];
                    }
                }
                expected.push_back(sum / 4);
            }
        }
    }
    EXPECT_EQ(Colours(*dst), expected);
}

TEST(DrawTransformed, PictureShrunkToOnePixelDrawsNothing) {
    std::mt19937 rng(5);
    auto src = MakeCanvas(10, 10, 3);
    FillRandom(*src, rng);
    auto dst = MakeCanvas(8, 8, 3);
    FillRandom(*dst, rng);
    auto before = Colours(*dst);
    src->DrawTransformed(*dst, Affine(0.01, 0, 0, 0.01, 3, 3), false, 0, false, 0, 1.0f);
    EXPECT_EQ(Colours(*dst), before);
}

TEST(DrawTransformed, TransparentTexelsKeepTheDestinationAndOpaqueOnesReplaceIt) {
    auto src = MakeCanvas(4, 1, 4);
    const int alpha[4] = {0, 255, 0, 255};
    for (int x = 0; x < 4; ++x) {
        SetColour(*src, x, 0, 10 * x + 1, 10 * x + 2, 10 * x + 3);
        PixelAt(*src, x, 0)[3] = std::uint8_t(alpha[x]);
    }
    auto dst = MakeCanvas(4, 3, 3);
    FillColour(*dst, 200, 150, 100);
    // Stretched to three rows so the picture is not a degenerate line.
    src->DrawTransformed(*dst, Matrix3::Scaling(1, 3), true, 0, false, 0, 1.0f);
    std::vector<int> row = {200, 150, 100, 11, 12, 13, 200, 150, 100, 31, 32, 33};
    std::vector<int> expected;
    for (int y = 0; y < 3; ++y) {
        expected.insert(expected.end(), row.begin(), row.end());
    }
    EXPECT_EQ(Colours(*dst), expected);
}

TEST(DrawTransformed, PartialAlphaBlendsThroughTheBlendTableAndScalesWithOpacity) {
    auto src = MakeCanvas(2, 2, 4);
    FillColour(*src, 85, 200, 3, 147);
    auto dst = MakeCanvas(2, 2, 3);
    FillColour(*dst, 10, 20, 30);
    src->DrawTransformed(*dst, Matrix3::Identity(), true, 0, false, 0, 1.0f);
    const int a = 147;
    std::vector<int> pixel = {T(85, a) + T(10, 255 - a), T(200, a) + T(20, 255 - a),
                              T(3, a) + T(30, 255 - a)};
    EXPECT_EQ(Colours(*dst), (std::vector<int>{pixel[0], pixel[1], pixel[2], pixel[0], pixel[1], pixel[2],
                                               pixel[0], pixel[1], pixel[2], pixel[0], pixel[1], pixel[2]}));

    FillColour(*dst, 10, 20, 30);
    src->DrawTransformed(*dst, Matrix3::Identity(), true, 0, false, 0, 0.5f);
    const int half = (147 * 127) >> 8;
    EXPECT_EQ(Colours(*dst)[0], T(85, half) + T(10, 255 - half));
}

TEST(DrawTransformed, FullTintPaintsEveryOpaqueTexelInTheTintColour) {
    std::mt19937 rng(6);
    auto src = MakeCanvas(5, 4, 3);
    FillRandom(*src, rng);
    for (bool plain : {true, false}) {
        auto dst = MakeCanvas(5, 4, 4);
        const std::uint32_t tint = 0x00336699; // red 0x99, green 0x66, blue 0x33
        src->DrawTransformed(*dst, Matrix3::Identity(), plain, tint, true, 255, 1.0f);
        std::vector<int> expected;
        for (int n = 0; n < 20; ++n) {
            expected.insert(expected.end(), {0x33, 0x66, 0x99});
        }
        EXPECT_EQ(Colours(*dst), expected) << "plain " << plain;
    }
}

TEST(DrawTransformed, TranslucentThreeByteSourceMixesTheTexelHalfAPixelDownLeft) {
    auto src = MakeCanvas(3, 3, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            SetColour(*src, x, y, 40 * x + 10 * y, 100, 250);
        }
    }
    auto dst = MakeCanvas(6, 6, 3);
    FillColour(*dst, 0, 50, 200);
    // At twice the size pixel x samples u = x / 2 - 1/2, whose texel is max(floor((x - 1) / 2), 0).
    src->DrawTransformed(*dst, Matrix3::Scaling(2, 2), true, 0, false, 0, 0.5f);
    const int a = 127;
    auto texel = [](int x) { return std::max((x - 1) >> 1, 0); };
    std::vector<int> expected;
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            int blue = 40 * texel(x) + 10 * texel(y);
            expected.insert(expected.end(), {T(blue, a) + T(0, 255 - a), T(100, a) + T(50, 255 - a),
                                             T(250, a) + T(200, 255 - a)});
        }
    }
    EXPECT_EQ(Colours(*dst), expected);

    // Above full opacity the texel is copied.
    src->DrawTransformed(*dst, Matrix3::Scaling(2, 2), true, 0, false, 0, 1.5f);
    EXPECT_EQ(Colours(*dst)[3 * (1 * 6 + 1)], 0);       // pixel (1, 1) takes texel (0, 0)
    EXPECT_EQ(Colours(*dst)[3 * (3 * 6 + 3)], 40 + 10); // pixel (3, 3) takes texel (1, 1)
    EXPECT_EQ(Colours(*dst)[3 * (5 * 6 + 4) + 1], 100); // green copied, not mixed
}

TEST(DrawTransformed, PictureSquashedToOneRowDrawsItsFirstRowAlongTheLine) {
    auto src = MakeCanvas(5, 3, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            SetColour(*src, x, y, 10 * x + y, 0, 0);
        }
    }
    // Width 5 stretched to 10 pixels, height 3 squashed to 0.3: the box is 11 x 2 pixels from row 1.
    auto dst = MakeCanvas(12, 3, 3);
    src->DrawTransformed(*dst, Affine(2, 0, 0, 0.1, 0.0, 1.6), false, 0, false, 0, 1.0f);
    std::vector<int> row1;
    for (int x = 0; x < 12; ++x) {
        row1.push_back(PixelAt(*dst, x, 1)[0]);
    }
    // Pixel i takes column round(i * 5 / 10), at most 4; only the first stored row is used.
    EXPECT_EQ(row1, (std::vector<int>{0, 10, 10, 20, 20, 30, 30, 40, 40, 40, 40, 0}));
    EXPECT_EQ(PixelAt(*dst, 3, 0)[0], 0);
    EXPECT_EQ(PixelAt(*dst, 3, 2)[0], 0);

    // Mirrored, the columns are counted from the other end.
    auto mirrored = MakeCanvas(12, 3, 3);
    src->DrawTransformed(*mirrored, Affine(-2, 0, 0, 0.1, 10.0, 1.6), false, 0, false, 0, 1.0f);
    std::vector<int> row;
    for (int x = 0; x < 12; ++x) {
        row.push_back(PixelAt(*mirrored, x, 1)[0]);
    }
    EXPECT_EQ(row, (std::vector<int>{40, 40, 40, 40, 30, 30, 20, 20, 10, 10, 0, 0}));
}

TEST(DrawTransformed, PictureSquashedToOneColumnDrawsItsFirstColumn) {
    auto src = MakeCanvas(3, 4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 3; ++x) {
            SetColour(*src, x, y, 0, 10 * y + x, 0);
            PixelAt(*src, x, y)[3] = 0; // alpha plays no part in a line
        }
    }
    auto dst = MakeCanvas(3, 6, 3);
    src->DrawTransformed(*dst, Affine(0.1, 0, 0, 1, 1.6, 0.0), false, 0, false, 0, 0.3f);
    std::vector<int> column;
    for (int y = 0; y < 6; ++y) {
        column.push_back(PixelAt(*dst, 1, y)[1]);
    }
    // n = 4 rows beyond the first: pixel i takes row round(i * 4 / 4), at most 3.
    EXPECT_EQ(column, (std::vector<int>{0, 10, 20, 30, 30, 0}));
}

TEST(DrawTransformed, PictureWhollyBesideTheDestinationLeavesItUntouched) {
    std::mt19937 rng(7);
    auto src = MakeCanvas(6, 6, 3);
    FillRandom(*src, rng);
    auto dst = MakeCanvas(10, 10, 3);
    FillRandom(*dst, rng);
    auto before = Colours(*dst);
    for (auto m : {Matrix3::Translation(40, 2), Matrix3::Translation(-40, 2), Matrix3::Translation(2, 40),
                   Matrix3::Translation(2, -40)}) {
        src->DrawTransformed(*dst, m, false, 0, false, 0, 1.0f);
        src->DrawTransformed(*dst, m, true, 0x123456, true, 100, 0.5f);
    }
    EXPECT_EQ(Colours(*dst), before);
}

TEST(DrawTransformed, PartlyVisiblePictureDrawsOnlyItsVisiblePart) {
    std::mt19937 rng(8);
    auto src = MakeCanvas(8, 8, 3);
    FillRandom(*src, rng);
    auto dst = MakeCanvas(5, 5, 3);
    src->DrawTransformed(*dst, Matrix3::Translation(-3, -2), true, 0, false, 0, 1.0f);
    std::vector<int> expected;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            for (int k = 0; k < 3; ++k) {
                expected.push_back(PixelAt(*src, x + 3, y + 2)[k]);
            }
        }
    }
    EXPECT_EQ(Colours(*dst), expected);
}

TEST(DrawTransformed, SingularOrNonFiniteInputsDrawNothing) {
    std::mt19937 rng(9);
    auto src = MakeCanvas(6, 6, 4);
    FillRandom(*src, rng);
    auto dst = MakeCanvas(10, 10, 4);
    FillRandom(*dst, rng);
    auto before = Snapshot(*dst);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (auto m : {Affine(1, 2, 2, 4, 1, 1), Affine(0, 0, 0, 0, 3, 3), Affine(nan, 0, 0, 1, 0, 0),
                   Affine(1, 0, 0, 1, inf, 0), Affine(1, 0, 0, -inf, 0, 0)}) {
        src->DrawTransformed(*dst, m, false, 0, false, 0, 1.0f);
    }
    src->DrawTransformed(*dst, Matrix3::Identity(), false, 0, false, 0,
                         std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(Snapshot(*dst), before);
}

TEST(DrawTransformed, OpacityOutsideZeroToOneStaysInsideTheBlendTable) {
    auto src = MakeCanvas(3, 3, 4);
    FillColour(*src, 90, 180, 30, 200);
    auto dst = MakeCanvas(3, 3, 3);
    FillColour(*dst, 10, 20, 30);
    // Above one the alpha scale saturates at 255 instead of indexing past the table.
    src->DrawTransformed(*dst, Matrix3::Identity(), true, 0, false, 0, 4.0f);
    const int a = (200 * 255) >> 8;
    EXPECT_EQ(Colours(*dst)[0], T(90, a) + T(10, 255 - a));
    // Below zero nothing shows.
    FillColour(*dst, 10, 20, 30);
    auto before = Colours(*dst);
    src->DrawTransformed(*dst, Matrix3::Identity(), true, 0, false, 0, -2.0f);
    EXPECT_EQ(Colours(*dst), before);
}

TEST(DrawTransformed, HugeAndTinyMatricesStayInsideBothCanvases) {
    std::mt19937 rng(10);
    auto src = MakeCanvas(9, 7, 3);
    FillRandom(*src, rng);
    auto dst = MakeCanvas(16, 16, 4);
    const std::vector<Matrix3> matrices = {
        Affine(1e9, 0, 0, 1e9, -5e9, -5e9), Affine(1e-9, 0, 0, 1e-9, 4, 4),
        Affine(1e9, 1e9, -1e9, 1e9, 0, 0),  Affine(1e7, 1, 1e7, 1 + 1e-9, 0, 0),
        Affine(1e15, 0, 0, 1e-15, 0, 8),    Affine(1, 0, 0, 1, 1e300, 0),
        Affine(3, 1e-300, 1e-300, 3, 0, 0), Affine(1e200, 0, 0, 1e-200, -1e200, 5)};
    for (const Matrix3& m : matrices) {
        for (bool plain : {false, true}) {
            for (float opacity : {1.0f, 0.5f}) {
                src->DrawTransformed(*dst, m, plain, 0xFF00FF, true, 77, opacity);
            }
        }
    }
    // A picture scaled far past the destination covers it with its texels; here with the texel
    // nearest the middle of the source.
    FillColour(*dst, 1, 2, 3);
    auto flat = MakeCanvas(3, 3, 3);
    FillColour(*flat, 7, 8, 9);
    flat->DrawTransformed(*dst, Affine(1e8, 0, 0, 1e8, -1.5e8, -1.5e8), false, 0, false, 0, 1.0f);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(PixelAt(*dst, x, y)[0], 7);
        }
    }
}

TEST(DrawTransformed, OnlyColourBytesOfTheDestinationChange) {
    std::mt19937 rng(11);
    auto src = MakeCanvas(5, 5, 4);
    FillRandom(*src, rng);
    auto dst = MakeCanvas(5, 5, 4);
    FillRandom(*dst, rng);
    std::vector<int> alphaBefore;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            alphaBefore.push_back(PixelAt(*dst, x, y)[3]);
        }
    }
    src->DrawTransformed(*dst, Matrix3::FromParts(0.3, 2, 0, 0.9, 0.9), false, 0x808080, true, 40, 0.8f);
    std::vector<int> alphaAfter;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            alphaAfter.push_back(PixelAt(*dst, x, y)[3]);
        }
    }
    EXPECT_EQ(alphaAfter, alphaBefore);
}

TEST(DrawTransformed, EmptyCanvasesDrawNothing) {
    std::mt19937 rng(12);
    RasterCanvas empty;
    auto dst = MakeCanvas(4, 4, 3);
    FillRandom(*dst, rng);
    auto before = Colours(*dst);
    empty.DrawTransformed(*dst, Matrix3::Identity(), false, 0, false, 0, 1.0f);
    EXPECT_EQ(Colours(*dst), before);
    auto src = MakeCanvas(4, 4, 3);
    RasterCanvas emptyDst;
    src->DrawTransformed(emptyDst, Matrix3::Identity(), false, 0, false, 0, 1.0f);
    EXPECT_FALSE(emptyDst.HasPixels());
}

} // namespace
