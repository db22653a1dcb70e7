#include "view/Camera.h"

#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

Camera SizedCamera(bool software = true) {
    Camera camera(software);
    camera.Resize(kWidth, kHeight);
    return camera;
}

Vec2 Translation(const Camera& camera) {
    return Vec2(static_cast<float>(camera.ViewMatrix().m31()), static_cast<float>(camera.ViewMatrix().m32()));
}

Vec2 WorldAtCentre(const Camera& camera) {
    return camera.ClientToWorld(kWidth / 2, kHeight / 2);
}

void ExpectNear(const Vec2& actual, float x, float y, float tolerance) {
    EXPECT_NEAR(actual.X(), x, tolerance);
    EXPECT_NEAR(actual.Y(), y, tolerance);
}

// ViewMatrix followed by InverseViewMatrix must give the identity after any operation.
void ExpectInverseConsistent(const Camera& camera) {
    const Matrix3 product = camera.ViewMatrix() * camera.InverseViewMatrix();
    EXPECT_TRUE(product.Equals(Matrix3::Identity()));
}

TEST(Camera, ZoomStaysBetweenOnePercentAndEightTimes) {
    Camera camera = SizedCamera();
    camera.SetZoom(20.0f);
    EXPECT_FLOAT_EQ(camera.ZoomFactor(), 8.0f);
    camera.ZoomBy(1.1f);
    EXPECT_FLOAT_EQ(camera.ZoomFactor(), 8.0f);
    camera.SetZoom(0.001f);
    EXPECT_FLOAT_EQ(camera.ZoomFactor(), 0.01f);
    camera.KeypadZoomOut();
    EXPECT_FLOAT_EQ(camera.ZoomFactor(), 0.01f);
    ExpectInverseConsistent(camera);
}

TEST(Camera, KeypadStepsAreTenPercentEachWay) {
    Camera camera = SizedCamera();
    camera.KeypadZoomIn();
    EXPECT_NEAR(camera.ZoomFactor(), 1.1f, 1e-6);
    camera.KeypadZoomOut();
    EXPECT_NEAR(camera.ZoomFactor(), 1.0f, 1e-6);
}

TEST(Camera, FullZoomTranslationSnapsToPixelsAndSoftwareToPixelCentres) {
    Camera software = SizedCamera(true);
    ExpectNear(Translation(software), 0.5f, 0.5f, 0.0f);
    software.PanBy(3.5f, -2.5f);
    ExpectNear(Translation(software), 4.5f, -1.5f, 0.0f);

    Camera openGl = SizedCamera(false);
    ExpectNear(Translation(openGl), 0.0f, 0.0f, 0.0f);
    openGl.PanBy(3.5f, -2.5f);
    ExpectNear(Translation(openGl), 4.0f, -2.0f, 0.0f);
    // Halves round toward +infinity on both sides of zero.
    openGl.PanBy(-6.5f, 4.5f);
    ExpectNear(Translation(openGl), -2.0f, 3.0f, 0.0f);
    ExpectInverseConsistent(openGl);
}

TEST(Camera, SettlingAtFullZoomNeverDriftsTheMap) {
    Camera software = SizedCamera(true);
    software.PanBy(3.5f, -2.5f);
    const Vec2 settled = Translation(software);
    for (int i = 0; i < 5; ++i) {
        software.SetZoom(1.0f);
        software.PanBy(0.0f, 0.0f);
    }
    ExpectNear(Translation(software), settled.X(), settled.Y(), 0.0f);
    // A fractional pan lands on the nearest pixel centre.
    software.PanBy(0.75f, -0.2f);
    ExpectNear(Translation(software), settled.X() + 1.0f, settled.Y(), 0.0f);
}

TEST(Camera, OtherZoomsKeepFractionalTranslation) {
    Camera camera = SizedCamera();
    camera.SetZoom(0.5f);
    const Vec2 before = Translation(camera);
    camera.PanBy(3.25f, -2.75f);
    ExpectNear(Translation(camera), before.X() + 3.25f, before.Y() - 2.75f, 1e-4f);
    ExpectInverseConsistent(camera);
}

TEST(Camera, SetZoomKeepsTheWorldPointAtTheWindowCentre) {
    Camera camera = SizedCamera();
    camera.SetZoom(0.7f);
    camera.PanBy(37.25f, -12.5f);
    const Vec2 centre = WorldAtCentre(camera);
    for (float zoom : {0.5f, 2.0f, 3.3f, 0.05f}) {
        camera.SetZoom(zoom);
        EXPECT_FLOAT_EQ(camera.ZoomFactor(), zoom);
        ExpectNear(WorldAtCentre(camera), centre.X(), centre.Y(), 0.01f);
        ExpectInverseConsistent(camera);
    }
}

