#pragma once

class Matrix3;
class RasterCanvas;
class TileRef;
class TileSet;

// Draws a tile's movement path with the software renderer: every mark of MovementPath::Marks tinted
// fully with the definition's path colour, faded by the tileset's path transparency unless the tile
// is selected. Pictures the tileset did not load are skipped.
class PathDrawing {
public:
    // view maps world units to the target's stored-row pixels, as for the tile itself.
    static void DrawSoftware(const TileRef& tile, const TileSet& tileSet, RasterCanvas& target,
                             const Matrix3& view);
};
