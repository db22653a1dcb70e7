#pragma once

// The inner loops of the textured-polygon rasterizer. Every combination of source depth,
// destination depth, sampling, opacity of one or not and tint has its own loop, so that no
// per-pixel test for those options remains; the caller picks one loop per draw.
//
// Coordinates are fixed point with 14 fraction bits. Each row first works out, with exact integer
// arithmetic, the run of pixels whose sample exists and the run whose neighbours lie inside the
// level, so the loops over those runs test nothing per pixel and can never read outside the level.
// Draws whose sample points all sit on texel centres (unscaled, halved, quarter turns) take the
// texels themselves, and inner bilinear runs sample four pixels per SIMD step (eight in the AVX2
// and AVX-512 builds); all give the very bytes of the per-pixel sum.

#include "raster/BilinearSimd.h"
#include "raster/DrawLoopParams.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if !defined(GV_DRAW_LOOPS_ISA)
#define GV_DRAW_LOOPS_ISA baseline
#endif

namespace drawloops {
inline namespace GV_DRAW_LOOPS_ISA {

// Texels travel as one 32-bit value, bytes blue, green, red, alpha from the low end; 3-byte texels
// carry alpha 255.
template <int SB> [[gnu::always_inline]] inline std::uint32_t LoadTexel(const std::uint8_t* p) {
    if constexpr (SB == 4) {
        std::uint32_t t;
        std::memcpy(&t, p, 4);
        return t;
    } else {
        return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | 0xFF000000u;
    }
}

inline int Channel(std::uint32_t texel, int k) {
    return int(texel >> (8 * k)) & 0xFF;
}

// Clips runs of pixels whose source coordinate starts anywhere and moves by one fixed step per
// pixel. Every row of a draw clips several runs with the same steps, so the divisions are done by
// multiplying with the step's reciprocal; the estimate is then corrected with exact integer checks,
// which keeps the result exact for any magnitude.
class StepClipper {
public:
    explicit StepClipper(std::int64_t step) : step_(step), inverse_(step != 0 ? 1.0 / double(step) : 0.0) {}

    // Narrows [first, last] to the indices i with lo <= start + i * step < hi; empty when first > last.
    [[gnu::always_inline]] void Clip(std::int64_t start, std::int64_t lo, std::int64_t hi, int& first,
                                     int& last) const {
        if (first > last) {
            return;
        }
        if (step_ == 0) {
            if (start < lo || start >= hi) {
                last = first - 1;
            }
            return;
        }
        std::int64_t a;
        std::int64_t b;
        if (step_ > 0) {
            a = -FloorDiv(start - lo); // ceil((lo - start) / step)
            b = FloorDiv(hi - 1 - start);
        } else {
            a = -FloorDiv(start - (hi - 1)); // ceil((hi - 1 - start) / step)
            b = FloorDiv(lo - start);
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

private:
    // floor(a / step). The estimate is off by a few units at most (coordinates stay far below 2^62,
    // where a double still resolves the quotient to within one part in 2^50).
    [[gnu::always_inline]] std::int64_t FloorDiv(std::int64_t a) const {
        if (step_ == kOne) {
            return a >> kFractionBits; // unscaled and halved draws step whole texels
        }
        std::int64_t q = std::int64_t(double(a) * inverse_);
        if (step_ > 0) {
            while (q * step_ > a) {
                --q;
            }
            while ((q + 1) * step_ <= a) {
                ++q;
            }
        } else {
            while (q * step_ < a) {
                --q;
            }
            while ((q + 1) * step_ >= a) {
                ++q;
            }
        }
        return q;
    }

    std::int64_t step_;
    double inverse_;
};

// Sum of weight x byte over the 2 x 2 texels at p00/p10 (row j) and p01/p11 (row j + 1), reduced by
// 16 bits: the weights of the 8-bit fractions add up to 65536.
inline int Bilerp(int p00, int p10, int p01, int p11, int fu, int fv) {
    int top = p00 * (256 - fu) + p10 * fu;
    int bottom = p01 * (256 - fu) + p11 * fu;
    return (top * (256 - fv) + bottom * fv) >> 16;
}

struct NearestSampler {
    template <int SB> static std::uint32_t At(const LoopParams& p, std::int32_t u, std::int32_t v) {
        return LoadTexel<SB>(p.srcRows[v >> kFractionBits] + (u >> kFractionBits) * SB);
    }
};

struct OffsetNearestSampler {
    template <int SB> static std::uint32_t At(const LoopParams& p, std::int32_t u, std::int32_t v) {
        int i = std::max(u >> kFractionBits, 0);
        int j = std::max(v >> kFractionBits, 0);
        return LoadTexel<SB>(p.srcRows[j] + i * SB);
    }
};

// Bilinear sample where a neighbour outside the level is replaced by the nearest edge texel.
struct BilinearClampedSampler {
    template <int SB> static std::uint32_t At(const LoopParams& p, std::int32_t u, std::int32_t v) {
        int i = u >> kFractionBits;
        int j = v >> kFractionBits;
        int fu = (u & kFractionMask) >> 6;
        int fv = (v & kFractionMask) >> 6;
        int i0 = std::clamp(i, 0, p.srcWidth - 1) * SB;
        int i1 = std::clamp(i + 1, 0, p.srcWidth - 1) * SB;
        const std::uint8_t* r0 = p.srcRows[std::clamp(j, 0, p.srcHeight - 1)];
        const std::uint8_t* r1 = p.srcRows[std::clamp(j + 1, 0, p.srcHeight - 1)];
#if defined(__SSE2__)
        // The same sum as the inner sampler, over the edge-replaced texels.
        const __m128i zero = _mm_setzero_si128();
        const __m128i top =
            _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(std::int32_t(LoadTexel<SB>(r0 + i0))),
                                                 _mm_cvtsi32_si128(std::int32_t(LoadTexel<SB>(r0 + i1)))),
                              zero);
        const __m128i bottom =
            _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(std::int32_t(LoadTexel<SB>(r1 + i0))),
                                                 _mm_cvtsi32_si128(std::int32_t(LoadTexel<SB>(r1 + i1)))),
                              zero);
        const __m128i mixed = _mm_add_epi16(_mm_mullo_epi16(top, _mm_set1_epi16(std::int16_t(256 - fv))),
                                            _mm_mullo_epi16(bottom, _mm_set1_epi16(std::int16_t(fv))));
        const __m128i weights =
            _mm_unpacklo_epi64(_mm_set1_epi16(std::int16_t(256 - fu)), _mm_set1_epi16(std::int16_t(fu)));
        const __m128i low = _mm_mullo_epi16(mixed, weights);
        const __m128i high = _mm_mulhi_epu16(mixed, weights);
        const __m128i sum =
            _mm_srli_epi32(_mm_add_epi32(_mm_unpacklo_epi16(low, high), _mm_unpackhi_epi16(low, high)), 16);
        const __m128i words = _mm_packs_epi32(sum, sum);
        const std::uint32_t texel = std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
        return SB == 4 ? texel : texel | 0xFF000000u;
#else
        std::uint32_t out = SB == 4 ? 0 : 0xFF000000u;
        for (int k = 0; k < SB; ++k) {
            out |= std::uint32_t(Bilerp(r0[i0 + k], r0[i1 + k], r1[i0 + k], r1[i1 + k], fu, fv)) << (8 * k);
        }
        return out;
#endif
    }
};

