#include "raster/DrawTransformed.h"

#include "platform/CanvasPainter.h"
#include "raster/BlendTable.h"
#include "raster/ColorQuantizer.h"
#include "raster/DrawLoopsWide.h"
#include "raster/DrawTransformedLoops.h"
#include "raster/RasterCanvas.h"
#include "raster/RowWindow.h"
#include "support/BandRunner.h"
#include "support/ClipBox.h"
#include "support/Matrix3.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <vector>

namespace {

using drawloops::kFractionBits;
using drawloops::kOne;
using drawloops::LoopParams;
using drawloops::Sampling;

// Fixed-point values are kept far inside 64 bits so that a whole row of steps can never overflow;
// real draws stay many orders of magnitude below this bound.
constexpr double kFixedLimit = 1099511627776.0; // 2^40

std::int64_t ToFixed(double value) {
    return std::int64_t(std::clamp(value * double(kOne), -kFixedLimit, kFixedLimit));
}

// A nearly singular matrix maps destination pixels to source positions millions of pictures away;
// such a picture is a sliver at most, and its steps would not survive fixed point.
bool FitsFixed(double value) {
    return std::fabs(value * double(kOne)) < kFixedLimit;
}

struct Box {
    double x0, x1, y0, y1; // inclusive destination pixels, before clipping to the destination
};

bool AllFinite(const Matrix3& m) {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            if (!std::isfinite(m.At(r, c))) {
                return false;
            }
        }
    }
    return true;
}

