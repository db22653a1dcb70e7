#include "raster/ImageFile.h"

#include "raster/IcrFile.h"
#include "raster/JpegFile.h"
#include "raster/PngFile.h"
#include "raster/RasterCanvas.h"
#include "support/FileUtils.h"
#include "support/MemFile.h"
#include "support/WString.h"

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// Storage for the decoded picture: the depth the file needs and the size it declares. Whatever the
// canvas held before is replaced, a stale palette included, so a later save cannot reuse it.
bool PrepareCanvas(RasterCanvas& canvas, int width, int height, int bytesPerPixel) {
    if (!canvas.SetBitsPerPixel(bytesPerPixel * 8) || !canvas.EnsureSize(width, height)) {
        return false;
    }
    canvas.SetPalette(nullptr, 0, 3);
    return canvas.BytesPerPixel() == bytesPerPixel;
}

// Decoders deliver the top of the picture first; the canvas stores it last.
template <typename RowPointer, typename Canvas> std::vector<RowPointer> TopDownRows(Canvas& canvas) {
    std::vector<RowPointer> rows(canvas.Height());
    for (int y = 0; y < canvas.Height(); ++y) {
        rows[y] = canvas.Rows()[canvas.Height() - 1 - y];
    }
    return rows;
}

// A decoder's failure with its reason; the reason of a picture too large for the canvas otherwise.
bool Refused(std::string& error, const char* decoderText) {
    error = decoderText != nullptr && *decoderText != '\0' ? decoderText : "Not enough memory for the image";
    return false;
}

bool LoadPng(RasterCanvas& canvas, const MemFile& file, std::string& error) {
    PngFile png;
    if (!png.ReadHeader(file.Data(), file.Size())) {
        return Refused(error, png.Error());
    }
    if (!PrepareCanvas(canvas, png.Width(), png.Height(), png.BytesPerPixel())) {
        return Refused(error, nullptr);
    }
    if (png.Dpi() > 0) {
        canvas.SetResolution(png.Dpi());
    }
    std::vector<std::uint8_t*> rows = TopDownRows<std::uint8_t*>(canvas);
    return png.ReadRows(rows.data()) || Refused(error, png.Error());
}

bool LoadJpeg(RasterCanvas& canvas, const MemFile& file, std::string& error) {
    JpegFile jpeg;
    if (!jpeg.ReadHeader(file.Data(), file.Size())) {
        return Refused(error, jpeg.Error());
    }
    if (!PrepareCanvas(canvas, jpeg.Width(), jpeg.Height(), jpeg.BytesPerPixel())) {
        return Refused(error, nullptr);
    }
    if (jpeg.Dpi() > 0) {
        canvas.SetResolution(jpeg.Dpi());
    }
    std::vector<std::uint8_t*> rows = TopDownRows<std::uint8_t*>(canvas);
    return jpeg.ReadRows(rows.data()) || Refused(error, jpeg.Error());
}

enum class ImageKind { Icr, Png, Jpeg };

ImageKind KindOfPath(const WString& path) {
    const WString extension = path.ExtensionOf();
    if (extension.EqualsNoCase(u".icr")) {
        return ImageKind::Icr;
    }
    if (extension.EqualsNoCase(u".png")) {
        return ImageKind::Png;
    }
    return ImageKind::Jpeg;
}

bool LoadByKind(RasterCanvas& canvas, const WString& path, ImageKind kind, std::string& error) {
    if (kind == ImageKind::Icr) {
        return IcrFile::Load(canvas, path) || Refused(error, "Not a readable .icr image");
    }
    std::shared_ptr<MemFile> file = MemFile::Open(path, u"rb");
    if (file == nullptr) {
        return Refused(error, "No such file or directory");
    }
    if (file->Size() == 0) {
        return Refused(error, file->LastError() != 0
                                  ? FileUtils::ErrorText(file->LastError()).ToUtf8().c_str()
                                  : "The file is empty");
    }
    const bool loaded =
        kind == ImageKind::Png ? LoadPng(canvas, *file, error) : LoadJpeg(canvas, *file, error);
    file->Close();
    return loaded;
}

// The reason in the caller's form, when the caller wants it.
bool Failed(WString* reason, const std::string& text) {
    if (reason != nullptr) {
        *reason = WString::FromUtf8(text);
    }
    return false;
}