// Bilinear sample whose four texels all lie inside the level. For 3-byte sources the caller also
// keeps i + 2 inside the row, because texel pairs are read as two overlapping 4-byte words.
struct BilinearSampler {
    template <int SB>
    [[gnu::always_inline]] static std::uint32_t At(const LoopParams& p, std::int32_t u, std::int32_t v) {
        const int i = u >> kFractionBits;
        const int j = v >> kFractionBits;
        const int fu = (u & kFractionMask) >> 6;
        const int fv = (v & kFractionMask) >> 6;
        const std::uint8_t* r0 = p.srcRows[j] + i * SB;
        const std::uint8_t* r1 = p.srcRows[j + 1] + i * SB;
#if defined(__SSE2__)
        // The horizontal sums a * (256 - fu) + b * fu come from one multiply-add per row; the vertical
        // step runs in single precision, which holds every partial sum (all below 2^24) exactly.
        const __m128i zero = _mm_setzero_si128();
        __m128i top = _mm_unpacklo_epi8(LoadPair<SB>(r0), zero);
        __m128i bottom = _mm_unpacklo_epi8(LoadPair<SB>(r1), zero);
        top = _mm_unpacklo_epi16(top, _mm_srli_si128(top, 8));
        bottom = _mm_unpacklo_epi16(bottom, _mm_srli_si128(bottom, 8));
        const __m128i weights = _mm_set1_epi32((256 - fu) | (fu << 16));
        const __m128 t = _mm_cvtepi32_ps(_mm_madd_epi16(top, weights));
        const __m128 b = _mm_cvtepi32_ps(_mm_madd_epi16(bottom, weights));
        const __m128 sum =
            _mm_add_ps(_mm_mul_ps(t, _mm_set1_ps(float(256 - fv))), _mm_mul_ps(b, _mm_set1_ps(float(fv))));
        __m128i r = _mm_cvttps_epi32(_mm_mul_ps(sum, _mm_set1_ps(1.0f / 65536.0f)));
        r = _mm_packs_epi32(r, r);
        r = _mm_packus_epi16(r, r);
        const std::uint32_t out = std::uint32_t(_mm_cvtsi128_si32(r));
        return SB == 4 ? out : out | 0xFF000000u;
#else
        std::uint32_t out = SB == 4 ? 0 : 0xFF000000u;
        for (int k = 0; k < SB; ++k) {
            out |= std::uint32_t(Bilerp(r0[k], r0[k + SB], r1[k], r1[k + SB], fu, fv)) << (8 * k);
        }
        return out;
#endif
    }
};

// Two to four bilinear taps around the sample point, averaged per channel.
struct FootprintSampler {
    template <int SB> static std::uint32_t At(const LoopParams& p, std::int32_t u, std::int32_t v) {
        std::uint32_t tap[4];
        tap[0] = BilinearSampler::At<SB>(p, u - p.halfU, v - p.halfV);
        if (p.taps == 2) {
            tap[1] = BilinearSampler::At<SB>(p, u + p.halfU, v + p.halfV);
        } else {
            tap[1] = BilinearSampler::At<SB>(p, u + p.halfU, v - p.halfV);
            tap[2] = BilinearSampler::At<SB>(p, u - p.halfU, v + p.halfV);
            if (p.taps == 4) {
                tap[3] = BilinearSampler::At<SB>(p, u + p.halfU, v + p.halfV);
            }
        }
        std::uint32_t out = 0xFF000000u;
        for (int k = 0; k < 3; ++k) {
            int sum = 0;
            for (int t = 0; t < p.taps; ++t) {
                sum += Channel(tap[t], k);
            }
            out |= std::uint32_t(sum / p.taps) << (8 * k);
        }
        return out;
    }
};

// Writes the three colour bytes; a 4-byte destination keeps its alpha.
template <int DB> [[gnu::always_inline]] inline void StoreColour(std::uint8_t* d, std::uint32_t colour) {
    if constexpr (DB == 4) {
        std::uint32_t old;
        std::memcpy(&old, d, 4);
        old = (old & 0xFF000000u) | (colour & 0x00FFFFFFu);
        std::memcpy(d, &old, 4);
    } else {
        d[0] = std::uint8_t(colour);
        d[1] = std::uint8_t(colour >> 8);
        d[2] = std::uint8_t(colour >> 16);
    }
}

// T(s, a) + T(d, 255 - a) per colour byte, given the table rows of a and 255 - a.
[[gnu::always_inline]] inline std::uint32_t MixColour(const std::uint8_t* keepSource,
                                                      const std::uint8_t* keepDest, std::uint32_t s,
                                                      const std::uint8_t* d) {
    return std::uint32_t(keepSource[s & 0xFF] + keepDest[d[0]]) |
           std::uint32_t(keepSource[(s >> 8) & 0xFF] + keepDest[d[1]]) << 8 |
           std::uint32_t(keepSource[(s >> 16) & 0xFF] + keepDest[d[2]]) << 16;
}

// Lays one sampled texel onto one destination pixel.
template <int SB, int DB, bool Opaque, bool Tint>
[[gnu::always_inline]] inline void BlendPixel(const LoopParams& p, std::uint32_t texel, std::uint8_t* d) {
    if constexpr (Tint) {
        texel = (texel & 0xFF000000u) | std::uint32_t(p.tintKeep[texel & 0xFF] + p.tintAdd[0]) |
                std::uint32_t(p.tintKeep[(texel >> 8) & 0xFF] + p.tintAdd[1]) << 8 |
                std::uint32_t(p.tintKeep[(texel >> 16) & 0xFF] + p.tintAdd[2]) << 16;
    }
    if constexpr (SB == 4) {
        const int alpha = int(texel >> 24);
        const int a = Opaque ? alpha : (alpha * p.opacityFactor) >> 8;
        if (a == 0) {
            return; // T(s, 0) + T(d, 255) is d
        }
        if (a == 255) {
            StoreColour<DB>(d, texel); // T(s, 255) + T(d, 0) is s
            return;
        }
        StoreColour<DB>(d, MixColour(p.blend + a * 256, p.blend + (255 - a) * 256, texel, d));
    } else if constexpr (Opaque) {
        StoreColour<DB>(d, texel);
    } else {
        StoreColour<DB>(
            d, MixColour(p.blend + p.opacityFactor * 256, p.blend + (255 - p.opacityFactor) * 256, texel, d));
    }
}

#if defined(__SSE2__)
// Lays four sampled texels onto four destination pixels. Four opaque samples on a 4-byte destination
// replace the colours with one store; anything else goes pixel by pixel.
template <int SB, int DB, bool Opaque, bool Tint>
[[gnu::always_inline]] inline void BlendQuad(const LoopParams& p, __m128i texels, std::uint8_t* d) {
    if constexpr (DB == 4 && Opaque && !Tint) {
        const __m128i alphas = _mm_set1_epi32(std::int32_t(0xFF000000u));
        if (SB == 3 || _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(texels, alphas), alphas)) == 0xFFFF) {
            __m128i* at = reinterpret_cast<__m128i*>(d);
            const __m128i old = _mm_loadu_si128(at);
            _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(old, alphas), _mm_andnot_si128(alphas, texels)));
            return;
        }
    }
    alignas(16) std::uint32_t samples[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(samples), texels);
    for (int k = 0; k < 4; ++k) {
        BlendPixel<SB, DB, Opaque, Tint>(p, samples[k], d + k * DB);
    }
}
#endif

#if defined(GV_DRAW_LOOPS_AVX2)
// The lanes of eight alphas (one per 32-bit lane) that give a weight a or 255 - a at which the blend
// table differs from the integer quotient: T(v, w) is (w / 255) x v in double precision, truncated,
// which falls one short of (v x w) / 255 for twelve pairs, all with w among 147, 155, 171, 187 and 195.
// Taken through m = min(a, 255 - a), passed in: those alphas give m = 60, 68, 84, 100 or 108, each
// 8k + 4 with k among 7, 8, 10, 12 and 13, the set bits of 0x3580.
[[gnu::always_inline]] inline __m256i InexactWeightLanes(__m256i nearerEdge) {
    const __m256i inSet = _mm256_and_si256(
        _mm256_srlv_epi32(_mm256_set1_epi32(0x3580), _mm256_srli_epi32(nearerEdge, 3)), _mm256_set1_epi32(1));
    const __m256i fourth =
        _mm256_cmpeq_epi32(_mm256_and_si256(nearerEdge, _mm256_set1_epi32(7)), _mm256_set1_epi32(4));
    return _mm256_and_si256(fourth, _mm256_cmpeq_epi32(inSet, _mm256_set1_epi32(1)));
}

// (v x w) / 255 for 16-bit lanes holding v x w (at most 65025): (x x 0x8081) >> 23, exact there.
[[gnu::always_inline]] inline __m256i DivideBy255(__m256i x) {
    return _mm256_srli_epi16(_mm256_mulhi_epu16(x, _mm256_set1_epi16(std::int16_t(0x8081))), 7);
}

