// The bilinear loops compiled a second time for processors with AVX2. Everything the standard library
// brings is included before the wider target is switched on, so only this file's own loops (in their
// own inline namespace) may use AVX2 instructions; the rest of the program runs on any x86-64.

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define GV_DRAW_LOOPS_ISA avx2
#define GV_DRAW_LOOPS_AVX2 1
#endif

#include "raster/DrawLoopsAvx2.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(GV_DRAW_LOOPS_AVX2)
#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "raster/DrawTransformedLoops.h"

namespace drawloops {

LoopFn PickWideBilinear(int srcBytes, int dstBytes, bool opaque, bool tint) {
    return PickRows<Sampling::Bilinear>(srcBytes, dstBytes, opaque, tint);
}

} // namespace drawloops

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif

namespace drawloops {

namespace {

std::atomic<bool> avx2Allowed{true};

bool ProcessorHasAvx2() {
#if defined(GV_DRAW_LOOPS_AVX2)
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

} // namespace

LoopFn PickBilinearAvx2(int srcBytes, int dstBytes, bool opaque, bool tint) {
#if defined(GV_DRAW_LOOPS_AVX2)
    if (avx2Allowed.load(std::memory_order_relaxed) && ProcessorHasAvx2()) {
        return PickWideBilinear(srcBytes, dstBytes, opaque, tint);
    }
#else
    (void)srcBytes, (void)dstBytes, (void)opaque, (void)tint;
#endif
    return nullptr;
}

void AllowAvx2Loops(bool allowed) {
    avx2Allowed.store(allowed, std::memory_order_relaxed);
}

} // namespace drawloops
