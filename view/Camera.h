#pragma once

#include "platform/CanvasPainter.h"
#include "support/ClipBox.h"
#include "support/Matrix3.h"
#include "support/Rect2.h"
#include "support/Vec2.h"

#include <array>

class CGridvellumDoc;
class FrameRenderer;

// The map view's camera: a uniform scale and a translation from world units (y up) to view pixels
// (origin at the bottom-left corner of the client area, y up). It never rotates, and panning has no
// limits. Every operation that changes the camera ends in SettleView, so InverseViewMatrix is always
// the inverse of ViewMatrix.
//
// Spaces: worldPt (world units, y up), viewPt (pixels, y up from the bottom row), clientPt (pixels,
// y down from the top row). ClientToWorld and WorldToClient are the only conversions between them,
// with ViewToClient for lines and shapes that were first cut to ClientReach.
//
// The camera holds the client size it was last given; the widget that owns it feeds every resize
// and repaints after every operation that returns or changes something.
class Camera {
public:
    // Zoom limits of SetZoom and the fixed wheel and keypad steps.
    static constexpr float kMinZoom = 0.01f;
    static constexpr float kMaxZoom = 8.0f;
    static constexpr float kStepIn = 1.1f;
    static constexpr float kStepOut = 0.9090909f;
    // The zoom menu, top to bottom, in percent.
    static constexpr std::array<int, 10> kZoomMenuPercents = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};

    // A camera for the software renderer, whose pixel centres sit half a pixel off the whole-number
    // grid; see SettleView.
    Camera();
    // A camera that settles for the renderer's pixel centres.
    explicit Camera(const FrameRenderer& renderer);
    // softwareRenderer false: the pixel centres of OpenGL, true: those of the software renderer.
    explicit Camera(bool softwareRenderer);

    const Matrix3& ViewMatrix() const { return viewMatrix_; }
    const Matrix3& InverseViewMatrix() const { return inverseViewMatrix_; }
    // Replaces the camera (a pan drag restarting from its start matrix, for instance) and settles.
    void SetViewMatrix(const Matrix3& viewMatrix);
    // Takes the renderer's pixel-centre rule from now on and settles: a view learns which renderer
    // draws only once it has made its drawing context.
    void FollowPixelCentres(const FrameRenderer& renderer);
    double PixelCentreOffset() const { return pixelCentreOffset_; }
    bool IsSoftwareRenderer() const { return pixelCentreOffset_ != 0.0; }

    // Client size in pixels: width = right - left, height = bottom - top.
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    // The widget's resize. ViewMatrix does not change, so the world point at the bottom-left corner
    // stays there. A height of 0 or less (a minimised window) is ignored. Returns true when the area
    // became narrower or lower than before: the widget must then erase and repaint at once.
    bool Resize(int clientWidth, int clientHeight);

    // Normalises the translation at 100 % to whole pixels plus the renderer's pixel-centre offset and
    // refreshes InverseViewMatrix.
    void SettleView();
    // The scale of ViewMatrix.
    float ZoomFactor() const;
    // Zooms to z, clamped to kMinZoom .. kMaxZoom, keeping the world point at the window centre.
    void SetZoom(float z);
    void ZoomBy(float factor);
    void KeypadZoomIn() { ZoomBy(kStepIn); }
    void KeypadZoomOut() { ZoomBy(kStepOut); }
    // Moves the picture by (dx, dy) view pixels (y up).
    void PanBy(float dx, float dy);

    // Pan drags and right-drag zooms restart from the matrix of their press, so that rounding does
    // not accumulate while the mouse moves.
    void BeginPan() { panStartMatrix_ = viewMatrix_; }
    const Matrix3& PanStartMatrix() const { return panStartMatrix_; }
    // ViewMatrix = PanStartMatrix moved by the mouse travel since the press, in client pixels.
    void PanFromStart(int clientDx, int clientDy);

    // Fits the tiles' bounds (world units; the zero box at the origin for an empty map), widened to
    // the window, into the client area. Never exceeds 100 %; not clamped to kMinZoom. Does nothing
    // while the client area has no width or height.
    void ZoomExtents(const Rect2& tileBounds);
    void ZoomExtents(const CGridvellumDoc& doc);

    // One wheel message: delta > 0 zooms in. buttonDown: the left, right or middle button is held,
    // which turns the wheel off. advanced: the cursor-following zoom instead of the window-centre one.
    // Returns true when the camera was asked to change (the widget repaints).
    bool Wheel(int delta, ClientPoint clientPt, bool buttonDown, bool advanced, const CGridvellumDoc& doc);
    // The advanced branches on explicit inputs: the tiles' bounds (not yet widened) and, for zooming
    // in, the bounding box of the selectable tile under the mouse (null when there is none).
    void AdvancedZoomIn(ClientPoint clientPt, const Rect2& tileBounds, const Rect2* tileUnderMouse);
    void AdvancedZoomOut(const Rect2& tileBounds);

    // The zoom menu: selecting an item and whether it shows a check mark.
    void SetZoomPercent(int percent) { SetZoom(static_cast<float>(percent) / 100.0f); }
    bool IsZoomPercentChecked(int percent) const;

    // Conversions. Client coordinates may be fractional (a zoom point between pixels).
    Vec2 ClientToWorld(double clientX, double clientY) const;
    Vec2 ClientToWorld(ClientPoint clientPt) const { return ClientToWorld(clientPt.x, clientPt.y); }
    // The client pixel a world point falls on: (round(vx), H - round(vy)), halves rounding up.
    ClientPoint WorldToClient(const Vec2& worldPt) const;
    // The same without rounding.
    Vec2 WorldToClientExact(const Vec2& worldPt) const;
    Vec2 WorldToView(const Vec2& worldPt) const { return viewMatrix_.TransformPoint(worldPt); }
    Vec2 ViewToWorld(const Vec2& viewPt) const { return inverseViewMatrix_.TransformPoint(viewPt); }
    // Where view points may become client pixels: lines and outlines are cut to this box first, which
    // leaves every point near the client area where it is, so their pixels do not change.
    ClipBox ClientReach() const { return ClipBox::ClientReach(clientWidth_, clientHeight_); }
    // The client pixel of a view point as WorldToClient rounds it.
    ClientPoint ViewToClient(PlanePoint viewPt) const;

    // The world rectangle under the client area: spanned by the world points under the view corners
    // (0, 0) and (W, H).
    Rect2 VisibleWorld() const;
    // The box widened symmetrically to at least the client size (world units compared with pixels as
    // numbers), so that fitting it never magnifies beyond 100 %.
    Rect2 WidenedToWindow(const Rect2& box) const;

private:
    // Where the zoom point of the advanced zoom-in lies along one axis, in client pixels. lo and hi
    // are the tile box's edges on that axis, centre the client centre, extent the client size.
    static double ZoomAxis(double mouse, double lo, double hi, double centre, double extent);

    Matrix3 viewMatrix_;
    Matrix3 inverseViewMatrix_;
    Matrix3 panStartMatrix_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    double pixelCentreOffset_;
};