// MixOverDestination for two texels and pixels per 128-bit lane, their bytes spread over 16-bit lanes;
// a holds each texel's alpha in all four of its lanes.
[[gnu::always_inline]] inline __m256i MixWordsOverDestination(__m256i s, __m256i d, __m256i a) {
    return _mm256_add_epi16(DivideBy255(_mm256_mullo_epi16(s, a)),
                            DivideBy255(_mm256_mullo_epi16(d, _mm256_sub_epi16(_mm256_set1_epi16(255), a))));
}

// T(s, a) + T(d, 255 - a) for the colour bytes of eight texels s over eight destination pixels d, each
// pixel's a being its texel's alpha, as integer quotients: equal to the table's values when no alpha
// leans on an inexact weight (see above). Alpha 255 gives s and alpha 0 gives d.
[[gnu::always_inline]] inline __m256i MixOverDestination(__m256i texels, __m256i destination) {
    const __m256i zero = _mm256_setzero_si256();
    constexpr char z = char(0x80);
    // Each texel's alpha byte as the four words of its pixel, for the texels the unpacking puts low
    // (pixels 0, 1 | 4, 5) and high (2, 3 | 6, 7).
    const __m256i lowAlpha =
        _mm256_shuffle_epi8(texels, InBothHalves(3, z, 3, z, 3, z, 3, z, 7, z, 7, z, 7, z, 7, z));
    const __m256i highAlpha =
        _mm256_shuffle_epi8(texels, InBothHalves(11, z, 11, z, 11, z, 11, z, 15, z, 15, z, 15, z, 15, z));
    return _mm256_packus_epi16(MixWordsOverDestination(_mm256_unpacklo_epi8(texels, zero),
                                                       _mm256_unpacklo_epi8(destination, zero), lowAlpha),
                               MixWordsOverDestination(_mm256_unpackhi_epi8(texels, zero),
                                                       _mm256_unpackhi_epi8(destination, zero), highAlpha));
}

// BlendQuad for the first count of eight pixels (all eight when count is eight or more). On a 4-byte
// destination without tint, opaque samples replace the colour bytes and clear ones keep the pixel, all
// in one store, as T(s, 255) + T(d, 0) = s and T(s, 0) + T(d, 255) = d; partly covered samples, a few
// along a picture's soft rim, are mixed in the same store unless their alpha needs the blend table.
// Returns whether all eight samples were opaque.
template <int SB, int DB, bool Opaque, bool Tint>
[[gnu::always_inline]] inline bool BlendOctet(const LoopParams& p, __m256i texels, std::uint8_t* d,
                                              int count) {
    if constexpr (DB == 4 && Opaque && !Tint) {
        const __m256i alphas = _mm256_set1_epi32(std::int32_t(0xFF000000u));
        const __m256i alpha = _mm256_srli_epi32(texels, 24);
        int* at = reinterpret_cast<int*>(d);
        const __m256i inRun = count >= 8 ? _mm256_set1_epi32(-1)
                                         : _mm256_cmpgt_epi32(_mm256_set1_epi32(count),
                                                              _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        const __m256i old = count >= 8 ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at))
                                       : _mm256_maskload_epi32(at, inRun);
        // Eight opaque samples, the common case inside a picture, replace the colour bytes at once.
        if (count >= 8 && (SB == 3 || _mm256_testc_si256(texels, alphas))) {
            // Every sample's alpha is 255, so an and keeps the destination's alpha: two of the simplest
            // operations, where a byte blend takes several on some processors.
            const __m256i keptAlpha = _mm256_or_si256(old, _mm256_set1_epi32(0x00FFFFFF));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), _mm256_and_si256(texels, keptAlpha));
            return true;
        }
        // The bytes that keep the destination: its alpha, and all of a pixel left to the blend table.
        // (Built without negating a mask: GCC 12 has been seen to drop the negation of a blend's mask in
        // its AVX-512 build, swapping what the blend takes.)
        __m256i colour = texels;
        __m256i keep = alphas;
        // Pixels whose alpha needs the blend table are left to the table, after the store.
        unsigned byTable = 0;
        if constexpr (SB == 4) {
            // 0 for a clear or an opaque sample.
            const __m256i nearerEdge =
                _mm256_min_epi32(alpha, _mm256_sub_epi32(_mm256_set1_epi32(255), alpha));
            const __m256i partial =
                _mm256_andnot_si256(_mm256_cmpeq_epi32(nearerEdge, _mm256_setzero_si256()), inRun);
            const __m256i inexact = _mm256_and_si256(partial, InexactWeightLanes(nearerEdge));
            colour = MixOverDestination(texels, old);
            keep = _mm256_or_si256(alphas, inexact);
            byTable = unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(inexact)));
        }
        const __m256i merged = _mm256_blendv_epi8(colour, old, keep);
        if (count >= 8) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), merged);
        } else {
            _mm256_maskstore_epi32(at, inRun, merged);
        }
        if (byTable != 0) {
            alignas(32) std::uint32_t samples[8];
            _mm256_store_si256(reinterpret_cast<__m256i*>(samples), texels);
            for (; byTable != 0; byTable &= byTable - 1) {
                const int k = __builtin_ctz(byTable);
                BlendPixel<SB, DB, Opaque, Tint>(p, samples[k], d + k * DB);
            }
        }
        return false;
    }
    alignas(32) std::uint32_t samples[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(samples), texels);
    for (int k = 0; k < std::min(count, 8); ++k) {
        BlendPixel<SB, DB, Opaque, Tint>(p, samples[k], d + k * DB);
    }
    return false;
}

#endif

#if defined(GV_DRAW_LOOPS_AVX2)
// Whether this build has inner steps of their own for vector units that share their ports with integer
// work (a build file defines GV_DRAW_LOOPS_SHARED_PORT_STEPS to 1 for them). Its other steps then serve
// mostly vector units with ports of their own and move all their offsets out of the vectors; in a build
// whose steps serve every processor, the lower half only.
#if !defined(GV_DRAW_LOOPS_SHARED_PORT_STEPS)
#define GV_DRAW_LOOPS_SHARED_PORT_STEPS 0
#endif
constexpr bool kStepsForSharedPorts = GV_DRAW_LOOPS_SHARED_PORT_STEPS;
constexpr OffsetMoves kOwnPortMoves = kStepsForSharedPorts ? OffsetMoves::AllOut : OffsetMoves::LowerHalfOut;

// What every eight-pixel step of one bilinear run needs about the level. The texels are addressed by
// offset from the first row of the level (top); bottom is the row after it.
struct OctetSource {
    OctetLevel level;
    const std::uint8_t* top;
    const std::uint8_t* bottom;
    // Offsets above this would read a 3-byte pair's eight bytes past the end of the row last in memory.
    __m256i pastEnd;
};

// Lays eight samples, from their fetched texels, onto the first left pixels from d (all eight when left is
// eight or more). inOpaque tells whether the step before was wholly opaque, and is updated: only after a
// step that was not are the texels tested for being all clear, which inside a picture's opaque parts
// costs more than it saves. Clear samples keep the destination.
template <int SB, int DB, bool Opaque, bool Tint>
[[gnu::always_inline]] inline void LayOctet(const LoopParams& p, const OctetTexels& texels,
                                            const OctetPlaces& places, std::uint8_t* d, int left,
                                            bool& inOpaque) {
    if (SB == 4 && !inOpaque && AllTexelsClear(texels)) {
        return;
    }
    inOpaque = BlendOctet<SB, DB, Opaque, Tint>(p, MixOctet<SB>(texels, places.horizontal, places.vertical),
                                                d, left);
}

