// Loads arbitrary bytes as a ".jpg" image through the canvas's load entry point, from a memory file.
#include "fuzz/ImageLoadHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzimage::LoadAndCheck(u":TMPQOR:fuzz.jpg", data, size, [](RasterCanvas&) {});
    return 0;
}
