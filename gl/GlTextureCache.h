#pragma once

#include "gl/GlErrorReport.h"
#include "gl/TileTexture.h"

#include <memory>
#include <unordered_map>
#include <utility>

class RasterCanvas;
class TileSet;

// The OpenGL textures of a tileset's images, kept beside the tileset (which keeps only pixels): one
// per tile image, flip image, path image and the background picture. Made when the tileset has
// loaded and OpenGL draws, dropped before the tileset changes. Every call needs the drawing context
// to be current, the destructor too.
class GlTextureCache {
public:
    GlTextureCache() = default;
    GlTextureCache(const GlTextureCache&) = delete;
    GlTextureCache& operator=(const GlTextureCache&) = delete;

    // Drops every texture and makes those of the tileset's images.
    void Build(const TileSet& tileSet);
    // The texture of picture, made on its first use; null for a picture that cannot be a texture.
    const TileTexture* Find(const RasterCanvas* picture);
    // Deletes every texture. Call it before the images go away: a new image may be given the address
    // of an old one.
    void Clear();
    int Count() const { return static_cast<int>(textures_.size()); }
    void SetErrorSink(GlErrorSink errors) { errors_ = std::move(errors); }

private:
    // A texture is taken for its image only while the image still has the pixels it was made from.
    struct Entry {
        const void* pixels = nullptr;
        int width = 0;
        int height = 0;
        std::unique_ptr<TileTexture> texture;
    };
    void Add(const RasterCanvas* picture);

    std::unordered_map<const RasterCanvas*, Entry> textures_;
    GlErrorSink errors_;
};