// One step of a bilinear run: the samples at uCoords/vCoords laid onto the first left pixels from d (all
// eight when left is eight or more). Clamped steps allow neighbours outside the level.
template <int SB, int DB, bool Opaque, bool Tint, bool Clamped>
[[gnu::always_inline]] inline void BilinearOctetStep(const LoopParams& p, const OctetSource& source,
                                                     __m256i uCoords, __m256i vCoords, std::uint8_t* d,
                                                     int left, bool& inOpaque) {
    OctetPlaces places;
    LocateOctet<SB, Clamped>(uCoords, vCoords, source.level, places);
    if constexpr (SB == 3 && Clamped) {
        const __m256i beyond = _mm256_cmpgt_epi32(places.offsets, source.pastEnd);
        if (!_mm256_testz_si256(beyond, beyond)) {
            alignas(32) std::int32_t us[8], vs[8];
            _mm256_store_si256(reinterpret_cast<__m256i*>(us), uCoords);
            _mm256_store_si256(reinterpret_cast<__m256i*>(vs), vCoords);
            for (int k = 0; k < std::min(left, 8); ++k) {
                BlendPixel<SB, DB, Opaque, Tint>(p, BilinearClampedSampler::At<SB>(p, us[k], vs[k]),
                                                 d + k * DB);
            }
            return;
        }
    }
    OctetTexels texels;
    FetchOctet<kOwnPortMoves>(source.top, source.bottom, places.offsets, texels);
    LayOctet<SB, DB, Opaque, Tint>(p, texels, places, d, left, inOpaque);
}

// How the steps of an inner run locate and fetch their texels.
enum class InnerSteps {
    General,           // any level, on positions as they come
    Scaled,            // levels whose indices fit words, on positions times 4 (see LocateScaledOctet)
    ScaledSharedPorts, // the same, for vector units that share their ports with integer work (see FetchOctet)
};

// Places of eight inner samples at uCoords/vCoords.
template <int SB, InnerSteps K>
[[gnu::always_inline]] inline void LocateInnerOctet(const OctetSource& source, __m256i uCoords,
                                                    __m256i vCoords, OctetPlaces& places) {
    if constexpr (K == InnerSteps::General) {
        LocateOctet<SB, false>(uCoords, vCoords, source.level, places);
    } else {
        LocateScaledOctet(uCoords, vCoords, source.level, places);
    }
}

// The texels of the eight inner samples at uCoords/vCoords (as LocateInnerOctet takes them).
template <int SB, InnerSteps K>
[[gnu::always_inline]] inline void FetchInnerOctet(const OctetSource& source, __m256i uCoords,
                                                   __m256i vCoords, OctetTexels& texels) {
    OctetPlaces places;
    LocateInnerOctet<SB, K>(source, uCoords, vCoords, places);
    constexpr OffsetMoves moves =
        K == InnerSteps::ScaledSharedPorts ? OffsetMoves::ThroughMemory : kOwnPortMoves;
    FetchOctet<moves>(source.top, source.bottom, places.offsets, texels);
}

// Lays eight inner samples at uCoords/vCoords (as LocateInnerOctet takes them) from their fetched texels
// onto d; their weights are found again from the coordinates (the compiler keeps only that part of the
// search).
template <int SB, int DB, bool Opaque, bool Tint, InnerSteps K>
[[gnu::always_inline]] inline void LayInnerOctet(const LoopParams& p, const OctetSource& source,
                                                 const OctetTexels& texels, __m256i uCoords, __m256i vCoords,
                                                 std::uint8_t* d, bool& inOpaque) {
    OctetPlaces places;
    LocateInnerOctet<SB, K>(source, uCoords, vCoords, places);
    LayOctet<SB, DB, Opaque, Tint>(p, texels, places, d, 8, inOpaque);
}

// Whole inner steps from d while n + 8 <= end, advancing n, d and the coordinates. Each step's texels are
// fetched one step ahead, before the samples of the step before are mixed: a step is one long chain from
// position through address and load to the mix, and on processors whose schedulers hold fewer than two
// steps' operations, nothing else would overlap it. Only the texels are carried to the next step, not the
// fractions, which spares registers. The positions are as the steps K take them.
template <int SB, int DB, bool Opaque, bool Tint, InnerSteps K>
[[gnu::always_inline]] inline void
RunInnerOctets(const LoopParams& p, const OctetSource& source, __m256i& uCoords, __m256i& vCoords,
               __m256i uStep, __m256i vStep, std::uint8_t*& d, int& n, int end, bool& inOpaque) {
    if (n + 8 > end) {
        return;
    }
    OctetTexels fetched;
    FetchInnerOctet<SB, K>(source, uCoords, vCoords, fetched);
    for (; n + 16 <= end; n += 8, d += 8 * DB) {
        const __m256i uNext = _mm256_add_epi32(uCoords, uStep);
        const __m256i vNext = _mm256_add_epi32(vCoords, vStep);
        OctetTexels next;
        FetchInnerOctet<SB, K>(source, uNext, vNext, next);
        LayInnerOctet<SB, DB, Opaque, Tint, K>(p, source, fetched, uCoords, vCoords, d, inOpaque);
        fetched = next;
        uCoords = uNext;
        vCoords = vNext;
    }
    LayInnerOctet<SB, DB, Opaque, Tint, K>(p, source, fetched, uCoords, vCoords, d, inOpaque);
    n += 8;
    d += 8 * DB;
    uCoords = _mm256_add_epi32(uCoords, uStep);
    vCoords = _mm256_add_epi32(vCoords, vStep);
}

constexpr InnerSteps kScaledStepsForSharedPorts =
    kStepsForSharedPorts ? InnerSteps::ScaledSharedPorts : InnerSteps::Scaled;

// What the bilinear runs of one draw share, worked out once: the level, and for runs stepping by (du, dv),
// each lane's offset from a run's first position (lanes k * du, k * dv) and the eight-pixel steps.
struct OctetDraw {
    OctetSource source;
    std::int32_t du, dv;
    __m256i uLanes, vLanes, uStep, vStep;
};

template <int SB> inline OctetDraw MakeOctetDraw(const LoopParams& p, std::int32_t du, std::int32_t dv) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const std::ptrdiff_t lastRowStart = std::max<std::ptrdiff_t>(0, (p.srcHeight - 1) * p.rowStride);
    const OctetSource source = {
        {_mm256_set1_epi32(std::int32_t(p.rowStride)), _mm256_set1_epi32(p.srcWidth - 2),
         _mm256_set1_epi32(p.srcHeight - 2),
         _mm256_set1_epi32(std::int32_t(std::uint32_t(p.rowStride) << 16 | std::uint32_t(SB))),
         OctetLevel::RowsFitWords(p.rowStride, p.srcHeight)},
        p.srcRows[0],
        p.srcRows[0] + p.rowStride,
        _mm256_set1_epi32(std::int32_t(lastRowStart + std::ptrdiff_t(p.srcWidth) * SB - 8 -
                                       std::max<std::ptrdiff_t>(0, p.rowStride)))};
    return {source,
            du,
            dv,
            _mm256_mullo_epi32(lanes, _mm256_set1_epi32(du)),
            _mm256_mullo_epi32(lanes, _mm256_set1_epi32(dv)),
            _mm256_set1_epi32(std::int32_t(8 * std::uint32_t(du))),
            _mm256_set1_epi32(std::int32_t(8 * std::uint32_t(dv)))};
}

// The positions of pixel at of a run from start stepping by step, plus each lane's offset, in wrapping
// 32-bit arithmetic like the scalar steps.
[[gnu::always_inline]] inline __m256i PositionsFrom(std::int32_t start, int at, std::int32_t step,
                                                    __m256i laneOffsets) {
    return _mm256_add_epi32(
        _mm256_set1_epi32(std::int32_t(std::uint32_t(start) + std::uint32_t(at) * std::uint32_t(step))),
        laneOffsets);
}

