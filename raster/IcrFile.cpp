#include "raster/IcrFile.h"

#include "raster/ColorQuantizer.h"
#include "raster/ImageFile.h"
#include "raster/RasterCanvas.h"
#include "support/GzipStream.h"
#include "support/WString.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::uint8_t kIndexedMarker = 0;
constexpr int kBytesPerEntry = 3;

// Reads exactly `size` bytes; a short read means the file is truncated or damaged.
bool ReadExact(GzipStream& stream, std::uint8_t* buffer, std::size_t size) {
    while (size > 0) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size, IcrFile::kReadBlock));
        const int got = stream.Read(buffer, chunk);
        if (got <= 0) {
            return false;
        }
        buffer += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool ReadByte(GzipStream& stream, std::uint8_t& value) {
    return ReadExact(stream, &value, 1);
}

bool ReadUint32(GzipStream& stream, std::uint32_t& value) {
    std::uint8_t bytes[4];
    if (!ReadExact(stream, bytes, sizeof bytes)) {
        return false;
    }
    value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    return true;
}

void AppendUint32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

struct IcrHeader {
    bool indexed = false;
    std::uint8_t bitsPerPixel = 0;
    std::uint32_t width = 0;
    std::uint32_t stride = 0;
    std::uint32_t height = 0;
};

bool ReadHeader(GzipStream& stream, IcrHeader& header) {
    std::uint8_t first = 0;
    if (!ReadByte(stream, first)) {
        return false;
    }
    header.indexed = first == kIndexedMarker;
    header.bitsPerPixel = first;
    if (header.indexed && !ReadByte(stream, header.bitsPerPixel)) {
        return false;
    }
    if (header.bitsPerPixel != 24 && header.bitsPerPixel != 32) {
        return false;
    }
    // Indices always expand to three bytes, so an indexed 32-bit file cannot be consistent.
    if (header.indexed && header.bitsPerPixel != 24) {
        return false;
    }
    return ReadUint32(stream, header.width) && ReadUint32(stream, header.stride) &&
           ReadUint32(stream, header.height) &&
           ImageSizeAllowed(header.width, header.height, header.bitsPerPixel / 8);
}

bool ReadRawPixels(GzipStream& stream, RasterCanvas& canvas) {
    canvas.SetPalette(nullptr, 0, kBytesPerEntry);
    return ReadExact(stream, canvas.Pixels(), canvas.TotalSize());
}

bool ReadIndexedPixels(GzipStream& stream, RasterCanvas& canvas) {
    std::uint32_t count = 0;
    if (!ReadUint32(stream, count) || count < 1 || count > RasterCanvas::kMaxPaletteEntries) {
        return false;
    }
    std::uint8_t palette[RasterCanvas::kMaxPaletteEntries * kBytesPerEntry] = {};
    if (!ReadExact(stream, palette, count * kBytesPerEntry)) {
        return false;
    }
    canvas.SetPalette(palette, static_cast<int>(count), kBytesPerEntry);
    const int width = canvas.Width();
    std::vector<std::uint8_t> indices(width);
    for (int storedRow = 0; storedRow < canvas.Height(); ++storedRow) {
        if (!ReadExact(stream, indices.data(), indices.size())) {
            return false;
        }
        std::uint8_t* pixel = canvas.Rows()[storedRow];
        for (int x = 0; x < width; ++x, pixel += kBytesPerEntry) {
            if (indices[x] >= count) {
                return false; // an index past the palette would show whatever the table held before
            }
            const std::uint8_t* entry = palette + indices[x] * kBytesPerEntry;
            pixel[0] = entry[0];
            pixel[1] = entry[1];
            pixel[2] = entry[2];
        }
    }
    return true;
}

std::vector<std::uint8_t> HeaderBytes(const RasterCanvas& canvas, bool indexed) {
    std::vector<std::uint8_t> out;
    if (indexed) {
        out.push_back(kIndexedMarker);
    }
    out.push_back(static_cast<std::uint8_t>(canvas.BitsPerPixel()));
    AppendUint32(out, static_cast<std::uint32_t>(canvas.Width()));
    AppendUint32(out, static_cast<std::uint32_t>(canvas.Stride()));
    AppendUint32(out, static_cast<std::uint32_t>(canvas.Height()));
    if (indexed) {
        AppendUint32(out, static_cast<std::uint32_t>(canvas.PaletteCount()));
        out.insert(out.end(), canvas.Palette(), canvas.Palette() + canvas.PaletteCount() * kBytesPerEntry);
    }
    return out;
}

std::uint32_t ColorKey(const std::uint8_t* bytes) {
    return (bytes[0] << 16) | (bytes[1] << 8) | bytes[2];
}

// Each pixel takes the palette entry of exactly its colour. A run of equal pixels reuses the index of
// the previous one without a lookup, and a colour missing from the palette repeats the previous index.
void MatchIndices(const RasterCanvas& canvas, int storedRow,
                  const std::unordered_map<std::uint32_t, std::uint8_t>& indexOfColor,
                  std::vector<std::uint8_t>& indices) {
    const std::uint8_t* palette = canvas.Palette();
    const std::uint8_t* pixel = canvas.Rows()[storedRow];
    std::uint8_t previous = 0;
    for (int x = 0; x < canvas.Width(); ++x, pixel += kBytesPerEntry) {
        const std::uint8_t* previousEntry = palette + previous * kBytesPerEntry;
        if (pixel[0] != previousEntry[0] || pixel[1] != previousEntry[1] || pixel[2] != previousEntry[2]) {
            const auto found = indexOfColor.find(ColorKey(pixel));
            if (found != indexOfColor.end()) {
                previous = found->second;
            }
        }
        indices[x] = previous;
    }
}

