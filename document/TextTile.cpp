#include "document/TextTile.h"

#include "document/AttributeSink.h"
#include "document/MapFile.h"
#include "document/ProgramState.h"
#include "document/TileContext.h"
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

std::u16string_view View(const WString& text) {
    return std::u16string_view(text.c_str(), static_cast<size_t>(text.Length()));
}

} // namespace

TextTile::TextTile(TileContext& context) : TileRef(context) {}

TextTile::~TextTile() {
    // Written while the tile is still a text tile, should a step hold its text unwritten.
    ForgetClipboardText();
}

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
    ForgetClipboardText();
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
