#pragma once

#include "raster/DrawLoopParams.h"

namespace drawloops {

// The general bilinear row loop built for processors with AVX2, which samples eight pixels per step;
// null when this build has no such loop, the processor lacks AVX2 or the wide loops are switched off.
// Both builds give the same bytes.
LoopFn PickBilinearAvx2(int srcBytes, int dstBytes, bool opaque, bool tint);

// Switches the wide loops off (or on again), so that tests can check the loops every processor runs
// on a machine that has AVX2. They are on from the start.
void AllowAvx2Loops(bool allowed);

} // namespace drawloops
