#include "tileset/TileSet.h"

#include "support/SettingsStore.h"
#include "tileset/TileSetLoader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

std::u16string Folded(const WString& text) {
    std::u16string folded(text.c_str(), static_cast<size_t>(text.Length()));
    for (char16_t& unit : folded) {
        unit = WString::FoldCase(unit);
    }
    return folded;
}

const WString& EmptyText() {
    static const WString empty{};
    return empty;
}

// Categories sort by kind; text comes after all the usual kinds, and hidden-from-panel ones last.
long long CategorySortKey(const TileCategory& category) {
    long long key = category.kind == TileKinds::kText ? 899 : category.kind;
    return category.shown ? key : key + 10000;
}

} // namespace

TileSet::TileSet(const TileSetContext& context) : context_(context) {}

TileSet::~TileSet() = default;

bool TileSet::Load(const WString& name) {
    Clear();
    settings_ = TileSetSettings();
    TileSetLoader loader(*this);
    whole_ = loader.LoadFile(name);
    UpdateSnapSizes();
    // The glyph cache of text tiles is set up from settings_.fontName when the OpenGL drawing of text
    // exists; the software renderer draws text through the platform painter instead.
    name_ = name;
    FinishCategories();
    LoadGuiImages();
    return whole_;
}

void TileSet::Clear() {
    definitions_.clear();
    definitionCategories_.clear();
    keyIndex_.clear();
    nameIndex_.clear();
    categories_.clear();
    globalFlagStates_.clear();
    globalFlagLabels_.clear();
    backImage_.Release();
    stepImage_.Release();
    turnLeft90Image_.Release();
    turnRight90Image_.Release();
    turn180Image_.Release();
}

int TileSet::Find(const WString& key) const {
    auto byKey = keyIndex_.find(Folded(key));
    if (byKey != keyIndex_.end()) {
        return byKey->second;
    }
    int marker = key.FindAfter(u".set:", 0, true);
    if (marker >= 0) {
        auto byName = nameIndex_.find(Folded(key.Substring(marker, key.Length() - marker)));
        if (byName != nameIndex_.end()) {
            return byName->second;
        }
    }
    return 0;
}

void TileSet::SetCategoryState(int position, int state) {
    if (position >= 0 && position < CategoryCount()) {
        categories_[position].state = state;
    }
}

void TileSet::SetCategoryExpanded(int position, bool expanded) {
    if (position >= 0 && position < CategoryCount()) {
        categories_[position].expanded = expanded;
    }
}

int TileSet::CategoryOfKind(TileKind kind) const {
    for (int position = 0; position < CategoryCount(); ++position) {
        if (categories_[position].kind == kind) {
            return position;
        }
    }
    return 0;
}

int TileSet::CategoryOfDefinition(std::uint32_t index) const {
    // The table is made after the last definition of a load; until then (and for other indices) the
    // categories are searched as CategoryOfKind does.
    if (definitionCategories_.size() == definitions_.size() && index < definitionCategories_.size()) {
        return definitionCategories_[index];
    }
    return CategoryOfKind(index < definitions_.size() ? definitions_[index]->Kind() : 0);
}

void TileSet::MapDefinitionCategories() {
    definitionCategories_.clear();
    definitionCategories_.reserve(definitions_.size());
    for (const auto& definition : definitions_) {
        definitionCategories_.push_back(CategoryOfKind(definition->Kind()));
    }
}

int TileSet::PanelCategoryCount() const {
    return static_cast<int>(std::count_if(categories_.begin(), categories_.end(),
                                          [](const TileCategory& category) { return category.shown; }));
}

std::vector<int> TileSet::DefinitionsOfKind(TileKind kind) const {
    std::vector<int> indices;
    for (const auto& definition : definitions_) {
        if (definition->Kind() == kind) {
            indices.push_back(definition->Index());
        }
    }
    return indices;
}

bool TileSet::GlobalFlag(int index) const {
    return index >= 0 && index < GlobalFlagCount() && globalFlagStates_[index];
}

const WString& TileSet::GlobalFlagLabel(int index) const {
    return index >= 0 && index < GlobalFlagCount() ? globalFlagLabels_[index] : EmptyText();
}