// The destination pixels the transformed picture may touch: its corners' bounds widened by half a
// pixel and truncated toward zero.
bool CornerBox(const Matrix3& m, int w, int h, Box& box) {
    const double xs[4] = {0, double(w), 0, double(w)};
    const double ys[4] = {0, 0, double(h), double(h)};
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (int k = 0; k < 4; ++k) {
        double x = xs[k] * m.m11() + ys[k] * m.m21() + m.m31();
        double y = xs[k] * m.m12() + ys[k] * m.m22() + m.m32();
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    box = {std::trunc(minX - 0.5), std::trunc(maxX + 0.5), std::trunc(minY - 0.5), std::trunc(maxY + 0.5)};
    return std::isfinite(box.x0) && std::isfinite(box.x1) && std::isfinite(box.y0) && std::isfinite(box.y1);
}

int ClampToInt(double value, int lo, int hi) {
    return int(std::clamp(value, double(lo), double(hi)));
}

std::atomic<long long> bandedDrawThreshold{kDefaultBandedDrawThreshold};

// The fewest rows a thread claims at once: the last claims of a draw are this small, so the two
// threads finish together, and still large enough that claiming costs nothing next to drawing.
constexpr int kBandRows = 8;

// Runs the loop over the box's rows, shared with the helper thread when the box is large. Every pixel
// depends on its own position alone, and each chunk starts from the same fixed-point position the
// whole loop reaches by stepping, so the bytes do not depend on who draws which rows.
void RunLoop(drawloops::LoopFn loop, const LoopParams& p, std::vector<float>& line) {
    const long long pixels = (long long)(p.x1 - p.x0 + 1) * (p.y1 - p.y0 + 1);
    if (pixels < bandedDrawThreshold.load(std::memory_order_relaxed)) {
        loop(p);
        return;
    }
    // Each thread that draws rows of the picture needs a line of its own.
    const std::size_t lineFloats = line.size();
    line.resize(2 * lineFloats);
    auto chunk = [&](int first, int last, int lane) {
        LoopParams band = p;
        band.y0 = first;
        band.y1 = last;
        band.u0 = p.u0 + (first - p.y0) * p.dudy;
        band.v0 = p.v0 + (first - p.y0) * p.dvdy;
        if (band.line) {
            band.line = line.data() + lane * lineFloats;
        }
        loop(band);
    };
    BandRunner::Shared().Run(p.y0, p.y1, kBandRows, chunk);
}

void CopyColour(const std::uint8_t* from, std::uint8_t* to) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// Index of the source texel nearest to i * size / n, counted from the far end when reversed.
int NearestTexel(double i, double n, int size, bool reversed) {
    if (reversed) {
        i = n - i;
    }
    double t = std::floor(i * size / n + 0.5);
    return ClampToInt(t, 0, size - 1);
}

// A picture that collapses to one row or one column of pixels is drawn as a line of plain copies of
// its first row or column. The texel mapping follows the whole line, also where it is clipped.
void DrawLine(const RasterPlane& image, const RasterPlane& dst, const Box& box, bool alongX, bool reversed) {
    if (alongX) {
        int y = ClampToInt(box.y0, 0, dst.height - 1);
        if (y < RowWindow::First() || y > RowWindow::Last()) {
            return;
        }
        double n = box.x1 - box.x0;
        int from = ClampToInt(box.x0, 0, dst.width - 1);
        int to = ClampToInt(box.x1, 0, dst.width - 1);
        for (int x = from; x <= to; ++x) {
            int col = NearestTexel(x - box.x0, n, image.width, reversed);
            CopyColour(image.rows[0] + col * image.bytesPerPixel, dst.rows[y] + x * dst.bytesPerPixel);
        }
        return;
    }
    int x = ClampToInt(box.x0, 0, dst.width - 1);
    double n = box.y1 - box.y0;
    int from = std::max(ClampToInt(box.y0, 0, dst.height - 1), RowWindow::First());
    int to = std::min(ClampToInt(box.y1, 0, dst.height - 1), RowWindow::Last());
    for (int y = from; y <= to; ++y) {
        int row = NearestTexel(y - box.y0, n, image.height, reversed);
        CopyColour(image.rows[row], dst.rows[y] + x * dst.bytesPerPixel);
    }
}

// The smallest half-size level that still has at least as many texels as the picture covers
// destination pixels (scaled by b / 2), limited to the levels that exist.
int ChooseLevel(const SourceLevels& src, double extentW, double extentH, double b) {
    const double w = src.levels[0].width;
    const double h = src.levels[0].height;
    const double pw = extentW * b / 2;
    const double ph = extentH * b / 2;
    int level = SourceLevels::kMaxLevel;
    for (int k = 0; k <= SourceLevels::kMaxLevel; ++k) {
        double s = double(1 << k);
        if (pw >= w / s && ph >= h / s) {
            level = k;
            break;
        }
    }
    return std::min(level, src.levelCount - 1);
}

// The distance between successive rows when every row of the plane follows the one before it by the
// same number of bytes, rows do not overlap and the whole plane spans less than 2^31 bytes, which lets the
// widest loops address texels by offset; 0 when not.
std::ptrdiff_t EvenRowStride(const RasterPlane& plane) {
    if (plane.height < 2) {
        return 0;
    }
    const std::ptrdiff_t stride = plane.rows[1] - plane.rows[0];
    const std::ptrdiff_t rowBytes = std::ptrdiff_t(plane.width) * plane.bytesPerPixel;
    if (std::abs(stride) < rowBytes || std::abs(stride) > std::ptrdiff_t(0x7FFFFFFF) / (plane.height + 1)) {
        return 0;
    }
    for (int j = 2; j < plane.height; ++j) {
        if (plane.rows[j] - plane.rows[j - 1] != stride) {
            return 0;
        }
    }
    return stride;
}

int FootprintTaps(double fu, double fv) {
    int taps = (fu > 0 && fv > 0) ? 1 : 0;
    for (double threshold : {0.25, 0.5, 0.75}) {
        if (fu > threshold && fv > threshold) {
            ++taps;
        }
    }
    return taps;
}

// Narrows the loop to the rows of this thread's window, starting from the position the whole loop
// reaches there by stepping. False when no row is left.
bool KeepWindowRows(LoopParams& p) {
    const int first = std::max(p.y0, RowWindow::First());
    const int last = std::min(p.y1, RowWindow::Last());
    if (first > last) {
        return false;
    }
    p.u0 += (first - p.y0) * p.dudy;
    p.v0 += (first - p.y0) * p.dvdy;
    p.y0 = first;
    p.y1 = last;
    return true;
}

using drawloops::LoopFn;

LoopFn PickLoop(int srcBytes, int dstBytes, Sampling sampling, bool opaque, bool tint) {
    if (LoopFn wide = drawloops::PickWideLoop(sampling, srcBytes, dstBytes, opaque, tint)) {
        return wide;
    }
    switch (sampling) {
    case Sampling::Nearest:
        return drawloops::PickRows<Sampling::Nearest>(srcBytes, dstBytes, opaque, tint);
    case Sampling::Bilinear:
        return drawloops::PickRows<Sampling::Bilinear>(srcBytes, dstBytes, opaque, tint);
    case Sampling::Footprint:
        return drawloops::PickRows<Sampling::Footprint>(srcBytes, dstBytes, opaque, tint);
    case Sampling::OffsetNearest:
        return drawloops::PickRows<Sampling::OffsetNearest>(srcBytes, dstBytes, opaque, tint);
    case Sampling::AxisBilinear:
        return drawloops::PickRows<Sampling::AxisBilinear>(srcBytes, dstBytes, opaque, tint);
    }
    return nullptr;
}

} // namespace

