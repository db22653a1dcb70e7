#pragma once

#include "document/TileText.h"
#include "support/Matrix3.h"
#include "support/Rect2.h"
#include "support/Rgb8.h"
#include "support/Vec2.h"
#include "tileset/TileKind.h"

#include <array>
#include <cstdint>
#include <vector>

class AttributeSink;
class RasterCanvas;
class TileContext;
class TileDef;
class TileSet;
class WString;
class XmlElement;

// One tile placed on the map: an instance of a tile definition with its own transform, movement
// path, tint, flip, free placement, local flags and selection.
//
// The tile's clipboard text stands for the tile as it is: undo steps hold it, and a tile whose text
// object a step holds is unchanged since. The object is made empty and written only when its words
// are wanted, or just before the tile first changes or goes while a step still holds it. So every
// change to what the tile writes (definition, transform, path, tint, strength, flip, free flag, local
// flags, text) calls ForgetClipboardText before it changes anything; selection and bounds are not
// written and keep the text.
//
// Coordinates: the transform maps image pixels (x right, y up, y = 0 at the picture's bottom row,
// which is the first stored row) to world units (y up). The origin of a tile is the image corner
// (0, 0) in the world, (m31, m32) of its transform.
class TileRef {
public:
    // Handle codes of ResizeByHandle. The last two run opposite to the order of HandlePoints: the
    // third handle point is dragged with kHandleTop and the fourth with kHandleBottom.
    enum Handle : int { kHandleLeft = 0, kHandleRight = 1, kHandleBottom = 2, kHandleTop = 3 };

    // A tile of definition 0 at the identity, taking the program-wide default tint.
    explicit TileRef(TileContext& context);
    virtual ~TileRef();
    TileRef(const TileRef&) = delete;
    TileRef& operator=(const TileRef&) = delete;

    // Null when the definition index is out of range of the loaded tileset.
    virtual const TileDef* Definition() const;
    // The picture that draws the tile: the flip image when flipped and there is one.
    virtual RasterCanvas* Image(bool flipped) const;
    virtual bool CanFlip() const;
    virtual void ReadXml(const XmlElement& element);
    virtual void WriteXml(XmlElement& element) const;
    // The element's name and attributes in writing order; WriteXml goes through it.
    virtual void WriteAttributes(AttributeSink& sink) const;
    // 0 without a definition.
    virtual TileKind Kind() const;
    // Position in tileSet of the category of Kind(), as TileSet::CategoryOfKind finds it, without
    // reading the definition: frames and bands ask it of every placed tile.
    virtual int CategoryPosition(const TileSet& tileSet) const;
    // The layer; compared as unsigned so that text tiles (-1) lie above every map tile.
    virtual int Sort() const;
    // True when the world point lies on an opaque enough pixel (alpha above 10).
    virtual bool HitTest(const Vec2& worldPt) const;
    // Makes this tile a copy of other without its movement path and with default local flags. The
    // program's changed flag is left as it was.
    virtual void CopyFrom(const TileRef& other);
    virtual void SetTinted(bool tinted);
    // Quarter turns, the grid and whole units, unless the tile is free; bounds are refreshed always.
    virtual void Snap();
    virtual void UpdateBounds();
    // The image centre under path step `step` (the current one when negative).
    virtual Vec2 CentreAt(int step) const;
    // The image's x axis under path step `step` (the current one when negative).
    virtual Vec2 DirectionAt(int step) const;
    // Gives the image's own axes the lengths sx and sy in world units, keeping origin and rotation.
    virtual void SetScale(double sx, double sy);
    // World points of the four resize handles: left, right, top and bottom edge middles.
    virtual std::array<Vec2, 4> HandlePoints() const;
    // Drags one handle to worldPt while the opposite handle stays; snap rounds the dragged length to
    // whole grid cells (not for free tiles) and snaps the tile afterwards.
    virtual void ResizeByHandle(const Vec2& worldPt, int handle, bool snap);
    // A tile snaps to the grid unless its own flag or its definition says it is placed freely.
    virtual bool IsFree() const;

    // An index out of range becomes 0 and changes nothing else; a valid one appends the definition's
    // local flags with their default states.
    void SetDefinition(std::uint32_t index);
    std::uint32_t DefinitionIndex() const { return definitionIndex_; }

