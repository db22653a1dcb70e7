#include "document/TileRef.h"

#include "document/AttributeSink.h"
#include "document/ClipboardTextSink.h"
#include "document/MapFile.h"
#include "document/ProgramState.h"
#include "document/TileContext.h"
#include "support/XmlElement.h"
#include "tileset/TileDef.h"
#include "tileset/TileSet.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Angle of the image of the x axis brought into 0 .. 2 pi; the small shift keeps angles a hair
// below a full turn at 0 rather than just under 2 pi.
double QuarterTurnAngle(const Matrix3& m) {
    double angle = std::atan2(m.m12(), m.m11());
    if (angle < 0.0) {
        angle += kTwoPi;
    }
    return std::fmod(angle + 1e-6, kTwoPi) - 1e-6;
}

// Builds the tile's element in an XML tree.
class ElementSink : public AttributeSink {
public:
    explicit ElementSink(XmlElement& element) : element_(element) {}
    void Element(const char16_t* name) override { element_.SetName(name); }
    void Attribute(const char16_t* name, const WString& value) override {
        element_.AddAttribute(name, value);
    }

private:
    XmlElement& element_;
};

} // namespace

TileRef::TileRef(TileContext& context) : context_(context), path_(1), inversePath_(1) {
    const DefaultTint& tint = context_.State().defaultTint;
    tinted_ = tint.on;
    tintColor_ = tint.color;
    strength_ = tint.strength;
}

TileRef::~TileRef() {
    ForgetClipboardText();
}

const TileDef* TileRef::Definition() const {
    const TileSet& tileSet = context_.Tiles();
    if (definitionIndex_ >= static_cast<std::uint32_t>(tileSet.DefinitionCount())) {
        return nullptr;
    }
    return &tileSet.Definition(static_cast<int>(definitionIndex_));
}

RasterCanvas* TileRef::Image(bool flipped) const {
    if (Definition() == nullptr) {
        return nullptr;
    }
    TileDef& definition = context_.Tiles().Definition(static_cast<int>(definitionIndex_));
    if (flipped && definition.HasFlipImage()) {
        return definition.FlipImageSlot().canvas.get();
    }
    return definition.ImageSlot().canvas.get();
}

bool TileRef::CanFlip() const {
    const TileDef* definition = Definition();
    return definition != nullptr && definition->HasFlipImage();
}

TileKind TileRef::Kind() const {
    const TileDef* definition = Definition();
    return definition != nullptr ? definition->Kind() : 0;
}

int TileRef::CategoryPosition(const TileSet& tileSet) const {
    return tileSet.CategoryOfDefinition(definitionIndex_);
}

int TileRef::Sort() const {
    const TileDef* definition = Definition();
    return definition != nullptr ? definition->Sort() : 0;
}

bool TileRef::IsFree() const {
    const TileDef* definition = Definition();
    return free_ || (definition != nullptr && definition->FreePlacement());
}

void TileRef::SetDefinition(std::uint32_t index) {
    ForgetClipboardText();
    definitionIndex_ = index;
    const TileDef* definition = Definition();
    if (definition == nullptr) {
        definitionIndex_ = 0;
        return;
    }
    // Local flags always follow the definition, so a tile never carries flags its definition lacks.
    localFlags_.clear();
    for (int flag = 0; flag < definition->LocalFlagCount(); ++flag) {
        localFlags_.push_back(definition->LocalFlagDefault(flag));
    }
}

double TileRef::ContentWidth() const {
    const RasterCanvas* image = Image(flipped_);
    return image != nullptr ? image->Width() : 0.0;
}

double TileRef::ContentHeight() const {
    const RasterCanvas* image = Image(flipped_);
    return image != nullptr ? image->Height() : 0.0;
}

double TileRef::SnapLength(double length) const {
    return context_.Tiles().GridFit(length);
}

Vec2 TileRef::Origin() const {
    const Matrix3& m = Transform();
    return Vec2(static_cast<float>(m.m31()), static_cast<float>(m.m32()));
}

const Matrix3& TileRef::PathStep(int step) const {
    if (step < 0 || step >= PathLength()) {
        return path_.back();
    }
    return path_[static_cast<size_t>(step)];
}

bool TileRef::HitTest(const Vec2& worldPt) const {
    if (!bounds_.Contains(worldPt)) {
        return false;
    }
    const RasterCanvas* image = Image(flipped_);
    if (image == nullptr) {
        return false;
    }
    const Vec2 imagePt = InverseTransform().TransformPoint(worldPt);
    // Rounding to the nearest pixel centre, toward zero, as the picture is sampled.
    const double x = std::trunc(imagePt.X() + 0.5);
    const double y = std::trunc(imagePt.Y() + 0.5);
    if (!(x >= 0.0 && x < image->Width() && y >= 0.0 && y < image->Height())) {
        return false;
    }
    return image->AlphaAt(static_cast<int>(x), static_cast<int>(y)) > 10;
}

