// Loads arbitrary bytes as a ".icr" image through the canvas's load entry point, from a memory file;
// whatever loads must survive saving and loading again unchanged.
#include "raster/RasterCanvas.h"
#include "support/MemFile.h"
#include "support/WString.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const char16_t* const kInput = u":TMPQOR:fuzz.icr";

void StoreInput(const uint8_t* data, size_t size) {
    MemFile::Delete(kInput);
    std::shared_ptr<MemFile> file = MemFile::Open(kInput, u"wb");
    if (file == nullptr)
        std::abort();
    file->Write(data, 1, size);
    file->Close();
}

// A picture that loaded must own storage for every row it claims; touching each byte lets the
// sanitizer see any row that points outside it.
unsigned CheckLoadedPicture(const RasterCanvas& canvas) {
    if (!canvas.HasPixels() || canvas.Width() < 1 || canvas.Height() < 1 ||
        canvas.TotalSize() < static_cast<size_t>(canvas.Stride()) * canvas.Height() ||
        (canvas.BytesPerPixel() != 3 && canvas.BytesPerPixel() != 4))
        std::abort();
    unsigned sum = 0;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int i = 0; i < canvas.Width() * canvas.BytesPerPixel(); ++i)
            sum += canvas.Rows()[y][i];
    return sum;
}

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
    StoreInput(data, size);
    RasterCanvas canvas;
    if (canvas.Load(kInput)) {
        volatile unsigned sink = CheckLoadedPicture(canvas);
        (void)sink;
        CheckRoundTrip(canvas);
    }
    MemFile::Delete(kInput);
    return 0;
}