// A bilinear run of count pixels from (u, v), eight per step: an inner run, or (Clamped) any run of
// existing samples, where a neighbour may lie outside the level, which then needs at least two columns
// and two rows; its steps whose pixels all lie in [innerFrom, innerTo], where every texel is inside the
// level, skip the edge rule. A 3-byte pair is read as eight bytes, two past its texels: that stays inside
// the level's block except at the end of the row last in memory, and the few steps that would read there
// sample pixel by pixel instead. The last step's lanes past the end repeat the last pixel's sample
// point, so every texel read stays inside the level, and only the pixels of the run are written.
template <int SB, int DB, bool Opaque, bool Tint, bool Clamped>
inline void RunBilinearOctets(const LoopParams& p, const OctetDraw& draw, std::uint8_t* d, std::int32_t u,
                              std::int32_t v, int count, int innerFrom = 0, int innerTo = -1) {
    const OctetSource& source = draw.source;
    __m256i uCoords = PositionsFrom(u, 0, draw.du, draw.uLanes);
    __m256i vCoords = PositionsFrom(v, 0, draw.dv, draw.vLanes);
    const __m256i uStep = draw.uStep;
    const __m256i vStep = draw.vStep;
    // Whole steps before the inner run, in it, and after it (the edge-safe ones only when Clamped), then
    // the last, partly filled step: no test inside the loops but their ends.
    if (!Clamped) {
        innerFrom = 0;
        innerTo = count - 1;
    }
    const int innerEnd = std::min(innerTo + 1, count);
    int n = 0;
    bool inOpaque = false;
    for (; n < innerFrom && n + 8 <= count; n += 8, d += 8 * DB) {
        BilinearOctetStep<SB, DB, Opaque, Tint, Clamped>(p, source, uCoords, vCoords, d, 8, inOpaque);
        uCoords = _mm256_add_epi32(uCoords, uStep);
        vCoords = _mm256_add_epi32(vCoords, vStep);
    }
    if (source.level.smallRows) {
        // Inner positions lie inside the level, whose indices fit words, so times 4 they still fit 32 bits.
        __m256i uScaled = _mm256_slli_epi32(uCoords, 2);
        __m256i vScaled = _mm256_slli_epi32(vCoords, 2);
        const __m256i uScaledStep = _mm256_slli_epi32(uStep, 2);
        const __m256i vScaledStep = _mm256_slli_epi32(vStep, 2);
        if (kStepsForSharedPorts && p.portsShared) {
            RunInnerOctets<SB, DB, Opaque, Tint, kScaledStepsForSharedPorts>(
                p, source, uScaled, vScaled, uScaledStep, vScaledStep, d, n, innerEnd, inOpaque);
        } else {
            RunInnerOctets<SB, DB, Opaque, Tint, InnerSteps::Scaled>(p, source, uScaled, vScaled, uScaledStep,
                                                                     vScaledStep, d, n, innerEnd, inOpaque);
        }
        uCoords = PositionsFrom(u, n, draw.du, draw.uLanes);
        vCoords = PositionsFrom(v, n, draw.dv, draw.vLanes);
    } else {
        RunInnerOctets<SB, DB, Opaque, Tint, InnerSteps::General>(p, source, uCoords, vCoords, uStep, vStep,
                                                                  d, n, innerEnd, inOpaque);
    }
    for (; n + 8 <= count; n += 8, d += 8 * DB) {
        BilinearOctetStep<SB, DB, Opaque, Tint, Clamped>(p, source, uCoords, vCoords, d, 8, inOpaque);
        uCoords = _mm256_add_epi32(uCoords, uStep);
        vCoords = _mm256_add_epi32(vCoords, vStep);
    }
    const int left = count - n;
    if (left > 0) {
        const __m256i index =
            _mm256_min_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(left - 1));
        uCoords = PositionsFrom(u, n, draw.du, _mm256_permutevar8x32_epi32(draw.uLanes, index));
        vCoords = PositionsFrom(v, n, draw.dv, _mm256_permutevar8x32_epi32(draw.vLanes, index));
        if (n >= innerFrom && count - 1 <= innerTo) {
            BilinearOctetStep<SB, DB, Opaque, Tint, false>(p, source, uCoords, vCoords, d, left, inOpaque);
        } else {
            BilinearOctetStep<SB, DB, Opaque, Tint, Clamped>(p, source, uCoords, vCoords, d, left, inOpaque);
        }
    }
}
#endif

// Whether the four 4-byte texels a bilinear sample inside the level mixes all have alpha 0.
[[gnu::always_inline]] inline bool AllClear(const LoopParams& p, std::int32_t u, std::int32_t v) {
    const std::ptrdiff_t at = std::ptrdiff_t(u >> kFractionBits) * 4;
    const int j = v >> kFractionBits;
    std::uint64_t top, bottom;
    std::memcpy(&top, p.srcRows[j] + at, 8);
    std::memcpy(&bottom, p.srcRows[j + 1] + at, 8);
    return ((top | bottom) & 0xFF000000FF000000ull) == 0;
}

// Whether a run of count pixels with edge-safe samples takes the eight-pixel steps: they address the
// level by offset from its first row, need two columns and two rows, and a lone pixel is cheaper alone.
[[gnu::always_inline]] inline bool EdgeSafeOctetsServe(const LoopParams& p, int count) {
    return p.rowStride != 0 && p.srcWidth >= 2 && p.srcHeight >= 2 && count >= 2;
}

// Walks count pixels from d, sampling at (u, v) and stepping by (du, dv).
template <int SB, int DB, bool Opaque, bool Tint, typename Sampler>
inline void RunSegment(const LoopParams& p, std::uint8_t* d, std::int32_t u, std::int32_t v, std::int32_t du,
                       std::int32_t dv, int count) {
    int n = 0;
#if defined(GV_DRAW_LOOPS_AVX2)
    if constexpr (std::is_same_v<Sampler, BilinearClampedSampler>) {
        if (EdgeSafeOctetsServe(p, count)) {
            RunBilinearOctets<SB, DB, Opaque, Tint, true>(p, MakeOctetDraw<SB>(p, du, dv), d, u, v, count);
            return;
        }
    }
#endif
#if defined(__SSE2__)
    if constexpr (std::is_same_v<Sampler, BilinearSampler>) {
#if defined(GV_DRAW_LOOPS_AVX2)
        if (p.rowStride != 0) {
            RunBilinearOctets<SB, DB, Opaque, Tint, false>(p, MakeOctetDraw<SB>(p, du, dv), d, u, v, count);
            return;
        }
#endif
        if (count - n >= 4) {
            // Lane k samples pixel n + k; the four positions stay inside the level, so their 32-bit
            // steps cannot wrap.
            const std::uint32_t step = std::uint32_t(du), stepV = std::uint32_t(dv);
            __m128i uCoords =
                _mm_add_epi32(_mm_set1_epi32(u), _mm_setr_epi32(0, std::int32_t(step), std::int32_t(2 * step),
                                                                std::int32_t(3 * step)));
            __m128i vCoords = _mm_add_epi32(
                _mm_set1_epi32(v),
                _mm_setr_epi32(0, std::int32_t(stepV), std::int32_t(2 * stepV), std::int32_t(3 * stepV)));
            const __m128i uQuadStep = _mm_set1_epi32(std::int32_t(4 * step));
            const __m128i vQuadStep = _mm_set1_epi32(std::int32_t(4 * stepV));
            for (; n + 4 <= count; n += 4, d += 4 * DB) {
                QuadTexels at;
                LocateQuad<SB>(p, u, v, du, dv, at);
                bool clear;
                const __m128i texels = BilinearQuad<SB>(at, uCoords, vCoords, clear);
                uCoords = _mm_add_epi32(uCoords, uQuadStep);
                vCoords = _mm_add_epi32(vCoords, vQuadStep);
                if (!clear) { // four clear samples keep the destination
                    BlendQuad<SB, DB, Opaque, Tint>(p, texels, d);
                }
            }
        }
        for (; n + 2 <= count; n += 2, d += 2 * DB, u += 2 * du, v += 2 * dv) {
            if constexpr (SB == 4) {
                if (AllClear(p, u, v) && AllClear(p, u + du, v + dv)) {
                    continue; // both samples have alpha 0, which keeps the destination
                }
            }
            const std::uint64_t pair = BilinearPair<SB>(p, u, v, u + du, v + dv);
            if constexpr (DB == 4 && Opaque && !Tint) {
                // Two opaque samples replace both colours at once; the destination alpha stays.
                constexpr std::uint64_t alphas = 0xFF000000FF000000ull;
                if ((pair & alphas) == alphas) {
                    std::uint64_t old;
                    std::memcpy(&old, d, 8);
                    old = (old & alphas) | (pair & ~alphas);
                    std::memcpy(d, &old, 8);
                    continue;
                }
            }
            BlendPixel<SB, DB, Opaque, Tint>(p, std::uint32_t(pair), d);
            BlendPixel<SB, DB, Opaque, Tint>(p, std::uint32_t(pair >> 32), d + DB);
        }
    }
#endif
    for (; n < count; ++n) {
        if constexpr (SB == 4 && std::is_same_v<Sampler, BilinearSampler>) {
            if (AllClear(p, u, v)) { // the sample's alpha is then 0, which keeps the destination
                d += DB;
                u += du;
                v += dv;
                continue;
            }
        }
        BlendPixel<SB, DB, Opaque, Tint>(p, Sampler::template At<SB>(p, u, v), d);
        d += DB;
        u += du;
        v += dv;
    }
}