bool TileRef::MarkChanged() {
    const bool before = context_.State().changed;
    context_.State().changed = true;
    return before;
}

void TileRef::RestoreChanged(bool changed) {
    context_.State().changed = changed;
}

void TileRef::CopyAppearanceFrom(const TileRef& other) {
    ForgetClipboardText();
    tinted_ = other.tinted_;
    tintColor_ = other.tintColor_;
}

void TileRef::CopyFrom(const TileRef& other) {
    const bool changed = context_.State().changed;
    CopyAppearanceFrom(other);
    strength_ = other.strength_;
    localFlags_.clear();
    SetDefinition(other.definitionIndex_);
    flipped_ = other.flipped_;
    free_ = other.free_;
    // Copies start without a movement path.
    path_.assign(1, other.Transform());
    inversePath_.assign(1, Matrix3());
    UpdateBounds();
    TakeSnapshot();
    RestoreChanged(changed);
}

void TileRef::SetTinted(bool tinted) {
    if (tinted != tinted_) {
        ForgetClipboardText();
        tinted_ = tinted;
        MarkChanged();
    }
}

void TileRef::SetTintColor(const Rgb8& color) {
    if (!(color == tintColor_)) {
        ForgetClipboardText();
        tintColor_ = color;
        MarkChanged();
    }
}

bool TileRef::LocalFlag(int index) const {
    return index >= 0 && index < LocalFlagCount() && localFlags_[static_cast<size_t>(index)];
}

void TileRef::SetLocalFlag(int index, bool state) {
    if (index >= 0 && index < LocalFlagCount()) {
        ForgetClipboardText();
        localFlags_[static_cast<size_t>(index)] = state;
    }
}

double TileRef::GridSnapOffset(double v, int grid, int threshold) {
    if (grid <= 0) {
        return 0.0;
    }
    double remainder = std::fmod(v, static_cast<double>(grid));
    if (remainder < 0.0) {
        remainder += grid;
    }
    return remainder > threshold ? grid - remainder : -remainder;
}

void TileRef::Snap() {
    if (IsFree()) {
        UpdateBounds();
        return;
    }
    const int grid = context_.Tiles().GridSize();
    SnapOnGrid(grid, grid / 2);
}

void TileRef::SnapOnGrid(int grid, int threshold) {
    const Matrix3& m = Transform();
    const double angle = QuarterTurnAngle(m);
    const double sx = std::hypot(m.m11(), m.m12());
    const double sy = std::hypot(m.m21(), m.m22());
    double x = m.m31() + GridSnapOffset(m.m31(), grid, threshold);
    double y = m.m32() + GridSnapOffset(m.m32(), grid, threshold);
    x = std::round(x);
    y = std::round(y);
    Matrix3 snapped;
    if (angle <= kPi / 4 || angle > 7 * kPi / 4) {
        snapped.Set(sx, 0, 0, sy, x, y);
    } else if (angle <= 3 * kPi / 4) {
        snapped.Set(0, sx, -sy, 0, x, y);
    } else if (angle <= 5 * kPi / 4) {
        snapped.Set(-sx, 0, 0, -sy, x, y);
    } else {
        snapped.Set(0, -sx, sy, 0, x, y);
    }
    SetTransform(snapped);
    UpdateBounds();
}

void TileRef::UpdateBounds() {
    UpdateBoundsFor(ContentWidth(), ContentHeight());
}

void TileRef::UpdateBoundsFor(double width, double height) {
    const Matrix3& m = Transform();
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    bounds_.Set(m.TransformPoint(Vec2(0, 0)));
    bounds_.Extend(m.TransformPoint(Vec2(w, 0)));
    bounds_.Extend(m.TransformPoint(Vec2(0, h)));
    bounds_.Extend(m.TransformPoint(Vec2(w, h)));
    // A singular transform leaves the copy as it is, so hit tests see a defined matrix.
    Matrix3& inverse = inversePath_.back();
    inverse = m;
    inverse.Invert();
}

Vec2 TileRef::CentreAt(int step) const {
    const int halfWidth = static_cast<int>(ContentWidth()) / 2;
    const int halfHeight = static_cast<int>(ContentHeight()) / 2;
    return PathStep(step).TransformPoint(Vec2(static_cast<float>(halfWidth), static_cast<float>(halfHeight)));
}

Vec2 TileRef::DirectionAt(int step) const {
    const Matrix3& m = PathStep(step);
    return Vec2(static_cast<float>(m.m11()), static_cast<float>(m.m12()));
}

