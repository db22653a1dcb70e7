#pragma once

// The row loops compiled again for wider instruction sets, each build in a file of its own, picked at
// run time so the program still runs on any x86-64. Every build gives the same bytes. Only the
// bilinear loop has wider steps of its own, but every sampling runs from the widest build: compiled
// for the newer instruction encoding, the same vector code measured several times faster in places
// (scaled quarter-turn tiles).

#include "raster/DrawLoopParams.h"

namespace drawloops {

enum class LoopWidth { Baseline, Avx2, Avx512 };

// The loop for the sampling built for the widest instructions this processor offers within the limit
// below; null when only the baseline build applies.
LoopFn PickWideLoop(Sampling sampling, int srcBytes, int dstBytes, bool opaque, bool tint);

// The build the loops are picked from: the widest this processor offers, narrowed by GV_RASTER_ISA
// ("avx2" or "baseline") and by the limit below.
LoopWidth ActiveLoopWidth();

// Caps the width of the loops picked, so that tests can check every build on a processor that has
// the widest. There is no cap at the start.
void LimitLoopWidth(LoopWidth widest);

// The builds themselves: call only on a processor with their instructions.
LoopFn PickAvx2Loop(Sampling sampling, int srcBytes, int dstBytes, bool opaque, bool tint);
LoopFn PickAvx512Loop(Sampling sampling, int srcBytes, int dstBytes, bool opaque, bool tint);

} // namespace drawloops
