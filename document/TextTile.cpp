#include "document/TextTile.h"

#include "document/AttributeSink.h"
#include "document/MapFile.h"
#include "document/ProgramState.h"
#include "document/TileContext.h"
#include "raster/DcRasterCanvas.h"
#include "support/ClipBox.h"
#include "support/XmlElement.h"
#include "tileset/TileDef.h"
#include "tileset/TileSet.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string_view>

namespace {

// The glyphs fill 0.66 of the box height; the baseline sits at 0.33 of it.
constexpr double kGlyphShare = 0.66;
constexpr double kBaselineShare = 0.33;
// Beyond this many pixels per image unit the text would not be readable anyway, and pixel positions
// would leave the range of integers.
constexpr double kMaxDrawScale = 1e5;
// A text is drawn only from a start this close to the canvas, in pixels: far enough for a text of
// any length at a readable scale that reaches the canvas, near enough to stay an int.
constexpr double kTextReach = 1e9;

std::uint32_t ColorRef(const Rgb8& color) {
    return static_cast<std::uint32_t>(color.r) | (static_cast<std::uint32_t>(color.g) << 8) |
           (static_cast<std::uint32_t>(color.b) << 16);
}

std::u16string_view View(const WString& text) {
    return std::u16string_view(text.c_str(), static_cast<size_t>(text.Length()));
}

PlanePoint ToPlane(const Vec2& viewPt) {
    return PlanePoint{viewPt.X(), viewPt.Y()};
}

// Only for points within reach of the canvas: rounding anything further would leave int.
ClientPoint ToClient(const PlanePoint& viewPt, int canvasHeight) {
    return ClientPoint{static_cast<int>(std::lround(viewPt.x)),
                       canvasHeight - static_cast<int>(std::lround(viewPt.y))};
}

// The box of a text width x height image units, in view pixels (y up), from the text's origin round.
std::array<PlanePoint, 4> BoxCorners(const Matrix3& tileToView, float width, float height) {
    return {ToPlane(tileToView.TransformPoint(Vec2(0, 0))),
            ToPlane(tileToView.TransformPoint(Vec2(width, 0))),
            ToPlane(tileToView.TransformPoint(Vec2(width, height))),
            ToPlane(tileToView.TransformPoint(Vec2(0, height)))};
}

} // namespace

TextTile::TextTile(TileContext& context) : TileRef(context) {}

TextTile::~TextTile() = default;

RasterCanvas* TextTile::Image(bool /*flipped*/) const {
    return nullptr;
}

bool TextTile::CanFlip() const {
    return false;
}

TileKind TextTile::Kind() const {
    return TileKinds::kText;
}

int TextTile::CategoryPosition(const TileSet& tileSet) const {
    return tileSet.CategoryOfKind(TileKinds::kText);
}

int TextTile::Sort() const {
    return -1;
}

bool TextTile::IsFree() const {
    const TileSet& tileSet = Context().Tiles();
    return FreeFlag() || (tileSet.DefinitionCount() > 0 && tileSet.Definition(0).FreePlacement());
}

bool TextTile::IsEmptyText() const {
    return text_.IsEmpty() || (text_.Length() == 1 && text_.At(0) == u' ');
}

void TextTile::SetText(const WString& text) {
    if (text == text_) {
        return;
    }
    MarkChanged();
    text_ = text;
    Measure();
    UpdateBounds();
}

void TextTile::InsertChar(char16_t unit, int position) {
    WString text;
    if (text_.Length() == 1 && text_.At(0) == u' ') {
        text.AppendUnit(unit);
    } else {
        const int at = std::clamp(position, 0, text_.Length());
        text.Append(text_.c_str(), at);
        text.AppendUnit(unit);
        text.Append(text_.c_str() + at, text_.Length() - at);
    }
    SetText(text);
}

void TextTile::DeleteChar(int position) {
    if (position < 0 || position >= text_.Length()) {
        return;
    }
    WString text(text_.c_str(), position);
    text.Append(text_.c_str() + position + 1, text_.Length() - position - 1);
    SetText(text);
}

