// Draws a picture made from the input into another under a matrix made from the input: raw doubles
// (NaN, infinities, huge and tiny values, singular matrices) as well as ordinary placements, every
// sampling, tint and opacity case, draws shared with the helper thread, and the platform-drawing
// variant.

#include "raster/DcRasterCanvas.h"
#include "raster/DrawTransformed.h"
#include "raster/RasterCanvas.h"
#include "support/Matrix3.h"

#include <QGuiApplication>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int Between(int lo, int hi) { return lo + Byte() % (hi - lo + 1); }
    double RawDouble() {
        double value = 0;
        std::uint8_t bytes[sizeof value] = {};
        for (std::uint8_t& b : bytes) {
            b = Byte();
        }
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    // Mostly ordinary values; sometimes raw bit patterns.
    double Number(double scale) {
        std::uint8_t kind = Byte();
        if (kind < 16) {
            return RawDouble();
        }
        if (kind < 32) {
            const double extremes[] = {0.0, 1e-300, -1e-12, 1e12, -1e300, INFINITY, -INFINITY, NAN};
            return extremes[kind % 8];
        }
        return (int(Byte()) - 128) / 128.0 * scale * (kind & 1 ? 4 : 1);
    }
    const std::uint8_t* Rest(std::size_t& size) {
        size = size_ - at_;
        return data_ + at_;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void FillFrom(RasterCanvas& canvas, const std::uint8_t* bytes, std::size_t size) {
    if (!canvas.HasPixels()) {
        return;
    }
    for (int y = 0; y < canvas.Height(); ++y) {
        std::uint8_t* row = canvas.Rows()[y];
        for (int x = 0; x < canvas.Width() * canvas.BytesPerPixel(); ++x) {
            std::size_t n = std::size_t(y) * 131 + std::size_t(x);
            row[x] = size ? bytes[n % size] : std::uint8_t(n * 37);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv); // platform drawing needs an application object
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const int srcBytes = in.Byte() & 1 ? 4 : 3;
    const int dstBytes = in.Byte() & 1 ? 4 : 3;
    RasterCanvas src;
    src.SetBitsPerPixel(srcBytes * 8);
    src.Create(in.Between(1, 70), in.Between(1, 70));
    src.SetAlwaysSmooth(in.Byte() < 16);
    DcRasterCanvas dst;
    dst.SetBitsPerPixel(dstBytes * 8);
    dst.Create(in.Between(1, 60), in.Between(1, 60));

    Matrix3 m;
    m.Set(in.Number(3), in.Number(3), in.Number(3), in.Number(3), in.Number(80), in.Number(80));
    const bool plain = in.Byte() & 1;
    const std::uint8_t flags = in.Byte();
    const std::uint32_t tint =
        std::uint32_t(in.Byte()) | std::uint32_t(in.Byte()) << 8 | std::uint32_t(in.Byte()) << 16;
    const int tintAmount = int(in.Byte()) * 2 - 128;
    float opacity = 1.0f;
    if (flags & 2) {
        opacity = float(in.Number(1.5));
    }
    const int originX = in.Between(-20, 20), originY = in.Between(-20, 20);

    std::size_t restSize = 0;
    const std::uint8_t* rest = in.Rest(restSize);
    FillFrom(src, rest, restSize);
    FillFrom(dst, rest, restSize / 2);

    // Small draws are cut into row chunks shared with the helper thread too, when the input says so.
    SetBandedDrawThreshold(flags & 16 ? 0 : kDefaultBandedDrawThreshold);
    src.DrawTransformed(dst, m, plain, tint, flags & 1, tintAmount, opacity);
    if (flags & 4) {
        src.DrawTransformedPlatform(dst.Painter(), originX, originY, m, flags & 8, opacity);
        dst.Painter().Flush();
    }
    return 0;
}