// Encoded bytes reach the disk through a memory file: all of them or, on failure, none.
bool StoreWhole(const std::vector<std::uint8_t>& encoded, const WString& path, WString* reason) {
    std::shared_ptr<MemFile> file = MemFile::Open(path, u"wb");
    if (file == nullptr || file->Write(encoded.data(), 1, encoded.size()) != encoded.size()) {
        // Dropped without Close: nothing is stored.
        return Failed(reason, FileUtils::ErrorText(ENOMEM).ToUtf8());
    }
    return file->Close() || Failed(reason, FileUtils::ErrorText(file->LastError()).ToUtf8());
}

} // namespace

bool ImageSizeAllowed(long long width, long long height, int bytesPerPixel) {
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide || bytesPerPixel < 1) {
        return false;
    }
    const long long stride = (width * bytesPerPixel + 3) / 4 * 4;
    return static_cast<unsigned long long>(stride * height) <= kMaxImageBytes;
}

bool CompressedDataCanHold(std::size_t fileBytes, std::uint64_t neededBytes) {
    constexpr std::uint64_t kMaxDeflateRatio = 1032;
    constexpr std::uint64_t kSlackBytes = 65536; // headers, tables and rounding
    return neededBytes <= static_cast<std::uint64_t>(fileBytes) * kMaxDeflateRatio + kSlackBytes;
}

std::size_t StoredFileSize(const WString& path) {
    // Names with a prefix live in memory (or are sealed); ask the memory file, which shares its buffer.
    if (path.StartsWith(u":")) {
        std::shared_ptr<MemFile> file = MemFile::Open(path, u"rb");
        return file != nullptr ? file->Size() : 0;
    }
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(FileUtils::NativePath(path), error);
    return error ? 0 : static_cast<std::size_t>(size);
}

bool LoadImageFile(RasterCanvas& canvas, const WString& path, WString* reason) {
    if (path.IsEmpty() || !MemFile::Exists(path, 0)) {
        return Failed(reason, "No such file or directory");
    }
    std::string error;
    if (!LoadByKind(canvas, path, KindOfPath(path), error)) {
        return Failed(reason, error);
    }
    // Always recomputed: a reload of the same size keeps its level storage, whose copies would be stale.
    canvas.BuildLevels();
    return true;
}

bool SaveJpegFile(const RasterCanvas& canvas, const WString& path, int quality, WString* reason) {
    if (!canvas.HasPixels() || canvas.Width() < 1 || canvas.Height() < 1) {
        return Failed(reason, "The picture is empty");
    }
    const std::vector<const std::uint8_t*> rows = TopDownRows<const std::uint8_t*>(canvas);
    std::vector<std::uint8_t> encoded;
    std::string error;
    if (!JpegFile::Encode(rows.data(), canvas.Width(), canvas.Height(), canvas.BytesPerPixel(),
                          canvas.Resolution(), quality, encoded, &error)) {
        return Failed(reason, error);
    }
    return StoreWhole(encoded, path, reason);
}

bool SavePngFile(const RasterCanvas& canvas, const WString& path, WString* reason) {
    if (!canvas.HasPixels() || canvas.Width() < 1 || canvas.Height() < 1) {
        return Failed(reason, "The picture is empty");
    }
    const std::vector<const std::uint8_t*> rows = TopDownRows<const std::uint8_t*>(canvas);
    std::vector<std::uint8_t> encoded;
    std::string error;
    if (!PngFile::Encode(rows.data(), canvas.Width(), canvas.Height(), canvas.BytesPerPixel(),
                         canvas.Resolution(), encoded, &error)) {
        return Failed(reason, error);
    }
    return StoreWhole(encoded, path, reason);
}

bool RasterCanvas::Load(const WString& path) {
    return LoadImageFile(*this, path);
}

bool RasterCanvas::SaveOwnFormat(const WString& path) {
    return IcrFile::Save(*this, path);
}

bool RasterCanvas::SaveJpeg(const WString& path, int quality) {
    return SaveJpegFile(*this, path, quality);
}

bool RasterCanvas::SaveIndexed(const WString& path) {
    return IcrFile::SaveIndexed(*this, path);
}
