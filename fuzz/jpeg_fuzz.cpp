// Loads arbitrary bytes as a ".jpg" image through the canvas's load entry point, from a memory file.
#include "raster/RasterCanvas.h"
#include "support/MemFile.h"
#include "support/WString.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const char16_t* const kInput = u":TMPQOR:fuzz.jpg";

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    StoreInput(data, size);
    RasterCanvas canvas;
    if (canvas.Load(kInput)) {
        volatile unsigned sink = CheckLoadedPicture(canvas);
        (void)sink;
    }
    MemFile::Delete(kInput);
    return 0;
}
