#pragma once

#include "support/WString.h"
#include "tileset/TileCategory.h"
#include "tileset/TileDef.h"
#include "tileset/TileImage.h"
#include "tileset/TileKind.h"
#include "tileset/TileSetContext.h"
#include "tileset/TileSetSettings.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The loaded tileset: the catalogue of everything that can be placed on a map, the categories of the
// tile panel, the program-wide global flags, the movement-path images and the look of the map.
// The application owns exactly one for the whole run; everything else reads it.
class TileSet {
public:
    // The caption of every message box the tileset shows.
    static constexpr const char16_t* kApplicationName = u"Gridvellum";

    explicit TileSet(const TileSetContext& context);
    ~TileSet();
    TileSet(const TileSet&) = delete;
    TileSet& operator=(const TileSet&) = delete;

    // Replaces the whole tileset by the file name (relative to the data directory). Errors are shown
    // through the message sink, one box per file; the tileset is usable whatever happened. False when
    // the file or one of its base tilesets could not be read, so that its tiles are missing: a map
    // must not be opened over such a tileset, or saving it would drop or rename them.
    bool Load(const WString& name);
    // Empties definitions, categories, images and global flags. Settings and grid values stay.
    void Clear();

    // The file name as passed to Load: the prefix of every key, and what the program remembers.
    const WString& Name() const { return name_; }
    bool IsLoaded() const { return !name_.IsEmpty(); }
    // False after a load that could not read one of its files.
    bool IsWhole() const { return whole_; }
    const TileSetContext& Context() const { return context_; }

    int DefinitionCount() const { return static_cast<int>(definitions_.size()); }
    // index must be below DefinitionCount().
    TileDef& Definition(int index) { return *definitions_[index]; }
    const TileDef& Definition(int index) const { return *definitions_[index]; }
    bool IsValidDefinition(int index) const { return index >= 0 && index < DefinitionCount(); }

    // The definition whose key equals key without regard to case; failing that, the one whose name
    // equals the text after the first ".set:" in key; failing that 0 (also for an empty tileset, so
    // callers that may meet one must check DefinitionCount()).
    int Find(const WString& key) const;

    // Categories in display order: the shown ones first, in the order of the tile panel.
    int CategoryCount() const { return static_cast<int>(categories_.size()); }
    const TileCategory& Category(int position) const { return categories_[position]; }
    void SetCategoryState(int position, int state);
    void SetCategoryExpanded(int position, bool expanded);
    // Position of the first category of kind, or 0 when there is none.
    int CategoryOfKind(TileKind kind) const;
    // CategoryOfKind of the definition's kind (kind 0 for an index that is not a definition). Read from a
    // table made at load, because every frame and every band asks it for each placed tile.
    int CategoryOfDefinition(std::uint32_t index) const;
    // The shown categories line up with the first positions; the panel lists one block for each.
    int PanelCategoryCount() const;
    // Indices of the definitions of kind, in definition order.
    std::vector<int> DefinitionsOfKind(TileKind kind) const;

    // Global flags by number. A number without a label is not defined; out-of-range numbers read
    // as clear with an empty label.
    int GlobalFlagCount() const { return static_cast<int>(globalFlagLabels_.size()); }
    bool GlobalFlag(int index) const;
    const WString& GlobalFlagLabel(int index) const;
    // Sets the flag and stores the new state as one byte, 1 or 0, under its label in the settings.
    void SetGlobalFlag(int index, bool state);
    void ToggleGlobalFlag(int index);

    const TileSetSettings& Settings() const { return settings_; }

    // Snap grid and drawn grid in world units; the three finer snap grids follow gridsize.
    int GridSize() const { return settings_.gridSize; }
    int DrawGridSize() const { return settings_.drawGridSize; }
    int HalfGridSize() const { return halfGrid_; }
    int QuarterGridSize() const { return quarterGrid_; }
    int EighthGridSize() const { return eighthGrid_; }
    // x rounded to a whole number of grid cells, never below one cell: a length more than half a
    // cell past a multiple rounds up.
    double GridFit(double x) const;

    // Tile panel helpers by definition index; used is the number of placed copies.
    WString TileLabel(int index, int used) const;
    int CountStatus(int index, int used) const;
    bool MayPlace(int index, int used) const;

    // Images the map view and the panel draw; each may be unloaded.
    const TileImage& BackImage() const { return backImage_; }
    const TileImage& StepImage() const { return stepImage_; }
    const TileImage& TurnLeft90Image() const { return turnLeft90Image_; }
    const TileImage& TurnRight90Image() const { return turnRight90Image_; }
    const TileImage& Turn180Image() const { return turn180Image_; }
    const TileImage& GuiExpandedImage() const { return guiImages_[kGuiExpanded]; }
    const TileImage& GuiCollapsedImage() const { return guiImages_[kGuiCollapsed]; }
    const TileImage& GuiHiddenImage() const { return guiImages_[kGuiHidden]; }
    const TileImage& GuiLockedImage() const { return guiImages_[kGuiLocked]; }
    const TileImage& GuiUnlockedImage() const { return guiImages_[kGuiUnlocked]; }

private:
    friend class TileSetLoader;

    enum GuiImage { kGuiExpanded, kGuiCollapsed, kGuiHidden, kGuiLocked, kGuiUnlocked, kGuiImageCount };

    // Used while loading.
    bool HasKey(const WString& key) const;
    TileDef& AppendDefinition(const WString& tileSetName, const WString& name);
    void AddCategory(const TileCategory& category);
    bool HasCategories() const { return !categories_.empty(); }
    void DefineGlobalFlag(int index, bool state, const WString& label);
    TileSetSettings& MutableSettings() { return settings_; }
    TileImage& BackImageSlot() { return backImage_; }
    TileImage& StepImageSlot() { return stepImage_; }
    TileImage& TurnLeft90ImageSlot() { return turnLeft90Image_; }
    TileImage& TurnRight90ImageSlot() { return turnRight90Image_; }
    TileImage& Turn180ImageSlot() { return turn180Image_; }

    void FinishCategories();
    void MapDefinitionCategories();
    void UpdateSnapSizes();
    void LoadGuiImages();

    TileSetContext context_;
    bool whole_ = true;
    WString name_;
    std::vector<std::unique_ptr<TileDef>> definitions_;
    // Case-folded key and name -> first definition, so that resolving the tiles of a large map
    // does not compare every key.
    std::unordered_map<std::u16string, int> keyIndex_;
    std::unordered_map<std::u16string, int> nameIndex_;
    std::vector<TileCategory> categories_;
    // CategoryOfKind for every definition, made once the categories are final; empty before.
    std::vector<int> definitionCategories_;
    std::vector<bool> globalFlagStates_;
    std::vector<WString> globalFlagLabels_;
    TileSetSettings settings_;
    int halfGrid_ = 32;
    int quarterGrid_ = 16;
    int eighthGrid_ = 8;
    TileImage backImage_;
    TileImage stepImage_;
    TileImage turnLeft90Image_;
    TileImage turnRight90Image_;
    TileImage turn180Image_;
    TileImage guiImages_[kGuiImageCount];
};
