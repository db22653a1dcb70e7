#include "app/GlMapSurface.h"

#include "app/CGridvellumView.h"
#include "app/GlPictureBands.h"
#include "document/CGridvellumDoc.h"
#include "gl/GlRenderer.h"
#include "gl/GlTextureCache.h"
#include "gl/TextFont.h"
#include "platform/GlContextProbe.h"
#include "tileset/TileSet.h"

#include <QOpenGLContext>

GlMapSurface::GlMapSurface(CGridvellumView& view)
    : QOpenGLWidget(&view), view_(view), textures_(std::make_unique<GlTextureCache>()),
      glyphs_(std::make_unique<TextFont>()) {
    setFormat(GlContextProbe::Format());
    // The view under the surface takes the mouse, the wheel, tool tips and the focus.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

GlMapSurface::~GlMapSurface() {
    ReleaseContextObjects();
    // The base class destroys the context after this object is gone: its signal must not come back.
    if (context() != nullptr) {
        disconnect(context(), nullptr, this, nullptr);
    }
}

void GlMapSurface::ReleaseContextObjects() {
    // Textures belong to the context: they are deleted while it is current, before it goes.
    if (context() != nullptr) {
        makeCurrent();
    }
    bands_.reset();
    renderer_.reset();
    textures_.reset();
    glyphs_.reset();
    if (context() != nullptr) {
        doneCurrent();
    }
}

void GlMapSurface::initializeGL() {
    // The widget may lose its context when it moves to another window; the objects go with it.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GlMapSurface::ReleaseContextObjects,
            Qt::DirectConnection);
    if (!textures_) {
        textures_ = std::make_unique<GlTextureCache>();
        glyphs_ = std::make_unique<TextFont>();
    }
    GlRenderer::SetInitialState();
    description_ = GlContextProbe::DescribeCurrent();
    renderer_ = std::make_unique<GlRenderer>(*textures_, *glyphs_);
    renderer_->SetErrorSink([this](const WString& text) { view_.ShowStatus(text); });
    view_.GetCamera().FollowPixelCentres(*renderer_);
    bands_ = std::make_unique<GlPictureBands>(
        *renderer_,
        [this] {
            makeCurrent();
            return context() != nullptr && QOpenGLContext::currentContext() == context();
        },
        [this] { doneCurrent(); });
    MakeTileSetTextures();
}

void GlMapSurface::paintGL() {
    if (!renderer_) {
        return;
    }
    // The widget has bound its framebuffer and set the viewport to its size.
    view_.ComposeGlFrame(*renderer_);
}

void GlMapSurface::DropTextures() {
    if (!renderer_) {
        return;
    }
    makeCurrent();
    textures_->Clear();
    glyphs_->Clear();
    doneCurrent();
}

void GlMapSurface::TileSetLoaded() {
    if (!renderer_) {
        // The context does not exist yet; initializeGL makes the textures.
        return;
    }
    makeCurrent();
    MakeTileSetTextures();
    doneCurrent();
    update();
}

void GlMapSurface::MakeTileSetTextures() {
    const TileSet& tileSet = view_.Document().Tiles();
    if (!tileSet.IsLoaded()) {
        return;
    }
    textures_->Build(tileSet);
    glyphs_->Setup(tileSet.Settings().fontName);
}

GlPictureBands* GlMapSurface::Bands() {
    return bands_.get();
}

int GlMapSurface::TextureCount() const {
    return textures_ ? textures_->Count() : 0;
}
