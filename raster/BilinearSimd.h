#pragma once

// Bilinear samples of several pixels per SIMD step, for runs whose texels all lie inside the level.
// Each gives exactly the bytes of the per-pixel sum: the grouping of the products changes, never the
// integer result.

#include "raster/DrawLoopParams.h"

#include <cstdint>
#include <cstring>

#if !defined(GV_DRAW_LOOPS_ISA)
#define GV_DRAW_LOOPS_ISA baseline
#endif

#if defined(__SSE2__)
#include <emmintrin.h>

namespace drawloops {
inline namespace GV_DRAW_LOOPS_ISA {

// Texels i and i + 1 of one row as bytes 0-3 and 4-7.
template <int SB> [[gnu::always_inline]] inline __m128i LoadPair(const std::uint8_t* p) {
    if constexpr (SB == 4) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    } else {
        std::int32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + 3, 4);
        return _mm_unpacklo_epi32(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b));
    }
}

// Texels i and i + 1 under the sample at (u, v), each byte mixed with the row above by the vertical
// fraction: (256 - fv) * top + fv * bottom, which stays below 2^16.
template <int SB>
[[gnu::always_inline]] inline __m128i RowsMixed(const LoopParams& p, std::int32_t u, std::int32_t v) {
    const __m128i zero = _mm_setzero_si128();
    const std::ptrdiff_t at = std::ptrdiff_t(u >> kFractionBits) * SB;
    const int j = v >> kFractionBits;
    const int fv = (v & kFractionMask) >> 6;
    const __m128i top = _mm_unpacklo_epi8(LoadPair<SB>(p.srcRows[j] + at), zero);
    const __m128i bottom = _mm_unpacklo_epi8(LoadPair<SB>(p.srcRows[j + 1] + at), zero);
    return _mm_add_epi16(_mm_mullo_epi16(top, _mm_set1_epi16(std::int16_t(256 - fv))),
                         _mm_mullo_epi16(bottom, _mm_set1_epi16(std::int16_t(fv))));
}

// Bilinear samples of two pixels whose texels all lie inside the level (for 3-byte sources with the
// extra byte the pair loader reads), as texels in the low and high 32 bits; 3-byte samples carry
// alpha 255. Each sample is the exact sum of weight x byte over its 2 x 2 texels reduced by 16
// bits, only grouped differently: first the two rows (a convex mix of bytes times 256 stays below
// 2^16, so 16-bit lanes hold it exactly), then the two columns in 32 bits.
template <int SB>
[[gnu::always_inline]] inline std::uint64_t BilinearPair(const LoopParams& p, std::int32_t ua,
                                                         std::int32_t va, std::int32_t ub, std::int32_t vb) {
    const __m128i a = RowsMixed<SB>(p, ua, va); // texels i and i + 1 of the first pixel
    const __m128i b = RowsMixed<SB>(p, ub, vb);
    const int fa = (ua & kFractionMask) >> 6;
    const int fb = (ub & kFractionMask) >> 6;
    const __m128i left = _mm_unpacklo_epi64(a, b);
    const __m128i right = _mm_unpackhi_epi64(a, b);
    const __m128i leftWeight =
        _mm_unpacklo_epi64(_mm_set1_epi16(std::int16_t(256 - fa)), _mm_set1_epi16(std::int16_t(256 - fb)));
    const __m128i rightWeight =
        _mm_unpacklo_epi64(_mm_set1_epi16(std::int16_t(fa)), _mm_set1_epi16(std::int16_t(fb)));
    const __m128i leftLow = _mm_mullo_epi16(left, leftWeight);
    const __m128i leftHigh = _mm_mulhi_epu16(left, leftWeight);
    const __m128i rightLow = _mm_mullo_epi16(right, rightWeight);
    const __m128i rightHigh = _mm_mulhi_epu16(right, rightWeight);
    const __m128i first = _mm_srli_epi32(
        _mm_add_epi32(_mm_unpacklo_epi16(leftLow, leftHigh), _mm_unpacklo_epi16(rightLow, rightHigh)), 16);
    const __m128i second = _mm_srli_epi32(
        _mm_add_epi32(_mm_unpackhi_epi16(leftLow, leftHigh), _mm_unpackhi_epi16(rightLow, rightHigh)), 16);
    const __m128i words = _mm_packs_epi32(first, second);
    std::uint64_t out;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out), _mm_packus_epi16(words, words));
    return SB == 4 ? out : out | 0xFF000000FF000000ull;
}

