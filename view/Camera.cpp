#include "view/Camera.h"

#include "document/CGridvellumDoc.h"
#include "document/TileRef.h"
#include "view/FrameRenderer.h"

#include <algorithm>
#include <cmath>

namespace {
// Client pixels are ints; a world point far off screen must not overflow the conversion.
constexpr double kClientLimit = 1.0e9;

int ToClientInt(double v) {
    return static_cast<int>(std::clamp(std::floor(v + 0.5), -kClientLimit, kClientLimit));
}

bool IsUnitLinearPart(const Matrix3& m) {
    return m.m11() == 1.0 && m.m12() == 0.0 && m.m21() == 0.0 && m.m22() == 1.0;
}

double Lerp(double a, double b, double q) {
    return q * a + (1.0 - q) * b;
}
} // namespace

Camera::Camera() : Camera(true) {}

Camera::Camera(const FrameRenderer& renderer) : pixelCentreOffset_(renderer.PixelCentreOffset()) {
    SettleView();
    panStartMatrix_ = viewMatrix_;
}

Camera::Camera(bool softwareRenderer)
    : pixelCentreOffset_(softwareRenderer ? FrameRenderer::kSoftwarePixelCentreOffset
                                          : FrameRenderer::kNoPixelCentreOffset) {
    SettleView();
    panStartMatrix_ = viewMatrix_;
}

void Camera::FollowPixelCentres(const FrameRenderer& renderer) {
    // Only the offset changes: the map keeps its whole-pixel position instead of rounding half a
    // pixel further.
    const double change = renderer.PixelCentreOffset() - pixelCentreOffset_;
    pixelCentreOffset_ = renderer.PixelCentreOffset();
    if (IsUnitLinearPart(viewMatrix_)) {
        viewMatrix_.Set(1.0, 0.0, 0.0, 1.0, viewMatrix_.m31() + change, viewMatrix_.m32() + change);
    }
    SettleView();
}

void Camera::SetViewMatrix(const Matrix3& viewMatrix) {
    viewMatrix_ = viewMatrix;
    SettleView();
}

bool Camera::Resize(int clientWidth, int clientHeight) {
    if (clientHeight <= 0) {
        return false;
    }
    clientWidth = std::max(clientWidth, 0);
    const bool shrunk = clientWidth < clientWidth_ || clientHeight < clientHeight_;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    return shrunk;
}

void Camera::SettleView() {
    if (IsUnitLinearPart(viewMatrix_)) {
        // At 100 % one world unit is one pixel: whole-pixel offsets keep tile edges crisp. The software
        // rasterizer samples at pixel centres, so its offsets sit on the nearest half pixel instead.
        // Rounding the half-pixel offset itself (t - 0.5) keeps settling idempotent: settling an already
        // settled view must not move the map a pixel further each time.
        const double offset = pixelCentreOffset_;
        const double tx = std::floor(viewMatrix_.m31() - offset + 0.5) + offset;
        const double ty = std::floor(viewMatrix_.m32() - offset + 0.5) + offset;
        viewMatrix_.Set(1.0, 0.0, 0.0, 1.0, tx, ty);
    }
    // A singular camera cannot arise (zoom never drops below kMinZoom); should it, the old inverse stays.
    viewMatrix_.Inverse(inverseViewMatrix_);
}

float Camera::ZoomFactor() const {
    return viewMatrix_.ScaleFactor(1.0f);
}

void Camera::SetZoom(float z) {
    z = std::clamp(z, kMinZoom, kMaxZoom);
    const Vec2 centreViewPt(static_cast<float>(clientWidth_ / 2), static_cast<float>(clientHeight_ / 2));
    const Vec2 before = ViewToWorld(centreViewPt);
    viewMatrix_ = Matrix3::Scaling(z, z);
    SettleView();
    const Vec2 after = ViewToWorld(centreViewPt);
    viewMatrix_ = viewMatrix_ * Matrix3::Translation(static_cast<double>(z) * (after.X() - before.X()),
                                                     static_cast<double>(z) * (after.Y() - before.Y()));
    SettleView();
}

void Camera::ZoomBy(float factor) {
    SetZoom(ZoomFactor() * factor);
}

void Camera::PanBy(float dx, float dy) {
    viewMatrix_ = viewMatrix_ * Matrix3::Translation(dx, dy);
    SettleView();
}

void Camera::PanFromStart(int clientDx, int clientDy) {
    viewMatrix_ = panStartMatrix_ * Matrix3::Translation(clientDx, -clientDy);
    SettleView();
}