void DrawTransformedPlanes(const SourceLevels& src, const RasterPlane& dst, const Matrix3& srcToDst,
                           const DrawStyle& style, const std::uint8_t* blendTable) {
    if (src.levelCount < 1 || !src.levels[0].IsUsable() || !dst.IsUsable() || !blendTable) {
        return;
    }
    if (!AllFinite(srcToDst) || !std::isfinite(style.opacity)) {
        return;
    }
    const RasterPlane& image = src.levels[0];
    const int w = image.width;
    const int h = image.height;
    Box box;
    if (!CornerBox(srcToDst, w, h, box)) {
        return;
    }
    // A picture wholly beside the destination draws nothing, not a clamped line along its border.
    if (box.x1 < 0 || box.y1 < 0 || box.x0 > dst.width - 1 || box.y0 > dst.height - 1) {
        return;
    }
    // Nor does one whose rows all lie outside this thread's window.
    if (box.y1 < RowWindow::First() || box.y0 > RowWindow::Last()) {
        return;
    }
    const bool thinX = box.x1 - box.x0 < 2;
    const bool thinY = box.y1 - box.y0 < 2;
    if (thinX && thinY) {
        return;
    }
    Matrix3 inverse;
    if (!srcToDst.Inverse(inverse) || !AllFinite(inverse)) {
        return;
    }
    if (thinY) {
        DrawLine(image, dst, box, true, !(inverse.m11() > 0));
        return;
    }
    if (thinX) {
        DrawLine(image, dst, box, false, !(inverse.m22() > 0));
        return;
    }

    LoopParams p;
    p.dstRows = dst.rows;
    p.x0 = ClampToInt(box.x0, 0, dst.width - 1);
    p.x1 = ClampToInt(box.x1, 0, dst.width - 1);
    p.y0 = ClampToInt(box.y0, 0, dst.height - 1);
    p.y1 = ClampToInt(box.y1, 0, dst.height - 1);

    double us = p.x0 * inverse.m11() + p.y0 * inverse.m21() + inverse.m31();
    double vs = p.x0 * inverse.m12() + p.y0 * inverse.m22() + inverse.m32();
    double dudx = inverse.m11(), dvdx = inverse.m12();
    double dudy = inverse.m21(), dvdy = inverse.m22();
    const double extentW = w * std::hypot(srcToDst.m11(), srcToDst.m12());
    const double extentH = h * std::hypot(srcToDst.m21(), srcToDst.m22());

    // Strong enlargement (four times or more, derivatives of a quarter included) looks better with sharp
    // texels. The level choice sees that test alone; plain only changes the sampling, so a plain draw at
    // scale 1 stays exact.
    const bool enlarged = std::fabs(dudx) <= 0.25 && std::fabs(dvdx) <= 0.25 && std::fabs(dudy) <= 0.25 &&
                          std::fabs(dvdy) <= 0.25;
    const bool smoothScale = src.alwaysSmooth || !enlarged;
    const bool smooth = src.alwaysSmooth || (!style.plain && !enlarged);
    const bool opaque = style.opacity == 1.0f;

    const int level = ChooseLevel(src, extentW, extentH, (opaque && smoothScale) ? 2.0 : 1.5);
    const RasterPlane& plane = src.levels[level];
    if (!plane.IsUsable() || plane.bytesPerPixel != image.bytesPerPixel) {
        return;
    }
    const double s = double(1 << level);
    us /= s;
    vs /= s;
    dudx /= s;
    dvdx /= s;
    dudy /= s;
    dvdy /= s;
    for (double value : {us, vs, dudx, dvdx, dudy, dvdy}) {
        if (!FitsFixed(value)) {
            return;
        }
    }
    p.srcRows = plane.rows;
    p.srcWidth = plane.width;
    p.srcHeight = plane.height;
    p.rowStride = EvenRowStride(plane);
    p.u0 = ToFixed(us);
    p.v0 = ToFixed(vs);
    p.dudx = ToFixed(dudx);
    p.dvdx = ToFixed(dvdx);
    p.dudy = ToFixed(dudy);
    p.dvdy = ToFixed(dvdy);
    p.blend = blendTable;

    const int sourceBytes = image.bytesPerPixel;
    Sampling sampling;
    bool blendOpaque = opaque;
    const int opacityByte = int(std::clamp(std::trunc(double(style.opacity) * 255.0), 0.0, 255.0));
    if (sourceBytes == 4) {
        sampling = smooth ? Sampling::Bilinear : Sampling::Nearest;
        p.opacityFactor = opacityByte;
    } else if (opaque) {
        sampling = smooth ? Sampling::Bilinear : Sampling::Nearest;
        if (smooth) {
            const double fu = std::fabs(dudx + dudy) - 1;
            const double fv = std::fabs(dvdx + dvdy) - 1;
            p.taps = FootprintTaps(fu, fv);
            if (p.taps > 1) {
                sampling = Sampling::Footprint;
                // Beyond this the taps cannot fit inside any level, so every pixel takes one sample.
                const double limit = double(1 << 28);
                p.halfU = std::int32_t(std::min(std::trunc(fu * double(kOne) / 2), limit));
                p.halfV = std::int32_t(std::min(std::trunc(fv * double(kOne) / 2), limit));
            }
        }
    } else {
        sampling = Sampling::OffsetNearest;
        // Above full opacity the sample is copied; below, it is mixed at a constant alpha.
        blendOpaque = style.opacity > 1.0f;
        p.opacityFactor = opacityByte;
    }
    if (sampling != Sampling::Nearest) {
        p.u0 -= kOne / 2;
        p.v0 -= kOne / 2;
    }
    // Rows that follow one source row or column (no turn, or quarter turns) share their vertical mix.
    // The line's memory stays with the thread: a frame draws thousands of small pictures.
    thread_local std::vector<float> line;
    line.clear();
    if (sampling == Sampling::Bilinear && (p.dvdx == 0 || p.dudx == 0)) {
        sampling = Sampling::AxisBilinear;
        // When every sample point sits on a texel centre no row mixes texels, so no line is needed.
        const bool onCentres =
            ((p.u0 | p.v0 | p.dudx | p.dvdx | p.dudy | p.dvdy) & drawloops::kFractionMask) == 0;
        p.onCentres = onCentres;
        if (!onCentres) {
            line.resize(std::size_t(std::max(p.srcWidth, p.srcHeight) + 2) * 4);
            p.line = line.data();
        }
    }
    const bool tint = style.tintOn;
    if (tint) {
        const int k = std::clamp(style.tintAmount, 0, 255);
        p.tintKeep = blendTable + (255 - k) * 256;
        const std::uint8_t* tintRow = blendTable + k * 256;
        p.tintAdd[0] = tintRow[(style.tintColour >> 16) & 0xFF];
        p.tintAdd[1] = tintRow[(style.tintColour >> 8) & 0xFF];
        p.tintAdd[2] = tintRow[style.tintColour & 0xFF];
    }
    if (!KeepWindowRows(p)) {
        return;
    }
    LoopFn loop = PickLoop(sourceBytes, dst.bytesPerPixel, sampling, blendOpaque, tint);
    p.portsShared = drawloops::ActiveStepPorts() == drawloops::StepPorts::SharedWithIntegers;
    RunLoop(loop, p, line);
}