// Pixels first .. last - 1 of a row (counted from the box's left edge) through one sampler.
template <int SB, int DB, bool Opaque, bool Tint, typename Sampler>
inline void RunPart(const LoopParams& p, std::uint8_t* rowStart, std::int64_t u, std::int64_t v, int first,
                    int last) {
    if (first > last) {
        return;
    }
    const int count = last - first + 1;
    // A single pixel never steps, and a longer run stays inside the level, so its steps fit 32 bits.
    const std::int32_t du = count > 1 ? std::int32_t(p.dudx) : 0;
    const std::int32_t dv = count > 1 ? std::int32_t(p.dvdx) : 0;
    RunSegment<SB, DB, Opaque, Tint, Sampler>(p, rowStart + first * DB, std::int32_t(u + first * p.dudx),
                                              std::int32_t(v + first * p.dvdx), du, dv, count);
}

// Runs [first, last] of one row, split at the inner run [innerFirst, innerLast] that the fast
// sampler may serve; the pixels on either side go through the edge-safe sampler.
template <int SB, int DB, bool Opaque, bool Tint, typename Edge, typename Inner>
inline void RunSplitRow(const LoopParams& p, std::uint8_t* rowStart, std::int64_t u, std::int64_t v,
                        int first, int last, int innerFirst, int innerLast) {
    innerFirst = std::max(innerFirst, first);
    innerLast = std::min(innerLast, last);
    if (innerFirst > innerLast) {
        RunPart<SB, DB, Opaque, Tint, Edge>(p, rowStart, u, v, first, last);
        return;
    }
    RunPart<SB, DB, Opaque, Tint, Edge>(p, rowStart, u, v, first, innerFirst - 1);
    RunPart<SB, DB, Opaque, Tint, Inner>(p, rowStart, u, v, innerFirst, innerLast);
    RunPart<SB, DB, Opaque, Tint, Edge>(p, rowStart, u, v, innerLast + 1, last);
}

#if defined(GV_DRAW_LOOPS_AVX2)
// Lays eight texels, in pixel order (3-byte ones with alpha 255), straight onto eight pixels of a 4-byte
// destination without tint, as BlendOctet does; eight clear texels keep the destination.
template <int SB>
[[gnu::always_inline]] inline void LayTexelOctet(const LoopParams& p, __m256i texels, std::uint8_t* d) {
    if (SB == 4 && _mm256_testz_si256(texels, _mm256_set1_epi32(std::int32_t(0xFF000000u)))) {
        return;
    }
    BlendOctet<SB, 4, true, false>(p, texels, d, 8);
}

// Lays the whole groups of eight texels of a run along one source row onto a 4-byte destination without
// tint, as LayTexelOctet does, the run walking the row forwards or (Backward, a mirrored draw) backwards;
// returns how many pixels it laid. Eight texels are read as one block and put in pixel order; 3-byte ones
// as two 16-byte loads, each reaching four bytes past its four texels, which must stay inside the run:
// forwards a group goes this way only while ten texels remain, backwards only from the third.
template <int SB, bool Backward>
[[gnu::always_inline]] inline int BlendTexelOctets(const LoopParams& p, std::uint8_t* d,
                                                   const std::uint8_t* src, int count) {
    constexpr std::ptrdiff_t step = Backward ? -8 * SB : 8 * SB;
    int n = 0;
    if constexpr (SB == 4) {
        for (; n + 8 <= count; n += 8, src += step, d += 32) {
            __m256i texels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Backward ? src - 28 : src));
            if constexpr (Backward) {
                texels = _mm256_permutevar8x32_epi32(texels, _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0));
            }
            LayTexelOctet<4>(p, texels, d);
        }
    } else {
        const __m256i alphas = _mm256_set1_epi32(std::int32_t(0xFF000000u));
        constexpr char z = char(0x80); // a shuffle index that writes 0
        const __m256i spread = Backward ? InBothHalves(9, 10, 11, z, 6, 7, 8, z, 3, 4, 5, z, 0, 1, 2, z)
                                        : InBothHalves(0, 1, 2, z, 3, 4, 5, z, 6, 7, 8, z, 9, 10, 11, z);
        if constexpr (Backward) {
            for (; n < 2 && n < count; ++n, src -= 3, d += 4) {
                BlendPixel<3, 4, true, false>(p, LoadTexel<3>(src), d);
            }
        }
        for (; n + (Backward ? 8 : 10) <= count; n += 8, src += step, d += 32) {
            // Pixels 0-3 in the lower half, 4-7 in the upper.
            const std::uint8_t* lower = Backward ? src - 9 : src;
            const std::uint8_t* upper = Backward ? src - 21 : src + 12;
            const __m256i halves = _mm256_inserti128_si256(
                _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lower))),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper)), 1);
            LayTexelOctet<3>(p, _mm256_or_si256(_mm256_shuffle_epi8(halves, spread), alphas), d);
        }
    }
    return n;
}
#endif

// Copies or blends source texels straight onto count destination pixels, the texel of pixel n being
// at src + n * texelStep bytes along one row. Fully opaque and fully clear groups of four 4-byte texels
// are settled without the blend table, as T(s, 255) + T(d, 0) = s and T(s, 0) + T(d, 255) = d.
template <int SB, int DB, bool Opaque, bool Tint>
inline void BlendTexelRun(const LoopParams& p, std::uint8_t* d, const std::uint8_t* src,
                          std::ptrdiff_t texelStep, int count) {
    int n = 0;
#if defined(GV_DRAW_LOOPS_AVX2)
    if constexpr (DB == 4 && Opaque && !Tint) {
        if (texelStep == SB || texelStep == -SB) {
            n = texelStep > 0 ? BlendTexelOctets<SB, false>(p, d, src, count)
                              : BlendTexelOctets<SB, true>(p, d, src, count);
            src += n * texelStep;
            d += n * DB;
        }
    }
#endif
#if defined(__SSE2__)
    if constexpr (SB == 4 && DB == 4 && Opaque && !Tint) {
        if (texelStep == 4) {
            const __m128i alphaBits = _mm_set1_epi32(std::int32_t(0xFF000000u));
            for (; n + 4 <= count; n += 4, src += 16, d += 16) {
                const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
                const __m128i alpha = _mm_and_si128(s, alphaBits);
                if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaBits)) == 0xFFFF) {
                    __m128i* at = reinterpret_cast<__m128i*>(d);
                    const __m128i old = _mm_loadu_si128(at);
                    _mm_storeu_si128(
                        at, _mm_or_si128(_mm_and_si128(old, alphaBits), _mm_andnot_si128(alphaBits, s)));
                } else if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) != 0xFFFF) {
                    for (int k = 0; k < 4; ++k) {
                        BlendPixel<SB, DB, Opaque, Tint>(p, LoadTexel<SB>(src + 4 * k), d + 4 * k);
                    }
                }
            }
        }
    }
#endif
    if constexpr (SB == 3 && DB == 4 && Opaque && !Tint) {
        // Along a row the byte after a 3-byte texel is the next texel's, so all but the last texel can
        // be read as one word.
        if (texelStep == 3) {
            for (; n + 1 < count; ++n, src += 3, d += 4) {
                std::uint32_t texel, old;
                std::memcpy(&texel, src, 4);
                std::memcpy(&old, d, 4);
                old = (old & 0xFF000000u) | (texel & 0x00FFFFFFu);
                std::memcpy(d, &old, 4);
            }
        }
    }
    for (; n < count; ++n, src += texelStep, d += DB) {
        BlendPixel<SB, DB, Opaque, Tint>(p, LoadTexel<SB>(src), d);
    }
}