bool WriteIndexedPixels(GzipStream& stream, const RasterCanvas& canvas) {
    std::unordered_map<std::uint32_t, std::uint8_t> indexOfColor;
    for (int i = 0; i < canvas.PaletteCount(); ++i) {
        indexOfColor.emplace(ColorKey(canvas.Palette() + i * kBytesPerEntry), static_cast<std::uint8_t>(i));
    }
    std::vector<std::uint8_t> indices(canvas.Width());
    for (int storedRow = 0; storedRow < canvas.Height(); ++storedRow) {
        MatchIndices(canvas, storedRow, indexOfColor, indices);
        if (!stream.Write(indices.data(), static_cast<unsigned>(indices.size()))) {
            return false;
        }
    }
    return true;
}

bool WriteQuantizedPixels(GzipStream& stream, const ColorQuantizer& quantizer) {
    const std::vector<std::uint8_t>& indices = quantizer.Indices();
    const std::size_t width = static_cast<std::size_t>(quantizer.Width());
    for (int storedRow = 0; storedRow < quantizer.Height(); ++storedRow) {
        if (!stream.Write(indices.data() + storedRow * width, static_cast<unsigned>(width))) {
            return false;
        }
    }
    return true;
}

bool WriteRawPixels(GzipStream& stream, const RasterCanvas& canvas) {
    const std::uint8_t* pixels = canvas.Pixels();
    std::size_t remaining = canvas.TotalSize();
    while (remaining > 0) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(remaining, IcrFile::kReadBlock));
        if (!stream.Write(pixels, chunk)) {
            return false;
        }
        pixels += chunk;
        remaining -= chunk;
    }
    return true;
}

bool HasUsablePixels(const RasterCanvas& canvas) {
    return canvas.HasPixels() && canvas.Width() > 0 && canvas.Height() > 0 &&
           (canvas.BytesPerPixel() == 3 || canvas.BytesPerPixel() == 4);
}

} // namespace

bool IcrFile::Load(RasterCanvas& canvas, const WString& path) {
    // Taken before the stream opens: a memory file is shared, and opening it again rewinds it.
    const std::size_t fileBytes = StoredFileSize(path);
    std::unique_ptr<GzipStream> stream = GzipStream::Open(path, "rb");
    IcrHeader header;
    if (stream == nullptr || !ReadHeader(*stream, header)) {
        return false;
    }
    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    const std::uint64_t pixelBytes = header.indexed ? std::uint64_t{header.width} * header.height
                                                    : std::uint64_t{header.stride} * header.height;
    if (!CompressedDataCanHold(fileBytes, pixelBytes)) {
        return false;
    }
    if (!canvas.SetBitsPerPixel(header.bitsPerPixel) || !canvas.EnsureSize(width, height) ||
        canvas.Stride() != static_cast<int>(header.stride)) {
        return false;
    }
    return header.indexed ? ReadIndexedPixels(*stream, canvas) : ReadRawPixels(*stream, canvas);
}

bool IcrFile::Save(const RasterCanvas& canvas, const WString& path) {
    if (!HasUsablePixels(canvas)) {
        return false;
    }
    const bool indexed = canvas.BytesPerPixel() == 3 && canvas.PaletteCount() >= 1 &&
                         canvas.PaletteCount() <= RasterCanvas::kMaxPaletteEntries;
    std::unique_ptr<GzipStream> stream = GzipStream::Open(path, "wb");
    if (stream == nullptr) {
        return false;
    }
    const std::vector<std::uint8_t> header = HeaderBytes(canvas, indexed);
    if (!stream->Write(header.data(), static_cast<unsigned>(header.size()))) {
        return false;
    }
    const bool written = indexed ? WriteIndexedPixels(*stream, canvas) : WriteRawPixels(*stream, canvas);
    return written && stream->Close();
}

bool IcrFile::SaveIndexed(RasterCanvas& canvas, const WString& path) {
    if (!HasUsablePixels(canvas) || canvas.BytesPerPixel() != 3) {
        return false;
    }
    ColorQuantizer quantizer;
    if (!quantizer.Quantize(canvas.Rows(), canvas.Width(), canvas.Height(), canvas.BytesPerPixel()) ||
        quantizer.Palette().empty() || quantizer.Width() != canvas.Width() ||
        quantizer.Height() != canvas.Height()) {
        return false;
    }
    std::vector<std::uint8_t> palette;
    for (const std::uint32_t color : quantizer.Palette()) {
        palette.push_back(static_cast<std::uint8_t>(color >> 16)); // blue
        palette.push_back(static_cast<std::uint8_t>(color >> 8));  // green
        palette.push_back(static_cast<std::uint8_t>(color));       // red
    }
    canvas.SetPalette(palette.data(), static_cast<int>(quantizer.Palette().size()), kBytesPerEntry);

    std::unique_ptr<GzipStream> stream = GzipStream::Open(path, "wb");
    if (stream == nullptr) {
        return false;
    }
    const std::vector<std::uint8_t> header = HeaderBytes(canvas, true);
    return stream->Write(header.data(), static_cast<unsigned>(header.size())) &&
           WriteQuantizedPixels(*stream, quantizer) && stream->Close();
}
