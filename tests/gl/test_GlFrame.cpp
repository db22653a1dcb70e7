#include "GlFixture.h"
#include "view/ViewFixture.h"

#include "document/TileRef.h"
#include "gl/GlRenderer.h"
#include "gl/GlTextureCache.h"
#include "gl/TextFont.h"
#include "view/Camera.h"
#include "view/FrameComposer.h"
#include "view/FrameOverlays.h"
#include "view/ResizeHandles.h"
#include "view/SoftwareFrame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using gltest::ChannelDistance;
using viewtest::ViewDocument;

constexpr int kWidth = 200;
constexpr int kHeight = 150;

class GlFrame : public gltest::GlFixture {
protected:
    // Draws the document through OpenGL as camera sees it and reads the frame back.
    std::vector<std::uint32_t> DrawGl(ViewDocument& fixture, const Camera& camera,
                                      const FrameOverlays& overlays) {
        MakeTarget(camera.ClientWidth(), camera.ClientHeight());
        textures.Build(fixture.tileSet);
        FrameComposer(renderer, fixture.doc).ComposeView(camera, overlays, false);
        return ReadPixels();
    }

    GlTextureCache textures;
    TextFont glyphs;
    GlRenderer renderer{textures, glyphs};
};

TEST_F(GlFrame, DrawsTheSameFrameAsTheSoftwareRenderer) {
    ViewDocument fixture(viewtest::DefaultLook() + " backimage=\"back.png\"");
    fixture.Place(viewtest::kRed, 64, 32);
    TileRef* green = fixture.Place(viewtest::kGreen, 10, 80);
    green->SetSelected(true);
    FrameOverlays overlays;
    overlays.StartBand(Vec2(20, 20), Vec2(150, 110));

    Camera software;
    software.Resize(kWidth, kHeight);
    SoftwareFrame softwareFrame;
    softwareFrame.Draw(software, fixture.doc, overlays);

    // Each camera keeps its renderer's pixel centres: at 100 % the software one sits half a pixel
    // off the whole numbers, the OpenGL one on them; one pixel further on, both sample the world at
    // the same points.
    Camera openGl(renderer);
    openGl.Resize(kWidth, kHeight);
    EXPECT_EQ(openGl.ViewMatrix().m31(), 0.0);
    EXPECT_EQ(software.ViewMatrix().m31(), 0.5);
    openGl.PanBy(1.0f, 1.0f);
    const std::vector<std::uint32_t> gl = DrawGl(fixture, openGl, overlays);

    int differing = 0;
    std::string first;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t want = viewtest::ClientPixel(softwareFrame.Canvas(), x, kHeight - 1 - y);
            const std::uint32_t got = PixelAt(gl, x, y);
            if (ChannelDistance(want, got) > 8) {
                if (differing++ == 0) {
                    first = std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(got) +
                            " vs " + std::to_string(want);
                }
            }
        }
    }
    // The renderers differ only along lines and edges: a horizontal line lies one row apart (the
    // software grid counts client rows from the top), the band's dashes keep another rhythm and the
    // rasterizer's tile edges reach half a pixel further. A tile, picture or colour out of place
    // costs far more than this.
    EXPECT_LT(differing, kWidth * kHeight / 20) << "first: " << first;

    // Small things the share could miss: a white handle on each pixel the handle points fall on, and
    // the band's upper edge inverting every other run of four pixels.
    const auto handles = ShownResizeHandles(fixture.doc);
    ASSERT_TRUE(handles.has_value());
    for (const Vec2& worldPt : *handles) {
        const Vec2 viewPt = openGl.WorldToView(worldPt);
        const int x = static_cast<int>(std::floor(viewPt.X() + 0.5)) - 1;
        const int y = static_cast<int>(std::floor(viewPt.Y() + 0.5)) - 1;
        EXPECT_EQ(PixelAt(gl, x, y), 0x00FFFFFFu) << x << "," << y;
    }
    const int bandRow = static_cast<int>(openGl.WorldToView(Vec2(0, 110)).Y());
    int inverted = 0;
    for (int x = 30; x < 140; ++x) {
        inverted += ChannelDistance(PixelAt(gl, x, bandRow), ~PixelAt(gl, x, bandRow + 2) & 0x00FFFFFF) <= 24;
    }
    EXPECT_GT(inverted, 110 * 2 / 5);
    EXPECT_LT(inverted, 110 * 3 / 5);
}

} // namespace
