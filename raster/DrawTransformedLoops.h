#pragma once

// The inner loops of the textured-polygon rasterizer. Every combination of source depth,
// destination depth, sampling, opacity of one or not and tint has its own loop, so that no
// per-pixel test for those options remains; the caller picks one loop per draw.
//
// Coordinates are fixed point with 14 fraction bits. Each row first works out, with exact integer
// arithmetic, the run of pixels whose sample exists and the run whose neighbours lie inside the
// level, so the loops over those runs test nothing per pixel and can never read outside the level.

#include <algorithm>
#include <cstdint>

namespace drawloops {

constexpr int kFractionBits = 14;
constexpr std::int64_t kOne = std::int64_t(1) << kFractionBits;
constexpr std::int32_t kFractionMask = (1 << kFractionBits) - 1;

enum class Sampling {
    Nearest,       // texel under the sample point
    Bilinear,      // 2 x 2 texels, edge columns and rows repeat outside the level
    Footprint,     // two to four bilinear taps spread over the pixel's footprint
    OffsetNearest, // texel under the point half a texel down-left, for translucent 3-byte sources
};

// Everything a loop needs, worked out once per draw.
struct LoopParams {
    std::uint8_t* const* dstRows = nullptr;
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0; // inclusive destination box, inside the destination

    const std::uint8_t* const* srcRows = nullptr;
    int srcWidth = 0, srcHeight = 0; // of the sampled level

    // Source position of destination pixel (x0, y0) and its steps, already moved back by half a
    // texel for the samplings that centre on texel centres.
    std::int64_t u0 = 0, v0 = 0;
    std::int64_t dudx = 0, dvdx = 0, dudy = 0, dvdy = 0;

    const std::uint8_t* blend = nullptr;    // T(v, w) at [w * 256 + v]
    int opacityFactor = 255;                // 4-byte sources: alpha scale; 3-byte: the constant alpha
    const std::uint8_t* tintKeep = nullptr; // T(., 255 - k)
    std::uint8_t tintAdd[3] = {0, 0, 0};    // T(tint channel, k), blue, green, red