TEST(Camera, ZoomExtentsOfAnEmptyMapShowsTheOriginAtTheCentreAtFullSize) {
    Camera software = SizedCamera(true);
    software.ZoomExtents(Rect2());
    EXPECT_FLOAT_EQ(software.ZoomFactor(), 1.0f);
    ExpectNear(Translation(software), 400.5f, 300.5f, 0.0f);

    Camera openGl = SizedCamera(false);
    openGl.ZoomExtents(Rect2());
    ExpectNear(Translation(openGl), 400.0f, 300.0f, 0.0f);
    ExpectNear(openGl.ClientToWorld(400, 300), 0.0f, 0.0f, 0.0f);
}

TEST(Camera, ZoomExtentsNeverMagnifiesASmallMap) {
    Camera camera = SizedCamera(false);
    camera.SetZoom(3.0f);
    camera.ZoomExtents(Rect2(100.0f, 300.0f, 50.0f, 150.0f));
    EXPECT_FLOAT_EQ(camera.ZoomFactor(), 1.0f);
    // The map's centre (200, 100) sits at the window centre.
    ExpectNear(WorldAtCentre(camera), 200.0f, 100.0f, 0.0f);
}

TEST(Camera, ZoomExtentsFitsTheLimitingSide) {
    Camera camera = SizedCamera(false);
    // Twice as wide as the window and lower than its aspect: half size.
    camera.ZoomExtents(Rect2(-500.0f, 1100.0f, 0.0f, 200.0f));
    EXPECT_FLOAT_EQ(camera.ZoomFactor(), 0.5f);
    ExpectNear(WorldAtCentre(camera), 300.0f, 100.0f, 0.01f);
    // The left edge of the map touches the left edge of the window.
    EXPECT_NEAR(camera.WorldToClientExact(Vec2(-500.0f, 100.0f)).X(), 0.0f, 1e-3f);

    // Three window heights tall: a third, centred.
    camera.ZoomExtents(Rect2(0.0f, 10.0f, 0.0f, 1800.0f));
    EXPECT_NEAR(camera.ZoomFactor(), 1.0f / 3.0f, 1e-6f);
    ExpectNear(WorldAtCentre(camera), 5.0f, 900.0f, 0.01f);
    EXPECT_NEAR(camera.WorldToClientExact(Vec2(5.0f, 1800.0f)).Y(), 0.0f, 1e-3f);
}

TEST(Camera, ZoomExtentsWaitsForAWindowWithArea) {
    Camera camera(true);
    camera.SetZoom(2.0f);
    const Matrix3 before = camera.ViewMatrix();
    camera.ZoomExtents(Rect2(0.0f, 1000.0f, 0.0f, 1000.0f));
    EXPECT_TRUE(camera.ViewMatrix().Equals(before));
}

TEST(Camera, ResizeKeepsTheWorldPointAtTheBottomLeftCorner) {
    Camera camera = SizedCamera();
    camera.SetZoom(0.6f);
    camera.PanBy(-123.4f, 56.7f);
    const Vec2 bottomLeft = camera.ClientToWorld(0, kHeight);
    const Vec2 topRight = camera.ClientToWorld(kWidth, 0);

    EXPECT_FALSE(camera.Resize(1000, 700)); // larger: no forced erase
    ExpectNear(camera.ClientToWorld(0, 700), bottomLeft.X(), bottomLeft.Y(), 1e-3f);
    EXPECT_TRUE(camera.Resize(1000, 500)); // lower: erase and repaint at once
    ExpectNear(camera.ClientToWorld(0, 500), bottomLeft.X(), bottomLeft.Y(), 1e-3f);
    EXPECT_TRUE(camera.Resize(300, 500)); // narrower
    EXPECT_EQ(camera.ClientWidth(), 300);

    // A minimised window (no height) is ignored.
    EXPECT_FALSE(camera.Resize(0, 0));
    EXPECT_EQ(camera.ClientWidth(), 300);
    EXPECT_EQ(camera.ClientHeight(), 500);
    // The top right corner of the old window shows what it showed, shifted by the size change.
    camera.Resize(kWidth, kHeight);
    ExpectNear(camera.ClientToWorld(kWidth, 0), topRight.X(), topRight.Y(), 1e-3f);
}