void TileRef::SetScale(double sx, double sy) {
    const Matrix3& m = Transform();
    const double cx = std::hypot(m.m11(), m.m12());
    const double cy = std::hypot(m.m21(), m.m22());
    // An axis of no length has no direction to keep; such a tile stays as it is.
    if (!(cx > 1e-12) || !(cy > 1e-12)) {
        return;
    }
    SetTransform(Matrix3::Scaling(sx / cx, sy / cy) * m);
    UpdateBounds();
}

std::array<Vec2, 4> TileRef::HandlePoints() const {
    const float w = static_cast<float>(ContentWidth());
    const float h = static_cast<float>(ContentHeight());
    const Matrix3& m = Transform();
    return {m.TransformPoint(Vec2(0, h / 2)), m.TransformPoint(Vec2(w, h / 2)),
            m.TransformPoint(Vec2(w / 2, h)), m.TransformPoint(Vec2(w / 2, 0))};
}

void TileRef::ResizeByHandle(const Vec2& worldPt, int handle, bool snap) {
    const double w = ContentWidth();
    const double h = ContentHeight();
    // A picture without width or height has no scale to change.
    if (!(w > 0) || !(h > 0) || handle < kHandleLeft || handle > kHandleTop) {
        return;
    }
    const std::array<Vec2, 4> handles = HandlePoints();
    const Vec2 origin = Origin();
    const Vec2 axis = handles[1] - handles[0];
    double sx = axis.Length() / w;
    double sy = (handles[2] - handles[3]).Length() / h;
    double angle = std::atan2(axis.Y(), axis.X());
    const bool snapLength = snap && !IsFree();

    Vec2 anchor;
    Vec2 anchorImagePt;
    Vec2 v;
    const bool alongX = handle == kHandleLeft || handle == kHandleRight;
    switch (handle) {
    case kHandleLeft:
        anchor = handles[1];
        anchorImagePt = Vec2(static_cast<float>(w), static_cast<float>(h / 2));
        v = anchor - worldPt;
        break;
    case kHandleRight:
        anchor = handles[0];
        anchorImagePt = Vec2(0, static_cast<float>(h / 2));
        v = worldPt - anchor;
        break;
    case kHandleBottom:
        anchor = handles[2];
        anchorImagePt = Vec2(static_cast<float>(w / 2), static_cast<float>(h));
        v = anchor - worldPt;
        break;
    default:
        anchor = handles[3];
        anchorImagePt = Vec2(static_cast<float>(w / 2), 0);
        v = worldPt - anchor;
        break;
    }
    double length = v.Length();
    if (snapLength) {
        length = SnapLength(length);
    }
    if (alongX) {
        sx = length / w;
        angle = std::atan2(v.Y(), v.X());
    } else {
        sy = length / h;
        // The y axis turned back by a quarter turn gives the direction of the x axis.
        angle = std::atan2(-v.X(), v.Y());
    }
    Matrix3 moved = Matrix3::FromParts(angle, origin.X(), origin.Y(), sx, sy);
    const Vec2 q = moved.TransformPoint(anchorImagePt);
    moved = moved * Matrix3::Translation(anchor.X() - q.X(), anchor.Y() - q.Y());
    SetTransform(moved);
    UpdateBounds();
    if (snap) {
        Snap();
    }
}

void TileRef::TakeSnapshot() {
    snapshot_ = Transform();
    localFlagsSnapshot_ = localFlags_;
}

void TileRef::CheckChanged() {
    ProgramState& state = context_.State();
    if (!Transform().Equals(snapshot_)) {
        state.changed = true;
    } else if (!state.changed && !localFlags_.empty() && localFlags_.size() == localFlagsSnapshot_.size() &&
               localFlags_ != localFlagsSnapshot_) {
        state.changed = true;
    }
    TakeSnapshot();
}

void TileRef::RecordPathStep() {
    ForgetClipboardText();
    path_.push_back(path_.back());
    inversePath_.push_back(inversePath_.back());
}

bool TileRef::DropRepeatedStep() {
    const size_t count = path_.size();
    if (count < 2 || !path_[count - 1].Equals(path_[count - 2])) {
        return false;
    }
    ForgetClipboardText();
    path_.pop_back();
    inversePath_.pop_back();
    return true;
}

void TileRef::ClearPath() {
    if (path_.size() < 2) {
        return;
    }
    ForgetClipboardText();
    path_.erase(path_.begin(), path_.end() - 1);
    inversePath_.erase(inversePath_.begin(), inversePath_.end() - 1);
}