// 16-bit lane operations, named for the bilinear mix below.
[[gnu::always_inline]] inline __m128i Add16(__m128i a, __m128i b) {
    return _mm_add_epi16(a, b);
}
[[gnu::always_inline]] inline __m128i Sub16(__m128i a, __m128i b) {
    return _mm_sub_epi16(a, b);
}
[[gnu::always_inline]] inline __m128i Mul16(__m128i a, __m128i b) {
    return _mm_mullo_epi16(a, b);
}
[[gnu::always_inline]] inline __m128i ShiftUp8(__m128i a) {
    return _mm_slli_epi16(a, 8);
}
[[gnu::always_inline]] inline __m128i ShiftDown8(__m128i a) {
    return _mm_srli_epi16(a, 8);
}
[[gnu::always_inline]] inline __m128i LowByte(__m128i a) {
    return _mm_and_si128(a, _mm_set1_epi16(0xFF));
}
[[gnu::always_inline]] inline __m128i HighByte(__m128i a) {
    return _mm_andnot_si128(_mm_set1_epi16(0xFF), a);
}

// The 16-bit lanes of a 2 x 2 bilinear mix for two pixels per 128 bits (four channels each): tl/tr are
// the left and right texels of the upper row, bl/br of the lower row, fu/fv each pixel's 8-bit
// fractions repeated over its lanes. The exact sum S = A * (256 - fv) + B * fv, with A and B the
// horizontal mixes of the two rows, needs 24 bits; split A = 256 * Ah + Al and likewise B, then
// S = 256 * X + Y with X = Ah * (256 - fv) + Bh * fv and Y = Al * (256 - fv) + Bl * fv, and
// S >> 16 = (X + (Y >> 8)) >> 8. Every term stays below 2^16, so no lane ever needs 32 bits.
template <typename V> [[gnu::always_inline]] inline V BilerpLanes(V tl, V tr, V bl, V br, V fu, V fv) {
    // (256 - f) * p + f * q = 256 * p + f * (q - p); the lanes wrap, but the true value fits.
    const V a = Add16(ShiftUp8(tl), Mul16(fu, Sub16(tr, tl)));
    const V b = Add16(ShiftUp8(bl), Mul16(fu, Sub16(br, bl)));
    const V x = Add16(HighByte(a), Mul16(fv, Sub16(ShiftDown8(b), ShiftDown8(a))));
    const V y = Add16(ShiftUp8(a), Mul16(fv, Sub16(LowByte(b), LowByte(a))));
    return ShiftDown8(Add16(x, ShiftDown8(y)));
}

// Splits the texel pairs of pixels a, b (in ab) and c, d (in cd) into the four left texels and the four
// right ones, one 32-bit texel per pixel. A 3-byte pair has its right texel three bytes in.
template <int SB>
[[gnu::always_inline]] inline void SplitPairs(__m128i ab, __m128i cd, __m128i& left, __m128i& right) {
    if constexpr (SB == 4) {
        left = _mm_castps_si128(
            _mm_shuffle_ps(_mm_castsi128_ps(ab), _mm_castsi128_ps(cd), _MM_SHUFFLE(2, 0, 2, 0)));
        right = _mm_castps_si128(
            _mm_shuffle_ps(_mm_castsi128_ps(ab), _mm_castsi128_ps(cd), _MM_SHUFFLE(3, 1, 3, 1)));
    } else {
        left = _mm_castps_si128(
            _mm_shuffle_ps(_mm_castsi128_ps(ab), _mm_castsi128_ps(cd), _MM_SHUFFLE(2, 0, 2, 0)));
        right = _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(_mm_srli_epi64(ab, 24)),
                                                _mm_castsi128_ps(_mm_srli_epi64(cd, 24)),
                                                _MM_SHUFFLE(2, 0, 2, 0)));
    }
}

