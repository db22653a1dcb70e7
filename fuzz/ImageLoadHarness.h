#pragma once

// Shared by the image fuzz targets: feeds arbitrary bytes to the canvas's load entry point through a
// memory file whose extension picks the reader, and checks whatever loads.
#include "raster/RasterCanvas.h"
#include "support/MemFile.h"
#include "support/WString.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzzimage {

inline void StoreInput(const char16_t* name, const uint8_t* data, size_t size) {
    MemFile::Delete(name);
    std::shared_ptr<MemFile> file = MemFile::Open(name, u"wb");
    if (file == nullptr)
        std::abort();
    file->Write(data, 1, size);
    file->Close();
}

// A picture that loaded must own storage for every row it claims; touching each byte lets the
// sanitizer see any row that points outside it.
inline unsigned CheckLoadedPicture(const RasterCanvas& canvas) {
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

// Loads the bytes as the memory file name; a picture that loads is checked and handed to
// afterLoad. The memory file is gone again afterwards.
template <typename AfterLoad>
void LoadAndCheck(const char16_t* name, const uint8_t* data, size_t size, AfterLoad afterLoad) {
    StoreInput(name, data, size);
    RasterCanvas canvas;
    if (canvas.Load(name)) {
        volatile unsigned sink = CheckLoadedPicture(canvas);
        (void)sink;
        afterLoad(canvas);
    }
    MemFile::Delete(name);
}

} // namespace fuzzimage
