#include "platform/CanvasPainter.h"

#include "platform/QtFontChoice.h"
#include "support/ClipBox.h"

#include <QColor>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QRectF>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {
QColor ToQColor(std::uint32_t color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QImage::Format FormatFor(int bytesPerPixel) {
    switch (bytesPerPixel) {
    case 1:
        return QImage::Format_Indexed8;
    case 3:
        return QImage::Format_BGR888;
    case 4:
        // Platform drawing treats the fourth byte as padding, as the platform's own bitmaps do.
        return QImage::Format_RGB32;
    default:
        return QImage::Format_Invalid;
    }
}

QPainter::CompositionMode ModeFor(RasterOp op) {
    switch (op) {
    case RasterOp::NotDestination:
        return QPainter::RasterOp_NotDestination;
    case RasterOp::XorPen:
        return QPainter::RasterOp_SourceXorDestination;
    case RasterOp::CopyPen:
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

QPainter::CompositionMode ModeFor(BlitOp op) {
    switch (op) {
    case BlitOp::Xor:
        return QPainter::RasterOp_SourceXorDestination;
    case BlitOp::And:
        return QPainter::RasterOp_SourceAndDestination;
    case BlitOp::Or:
        return QPainter::RasterOp_SourceOrDestination;
    case BlitOp::Copy:
    default:
        return QPainter::CompositionMode_Source;
    }
}

// The source rows as an image, without copying when they are 4-byte aligned as the image code needs;
// other blocks (tightly packed index rows, say) are copied into aligned rows first.
QImage WrapSource(const PixelBlock& source, QImage::Format format) {
    const bool aligned = source.stride % 4 == 0 && reinterpret_cast<std::uintptr_t>(source.pixels) % 4 == 0;
    if (aligned) {
        return QImage(source.pixels, source.width, source.height, source.stride, format);
    }
    QImage copy(source.width, source.height, format);
    if (copy.isNull()) {
        return copy;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(source.width) * source.bytesPerPixel;
    for (int y = 0; y < source.height; ++y) {
        std::memcpy(copy.scanLine(y), source.pixels + static_cast<std::size_t>(y) * source.stride, rowBytes);
    }
    return copy;
}

enum class ClipKind { None, Rect, Polygon };

// Everything Save and Restore carry.
struct DrawState {
    PenStyle penStyle = PenStyle::Solid;
    int penWidth = 1;
    std::uint32_t penColor = 0;
    bool brushOn = true;
    std::uint32_t brushColor = 0x00FFFFFF;
    RasterOp rasterOp = RasterOp::CopyPen;
    std::uint32_t textColor = 0;
    bool textOpaque = false;
    std::uint32_t textBackground = 0x00FFFFFF;
    TextAlign textAlign = TextAlign::Top;
    QtFontChoice font;
    int escapement = 0;
    ClipKind clipKind = ClipKind::None;
    QPainterPath clip;
};

// Dash patterns of one-pixel pens, in pixels: on, off.
constexpr int kDashOn = 18, kDashOff = 6;
constexpr int kDotOn = 3, kDotOff = 3;
// Pattern positions repeat after this many pixels for every style, so a phase is kept below it.
constexpr int kPatternPeriod = kDashOn + kDashOff;
static_assert(kPatternPeriod % (kDotOn + kDotOff) == 0);

bool PatternOn(PenStyle style, int phase) {
    if (style == PenStyle::Dash) {
        return phase % (kDashOn + kDashOff) < kDashOn;
    }
    if (style == PenStyle::Dot) {
        return phase % (kDotOn + kDotOff) < kDotOn;
    }
    return true;
}

// Products of two line lengths, each up to 2^32 pixels, and their doubles.
using WideInt = __int128;

// The pixels of a one-pixel line from (x0, y0) towards (x1, y1) that fall on a width x height canvas,
// the end pixel left out so that connected segments meet without drawing a pixel twice (which would
// undo an inverting pen). Step k of the line moves k pixels along its major axis and
// round(k * minor / major) pixels across, halves rounding forwards: the pixels of the error-term
// walk, found here without walking the steps that lie off the canvas, so a line billions of pixels
// long costs what it shows. `phase` counts pixels along the pen's dash pattern and carries on into the
// next segment as if every step had been walked.
void AddLinePixels(int x0, int y0, int x1, int y1, PenStyle style, int width, int height, int& phase,
                   QPolygon& pixels) {
    const std::int64_t dx = std::abs(std::int64_t{x1} - x0), dy = std::abs(std::int64_t{y1} - y0);
    const std::int64_t steps = std::max(dx, dy), minor = std::min(dx, dy);
    const int startPhase = phase;
    phase = static_cast<int>((phase + steps) % kPatternPeriod);
    // Every pixel lies within half a pixel of the line across its major axis, so the stretch of the
    // line within a box one pixel wider than the canvas holds every step that lands on the canvas.
    const auto span =
        ClipBox::AroundCanvas(width, height, 1.0).Span({double(x0), double(y0)}, {double(x1), double(y1)});
    if (steps == 0 || !span) {
        return;
    }
    const std::int64_t first = std::max<std::int64_t>(0, static_cast<std::int64_t>(span->enter * steps) - 1);
    const std::int64_t last =
        std::min<std::int64_t>(steps - 1, static_cast<std::int64_t>(std::ceil(span->leave * steps)) + 1);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const bool alongX = dx >= dy;
    for (std::int64_t k = first; k <= last; ++k) {
        const auto across =
            static_cast<std::int64_t>((2 * WideInt{k} * minor + steps) / (2 * WideInt{steps}));
        const std::int64_t x = x0 + sx * (alongX ? k : across);
        const std::int64_t y = y0 + sy * (alongX ? across : k);
        if (x >= 0 && x < width && y >= 0 && y < height &&
            PatternOn(style, static_cast<int>((startPhase + k) % kPatternPeriod))) {
            pixels << QPoint(static_cast<int>(x), static_cast<int>(y));
        }
    }
}

QPolygonF ToQPolygon(const std::vector<PlanePoint>& points) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const PlanePoint& p : points) {
        polygon << QPointF(p.x, p.y);
    }
    return polygon;
}

std::vector<PlanePoint> ToPlane(const ClientPoint* points, int count) {
    std::vector<PlanePoint> plane(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        plane[static_cast<std::size_t>(i)] = PlanePoint{double(points[i].x), double(points[i].y)};
    }
    return plane;
}

// The part of the rectangle left .. right, top .. bottom inside the box; nullopt when they do not meet.
std::optional<QRectF> Intersect(double left, double top, double right, double bottom, const ClipBox& box) {
    const double l = std::max(left, box.Left()), t = std::max(top, box.Top());
    const double r = std::min(right, box.Right()), b = std::min(bottom, box.Bottom());
    if (r < l || b < t) {
        return std::nullopt;
    }
    return QRectF(l, t, r - l, b - t);
}
} // namespace

struct CanvasPainter::Impl {
    QImage image;
    std::unique_ptr<QPainter> painter;
    int height = 0;
    DrawState state;
    std::vector<DrawState> saved;
    ClientPoint current;

    int dashPhase = 0;

    // Client pixels (y down from the top of the picture) to the stored rows the image wraps, whose
    // first row is the bottom of the picture. Areas: client pixel (x, y) covers the unit square from
    // (x, y), so filled shapes with whole-pixel corners cover whole pixels.
    QTransform ClientToStored() const { return QTransform(1, 0, 0, -1, 0, height); }
    // Strokes: the aliased stroker centres pixel (x, y) on the whole coordinate, so the same pixel
    // maps to stored row height - 1 - y.
    QTransform StrokeToStored() const { return QTransform(1, 0, 0, -1, 0, height - 1); }

    bool ThinPen() const { return state.penWidth <= 1; }

    // Polygons and thick lines reach Qt cut to this box. A closer cut would move their pixels: Qt
    // rounds a stroke's or fill's edges from its corners (a cut corner lands them a 1/128 pixel
    // elsewhere) and starts a dash pattern where the outline starts. Within the box, Qt's rasterizer
    // works only on the canvas's rows and spans, with coordinates well inside its fixed-point range.
    ClipBox ReachBox() const { return ClipBox::ClientReach(image.width(), image.height()); }

    // Axis-aligned rectangles cut to a box with whole-pixel edges keep their pixels exactly, so
    // they are cut close: `margin` pixels beyond the canvas, more than their pen reaches.
    ClipBox NearBox(double margin) const {
        return ClipBox::AroundCanvas(image.width(), image.height(), margin);
    }
    ClipBox PenNearBox() const { return NearBox(std::max(state.penWidth, 1) + 2.0); }

    void WalkLine(int x0, int y0, int x1, int y1, int& phase, QPolygon& pixels) const {
        AddLinePixels(x0, y0, x1, y1, state.penStyle, image.width(), image.height(), phase, pixels);
    }

    // One-pixel outlines are laid down pixel by pixel so that every pixel is drawn exactly once.
    void DrawPixels(QPainter* painter, const QPolygon& pixels) {
        if (pixels.isEmpty()) {
            return;
        }
        QPen pen(ToQColor(state.penColor));
        pen.setWidth(1);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->setTransform(StrokeToStored());
        painter->drawPoints(pixels);
        painter->setTransform(ClientToStored());
    }

    // A closed outline through the points, each corner drawn once.
    void DrawThinOutline(QPainter* painter, const ClientPoint* points, int count) {
        QPolygon pixels;
        int phase = 0;
        for (int i = 0; i < count; ++i) {
            const ClientPoint& from = points[i];
            const ClientPoint& to = points[(i + 1) % count];
            WalkLine(from.x, from.y, to.x, to.y, phase, pixels);
        }
        DrawPixels(painter, pixels);
    }

    QPainter* Begin() {
        if (image.isNull()) {
            return nullptr;
        }
        if (!painter) {
            painter = std::make_unique<QPainter>();
            if (!painter->begin(&image)) {
                painter.reset();
                return nullptr;
            }
        }
        painter->setTransform(ClientToStored());
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setCompositionMode(ModeFor(state.rasterOp));
        if (state.clipKind == ClipKind::None) {
            painter->setClipping(false);
        } else {
            painter->setClipPath(state.clip);
        }
        return painter.get();
    }

    QPen Pen() const {
        if (state.penStyle == PenStyle::Null) {
            return QPen(Qt::NoPen);
        }
        QPen pen(ToQColor(state.penColor));
        pen.setWidth(state.penWidth <= 1 ? 1 : state.penWidth);
        const bool thin = state.penWidth <= 1;
        pen.setCapStyle(thin ? Qt::FlatCap : Qt::RoundCap);
        pen.setJoinStyle(thin ? Qt::MiterJoin : Qt::RoundJoin);
        if (state.penStyle == PenStyle::Dash) {
            pen.setStyle(Qt::DashLine);
        } else if (state.penStyle == PenStyle::Dot) {
            pen.setStyle(Qt::DotLine);
        }
        return pen;
    }

    QBrush Brush() const { return state.brushOn ? QBrush(ToQColor(state.brushColor)) : QBrush(Qt::NoBrush); }
};

CanvasPainter::CanvasPainter() : impl_(std::make_unique<Impl>()) {}

CanvasPainter::~CanvasPainter() {
    Detach();
}

bool CanvasPainter::Attach(std::uint8_t* pixels, int width, int height, int stride, int bytesPerPixel) {
    Detach();
    const QImage::Format format = FormatFor(bytesPerPixel);
    if (pixels == nullptr || width < 1 || height < 1 || stride < width * bytesPerPixel || stride % 4 != 0 ||
        (bytesPerPixel != 3 && bytesPerPixel != 4)) {
        return false;
    }
    // Wraps the memory without copying; the image never owns it.
    impl_->image = QImage(pixels, width, height, stride, format);
    impl_->height = height;
    return !impl_->image.isNull();
}

void CanvasPainter::Detach() {
    if (impl_->painter) {
        impl_->painter->end();
        impl_->painter.reset();
    }
    impl_->image = QImage();
    impl_->height = 0;
    impl_->state = DrawState{};
    impl_->saved.clear();
    impl_->current = ClientPoint{};
}

bool CanvasPainter::IsAttached() const {
    return !impl_->image.isNull();
}

int CanvasPainter::Width() const {
    return impl_->image.width();
}

int CanvasPainter::Height() const {
    return impl_->image.height();
}

void CanvasPainter::Flush() {
    // The raster engine writes straight into the memory; ending the painter releases its buffers too.
    if (impl_->painter) {
        impl_->painter->end();
        impl_->painter.reset();
    }
}

void CanvasPainter::SetPen(PenStyle style, int width, std::uint32_t color) {
    impl_->state.penStyle = style;
    impl_->state.penWidth = width;
    impl_->state.penColor = color;
}

void CanvasPainter::SetBrush(std::uint32_t color) {
    impl_->state.brushOn = true;
    impl_->state.brushColor = color;
}

void CanvasPainter::SetNullBrush() {
    impl_->state.brushOn = false;
}

void CanvasPainter::SetRasterOp(RasterOp op) {
    impl_->state.rasterOp = op;
}

void CanvasPainter::SetTextColor(std::uint32_t color) {
    impl_->state.textColor = color;
}

void CanvasPainter::SetTextBackground(bool opaque, std::uint32_t color) {
    impl_->state.textOpaque = opaque;
    impl_->state.textBackground = color;
}

void CanvasPainter::SetTextAlign(TextAlign align) {
    impl_->state.textAlign = align;
}

bool CanvasPainter::SetFont(const FontDescription& fontDescription) {
    impl_->state.escapement = fontDescription.escapement;
    return impl_->state.font.Make(fontDescription);
}

void CanvasPainter::SetClipRect(int left, int top, int right, int bottom) {
    QPainterPath path;
    if (const auto area = Intersect(left, top, right, bottom, impl_->NearBox(2.0));
        area && right > left && bottom > top) {
        path.addRect(*area);
    }
    impl_->state.clipKind = ClipKind::Rect;
    impl_->state.clip = path;
}

void CanvasPainter::SetClipPolygon(const ClientPoint* points, int count) {
    QPainterPath path;
    if (points != nullptr && count >= 3) {
        const std::vector<PlanePoint> corners = ToPlane(points, count);
        path.addPolygon(ToQPolygon(impl_->ReachBox().ClipPolygon(corners.data(), count)));
        path.closeSubpath();
    }
    impl_->state.clipKind = ClipKind::Polygon;
    impl_->state.clip = path;
}

void CanvasPainter::ClearClip() {
    impl_->state.clipKind = ClipKind::None;
    impl_->state.clip = QPainterPath();
}

void CanvasPainter::Save() {
    impl_->saved.push_back(impl_->state);
}

void CanvasPainter::Restore() {
    if (impl_->saved.empty()) {
        return;
    }
    impl_->state = impl_->saved.back();
    impl_->saved.pop_back();
}

void CanvasPainter::MoveTo(int x, int y) {
    impl_->current = ClientPoint{x, y};
    impl_->dashPhase = 0;
}

void CanvasPainter::LineTo(int x, int y) {
    DrawLine(impl_->current.x, impl_->current.y, x, y);
    impl_->current = ClientPoint{x, y};
}

void CanvasPainter::DrawLine(int x0, int y0, int x1, int y1) {
    QPainter* painter = impl_->Begin();
    if (painter == nullptr || impl_->state.penStyle == PenStyle::Null) {
        return;
    }
    if (impl_->ThinPen()) {
        QPolygon pixels;
        impl_->WalkLine(x0, y0, x1, y1, impl_->dashPhase, pixels);
        impl_->DrawPixels(painter, pixels);
        return;
    }
    const auto visible = impl_->ReachBox().ClipSegment({double(x0), double(y0)}, {double(x1), double(y1)});
    if (!visible) {
        return;
    }
    QPen pen = impl_->Pen();
    const double cutAway = std::hypot(visible->first.x - x0, visible->first.y - y0);
    if (impl_->state.penStyle != PenStyle::Solid && cutAway > 0.0) {
        // The pattern, measured in pen widths, continues from where the line started.
        pen.setDashOffset(cutAway / pen.widthF());
    }
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->setTransform(impl_->StrokeToStored());
    painter->drawLine(QLineF(visible->first.x, visible->first.y, visible->second.x, visible->second.y));
}

void CanvasPainter::Polyline(const ClientPoint* points, int count) {
    if (points == nullptr || count < 2) {
        return;
    }
    MoveTo(points[0].x, points[0].y);
    for (int i = 1; i < count; ++i) {
        LineTo(points[i].x, points[i].y);
    }
}

void CanvasPainter::Polygon(const ClientPoint* points, int count) {
    QPainter* painter = impl_->Begin();
    if (painter == nullptr || points == nullptr || count < 2) {
        return;
    }
    const std::vector<PlanePoint> corners = ToPlane(points, count);
    const QPolygonF polygon = ToQPolygon(impl_->ReachBox().ClipPolygon(corners.data(), count));
    if (polygon.isEmpty()) {
        return;
    }
    if (impl_->state.brushOn) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(impl_->Brush());
        painter->drawPolygon(polygon, Qt::OddEvenFill);
    }
    if (impl_->state.penStyle == PenStyle::Null) {
        return;
    }
    if (impl_->ThinPen()) {
        impl_->DrawThinOutline(painter, points, count);
        return;
    }
    painter->setPen(impl_->Pen());
    painter->setBrush(Qt::NoBrush);
    painter->setTransform(impl_->StrokeToStored());
    painter->drawPolygon(polygon);
}