    int taps = 0;                      // footprint: 2 to 4
    std::int32_t halfU = 0, halfV = 0; // footprint half-offsets, fixed point
};

// First and last index i in [first, last] with lo <= start + i * step < hi; empty when a > b.
inline void ClipRun(std::int64_t start, std::int64_t step, std::int64_t lo, std::int64_t hi, int& first,
                    int& last) {
    if (first > last) {
        return;
    }
    if (step == 0) {
        if (start < lo || start >= hi) {
            last = first - 1;
        }
        return;
    }
    auto floorDiv = [](std::int64_t a, std::int64_t b) {
        std::int64_t q = a / b;
        return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
    };
    auto ceilDiv = [&](std::int64_t a, std::int64_t b) { return -floorDiv(-a, b); };
    std::int64_t a;
    std::int64_t b;
    if (step > 0) {
        a = ceilDiv(lo - start, step);
        b = floorDiv(hi - 1 - start, step);
    } else {
        a = ceilDiv(hi - 1 - start, step);
        b = floorDiv(lo - start, step);
    }
    // Bounds far outside the row must not wrap when narrowed back to int.
    const std::int64_t clippedFirst = std::max<std::int64_t>(first, a);
    const std::int64_t clippedLast = std::min<std::int64_t>(last, b);
    if (clippedFirst > clippedLast) {
        last = first - 1;
        return;
    }
    first = int(clippedFirst);
    last = int(clippedLast);
}

// Sum of weight x byte over the 2 x 2 texels at p00/p10 (row j) and p01/p11 (row j + 1), reduced by
// 16 bits: the weights of the 8-bit fractions add up to 65536.
inline int Bilerp(int p00, int p10, int p01, int p11, int fu, int fv) {
    int top = p00 * (256 - fu) + p10 * fu;
    int bottom = p01 * (256 - fu) + p11 * fu;
    return (top * (256 - fv) + bottom * fv) >> 16;
}

template <int SB>
inline void BilinearAt(const LoopParams& p, std::int32_t u, std::int32_t v, std::uint8_t* out) {
    int i = u >> kFractionBits;
    int j = v >> kFractionBits;
    int fu = (u & kFractionMask) >> 6;
    int fv = (v & kFractionMask) >> 6;
    const std::uint8_t* a = p.srcRows[j] + i * SB;
    const std::uint8_t* c = p.srcRows[j + 1] + i * SB;
    for (int k = 0; k < SB; ++k) {
        out[k] = std::uint8_t(Bilerp(a[k], a[k + SB], c[k], c[k + SB], fu, fv));
    }
}

// Bilinear sample where a neighbour outside the level is replaced by the nearest edge texel.
template <int SB>
inline void BilinearClampedAt(const LoopParams& p, std::int32_t u, std::int32_t v, std::uint8_t* out) {
    int i = u >> kFractionBits;
    int j = v >> kFractionBits;
    int fu = (u & kFractionMask) >> 6;
    int fv = (v & kFractionMask) >> 6;
    int i0 = std::clamp(i, 0, p.srcWidth - 1) * SB;
    int i1 = std::clamp(i + 1, 0, p.srcWidth - 1) * SB;
    const std::uint8_t* r0 = p.srcRows[std::clamp(j, 0, p.srcHeight - 1)];
    const std::uint8_t* r1 = p.srcRows[std::clamp(j + 1, 0, p.srcHeight - 1)];
    for (int k = 0; k < SB; ++k) {
        out[k] = std::uint8_t(Bilerp(r0[i0 + k], r0[i1 + k], r1[i0 + k], r1[i1 + k], fu, fv));
    }
}

template <int SB>
inline void FootprintAt(const LoopParams& p, std::int32_t u, std::int32_t v, std::uint8_t* out) {
    std::uint8_t tap[4][SB];
    BilinearAt<SB>(p, u - p.halfU, v - p.halfV, tap[0]);
    if (p.taps == 2) {
        BilinearAt<SB>(p, u + p.halfU, v + p.halfV, tap[1]);
    } else {
        BilinearAt<SB>(p, u + p.halfU, v - p.halfV, tap[1]);
        BilinearAt<SB>(p, u - p.halfU, v + p.halfV, tap[2]);
        if (p.taps == 4) {
            BilinearAt<SB>(p, u + p.halfU, v + p.halfV, tap[3]);
        }
    }
    for (int k = 0; k < SB; ++k) {
        int sum = 0;
        for (int t = 0; t < p.taps; ++t) {
            sum += tap[t][k];
        }
        out[k] = std::uint8_t(sum / p.taps);
    }
}

// Lays one sampled texel onto one destination pixel. Only the colour bytes are written.
template <int SB, bool Opaque, bool Tint>
inline void BlendPixel(const LoopParams& p, std::uint8_t* sample, std::uint8_t* d) {
    if constexpr (Tint) {
        for (int k = 0; k < 3; ++k) {
            sample[k] = std::uint8_t(p.tintKeep[sample[k]] + p.tintAdd[k]);
        }
    }
    if constexpr (SB == 4) {
        int a = Opaque ? sample[3] : (sample[3] * p.opacityFactor) >> 8;
        if (a == 0) {
            return; // T(s, 0) + T(d, 255) is d
        }
        if (a == 255) {
            d[0] = sample[0]; // T(s, 255) + T(d, 0) is s
            d[1] = sample[1];
            d[2] = sample[2];
            return;
        }
        const std::uint8_t* keepSource = p.blend + a * 256;
        const std::uint8_t* keepDest = p.blend + (255 - a) * 256;
        for (int k = 0; k < 3; ++k) {
            d[k] = std::uint8_t(keepSource[sample[k]] + keepDest[d[k]]);
        }
    } else if constexpr (Opaque) {
        d[0] = sample[0];
        d[1] = sample[1];
        d[2] = sample[2];
    } else {
        const std::uint8_t* keepSource = p.blend + p.opacityFactor * 256;
        const std::uint8_t* keepDest = p.blend + (255 - p.opacityFactor) * 256;
        for (int k = 0; k < 3; ++k) {
            d[k] = std::uint8_t(keepSource[sample[k]] + keepDest[d[k]]);
        }
    }
}

// Walks count pixels from d, sampling with `sample` at (u, v) and stepping by (du, dv).
template <int SB, int DB, bool Opaque, bool Tint, typename Sampler>
inline void RunSegment(const LoopParams& p, std::uint8_t* d, std::int32_t u, std::int32_t v, std::int32_t du,
                       std::int32_t dv, int count, Sampler sample) {
    std::uint8_t texel[4] = {0, 0, 0, 255};
    for (int n = 0; n < count; ++n) {
        sample(p, u, v, texel);
        BlendPixel<SB, Opaque, Tint>(p, texel, d);
        d += DB;
        u += du;
        v += dv;
    }
}

template <int SB>
inline void NearestAt(const LoopParams& p, std::int32_t u, std::int32_t v, std::uint8_t* out) {
    const std::uint8_t* t = p.srcRows[v >> kFractionBits] + (u >> kFractionBits) * SB;
    for (int k = 0; k < SB; ++k) {
        out[k] = t[k];
    }
}

template <int SB>
inline void OffsetNearestAt(const LoopParams& p, std::int32_t u, std::int32_t v, std::uint8_t* out) {
    int i = std::max(u >> kFractionBits, 0);
    int j = std::max(v >> kFractionBits, 0);
    const std::uint8_t* t = p.srcRows[j] + i * SB;
    for (int k = 0; k < SB; ++k) {
        out[k] = t[k];
    }
}

// Runs [first, last] of one row, split at the inner run [innerFirst, innerLast] that the fast
// sampler may serve; the pixels on either side go through the edge-safe sampler.
template <int SB, int DB, bool Opaque, bool Tint, typename Edge, typename Inner>
inline void RunSplitRow(const LoopParams& p, std::uint8_t* rowStart, std::int64_t u, std::int64_t v,
                        int first, int last, int innerFirst, int innerLast, Edge edge, Inner inner) {
    auto segment = [&](int a, int b, auto sampler) {
        if (a > b) {
            return;
        }
        int count = b - a + 1;
        std::int64_t ua = u + a * p.dudx;
        std::int64_t va = v + a * p.dvdx;
        // A single pixel never steps, and a longer run stays inside the level, so the steps fit.
        std::int32_t du = count > 1 ? std::int32_t(p.dudx) : 0;
        std::int32_t dv = count > 1 ? std::int32_t(p.dvdx) : 0;
        RunSegment<SB, DB, Opaque, Tint>(p, rowStart + a * DB, std::int32_t(ua), std::int32_t(va), du, dv,
                                         count, sampler);
    };
    innerFirst = std::max(innerFirst, first);
    innerLast = std::min(innerLast, last);
    if (innerFirst > innerLast) {
        segment(first, last, edge);
        return;
    }
    segment(first, innerFirst - 1, edge);
    segment(innerFirst, innerLast, inner);
    segment(innerLast + 1, last, edge);
}

template <int SB, int DB, Sampling S, bool Opaque, bool Tint> void DrawRows(const LoopParams& p) {
    const int lastIndex = p.x1 - p.x0;
    const std::int64_t width = std::int64_t(p.srcWidth) << kFractionBits;
    const std::int64_t height = std::int64_t(p.srcHeight) << kFractionBits;
    std::int64_t rowU = p.u0;
    std::int64_t rowV = p.v0;
    for (int y = p.y0; y <= p.y1; ++y, rowU += p.dudy, rowV += p.dvdy) {
        std::uint8_t* rowStart = p.dstRows[y] + p.x0 * DB;
        int first = 0;
        int last = lastIndex;
        // Run where the sample exists.
        const std::int64_t lo = S == Sampling::Nearest ? 0 : -kOne;
        ClipRun(rowU, p.dudx, lo, width, first, last);
        ClipRun(rowV, p.dvdx, lo, height, first, last);
        if (first > last) {
            continue;
        }
        if constexpr (S == Sampling::Nearest) {
            RunSplitRow<SB, DB, Opaque, Tint>(p, rowStart, rowU, rowV, first, last, first, last,
                                              NearestAt<SB>, NearestAt<SB>);
        } else if constexpr (S == Sampling::OffsetNearest) {
            RunSplitRow<SB, DB, Opaque, Tint>(p, rowStart, rowU, rowV, first, last, first, last,
                                              OffsetNearestAt<SB>, OffsetNearestAt<SB>);
        } else if constexpr (S == Sampling::Bilinear) {
            int innerFirst = first;
            int innerLast = last;
            ClipRun(rowU, p.dudx, 0, width - kOne, innerFirst, innerLast);
            ClipRun(rowV, p.dvdx, 0, height - kOne, innerFirst, innerLast);
            RunSplitRow<SB, DB, Opaque, Tint>(p, rowStart, rowU, rowV, first, last, innerFirst, innerLast,
                                              BilinearClampedAt<SB>, BilinearAt<SB>);
        } else {
            // Taps are used only where every tap and its neighbours lie well inside the level.
            int innerFirst = first;
            int innerLast = last;
            const std::int64_t iLo = 3 - ((-p.halfU) >> kFractionBits);
            const std::int64_t iHi = p.srcWidth - 5 - (p.halfU >> kFractionBits);
            const std::int64_t jLo = 3 - ((-p.halfV) >> kFractionBits);
            const std::int64_t jHi = p.srcHeight - 5 - (p.halfV >> kFractionBits);
            ClipRun(rowU, p.dudx, iLo * kOne, (iHi + 1) * kOne, innerFirst, innerLast);
            ClipRun(rowV, p.dvdx, jLo * kOne, (jHi + 1) * kOne, innerFirst, innerLast);
            RunSplitRow<SB, DB, Opaque, Tint>(p, rowStart, rowU, rowV, first, last, innerFirst, innerLast,
                                              BilinearClampedAt<SB>, FootprintAt<SB>);
        }
    }
}

} // namespace drawloops
