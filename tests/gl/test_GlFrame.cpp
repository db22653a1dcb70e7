#include "GlFixture.h"
#include "view/ViewFixture.h"

#include "document/TextTile.h"
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
#include <cstdlib>
#include <memory>
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

// Pixels further than a small tolerance from the software frame's; first describes the first one.
int DifferingPixels(const RasterCanvas& software, const std::vector<std::uint32_t>& gl, std::string& first) {
    int differing = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t want = viewtest::ClientPixel(software, x, kHeight - 1 - y);
            const std::uint32_t got = gl[static_cast<std::size_t>(y) * kWidth + x];
            if (ChannelDistance(want, got) > 8 && differing++ == 0) {
                first = std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(got) + " vs " +
                        std::to_string(want);
            }
        }
    }
    return differing;
}

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
    Camera openGl;
    openGl.Resize(kWidth, kHeight);
    openGl.FollowPixelCentres(renderer);
    EXPECT_EQ(openGl.ViewMatrix().m31(), 0.0);
    EXPECT_EQ(software.ViewMatrix().m31(), 0.5);
    openGl.PanBy(1.0f, 1.0f);
    const std::vector<std::uint32_t> gl = DrawGl(fixture, openGl, overlays);
    // The red and the green tile and the background picture.
    EXPECT_EQ(textures.Count(), 3);

    std::string first;
    const int differing = DifferingPixels(softwareFrame.Canvas(), gl, first);
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

TEST_F(GlFrame, TintsEntriesAndMovementPathsAsTheSoftwareRendererDoes) {
    ViewDocument fixture;
    // A red piece with the green picture drawn over it, whose path leaves green footsteps turned
    // into blue silhouettes, half faded.
    fixture.dir.Write("paths.set", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                   "<TileSet backcolor=\"10,20,30\" gridcolor=\"200,200,200\" "
                                   "stepimage=\"green.png\" pathtransparency=\"0.5\">\r\n"
                                   "<Tile name=\"Green\" type=\"1\">green.png</Tile>\r\n"
                                   "<Tile name=\"Piece\" type=\"3\" pathcolor=\"0,0,255\">red.png"
                                   "<PostDrawTile name=\"paths.set:Green\" type=\"0\"/></Tile>\r\n"
                                   "</TileSet>\r\n");
    ASSERT_TRUE(fixture.tileSet.Load(u"paths.set"));
    TileRef* piece = fixture.Place(1, 10, 20);
    piece->RecordPathStep();
    piece->SetTransform(Matrix3::Translation(138, 20));
    piece->UpdateBounds();
    TileRef* tinted = fixture.Place(1, 70, 90);
    tinted->SetTintColor(Rgb8(255, 255, 0));
    tinted->SetStrength(0.5);
    tinted->SetTinted(true);

    Camera software;
    software.Resize(kWidth, kHeight);
    SoftwareFrame softwareFrame;
    const FrameOverlays overlays;
    softwareFrame.Draw(software, fixture.doc, overlays);
    Camera openGl(renderer);
    openGl.Resize(kWidth, kHeight);
    openGl.PanBy(1.0f, 1.0f);
    const std::vector<std::uint32_t> gl = DrawGl(fixture, openGl, overlays);
    std::string first;
    EXPECT_LT(DifferingPixels(softwareFrame.Canvas(), gl, first), kWidth * kHeight / 20)
        << "first: " << first;
}

// Pixels of the grid colour (200, 200, 200 over 10, 20, 30) laid at alpha.
int GridPixels(const std::vector<std::uint32_t>& pixels, double alpha) {
    auto mix = [&](int grid, int back) {
        return static_cast<std::uint32_t>(grid * alpha + back * (1 - alpha) + 0.5);
    };
    const std::uint32_t color = mix(200, 10) | (mix(200, 20) << 8) | (mix(200, 30) << 16);
    int count = 0;
    for (std::uint32_t p : pixels) {
        count += ChannelDistance(p, color) <= 2;
    }
    return count;
}