TEST(Camera, ClientAndWorldRoundTrip) {
    Camera camera = SizedCamera();
    for (float zoom : {1.0f, 0.37f, 2.5f, 8.0f, 0.01f}) {
        camera.SetZoom(zoom);
        camera.PanBy(13.3f, -7.9f);
        for (int y = 0; y <= kHeight; y += 75) {
            for (int x = 0; x <= kWidth; x += 100) {
                const ClientPoint back = camera.WorldToClient(camera.ClientToWorld(x, y));
                EXPECT_EQ(back.x, x) << "zoom " << zoom;
                EXPECT_EQ(back.y, y) << "zoom " << zoom;
            }
        }
    }
}

TEST(Camera, ClientPixelsCountDownFromTheTop) {
    Camera camera = SizedCamera(false);
    // Identity camera: the world origin is the bottom-left corner.
    ExpectNear(camera.ClientToWorld(0, kHeight), 0.0f, 0.0f, 0.0f);
    ExpectNear(camera.ClientToWorld(10, 0), 10.0f, static_cast<float>(kHeight), 0.0f);
    const ClientPoint pt = camera.WorldToClient(Vec2(20.4f, 30.5f));
    EXPECT_EQ(pt.x, 20);
    EXPECT_EQ(pt.y, kHeight - 31);
    // Far-off points do not overflow the pixel type.
    const ClientPoint far = camera.WorldToClient(Vec2(3.0e30f, -3.0e30f));
    EXPECT_GT(far.x, 0);
    EXPECT_GT(far.y, 0);
}

TEST(Camera, VisibleWorldSpansTheClientArea) {
    Camera camera = SizedCamera(false);
    camera.SetZoom(0.5f);
    const Rect2 visible = camera.VisibleWorld();
    EXPECT_NEAR(visible.Width(), 1600.0f, 1e-2f);
    EXPECT_NEAR(visible.Height(), 1200.0f, 1e-2f);
    ExpectNear(visible.Centre(), WorldAtCentre(camera).X(), WorldAtCentre(camera).Y(), 1e-2f);
}

TEST(Camera, PanDragRestartsFromThePressMatrix) {
    Camera camera = SizedCamera();
    camera.SetZoom(0.5f);
    const Vec2 start = Translation(camera);
    camera.BeginPan();
    camera.PanFromStart(30, 10);
    camera.PanFromStart(40, 20); // not added to the previous move
    ExpectNear(Translation(camera), start.X() + 40.0f, start.Y() - 20.0f, 1e-4f);
    // The press matrix itself stays as it was taken.
    EXPECT_NEAR(camera.PanStartMatrix().m31(), start.X(), 1e-4);
    EXPECT_NEAR(camera.PanStartMatrix().m32(), start.Y(), 1e-4);
    // The map follows the mouse: the world point under the press is under the release.
    camera.BeginPan();
    const Vec2 grabbed = camera.ClientToWorld(100, 100);
    camera.PanFromStart(25, -40);
    ExpectNear(camera.ClientToWorld(125, 60), grabbed.X(), grabbed.Y(), 1e-3f);
}

TEST(Camera, ZoomMenuChecksTheNearestItem) {
    Camera camera = SizedCamera();
    auto checked = [&camera]() {
        std::vector<int> items;
        for (int percent : Camera::kZoomMenuPercents) {
            if (camera.IsZoomPercentChecked(percent)) {
                items.push_back(percent);
            }
        }
        return items;
    };
    EXPECT_EQ(checked(), std::vector<int>{100});
    camera.SetZoomPercent(50);
    EXPECT_FLOAT_EQ(camera.ZoomFactor(), 0.5f);
    EXPECT_EQ(checked(), std::vector<int>{50});
    camera.SetZoom(0.54f);
    EXPECT_EQ(checked(), std::vector<int>{50});
    camera.SetZoom(0.75f); // half way between two items: neither
    EXPECT_TRUE(checked().empty());
    camera.SetZoom(2.0f);
    EXPECT_TRUE(checked().empty());
    camera.SetZoom(0.14f);
    EXPECT_EQ(checked(), std::vector<int>{10});
    camera.SetZoom(0.01f);
    EXPECT_EQ(checked(), std::vector<int>{10});
    camera.SetZoom(0.17f);
    EXPECT_EQ(checked(), std::vector<int>{20});
}

} // namespace
