#include "ViewFixture.h"

#include "document/TileRef.h"
#include "view/Camera.h"

#include <gtest/gtest.h>

namespace {

using viewtest::ViewDocument;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

Camera HalfSizeCamera() {
    // Half size keeps SettleView's whole-pixel rounding out of the arithmetic.
    Camera camera(true);
    camera.Resize(kWidth, kHeight);
    camera.SetZoom(0.5f);
    return camera;
}

Vec2 WorldAtCentre(const Camera& camera) {
    return camera.ClientToWorld(kWidth / 2, kHeight / 2);
}

void ExpectNear(const Vec2& actual, const Vec2& expected, float tolerance) {
    EXPECT_NEAR(actual.X(), expected.X(), tolerance);
    EXPECT_NEAR(actual.Y(), expected.Y(), tolerance);
}

// The world box that appears between the client pixels (left, top) and (right, bottom).
Rect2 ClientBox(const Camera& camera, int left, int top, int right, int bottom) {
    Rect2 box;
    box.Set(camera.ClientToWorld(left, top));
    box.Extend(camera.ClientToWorld(right, bottom));
    return box;
}

TEST(CameraWheel, BasicWheelZoomsAboutTheWindowCentreWhereverTheMouseIs) {
    ViewDocument fixture;
    fixture.Place(viewtest::kRed, 0, 0);
    Camera camera = HalfSizeCamera();
    const Vec2 centre = WorldAtCentre(camera);

    EXPECT_TRUE(camera.Wheel(120, ClientPoint{5, 7}, false, false, fixture.doc));
    EXPECT_NEAR(camera.ZoomFactor(), 0.55f, 1e-5f);
    ExpectNear(WorldAtCentre(camera), centre, 0.01f);
    // One step per message, however large the delta.
    EXPECT_TRUE(camera.Wheel(-960, ClientPoint{790, 590}, false, false, fixture.doc));
    EXPECT_NEAR(camera.ZoomFactor(), 0.5f, 1e-5f);
    // A delta of 0 counts as rotation toward the user.
    EXPECT_TRUE(camera.Wheel(0, ClientPoint{0, 0}, false, false, fixture.doc));
    EXPECT_NEAR(camera.ZoomFactor(), 0.5f / 1.1f, 1e-5f);
    ExpectNear(WorldAtCentre(camera), centre, 0.01f);
}

TEST(CameraWheel, WheelDoesNothingWhileAMouseButtonIsDown) {
    ViewDocument fixture;
    Camera camera = HalfSizeCamera();
    const Matrix3 before = camera.ViewMatrix();
    for (bool advanced : {false, true}) {
        EXPECT_FALSE(camera.Wheel(120, ClientPoint{400, 300}, true, advanced, fixture.doc));
        EXPECT_FALSE(camera.Wheel(-120, ClientPoint{400, 300}, true, advanced, fixture.doc));
    }
    EXPECT_TRUE(camera.ViewMatrix().Equals(before));
}

TEST(CameraWheel, AdvancedZoomInOutsideTheMapActsLikeTheBasicWheel) {
    Camera camera = HalfSizeCamera();
    // The map, widened to the window, covers only the middle of this half-size view.
    const Rect2 map(-10.0f, 10.0f, -10.0f, 10.0f);
    camera.SetViewMatrix(Matrix3::Scaling(0.5, 0.5) * Matrix3::Translation(400, 300));
    const Vec2 centre = WorldAtCentre(camera);
    camera.AdvancedZoomIn(ClientPoint{5, 5}, map, nullptr);
    EXPECT_NEAR(camera.ZoomFactor(), 0.55f, 1e-5f);
    ExpectNear(WorldAtCentre(camera), centre, 0.01f);
}

TEST(CameraWheel, AdvancedZoomInOverEmptyMapKeepsThePointUnderTheMouse) {
    ViewDocument fixture;
    // Two tiles far apart: the mouse rests on the empty floor between them.
    fixture.Place(viewtest::kRed, -2000, -1000);
    fixture.Place(viewtest::kRed, 2000, 1000);
    Camera camera = HalfSizeCamera();
    camera.ZoomExtents(fixture.doc);
    const ClientPoint mouse{310, 240};
    const Vec2 under = camera.ClientToWorld(mouse);
    ASSERT_EQ(fixture.doc.HitTestSelectable(under), nullptr);
    const float zoom = camera.ZoomFactor();

    EXPECT_TRUE(camera.Wheel(120, mouse, false, true, fixture.doc));
    EXPECT_NEAR(camera.ZoomFactor(), zoom * 1.1f, 1e-5f);
    ExpectNear(camera.ClientToWorld(mouse), under, 0.05f);
}

TEST(CameraWheel, AdvancedZoomInCentresATileNearTheWindowCentre) {
    Camera camera = HalfSizeCamera();
    // Horizontally the centre lies 5 px right of the tile's middle (within 5 % of its 210 px), vertically
    // 2.5 px below it (within 5 % of 95 px).
    const Rect2 box = ClientBox(camera, 300, 250, 510, 345);
    const Vec2 tileCentre = box.Centre();
    camera.AdvancedZoomIn(ClientPoint{320, 330}, box, &box);
    EXPECT_NEAR(camera.ZoomFactor(), 0.55f, 1e-5f);
    const Vec2 centreNow = camera.WorldToClientExact(tileCentre);
    EXPECT_NEAR(centreNow.X(), 400.0f, 0.05f);
    EXPECT_NEAR(centreNow.Y(), 300.0f, 0.05f);
}

TEST(CameraWheel, AdvancedZoomInPullsAnOffCentreTileTowardTheMiddle) {
    Camera camera = HalfSizeCamera();
    // Wholly left of the centre and taller than the window: the zoom point is the tile's far (left)
    // edge horizontally and stays at the mouse vertically.
    const Rect2 box = ClientBox(camera, 50, -100, 150, 700);
    const ClientPoint mouse{120, 200};
    const Vec2 leftEdgeAtMouse = camera.ClientToWorld(50, mouse.y);
    camera.AdvancedZoomIn(mouse, box, &box);
    ExpectNear(camera.WorldToClientExact(leftEdgeAtMouse), Vec2(50.0f, 200.0f), 0.05f);
    // Magnified about its left edge, the tile's middle moved toward the window centre.
    EXPECT_GT(camera.WorldToClientExact(box.Centre()).X(), 100.0f);
}

TEST(CameraWheel, AdvancedZoomInOverAWideTileKeepsTheMouseColumn) {
    Camera camera = HalfSizeCamera();
    // Wider than 1 / 1.1 of the window: horizontally the mouse stays the zoom point. The box is also
    // taller than the window, so vertically too.
    const Rect2 box = ClientBox(camera, 10, -50, 740, 650);
    const ClientPoint mouse{600, 120};
    const Vec2 under = camera.ClientToWorld(mouse);
    camera.AdvancedZoomIn(mouse, box, &box);
    ExpectNear(camera.ClientToWorld(mouse), under, 0.05f);
}

TEST(CameraWheel, AdvancedZoomInFindsTheTileUnderTheMouse) {
    ViewDocument fixture;
    // A 64 x 64 tile (32 pixels at half size) whose middle lies 1 pixel left of the window centre.
    Camera camera = HalfSizeCamera();
    const Vec2 centre = WorldAtCentre(camera);
    TileRef* tile = fixture.Place(viewtest::kRed, centre.X() - 34.0f, centre.Y() - 32.0f);
    ASSERT_NE(tile, nullptr);
    // A second tile far away makes the map larger than the window.
    fixture.Place(viewtest::kRed, centre.X() + 3000.0f, centre.Y() + 3000.0f);
    const ClientPoint mouse = camera.WorldToClient(Vec2(centre.X() - 20.0f, centre.Y() + 10.0f));
    ASSERT_EQ(fixture.doc.HitTestSelectable(camera.ClientToWorld(mouse)), tile);

    EXPECT_TRUE(camera.Wheel(120, mouse, false, true, fixture.doc));
    const Vec2 middle = camera.WorldToClientExact(tile->Bounds().Centre());
    EXPECT_NEAR(middle.X(), 400.0f, 0.05f);
    EXPECT_NEAR(middle.Y(), 300.0f, 0.05f);
}

TEST(CameraWheel, AdvancedZoomOutFromExtentsKeepsTheMapCentred) {
    ViewDocument fixture;
    fixture.Place(viewtest::kRed, 0, 0);
    fixture.Place(viewtest::kRed, 1936, 1336); // map 2000 x 1400
    Camera camera(true);
    camera.Resize(kWidth, kHeight);
    camera.ZoomExtents(fixture.doc);
    const float zoom = camera.ZoomFactor();
    EXPECT_TRUE(camera.Wheel(-120, ClientPoint{20, 20}, false, true, fixture.doc));
    EXPECT_NEAR(camera.ZoomFactor(), zoom / 1.1f, 1e-5f);
    ExpectNear(WorldAtCentre(camera), Vec2(1000.0f, 700.0f), 0.5f);
}

TEST(CameraWheel, AdvancedZoomOutKeepsTheShownCornerOfALargeMapInView) {
    Camera camera(false);
    camera.Resize(kWidth, kHeight);
    const Rect2 map(0.0f, 4000.0f, 0.0f, 3000.0f);
    // 100 %: the window shows the map's bottom-left corner.
    const Vec2 cornerWorldPt = camera.ClientToWorld(0, kHeight);
    camera.AdvancedZoomOut(map);
    EXPECT_NEAR(camera.ZoomFactor(), 1.0f / 1.1f, 1e-5f);
    // The view moved toward the middle of the map...
    EXPECT_GT(WorldAtCentre(camera).X(), 400.0f);
    EXPECT_GT(WorldAtCentre(camera).Y(), 300.0f);
    // ...but no further than keeps the corner that was shown inside the window.
    const Vec2 corner = camera.WorldToClientExact(cornerWorldPt);
    EXPECT_GE(corner.X(), 0.0f);
    EXPECT_LE(corner.Y(), static_cast<float>(kHeight));
    EXPECT_LT(corner.X(), 100.0f);
    EXPECT_GT(corner.Y(), kHeight - 100.0f);
}

} // namespace
