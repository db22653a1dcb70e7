// The row loops compiled a third time, for processors with AVX-512 (foundation, byte and word,
// and vector-length instructions) and BMI2. The bilinear step stays at eight pixels, as sixteen lost
// more on each row's last step than they gained; the wider target still helps, with twice the vector
// registers to hold the step's constants.

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// GCC 12's AVX-512 headers fill "undefined" vectors with themselves, which its own flow analysis
// then reports as uninitialised.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

#define GV_DRAW_LOOPS_ISA avx512
#define GV_DRAW_LOOPS_AVX2 1
// Its steps are the same on every processor: with its twice as many registers, the steps that pass all
// offsets through memory (see StepPorts) gained nothing, as llvm-mca's Ice Lake model puts them at 30
// cycles per eight pixels against 28 for the usual ones.
#define GV_DRAW_LOOPS_SHARED_PORT_STEPS 0
#define GV_DRAW_LOOPS_TARGET "avx2,avx512f,avx512bw,avx512vl,bmi2"
#define GV_DRAW_LOOPS_PICK PickAvx512Loop
#include "raster/DrawLoopsBuild.h"
#endif