void TextTile::Measure() {
    const TileSet& tileSet = Context().Tiles();
    const int grid = tileSet.GridSize();
    const int characterHeight = static_cast<int>(kGlyphShare * grid * kMeasureScale);
    const PlatformFont& font = Context().MeasuringFont(tileSet.Settings().fontName, characterHeight);
    std::vector<int> extents;
    font.CharacterExtents(View(text_), extents);
    caretOffsets_.assign(extents.size(), 0.0f);
    for (size_t i = 0; i < extents.size(); ++i) {
        // A line feed takes no room: the text is drawn as one line.
        caretOffsets_[i] = text_.At(static_cast<int>(i)) == u'\n' ? 0.0f : extents[i] / float(kMeasureScale);
    }
    width_ = font.TextWidth(View(text_)) / float(kMeasureScale);
    height_ = static_cast<float>(grid);
}

void TextTile::UpdateBounds() {
    // An empty text keeps its last box until it gets characters again.
    if (IsEmptyText()) {
        return;
    }
    UpdateBoundsFor(width_, height_);
}

bool TextTile::HitTest(const Vec2& worldPt) const {
    if (!Bounds().Contains(worldPt)) {
        return false;
    }
    const Vec2 imagePt = InverseTransform().TransformPoint(worldPt);
    const double x = std::trunc(imagePt.X() + 0.5);
    const double y = std::trunc(imagePt.Y() + 0.5);
    // Every point of the box counts: text has no transparent pixels to miss.
    return x >= 0.0 && x < width_ && y >= 0.0 && y < height_;
}

void TextTile::Snap() {
    if (IsFree()) {
        UpdateBounds();
        return;
    }
    const int grid = Context().Tiles().GridSize();
    SnapOnGrid(grid / 4, grid / 8);
}

double TextTile::SnapLength(double length) const {
    const int quarter = Context().Tiles().GridSize() / 4;
    if (quarter <= 0 || !std::isfinite(length)) {
        return length;
    }
    double cells = std::trunc(length / quarter);
    if (cells == 0.0 || std::fmod(std::trunc(length), static_cast<double>(quarter)) > quarter / 2) {
        cells += 1.0;
    }
    return cells * quarter;
}

std::optional<std::pair<Vec2, Vec2>> TextTile::CaretLine(int index) const {
    if (index < 0 || index > text_.Length()) {
        return std::nullopt;
    }
    const double grid = Context().Tiles().GridSize();
    const float x = index >= 1 ? caretOffsets_[static_cast<size_t>(index - 1)] : 0.0f;
    const Matrix3& m = Transform();
    const Vec2 lower = m.TransformPoint(Vec2(x, static_cast<float>(kBaselineShare * grid)));
    const Vec2 upper = lower + m.TransformVector(Vec2(0, static_cast<float>(kGlyphShare * grid)));
    return std::make_pair(lower, upper);
}

int TextTile::CaretIndexAt(const Vec2& worldPt) const {
    const float x = InverseTransform().TransformPoint(worldPt).X();
    float previous = 0.0f;
    for (size_t i = 0; i < caretOffsets_.size(); ++i) {
        const float current = caretOffsets_[i];
        if (previous + (current - previous) / 2 > x) {
            return static_cast<int>(i);
        }
        previous = current;
    }
    return text_.Length();
}

void TextTile::CopyFrom(const TileRef& other) {
    const bool changed = Context().State().changed;
    CopyAppearanceFrom(other);
    SetFree(other.FreeFlag());
    if (const auto* text = dynamic_cast<const TextTile*>(&other)) {
        SetText(text->text_);
    }
    SetTransform(other.Transform());
    UpdateBounds();
    TakeSnapshot();
    RestoreChanged(changed);
}

void TextTile::ReadXml(const XmlElement& element) {
    // The raw text keeps blanks at either end that the user typed.
    const WString text = element.Attribute(u"text", true);
    const WString& matrixText = element.Attribute(u"matrix");
    Matrix3 transform = Transform();
    if (matrixText.Find(u",") < 0) {
        MapFile::DecodeMatrix(matrixText, transform);
    } else {
        const std::vector<WString> fields = MapFile::SplitFields(matrixText, 1);
        MapFile::DecodeMatrix(fields.front(), transform);
    }
    ReadColorAttribute(element);
    SetFree(element.Attribute(u"freeplacement").AsBool());
    SetTransform(transform);
    SetText(text);
    Snap();
    TakeSnapshot();
}

void TextTile::WriteAttributes(AttributeSink& sink) const {
    sink.Element(MapFile::kTextElement);
    sink.Attribute(u"matrix", MapFile::EncodeMatrix(Transform()));
    if (IsTinted()) {
        sink.Attribute(u"color", MapFile::ColorText(TintColor()));
    }
    if (FreeFlag()) {
        sink.Attribute(u"freeplacement", u"true");
    }
    sink.Attribute(u"text", text_);
}

