#pragma once

// What the rasterizer's inner loops share: the fixed-point format, the samplings and the values a
// loop needs, worked out once per draw. Only data lives here: the loops themselves are built once
// for every x86-64 processor and again for those with AVX2 and for those with AVX-512, each build in
// an inline namespace of its own (GV_DRAW_LOOPS_ISA) so that no two builds share a symbol.

#include <cstdint>

namespace drawloops {

constexpr int kFractionBits = 14;
constexpr std::int64_t kOne = std::int64_t(1) << kFractionBits;
constexpr std::int32_t kFractionMask = (1 << kFractionBits) - 1;

// How far past texel i the fast bilinear sampler reads, in fixed point: the pair (i, i + 1), and for
// 3-byte sources one byte more, so those stop a texel earlier.
template <int SB> constexpr std::int64_t kPairReach = SB == 4 ? kOne : 2 * kOne;

enum class Sampling {
    Nearest,       // texel under the sample point
    Bilinear,      // 2 x 2 texels, edge columns and rows repeat outside the level
    Footprint,     // two to four bilinear taps spread over the pixel's footprint
    OffsetNearest, // texel under the point half a texel down-left, for translucent 3-byte sources
    AxisBilinear,  // Bilinear for draws whose rows follow a source row or column (quarter turns)
};

// Everything a loop needs, worked out once per draw.
struct LoopParams {
    std::uint8_t* const* dstRows = nullptr;
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0; // inclusive destination box, inside the destination

    const std::uint8_t* const* srcRows = nullptr;
    int srcWidth = 0, srcHeight = 0; // of the sampled level
    // Bytes from each row of the level to the next when all are evenly spaced, and their span fits
    // 32 bits; 0 otherwise.
    std::ptrdiff_t rowStride = 0;

    // Source position of destination pixel (x0, y0) and its steps, already moved back by half a
    // texel for the samplings that centre on texel centres.
    std::int64_t u0 = 0, v0 = 0;
    std::int64_t dudx = 0, dvdx = 0, dudy = 0, dvdy = 0;

    const std::uint8_t* blend = nullptr;    // T(v, w) at [w * 256 + v]
    int opacityFactor = 255;                // 4-byte sources: alpha scale; 3-byte: the constant alpha
    const std::uint8_t* tintKeep = nullptr; // T(., 255 - k)
    std::uint8_t tintAdd[3] = {0, 0, 0};    // T(tint channel, k), blue, green, red

    // AxisBilinear: room for four floats per texel of the longer side of the level, plus two.
    float* line = nullptr;

    // AxisBilinear: every sample point of the draw sits on a texel centre.
    bool onCentres = false;

    // Bilinear, wide builds: the steps for vector units that share their ports with integer work.
    bool portsShared = false;

    int taps = 0;                      // footprint: 2 to 4
    std::int32_t halfU = 0, halfV = 0; // footprint half-offsets, fixed point
};

using LoopFn = void (*)(const LoopParams&);

} // namespace drawloops
