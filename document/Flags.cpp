#include "document/Flags.h"

#include "document/CGridvellumDoc.h"
#include "document/TileRef.h"
#include "document/UndoHistory.h"
#include "tileset/DrawEntry.h"
#include "tileset/TileDef.h"
#include "tileset/TileSet.h"

#include <algorithm>

namespace {

bool ContainsTile(const CGridvellumDoc& doc, const TileRef* tile) {
    for (int i = 0; i < doc.TileCount(); ++i) {
        if (doc.TileAt(i) == tile) {
            return true;
        }
    }
    return false;
}

} // namespace

bool Flags::ConditionHolds(int code, int flagIndex, const TileRef& tile, const TileSet& tileSet) {
    switch (code) {
    case kDrawAlways:
        return true;
    case kDrawIfGlobalFlagSet:
        return tileSet.GlobalFlag(flagIndex);
    case kDrawIfGlobalFlagClear:
        return !tileSet.GlobalFlag(flagIndex);
    case kDrawIfLocalFlagSet:
        return tile.LocalFlag(flagIndex);
    case kDrawIfLocalFlagClear:
        return !tile.LocalFlag(flagIndex);
    case kDrawIfSelected:
        return tile.IsSelected();
    case kDrawIfNotSelected:
        return !tile.IsSelected();
    default:
        return false;
    }
}

bool Flags::LocalFlag(const TileRef& tile, int index) {
    return tile.LocalFlag(index);
}

void Flags::SetLocalFlag(TileRef& tile, int index, bool state) {
    tile.SetLocalFlag(index, state);
}

bool Flags::ToggleLocalFlag(CGridvellumDoc& doc, TileRef* tile, int index) {
    if (tile == nullptr || !ContainsTile(doc, tile) || index < 0 || index >= tile->LocalFlagCount()) {
        return false;
    }
    UndoHistory history(doc);
    history.BeginEdit();
    tile->SetLocalFlag(index, !tile->LocalFlag(index));
    return history.CommitEdit();
}

std::vector<Flags::MenuItem> Flags::LocalFlagMenu(const TileRef& tile) {
    std::vector<MenuItem> items;
    const TileDef* definition = tile.Definition();
    const int count = std::min(tile.LocalFlagCount(), kMenuItems);
    for (int index = 0; index < count; ++index) {
        MenuItem item;
        if (definition != nullptr) {
            item.label = definition->LocalFlagLabel(index);
        }
        item.checked = tile.LocalFlag(index);
        items.push_back(item);
    }
    return items;
}

bool Flags::ToggleGlobalFlag(TileSet& tileSet, int index) {
    if (index < 0 || index >= tileSet.GlobalFlagCount()) {
        return false;
    }
    tileSet.ToggleGlobalFlag(index);
    return true;
}

std::vector<Flags::MenuItem> Flags::GlobalFlagMenu(const TileSet& tileSet) {
    std::vector<MenuItem> items;
    const int count = std::min(tileSet.GlobalFlagCount(), kMenuItems);
    for (int index = 0; index < count; ++index) {
        items.push_back(MenuItem{tileSet.GlobalFlagLabel(index), tileSet.GlobalFlag(index)});
    }
    return items;
}