// Eight bytes from each of two addresses, as the low and high halves.
[[gnu::always_inline]] inline __m128i LoadTwoPairs(const std::uint8_t* low, const std::uint8_t* high) {
    return _mm_castpd_si128(
        _mm_loadh_pd(_mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(low))),
                     reinterpret_cast<const double*>(high)));
}

// Where the four texels of one bilinear sample start: the upper and lower row at texel i.
struct QuadTexels {
    const std::uint8_t* top[4];
    const std::uint8_t* bottom[4];
};

// The texels under four samples stepping from (u, v) by (du, dv), all inside the level (3-byte sources
// with the extra byte the pair loader reads). Advances u and v past the four.
template <int SB>
[[gnu::always_inline]] inline void LocateQuad(const LoopParams& p, std::int32_t& u, std::int32_t& v,
                                              std::int32_t du, std::int32_t dv, QuadTexels& at) {
    for (int k = 0; k < 4; ++k, u += du, v += dv) {
        const std::ptrdiff_t column = std::ptrdiff_t(u >> kFractionBits) * SB;
        const int j = v >> kFractionBits;
        at.top[k] = p.srcRows[j] + column;
        at.bottom[k] = p.srcRows[j + 1] + column;
    }
}

// Fractions of four samples as 16-bit lanes, each repeated over the four lanes of its pixel: pixels 0
// and 1 in the first vector, 2 and 3 in the second.
[[gnu::always_inline]] inline void SpreadFractions(__m128i coords, __m128i& first, __m128i& second) {
    const __m128i fractions = _mm_srli_epi32(_mm_and_si128(coords, _mm_set1_epi32(kFractionMask)), 6);
    const __m128i words = _mm_packs_epi32(fractions, fractions);
    const __m128i doubled = _mm_unpacklo_epi16(words, words);
    first = _mm_unpacklo_epi32(doubled, doubled);
    second = _mm_unpackhi_epi32(doubled, doubled);
}

// Four bilinear samples as four texels, bytes blue, green, red, alpha; uCoords/vCoords hold the four
// sample positions. 3-byte samples carry alpha 255. For 4-byte sources whose sixteen texels are all
// clear, clear is set and the samples are not worked out (they would all have alpha 0).
template <int SB>
[[gnu::always_inline]] inline __m128i BilinearQuad(const QuadTexels& at, __m128i uCoords, __m128i vCoords,
                                                   bool& clear) {
    __m128i topLeft, topRight, bottomLeft, bottomRight;
    SplitPairs<SB>(LoadTwoPairs(at.top[0], at.top[1]), LoadTwoPairs(at.top[2], at.top[3]), topLeft, topRight);
    SplitPairs<SB>(LoadTwoPairs(at.bottom[0], at.bottom[1]), LoadTwoPairs(at.bottom[2], at.bottom[3]),
                   bottomLeft, bottomRight);
    if constexpr (SB == 4) {
        const __m128i any =
            _mm_or_si128(_mm_or_si128(topLeft, topRight), _mm_or_si128(bottomLeft, bottomRight));
        clear = _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(any, 24), _mm_setzero_si128())) == 0xFFFF;
        if (clear) {
            return _mm_setzero_si128();
        }
    } else {
        clear = false;
    }
    __m128i fu01, fu23, fv01, fv23;
    SpreadFractions(uCoords, fu01, fu23);
    SpreadFractions(vCoords, fv01, fv23);
    const __m128i zero = _mm_setzero_si128();
    const __m128i first =
        BilerpLanes(_mm_unpacklo_epi8(topLeft, zero), _mm_unpacklo_epi8(topRight, zero),
                    _mm_unpacklo_epi8(bottomLeft, zero), _mm_unpacklo_epi8(bottomRight, zero), fu01, fv01);
    const __m128i second =
        BilerpLanes(_mm_unpackhi_epi8(topLeft, zero), _mm_unpackhi_epi8(topRight, zero),
                    _mm_unpackhi_epi8(bottomLeft, zero), _mm_unpackhi_epi8(bottomRight, zero), fu23, fv23);
    const __m128i texels = _mm_packus_epi16(first, second);
    return SB == 4 ? texels : _mm_or_si128(texels, _mm_set1_epi32(std::int32_t(0xFF000000u)));
}

