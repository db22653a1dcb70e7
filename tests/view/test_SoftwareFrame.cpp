#include "ViewFixture.h"

#include "document/TileRef.h"
#include "view/Camera.h"
#include "view/FrameOverlays.h"
#include "view/ResizeHandles.h"
#include "view/SoftwareFrame.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <vector>

namespace {

using viewtest::ClientPixel;
using viewtest::kBackColor;
using viewtest::kGridColor;
using viewtest::ViewDocument;

constexpr int kWidth = 200;
constexpr int kHeight = 150;
constexpr std::uint32_t kRed = 0x000000FF;
constexpr std::uint32_t kBlack = 0x00000000;
constexpr std::uint32_t kWhite = 0x00FFFFFF;
// The border's pen covers up to three pixels along each edge.
constexpr int kInteriorMargin = 3;

Camera SizedCamera() {
    Camera camera(true);
    camera.Resize(kWidth, kHeight);
    return camera;
}

std::string Hex(std::uint32_t color) {
    std::ostringstream out;
    out << std::hex << color;
    return out.str();
}

// Compares every pixel inside the border with what `expected` says for it; `expected` answers
// nullopt where any colour is acceptable (the edges of tiles, which depend on sampling).
template <typename Expected> void ExpectInterior(const RasterCanvas& canvas, Expected expected) {
    int mismatches = 0;
    std::string first;
    for (int y = kInteriorMargin; y < kHeight - kInteriorMargin; ++y) {
        for (int x = kInteriorMargin; x < kWidth - kInteriorMargin; ++x) {
            const std::optional<std::uint32_t> want = expected(x, y);
            const std::uint32_t got = ClientPixel(canvas, x, y);
            if (want && *want != got) {
                if (mismatches++ == 0) {
                    first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + Hex(got) +
                            ", expected " + Hex(*want);
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "first: " << first;
}

TEST(SoftwareFrame, EmptyMapShowsBackColourAndGridLinesAtWholeCells) {
    ViewDocument fixture;
    Camera camera = SizedCamera();
    FrameOverlays overlays;
    SoftwareFrame frame;
    frame.Draw(camera, fixture.doc, overlays);
    ASSERT_EQ(frame.Canvas().Width(), kWidth);
    ASSERT_EQ(frame.Canvas().Height(), kHeight);
    EXPECT_EQ(frame.Canvas().BitsPerPixel(), 32);
    // At 100 % the software camera sits at (0.5, 0.5): world x = 64 k falls on client column 64 k + 1,
    // world y = 64 k on client row 149 - 64 k.
    const std::set<int> columns = {65, 129, 193};
    const std::set<int> rows = {21, 85};
    ExpectInterior(frame.Canvas(), [&](int x, int y) -> std::optional<std::uint32_t> {
        return columns.count(x) || rows.count(y) ? kGridColor : kBackColor;
    });
}

TEST(SoftwareFrame, GridFollowsTheZoom) {
    ViewDocument fixture;
    Camera camera = SizedCamera();
    camera.SetZoom(0.5f); // view = world / 2 + (50.25, 37.75)
    FrameOverlays overlays;
    SoftwareFrame frame;
    frame.Draw(camera, fixture.doc, overlays);
    const std::set<int> columns = {18, 50, 82, 114, 146, 178};
    const std::set<int> rows = {16, 48, 80, 112, 144};
    ExpectInterior(frame.Canvas(), [&](int x, int y) -> std::optional<std::uint32_t> {
        return columns.count(x) || rows.count(y) ? kGridColor : kBackColor;
    });
}

TEST(SoftwareFrame, TileIsDrawnWhereItsMatrixPlacesItAboveTheGrid) {
    ViewDocument fixture;
    fixture.Place(viewtest::kRed, 64, 32);
    Camera camera = SizedCamera();
    FrameOverlays overlays;
    SoftwareFrame frame;
    frame.Draw(camera, fixture.doc, overlays);
    // World box (64, 32) .. (128, 96): client columns 65 .. 128, client rows 53 .. 116.
    const std::set<int> columns = {65, 129, 193};
    const std::set<int> rows = {21, 85};
    ExpectInterior(frame.Canvas(), [&](int x, int y) -> std::optional<std::uint32_t> {
        const bool inside = x >= 65 && x <= 128 && y >= 53 && y <= 116;
        const bool edge =
            x >= 64 && x <= 129 && y >= 52 && y <= 117 && !(x > 65 && x < 128 && y > 53 && y < 116);
        if (edge) {
            return std::nullopt;
        }
        if (inside) {
            return kRed;
        }
        return columns.count(x) || rows.count(y) ? kGridColor : kBackColor;
    });
}

TEST(SoftwareFrame, MagnifiedTileCoversItsScaledBox) {
    ViewDocument fixture;
    fixture.Place(viewtest::kRed, 10, 10);
    Camera camera = SizedCamera();
    camera.SetZoom(2.0f);
    camera.PanBy(110.0f, 60.0f); // the tile lies inside the window
    FrameOverlays overlays;
    SoftwareFrame frame;
    frame.Draw(camera, fixture.doc, overlays);
    const Vec2 topLeft = camera.WorldToClientExact(Vec2(10, 74));
    const Vec2 bottomRight = camera.WorldToClientExact(Vec2(74, 10));
    ASSERT_NEAR(bottomRight.X() - topLeft.X(), 128.0f, 1e-3f);
    int redsInside = 0, othersInside = 0, redsOutside = 0;
    const float margin = 2.0f;
    for (int y = kInteriorMargin; y < kHeight - kInteriorMargin; ++y) {
        for (int x = kInteriorMargin; x < kWidth - kInteriorMargin; ++x) {
            const bool red = ClientPixel(frame.Canvas(), x, y) == kRed;
            if (x > topLeft.X() + margin && x < bottomRight.X() - margin && y > topLeft.Y() + margin &&
                y < bottomRight.Y() - margin) {
                (red ? redsInside : othersInside) += 1;
            } else if (x < topLeft.X() - margin || x > bottomRight.X() + margin || y < topLeft.Y() - margin ||
                       y > bottomRight.Y() + margin) {
                redsOutside += red;
            }
        }
    }
    EXPECT_EQ(redsOutside, 0);
    EXPECT_GT(redsInside, 120 * 120);
    EXPECT_EQ(othersInside, 0);
}

TEST(SoftwareFrame, BlackBorderThreePixelsAlongEveryEdge) {
    ViewDocument fixture;
    Camera camera = SizedCamera();
    FrameOverlays overlays;
    SoftwareFrame frame;
    frame.Draw(camera, fixture.doc, overlays);
    const RasterCanvas& canvas = frame.Canvas();
    for (int y : {10, 75, 140}) {
        for (int x : {0, 1, kWidth - 3, kWidth - 2, kWidth - 1}) {
            EXPECT_EQ(ClientPixel(canvas, x, y), kBlack) << x << ", " << y;
        }
        EXPECT_EQ(ClientPixel(canvas, 3, y), kBackColor) << y;
    }
    for (int x : {10, 100, 190}) {
        for (int y : {0, 1, kHeight - 3, kHeight - 2, kHeight - 1}) {
            EXPECT_EQ(ClientPixel(canvas, x, y), kBlack) << x << ", " << y;
        }
        EXPECT_EQ(ClientPixel(canvas, x, 3), kBackColor) << x;
    }
}

TEST(SoftwareFrame, BackgroundPictureIsStretchedOverTheWindow) {
    ViewDocument fixture(viewtest::DefaultLook() + " drawgridsize=\"4096\" backimage=\"back.png\"");
    ASSERT_TRUE(fixture.tileSet.BackImage().IsLoaded());
    Camera camera = SizedCamera();
    FrameOverlays overlays;
    SoftwareFrame frame;
    frame.SetQuickDraw(true);
    frame.Draw(camera, fixture.doc, overlays);
    const RasterCanvas& canvas = frame.Canvas();
    EXPECT_EQ(ClientPixel(canvas, 50, 40), 0x000000FFu);  // red, top left
    EXPECT_EQ(ClientPixel(canvas, 150, 40), 0x0000FF00u); // green, top right
    EXPECT_EQ(ClientPixel(canvas, 50, 110), 0x00FF0000u); // blue, bottom left
    EXPECT_EQ(ClientPixel(canvas, 150, 110), kWhite);     // bottom right
    // Colour-on-colour keeps pure picture colours where the quarters meet.
    const std::set<std::uint32_t> pure = {0x000000FFu, 0x0000FF00u, 0x00FF0000u, kWhite};
    EXPECT_EQ(pure.count(ClientPixel(canvas, 100, 75)), 1u);

    // Without Quick Draw the stretch smooths: the meeting point is a blend.
    frame.SetQuickDraw(false);
    frame.Draw(camera, fixture.doc, overlays);
    EXPECT_EQ(pure.count(ClientPixel(frame.Canvas(), 100, 75)), 0u);
}

// Every byte of a frame's canvas, row by row.
std::vector<std::uint8_t> CanvasBytes(const RasterCanvas& canvas) {
    std::vector<std::uint8_t> bytes;
    const std::size_t rowBytes = std::size_t(canvas.Width()) * canvas.BytesPerPixel();
    for (int y = 0; y < canvas.Height(); ++y) {
        bytes.insert(bytes.end(), canvas.Rows()[y], canvas.Rows()[y] + rowBytes);
    }
    return bytes;
}

// The stretched background is kept between frames; every later frame must still show exactly what a
// frame drawn from scratch shows, after the picture's pixels, the window's size or the mode changed.
TEST(SoftwareFrame, KeptBackgroundFollowsThePictureTheSizeAndTheMode) {
    ViewDocument fixture(viewtest::DefaultLook() + " drawgridsize=\"4096\" backimage=\"back.png\"");
    ASSERT_TRUE(fixture.tileSet.BackImage().IsLoaded());
    Camera camera = SizedCamera();
    FrameOverlays overlays;
    SoftwareFrame kept;
    auto expectFresh = [&](const char* when) {
        kept.Draw(camera, fixture.doc, overlays);
        SoftwareFrame fresh;
        fresh.SetQuickDraw(kept.QuickDraw());
        fresh.Draw(camera, fixture.doc, overlays);
        EXPECT_EQ(CanvasBytes(kept.Canvas()), CanvasBytes(fresh.Canvas())) << when;
    };
    expectFresh("first frame");
    const std::vector<std::uint8_t> first = CanvasBytes(kept.Canvas());
    expectFresh("second frame");

    RasterCanvas& picture = *fixture.tileSet.BackImage().canvas;
    picture.Rows()[0][0] ^= 0xFF; // one byte of the bottom-left pixel
    expectFresh("changed picture");
    EXPECT_NE(CanvasBytes(kept.Canvas()), first);

    ASSERT_TRUE(camera.Resize(kWidth + 37, kHeight - 20));
    expectFresh("resized window");

    kept.SetQuickDraw(true);
    expectFresh("quick draw");
}

TEST(SoftwareFrame, OnePixelBackgroundPictureFallsBackToBackColour) {
    ViewDocument fixture(viewtest::DefaultLook() + " drawgridsize=\"4096\" backimage=\"dot.png\"");
    ASSERT_TRUE(fixture.tileSet.BackImage().IsLoaded());
    Camera camera = SizedCamera();
    FrameOverlays overlays;
    SoftwareFrame frame;
    frame.Draw(camera, fixture.doc, overlays);
    ExpectInterior(frame.Canvas(), [](int, int) -> std::optional<std::uint32_t> { return kBackColor; });
}

TEST(SoftwareFrame, HandlesShowForASingleSelectedTileWhenSwitchedOn) {
    ViewDocument fixture;
    TileRef* tile = fixture.Place(viewtest::kRed, 64, 32);
    tile->SetSelected(true);
    Camera camera = SizedCamera();
    FrameOverlays overlays;
    SoftwareFrame frame;

    frame.Draw(camera, fixture.doc, overlays);
    EXPECT_FALSE(ShownResizeHandles(fixture.doc)); // switch off, definition without handles
    EXPECT_NE(ClientPixel(frame.Canvas(), 65, 85), kWhite);

    fixture.state.showResizeHandles = true;
    frame.Draw(camera, fixture.doc, overlays);
    ASSERT_TRUE(ShownResizeHandles(fixture.doc));
    const std::array<Vec2, 4> expected = tile->HandlePoints();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ((*ShownResizeHandles(fixture.doc))[i], expected[i]) << i;
        const ClientPoint at = camera.WorldToClient(expected[i]);
        EXPECT_EQ(ClientPixel(frame.Canvas(), at.x, at.y), kWhite) << i;
        int blacks = 0;
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                blacks += ClientPixel(frame.Canvas(), at.x + dx, at.y + dy) == kBlack;
            }
        }
        EXPECT_GE(blacks, 12) << "outline of handle " << i;
    }
    // The left handle (64, 64) sits at client (65, 85).
    EXPECT_EQ(camera.WorldToClient(expected[0]).x, 65);
    EXPECT_EQ(camera.WorldToClient(expected[0]).y, 85);

    // Two selected tiles: no handles, and the edit tool finds none.
    fixture.Place(viewtest::kRed, 0, 0)->SetSelected(true);
    frame.Draw(camera, fixture.doc, overlays);
    EXPECT_FALSE(ShownResizeHandles(fixture.doc));
    EXPECT_NE(ClientPixel(frame.Canvas(), 65, 85), kWhite);
}

TEST(SoftwareFrame, DefinitionThatAsksForHandlesShowsThemWithoutTheSwitch) {
    ViewDocument fixture;
    fixture.Place(viewtest::kGreen, 100, 40)->SetSelected(true);
    Camera camera = SizedCamera();
    FrameOverlays overlays;
    SoftwareFrame frame;
    EXPECT_TRUE(ShownResizeHandles(fixture.doc));
    frame.Draw(camera, fixture.doc, overlays);
    const ClientPoint left = camera.WorldToClient((*ShownResizeHandles(fixture.doc))[0]);
    EXPECT_EQ(ClientPixel(frame.Canvas(), left.x, left.y), kWhite);
    // Deselected: no handles to find, none drawn.
    fixture.doc.DeselectAll();
    EXPECT_FALSE(ShownResizeHandles(fixture.doc));
    frame.Draw(camera, fixture.doc, overlays);
    EXPECT_NE(ClientPixel(frame.Canvas(), left.x, left.y), kWhite);
}

TEST(SoftwareFrame, EmptyClientAreaDrawsNothing) {
    ViewDocument fixture;
    fixture.Place(viewtest::kGreen, 0, 0)->SetSelected(true);
    Camera camera(true);
    FrameOverlays overlays;
    SoftwareFrame frame;
    frame.Draw(camera, fixture.doc, overlays);
    EXPECT_FALSE(frame.Canvas().HasPixels());
}

TEST(SoftwareFrame, QuickDrawIsReadAndWrittenAsOneByte) {
    viewtest::MemorySettings settings;
    SoftwareFrame frame;
    frame.SetQuickDraw(true);
    frame.LoadQuickDraw(settings);
    EXPECT_FALSE(frame.QuickDraw()); // absent means off

    settings.binary["QuickDraw"] = {2};
    frame.LoadQuickDraw(settings);
    EXPECT_TRUE(frame.QuickDraw()); // any non-zero byte is on

    frame.ToggleQuickDraw(settings);
    EXPECT_FALSE(frame.QuickDraw());
    EXPECT_EQ(settings.binary["QuickDraw"], std::vector<std::uint8_t>{0});
    frame.ToggleQuickDraw(settings);
    EXPECT_TRUE(frame.QuickDraw());
    EXPECT_EQ(settings.binary["QuickDraw"], std::vector<std::uint8_t>{1});

    settings.binary["QuickDraw"] = {};
    frame.LoadQuickDraw(settings);
    EXPECT_FALSE(frame.QuickDraw());
}

TEST(SoftwareFrame, TenMeasuredFramesAskForEachOtherAndEndWithTheRate) {
    ViewDocument fixture;
    std::uint64_t now = 1000;
    SoftwareFrame frame([&now]() { return now += 2; });
    Camera camera = SizedCamera();
    FrameOverlays overlays;
    frame.Timing().StartMeasurement();
    for (int i = 1; i < 10; ++i) {
        const FrameTimingReport report = frame.Draw(camera, fixture.doc, overlays);
        EXPECT_TRUE(report.repaintAgain) << i;
        EXPECT_TRUE(report.StatusText().IsEmpty()) << i;
    }
    const FrameTimingReport last = frame.Draw(camera, fixture.doc, overlays);
    EXPECT_FALSE(last.repaintAgain);
    EXPECT_TRUE(last.StatusText().StartsWith(u"FPS= "));
    EXPECT_FALSE(frame.Draw(camera, fixture.doc, overlays).repaintAgain);
}

} // namespace
