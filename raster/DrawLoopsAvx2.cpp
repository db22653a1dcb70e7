// The bilinear loops compiled a second time for processors with AVX2. Everything the standard library
// brings is included before the wider target is switched on, so only this file's own loops (in their
// own inline namespace) may use AVX2 instructions; the rest of the program runs on any x86-64.

#include "raster/DrawLoopsWide.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define GV_DRAW_LOOPS_ISA avx2
#define GV_DRAW_LOOPS_AVX2 1

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <type_traits>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "raster/DrawTransformedLoops.h"

namespace drawloops {

LoopFn PickAvx2Bilinear(int srcBytes, int dstBytes, bool opaque, bool tint) {
    return PickRows<Sampling::Bilinear>(srcBytes, dstBytes, opaque, tint);
}

} // namespace drawloops

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
