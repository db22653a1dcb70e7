#include "document/PathDrawing.h"

#include "document/MovementPath.h"
#include "document/TileRef.h"
#include "raster/RasterCanvas.h"
#include "tileset/TileDef.h"
#include "tileset/TileSet.h"

#include <cstdint>

namespace {

constexpr int kFullTint = 255;

// 0x00BBGGRR, the rasterizer's colour order.
std::uint32_t TintColour(const Rgb8& color) {
    return static_cast<std::uint32_t>(color.r) | (static_cast<std::uint32_t>(color.g) << 8) |
           (static_cast<std::uint32_t>(color.b) << 16);
}

RasterCanvas* PictureOf(const PathMark& mark, const TileSet& tileSet) {
    switch (mark.image) {
    case PathMark::kStartEntry:
        return tileSet.IsValidDefinition(mark.definition)
                   ? tileSet.Definition(mark.definition).ImageSlot().canvas.get()
                   : nullptr;
    case PathMark::kStep:
        return tileSet.StepImage().canvas.get();
    case PathMark::kTurnLeft90:
        return tileSet.TurnLeft90Image().canvas.get();
    case PathMark::kTurnRight90:
        return tileSet.TurnRight90Image().canvas.get();
    case PathMark::kTurn180:
        return tileSet.Turn180Image().canvas.get();
    }
    return nullptr;
}

} // namespace

void PathDrawing::DrawSoftware(const TileRef& tile, const TileSet& tileSet, RasterCanvas& target,
                               const Matrix3& view) {
    const TileDef* definition = tile.Definition();
    if (definition == nullptr || tile.PathLength() < 2) {
        return;
    }
    const std::uint32_t colour = TintColour(definition->PathColor());
    const float opacity = tile.IsSelected() ? 1.0f : tileSet.Settings().pathTransparency;
    for (const PathMark& mark : MovementPath::Marks(tile, tileSet)) {
        if (RasterCanvas* picture = PictureOf(mark, tileSet)) {
            picture->DrawTransformed(target, mark.placement * view, false, colour, true, kFullTint, opacity);
        }
    }
}