void SetBandedDrawThreshold(long long pixels) {
    bandedDrawThreshold.store(pixels, std::memory_order_relaxed);
}

// ---- Canvas entries ----

namespace {

SourceLevels LevelsOf(RasterCanvas& canvas) {
    SourceLevels levels;
    if (!canvas.HasPixels() || !canvas.Rows()) {
        return levels;
    }
    // The map's frame may draw the same picture from two threads at once.
    canvas.EnsureLevels(); // when this fails the picture itself is sampled at every scale
    levels.alwaysSmooth = canvas.AlwaysSmooth();
    levels.levels[0] = {canvas.Width(), canvas.Height(), canvas.BytesPerPixel(), canvas.Rows()};
    levels.levelCount = 1;
    if (!canvas.LevelsReady()) {
        return levels;
    }
    for (int k = 1; k <= canvas.DeepestLevel() && k <= SourceLevels::kMaxLevel; ++k) {
        const RasterLevel& level = canvas.Level(k);
        if (!level.Exists()) {
            break;
        }
        levels.levels[k] = {level.width, level.height, canvas.BytesPerPixel(), level.rows};
        levels.levelCount = k + 1;
    }
    return levels;
}

RasterPlane PlaneOf(RasterCanvas& canvas) {
    if (!canvas.HasPixels()) {
        return {};
    }
    return {canvas.Width(), canvas.Height(), canvas.BytesPerPixel(), canvas.Rows()};
}

// The colour-reduced copy of a canvas that platform drawing blits: one palette index per texel of
// half-size level 1 (or of the picture when it is too small for levels), and for pictures with alpha
// the alpha of each texel, which indexes the inverted-grey mask palette.
class QuantizedSource : public PlatformDrawCache {
public:
    bool Build(RasterCanvas& canvas) {
        const RasterLevel* half = nullptr;
        if (!canvas.LevelsMissing() && canvas.DeepestLevel() >= 1 && canvas.Level(1).Exists()) {
            half = &canvas.Level(1);
        }
        const std::uint8_t* const* rows = half ? half->rows : canvas.Rows();
        width = half ? half->width : canvas.Width();
        height = half ? half->height : canvas.Height();
        scale = half ? 2 : 1;
        const int bytes = canvas.BytesPerPixel();
        if (!quantizer.Quantize(rows, width, height, bytes)) {
            return false;
        }
        hasAlpha = bytes == 4;
        if (hasAlpha) {
            alpha.resize(std::size_t(width) * std::size_t(height));
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    alpha[std::size_t(y) * std::size_t(width) + std::size_t(x)] = rows[y][x * 4 + 3];
                }
            }
        }
        return true;
    }

    ColorQuantizer quantizer;
    std::vector<std::uint8_t> alpha;
    int width = 0;
    int height = 0;
    int scale = 1;
    bool hasAlpha = false;
};

