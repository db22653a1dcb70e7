#include "gl/GlRenderer.h"

#include "document/TextTile.h"
#include "gl/GlColor.h"
#include "gl/GlTextureCache.h"
#include "gl/TextFont.h"
#include "gl/TileTexture.h"
#include "support/Matrix3.h"
#include "support/Rect2.h"
#include "view/Camera.h"
#include "view/FrameItems.h"
#include "view/FrameOverlays.h"

#include <GL/gl.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr GLushort kBandStipple = 0xF0F0;
constexpr int kBorderThin = 2;  // the border's width along the top and left edges, in pixels
constexpr int kBorderThick = 3; // and along the bottom and right edges

// Lines are laid through pixel centres, so a line lights the pixels it runs through whichever way the
// driver rounds a line that lies exactly between two of them.
double PixelCentre(double v) {
    return std::floor(v) + 0.5;
}

void LineVertex(const Vec2& viewPt) {
    glVertex2d(PixelCentre(viewPt.X()), PixelCentre(viewPt.Y()));
}

void Segment(const Vec2& a, const Vec2& b) {
    LineVertex(a);
    LineVertex(b);
}

void FilledRect(double left, double bottom, double right, double top) {
    glBegin(GL_QUADS);
    glVertex2d(left, bottom);
    glVertex2d(right, bottom);
    glVertex2d(right, top);
    glVertex2d(left, top);
    glEnd();
}

// The frame's alpha is set once by the clear and then left alone: blending and inverting would
// change it, and the window's compositor shows a frame with alpha below one as holes.
void KeepAlpha() {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
}

void WriteAlpha() {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// Inverting what is there keeps overlays visible on any background.
class InvertedDrawing {
public:
    explicit InvertedDrawing(bool stippled) : stippled_(stippled) {
        glEnable(GL_COLOR_LOGIC_OP);
        glLogicOp(GL_INVERT);
        KeepAlpha();
        if (stippled_) {
            glEnable(GL_LINE_STIPPLE);
            glLineStipple(1, kBandStipple);
        }
        SetGlOpaqueBlack();
    }
    ~InvertedDrawing() {
        if (stippled_) {
            glDisable(GL_LINE_STIPPLE);
        }
        glLogicOp(GL_COPY);
        glDisable(GL_COLOR_LOGIC_OP);
    }
    InvertedDrawing(const InvertedDrawing&) = delete;
    InvertedDrawing& operator=(const InvertedDrawing&) = delete;

private:
    bool stippled_;
};

void ClosedOutline(const Vec2* viewPts, int count) {
    glBegin(GL_LINES);
    for (int i = 0; i < count; ++i) {
        Segment(viewPts[i], viewPts[(i + 1) % count]);
    }
    glEnd();
}

TextureStyle StyleOf(const ImageItem& item) {
    TextureStyle style;
    style.overlay = item.tintOn;
    style.overlayColor = Rgb8(static_cast<std::uint8_t>(item.tintColor & 0xFF),
                              static_cast<std::uint8_t>((item.tintColor >> 8) & 0xFF),
                              static_cast<std::uint8_t>((item.tintColor >> 16) & 0xFF));
    style.weight = static_cast<float>(item.tintAmount) / 255.0f;
    style.silhouette = item.silhouette;
    style.opacity = item.opacity;
    style.quickDraw = item.plain;
    style.alwaysSmooth = item.alwaysSmooth;
    return style;
}

} // namespace

GlRenderer::GlRenderer(GlTextureCache& textures, TextFont& glyphs) : textures_(textures), glyphs_(glyphs) {}

