#include "view/ResizeHandles.h"

#include "document/CGridvellumDoc.h"
#include "document/ProgramState.h"
#include "document/TileRef.h"
#include "tileset/TileDef.h"

std::optional<std::array<Vec2, 4>> ShownResizeHandles(const CGridvellumDoc& doc) {
    const TileRef* single = doc.SingleSelected();
    if (single == nullptr) {
        return std::nullopt;
    }
    const TileDef* definition = single->Definition();
    if (!doc.State().showResizeHandles && (definition == nullptr || !definition->ShowHandles())) {
        return std::nullopt;
    }
    return single->HandlePoints();
}