std::uint32_t GreyOf(std::uint32_t colour) {
    std::uint32_t g = ((colour >> 16 & 255) + (colour >> 8 & 255) + (colour & 255)) / 3;
    return g << 16 | g << 8 | g;
}

// Index and mask buffers of the destination box, rows bottom-up, strides a multiple of 4 as platform
// bitmaps want them.
struct IndexedBox {
    int x0 = 0, y0 = 0, width = 0, height = 0, stride = 0;
    std::vector<std::uint8_t> indices;
    std::vector<std::uint8_t> mask;
};

// Fills the index buffer by nearest sampling, and the mask with each texel's alpha (255 for opaque
// pictures). Pixels of the box without a texel get mask 0, which keeps the destination. Returns whether
// every pixel of the box had a texel.
bool RasterizeIndices(const QuantizedSource& source, const Matrix3& inverse, IndexedBox& box) {
    const double s = source.scale;
    const std::int64_t du = ToFixed(inverse.m11() / s), dv = ToFixed(inverse.m12() / s);
    const std::int64_t rowDu = ToFixed(inverse.m21() / s), rowDv = ToFixed(inverse.m22() / s);
    std::int64_t rowU = ToFixed((box.x0 * inverse.m11() + box.y0 * inverse.m21() + inverse.m31()) / s);
    std::int64_t rowV = ToFixed((box.x0 * inverse.m12() + box.y0 * inverse.m22() + inverse.m32()) / s);
    const std::vector<std::uint8_t>& indices = source.quantizer.Indices();
    bool everyPixel = true;
    for (int y = 0; y < box.height; ++y, rowU += rowDu, rowV += rowDv) {
        std::uint8_t* out = box.indices.data() + std::size_t(y) * std::size_t(box.stride);
        std::uint8_t* maskOut = box.mask.data() + std::size_t(y) * std::size_t(box.stride);
        std::int64_t u = rowU, v = rowV;
        for (int x = 0; x < box.width; ++x, u += du, v += dv) {
            std::int64_t i = u >> kFractionBits, j = v >> kFractionBits;
            if (u < 0 || v < 0 || i >= source.width || j >= source.height) {
                everyPixel = false;
                continue;
            }
            std::size_t at = std::size_t(j) * std::size_t(source.width) + std::size_t(i);
            out[x] = indices[at];
            maskOut[x] = source.hasAlpha ? source.alpha[at] : 255;
        }
    }
    return everyPixel;
}

} // namespace

