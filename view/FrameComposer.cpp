#include "view/FrameComposer.h"

#include "document/CGridvellumDoc.h"
#include "document/Flags.h"
#include "document/MovementPath.h"
#include "document/TextTile.h"
#include "document/TileRef.h"
#include "tileset/DrawEntry.h"
#include "tileset/TileCategory.h"
#include "tileset/TileDef.h"
#include "tileset/TileSet.h"
#include "view/Camera.h"
#include "view/FrameItems.h"
#include "view/FrameRenderer.h"
#include "view/ResizeHandles.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kFullTint = 255;

// 0x00BBGGRR, the rasterizer's colour order.
std::uint32_t ColorRef(int red, int green, int blue) {
    return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
           (static_cast<std::uint32_t>(blue) << 16);
}

std::uint32_t ColorRef(const Rgb8& color) {
    return ColorRef(color.r, color.g, color.b);
}

int TintAmount(double weight) {
    return std::clamp(static_cast<int>(weight * 255.0), 0, 255);
}

ImageItem Picture(RasterCanvas* picture, const Matrix3& toView, bool plain, bool alwaysSmooth) {
    ImageItem item;
    item.picture = picture;
    item.toView = toView;
    item.plain = plain;
    item.alwaysSmooth = alwaysSmooth;
    return item;
}

// The tile's own image: a selected tile is lightened toward white, a tinted one toward its tint, more
// strongly when both.
ImageItem OwnImage(const TileRef& tile, const TileDef& definition, const Matrix3& toView, bool plain) {
    ImageItem item = Picture(tile.Image(tile.IsFlipped()), toView, plain, definition.AlwaysDrawSmooth());
    item.silhouette = tile.IsTinted() && tile.Strength() >= 1.0;
    const bool highlight = tile.IsSelected() && definition.HighlightOnSelect();
    int red = 255, green = 255, blue = 255;
    double weight = std::min(tile.Strength() + 0.25, 1.0);
    item.tintOn = highlight;
    if (tile.IsTinted()) {
        item.tintOn = true;
        const Rgb8& tint = tile.TintColor();
        red = tint.r;
        green = tint.g;
        blue = tint.b;
        if (highlight) {
            red = red / 2 + 128;
            green = green / 2 + 128;
            blue = blue / 2 + 128;
        } else {
            weight = tile.Strength();
        }
    }
    item.tintColor = ColorRef(std::min(red, 255), std::min(green, 255), std::min(blue, 255));
    item.tintAmount = TintAmount(weight);
    return item;
}

