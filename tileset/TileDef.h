#pragma once

#include "support/Rgb8.h"
#include "support/WString.h"
#include "tileset/DrawEntry.h"
#include "tileset/TileImage.h"
#include "tileset/TileKind.h"

#include <memory>
#include <vector>

class RasterCanvas;

// One tile definition of the loaded tileset: what a tile placed on the map looks like and how it
// behaves. Inside the running program a definition is known by its index; in files by its key,
// "<tileset name>:<tile name>", which keeps the tileset name exactly as written (backslashes too)
// because maps store it.
class TileDef {
public:
    TileDef(int index, const WString& tileSetName, const WString& name);
    TileDef(const TileDef&) = delete;
    TileDef& operator=(const TileDef&) = delete;

    int Index() const { return index_; }
    const WString& Name() const { return name_; }
    const WString& Key() const { return key_; }

    TileKind Kind() const { return kind_; }
    // The layer of placed copies: the document keeps its tiles ordered by it.
    int Sort() const { return sort_; }

    RasterCanvas& Image() { return *image_.canvas; }
    const RasterCanvas& Image() const { return *image_.canvas; }
    TileImage& ImageSlot() { return image_; }
    const TileImage& ImageSlot() const { return image_; }
    bool HasFlipImage() const { return flipImage_.IsLoaded(); }
    // Only valid when HasFlipImage().
    RasterCanvas& FlipImage() { return *flipImage_.canvas; }
    const RasterCanvas& FlipImage() const { return *flipImage_.canvas; }
    TileImage& FlipImageSlot() { return flipImage_; }
    // Null when the definition names no surface image or it did not load.
    const RasterCanvas* SurfaceImage() const { return surfaceImage_.canvas.get(); }
    TileImage& SurfaceImageSlot() { return surfaceImage_; }

    bool HasMaxCount() const { return hasMaxCount_; }
    int MaxCount() const { return maxCount_; }
    // Whether a copy may still be placed once the maximum is reached.
    bool Warn() const { return warn_; }

    bool FreePlacement() const { return freePlacement_; }
    double XScale() const { return xScale_; }
    double YScale() const { return yScale_; }
    bool AlwaysDrawSmooth() const { return alwaysDrawSmooth_; }
    bool HighlightOnSelect() const { return highlightOnSelect_; }
    bool ShowHandles() const { return showHandles_; }
    Rgb8 PathColor() const { return pathColor_; }

    // Local flag slots: a slot that no LocalFlag element defined has an empty label.
    int LocalFlagCount() const { return static_cast<int>(localFlagLabels_.size()); }
    bool LocalFlagDefault(int index) const;
    const WString& LocalFlagLabel(int index) const;
    // Defines slot index unless it is already defined; the first definition of a slot wins.
    void DefineLocalFlag(int index, bool defaultState, const WString& label);

    const std::vector<DrawEntry>& PreDraw() const { return preDraw_; }
    const std::vector<DrawEntry>& PostDraw() const { return postDraw_; }
    void AddPreDraw(const DrawEntry& entry) { preDraw_.push_back(entry); }
    void AddPostDraw(const DrawEntry& entry) { postDraw_.push_back(entry); }

    // The text of the tile panel: the name, and for a definition with a maximum " : <used> used of <max>".
    WString PanelLabel(int used) const;
    // 0 when there is no maximum or used is below it, 1 at the maximum, 2 beyond it.
    int CountStatus(int used) const;
    // True when there is no maximum or used is below it; otherwise the definition's warn value.
    bool MayPlace(int used) const;

    void SetKind(TileKind kind) { kind_ = kind; }
    void SetSort(int sort) { sort_ = sort; }
    void SetMaxCount(int maxCount);
    void SetWarn(bool warn) { warn_ = warn; }
    void SetFreePlacement(bool free) { freePlacement_ = free; }
    void SetScale(double xScale, double yScale);
    void SetAlwaysDrawSmooth(bool smooth) { alwaysDrawSmooth_ = smooth; }
    void SetHighlightOnSelect(bool highlight) { highlightOnSelect_ = highlight; }
    void SetShowHandles(bool show) { showHandles_ = show; }
    void SetPathColor(Rgb8 color) { pathColor_ = color; }

private:
    int index_;
    WString name_;
    WString key_;
    TileKind kind_ = TileKinds::kMap;
    int sort_ = 0;
    TileImage image_;
    TileImage flipImage_;
    TileImage surfaceImage_;
    bool hasMaxCount_ = false;
    int maxCount_ = 0;
    bool warn_ = false;
    bool freePlacement_ = false;
    double xScale_ = 1.0;
    double yScale_ = 1.0;
    bool alwaysDrawSmooth_ = false;
    bool highlightOnSelect_ = true;
    bool showHandles_ = false;
    Rgb8 pathColor_{255, 255, 255};
    std::vector<bool> localFlagDefaults_;
    std::vector<WString> localFlagLabels_;
    std::vector<DrawEntry> preDraw_;
    std::vector<DrawEntry> postDraw_;
};
