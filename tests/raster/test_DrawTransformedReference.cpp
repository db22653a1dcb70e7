// Checks the specialised drawing loops against a slow per-pixel version written for clarity: every
// pixel recomputes its sample with all the tests in place, straight from the rules of the rasterizer.

#include "raster/BlendTable.h"
#include "raster/DrawLoopsWide.h"
#include "raster/DrawTransformed.h"
#include "raster/RasterCanvas.h"
#include "raster/RowWindow.h"
#include "support/Matrix3.h"
#include "test_DrawTransformedHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace drawtest;

struct Plane {
    int w = 0, h = 0, bytes = 0;
    const std::uint8_t* const* rows = nullptr;
    int At(int i, int j, int k) const { return rows[j][i * bytes + k]; }
};

int T(int v, int w) {
    return int((double(w) / 255.0) * double(v));
}

std::int64_t Fix(double value) {
    return std::int64_t(value * 16384.0);
}

int FloorMod(std::int64_t a) {
    return int(((a % 16384) + 16384) % 16384);
}

// Bilinear sample at (u, v), already moved back by half a texel. With edges, neighbours outside the
// plane take the nearest edge texel.
void Bilinear(const Plane& p, std::int64_t u, std::int64_t v, bool edges, int out[4]) {
    int i = int(u >> 14), j = int(v >> 14);
    int fu = FloorMod(u) / 64, fv = FloorMod(v) / 64;
    int i0 = i, i1 = i + 1, j0 = j, j1 = j + 1;
    if (edges) {
        i0 = std::clamp(i0, 0, p.w - 1);
        i1 = std::clamp(i1, 0, p.w - 1);
        j0 = std::clamp(j0, 0, p.h - 1);
        j1 = std::clamp(j1, 0, p.h - 1);
    }
    for (int k = 0; k < p.bytes; ++k) {
        int sum = (256 - fu) * (256 - fv) * p.At(i0, j0, k) + fu * (256 - fv) * p.At(i1, j0, k) +
                  (256 - fu) * fv * p.At(i0, j1, k) + fu * fv * p.At(i1, j1, k);
        out[k] = sum >> 16;
    }
}

struct ReferenceStyle {
    bool plain = false;
    std::uint32_t tint = 0;
    bool tintOn = false;
    int tintAmount = 0;
    float opacity = 1.0f;
};

