// Compiles the rasterizer's loops once more for a wider instruction set. A build file defines
//   GV_DRAW_LOOPS_ISA     the inline namespace of this build's loops (so no symbol is shared),
//   GV_DRAW_LOOPS_TARGET  the instruction sets, as a target attribute string,
//   GV_DRAW_LOOPS_PICK    the name of the function that returns this build's loop for a sampling,
// along with the GV_DRAW_LOOPS_AVX2 switch the loops test (and GV_DRAW_LOOPS_SHARED_PORT_STEPS, 1 for
// inner bilinear steps of their own on vector units that share their ports with integer work), and then
// includes this file (x86-64 with GCC or clang only). Everything the standard library brings is included
// before the wider target is switched on, so only the loops themselves may use the wider instructions; the
// rest of the program runs on any x86-64.
//
// No include guard: each build file includes it once, with its own definitions.

#include "raster/DrawLoopsWide.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <type_traits>

#define GV_DRAW_LOOPS_STRING(text) #text
#define GV_DRAW_LOOPS_PRAGMA(text) _Pragma(GV_DRAW_LOOPS_STRING(text))

#if defined(__clang__)
GV_DRAW_LOOPS_PRAGMA(clang attribute push(__attribute__((target(GV_DRAW_LOOPS_TARGET))), apply_to = function))
#else
#pragma GCC push_options
GV_DRAW_LOOPS_PRAGMA(GCC target(GV_DRAW_LOOPS_TARGET))
#endif

#include "raster/DrawTransformedLoops.h"

namespace drawloops {

LoopFn GV_DRAW_LOOPS_PICK(Sampling sampling, int srcBytes, int dstBytes, bool opaque, bool tint) {
    switch (sampling) {
    case Sampling::Nearest:
        return PickRows<Sampling::Nearest>(srcBytes, dstBytes, opaque, tint);
    case Sampling::Bilinear:
        return PickRows<Sampling::Bilinear>(srcBytes, dstBytes, opaque, tint);
    case Sampling::Footprint:
        return PickRows<Sampling::Footprint>(srcBytes, dstBytes, opaque, tint);
    case Sampling::OffsetNearest:
        return PickRows<Sampling::OffsetNearest>(srcBytes, dstBytes, opaque, tint);
    case Sampling::AxisBilinear:
        return PickRows<Sampling::AxisBilinear>(srcBytes, dstBytes, opaque, tint);
    }
    return nullptr;
}

} // namespace drawloops

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
