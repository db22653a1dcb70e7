// The bilinear loops compiled a third time, for processors with AVX-512 (foundation, byte and word,
// and vector-length instructions) and BMI2: sixteen pixels per step. As with the AVX2 build, the
// standard headers come first and the loops live in an inline namespace of their own.

#include "raster/DrawLoopsWide.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define GV_DRAW_LOOPS_ISA avx512
#define GV_DRAW_LOOPS_AVX2 1
#define GV_DRAW_LOOPS_AVX512 1

// GCC 12's AVX-512 headers fill "undefined" vectors with themselves, which its own flow analysis
// then reports as uninitialised.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <type_traits>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,avx512f,avx512bw,avx512vl,bmi2"))),                 \
                             apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512bw,avx512vl,bmi2")
#endif

#include "raster/DrawTransformedLoops.h"

namespace drawloops {

LoopFn PickAvx512Bilinear(int srcBytes, int dstBytes, bool opaque, bool tint) {
    return PickRows<Sampling::Bilinear>(srcBytes, dstBytes, opaque, tint);
}

} // namespace drawloops

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