// A run whose sample points all sit on texel centres: bilinear weights are then 65536 on the texel
// itself and 0 on its neighbours, so the sample is the texel and needs no arithmetic.
template <int SB, int DB, bool Opaque, bool Tint>
void RunAlignedRow(const LoopParams& p, std::uint8_t* d, bool alongU, int fixedIndex, int moveIndex,
                   int moveStep, int count) {
    if (alongU) {
        BlendTexelRun<SB, DB, Opaque, Tint>(p, d, p.srcRows[fixedIndex] + std::ptrdiff_t(moveIndex) * SB,
                                            std::ptrdiff_t(moveStep) * SB, count);
        return;
    }
    const std::ptrdiff_t column = std::ptrdiff_t(fixedIndex) * SB;
    int n = 0;
#if defined(GV_DRAW_LOOPS_AVX2)
    // Down a source column (quarter turns) eight texels from eight rows make one step.
    if constexpr (DB == 4 && Opaque && !Tint) {
        for (; n + 8 <= count; n += 8, d += 32, moveIndex += 8 * moveStep) {
            auto texel = [&](int k) {
                return std::int32_t(LoadTexel<SB>(p.srcRows[moveIndex + k * moveStep] + column));
            };
            const __m256i texels = _mm256_setr_epi32(texel(0), texel(1), texel(2), texel(3), texel(4),
                                                     texel(5), texel(6), texel(7));
            LayTexelOctet<SB>(p, texels, d);
        }
    }
#endif
    for (; n < count; ++n, d += DB, moveIndex += moveStep) {
        BlendPixel<SB, DB, Opaque, Tint>(p, LoadTexel<SB>(p.srcRows[moveIndex] + column), d);
    }
}

// A whole row of existing samples on texel centres, edges included. A sample there needs only its own
// texel, and the one index that may lie outside the level is -1 (half a texel before the first
// centre), which the edge rule maps to 0; the existence test keeps every index below the level's size.
template <int SB, int DB, bool Opaque, bool Tint>
void RunAlignedEdgeRow(const LoopParams& p, std::uint8_t* rowStart, std::int64_t u, std::int64_t v, int first,
                       int last) {
    if (first > last) {
        return;
    }
    const bool alongU = p.dvdx == 0;
    const std::int64_t fixedCoord = alongU ? v + first * p.dvdx : u + first * p.dudx;
    const int fixedSize = alongU ? p.srcHeight : p.srcWidth;
    const int fixedIndex = std::clamp(int(fixedCoord >> kFractionBits), 0, fixedSize - 1);
    int moveIndex = int((alongU ? u + first * p.dudx : v + first * p.dvdx) >> kFractionBits);
    const int moveStep = last > first ? int((alongU ? p.dudx : p.dvdx) >> kFractionBits) : 0;
    std::uint8_t* d = rowStart + first * DB;
    int count = last - first + 1;
    if (moveStep == 0) {
        RunAlignedRow<SB, DB, Opaque, Tint>(p, d, alongU, fixedIndex, std::max(moveIndex, 0), 0, count);
        return;
    }
    if (moveIndex < 0) {
        RunAlignedRow<SB, DB, Opaque, Tint>(p, d, alongU, fixedIndex, 0, 0, 1);
        d += DB;
        moveIndex += moveStep;
        --count;
    }
    if (count > 0 && moveIndex + std::int64_t(count - 1) * moveStep < 0) {
        RunAlignedRow<SB, DB, Opaque, Tint>(p, d + (count - 1) * DB, alongU, fixedIndex, 0, 0, 1);
        --count;
    }
    RunAlignedRow<SB, DB, Opaque, Tint>(p, d, alongU, fixedIndex, moveIndex, moveStep, count);
}

#if defined(__SSE2__)
// A texel's channels as four floats; a 3-byte texel's fourth is 0. A named function rather than a
// lambda, so that the wider builds' target applies to it too.
template <int SB> [[gnu::always_inline]] inline __m128 TexelChannels(const std::uint8_t* texel) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bytes =
        _mm_cvtsi32_si128(std::int32_t(LoadTexel<SB>(texel) & (SB == 4 ? ~0u : 0x00FFFFFFu)));
    return _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero));
}
#endif

// (256 - f) * a + f * b for each channel of texels a and b, in single precision: one entry of the line
// of RunAxisRow. The four channels go through the same multiplications and addition in one vector as
// they would one by one, so the floats are the same; a 3-byte texel's fourth entry is 0.
template <int SB>
[[gnu::always_inline]] inline void MixTexels(const std::uint8_t* a, const std::uint8_t* b, float f,
                                             float* out) {
#if defined(__SSE2__)
    _mm_storeu_ps(out, _mm_add_ps(_mm_mul_ps(_mm_set1_ps(256.0f - f), TexelChannels<SB>(a)),
                                  _mm_mul_ps(_mm_set1_ps(f), TexelChannels<SB>(b))));
#else
    for (int c = 0; c < SB; ++c) {
        out[c] = (256.0f - f) * float(a[c]) + f * float(b[c]);
    }
#endif
}

// Bilinear samples for a run of pixels that all lie inside the level, on a row along which one source
// coordinate stays fixed. The 2 x 2 sum factors as (256 - f) * L[k] + f * L[k + 1], where L already
// mixes the two fixed rows (or columns) of texels, so L is computed once per texel of the run instead
// of once per pixel. Every partial sum is an integer below 2^24, exact in single precision, so the
// result is the same as the direct sum.
template <int SB, int DB, bool Opaque, bool Tint>
void RunAxisRow(const LoopParams& p, std::uint8_t* rowStart, std::int64_t u, std::int64_t v, int first,
                int last) {
    if (first > last) {
        return;
    }
    const bool alongU = p.dvdx == 0;
    const std::int64_t step = alongU ? p.dudx : p.dvdx;
    const std::int64_t fixedCoord = alongU ? v + first * p.dvdx : u + first * p.dudx;
    const std::int64_t moveFirst = alongU ? u + first * p.dudx : v + first * p.dvdx;
    const std::int64_t moveLast = moveFirst + (last - first) * step;
    const bool onCentres = (fixedCoord & kFractionMask) == 0 && (moveFirst & kFractionMask) == 0 &&
                           ((last > first ? step : 0) & kFractionMask) == 0;
    if (onCentres) {
        RunAlignedRow<SB, DB, Opaque, Tint>(p, rowStart + first * DB, alongU,
                                            int(fixedCoord >> kFractionBits), int(moveFirst >> kFractionBits),
                                            last > first ? int(step >> kFractionBits) : 0, last - first + 1);
        return;
    }
    const int kFirst = int(std::min(moveFirst, moveLast) >> kFractionBits);
    const int kLast = int(std::max(moveFirst, moveLast) >> kFractionBits) + 1;
    const int fixedIndex = int(fixedCoord >> kFractionBits);
    const float fixedFraction = float((fixedCoord & kFractionMask) >> 6);
    float* line = p.line;
    for (int k = kFirst; k <= kLast; ++k, line += 4) {
        const std::uint8_t* a = alongU ? p.srcRows[fixedIndex] + k * SB : p.srcRows[k] + fixedIndex * SB;
        const std::uint8_t* b = alongU ? p.srcRows[fixedIndex + 1] + k * SB : a + SB;
        MixTexels<SB>(a, b, fixedFraction, line);
    }
    std::uint8_t* d = rowStart + first * DB;
    std::int32_t move = std::int32_t(moveFirst);
    const std::int32_t moveStep = last > first ? std::int32_t(step) : 0;
    for (int n = first; n <= last; ++n, d += DB, move += moveStep) {
        const float* l = p.line + ((move >> kFractionBits) - kFirst) * 4;
        const float f = float((move & kFractionMask) >> 6);
        std::uint32_t texel;
#if defined(__SSE2__)
        const __m128 sum = _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(l), _mm_set1_ps(256.0f - f)),
                                      _mm_mul_ps(_mm_loadu_ps(l + 4), _mm_set1_ps(f)));
        __m128i r = _mm_cvttps_epi32(_mm_mul_ps(sum, _mm_set1_ps(1.0f / 65536.0f)));
        r = _mm_packs_epi32(r, r);
        r = _mm_packus_epi16(r, r);
        texel = std::uint32_t(_mm_cvtsi128_si32(r));