bool TileRef::ReadColorAttribute(const XmlElement& element) {
    ForgetClipboardText();
    Rgb8 color;
    if (!MapFile::ParseColor(element.Attribute(u"color"), color)) {
        tinted_ = false;
        return false;
    }
    tinted_ = true;
    tintColor_ = color;
    return true;
}

void TileRef::ReadPath(const WString& value) {
    ForgetClipboardText();
    if (value.Find(u",") < 0) {
        if (MapFile::DecodeMatrix(value, path_.back())) {
            inversePath_.back() = path_.back();
            inversePath_.back().Invert();
        }
        return;
    }
    const std::vector<WString> fields = MapFile::SplitFields(value, MapFile::kMaxPathSteps);
    for (size_t step = 0; step < fields.size(); ++step) {
        if (step >= path_.size()) {
            path_.emplace_back();
            inversePath_.emplace_back();
        }
        if (MapFile::DecodeMatrix(fields[step], path_[step])) {
            inversePath_[step] = path_[step];
            inversePath_[step].Invert();
        }
    }
}

void TileRef::ReadXml(const XmlElement& element) {
    SetDefinition(MapFile::ResolveDefinition(element, context_.Tiles()));
    ReadPath(element.Attribute(u"matrix"));
    const bool flipped = element.Attribute(u"flip").AsBool();
    free_ = element.Attribute(u"freeplacement").AsBool();
    if (ReadColorAttribute(element)) {
        if (element.HasAttribute(u"color_percentage")) {
            const double strength = element.Attribute(u"color_percentage").AsReal();
            strength_ = strength >= 0.0 ? std::min(strength, 1.0) : 0.0;
        } else {
            strength_ = context_.State().defaultTint.strength;
        }
    }
    if (element.HasAttribute(u"localflags")) {
        const WString& flags = element.Attribute(u"localflags");
        const int count = std::min(flags.Length(), LocalFlagCount());
        for (int index = 0; index < count; ++index) {
            const char16_t unit = flags.At(index);
            if (unit == u'1' || unit == u'0') {
                localFlags_[static_cast<size_t>(index)] = unit == u'1';
            }
        }
    }
    flipped_ = flipped;
    // Files written under another grid size come back onto the current grid.
    Snap();
    TakeSnapshot();
}

const TileText& TileRef::ClipboardIdentity() const {
    if (!clipboardText_) {
        clipboardText_ = std::make_shared<WString>();
        clipboardTextWritten_ = false;
    }
    return clipboardText_;
}

const TileText& TileRef::ClipboardText() const {
    ClipboardIdentity();
    if (!clipboardTextWritten_) {
        // Made here as a writable string and shared read-only: the tile is its only writer.
        WString written;
        ClipboardTextSink sink(written);
        WriteAttributes(sink);
        sink.EndElement();
        // Undo steps may keep it long after: it takes no room beyond its length.
        const_cast<WString&>(*clipboardText_) = WString(written.c_str(), written.Length());
        clipboardTextWritten_ = true;
    }
    return clipboardText_;
}

void TileRef::ForgetClipboardText() {
    if (!clipboardText_) {
        return;
    }
    // An undo step still holds the text as what the tile was: it gets its words before they change.
    if (!clipboardTextWritten_ && clipboardText_.use_count() > 1) {
        ClipboardText();
    }
    clipboardText_.reset();
}

void TileRef::AdoptClipboardText(const TileText& text) {
    if (text && *ClipboardText() == *text) {
        clipboardText_ = text;
        clipboardTextWritten_ = true;
    }
}

void TileRef::WriteXml(XmlElement& element) const {
    ElementSink sink(element);
    WriteAttributes(sink);
}

void TileRef::WriteAttributes(AttributeSink& sink) const {
    sink.Element(MapFile::kTileElement);
    const TileDef* definition = Definition();
    sink.Attribute(u"name", definition != nullptr ? definition->Key() : WString());
    WString matrix;
    for (size_t step = 0; step < path_.size(); ++step) {
        if (step > 0) {
            matrix.AppendUnit(u',');
        }
        MapFile::AppendMatrix(matrix, path_[step]);
    }
    sink.Attribute(u"matrix", matrix);
    if (tinted_) {
        sink.Attribute(u"color", MapFile::ColorText(tintColor_));
        sink.Attribute(u"color_percentage", WString::FromReal(strength_));
    }
    if (flipped_) {
        sink.Attribute(u"flip", u"true");
    }
    if (free_) {
        sink.Attribute(u"freeplacement", u"true");
    }
    if (!localFlags_.empty()) {
        WString flags;
        for (bool flag : localFlags_) {
            flags.AppendUnit(flag ? u'1' : u'0');
        }
        sink.Attribute(u"localflags", flags);
    }
}