Rect2 Camera::WidenedToWindow(const Rect2& box) const {
    const Vec2 centre = box.Centre();
    float minX = box.MinX(), maxX = box.MaxX(), minY = box.MinY(), maxY = box.MaxY();
    if (box.Width() < static_cast<float>(clientWidth_)) {
        minX = centre.X() - static_cast<float>(clientWidth_) / 2.0f;
        maxX = centre.X() + static_cast<float>(clientWidth_) / 2.0f;
    }
    if (box.Height() < static_cast<float>(clientHeight_)) {
        minY = centre.Y() - static_cast<float>(clientHeight_) / 2.0f;
        maxY = centre.Y() + static_cast<float>(clientHeight_) / 2.0f;
    }
    return Rect2(minX, maxX, minY, maxY);
}

void Camera::ZoomExtents(const Rect2& tileBounds) {
    if (clientWidth_ <= 0 || clientHeight_ <= 0) {
        return;
    }
    const Rect2 box = WidenedToWindow(tileBounds);
    if (!(box.Width() > 0.0f) || !(box.Height() > 0.0f)) {
        return;
    }
    const double widthRatio = clientWidth_ / static_cast<double>(box.Width());
    const double heightRatio = clientHeight_ / static_cast<double>(box.Height());
    const double s = heightRatio > widthRatio ? widthRatio : heightRatio;
    const Vec2 centre = box.Centre();
    viewMatrix_ = Matrix3::Translation(-centre.X(), -centre.Y()) * Matrix3::Scaling(s, s) *
                  Matrix3::Translation(clientWidth_ / 2, clientHeight_ / 2);
    SettleView();
}

void Camera::ZoomExtents(const CGridvellumDoc& doc) {
    ZoomExtents(doc.DocumentBounds(false, false));
}

bool Camera::Wheel(int delta, ClientPoint clientPt, bool buttonDown, bool advanced,
                   const CGridvellumDoc& doc) {
    if (buttonDown) {
        return false;
    }
    if (!advanced) {
        // One step per message whatever the delta's size.
        ZoomBy(delta > 0 ? kStepIn : kStepOut);
        return true;
    }
    const Rect2 tileBounds = doc.DocumentBounds(false, false);
    if (delta > 0) {
        const TileRef* tile = doc.HitTestSelectable(ClientToWorld(clientPt));
        AdvancedZoomIn(clientPt, tileBounds, tile != nullptr ? &tile->Bounds() : nullptr);
    } else {
        AdvancedZoomOut(tileBounds);
    }
    return true;
}

double Camera::ZoomAxis(double mouse, double lo, double hi, double centre, double extent) {
    const double w = hi - lo;
    const double m = (lo + hi) / 2.0;
    // A tile about as wide as the window has no side to pull in; the mouse stays the zoom point.
    if (!(1.1 * w < extent)) {
        return mouse;
    }
    // Zooming by 1.1 about m + 10 (m - centre) lands the tile's middle exactly on the window centre.
    const double centring = m + 10.0 * (m - centre);
    if (lo < centre && centre < hi) {
        if (centre - lo > hi - centre) {
            return centre - m < 0.05 * w ? centring : lo;
        }
        return m - centre < 0.05 * w ? centring : hi;
    }
    // Wholly on one side of the centre: zooming about the far edge pulls the tile toward the middle.
    const double nearHi = std::fabs(hi - centre);
    const double nearLo = std::fabs(lo - centre);
    if (nearHi < nearLo) {
        return lo;
    }
    if (nearHi > nearLo) {
        return hi;
    }
    return mouse;
}

void Camera::AdvancedZoomIn(ClientPoint clientPt, const Rect2& tileBounds, const Rect2* tileUnderMouse) {
    const Rect2 mapBox = WidenedToWindow(tileBounds);
    if (!mapBox.Contains(ClientToWorld(clientPt))) {
        ZoomBy(kStepIn);
        return;
    }
    double zoomX = clientPt.x;
    double zoomY = clientPt.y;
    if (tileUnderMouse != nullptr) {
        // Client y runs down, so the box's top edge has the smaller y.
        const Vec2 topLeft = WorldToClientExact(Vec2(tileUnderMouse->MinX(), tileUnderMouse->MaxY()));
        const Vec2 bottomRight = WorldToClientExact(Vec2(tileUnderMouse->MaxX(), tileUnderMouse->MinY()));
        zoomX = ZoomAxis(zoomX, topLeft.X(), bottomRight.X(), clientWidth_ / 2, clientWidth_);
        zoomY = ZoomAxis(zoomY, topLeft.Y(), bottomRight.Y(), clientHeight_ / 2, clientHeight_);
    }
    const Vec2 before = ClientToWorld(zoomX, zoomY);
    ZoomBy(kStepIn);
    const Vec2 after = ClientToWorld(zoomX, zoomY);
    // Moving the world by the drift, before the camera applies, puts `before` back under the zoom point.
    viewMatrix_ = Matrix3::Translation(after.X() - before.X(), after.Y() - before.Y()) * viewMatrix_;
    SettleView();
}