void CanvasPainter::Rectangle(int left, int top, int right, int bottom) {
    QPainter* painter = impl_->Begin();
    if (painter == nullptr || right <= left || bottom <= top) {
        return;
    }
    const auto area = Intersect(left, top, right, bottom, impl_->PenNearBox());
    if (!area) {
        return;
    }
    if (impl_->state.brushOn) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(impl_->Brush());
        painter->drawRect(*area);
    }
    if (impl_->state.penStyle == PenStyle::Null) {
        return;
    }
    if (impl_->ThinPen()) {
        if (std::int64_t{right} - left == 1 || std::int64_t{bottom} - top == 1) {
            // A one-pixel-thin box is a single run; an outline would cover its pixels twice.
            QPolygon pixels;
            int phase = 0;
            impl_->WalkLine(left, top, right - 1, bottom - 1, phase, pixels);
            if (right - 1 < Width() && bottom - 1 < Height()) {
                pixels << QPoint(right - 1, bottom - 1);
            }
            impl_->DrawPixels(painter, pixels);
        } else {
            const ClientPoint corners[4] = {
                {left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}};
            impl_->DrawThinOutline(painter, corners, 4);
        }
        return;
    }
    painter->setPen(impl_->Pen());
    painter->setBrush(Qt::NoBrush);
    painter->setTransform(impl_->StrokeToStored());
    // The outline runs through pixel centres; a cut adds sides only beyond the canvas.
    if (const auto outline = Intersect(left, top, right - 1.0, bottom - 1.0, impl_->ReachBox())) {
        painter->drawRect(*outline);
    }
}