#if defined(GV_DRAW_LOOPS_AVX2)
// A byte shuffle's 16 indices for both 128-bit halves, as one 32-byte constant that an instruction reads
// straight from memory. (GCC 12 builds a broadcast of a 16-byte constant again in every step, by an insert
// on the vector units.)
[[gnu::always_inline]] inline __m256i InBothHalves(char b0, char b1, char b2, char b3, char b4, char b5,
                                                   char b6, char b7, char b8, char b9, char b10, char b11,
                                                   char b12, char b13, char b14, char b15) {
    return _mm256_setr_epi8(b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b0, b1, b2,
                            b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15);
}

// Eight bytes from p in each 64-bit lane.
[[gnu::always_inline]] inline __m256i BroadcastPair(const std::uint8_t* p) {
    long long value;
    std::memcpy(&value, p, 8);
    return _mm256_set1_epi64x(value);
}

// Eight bytes from each of four addresses: a, b in the low half and c, d in the high half. Each is
// broadcast straight from memory, which the load unit does, and the four are then blended: no shuffle,
// the operation the rest of the step needs most.
[[gnu::always_inline]] inline __m256i LoadFourPairs(const std::uint8_t* a, const std::uint8_t* b,
                                                    const std::uint8_t* c, const std::uint8_t* d) {
    const __m256i ab = _mm256_blend_epi32(BroadcastPair(a), BroadcastPair(b), 0x0C);
    const __m256i cd = _mm256_blend_epi32(BroadcastPair(c), BroadcastPair(d), 0xC0);
    return _mm256_blend_epi32(ab, cd, 0xF0);
}

// Where the texel pairs of eight bilinear samples start, as byte offsets from the first row of the
// level (rows evenly spaced by stride bytes), and the weights of their fractions f (0 to 256) as the
// words 256 - f and f of each 32-bit lane.
struct OctetPlaces {
    __m256i offsets, horizontal, vertical;
};

// The level's size as the edge-safe octets need it: its last pair's column and row (width - 2, height
// - 2) and its row stride, in every lane, and the words texel size and stride of each lane
// (columnAndStride). For most levels a row index and the stride both fit 16 signed bits (smallRows),
// and their product is then one multiply-add, far quicker than a 32-bit multiply on many processors.
// So then does a column index, as the stride spans the row.
struct OctetLevel {
    __m256i stride, lastPairColumn, lastPairRow, columnAndStride;
    bool smallRows;

    static bool RowsFitWords(std::ptrdiff_t stride, int height) {
        return stride >= -32768 && stride <= 32767 && height <= 32768;
    }
};

// The words 256 - f and f of fractions f (0 to 256) in 32-bit lanes: f * 65535 + 256.
[[gnu::always_inline]] inline __m256i WeightWords(__m256i f) {
    return _mm256_add_epi32(_mm256_sub_epi32(_mm256_slli_epi32(f, 16), f), _mm256_set1_epi32(256));
}

// Byte offsets of texels (i, j) in the level.
template <int SB>
[[gnu::always_inline]] inline __m256i TexelOffsets(__m256i i, __m256i j, const OctetLevel& level) {
    const __m256i column = SB == 4 ? _mm256_slli_epi32(i, 2) : _mm256_add_epi32(i, _mm256_slli_epi32(i, 1));
    // j is never negative here, so its upper 16 bits are 0 and the stride's upper word adds nothing.
    const __m256i rowStart =
        level.smallRows ? _mm256_madd_epi16(j, level.stride) : _mm256_mullo_epi32(j, level.stride);
    return _mm256_add_epi32(rowStart, column);
}