void DrawTransformed(RasterCanvas& src, RasterCanvas& dst, const Matrix3& srcToDst, bool plain,
                     std::uint32_t tintColour, bool tintOn, int tintAmount, float opacity) {
    const SourceLevels levels = LevelsOf(src);
    const DrawStyle style{plain, tintColour, tintOn, tintAmount, opacity};
    DrawTransformedPlanes(levels, PlaneOf(dst), srcToDst, style, BlendTable::Get().Data());
}

void DrawTransformed(RasterCanvas& src, const RasterPlane& dst, const Matrix3& srcToDst,
                     const DrawStyle& style) {
    DrawTransformedPlanes(LevelsOf(src), dst, srcToDst, style, BlendTable::Get().Data());
}

void RasterCanvas::DrawTransformed(RasterCanvas& destination, const Matrix3& matrix, bool plain,
                                   std::uint32_t tintColor, bool tintOn, int tintAmount, float opacity) {
    ::DrawTransformed(*this, destination, matrix, plain, tintColor, tintOn, tintAmount, opacity);
}

// Platform drawing has no partial transparency: alpha becomes an and-mask between two exclusive-or
// copies, so opacity does not take part.
void RasterCanvas::DrawTransformedPlatform(CanvasPainter& painter, int originX, int originY,
                                           const Matrix3& matrix, bool grey, float /*opacity*/) {
    if (!HasPixels() || !Rows() || !painter.IsAttached() || (BytesPerPixel() != 3 && BytesPerPixel() != 4)) {
        return;
    }
    if (LevelsMissing()) {
        BuildLevels();
    }
    auto* source = dynamic_cast<QuantizedSource*>(PlatformCache());
    if (!source) {
        auto made = std::make_unique<QuantizedSource>();
        if (!made->Build(*this)) {
            return;
        }
        source = made.get();
        SetPlatformCache(std::move(made));
    }
    // The matrix places the picture relative to the destination origin, in stored-row pixels.
    const Matrix3 toPainter = Matrix3::Product(matrix, Matrix3::Translation(originX, originY));
    Matrix3 inverse;
    Box corners;
    if (!AllFinite(toPainter) || !CornerBox(toPainter, Width(), Height(), corners) ||
        !toPainter.Inverse(inverse) || !AllFinite(inverse)) {
        return;
    }
    const int paintW = painter.Width(), paintH = painter.Height();
    if (corners.x1 < 0 || corners.y1 < 0 || corners.x0 > paintW - 1 || corners.y0 > paintH - 1) {
        return;
    }
    IndexedBox box;
    box.x0 = ClampToInt(corners.x0, 0, paintW - 1);
    box.y0 = ClampToInt(corners.y0, 0, paintH - 1);
    box.width = ClampToInt(corners.x1, 0, paintW - 1) - box.x0 + 1;
    box.height = ClampToInt(corners.y1, 0, paintH - 1) - box.y0 + 1;
    if (box.width < 2 && box.height < 2) {
        return;
    }
    box.stride = (box.width + 3) & ~3;
    box.indices.assign(std::size_t(box.stride) * std::size_t(box.height), 0);
    box.mask.assign(box.indices.size(), 0);
    const bool everyPixel = RasterizeIndices(*source, inverse, box);

    std::uint32_t colours[256] = {};
    const std::vector<std::uint32_t>& palette = source->quantizer.Palette();
    for (std::size_t k = 0; k < palette.size() && k < 256; ++k) {
        colours[k] = grey ? GreyOf(palette[k]) : palette[k];
    }
    painter.Save();
    const float angle = toPainter.Angle(0.0f, false);
    const bool rotates = angle > 1e-6f && angle < float(2 * M_PI - 1e-6);
    if (rotates) {
        PlanePoint corners[4];
        const double xs[4] = {0, double(Width()), double(Width()), 0};
        const double ys[4] = {0, 0, double(Height()), double(Height())};
        for (int k = 0; k < 4; ++k) {
            double x = xs[k] * toPainter.m11() + ys[k] * toPainter.m21() + toPainter.m31();
            double y = xs[k] * toPainter.m12() + ys[k] * toPainter.m22() + toPainter.m32();
            // Destination pixel centres sit on whole stored-row coordinates; client rows count down.
            corners[k] = {x + 0.5, paintH - 0.5 - y};
        }
        // Cut, not clamped: clamping a far corner on its own would turn the picture's outline.
        std::vector<ClientPoint> polygon;
        for (const PlanePoint& clientPt : ClipBox::ClientReach(paintW, paintH).ClipPolygon(corners, 4)) {
            polygon.push_back({int(std::round(clientPt.x)), int(std::round(clientPt.y))});
        }
        painter.SetClipPolygon(polygon.data(), int(polygon.size()));
    }
    const int clientTop = paintH - (box.y0 + box.height);
    PixelBlock indexBlock{box.indices.data(), box.width, box.height, box.stride, 1, colours};
    // One copy serves an opaque picture that covers its whole box; anything else is masked, so that
    // the rim of the box beyond the picture keeps the destination.
    if (!source->hasAlpha && everyPixel) {
        painter.StretchBlit(box.x0, clientTop, box.width, box.height, indexBlock, 0, 0, box.width, box.height,
                            BlitOp::Copy, StretchMode::ColorOnColor);
    } else {
        std::uint32_t maskColours[256];
        for (int k = 0; k < 256; ++k) {
            std::uint32_t g = std::uint32_t(255 - k);
            maskColours[k] = g << 16 | g << 8 | g;
        }
        PixelBlock maskBlock{box.mask.data(), box.width, box.height, box.stride, 1, maskColours};
        painter.StretchBlit(box.x0, clientTop, box.width, box.height, indexBlock, 0, 0, box.width, box.height,
                            BlitOp::Xor, StretchMode::ColorOnColor);
        painter.StretchBlit(box.x0, clientTop, box.width, box.height, maskBlock, 0, 0, box.width, box.height,
                            BlitOp::And, StretchMode::ColorOnColor);
        painter.StretchBlit(box.x0, clientTop, box.width, box.height, indexBlock, 0, 0, box.width, box.height,
                            BlitOp::Xor, StretchMode::ColorOnColor);
    }
    painter.Restore();
}