TEST_F(GlFrame, GridFadesBelowFullZoomAndGivesWayToTheOriginMarkBeyondAHundredLines) {
    FrameOverlays overlays;
    ViewDocument fixture;
    Camera camera(renderer);
    camera.Resize(kWidth, kHeight);
    const std::vector<std::uint32_t> full = DrawGl(fixture, camera, overlays);
    // At 100 % the lines every 64 pixels are the grid colour itself; at 50 % half of it.
    EXPECT_GT(GridPixels(full, 1.0), 3 * (kHeight - 5));
    camera.SetZoom(0.5f);
    const std::vector<std::uint32_t> half = DrawGl(fixture, camera, overlays);
    EXPECT_EQ(GridPixels(half, 1.0), 0);
    EXPECT_GT(GridPixels(half, 0.5), 6 * (kHeight - 5));

    // Cells of 2 units: 100 of them across the window and no lines, only the diamond round the origin.
    ViewDocument dense(viewtest::DefaultLook() + " drawgridsize=\"2\"");
    Camera centred(renderer);
    centred.Resize(kWidth, kHeight);
    centred.PanBy(100, 75);
    const std::vector<std::uint32_t> marked = DrawGl(dense, centred, overlays);
    int near = 0, far = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (ChannelDistance(PixelAt(marked, x, y), 0x00C8C8C8) <= 2) {
                (std::abs(x - 100) + std::abs(y - 75) <= 6 ? near : far) += 1;
            }
        }
    }
    EXPECT_GE(near, 16);
    EXPECT_EQ(far, 0);
    // Cells of 4 units: 50 across, and the lines are there.
    ViewDocument coarser(viewtest::DefaultLook() + " drawgridsize=\"4\"");
    EXPECT_GT(GridPixels(DrawGl(coarser, centred, overlays), 1.0), kWidth * kHeight / 10);
}

TEST_F(GlFrame, ErrorsAreReportedAndTheFrameIsStillDrawn) {
    std::vector<WString> reports;
    renderer.SetErrorSink([&](const WString& text) { reports.push_back(text); });
    ViewDocument fixture;
    fixture.Place(viewtest::kRed, 64, 32);
    Camera camera(renderer);
    camera.Resize(kWidth, kHeight);
    MakeTarget(kWidth, kHeight);
    glEnable(0x7FFF); // not a capability: the driver flags an invalid enumerant
    textures.Build(fixture.tileSet);
    FrameComposer(renderer, fixture.doc).ComposeView(camera, FrameOverlays(), false);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0] == WString(u"had error: #(1280) invalid enumerant"));
    EXPECT_EQ(PixelAt(ReadPixels(), 100, 60), 0x000000FFu);
}

TEST_F(GlFrame, TextIsDrawnFromCachedGlyphsAndTheCaretInvertsTwoPixelsWithoutTouchingAlpha) {
    ViewDocument fixture;
    auto owned = std::make_unique<TextTile>(fixture.doc.Context());
    TextTile* text = owned.get();
    text->SetTransform(Matrix3::Translation(20, 40));
    text->SetText(u"Mammal");
    text->UpdateBounds();
    fixture.doc.InsertTile(std::move(owned));
    Camera camera(renderer);
    camera.Resize(kWidth, kHeight);
    FrameOverlays overlays;
    const std::vector<std::uint32_t> plain = DrawGl(fixture, camera, overlays);
    // One glyph per distinct character; the letters in the screen text colour (white) inside the box.
    EXPECT_EQ(glyphs.CachedGlyphCount(), 4);
    int letters = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (ChannelDistance(PixelAt(plain, x, y), 0x00FFFFFF) <= 40) {
                const bool inBox = x >= 19 && x <= 21 + text->Width() && y >= 39 && y <= 41 + text->Height();
                (inBox ? letters : outside) += 1;
            }
        }
    }
    EXPECT_GT(letters, 100);
    EXPECT_EQ(outside, 0);

    overlays.SetTextToolActive(true);
    overlays.SetCaret(text, 2);
    const std::vector<std::uint32_t> caret = DrawGl(fixture, camera, overlays);
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(kWidth) * kHeight * 4);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, alpha.data());
    const auto line = text->CaretLine(2);
    ASSERT_TRUE(line.has_value());
    const int length = static_cast<int>(std::lround(line->second.Y() - line->first.Y()));
    int changed = 0, translucent = 0;
    for (std::size_t i = 0; i < caret.size(); ++i) {
        if (caret[i] != plain[i]) {
            ++changed;
            EXPECT_EQ(caret[i], ~plain[i] & 0x00FFFFFF);
        }
        // Neither the blended letters nor the inverted caret leave a pixel the window would show
        // through.
        translucent += alpha[i * 4 + 3] != 255;
    }
    EXPECT_EQ(translucent, 0);
    EXPECT_GE(changed, 2 * length - 2);
    EXPECT_LE(changed, 2 * length + 2);
}

} // namespace