void TextTile::DrawSoftware(DcRasterCanvas& target, const Matrix3& view, const Rect2& visibleWorld,
                            bool /*quickDraw*/, bool publish) {
    if (IsEmptyText() || !Bounds().Intersects(visibleWorld)) {
        return;
    }
    const Matrix3 tileToView = Transform() * view;
    target.Painter().Save();
    if (IsSelected()) {
        DrawBox(target, tileToView);
    }
    DrawLetters(target, tileToView, publish);
    target.Painter().Restore();
    target.Painter().Flush();
}

void TextTile::DrawBox(DcRasterCanvas& target, const Matrix3& tileToView) const {
    const TileSetSettings& settings = Context().Tiles().Settings();
    // Cut to where pixels stay ints; a box partly off the canvas keeps its exact corners there.
    const std::array<PlanePoint, 4> viewCorners = BoxCorners(tileToView, width_, height_);
    const std::vector<PlanePoint> reachable =
        ClipBox::ClientReach(target.Width(), target.Height()).ClipPolygon(viewCorners.data(), 4);
    if (reachable.empty()) {
        return;
    }
    std::vector<ClientPoint> corners;
    for (const PlanePoint& viewPt : reachable) {
        corners.push_back(ToClient(viewPt, target.Height()));
    }
    CanvasPainter& painter = target.Painter();
    painter.SetRasterOp(RasterOp::CopyPen);
    painter.SetPen(PenStyle::Solid, 1, ColorRef(settings.backColor));
    painter.SetBrush(ColorRef(settings.gridColor));
    painter.Polygon(corners.data(), static_cast<int>(corners.size()));
}

void TextTile::DrawLetters(DcRasterCanvas& target, const Matrix3& tileToView, bool publish) const {
    const TileSetSettings& settings = Context().Tiles().Settings();
    const double xLength = tileToView.TransformVector(Vec2(1, 0)).Length();
    const double yLength = tileToView.TransformVector(Vec2(0, 1)).Length();
    if (!(xLength > 0 && xLength < kMaxDrawScale && yLength > 0 && yLength < kMaxDrawScale)) {
        return;
    }
    const double grid = Context().Tiles().GridSize();
    // A text whose box (and a box height around it, for overhanging glyphs) misses the canvas costs
    // no font; a start beyond reach would not fit an int.
    const std::array<PlanePoint, 4> viewCorners = BoxCorners(tileToView, width_, height_);
    const PlanePoint startPt =
        ToPlane(tileToView.TransformPoint(Vec2(0, static_cast<float>(kBaselineShare * grid))));
    const ClipBox nearCanvas = ClipBox::AroundCanvas(target.Width(), target.Height(), yLength * grid);
    if (nearCanvas.ClipPolygon(viewCorners.data(), 4).empty() ||
        !ClipBox::AroundCanvas(target.Width(), target.Height(), kTextReach).Contains(startPt)) {
        return;
    }
    const Rgb8 color =
        IsTinted() ? TintColor() : (publish ? settings.textPublishColor : settings.textScreenColor);

    FontDescription fontDescription;
    fontDescription.face.assign(settings.fontName.c_str(), static_cast<size_t>(settings.fontName.Length()));
    fontDescription.height = -std::max(1, static_cast<int>(kGlyphShare * yLength * grid));
    fontDescription.weight = 400;
    const double angle = tileToView.Angle(0.0f, false);
    fontDescription.escapement = static_cast<int>(std::lround(angle * 1800.0 / std::numbers::pi));
    const double ratio = xLength / yLength;
    if (std::fabs(ratio - 1.0) > 1e-3) {
        const PlatformFont natural(fontDescription);
        fontDescription.width = std::max(1, static_cast<int>(natural.AverageCharWidth() * ratio));
    }

    std::vector<int> advances(caretOffsets_.size());
    long previous = 0;
    for (size_t i = 0; i < caretOffsets_.size(); ++i) {
        const long position = std::lround(caretOffsets_[i] * xLength);
        advances[i] = static_cast<int>(position - previous);
        previous = position;
    }

    CanvasPainter& painter = target.Painter();
    if (!painter.SetFont(fontDescription)) {
        return;
    }
    painter.SetTextColor(ColorRef(color));
    painter.SetTextBackground(false, 0);
    painter.SetTextAlign(TextAlign::Baseline);
    const ClientPoint start = ToClient(startPt, target.Height());
    painter.TextOut(start.x, start.y, View(text_), advances.data());
}