void ReferenceDraw(RasterCanvas& src, RasterCanvas& dst, const Matrix3& m, const ReferenceStyle& st) {
    if (!src.HasPixels() || !dst.HasPixels() || !std::isfinite(st.opacity)) {
        return;
    }
    if (src.LevelsMissing()) {
        src.BuildLevels();
    }
    const int w = src.Width(), h = src.Height();
    double xs[4] = {0, double(w), 0, double(w)}, ys[4] = {0, 0, double(h), double(h)};
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int k = 0; k < 4; ++k) {
        double x = xs[k] * m.m11() + ys[k] * m.m21() + m.m31();
        double y = xs[k] * m.m12() + ys[k] * m.m22() + m.m32();
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y),
        maxY = std::max(maxY, y);
    }
    double bx0 = std::trunc(minX - 0.5), bx1 = std::trunc(maxX + 0.5);
    double by0 = std::trunc(minY - 0.5), by1 = std::trunc(maxY + 0.5);
    const int dw = dst.Width(), dh = dst.Height();
    if (bx1 < 0 || by1 < 0 || bx0 > dw - 1 || by0 > dh - 1) {
        return;
    }
    Matrix3 inv;
    if ((bx1 - bx0 < 2 && by1 - by0 < 2) || !m.Inverse(inv)) {
        return;
    }
    const int x0 = int(std::max(bx0, 0.0)), x1 = int(std::min(bx1, double(dw - 1)));
    const int y0 = int(std::max(by0, 0.0)), y1 = int(std::min(by1, double(dh - 1)));
    const Plane image{w, h, src.BytesPerPixel(), src.Rows()};
    if (by1 - by0 < 2) {
        double n = bx1 - bx0;
        for (int x = x0; x <= x1; ++x) {
            double i = inv.m11() > 0 ? x - bx0 : n - (x - bx0);
            int col = std::min(int(std::floor(i * w / n + 0.5)), w - 1);
            for (int k = 0; k < 3; ++k) {
                PixelAt(dst, x, y0)[k] = std::uint8_t(image.At(col, 0, k));
            }
        }
        return;
    }
    if (bx1 - bx0 < 2) {
        double n = by1 - by0;
        for (int y = y0; y <= y1; ++y) {
            double i = inv.m22() > 0 ? y - by0 : n - (y - by0);
            int row = std::min(int(std::floor(i * h / n + 0.5)), h - 1);
            for (int k = 0; k < 3; ++k) {
                PixelAt(dst, x0, y)[k] = std::uint8_t(image.At(0, row, k));
            }
        }
        return;
    }
    double us = x0 * inv.m11() + y0 * inv.m21() + inv.m31();
    double vs = x0 * inv.m12() + y0 * inv.m22() + inv.m32();
    double d[4] = {inv.m11(), inv.m12(), inv.m21(), inv.m22()}; // du/dx, dv/dx, du/dy, dv/dy
    const double ew = w * std::hypot(m.m11(), m.m12()), eh = h * std::hypot(m.m21(), m.m22());
    bool enlarged = true;
    for (double v : d) {
        enlarged = enlarged && std::fabs(v) <= 0.25;
    }
    const bool smooth = src.AlwaysSmooth() || (!st.plain && !enlarged);
    const bool opaque = st.opacity == 1.0f;
    const double b = (opaque && (src.AlwaysSmooth() || !enlarged)) ? 2.0 : 1.5;
    int level = 7;
    for (int k = 0; k <= 7; ++k) {
        if (ew * b / 2 >= w / double(1 << k) && eh * b / 2 >= h / double(1 << k)) {
            level = k;
            break;
        }
    }
    level = std::min(level, src.LevelsMissing() ? 0 : src.DeepestLevel());
    Plane p = image;
    if (level > 0) {
        p = {src.Level(level).width, src.Level(level).height, src.BytesPerPixel(), src.Level(level).rows};
    }
    const double s = double(1 << level);
    const std::int64_t dudx = Fix(d[0] / s), dvdx = Fix(d[1] / s), dudy = Fix(d[2] / s), dvdy = Fix(d[3] / s);
    std::int64_t rowU = Fix(us / s), rowV = Fix(vs / s);
    const double fu = std::fabs(d[0] / s + d[2] / s) - 1, fv = std::fabs(d[1] / s + d[3] / s) - 1;
    int q = (fu > 0 && fv > 0) ? 1 : 0;
    q += (fu > 0.25 && fv > 0.25) + (fu > 0.5 && fv > 0.5) + (fu > 0.75 && fv > 0.75);
    const std::int64_t hu = std::int64_t(fu * 16384 / 2), hv = std::int64_t(fv * 16384 / 2);
    const int k = std::clamp(st.tintAmount, 0, 255);
    const int tintC[3] = {int(st.tint >> 16 & 255), int(st.tint >> 8 & 255), int(st.tint & 255)};
    const int f = int(std::clamp(std::trunc(double(st.opacity) * 255.0), 0.0, 255.0));

    for (int y = y0; y <= y1; ++y, rowU += dudy, rowV += dvdy) {
        std::int64_t u = rowU, v = rowV;
        for (int x = x0; x <= x1; ++x, u += dudx, v += dvdx) {
            int c[4] = {0, 0, 0, 255};
            std::int64_t uh = u - 8192, vh = v - 8192;
            bool nearest = !smooth && (image.bytes == 4 || opaque);
            if (nearest) {
                if (u < 0 || v < 0 || (u >> 14) >= p.w || (v >> 14) >= p.h) {
                    continue;
                }
                for (int ch = 0; ch < p.bytes; ++ch) {
                    c[ch] = p.At(int(u >> 14), int(v >> 14), ch);
                }
            } else if (image.bytes == 3 && !opaque) {
                if (uh < -16384 || vh < -16384 || (uh >> 14) >= p.w || (vh >> 14) >= p.h) {
                    continue;
                }
                for (int ch = 0; ch < 3; ++ch) {
                    c[ch] = p.At(std::max(int(uh >> 14), 0), std::max(int(vh >> 14), 0), ch);
                }
            } else {
                if (uh < -16384 || vh < -16384 || (uh >> 14) >= p.w || (vh >> 14) >= p.h) {
                    continue;
                }
                std::int64_t i = uh >> 14, j = vh >> 14;
                bool taps = image.bytes == 3 && q > 1 && i + ((-hu) >> 14) - 1 > 1 &&
                            i + (hu >> 14) + 1 < p.w - 3 && j + ((-hv) >> 14) - 1 > 1 &&
                            j + (hv >> 14) + 1 < p.h - 3;
                if (taps) {
                    std::int64_t at[4][2] = {{uh - hu, vh - hv}, {uh + hu, vh + hv}, {0, 0}, {0, 0}};
                    if (q >= 3) {
                        at[1][0] = uh + hu, at[1][1] = vh - hv;
                        at[2][0] = uh - hu, at[2][1] = vh + hv;
                        at[3][0] = uh + hu, at[3][1] = vh + hv;
                    }
                    int sum[3] = {0, 0, 0};
                    for (int t = 0; t < q; ++t) {
                        int one[4];
                        Bilinear(p, at[t][0], at[t][1], false, one);
                        for (int ch = 0; ch < 3; ++ch) {
                            sum[ch] += one[ch];
                        }
                    }
                    for (int ch = 0; ch < 3; ++ch) {
                        c[ch] = sum[ch] / q;
                    }
                } else {
                    Bilinear(p, uh, vh, true, c);
                }
            }
            if (st.tintOn) {
                for (int ch = 0; ch < 3; ++ch) {
                    c[ch] = T(c[ch], 255 - k) + T(tintC[ch], k);
                }
            }
            std::uint8_t* out = PixelAt(dst, x, y);
            int a = 255;
            if (image.bytes == 4) {
                a = opaque ? c[3] : (c[3] * f) >> 8;
            } else if (!opaque && st.opacity < 1.0f) {
                a = f;
            }
            for (int ch = 0; ch < 3; ++ch) {
                out[ch] = std::uint8_t(T(c[ch], a) + T(out[ch], 255 - a));
            }
        }
    }
}