// Places of eight samples. Inner samples have all four texels inside the level. Edge-safe (Clamped)
// samples need only exist: a neighbour outside the level takes the nearest edge texel, so a sample
// that leans on one column twice mixes it with weight 256, the same sum; it is read as the pair
// beside it with fraction 0 (before the first column) or 256 (on the last), and likewise for rows.
// The level then needs two columns and two rows.
template <int SB, bool Clamped>
[[gnu::always_inline]] inline void LocateOctet(__m256i uCoords, __m256i vCoords, const OctetLevel& level,
                                               OctetPlaces& at) {
    __m256i i = _mm256_srai_epi32(uCoords, kFractionBits);
    __m256i j = _mm256_srai_epi32(vCoords, kFractionBits);
    const __m256i byteMask = _mm256_set1_epi32(0xFF);
    __m256i fu = _mm256_and_si256(_mm256_srli_epi32(uCoords, 6), byteMask);
    __m256i fv = _mm256_and_si256(_mm256_srli_epi32(vCoords, 6), byteMask);
    if constexpr (Clamped) {
        const __m256i zero = _mm256_setzero_si256();
        const __m256i full = _mm256_set1_epi32(256);
        fu = _mm256_blendv_epi8(_mm256_andnot_si256(_mm256_cmpgt_epi32(zero, i), fu), full,
                                _mm256_cmpgt_epi32(i, level.lastPairColumn));
        fv = _mm256_blendv_epi8(_mm256_andnot_si256(_mm256_cmpgt_epi32(zero, j), fv), full,
                                _mm256_cmpgt_epi32(j, level.lastPairRow));
        i = _mm256_min_epi32(_mm256_max_epi32(i, zero), level.lastPairColumn);
        j = _mm256_min_epi32(_mm256_max_epi32(j, zero), level.lastPairRow);
    }
    at.horizontal = WeightWords(fu);
    at.vertical = WeightWords(fv);
    at.offsets = TexelOffsets<SB>(i, j, level);
}

// WeightWords of the fractions of positions times 4 (see LocateScaledOctet), whose 8-bit fraction is then
// the second byte of each lane: copied into both words, the lower one then turned into 256 - f.
[[gnu::always_inline]] inline __m256i ScaledFractionWeights(__m256i scaled) {
    constexpr char z = char(0x80); // a shuffle index that writes 0
    const __m256i both =
        _mm256_shuffle_epi8(scaled, InBothHalves(1, z, 1, z, 5, z, 5, z, 9, z, 9, z, 13, z, 13, z));
    // 65535 - f + 257 = 256 - f in 16 bits (the operations have encodings for every vector register).
    return _mm256_add_epi16(_mm256_xor_si256(both, _mm256_set1_epi32(0xFFFF)), _mm256_set1_epi32(257));
}

// Places of eight inner samples of a level whose indices fit words (smallRows) from their positions
// times 4 (uScaled, vScaled), which then still fit 32 bits: the fraction's upper byte and the texel index
// lie on byte and word bounds, so the weights need no shift and the column and row indices of a lane form
// its words with one shift, for an offset of one multiply-add: six operations fewer than LocateOctet, two
// of them shuffles in place of shifts and masks.
[[gnu::always_inline]] inline void LocateScaledOctet(__m256i uScaled, __m256i vScaled,
                                                     const OctetLevel& level, OctetPlaces& at) {
    at.horizontal = ScaledFractionWeights(uScaled);
    at.vertical = ScaledFractionWeights(vScaled);
    const __m256i columnAndRow = _mm256_blend_epi16(_mm256_srli_epi32(uScaled, 16), vScaled, 0xAA);
    at.offsets = _mm256_madd_epi16(columnAndRow, level.columnAndStride);
}