#else
        texel = 0;
        for (int c = 0; c < SB; ++c) {
            texel |= std::uint32_t(int(((256.0f - f) * l[c] + f * l[c + 4]) * (1.0f / 65536.0f))) << (8 * c);
        }
#endif
        if constexpr (SB == 3) {
            texel = (texel & 0x00FFFFFFu) | 0xFF000000u;
        }
        BlendPixel<SB, DB, Opaque, Tint>(p, texel, d);
    }
}

// How many pixels at the start and at the end of a row's run of existing samples may have a neighbour
// outside the level. A coordinate of such a run stays within one texel before the level and its size,
// and moves by one step per pixel; the pixels short of the inner range (below 0, or within the reach of
// the level's far edge) are then a prefix and a suffix of the run, each no longer than the steps it takes
// to cross its band. A step of 0 keeps the coordinate fixed: the row then lies wholly inside or not.
struct EdgeMargins {
    int start = 0, end = 0;

    static EdgeMargins Of(std::int64_t step, std::int64_t lowBand, std::int64_t highBand) {
        auto crossing = [step](std::int64_t band) {
            return int(std::min<std::int64_t>(band / (step < 0 ? -step : step) + 1, 1 << 30));
        };
        if (step > 0) {
            return {crossing(lowBand), crossing(highBand)};
        }
        if (step < 0) {
            return {crossing(highBand), crossing(lowBand)};
        }
        return {};
    }

    EdgeMargins Widest(const EdgeMargins& other) const {
        return {std::max(start, other.start), std::max(end, other.end)};
    }
};

template <int SB, int DB, Sampling S, bool Opaque, bool Tint> void DrawRows(const LoopParams& p) {
    const int lastIndex = p.x1 - p.x0;
    const std::int64_t width = std::int64_t(p.srcWidth) << kFractionBits;
    const std::int64_t height = std::int64_t(p.srcHeight) << kFractionBits;
    std::int64_t rowU = p.u0;
    std::int64_t rowV = p.v0;
    const StepClipper alongU(p.dudx);
    const StepClipper alongV(p.dvdx);
#if defined(GV_DRAW_LOOPS_AVX2)
    const EdgeMargins margins =
        EdgeMargins::Of(p.dudx, kOne, kPairReach<SB>).Widest(EdgeMargins::Of(p.dvdx, kOne, kOne));
    // Rows longer than one pixel step by (dudx, dvdx), within 32 bits as their samples stay near the level.
    const OctetDraw octets = S == Sampling::Bilinear
                                 ? MakeOctetDraw<SB>(p, std::int32_t(p.dudx), std::int32_t(p.dvdx))
                                 : OctetDraw{};
#endif
    for (int y = p.y0; y <= p.y1; ++y, rowU += p.dudy, rowV += p.dvdy) {
        std::uint8_t* rowStart = p.dstRows[y] + p.x0 * DB;
        int first = 0;
        int last = lastIndex;
        // Run where the sample exists.
        const std::int64_t lo = S == Sampling::Nearest ? 0 : -kOne;
        alongU.Clip(rowU, lo, width, first, last);
        alongV.Clip(rowV, lo, height, first, last);
        if (first > last) {
            continue;
        }
        if constexpr (S == Sampling::Nearest) {
            RunPart<SB, DB, Opaque, Tint, NearestSampler>(p, rowStart, rowU, rowV, first, last);
        } else if constexpr (S == Sampling::OffsetNearest) {
            RunPart<SB, DB, Opaque, Tint, OffsetNearestSampler>(p, rowStart, rowU, rowV, first, last);
        } else if constexpr (S == Sampling::AxisBilinear) {
            if (p.onCentres) {
                RunAlignedEdgeRow<SB, DB, Opaque, Tint>(p, rowStart, rowU, rowV, first, last);
                continue;
            }
            int innerFirst = first;
            int innerLast = last;
            alongU.Clip(rowU, 0, width - kOne, innerFirst, innerLast);
            alongV.Clip(rowV, 0, height - kOne, innerFirst, innerLast);
            innerFirst = std::max(innerFirst, first);
            innerLast = std::min(innerLast, last);
            if (innerFirst > innerLast) {
                RunPart<SB, DB, Opaque, Tint, BilinearClampedSampler>(p, rowStart, rowU, rowV, first, last);
                continue;
            }
            RunPart<SB, DB, Opaque, Tint, BilinearClampedSampler>(p, rowStart, rowU, rowV, first,
                                                                  innerFirst - 1);
            RunAxisRow<SB, DB, Opaque, Tint>(p, rowStart, rowU, rowV, innerFirst, innerLast);
            RunPart<SB, DB, Opaque, Tint, BilinearClampedSampler>(p, rowStart, rowU, rowV, innerLast + 1,
                                                                  last);
        } else if constexpr (S == Sampling::Bilinear) {
#if defined(GV_DRAW_LOOPS_AVX2)
            // Each row is one run of eight-pixel steps, edge-safe only within the margins at its ends:
            // no partly filled steps at both ends of its inner run.
            if (EdgeSafeOctetsServe(p, last - first + 1)) {
                int innerFirst = first + margins.start;
                int innerLast = last - margins.end;
                if ((p.dudx == 0 && (rowU < 0 || rowU >= width - kPairReach<SB>)) ||
                    (p.dvdx == 0 && (rowV < 0 || rowV >= height - kOne))) {
                    innerLast = innerFirst - 1; // the row runs along the level's edge
                }
                RunBilinearOctets<SB, DB, Opaque, Tint, true>(
                    p, octets, rowStart + first * DB, std::int32_t(rowU + first * p.dudx),
                    std::int32_t(rowV + first * p.dvdx), last - first + 1, innerFirst - first,
                    innerLast - first);
                continue;
            }
#endif
            int innerFirst = first;
            int innerLast = last;
            alongU.Clip(rowU, 0, width - kPairReach<SB>, innerFirst, innerLast);
            alongV.Clip(rowV, 0, height - kOne, innerFirst, innerLast);
            RunSplitRow<SB, DB, Opaque, Tint, BilinearClampedSampler, BilinearSampler>(
                p, rowStart, rowU, rowV, first, last, innerFirst, innerLast);
        } else {
            // Taps are used only where every tap and its neighbours lie well inside the level.
            int innerFirst = first;
            int innerLast = last;
            const std::int64_t iLo = 3 - ((-p.halfU) >> kFractionBits);
            const std::int64_t iHi = p.srcWidth - 5 - (p.halfU >> kFractionBits);
            const std::int64_t jLo = 3 - ((-p.halfV) >> kFractionBits);
            const std::int64_t jHi = p.srcHeight - 5 - (p.halfV >> kFractionBits);
            alongU.Clip(rowU, iLo * kOne, (iHi + 1) * kOne, innerFirst, innerLast);
            alongV.Clip(rowV, jLo * kOne, (jHi + 1) * kOne, innerFirst, innerLast);
            RunSplitRow<SB, DB, Opaque, Tint, BilinearClampedSampler, FootprintSampler>(
                p, rowStart, rowU, rowV, first, last, innerFirst, innerLast);
        }
    }
}

// The row loop for one sampling and the given depths and options.
template <Sampling S> LoopFn PickRows(int srcBytes, int dstBytes, bool opaque, bool tint) {
    auto byOptions = [&](auto sb, auto db) -> LoopFn {
        constexpr int SB = decltype(sb)::value;
        constexpr int DB = decltype(db)::value;
        if (opaque) {
            return tint ? &DrawRows<SB, DB, S, true, true> : &DrawRows<SB, DB, S, true, false>;
        }
        return tint ? &DrawRows<SB, DB, S, false, true> : &DrawRows<SB, DB, S, false, false>;
    };
    using Three = std::integral_constant<int, 3>;
    using Four = std::integral_constant<int, 4>;
    if (srcBytes == 4) {
        return dstBytes == 4 ? byOptions(Four{}, Four{}) : byOptions(Four{}, Three{});
    }
    return dstBytes == 4 ? byOptions(Three{}, Four{}) : byOptions(Three{}, Three{});
}

} // namespace GV_DRAW_LOOPS_ISA
} // namespace drawloops