RasterCanvas* PathPicture(const PathMark& mark, const TileSet& tileSet) {
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

FrameComposer::FrameComposer(FrameRenderer& renderer, CGridvellumDoc& doc)
    : renderer_(renderer), doc_(doc), tileSet_(doc.Tiles()) {}

void FrameComposer::ComposeView(const Camera& camera, const FrameOverlays& overlays, bool quickDraw) {
    const TileSetSettings& settings = tileSet_.Settings();
    const RasterCanvas* back = tileSet_.BackImage().canvas.get();
    if (back == nullptr || !back->HasPixels() || back->Width() <= 1 || back->Height() <= 1) {
        back = nullptr;
    }
    renderer_.BeginFrame(camera);
    renderer_.Background(settings.backColor, back, quickDraw);
    renderer_.Grid(camera, camera.VisibleWorld(), tileSet_.DrawGridSize(), settings.gridColor);
    renderer_.BeginTiles();
    Tiles(camera.ViewMatrix(), camera.VisibleWorld(), quickDraw, false);
    renderer_.EndTiles();
    renderer_.Border(camera);
    renderer_.Overlays(overlays, camera);
    if (const auto handles = ShownResizeHandles(doc_)) {
        renderer_.Handles(camera, *handles);
    }
    renderer_.EndFrame();
}

void FrameComposer::ComposePublish(const Camera& camera, const Rect2& pictureWorld, const Rect2& cullWorld,
                                   const Matrix3* pictureView) {
    const TileSetSettings& settings = tileSet_.Settings();
    renderer_.BeginFrame(camera);
    renderer_.Background(settings.backPublishColor, nullptr, false);
    if (settings.publishWithGrid) {
        renderer_.Grid(camera, pictureWorld, tileSet_.DrawGridSize(), settings.gridColor);
    }
    renderer_.BeginTiles();
    Tiles(camera.ViewMatrix(), cullWorld, false, true, pictureView);
    renderer_.EndTiles();
    renderer_.EndFrame();
}

TileRef* FrameComposer::Tiles(const Matrix3& view, const Rect2& visibleWorld, bool quickDraw, bool publish,
                              const Matrix3* pictureView) {
    const Matrix3& placement = pictureView != nullptr ? *pictureView : view;
    TileRef* lastSelected = nullptr;
    int selected = 0;
    for (int index = 0; index < doc_.TileCount(); ++index) {
        TileRef* tile = doc_.TileAt(index);
        if (tile == nullptr) {
            continue;
        }
        if (doc_.CategoryState(*tile) < kCategoryHidden) {
            if (const auto* text = dynamic_cast<const TextTile*>(tile)) {
                FlushPictures();
                Text(*text, view, visibleWorld, publish);
            } else {
                MapTile(*tile, placement, visibleWorld, quickDraw);
            }
        }
        if (tile->IsSelected()) {
            ++selected;
            lastSelected = tile;
        }
    }
    FlushPictures();
    return selected == 1 ? lastSelected : nullptr;
}

void FrameComposer::FlushPictures() {
    if (!pending_.empty()) {
        renderer_.Images(pending_);
        pending_.clear();
    }
}

void FrameComposer::MapTile(TileRef& tile, const Matrix3& view, const Rect2& visibleWorld, bool quickDraw) {
    const TileDef* definition = tile.Definition();
    if (definition != nullptr && tile.Bounds().Intersects(visibleWorld)) {
        const Matrix3 tileToView = tile.Transform() * view;
        const bool plain = quickDraw && !definition->AlwaysDrawSmooth();
        auto entries = [&](const std::vector<DrawEntry>& list) {
            for (const DrawEntry& entry : list) {
                if (Flags::ConditionHolds(entry.condition, entry.flagIndex, tile, tileSet_) &&
                    tileSet_.IsValidDefinition(entry.definition)) {
                    RasterCanvas* image = tileSet_.Definition(entry.definition).ImageSlot().canvas.get();
                    Emit(Picture(image, entry.matrix * tileToView, plain, definition->AlwaysDrawSmooth()));
                }
            }
        };
        entries(definition->PreDraw());
        Emit(OwnImage(tile, *definition, tileToView, plain));
        entries(definition->PostDraw());
    }
    PathPictures(tile, view);
}

void FrameComposer::Text(const TextTile& tile, const Matrix3& view, const Rect2& visibleWorld, bool publish) {
    if (tile.IsEmptyText() || !tile.Bounds().Intersects(visibleWorld)) {
        return;
    }
    const TileSetSettings& settings = tileSet_.Settings();
    TextRun run;
    run.tile = &tile;
    run.toView = tile.Transform() * view;
    run.color =
        tile.IsTinted() ? tile.TintColor() : (publish ? settings.textPublishColor : settings.textScreenColor);
    run.boxed = tile.IsSelected();
    run.boxEdge = settings.backColor;
    run.boxFill = settings.gridColor;
    run.fontName = &settings.fontName;
    run.gridSize = tileSet_.GridSize();
    renderer_.Text(run);
}

void FrameComposer::Path(const TileRef& tile, const Matrix3& view) {
    PathPictures(tile, view);
    FlushPictures();
}

// Pictures the tileset did not load are skipped.
void FrameComposer::PathPictures(const TileRef& tile, const Matrix3& view) {
    const TileDef* definition = tile.Definition();
    if (definition == nullptr || tile.PathLength() < 2) {
        return;
    }
    const std::uint32_t colour = ColorRef(definition->PathColor());
    const float opacity = tile.IsSelected() ? 1.0f : tileSet_.Settings().pathTransparency;
    for (const PathMark& mark : MovementPath::Marks(tile, tileSet_)) {
        if (RasterCanvas* picture = PathPicture(mark, tileSet_)) {
            ImageItem item = Picture(picture, mark.placement * view, false, false);
            item.tintColor = colour;
            item.tintOn = true;
            item.tintAmount = kFullTint;
            item.silhouette = true;
            item.opacity = opacity;
            Emit(item);
        }
    }
}
