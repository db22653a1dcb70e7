#pragma once

#include "platform/GlDescription.h"

#include <QOpenGLWidget>

#include <memory>

class CGridvellumView;
class GlPictureBands;
class GlRenderer;
class GlTextureCache;
class TextFont;
class TileSet;

// The OpenGL surface of the map view in a run that draws through OpenGL. It covers the view and
// lets the mouse through, so the view's tools, camera and keys stay the only ones; it only draws:
// every paint composes the view's frame through the OpenGL renderer. It owns the context's textures
// of the tileset's images and the glyph cache, and draws published pictures into framebuffer objects
// of its own context. Errors of a frame go to the status bar and drawing goes on.
class GlMapSurface : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit GlMapSurface(CGridvellumView& view);
    ~GlMapSurface() override;

    // True once the context has been made and set up (the surface was shown once).
    bool IsReady() const { return renderer_ != nullptr; }
    // What the driver said when the context was made.
    const GlDescription& Description() const { return description_; }

    // Before the tileset's images are freed or replaced: their textures go first.
    void DropTextures();
    // After a tileset loaded: the textures of its images and the glyph face of its texts.
    void TileSetLoaded();

    // Publishing through this surface's context into framebuffer objects; null until IsReady().
    GlPictureBands* Bands();
    int TextureCount() const;

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    // Runs with the context current; does nothing before the context exists.
    void MakeTileSetTextures();
    void ReleaseContextObjects();

    CGridvellumView& view_;
    std::unique_ptr<GlTextureCache> textures_;
    std::unique_ptr<TextFont> glyphs_;
    std::unique_ptr<GlRenderer> renderer_;
    std::unique_ptr<GlPictureBands> bands_;
    GlDescription description_;
};
