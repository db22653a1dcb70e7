#pragma once

// The row loops compiled again for wider instruction sets, each build in a file of its own, picked at
// run time so the program still runs on any x86-64. Every build gives the same bytes. Only the
// bilinear loop has wider steps of its own, but every sampling runs from the widest build: compiled
// for the newer instruction encoding, the same vector code measured several times faster in places
// (scaled quarter-turn tiles).

#include "raster/DrawLoopParams.h"

#include <optional>

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

// Whom the vector units share their issue ports with, which decides how the wide bilinear steps take
// their texel offsets out of the vectors (the bytes are the same). Where integer operations take the same
// ports (Intel's cores), every move out of a vector takes a port from the step's own arithmetic: the steps
// then pass all offsets through memory. Where the vector units have ports of their own (AMD's cores),
// the moves cost less than the wait on memory, and the AVX2 steps take no offset that way (the AVX-512
// steps, the same on every processor, take half).
enum class StepPorts { Own, SharedWithIntegers };

// The kind the wide steps are built for: the processor's, unless GV_RASTER_PORTS names one ("own" or
// "shared") or a test chose one.
StepPorts ActiveStepPorts();

// Chooses the kind for the draws from now on, so that tests can check both on any processor; nullopt
// returns to the processor's own.
void ChooseStepPorts(std::optional<StepPorts> kind);

// The builds themselves: call only on a processor with their instructions.
LoopFn PickAvx2Loop(Sampling sampling, int srcBytes, int dstBytes, bool opaque, bool tint);
LoopFn PickAvx512Loop(Sampling sampling, int srcBytes, int dstBytes, bool opaque, bool tint);

} // namespace drawloops