void CanvasPainter::Ellipse(int left, int top, int right, int bottom) {
    QPainter* painter = impl_->Begin();
    if (painter == nullptr || right <= left || bottom <= top ||
        !Intersect(left, top, right, bottom, impl_->PenNearBox())) {
        return;
    }
    painter->setPen(impl_->Pen());
    painter->setBrush(impl_->Brush());
    painter->setTransform(impl_->StrokeToStored());
    painter->drawEllipse(QRectF(left, top, double(right) - left - 1, double(bottom) - top - 1));
}

void CanvasPainter::FillRect(int left, int top, int right, int bottom, std::uint32_t color) {
    QPainter* painter = impl_->Begin();
    if (painter == nullptr || right <= left || bottom <= top) {
        return;
    }
    if (const auto area = Intersect(left, top, right, bottom, impl_->NearBox(2.0))) {
        painter->fillRect(*area, ToQColor(color));
    }
}

void CanvasPainter::TextOut(int x, int y, std::u16string_view text, const int* advances) {
    QPainter* painter = impl_->Begin();
    const DrawState& state = impl_->state;
    if (painter == nullptr || text.empty() || !state.font.IsValid()) {
        return;
    }
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setRenderHint(QPainter::TextAntialiasing,
                           state.font.Font().styleStrategy() != QFont::NoAntialias);
    painter->setFont(state.font.Font());
    const QFontMetricsF metrics(state.font.Font());
    const double scale = state.font.HorizontalScale();

    // The text frame: origin at (x, y), x along the baseline direction, y down across it.
    QTransform frame;
    frame.translate(x, y);
    frame.rotate(-state.escapement / 10.0);
    const double baseline = state.textAlign == TextAlign::Top ? metrics.ascent() : 0.0;
    const QTransform toStored = impl_->ClientToStored();

    // Pen positions along the baseline, one per drawn piece; a surrogate pair stays one piece.
    struct Piece {
        QString chars;
        double position;
    };
    std::vector<Piece> pieces;
    const QString all = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    double totalWidth = 0;
    if (advances == nullptr) {
        pieces.push_back({all, 0.0});
        totalWidth = metrics.horizontalAdvance(all) * scale;
    } else {
        double position = 0;
        for (qsizetype i = 0; i < all.size(); ++i) {
            const bool pair =
                all.at(i).isHighSurrogate() && i + 1 < all.size() && all.at(i + 1).isLowSurrogate();
            pieces.push_back({all.mid(i, pair ? 2 : 1), position});
            position += advances[i];
            if (pair) {
                position += advances[++i];
            }
        }
        totalWidth = position;
    }

    // Only what reaches the canvas goes to the rasterizer: a text far off it costs nothing. Areas are
    // in the text frame; a glyph lies within `reach` of its origin.
    const QRectF canvas(0, 0, Width(), Height());
    auto reachesCanvas = [&](const QRectF& area) {
        return frame.mapRect(area.normalized()).intersects(canvas);
    };
    const double reach = metrics.height() + metrics.maxWidth() * scale;
    const QRectF cells(0, baseline - metrics.ascent(), totalWidth, metrics.height());
    if (!reachesCanvas(cells.normalized().adjusted(-reach, -reach, reach, reach))) {
        return;
    }
    if (state.textOpaque) {
        painter->setTransform(frame * toStored);
        painter->fillRect(cells, ToQColor(state.textBackground));
    }
    painter->setPen(ToQColor(state.textColor));
    for (const Piece& piece : pieces) {
        if (!reachesCanvas(QRectF(piece.position - reach, baseline - reach, 2 * reach, 2 * reach))) {
            continue;
        }
        QTransform glyphFrame;
        glyphFrame.translate(piece.position, baseline);
        glyphFrame.scale(scale, 1.0);
        painter->setTransform(glyphFrame * frame * toStored);
        painter->drawText(QPointF(0, 0), piece.chars);
    }
}