Matrix3 RandomMatrix(std::mt19937& rng, int srcW, int srcH, int dstW, int dstH) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double quarter = M_PI / 2;
    double angle = unit(rng) < 0.4 ? quarter * std::floor(unit(rng) * 4) : unit(rng) * 2 * M_PI;
    auto scale = [&]() { return std::exp(std::log(0.04) + unit(rng) * (std::log(7.0) - std::log(0.04))); };
    double sx = scale();
    double sy = unit(rng) < 0.5 ? sx : scale();
    if (unit(rng) < 0.2) {
        sx = -sx; // mirrored
    }
    Matrix3 m = Matrix3::FromParts(angle, 0, 0, sx, sy);
    if (unit(rng) < 0.15) {
        m.Set(m.m11(), m.m12(), m.m21() + 0.4 * (unit(rng) - 0.5), m.m22(), 0, 0); // sheared
    }
    // Move the picture's centre somewhere over (or just beside) the destination.
    double cx = srcW / 2.0, cy = srcH / 2.0;
    double mx = cx * m.m11() + cy * m.m21(), my = cx * m.m12() + cy * m.m22();
    double tx = (unit(rng) * 1.4 - 0.2) * dstW - mx;
    double ty = (unit(rng) * 1.4 - 0.2) * dstH - my;
    if (unit(rng) < 0.3) {
        tx = std::round(tx), ty = std::round(ty);
    }
    m.Set(m.m11(), m.m12(), m.m21(), m.m22(), tx, ty);
    return m;
}

// One destination drawn two ways from the same random pixels: through the program's loops and by
// the per-pixel rules above.
// Set while the fast draws are cut into windows of rows, each drawn on its own as the map's frame
// shares its tiles between two threads.
bool drawInRowWindows = false;

// The program's draw, whole or as three windows of rows that together cover the destination.
void FastDraw(RasterCanvas& src, RasterCanvas& dst, const Matrix3& m, const ReferenceStyle& st) {
    if (!drawInRowWindows) {
        src.DrawTransformed(dst, m, st.plain, st.tint, st.tintOn, st.tintAmount, st.opacity);
        return;
    }
    const int third = dst.Height() / 3;
    const int cuts[] = {-1, third, 2 * third + 1, dst.Height() - 1};
    for (int k = 0; k < 3; ++k) {
        const RowWindow window(cuts[k] + 1, cuts[k + 1]);
        src.DrawTransformed(dst, m, st.plain, st.tint, st.tintOn, st.tintAmount, st.opacity);
    }
}

