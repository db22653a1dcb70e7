#include "gl/GlTextureCache.h"

#include "raster/RasterCanvas.h"
#include "tileset/TileDef.h"
#include "tileset/TileSet.h"

void GlTextureCache::Build(const TileSet& tileSet) {
    Clear();
    for (int index = 0; index < tileSet.DefinitionCount(); ++index) {
        const TileDef& definition = tileSet.Definition(index);
        Add(definition.ImageSlot().canvas.get());
        if (definition.HasFlipImage()) {
            Add(&definition.FlipImage());
        }
    }
    for (const TileImage* image :
         {&tileSet.StepImage(), &tileSet.TurnLeft90Image(), &tileSet.TurnRight90Image(),
          &tileSet.Turn180Image(), &tileSet.BackImage()}) {
        Add(image->canvas.get());
    }
}

void GlTextureCache::Add(const RasterCanvas* picture) {
    if (picture == nullptr) {
        return;
    }
    Entry entry;
    entry.pixels = picture->Pixels();
    entry.width = picture->Width();
    entry.height = picture->Height();
    entry.texture = std::make_unique<TileTexture>();
    if (!entry.texture->Build(*picture, errors_)) {
        entry.texture.reset();
    }
    textures_[picture] = std::move(entry);
}

const TileTexture* GlTextureCache::Find(const RasterCanvas* picture) {
    if (picture == nullptr) {
        return nullptr;
    }
    auto found = textures_.find(picture);
    if (found == textures_.end() || found->second.pixels != picture->Pixels() ||
        found->second.width != picture->Width() || found->second.height != picture->Height()) {
        Add(picture);
        found = textures_.find(picture);
    }
    return found->second.texture.get();
}

void GlTextureCache::Clear() {
    textures_.clear();
}