void CanvasPainter::StretchBlit(int destLeft, int destTop, int destWidth, int destHeight,
                                const PixelBlock& source, int sourceLeft, int sourceTop, int sourceWidth,
                                int sourceHeight, BlitOp op, StretchMode mode) {
    QPainter* painter = impl_->Begin();
    const QImage::Format format = FormatFor(source.bytesPerPixel);
    if (painter == nullptr || source.pixels == nullptr || format == QImage::Format_Invalid ||
        source.width < 1 || source.height < 1 || source.stride < source.width * source.bytesPerPixel ||
        (source.bytesPerPixel == 1 && source.palette == nullptr) || destWidth == 0 || destHeight == 0 ||
        sourceWidth == 0 || sourceHeight == 0) {
        return;
    }
    QImage image = WrapSource(source, format);
    if (source.bytesPerPixel == 1) {
        QList<QRgb> colors(256);
        for (int i = 0; i < 256; ++i) {
            colors[i] = ToQColor(source.palette[i]).rgb();
        }
        image.setColorTable(colors);
    }

    // Both pictures are wrapped upside down, so a copy between their stored rows keeps the picture
    // upright. A negative size mirrors along that axis.
    const bool mirrorX = (destWidth < 0) != (sourceWidth < 0);
    const bool mirrorY = (destHeight < 0) != (sourceHeight < 0);
    if (destWidth < 0) {
        destLeft += destWidth;
        destWidth = -destWidth;
    }
    if (destHeight < 0) {
        destTop += destHeight;
        destHeight = -destHeight;
    }
    if (sourceWidth < 0) {
        sourceLeft += sourceWidth;
        sourceWidth = -sourceWidth;
    }
    if (sourceHeight < 0) {
        sourceTop += sourceHeight;
        sourceHeight = -sourceHeight;
    }
    const QRectF storedSource(sourceLeft, source.height - sourceTop - sourceHeight, sourceWidth,
                              sourceHeight);
    const QRectF storedDest(destLeft, impl_->height - destTop - destHeight, destWidth, destHeight);

    QTransform mirror;
    if (mirrorX || mirrorY) {
        const QPointF centre = storedDest.center();
        mirror.translate(centre.x(), centre.y());
        mirror.scale(mirrorX ? -1 : 1, mirrorY ? -1 : 1);
        mirror.translate(-centre.x(), -centre.y());
    }
    // The clip was set in client pixels by Begin and stays where it is when the transform changes.
    painter->setTransform(mirror);
    painter->setCompositionMode(ModeFor(op));
    painter->setRenderHint(QPainter::SmoothPixmapTransform, mode == StretchMode::HalfTone);
    painter->drawImage(storedDest, image, storedSource);
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
}