class TwoTargets {
public:
    TwoTargets(int width, int height, int bytesPerPixel, std::mt19937& rng)
        : fast_(MakeCanvas(width, height, bytesPerPixel)), slow_(MakeCanvas(width, height, bytesPerPixel)) {
        FillRandom(*fast_, rng);
        CopyPixels(*fast_, *slow_);
    }

    int Width() const { return fast_->Width(); }
    int Height() const { return fast_->Height(); }
    int BytesPerPixel() const { return fast_->BytesPerPixel(); }

    // Draws src under m both ways; true when the program's draw changed any pixel.
    bool Draw(RasterCanvas& src, const Matrix3& m, const ReferenceStyle& st) {
        const std::vector<std::uint8_t> before = Snapshot(*fast_);
        FastDraw(src, *fast_, m, st);
        ReferenceDraw(src, *slow_, m, st);
        return Snapshot(*fast_) != before;
    }
    std::vector<std::uint8_t> Fast() const { return Snapshot(*fast_); }
    std::vector<std::uint8_t> Slow() const { return Snapshot(*slow_); }

private:
    std::unique_ptr<RasterCanvas> fast_;
    std::unique_ptr<RasterCanvas> slow_;
};

// Every comparison runs with the widest loops this processor offers, with the AVX2 and the baseline
// builds (each where the processor runs it), the two wide builds each with the steps for both kinds of
// vector ports, and with the widest loops on every draw cut into row chunks shared with the helper thread,
// and with every draw cut into windows of rows, so every build, the shared draws and the windowed draws
// meet the same rules.
enum class LoopSetup { Widest, Avx2, WidestSharedPorts, Avx2SharedPorts, Baseline, Banded, Windowed };

class DrawTransformedReference : public ::testing::TestWithParam<LoopSetup> {
protected:
    void SetUp() override {
        using drawloops::LoopWidth;
        const LoopSetup setup = GetParam();
        const bool avx2 = setup == LoopSetup::Avx2 || setup == LoopSetup::Avx2SharedPorts;
        drawloops::LimitLoopWidth(setup == LoopSetup::Baseline ? LoopWidth::Baseline
                                  : avx2                       ? LoopWidth::Avx2
                                                               : LoopWidth::Avx512);
        const bool sharedPorts = setup == LoopSetup::WidestSharedPorts || setup == LoopSetup::Avx2SharedPorts;
        drawloops::ChooseStepPorts(sharedPorts ? drawloops::StepPorts::SharedWithIntegers
                                               : drawloops::StepPorts::Own);
        if (setup == LoopSetup::Banded) {
            SetBandedDrawThreshold(0);
        }
        drawInRowWindows = setup == LoopSetup::Windowed;
    }
    void TearDown() override {
        drawInRowWindows = false;
        drawloops::LimitLoopWidth(drawloops::LoopWidth::Avx512);
        drawloops::ChooseStepPorts(std::nullopt);
        SetBandedDrawThreshold(kDefaultBandedDrawThreshold);
    }
};

std::string SetupName(const ::testing::TestParamInfo<LoopSetup>& info) {
    switch (info.param) {
    case LoopSetup::Widest:
        return "Widest";
    case LoopSetup::Avx2:
        return "Avx2";
    case LoopSetup::WidestSharedPorts:
        return "WidestSharedPorts";
    case LoopSetup::Avx2SharedPorts:
        return "Avx2SharedPorts";
    case LoopSetup::Baseline:
        return "Baseline";
    case LoopSetup::Windowed:
        return "Windowed";
    case LoopSetup::Banded:
        break;
    }
    return "Banded";
}

INSTANTIATE_TEST_SUITE_P(LoopBuilds, DrawTransformedReference,
                         ::testing::Values(LoopSetup::Widest, LoopSetup::Avx2, LoopSetup::WidestSharedPorts,
                                           LoopSetup::Avx2SharedPorts, LoopSetup::Baseline, LoopSetup::Banded,
                                           LoopSetup::Windowed),
                         SetupName);

