#include "ViewFixture.h"

#include "document/TextTile.h"
#include "view/Camera.h"
#include "view/FrameOverlays.h"
#include "view/SoftwareFrame.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using viewtest::ClientPixel;
using viewtest::Inverted;
using viewtest::ViewDocument;

constexpr int kWidth = 200;
constexpr int kHeight = 150;

struct Changed {
    int x;
    int y;
    std::uint32_t before;
    std::uint32_t after;
};

// Draws the document once without and once with the overlays and lists the pixels that differ.
class OverlayFrames {
public:
    OverlayFrames() : camera(true) { camera.Resize(kWidth, kHeight); }

    std::vector<Changed> Differences(const FrameOverlays& overlays) {
        const FrameOverlays none;
        frame.Draw(camera, fixture.doc, none);
        std::vector<std::uint32_t> before;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                before.push_back(ClientPixel(frame.Canvas(), x, y));
            }
        }
        frame.Draw(camera, fixture.doc, overlays);
        std::vector<Changed> changed;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::uint32_t after = ClientPixel(frame.Canvas(), x, y);
                if (after != before[y * kWidth + x]) {
                    changed.push_back({x, y, before[y * kWidth + x], after});
                }
            }
        }
        return changed;
    }

    ViewDocument fixture;
    Camera camera;
    SoftwareFrame frame;
};

bool OnOutline(const Changed& c, int left, int top, int right, int bottom) {
    const bool onVertical = (c.x == left || c.x == right) && c.y >= top && c.y <= bottom;
    const bool onHorizontal = (c.y == top || c.y == bottom) && c.x >= left && c.x <= right;
    return onVertical || onHorizontal;
}

void ExpectAllInvertedOnOutline(const std::vector<Changed>& changed, int left, int top, int right,
                                int bottom) {
    for (const Changed& c : changed) {
        EXPECT_TRUE(OnOutline(c, left, top, right, bottom)) << c.x << ", " << c.y;
        EXPECT_EQ(c.after, Inverted(c.before)) << c.x << ", " << c.y;
    }
}

TEST(FrameOverlays, RubberBandIsADottedInvertedRectangle) {
    OverlayFrames frames;
    frames.fixture.Place(viewtest::kRed, 64, 32); // the band crosses a tile and the grid
    FrameOverlays overlays;
    // World (30, 30) .. (150, 110) lands on client (31, 119) .. (151, 39).
    overlays.StartBand(Vec2(30, 30), Vec2(90, 90));
    overlays.MoveBand(Vec2(150, 110));
    const std::vector<Changed> changed = frames.Differences(overlays);
    ExpectAllInvertedOnOutline(changed, 31, 39, 151, 119);
    // Dotted: about every other run of pixels along the 400-pixel outline.
    EXPECT_GT(changed.size(), 150u);
    EXPECT_LT(changed.size(), 250u);
    // All four sides carry dots.
    int sides[4] = {};
    for (const Changed& c : changed) {
        sides[0] += c.x == 31;
        sides[1] += c.x == 151;
        sides[2] += c.y == 39;
        sides[3] += c.y == 119;
    }
    for (int count : sides) {
        EXPECT_GT(count, 20);
    }

    overlays.EndBand();
    EXPECT_TRUE(frames.Differences(overlays).empty());
}

TEST(FrameOverlays, TextBoxIsASolidInvertedOutlineOnlyInTheTextTool) {
    OverlayFrames frames;
    FrameOverlays overlays;
    overlays.SetTextBox({Vec2(40, 20), Vec2(56, 20), Vec2(56, 84), Vec2(40, 84)});
    EXPECT_TRUE(frames.Differences(overlays).empty()) << "drawn outside the text tool";

    overlays.SetTextToolActive(true);
    const std::vector<Changed> changed = frames.Differences(overlays);
    // Client (41, 129) .. (57, 65): every pixel of the 160-pixel outline, each once.
    ExpectAllInvertedOnOutline(changed, 41, 65, 57, 129);
    EXPECT_EQ(changed.size(), 2u * (16 + 64));

    // A band in progress hides the text box.
    overlays.StartBand(Vec2(100, 100), Vec2(120, 110));
    for (const Changed& c : frames.Differences(overlays)) {
        EXPECT_FALSE(OnOutline(c, 41, 65, 57, 129)) << c.x << ", " << c.y;
    }

    // A cleared box has no size and draws nothing.
    overlays.EndBand();
    overlays.ClearTextBox();
    EXPECT_TRUE(frames.Differences(overlays).empty());
}

TEST(FrameOverlays, CaretInvertsATwoPixelLineAtTheCaretIndex) {
    OverlayFrames frames;
    auto owned = std::make_unique<TextTile>(frames.fixture.doc.Context());
    TextTile* text = owned.get();
    text->SetTransform(Matrix3::Translation(40, 40));
    text->SetText(u"Caret");
    text->UpdateBounds();
    frames.fixture.doc.InsertTile(std::move(owned));
    const auto line = text->CaretLine(2);
    ASSERT_TRUE(line.has_value());

    FrameOverlays overlays;
    overlays.SetTextToolActive(true);
    overlays.SetCaret(text, 2);
    const std::vector<Changed> changed = frames.Differences(overlays);
    ASSERT_FALSE(changed.empty());
    const ClientPoint lower = frames.camera.WorldToClient(line->first);
    const ClientPoint upper = frames.camera.WorldToClient(line->second);
    const int length = std::abs(lower.y - upper.y);
    // Two pixels wide along the caret's length.
    EXPECT_GE(static_cast<int>(changed.size()), 2 * length - 2);
    EXPECT_LE(static_cast<int>(changed.size()), 3 * (length + 2));
    for (const Changed& c : changed) {
        EXPECT_EQ(c.after, Inverted(c.before));
        EXPECT_LE(std::abs(c.x - lower.x), 2) << c.x << ", " << c.y;
        EXPECT_GE(c.y, std::min(lower.y, upper.y) - 2);
        EXPECT_LE(c.y, std::max(lower.y, upper.y) + 2);
    }

    // Past the end of the text there is no caret line.
    overlays.SetCaret(text, 99);
    EXPECT_TRUE(frames.Differences(overlays).empty());
    overlays.ClearCaret();
    EXPECT_TRUE(frames.Differences(overlays).empty());
}

} // namespace