void TileSet::SetGlobalFlag(int index, bool state) {
    if (index < 0 || index >= GlobalFlagCount()) {
        return;
    }
    globalFlagStates_[index] = state;
    const WString& label = globalFlagLabels_[index];
    if (context_.settings != nullptr && !label.IsEmpty()) {
        const std::uint8_t byte = state ? 1 : 0;
        context_.settings->WriteBinary(label, &byte, 1);
    }
}

void TileSet::ToggleGlobalFlag(int index) {
    SetGlobalFlag(index, !GlobalFlag(index));
}

double TileSet::GridFit(double x) const {
    const double grid = settings_.gridSize;
    if (!std::isfinite(x)) {
        return grid;
    }
    double cells = std::trunc(x / grid);
    const double remainder = std::fmod(std::trunc(x), grid);
    if (cells == 0.0 || remainder > settings_.gridSize / 2) {
        cells += 1.0;
    }
    return cells * grid;
}

WString TileSet::TileLabel(int index, int used) const {
    return IsValidDefinition(index) ? definitions_[index]->PanelLabel(used) : WString();
}

int TileSet::CountStatus(int index, int used) const {
    return IsValidDefinition(index) ? definitions_[index]->CountStatus(used) : 0;
}

bool TileSet::MayPlace(int index, int used) const {
    return IsValidDefinition(index) && definitions_[index]->MayPlace(used);
}

bool TileSet::HasKey(const WString& key) const {
    return keyIndex_.count(Folded(key)) != 0;
}

TileDef& TileSet::AppendDefinition(const WString& tileSetName, const WString& name) {
    const int index = DefinitionCount();
    definitions_.push_back(std::make_unique<TileDef>(index, tileSetName, name));
    TileDef& definition = *definitions_.back();
    keyIndex_.emplace(Folded(definition.Key()), index);
    nameIndex_.emplace(Folded(definition.Name()), index);
    return definition;
}

void TileSet::AddCategory(const TileCategory& category) {
    categories_.push_back(category);
}

void TileSet::DefineGlobalFlag(int index, bool state, const WString& label) {
    if (index < 0) {
        return;
    }
    if (index >= GlobalFlagCount()) {
        globalFlagStates_.resize(index + 1, false);
        globalFlagLabels_.resize(index + 1);
    }
    if (!globalFlagLabels_[index].IsEmpty()) {
        return; // the first definition of a number wins, also across base tilesets
    }
    std::vector<std::uint8_t> stored;
    if (context_.settings != nullptr && context_.settings->ReadBinary(label, stored) && !stored.empty()) {
        state = stored[0] != 0;
    }
    globalFlagStates_[index] = state;
    globalFlagLabels_[index] = label;
}

void TileSet::FinishCategories() {
    if (categories_.empty()) {
        AddCategory({u"Map Tiles", TileKinds::kMap, kCategoryUnlocked, true, false});
        AddCategory({u"Object Tiles", TileKinds::kObject, kCategoryUnlocked, true, false});
        AddCategory({u"Pick-up Item Tiles", TileKinds::kPickUpItem, kCategoryUnlocked, true, false});
        AddCategory({u"Figure Tiles", TileKinds::kFigure, kCategoryUnlocked, true, false});
    }
    AddCategory({u"Text", TileKinds::kText, kCategoryUnlocked, true, false});
    std::stable_sort(
        categories_.begin(), categories_.end(),
        [](const TileCategory& a, const TileCategory& b) { return CategorySortKey(a) < CategorySortKey(b); });
    MapDefinitionCategories();
}

void TileSet::UpdateSnapSizes() {
    // A grid finer than eight units would make the finer snap grids 0, and every snap divides by them.
    halfGrid_ = std::max(1, settings_.gridSize / 2);
    quarterGrid_ = std::max(1, settings_.gridSize / 4);
    eighthGrid_ = std::max(1, settings_.gridSize / 8);
}

void TileSet::LoadGuiImages() {
    const WString* names[kGuiImageCount] = {&settings_.guiExpanded, &settings_.guiCollapsed,
                                            &settings_.guiHidden, &settings_.guiLocked,
                                            &settings_.guiUnlocked};
    TileSetLoader loader(*this);
    for (int i = 0; i < kGuiImageCount; ++i) {
        loader.LoadPlainImage(guiImages_[i], *names[i]);
    }
}