TEST_P(DrawTransformedReference, FastLoopsMatchThePerPixelRulesOnRandomDraws) {
    std::mt19937 rng(20260412);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int drawn = 0;
    const int cases = 1500;
    for (int n = 0; n < cases; ++n) {
        auto side = [&](int small, int large) {
            return unit(rng) < 0.8 ? 1 + int(unit(rng) * small) : 1 + int(unit(rng) * large);
        };
        const int srcBytes = unit(rng) < 0.5 ? 3 : 4;
        const int dstBytes = unit(rng) < 0.5 ? 3 : 4;
        auto src = MakeCanvas(side(20, 90), side(20, 90), srcBytes);
        FillRandom(*src, rng);
        src->SetAlwaysSmooth(unit(rng) < 0.1);
        TwoTargets targets(side(40, 70), side(40, 70), dstBytes, rng);

        ReferenceStyle st;
        st.plain = unit(rng) < 0.25;
        st.tintOn = unit(rng) < 0.3;
        st.tint = std::uint32_t(rng()) & 0xFFFFFF;
        st.tintAmount = int(unit(rng) * 256);
        const float opacities[] = {1.0f, 1.0f, 1.0f, 0.5f, float(unit(rng)), 1.5f, 0.0f, -0.25f};
        st.opacity = opacities[int(unit(rng) * 8)];
        Matrix3 m = RandomMatrix(rng, src->Width(), src->Height(), targets.Width(), targets.Height());

        drawn += targets.Draw(*src, m, st);
        ASSERT_EQ(targets.Fast(), targets.Slow())
            << "case " << n << ": source " << src->Width() << "x" << src->Height() << "x" << srcBytes
            << ", destination " << targets.Width() << "x" << targets.Height() << "x" << dstBytes
            << ", matrix " << m.m11() << " " << m.m12() << " " << m.m21() << " " << m.m22() << " " << m.m31()
            << " " << m.m32() << ", plain " << st.plain << ", opacity " << st.opacity << ", tint "
            << st.tintOn;
    }
    // The random draws must mostly land on the destination, or the comparison proves little.
    EXPECT_GT(drawn, cases / 2);
}

// Strong shear squeezes the picture's axes together, so that one destination pixel spans several
// texels in both directions: that is when two to four taps replace the single sample. Large sources
// leave room for the taps inside the level.
TEST_P(DrawTransformedReference, FootprintTapsMatchThePerPixelRules) {
    std::mt19937 rng(77);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int n = 0; n < 300; ++n) {
        auto src = MakeCanvas(40 + int(unit(rng) * 60), 40 + int(unit(rng) * 60), 3);
        FillRandom(*src, rng);
        TwoTargets targets(60, 60, unit(rng) < 0.5 ? 3 : 4, rng);
        const double size = 0.3 + unit(rng);
        const double shear = (unit(rng) < 0.5 ? -1 : 1) * (0.5 + unit(rng) * 0.45);
        Matrix3 sheared;
        sheared.Set(size, 0, shear * size, (0.05 + unit(rng) * 0.3) * size, 0, 0);
        Matrix3 m = Matrix3::Product(sheared, Matrix3::FromParts(unit(rng) * 2 * M_PI, 30, 30, 1, 1));
        ReferenceStyle st;
        st.tintOn = unit(rng) < 0.3;
        st.tint = 0x204080;
        st.tintAmount = 90;
        targets.Draw(*src, m, st);
        ASSERT_EQ(targets.Fast(), targets.Slow()) << "case " << n;
    }
}

// Random colours whose alpha comes in runs of texels (five unless told): clear, opaque or mixed, so that
// whole groups of opaque or clear texels meet the destination together.
void FillAlphaRuns(RasterCanvas& canvas, std::mt19937& rng, int run = 5) {
    FillRandom(canvas, rng);
    if (canvas.BytesPerPixel() != 4) {
        return;
    }
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < canvas.Height(); ++y) {
        int kind = 0;
        for (int x = 0; x < canvas.Width(); ++x) {
            if (x % run == 0) {
                kind = byte(rng) % 3;
            }
            std::uint8_t& alpha = PixelAt(canvas, x, y)[3];
            alpha = kind == 0 ? 0 : kind == 1 ? 255 : std::uint8_t(byte(rng));
        }
    }
}