// The byte shuffle that spreads, in each 128-bit lane, the texel pairs of the lane's two pixels into
// 16-bit words with the two texels' bytes of one channel side by side: for each pixel, left and right
// blue, then left and right red (Odd: green, then alpha). A 3-byte pair has its right texel three bytes
// in, and no alpha.
template <int SB, bool Odd> [[gnu::always_inline]] inline __m256i ChannelPairShuffle() {
    constexpr char z = char(0x80); // a shuffle index that writes 0
    constexpr char c = Odd ? 1 : 0;
    constexpr char r = SB; // where the right texel starts
    if constexpr (SB == 3 && Odd) {
        return InBothHalves(1, z, r + 1, z, z, z, z, z, 9, z, 9 + r, z, z, z, z, z);
    } else {
        return InBothHalves(c, z, r + c, z, c + 2, z, r + c + 2, z, 8 + c, z, 8 + r + c, z, 8 + c + 2, z,
                            8 + r + c + 2, z);
    }
}

// The bilinear sums of the channels in top and bottom, spread as ChannelPairShuffle does, less 2^23:
// horizontal and vertical hold the words 256 - f and f of each channel's pixel's fractions. One
// multiply-add per row gives each channel's horizontal mix A = (256 - fu) * left + fu * right exactly,
// below 2^16. Less 32768, A and the lower row's B fit signed words, so one more multiply-add gives the
// vertical step exactly: (256 - fv) * (A - 32768) + fv * (B - 32768) = S - 2^23, with S the very sum of
// weight x byte. The upper word is then the sample's byte less 128. (A 32-bit multiply, the other way to
// weight the rows, costs several times as much on many processors.)
[[gnu::always_inline]] inline __m256i MixTwo(__m256i top, __m256i bottom, __m256i horizontal,
                                             __m256i vertical) {
    const __m256i a = _mm256_madd_epi16(top, horizontal);
    const __m256i b = _mm256_madd_epi16(bottom, horizontal);
    const __m256i pair = _mm256_xor_si256(_mm256_or_si256(a, _mm256_slli_epi32(b, 16)),
                                          _mm256_set1_epi32(std::int32_t(0x80008000u)));
    return _mm256_madd_epi16(pair, vertical);
}

// The texel pairs under eight samples, as LoadFourPairs lays them out: pixels 0, 1 | 4, 5 and 2, 3 | 6, 7
// of the upper and the lower row.
struct OctetTexels {
    __m256i top0, top2, bottom0, bottom2;
};

// How an eight-pixel step takes its texel offsets out of the vector into general registers, two per
// 64-bit move (they are negative for levels stored bottom row first). A store and loads take no vector
// port, which suits vector units that share their ports with integer work; but a step that takes any
// offset through memory waits on the store, longer than the next step can hide where the vector units have
// ports of their own (moving all four out was measured 6-8 % faster on AMD's Zen 3 than taking the upper
// two through memory). LowerHalfOut, between the two, is for steps that serve both kinds of processor.
enum class OffsetMoves { ThroughMemory, LowerHalfOut, AllOut };

// Reads the texels at the offsets found by LocateOctet (inner ones, for 3-byte sources, with the extra
// byte the pair loader reads). top is the first row of the level and bottom the row after it.
template <OffsetMoves M>
[[gnu::always_inline]] inline void FetchOctet(const std::uint8_t* top, const std::uint8_t* bottom,
                                              __m256i offsets, OctetTexels& texels) {
    std::int64_t pairs[4];
    if constexpr (M != OffsetMoves::AllOut) {
        alignas(32) std::int64_t lanes[4];
        _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), offsets);
        asm("" : "+m"(lanes)); // read back from memory, not taken out of the vector again
        for (int k = 0; k < 4; ++k) {
            pairs[k] = lanes[k];
        }
    }
    if constexpr (M != OffsetMoves::ThroughMemory) {
        const __m128i lowHalf = _mm256_castsi256_si128(offsets);
        pairs[0] = _mm_cvtsi128_si64(lowHalf);
        pairs[1] = _mm_extract_epi64(lowHalf, 1);
    }
    if constexpr (M == OffsetMoves::AllOut) {
        const __m128i highHalf = _mm256_extracti128_si256(offsets, 1);
        pairs[2] = _mm_cvtsi128_si64(highHalf);
        pairs[3] = _mm_extract_epi64(highHalf, 1);
    }
    std::ptrdiff_t at[8];
    for (int k = 0; k < 4; ++k) {
        // Held in a general register, so that the compiler does not move the splitting back into vectors.
        std::int64_t pair = pairs[k];
        asm("" : "+r"(pair));
        at[2 * k] = std::int32_t(pair);
        at[2 * k + 1] = pair >> 32;
    }
    texels.top0 = LoadFourPairs(top + at[0], top + at[1], top + at[4], top + at[5]);
    texels.top2 = LoadFourPairs(top + at[2], top + at[3], top + at[6], top + at[7]);
    texels.bottom0 = LoadFourPairs(bottom + at[0], bottom + at[1], bottom + at[4], bottom + at[5]);
    texels.bottom2 = LoadFourPairs(bottom + at[2], bottom + at[3], bottom + at[6], bottom + at[7]);
}