void GlRenderer::SetInitialState() {
    glClearDepth(1.0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LINE_SMOOTH);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    SetGlOpaqueBlack();
    glShadeModel(GL_FLAT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void GlRenderer::SetErrorSink(GlErrorSink errors) {
    textures_.SetErrorSink(errors);
    glyphs_.SetErrorSink(errors);
    errors_ = std::move(errors);
}

void GlRenderer::CheckErrors() const {
    GlErrorReport::Check(errors_);
}

void GlRenderer::BeginFrame(const Camera& camera) {
    width_ = camera.ClientWidth();
    height_ = camera.ClientHeight();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (width_ > 0 && height_ > 0) {
        glScaled(2.0 / width_, 2.0 / height_, 1.0);
        glTranslated(-width_ / 2.0, -height_ / 2.0, 0.0);
    }
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_TEXTURE_2D);
}

void GlRenderer::Background(const Rgb8& color, const RasterCanvas* picture, bool /*quickDraw*/) {
    glClearColor(color.r / 255.0f, color.g / 255.0f, color.b / 255.0f, 1.0f);
    WriteAlpha();
    glClear(GL_COLOR_BUFFER_BIT);
    KeepAlpha();
    CheckErrors();
    const TileTexture* texture = textures_.Find(picture);
    if (texture != nullptr && texture->Layout().imageWidth > 0 && texture->Layout().imageHeight > 0) {
        // The picture is stretched over the whole frame, its colours as they are.
        const Matrix3 stretch =
            Matrix3::Scaling(static_cast<double>(width_) / texture->Layout().imageWidth,
                             static_cast<double>(height_) / texture->Layout().imageHeight);
        TextureStyle style;
        style.alwaysSmooth = true;
        glEnable(GL_TEXTURE_2D);
        texture->Draw(stretch, style, errors_);
        glDisable(GL_TEXTURE_2D);
    }
    CheckErrors();
}

void GlRenderer::Grid(const Camera& camera, const Rect2& lineWorld, int drawGridSize, const Rgb8& color) {
    const Matrix3& view = camera.ViewMatrix();
    const double size = drawGridSize;
    // The grid fades with the zoom below 100 %, so a dense grid recedes.
    const double spacing = size * camera.ZoomFactor();
    const float alpha = (spacing < size && size != 0.0) ? static_cast<float>(spacing / size) : 1.0f;
    SetGlColor(color, alpha);
    glBegin(GL_LINES);
    if (size > 0.0) {
        const double x0 = lineWorld.MinX() - std::fmod(lineWorld.MinX(), size);
        const double y0 = lineWorld.MinY() - std::fmod(lineWorld.MinY(), size);
        if ((lineWorld.MaxX() - x0) / size < kMaxGridLines &&
            (lineWorld.MaxY() - y0) / size < kMaxGridLines) {
            auto viewPt = [&](double x, double y) {
                return view.TransformPoint(Vec2(static_cast<float>(x), static_cast<float>(y)));
            };
            for (double x = x0; x < lineWorld.MaxX(); x += size) {
                Segment(viewPt(x, lineWorld.MinY() - size), viewPt(x, lineWorld.MaxY() + size));
            }
            for (double y = y0; y < lineWorld.MaxY(); y += size) {
                Segment(viewPt(lineWorld.MinX() - size, y), viewPt(lineWorld.MaxX() + size, y));
            }
        }
    }
    // The origin is marked at every zoom, also where the lines are left out.
    const Vec2 origin = view.TransformPoint(Vec2(0.0f, 0.0f));
    const float reach = static_cast<float>(kOriginMarkReach);
    const Vec2 diamond[4] = {origin + Vec2(-reach, 0.0f), origin + Vec2(0.0f, reach),
                             origin + Vec2(reach, 0.0f), origin + Vec2(0.0f, -reach)};
    for (int i = 0; i < 4; ++i) {
        Segment(diamond[i], diamond[(i + 1) % 4]);
    }
    glEnd();
    SetGlOpaqueBlack();
    CheckErrors();
}

void GlRenderer::BeginTiles() {
    glEnable(GL_TEXTURE_2D);
}

void GlRenderer::EndTiles() {
    glDisable(GL_TEXTURE_2D);
    CheckErrors();
}

void GlRenderer::Image(const ImageItem& item) {
    if (const TileTexture* texture = textures_.Find(item.picture)) {
        texture->Draw(item.toView, StyleOf(item), errors_);
    }
}

void GlRenderer::TextBox(const TextRun& run) {
    const float width = run.tile->Width();
    const float height = run.tile->Height();
    const Vec2 corners[4] = {run.toView.TransformPoint(Vec2(0, 0)), run.toView.TransformPoint(Vec2(width, 0)),
                             run.toView.TransformPoint(Vec2(width, height)),
                             run.toView.TransformPoint(Vec2(0, height))};
    glDisable(GL_TEXTURE_2D);
    SetGlColor(run.boxFill, 1.0f);
    glBegin(GL_QUADS);
    for (const Vec2& corner : corners) {
        glVertex2f(corner.X(), corner.Y());
    }
    glEnd();
    SetGlColor(run.boxEdge, 1.0f);
    ClosedOutline(corners, 4);
    SetGlOpaqueBlack();
    glEnable(GL_TEXTURE_2D);
}

void GlRenderer::Text(const TextRun& run) {
    if (run.tile == nullptr) {
        return;
    }
    if (run.boxed) {
        TextBox(run);
    }
    const double xLength = run.toView.TransformVector(Vec2(1, 0)).Length();
    const double yLength = run.toView.TransformVector(Vec2(0, 1)).Length();
    if (!(xLength > 0.0 && yLength > 0.0 && std::isfinite(xLength) && std::isfinite(yLength))) {
        return;
    }
    if (run.fontName != nullptr && !(*run.fontName == glyphs_.FontName())) {
        glyphs_.Setup(*run.fontName);
    }
    std::vector<double> advances;
    advances.reserve(run.tile->CaretOffsets().size());
    for (float offset : run.tile->CaretOffsets()) {
        advances.push_back(offset * xLength);
    }
    const Vec2 origin = run.toView.TransformPoint(Vec2(0, 0));
    glyphs_.Draw(run.color, origin, yLength * run.gridSize, xLength / yLength, run.toView.Angle(0.0f, false),
                 run.tile->Text(), advances);
}

void GlRenderer::Border(const Camera& camera) {
    const double width = camera.ClientWidth();
    const double height = camera.ClientHeight();
    SetGlOpaqueBlack();
    FilledRect(0, 0, kBorderThin, height);
    FilledRect(width - kBorderThick, 0, width, height);
    FilledRect(0, height - kBorderThin, width, height);
    FilledRect(0, 0, width, kBorderThick);
}

void GlRenderer::Overlays(const FrameOverlays& overlays, const Camera& camera) {
    glDisable(GL_TEXTURE_2D);
    if (overlays.IsBandActive()) {
        Band(overlays, camera);
    } else if (overlays.IsTextToolActive()) {
        TextToolBox(overlays, camera);
        Caret(overlays, camera);
    }
    CheckErrors();
}

void GlRenderer::Band(const FrameOverlays& overlays, const Camera& camera) {
    const Vec2 a = camera.WorldToView(overlays.BandAnchor());
    const Vec2 b = camera.WorldToView(overlays.BandCurrent());
    const Vec2 corners[4] = {a, Vec2(b.X(), a.Y()), b, Vec2(a.X(), b.Y())};
    const InvertedDrawing inverted(true);
    ClosedOutline(corners, 4);
}

void GlRenderer::TextToolBox(const FrameOverlays& overlays, const Camera& camera) {
    const std::array<Vec2, 4>& box = overlays.TextBox();
    if (box[0] == box[1] && box[1] == box[2] && box[2] == box[3]) {
        return;
    }
    Vec2 corners[4];
    for (int i = 0; i < 4; ++i) {
        corners[i] = camera.WorldToView(box[i]);
    }
    const InvertedDrawing inverted(false);
    ClosedOutline(corners, 4);
}

void GlRenderer::Caret(const FrameOverlays& overlays, const Camera& camera) {
    if (overlays.EditedText() == nullptr) {
        return;
    }
    const auto caret = overlays.EditedText()->CaretLine(overlays.CaretIndex());
    if (!caret) {
        return;
    }
    const Vec2 a = camera.WorldToView(caret->first);
    const Vec2 b = camera.WorldToView(caret->second);
    // The second line lies one pixel to the left of the first, seen along the caret: two pixels wide.
    Vec2 side = b - a;
    const float length = side.Length();
    if (!(length > 0.0f)) {
        return;
    }
    side = Vec2(-side.Y() / length, side.X() / length);
    const InvertedDrawing inverted(false);
    glBegin(GL_LINES);
    Segment(a, b);
    Segment(a + side, b + side);
    glEnd();
}

void GlRenderer::Handles(const Camera& camera, const std::array<Vec2, 4>& handleWorldPts) {
    glDisable(GL_TEXTURE_2D);
    // An octagon about seven pixels across, centred on the pixel the point falls on.
    static const float kOctagon[8][2] = {{-3, 1}, {-1, 3}, {1, 3},   {3, 1},
                                         {3, -1}, {1, -3}, {-1, -3}, {-3, -1}};
    for (const Vec2& worldPt : handleWorldPts) {
        const Vec2 viewPt = camera.WorldToView(worldPt);
        const double x = std::floor(viewPt.X() + 0.5) - 0.5;
        const double y = std::floor(viewPt.Y() + 0.5) - 0.5;
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glBegin(GL_POLYGON);
        for (const auto& offset : kOctagon) {
            glVertex2d(x + offset[0], y + offset[1]);
        }
        glEnd();
        SetGlOpaqueBlack();
        glBegin(GL_LINE_LOOP);
        for (const auto& offset : kOctagon) {
            glVertex2d(x + offset[0], y + offset[1]);
        }
        glEnd();
    }
    CheckErrors();
}

void GlRenderer::EndFrame() {
    WriteAlpha();
    glFinish();
    CheckErrors();
}