// Whole and half scales, quarter turns and offsets in quarter pixels put many sample points exactly on
// texel centres, where the sample is the texel itself; the others land just beside them.
TEST_P(DrawTransformedReference, DrawsOnTexelCentresMatchThePerPixelRules) {
    std::mt19937 rng(4242);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double scales[] = {1.0, 1.0, 0.5, 0.25, 2.0, -1.0, -0.5};
    const float opacities[] = {1.0f, 1.0f, 1.0f, 0.5f};
    int drawn = 0;
    const int cases = 600;
    for (int n = 0; n < cases; ++n) {
        const int srcBytes = unit(rng) < 0.6 ? 4 : 3;
        const int dstBytes = unit(rng) < 0.6 ? 4 : 3;
        auto src = MakeCanvas(4 + int(unit(rng) * 60), 4 + int(unit(rng) * 60), srcBytes);
        FillAlphaRuns(*src, rng);
        TwoTargets targets(20 + int(unit(rng) * 60), 20 + int(unit(rng) * 60), dstBytes, rng);

        ReferenceStyle st;
        st.tintOn = unit(rng) < 0.2;
        st.tint = std::uint32_t(rng()) & 0xFFFFFF;
        st.tintAmount = int(unit(rng) * 256);
        st.opacity = opacities[int(unit(rng) * 4)];
        const double scale = scales[int(unit(rng) * 7)];
        const double angle = M_PI / 2 * std::floor(unit(rng) * 4);
        const double tx = std::round((unit(rng) * 1.2 - 0.1) * targets.Width() * 4) / 4;
        const double ty = std::round((unit(rng) * 1.2 - 0.1) * targets.Height() * 4) / 4;
        const Matrix3 m = Matrix3::FromParts(angle, tx, ty, scale, std::fabs(scale));

        drawn += targets.Draw(*src, m, st);
        ASSERT_EQ(targets.Fast(), targets.Slow())
            << "case " << n << ": source " << src->Width() << "x" << src->Height() << "x" << srcBytes
            << ", destination " << targets.Width() << "x" << targets.Height() << "x" << dstBytes << ", scale "
            << scale << ", angle " << angle << ", offset " << tx << " " << ty;
    }
    EXPECT_GT(drawn, cases / 2);
}

// At scale 1 (mirrored or turned by quarter turns) with every sample point on a texel centre the texels
// are laid straight along source rows, eight at a time where enough of a row is left: wide sources with
// short and long alpha runs give such groups of every kind, and rows that end in the middle of one.
TEST_P(DrawTransformedReference, UnscaledDrawsOnTexelCentresMatchThePerPixelRules) {
    std::mt19937 rng(5150);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int n = 0; n < 200; ++n) {
        const int srcBytes = unit(rng) < 0.5 ? 4 : 3;
        const int dstBytes = unit(rng) < 0.75 ? 4 : 3;
        auto src = MakeCanvas(1 + int(unit(rng) * 120), 1 + int(unit(rng) * 40), srcBytes);
        FillAlphaRuns(*src, rng, unit(rng) < 0.5 ? 5 : 16);
        TwoTargets targets(140, 50, dstBytes, rng);
        ReferenceStyle st;
        st.tintOn = unit(rng) < 0.15;
        st.tint = std::uint32_t(rng()) & 0xFFFFFF;
        st.tintAmount = int(unit(rng) * 256);
        st.opacity = unit(rng) < 0.8 ? 1.0f : 0.5f;
        // Half the draws unturned, as most tiles are.
        const double angle = unit(rng) < 0.5 ? 0.0 : M_PI / 2 * std::floor(unit(rng) * 4);
        const double mirror = unit(rng) < 0.75 ? 1.0 : -1.0;
        const double tx = std::floor(unit(rng) * 160) - 9.5;
        const double ty = std::floor(unit(rng) * 70) - 9.5;
        targets.Draw(*src, Matrix3::FromParts(angle, tx, ty, mirror, 1.0), st);
        ASSERT_EQ(targets.Fast(), targets.Slow())
            << "case " << n << ": source " << src->Width() << "x" << src->Height() << "x" << srcBytes
            << ", destination bytes " << dstBytes << ", angle " << angle << ", mirror " << mirror
            << ", offset " << tx << " " << ty;
    }
}