// Whether all 32 texels fetched for eight 4-byte samples are clear, so that the samples would all have
// alpha 0.
[[gnu::always_inline]] inline bool AllTexelsClear(const OctetTexels& texels) {
    const __m256i any = _mm256_or_si256(_mm256_or_si256(texels.top0, texels.top2),
                                        _mm256_or_si256(texels.bottom0, texels.bottom2));
    return _mm256_testz_si256(any, _mm256_set1_epi32(std::int32_t(0xFF000000u)));
}

// The samples of the two pixels in each 128-bit half of top and bottom (texel pairs as LoadFourPairs
// lays them out), as 16-bit words in pixel order, blue, green, red, alpha, each the sample's byte less
// 128: the upper words of the even channels' sums and of the odd ones' interleaved. horizontal and
// vertical hold the two pixels' weight words, each repeated over two lanes.
template <int SB>
[[gnu::always_inline]] inline __m256i MixPixelPairs(__m256i top, __m256i bottom, __m256i horizontal,
                                                    __m256i vertical) {
    const __m256i evenSpread = ChannelPairShuffle<SB, false>();
    const __m256i oddSpread = ChannelPairShuffle<SB, true>();
    const __m256i even = MixTwo(_mm256_shuffle_epi8(top, evenSpread), _mm256_shuffle_epi8(bottom, evenSpread),
                                horizontal, vertical);
    const __m256i odd = MixTwo(_mm256_shuffle_epi8(top, oddSpread), _mm256_shuffle_epi8(bottom, oddSpread),
                               horizontal, vertical);
    return _mm256_blend_epi16(_mm256_srli_epi32(even, 16), odd, 0xAA);
}

// Bilinear samples of eight pixels from their fetched texels and weight words (as LocateOctet finds them),
// as eight texels in pixel order; 3-byte samples carry alpha 255.
template <int SB>
[[gnu::always_inline]] inline __m256i MixOctet(const OctetTexels& texels, __m256i horizontal,
                                               __m256i vertical) {
    // Pixels 0, 1 | 4, 5 take lanes 0, 0, 1, 1 of each half of the weights; pixels 2, 3 | 6, 7 lanes 2, 2,
    // 3, 3.
    const __m256i pixels01 =
        MixPixelPairs<SB>(texels.top0, texels.bottom0, _mm256_shuffle_epi32(horizontal, 0x50),
                          _mm256_shuffle_epi32(vertical, 0x50));
    const __m256i pixels23 =
        MixPixelPairs<SB>(texels.top2, texels.bottom2, _mm256_shuffle_epi32(horizontal, 0xFA),
                          _mm256_shuffle_epi32(vertical, 0xFA));
    // All eight in order as signed bytes, each 128 below the sample's byte. Flipping the top bit adds the
    // 128 back; a 3-byte sample's alpha comes out as -128 (its words are 0) and is turned into 255.
    const __m256i lessHalf = _mm256_packs_epi16(pixels01, pixels23);
    return _mm256_xor_si256(lessHalf, _mm256_set1_epi32(std::int32_t(SB == 4 ? 0x80808080u : 0x7F808080u)));
}
#endif

} // namespace GV_DRAW_LOOPS_ISA
} // namespace drawloops

#endif