void Camera::AdvancedZoomOut(const Rect2& tileBounds) {
    Rect2 keep = VisibleWorld();
    keep.ScaleAboutCentre(1.075f);
    const Rect2 mapBox = WidenedToWindow(tileBounds);
    const Rect2 keepOnMap(std::clamp(keep.MinX(), mapBox.MinX(), mapBox.MaxX()),
                          std::clamp(keep.MaxX(), mapBox.MinX(), mapBox.MaxX()),
                          std::clamp(keep.MinY(), mapBox.MinY(), mapBox.MaxY()),
                          std::clamp(keep.MaxY(), mapBox.MinY(), mapBox.MaxY()));
    // q near 1: the view shows little of the map and keeps its own grown rectangle; q near 0: it shows
    // most of the map, and what must stay visible shrinks toward the part that lies on the map.
    const double mapSize = (static_cast<double>(mapBox.Width()) + mapBox.Height()) / 2.0;
    double q = 1.0;
    if (mapSize > 0.0) {
        const double onMapSize = (static_cast<double>(keepOnMap.Width()) + keepOnMap.Height()) / 2.0;
        q = std::clamp(1.0 - onMapSize / mapSize, 0.0, 1.0);
    }
    const double keepMinX = Lerp(keep.MinX(), keepOnMap.MinX(), q);
    const double keepMaxX = Lerp(keep.MaxX(), keepOnMap.MaxX(), q);
    const double keepMinY = Lerp(keep.MinY(), keepOnMap.MinY(), q);
    const double keepMaxY = Lerp(keep.MaxY(), keepOnMap.MaxY(), q);

    ZoomBy(kStepOut);

    // Half way toward the map's centre.
    const Vec2 centreWorldPt =
        ViewToWorld(Vec2(static_cast<float>(clientWidth_ / 2), static_cast<float>(clientHeight_ / 2)));
    const Vec2 mapCentre = mapBox.Centre();
    viewMatrix_ = Matrix3::Translation((centreWorldPt.X() - mapCentre.X()) / 2.0,
                                       (centreWorldPt.Y() - mapCentre.Y()) / 2.0) *
                  viewMatrix_;
    SettleView();

    // Then slide so that the kept rectangle is inside the window; the left and top edges win.
    const Vec2 topLeft = WorldToClientExact(Vec2(static_cast<float>(keepMinX), static_cast<float>(keepMaxY)));
    const Vec2 bottomRight =
        WorldToClientExact(Vec2(static_cast<float>(keepMaxX), static_cast<float>(keepMinY)));
    double dx = 0.0;
    if (topLeft.X() < 0.0f) {
        dx = -topLeft.X();
    } else if (bottomRight.X() > static_cast<float>(clientWidth_)) {
        dx = clientWidth_ - bottomRight.X();
    }
    double dy = 0.0;
    if (topLeft.Y() < 0.0f) {
        dy = -topLeft.Y();
    } else if (bottomRight.Y() > static_cast<float>(clientHeight_)) {
        dy = clientHeight_ - bottomRight.Y();
    }
    viewMatrix_ = viewMatrix_ * Matrix3::Translation(dx, -dy);
    SettleView();
}

bool Camera::IsZoomPercentChecked(int percent) const {
    const float zoom = ZoomFactor();
    if (percent == 10) {
        // The last item stands for every zoom below the others.
        return zoom <= 0.15f;
    }
    return std::fabs(zoom - static_cast<float>(percent) / 100.0f) < 0.05f;
}

Vec2 Camera::ClientToWorld(double clientX, double clientY) const {
    return ViewToWorld(Vec2(static_cast<float>(clientX), static_cast<float>(clientHeight_ - clientY)));
}

ClientPoint Camera::WorldToClient(const Vec2& worldPt) const {
    const Vec2 viewPt = WorldToView(worldPt);
    return ViewToClient(PlanePoint{viewPt.X(), viewPt.Y()});
}

ClientPoint Camera::ViewToClient(PlanePoint viewPt) const {
    return ClientPoint{ToClientInt(viewPt.x), clientHeight_ - ToClientInt(viewPt.y)};
}

Vec2 Camera::WorldToClientExact(const Vec2& worldPt) const {
    const Vec2 viewPt = WorldToView(worldPt);
    return Vec2(viewPt.X(), static_cast<float>(clientHeight_) - viewPt.Y());
}

Rect2 Camera::VisibleWorld() const {
    Rect2 visible;
    visible.Set(ViewToWorld(Vec2(0.0f, 0.0f)));
    visible.Extend(ViewToWorld(Vec2(static_cast<float>(clientWidth_), static_cast<float>(clientHeight_))));
    return visible;
}