// Random colours under alpha that is constant over 6 x 6 blocks, so that turned and scaled draws meet
// long stretches where every texel around a sample is opaque or every one is clear.
void FillAlphaBlocks(RasterCanvas& canvas, std::mt19937& rng) {
    FillRandom(canvas, rng);
    if (canvas.BytesPerPixel() != 4) {
        return; // no alpha to lay out
    }
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<int> kinds(std::size_t((canvas.Width() / 6 + 1) * (canvas.Height() / 6 + 1)));
    for (int& kind : kinds) {
        kind = byte(rng) % 3;
    }
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const int kind = kinds[std::size_t((y / 6) * (canvas.Width() / 6 + 1) + x / 6)];
            std::uint8_t& alpha = PixelAt(canvas, x, y)[3];
            alpha = kind == 0 ? 0 : kind == 1 ? 255 : std::uint8_t(byte(rng));
        }
    }
}

TEST_P(DrawTransformedReference, TurnedDrawsOfPicturesWithOpaqueAndClearAreasMatchThePerPixelRules) {
    std::mt19937 rng(9001);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int drawn = 0;
    const int cases = 400;
    for (int n = 0; n < cases; ++n) {
        auto src = MakeCanvas(10 + int(unit(rng) * 70), 10 + int(unit(rng) * 70), 4);
        FillAlphaBlocks(*src, rng);
        const int dstBytes = unit(rng) < 0.7 ? 4 : 3;
        TwoTargets targets(30 + int(unit(rng) * 60), 30 + int(unit(rng) * 60), dstBytes, rng);
        ReferenceStyle st;
        st.tintOn = unit(rng) < 0.2;
        st.tint = std::uint32_t(rng()) & 0xFFFFFF;
        st.tintAmount = int(unit(rng) * 256);
        st.opacity = unit(rng) < 0.8 ? 1.0f : 0.6f;
        const double scale = 0.6 + unit(rng) * 1.8;
        const Matrix3 m = Matrix3::FromParts(unit(rng) * 2 * M_PI, unit(rng) * targets.Width(),
                                             unit(rng) * targets.Height(), scale, scale);

        drawn += targets.Draw(*src, m, st);
        ASSERT_EQ(targets.Fast(), targets.Slow())
            << "case " << n << ": source " << src->Width() << "x" << src->Height() << ", destination "
            << targets.Width() << "x" << targets.Height() << "x" << dstBytes << ", scale " << scale;
    }
    EXPECT_GT(drawn, cases / 2);
}

// Pictures drawn over a large area step their row starts hundreds of times; no drift may build up
// between the first and last rows, whatever the turn, scale or sampling.
TEST_P(DrawTransformedReference, LargeDrawsMatchThePerPixelRulesAcrossTheirWholeHeight) {
    std::mt19937 rng(31337);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double angles[] = {0.0, M_PI / 2, 0.52, 2.7};
    for (int n = 0; n < 12; ++n) {
        const int srcBytes = n % 2 == 0 ? 4 : 3;
        auto src = MakeCanvas(90 + int(unit(rng) * 60), 90 + int(unit(rng) * 60), srcBytes);
        FillAlphaBlocks(*src, rng);
        TwoTargets targets(330, 310, n % 3 == 0 ? 3 : 4, rng);
        ReferenceStyle st;
        st.tintOn = n % 4 == 1;
        st.tint = 0x3060C0;
        st.tintAmount = 70;
        st.opacity = n % 5 == 2 ? 0.7f : 1.0f;
        const double scale = n < 4 ? 2.0 : 1.5 + unit(rng);
        const double angle = angles[n % 4];
        // Centre the picture on the destination.
        const Matrix3 turn = Matrix3::FromParts(angle, 0, 0, scale, scale);
        const double cx = src->Width() / 2.0, cy = src->Height() / 2.0;
        const Matrix3 m = Matrix3::FromParts(angle, 165.5 - (cx * turn.m11() + cy * turn.m21()),
                                             155.5 - (cx * turn.m12() + cy * turn.m22()), scale, scale);
        targets.Draw(*src, m, st);
        ASSERT_EQ(targets.Fast(), targets.Slow())
            << "case " << n << ", angle " << angle << ", scale " << scale;
    }
}

} // namespace

