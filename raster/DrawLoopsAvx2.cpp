// The row loops compiled a second time, for processors with AVX2: eight pixels per bilinear step.

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define GV_DRAW_LOOPS_ISA avx2
#define GV_DRAW_LOOPS_AVX2 1
#define GV_DRAW_LOOPS_SHARED_PORT_STEPS 1
#define GV_DRAW_LOOPS_TARGET "avx2"
#define GV_DRAW_LOOPS_PICK PickAvx2Loop
#include "raster/DrawLoopsBuild.h"
#endif
