#include "DocFixture.h"

#include "document/TextTile.h"
#include "platform/PlatformFont.h"
#include "support/Matrix3.h"

#include <gtest/gtest.h>

#include <memory>

using namespace doctest;

namespace {

class TextTileTest : public ::testing::Test, public DocumentTest {
protected:
    TextTile& Make(const char16_t* text, const Matrix3& transform = Matrix3()) {
        auto tile = std::make_unique<TextTile>(doc.Context());
        tile->SetTransform(transform);
        tile->SetText(text);
        TextTile* made = tile.get();
        doc.InsertTile(std::move(tile));
        return *made;
    }
    // What the platform reports for the prefix of text of the given length, at the measuring size.
    static float Prefix(const std::u16string& text, size_t length) {
        FontDescription fontDescription;
        fontDescription.face = u"Arial";
        fontDescription.height = -static_cast<int>(0.66 * 64 * TextTile::kMeasureScale);
        PlatformFont font(fontDescription);
        return font.TextWidth(std::u16string_view(text).substr(0, length)) / float(TextTile::kMeasureScale);
    }
};

TEST_F(TextTileTest, CaretOffsetsAreTheAdvancesOfEachPrefix) {
    TextTile& text = Make(u"AVa");
    ASSERT_EQ(text.CaretOffsets().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(text.CaretOffsets()[i], Prefix(u"AVa", i + 1)) << i;
    }
    EXPECT_GT(text.CaretOffsets()[0], 10.0f); // a capital at 42 units is wide
    EXPECT_LT(text.CaretOffsets()[0], text.CaretOffsets()[1]);
    EXPECT_FLOAT_EQ(text.Width(), Prefix(u"AVa", 3));
    EXPECT_FLOAT_EQ(text.Height(), 64.0f);
    EXPECT_EQ(text.Bounds(), Rect2(0, text.Width(), 0, 64));
}

TEST_F(TextTileTest, LineFeedTakesNoRoom) {
    TextTile& text = Make(u"a\nb");
    EXPECT_EQ(text.CaretOffsets()[1], 0.0f);
    EXPECT_GT(text.CaretOffsets()[2], 0.0f);
}

TEST_F(TextTileTest, TypingReplacesALoneBlankAndInsertsElsewhere) {
    TextTile& text = Make(u"");
    EXPECT_TRUE(text.IsEmptyText());
    text.InsertChar(u'a', 0);
    EXPECT_EQ(text.Text().ToUtf8(), "a");
    text.SetText(u" ");
    EXPECT_TRUE(text.IsEmptyText());
    text.InsertChar(u'b', 1);
    EXPECT_EQ(text.Text().ToUtf8(), "b");
    text.InsertChar(u'c', 0);
    text.InsertChar(u'd', 99);
    EXPECT_EQ(text.Text().ToUtf8(), "cbd");
    text.DeleteChar(1);
    EXPECT_EQ(text.Text().ToUtf8(), "cd");
    text.DeleteChar(5);
    EXPECT_EQ(text.Text().ToUtf8(), "cd");
    text.DeleteChar(0);
    text.DeleteChar(0);
    EXPECT_TRUE(text.IsEmptyText());
    doc.RemoveEmptyTexts();
    EXPECT_EQ(doc.TileCount(), 0);
}

TEST_F(TextTileTest, SettingTheSameTextChangesNothing) {
    TextTile& text = Make(u"Hall");
    state.changed = false;
    text.SetText(u"Hall");
    EXPECT_FALSE(state.changed);
    text.SetText(u"Halls");
    EXPECT_TRUE(state.changed);
}

TEST_F(TextTileTest, CaretLineRunsUpFromTheBaseline) {
    TextTile& text = Make(u"ab", Matrix3::Translation(100, 200));
    const auto start = text.CaretLine(0);
    ASSERT_TRUE(start.has_value());
    EXPECT_NEAR(start->first.X(), 100, 1e-4);
    EXPECT_NEAR(start->first.Y(), 200 + 0.33 * 64, 1e-4);
    EXPECT_NEAR(start->second.Y(), 200 + 0.99 * 64, 1e-4);
    const auto end = text.CaretLine(2);
    ASSERT_TRUE(end.has_value());
    EXPECT_NEAR(end->first.X(), 100 + text.CaretOffsets()[1], 1e-4);
    EXPECT_FALSE(text.CaretLine(3).has_value());
}

TEST_F(TextTileTest, ClickOnTheMiddleOfACharacterPutsTheCaretAfterIt) {
    TextTile& text = Make(u"WW", Matrix3::Translation(64, 0));
    const float first = text.CaretOffsets()[0];
    const float second = text.CaretOffsets()[1];
    const float middle = first / 2;
    EXPECT_EQ(text.CaretIndexAt(Vec2(64 + middle - 0.01f, 10)), 0);
    EXPECT_EQ(text.CaretIndexAt(Vec2(64 + middle, 10)), 1);
    EXPECT_EQ(text.CaretIndexAt(Vec2(64 + first + (second - first) / 2 + 0.01f, 10)), 2);
    int caret = -1;
    EXPECT_EQ(doc.HitTestText(Vec2(64 + middle + 1, 10), caret), &text);
    EXPECT_EQ(caret, 1);
    EXPECT_EQ(doc.HitTestText(Vec2(10, 10), caret), nullptr);
}

TEST_F(TextTileTest, EveryPointOfTheBoxHits) {
    TextTile& text = Make(u"Hi", Matrix3::Translation(0, 0));
    EXPECT_TRUE(text.HitTest(Vec2(1, 1)));
    EXPECT_TRUE(text.HitTest(Vec2(text.Width() - 1, 63)));
    EXPECT_FALSE(text.HitTest(Vec2(1, 64))); // rounds past the top row
    EXPECT_FALSE(text.HitTest(Vec2(-1, 1)));
}

TEST_F(TextTileTest, TextSnapsOnAQuarterCell) {
    TextTile& text = Make(u"x", Matrix3::Translation(23.9, 24.1));
    text.Snap();
    EXPECT_EQ(text.Origin(), Vec2(16, 32));
    text.SetFree(true);
    text.SetTransform(Matrix3::Translation(23.9f, 1));
    text.Snap();
    EXPECT_EQ(text.Origin(), Vec2(23.9f, 1));
}

TEST_F(TextTileTest, ResizingSnapsLengthsToQuarterCells) {
    TextTile& text = Make(u"Long label", Matrix3());
    const float middle = text.Width() / 2;
    text.ResizeByHandle(Vec2(middle, 41), TileRef::kHandleTop, true);
    EXPECT_NEAR(text.Bounds().Height(), 48, 1e-3); // 41 is 2 quarters and 9 more: rounds up
    text.ResizeByHandle(Vec2(middle, 39), TileRef::kHandleTop, true);
    EXPECT_NEAR(text.Bounds().Height(), 32, 1e-3);
}

TEST_F(TextTileTest, BoxHeightFollowsTheGridOnlyWhenTheTextChanges) {
    TextTile& text = Make(u"Hall");
    WriteTestTileSet(dir, "g32.set", "gridsize=\"32\"");
    tileSet.Load(u"g32.set");
    text.UpdateBounds();
    EXPECT_FLOAT_EQ(text.Height(), 64.0f);
    text.InsertChar(u's', 4);
    EXPECT_FLOAT_EQ(text.Height(), 32.0f);
}

TEST_F(TextTileTest, CopyTakesTextTintAndPlaceButTheDefaultStrength) {
    TextTile& text = Make(u"Copy me", Matrix3::Translation(16, 16));
    text.SetTinted(true);
    text.SetTintColor(Rgb8(9, 9, 9));
    text.SetStrength(0.8);
    state.changed = false;
    TextTile copy(doc.Context());
    copy.CopyFrom(text);
    EXPECT_FALSE(state.changed);
    EXPECT_EQ(copy.Text().ToUtf8(), "Copy me");
    EXPECT_EQ(copy.TintColor(), Rgb8(9, 9, 9));
    EXPECT_DOUBLE_EQ(copy.Strength(), 0.25);
    EXPECT_EQ(copy.Bounds(), text.Bounds());
    EXPECT_EQ(copy.Kind(), -1);
    EXPECT_EQ(copy.Sort(), -1);
    EXPECT_FALSE(copy.CanFlip());
    EXPECT_EQ(copy.Image(false), nullptr);
}

} // namespace
