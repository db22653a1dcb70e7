// Loads arbitrary bytes as a ".icr" image through the canvas's load entry point, from a memory file;
// whatever loads must survive saving and loading again unchanged.
#include "fuzz/ImageLoadHarness.h"

#include <cstring>

namespace {

void CheckRoundTrip(RasterCanvas& canvas) {
    const char16_t* const copy = u":TMPQOR:fuzz_copy.icr";
    MemFile::Delete(copy);
    if (!canvas.SaveOwnFormat(copy))
        std::abort();
    RasterCanvas reloaded;
    if (!reloaded.Load(copy) || reloaded.Width() != canvas.Width() || reloaded.Height() != canvas.Height() ||
        reloaded.BitsPerPixel() != canvas.BitsPerPixel())
        std::abort();
    const size_t rowBytes = static_cast<size_t>(canvas.Width()) * canvas.BytesPerPixel();
    for (int y = 0; y < canvas.Height(); ++y)
        if (std::memcmp(reloaded.Rows()[y], canvas.Rows()[y], rowBytes) != 0)
            std::abort();
    MemFile::Delete(copy);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzimage::LoadAndCheck(u":TMPQOR:fuzz.icr", data, size, CheckRoundTrip);
    return 0;
}