    // The tile's element in the clipboard form, written only when the tile changed since the last call.
    // While the tile stays as it is the same object comes back.
    const TileText& ClipboardText() const;
    // The same object, perhaps not written yet: enough to tell whether the tile changed, and written
    // before it would stop saying what the tile was.
    const TileText& ClipboardIdentity() const;
    // Takes text as the tile's own when it says exactly what the tile would write (a tile just read
    // from it), so that lists holding it keep comparing equal; otherwise the tile's own text stays.
    void AdoptClipboardText(const TileText& text);

    // Change tracking for undo: the snapshot is what CheckChanged compares against.
    void TakeSnapshot();
    void CheckChanged();

    // Movement path: step 0 is the oldest placement, the last step is the current transform.
    int PathLength() const { return static_cast<int>(path_.size()); }
    const Matrix3& PathStep(int step) const;
    // Keeps the current placement as a recorded step; the moves that follow change the new last one.
    void RecordPathStep();
    // Removes the last step when it equals the one before; true when it did.
    bool DropRepeatedStep();
    // Forgets every recorded step, keeping the current placement.
    void ClearPath();

    const Matrix3& Transform() const { return path_.back(); }
    // Replaces the current transform; bounds are not refreshed (UpdateBounds does that).
    void SetTransform(const Matrix3& transform) {
        ForgetClipboardText();
        path_.back() = transform;
    }
    // Inverse of the current transform as of the last UpdateBounds.
    const Matrix3& InverseTransform() const { return inversePath_.back(); }
    const Matrix3& SnapshotTransform() const { return snapshot_; }
    Vec2 Origin() const;
    const Rect2& Bounds() const { return bounds_; }

    bool IsSelected() const { return selected_; }
    void SetSelected(bool selected) { selected_ = selected; }
    bool IsTinted() const { return tinted_; }
    const Rgb8& TintColor() const { return tintColor_; }
    // Sets the changed flag when the colour differs.
    void SetTintColor(const Rgb8& color);
    double Strength() const { return strength_; }
    void SetStrength(double strength) {
        ForgetClipboardText();
        strength_ = strength;
    }
    bool IsFlipped() const { return flipped_; }
    void SetFlipped(bool flipped) {
        ForgetClipboardText();
        flipped_ = flipped;
    }
    bool FreeFlag() const { return free_; }
    void SetFree(bool free) {
        ForgetClipboardText();
        free_ = free;
    }

    int LocalFlagCount() const { return static_cast<int>(localFlags_.size()); }
    // Numbers outside the tile's flags read as clear and cannot be set.
    bool LocalFlag(int index) const;
    void SetLocalFlag(int index, bool state);

    // The offset that moves coordinate v onto the grid: down to the lower line, or up to the next one
    // when the remainder exceeds threshold.
    static double GridSnapOffset(double v, int grid, int threshold);

protected:
    TileContext& Context() const { return context_; }
    // Called before every change to what the tile writes, and by destructors while the tile is whole.
    void ForgetClipboardText();
    // Width and height of what the tile shows, in image pixels; 0 x 0 without an image.
    virtual double ContentWidth() const;
    virtual double ContentHeight() const;
    // A dragged length rounded to whole grid cells, never below one.
    virtual double SnapLength(double length) const;
    // The quarter-turn, grid and whole-unit snap on the given grid, then UpdateBounds.
    void SnapOnGrid(int grid, int threshold);
    // The box of the content rectangle under the current transform, and the inverse with it.
    void UpdateBoundsFor(double width, double height);
    // Reads the colour attribute: untinted when missing or empty; true when a colour was read.
    bool ReadColorAttribute(const XmlElement& element);
    void CopyAppearanceFrom(const TileRef& other);
    bool MarkChanged();
    void RestoreChanged(bool changed);

private:
    void ReadPath(const WString& value);

    TileContext& context_;
    std::uint32_t definitionIndex_ = 0;
    std::vector<Matrix3> path_;
    std::vector<Matrix3> inversePath_;
    Matrix3 snapshot_;
    Rect2 bounds_;
    bool selected_ = false;
    Rgb8 tintColor_;
    bool tinted_ = false;
    double strength_ = 0.25;
    bool flipped_ = false;
    bool free_ = false;
    std::vector<bool> localFlags_;
    std::vector<bool> localFlagsSnapshot_;
    mutable TileText clipboardText_;
    mutable bool clipboardTextWritten_ = false;
};
