#pragma once

#include "view/FrameItems.h"

#include <vector>

class Camera;
class CGridvellumDoc;
class FrameOverlays;
class FrameRenderer;
class Matrix3;
class Rect2;
class TextTile;
class TileRef;
class TileSet;

// The one order in which every frame is drawn, whichever renderer puts it on pixels: background,
// grid, then every tile in document order (its pre-draw pictures whose conditions hold, its own
// image, its post-draw pictures, its movement path), and for the map view the border, the tools'
// overlays and the resize handles. Hidden categories and culling are decided here, once.
class FrameComposer {
public:
    FrameComposer(FrameRenderer& renderer, CGridvellumDoc& doc);

    // The map view's frame as the camera sees it, on the screen's colours.
    void ComposeView(const Camera& camera, const FrameOverlays& overlays, bool quickDraw);
    // A published picture: publish background, the grid only when the tileset publishes with it,
    // tiles in publish mode. The camera covers the picture or one band of it; the grid shows the lines
    // of pictureWorld (the whole picture's area) and tiles whose box misses cullWorld are left out.
    // With pictureView (the whole picture's view when the camera covers one band) the pictures are
    // placed by it; texts and lines always follow the camera.
    void ComposePublish(const Camera& camera, const Rect2& pictureWorld, const Rect2& cullWorld,
                        const Matrix3* pictureView = nullptr);

    // Every tile whose category is not hidden, index 0 first so later tiles lie on top. view maps world
    // units to view pixels; tiles whose box misses visibleWorld are left out. Returns the selected
    // tile when exactly one is selected.
    // pictureView, when given, places the pictures instead of view.
    TileRef* Tiles(const Matrix3& view, const Rect2& visibleWorld, bool quickDraw, bool publish,
                   const Matrix3* pictureView = nullptr);

    // The tile's movement path alone: every recorded mark tinted fully with the definition's path
    // colour, faded by the tileset's path transparency unless the tile is selected.
    void Path(const TileRef& tile, const Matrix3& view);

private:
    void MapTile(TileRef& tile, const Matrix3& view, const Rect2& visibleWorld, bool quickDraw);
    void Text(const TextTile& tile, const Matrix3& view, const Rect2& visibleWorld, bool publish);
    void PathPictures(const TileRef& tile, const Matrix3& view);
    // Pictures wait in pending_ until a text or the end of the tiles, then go to the renderer as one
    // run, which lets it share the run out.
    void Emit(const ImageItem& item) { pending_.push_back(item); }
    void FlushPictures();

    FrameRenderer& renderer_;
    CGridvellumDoc& doc_;
    TileSet& tileSet_;
    std::vector<ImageItem> pending_;
};
