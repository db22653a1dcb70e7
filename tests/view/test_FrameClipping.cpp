#include "ViewFixture.h"

#include "document/TextTile.h"
#include "support/XmlDocument.h"
#include "view/Camera.h"
#include "view/FrameOverlays.h"
#include "view/SoftwareFrame.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using viewtest::ClientPixel;
using viewtest::kBackColor;
using viewtest::kGridColor;
using viewtest::ViewDocument;

constexpr int kWidth = 200;
constexpr int kHeight = 150;
// Pixels this close to an edge of the box (its outline, the frame's border, rounding) are not judged.
constexpr int kEdgeReach = 3;

// The last text tile with text in a map file of the fuzz corpus, read into the document.
TextTile* ReadCorpusText(ViewDocument& fixture, const char* name) {
    XmlDocument file;
    if (!file.Load(WString::FromUtf8(std::string(GV_SOURCE_DIR "/fuzz/corpus/map/") + name))) {
        return nullptr;
    }
    fixture.doc.ReadXml(file, false);
    TextTile* found = nullptr;
    for (int i = 0; i < fixture.doc.TileCount(); ++i) {
        auto* text = dynamic_cast<TextTile*>(fixture.doc.TileAt(i));
        if (text != nullptr && !text->IsEmptyText()) {
            found = text;
        }
    }
    return found;
}

struct Coverage {
    int inside = 0;
    int outside = 0;
    int wrong = 0;
};

// Judges every pixel whose whole neighbourhood lies on one side of the box's edges: inside, the box's
// fill (the grid colour); outside, the back colour.
Coverage JudgeBox(const RasterCanvas& canvas, const Camera& camera, const TextTile& text) {
    auto inside = [&](int x, int y) { return text.HitTest(camera.ClientToWorld(x + 0.5, y + 0.5)); };
    Coverage coverage;
    for (int y = kEdgeReach; y < kHeight - kEdgeReach; ++y) {
        for (int x = kEdgeReach; x < kWidth - kEdgeReach; ++x) {
            const bool in = inside(x, y);
            bool clear = true;
            for (int d = -kEdgeReach; d <= kEdgeReach && clear; d += kEdgeReach) {
                for (int e = -kEdgeReach; e <= kEdgeReach && clear; e += kEdgeReach) {
                    clear = inside(x + d, y + e) == in;
                }
            }
            if (!clear) {
                continue;
            }
            ++(in ? coverage.inside : coverage.outside);
            coverage.wrong += ClientPixel(canvas, x, y) != (in ? kGridColor : kBackColor);
        }
    }
    return coverage;
}

TEST(FrameClipping, HugeSelectedTextBoxDrawsInMillisecondsAtEveryZoom) {
    // Grid lines so far apart that none but the box's own left edge falls on the window.
    ViewDocument fixture(viewtest::DefaultLook() + " drawgridsize=\"100000\"");
    TextTile* text = ReadCorpusText(fixture, "huge-text-box.gv");
    ASSERT_NE(text, nullptr);
    // The finding's box: 1.9e22 pixels wide per image unit, -2.3e7 down from the origin.
    ASSERT_GT(text->Bounds().MaxX(), 1e23f);
    fixture.doc.SelectAll();
    FrameOverlays overlays;
    overlays.SetTextToolActive(true);
    const Rect2& box = text->Bounds();
    overlays.SetTextBox({Vec2(box.MinX(), box.MinY()), Vec2(box.MaxX(), box.MinY()),
                         Vec2(box.MaxX(), box.MaxY()), Vec2(box.MinX(), box.MaxY())});
    overlays.SetCaret(text, 0);
    Camera camera(true);
    camera.Resize(kWidth, kHeight);
    SoftwareFrame frame;

    const auto start = std::chrono::steady_clock::now();
    for (float zoom : {Camera::kMinZoom, 0.1f, 1.0f, Camera::kMaxZoom}) {
        camera.SetZoom(zoom);
        // The box's left edge down the middle of the window; world y = 0, with its grid line, just
        // below the window.
        const Vec2 originViewPt = camera.WorldToView(Vec2(0, 0));
        camera.PanBy(kWidth / 2.0f - originViewPt.X(), -10.0f - originViewPt.Y());
        frame.Draw(camera, fixture.doc, overlays);
        const Coverage coverage = JudgeBox(frame.Canvas(), camera, *text);
        EXPECT_GT(coverage.inside, 5000) << zoom;
        EXPECT_GT(coverage.outside, 5000) << zoom;
        EXPECT_EQ(coverage.wrong, 0) << zoom;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(FrameClipping, TextBoxThatHungTheFuzzerDrawsInMilliseconds) {
    ViewDocument fixture;
    TextTile* text = ReadCorpusText(fixture, "text-box-hang.gv");
    ASSERT_NE(text, nullptr);
    ASSERT_GT(text->Bounds().MaxX(), 1e25f);
    fixture.doc.SelectAll();
    Camera camera(true);
    camera.Resize(kWidth, kHeight);
    SoftwareFrame frame;
    const auto start = std::chrono::steady_clock::now();
    for (float zoom : {Camera::kMinZoom, 0.1f, 1.0f, Camera::kMaxZoom}) {
        camera.SetZoom(zoom);
        frame.Draw(camera, fixture.doc, FrameOverlays());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

} // namespace