namespace {

// Planes may list their rows in any order in memory; the loops that address texels by offset from
// the first row must then give way to the row table, with the same bytes. Evenly spaced rows stored
// bottom row first (a negative spacing), closely or far apart, are addressed by offset too, with the
// same bytes.
TEST_P(DrawTransformedReference, SourcesWithScatteredRowsDrawLikeContiguousOnes) {
    std::mt19937 rng(555);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int n = 0; n < 60; ++n) {
        const int bytes = n % 2 == 0 ? 4 : 3;
        auto src = MakeCanvas(20 + int(unit(rng) * 50), 20 + int(unit(rng) * 50), bytes);
        FillRandom(*src, rng);
        // The same texels, each row in an allocation of its own size, so that no even spacing can arise.
        std::vector<std::vector<std::uint8_t>> storage(std::size_t(src->Height()));
        std::vector<std::uint8_t*> rows(std::size_t(src->Height()));
        for (int y = src->Height() - 1; y >= 0; --y) {
            std::vector<std::uint8_t>& row = storage[std::size_t(y)];
            row.resize(std::size_t(src->Width() * bytes + 48 * (y % 3)));
            std::copy(src->Rows()[y], src->Rows()[y] + src->Width() * bytes, row.begin());
            rows[std::size_t(y)] = row.data();
        }
        SourceLevels scattered;
        scattered.levels[0] = {src->Width(), src->Height(), bytes, rows.data()};
        scattered.levelCount = 1;
        SourceLevels contiguous;
        contiguous.levels[0] = {src->Width(), src->Height(), bytes, src->Rows()};
        contiguous.levelCount = 1;
        const std::size_t rowBytes = std::size_t(src->Width() * bytes);
        // The same texels in rows spacing bytes apart, bottom row first.
        auto bottomRowFirst = [&](std::size_t spacing, std::vector<std::uint8_t>& block,
                                  std::vector<std::uint8_t*>& rowsOut) {
            block.assign(spacing * std::size_t(src->Height()) + 8, 0);
            rowsOut.resize(std::size_t(src->Height()));
            for (int y = 0; y < src->Height(); ++y) {
                rowsOut[std::size_t(y)] = block.data() + spacing * std::size_t(src->Height() - 1 - y);
                std::copy(src->Rows()[y], src->Rows()[y] + rowBytes, rowsOut[std::size_t(y)]);
            }
            SourceLevels levels;
            levels.levels[0] = {src->Width(), src->Height(), bytes, rowsOut.data()};
            levels.levelCount = 1;
            return levels;
        };
        std::vector<std::uint8_t> bottomUp, farApart;
        std::vector<std::uint8_t*> bottomUpRows, farRows;
        const SourceLevels reversed = bottomRowFirst(rowBytes, bottomUp, bottomUpRows);
        // Rows further apart than 16 signed bits reach: row offsets then need a full 32-bit product.
        const SourceLevels spread = bottomRowFirst(33000, farApart, farRows);

        auto a = MakeCanvas(90, 90, 4);
        FillRandom(*a, rng);
        auto b = MakeCanvas(90, 90, 4);
        CopyPixels(*a, *b);
        auto c = MakeCanvas(90, 90, 4);
        CopyPixels(*a, *c);
        auto e = MakeCanvas(90, 90, 4);
        CopyPixels(*a, *e);
        const RasterPlane planeA{a->Width(), a->Height(), 4, a->Rows()};
        const RasterPlane planeB{b->Width(), b->Height(), 4, b->Rows()};
        const RasterPlane planeC{c->Width(), c->Height(), 4, c->Rows()};
        const RasterPlane planeE{e->Width(), e->Height(), 4, e->Rows()};
        const double scale = 0.9 + unit(rng);
        const Matrix3 m =
            Matrix3::FromParts(0.2 + unit(rng) * 2.5, 20 + unit(rng) * 40, 10 + unit(rng) * 40, scale, scale);
        const DrawStyle style;
        auto before = Snapshot(*a);
        DrawTransformedPlanes(scattered, planeA, m, style, BlendTable::Get().Data());
        DrawTransformedPlanes(contiguous, planeB, m, style, BlendTable::Get().Data());
        DrawTransformedPlanes(reversed, planeC, m, style, BlendTable::Get().Data());
        DrawTransformedPlanes(spread, planeE, m, style, BlendTable::Get().Data());
        ASSERT_NE(Snapshot(*a), before) << "case " << n;
        ASSERT_EQ(Snapshot(*a), Snapshot(*b)) << "case " << n;
        ASSERT_EQ(Snapshot(*c), Snapshot(*b)) << "case " << n << ", rows stored bottom row first";
        ASSERT_EQ(Snapshot(*e), Snapshot(*b)) << "case " << n << ", rows far apart";
    }
}

} // namespace
