// Short texts live inside the string object and longer ones on the heap; nothing a caller can see may
// depend on which, so these cases straddle the boundary between the two.
#include "support/WString.h"
#include "test_WStringPrint.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

namespace {

constexpr int kInline = WString::kInlineUnits;

// n distinct units, so that a misplaced copy shows in the content.
std::u16string Sample(int n, char16_t first = u'A') {
    std::u16string text;
    for (int i = 0; i < n; ++i)
        text.push_back(static_cast<char16_t>(first + i % 50));
    return text;
}

void ExpectHolds(const WString& s, const std::u16string& expected) {
    ASSERT_EQ(s.Length(), static_cast<int>(expected.size()));
    EXPECT_EQ(std::u16string(s.c_str(), expected.size()), expected);
    EXPECT_EQ(s.c_str()[expected.size()], 0) << "not terminated";
}

// The spare a string reports after appending one unit at a time, worked out from the growth rule alone.
struct SpareModel {
    int length = 0;
    int spare = 0;
    void AppendOne() {
        if (length == 0 && spare == 0)
            spare = 9; // a single unit gets room for ten
        else if (spare == 0)
            spare = std::max(length + 1, 10);
        else
            --spare;
        ++length;
    }
};

} // namespace

TEST(WStringInline, EveryLengthAroundTheBoundaryKeepsItsTextThroughCopyAndMove) {
    for (int n = 0; n <= 2 * kInline + 3; ++n) {
        SCOPED_TRACE(n);
        const std::u16string text = Sample(n);
        WString s(text.c_str(), n);
        ExpectHolds(s, text);
        EXPECT_EQ(s.Spare(), n == 1 ? 9 : 0);

        WString copy(s);
        ExpectHolds(copy, text);
        if (n > 0) {
            EXPECT_NE(copy.c_str(), s.c_str()) << "a copy shares its buffer";
        }

        WString moved(std::move(copy));
        ExpectHolds(moved, text);
        EXPECT_TRUE(copy.IsEmpty());
        EXPECT_EQ(copy.Spare(), 0);
        copy.Append(u"reused");
        ExpectHolds(copy, u"reused");

        WString assigned(u"previous text that is longer than the inline room");
        assigned = std::move(moved);
        ExpectHolds(assigned, text);
        assigned = s;
        ExpectHolds(assigned, text);
    }
}

TEST(WStringInline, SpareFollowsTheGrowthRuleWhileCrossingIntoTheHeap) {
    WString s;
    SpareModel model;
    std::u16string expected;
    for (int i = 0; i < 4 * kInline; ++i) {
        const char16_t unit = static_cast<char16_t>(u'a' + i % 26);
        s.AppendUnit(unit);
        model.AppendOne();
        expected.push_back(unit);
        ASSERT_EQ(s.Spare(), model.spare) << "after " << i + 1 << " units";
        ExpectHolds(s, expected);
    }
}

TEST(WStringInline, MovingAwayEveryPlacementLeavesBothSidesUsable) {
    const std::u16string shortText = Sample(kInline - 1), longText = Sample(kInline);
    for (const auto& [from, to] : {std::pair{shortText, longText}, std::pair{longText, shortText},
                                   std::pair{shortText, shortText}, std::pair{longText, longText}}) {
        WString source(from.c_str()), target(to.c_str());
        target = std::move(source);
        ExpectHolds(target, from);
        source = target; // a moved-from string takes a new text
        ExpectHolds(source, from);
        target.AppendUnit(u'!');
        ExpectHolds(target, from + u"!");
        ExpectHolds(source, from);
    }
}

TEST(WStringInline, AppendingItsOwnTextWhileOutgrowingTheInlineRoom) {
    WString s(Sample(12).c_str());
    s.Append(s.c_str() + 2, 10); // the source lives in the room that is about to be left
    ExpectHolds(s, Sample(12) + Sample(12).substr(2, 10));
    WString t(Sample(kInline - 1).c_str());
    t.Append(t);
    ExpectHolds(t, Sample(kInline - 1) + Sample(kInline - 1));
}

TEST(WStringInline, ReserveAndDataGiveZeroedRoomOnBothSides) {
    for (int n : {kInline - 2, kInline - 1, kInline, kInline + 1}) {
        SCOPED_TRACE(n);
        WString s(u"some earlier text");
        s.Reserve(n, true);
        ASSERT_EQ(s.Length(), n);
        ASSERT_NE(s.Data(), nullptr);
        EXPECT_TRUE(std::all_of(s.Data(), s.Data() + n + 1, [](char16_t u) { return u == 0; }));
        s.Reserve(n, false);
        EXPECT_EQ(s.Spare(), n);
        const std::u16string text = Sample(n);
        s.Append(text.c_str(), n);
        EXPECT_EQ(s.Spare(), 0); // fitted in the reserved room
        ExpectHolds(s, text);
    }
}

TEST(WStringInline, TrimClearAndDropKeepTheRoomAndTheText) {
    WString s(u"  padded inline  ");
    s.Trim(true, true);
    ExpectHolds(s, u"padded inline");
    EXPECT_EQ(s.Spare(), 4);
    s.Append(u"!!!!");
    ExpectHolds(s, u"padded inline!!!!");
    EXPECT_EQ(s.Spare(), 0);
    s.DropLast(4);
    s.Append(Sample(kInline).c_str());
    ExpectHolds(s, u"padded inline" + Sample(kInline));
    s.Clear();
    EXPECT_EQ(s.Spare(), 2 * (13 + kInline)); // the grown room was twice the text it grew for
    ExpectHolds(s, u"");
}

TEST(WStringInline, ConversionCacheTravelsWithAMovedString) {
    WString s(u"caf\u00E9");
    const char* bytes = s.ToAnsi(false, WString::kUtf8, false);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(bytes), "caf\xC3\xA9");
    WString moved(std::move(s));
    EXPECT_EQ(moved.ToAnsi(false, WString::kUtf8, false), bytes); // the same cache, not a new one
    EXPECT_EQ(moved.AnsiSize(), 5u);
    moved.AppendUnit(u'!');
    EXPECT_EQ(std::string(moved.ToAnsi(false, WString::kUtf8, false)), "caf\xC3\xA9!");
}
