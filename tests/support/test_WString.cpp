#include "support/WString.h"
#include "test_WStringPrint.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <vector>

namespace {

WString W(const char16_t* text) {
    return WString(text);
}

} // namespace

TEST(WStringBasics, EmptyStringsAreNeverNullAndCompareEqual) {
    WString empty;
    ASSERT_NE(empty.c_str(), nullptr);
    EXPECT_EQ(empty.c_str()[0], 0);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty, W(u""));
    EXPECT_EQ(WString(static_cast<const char16_t*>(nullptr)), empty);
    EXPECT_EQ(empty.At(0), 0);
}

TEST(WStringBasics, ConstructionAndAssignmentFromEveryKind) {
    EXPECT_EQ(WString(7u), W(u"7"));
    EXPECT_EQ(WString("caf\xE9"), W(u"caf\u00E9")); // 8-bit text is Windows-1252
    WString s;
    s = -3;
    EXPECT_EQ(s, W(u"-3"));
    s = 4000000000u;
    EXPECT_EQ(s, W(u"4000000000"));
    s = 2.0;
    EXPECT_EQ(s, W(u"2.0"));
    s = u'x';
    EXPECT_EQ(s, W(u"x"));
    s = u'\0';
    EXPECT_TRUE(s.IsEmpty());
    s = u"abc";
    s += u"def";
    s += 1;
    s += u'!';
    s += "\x80";
    EXPECT_EQ(s, W(u"abcdef1!\u20AC"));
    WString moved(std::move(s));
    EXPECT_EQ(moved.Length(), 9);
    EXPECT_EQ(moved.At(8), 0x20AC);
    EXPECT_EQ(moved.At(9), 0);
}

TEST(WStringBasics, AppendingItselfOrItsOwnTailIsSafe) {
    WString s(u"abc");
    s.Append(s);
    EXPECT_EQ(s, W(u"abcabc"));
    s.Append(s.c_str() + 4, 2);
    EXPECT_EQ(s, W(u"abcabcbc"));
    s = s.c_str() + 6;
    EXPECT_EQ(s, W(u"bc"));
}

TEST(WStringBasics, GrowthLeavesRoomForRepeatedSmallAppends) {
    WString one;
    one.AppendUnit(u'a');
    EXPECT_EQ(one.Length(), 1);
    EXPECT_EQ(one.Spare(), 9); // a single unit gets room for ten

    WString exact(u"abc");
    EXPECT_EQ(exact.Spare(), 0); // a first append of several units takes exactly that
    exact.AppendUnit(u'd');
    EXPECT_EQ(exact.Spare(), 10); // max(4, 10)
    exact.Append(u"0123456789");
    EXPECT_EQ(exact.Spare(), 0); // fitted in place
    exact.AppendUnit(u'e');
    EXPECT_EQ(exact.Spare(), 15); // doubles: spare = new length
    EXPECT_EQ(exact, W(u"abcd0123456789e"));
}

TEST(WStringBasics, ReserveGivesZeroUnitsAsLengthOrAsSpare) {
    WString s(u"old");
    s.Reserve(3, true);
    ASSERT_EQ(s.Length(), 3);
    EXPECT_EQ(s.Data()[0], 0);
    EXPECT_EQ(s.Data()[2], 0);
    s.Reserve(5, false);
    EXPECT_EQ(s.Length(), 0);
    EXPECT_EQ(s.Spare(), 5);
    s.Append(u"hello");
    EXPECT_EQ(s.Spare(), 0);
    EXPECT_EQ(s, W(u"hello"));
}

TEST(WStringNumbers, RealsAlwaysCarryASeparator) {
    auto real = [](double x) {
        WString s;
        s.AppendReal(x);
        return s;
    };
    EXPECT_EQ(real(1), W(u"1.0"));
    EXPECT_EQ(real(0.1), W(u"0.1"));
    EXPECT_EQ(real(0), W(u"0.0"));
    EXPECT_EQ(real(-2.5), W(u"-2.5"));
    EXPECT_EQ(real(1234567), W(u"1.23457e+06")); // already has its point
    EXPECT_EQ(real(1e20), W(u"1e+20.0"));        // exponent form without point gets one after it
    EXPECT_EQ(real(0.25), W(u"0.25"));
}

TEST(WStringNumbers, IntegersAreBareDecimals) {
    WString s;
    s.AppendInt(-42);
    s.AppendUnit(u' ');
    s.AppendInt(0);
    s.AppendUnit(u' ');
    s.AppendUnsigned(4294967295u);
    s.AppendUnit(u' ');
    s.AppendInt(LLONG_MIN);
    EXPECT_EQ(s, W(u"-42 0 4294967295 -9223372036854775808"));
}

TEST(WStringNumbers, ReadingAcceptsBothSeparatorsAndIgnoresTrailingText) {
    EXPECT_DOUBLE_EQ(W(u"2,5").AsReal(), 2.5);
    EXPECT_DOUBLE_EQ(W(u"2.5").AsReal(), 2.5);
    EXPECT_DOUBLE_EQ(W(u"  -3.25xyz").AsReal(), -3.25);
    EXPECT_DOUBLE_EQ(W(u"1e+20.0").AsReal(), 1e20);
    EXPECT_EQ(W(u"").AsReal(), 0.0);
    EXPECT_EQ(W(u"abc").AsReal(), 0.0);
    EXPECT_FLOAT_EQ(W(u"0.1").AsFloat(), 0.1f);
    EXPECT_EQ(W(u"3\u00B7").AsReal(), 3.0);
}

TEST(WStringNumbers, IntegerReadingFollowsTheDecimalConversion) {
    EXPECT_EQ(W(u" -17abc").AsInt(), -17);
    EXPECT_EQ(W(u"+8").AsInt(), 8);
    EXPECT_EQ(W(u"abc").AsInt(), 0);
    EXPECT_EQ(W(u"").AsInt(), 0);
    EXPECT_EQ(W(u"99999999999").AsInt(), INT_MAX);
    EXPECT_EQ(W(u"-99999999999").AsInt(), INT_MIN);
    EXPECT_EQ(W(u"-2147483648").AsInt(), INT_MIN);
    EXPECT_EQ(W(u"4294967295").AsUnsigned(), 4294967295u);
    EXPECT_EQ(W(u"-1").AsUnsigned(), 4294967295u);
    EXPECT_EQ(W(u"99999999999").AsUnsigned(), UINT_MAX);
    EXPECT_EQ(W(u"12.9").AsInt(), 12);
}

TEST(WStringNumbers, BooleansAreTrueOnlyForThreeSpellingsOfTrue) {
    EXPECT_TRUE(W(u"true").AsBool());
    EXPECT_TRUE(W(u"TRUE").AsBool());
    EXPECT_TRUE(W(u"True").AsBool());
    EXPECT_TRUE(W(u"truex").AsBool());
    EXPECT_FALSE(W(u" true").AsBool());
    EXPECT_FALSE(W(u"tRUE").AsBool());
    EXPECT_FALSE(W(u"tru").AsBool());
    EXPECT_FALSE(W(u"1").AsBool());
    EXPECT_FALSE(W(u"").AsBool());
}

TEST(WStringText, TrimAndWhiteSpaceTests) {
    WString both(u" \t a b \r\n");
    EXPECT_EQ(both.Trim(), W(u"a b"));
    WString leading(u"  a  ");
    EXPECT_EQ(leading.Trim(true, false), W(u"a  "));
    WString trailing(u"  a  ");
    EXPECT_EQ(trailing.Trim(false, true), W(u"  a"));
    WString blank(u" \v\f ");
    EXPECT_TRUE(blank.IsAllSpace());
    EXPECT_TRUE(blank.Trim().IsEmpty());
    EXPECT_FALSE(W(u"").IsAllSpace());
    EXPECT_FALSE(W(u" a").IsAllSpace());
    EXPECT_FALSE(W(u"\u00A0").IsAllSpace()); // no-break space is not white space here
}

TEST(WStringText, CaseInsensitiveEqualityNeedsEqualLengths) {
    EXPECT_TRUE(W(u"Castle:Wall").EqualsNoCase(u"castle:WALL"));
    EXPECT_TRUE(W(u"\u00C4rger \u0391\u0411").EqualsNoCase(u"\u00E4RGER \u03B1\u0431"));
    EXPECT_TRUE(W(u"\u0141\u00F3d\u017A").EqualsNoCase(u"\u0142\u00D3D\u0179"));
    EXPECT_FALSE(W(u"abc").EqualsNoCase(u"abcd"));
    EXPECT_FALSE(W(u"abc").EqualsNoCase(u"abd"));
    EXPECT_TRUE(W(u"").EqualsNoCase(static_cast<const char16_t*>(nullptr)));
    EXPECT_LT(W(u"apple").CompareNoCase(W(u"Banana")), 0);
    EXPECT_EQ(W(u"APPLE").CompareNoCase(W(u"apple")), 0);
    EXPECT_GT(W(u"apples").CompareNoCase(W(u"APPLE")), 0);
}

TEST(WStringText, SearchingReportsPositions) {
    const WString key(u"tiles:grass");
    EXPECT_EQ(key.Find(u":"), 5);
    EXPECT_EQ(key.Find(u"x"), -1);
    EXPECT_EQ(key.FindAfter(u":", 0, true), 6);
    EXPECT_EQ(key.FindAfter(u"s", 6, false), 9);
    EXPECT_EQ(key.FindAfter(u"s", 11, false), -1);
    EXPECT_EQ(key.FindAfter(u"t", 99, false), -1);
    EXPECT_TRUE(key.StartsWith(u"tiles"));
    EXPECT_FALSE(key.StartsWith(u"tiles:grass!"));
    EXPECT_TRUE(key.EndsWith(u"grass"));
    EXPECT_FALSE(key.EndsWith(u"Grass"));
}

TEST(WStringText, SubstringAndDropLastStayInsideTheText) {
    const WString s(u"abcdef");
    EXPECT_EQ(s.Substring(2, 3), W(u"cde"));
    EXPECT_EQ(s.Substring(3, 3), W(u"def"));
    EXPECT_TRUE(s.Substring(4, 3).IsEmpty());
    EXPECT_TRUE(s.Substring(-1, 2).IsEmpty());
    EXPECT_TRUE(s.Substring(2, INT_MAX).IsEmpty());
    WString d(u"abc");
    d.DropLast(5);
    EXPECT_EQ(d, W(u"abc"));
    d.DropLast(2);
    EXPECT_EQ(d, W(u"a"));
}

TEST(WStringText, ReplacingAndRemoving) {
    WString s(u"a-b-c");
    s.ReplaceUnit(u'-', u'+');
    EXPECT_EQ(s, W(u"a+b+c"));
    s.RemoveUnit(u'+');
    EXPECT_EQ(s, W(u"abc"));
    WString t(u"a-b-c");
    EXPECT_EQ(t.ReplaceText(W(u"-"), W(u"--")), 2);
    EXPECT_EQ(t, W(u"a--b--c"));
    WString u4(u"aaaa");
    EXPECT_EQ(u4.ReplaceText(W(u"aa"), W(u"b")), 2);
    EXPECT_EQ(u4, W(u"bb"));
    EXPECT_EQ(u4.ReplaceText(W(u"zz"), W(u"y")), 0);
    EXPECT_EQ(u4.ReplaceText(W(u""), W(u"y")), 0);
    EXPECT_EQ(u4, W(u"bb"));
}

TEST(WStringText, LinesCountWithoutTrailingLineFeeds) {
    EXPECT_EQ(W(u"").LineCount(), 0);
    EXPECT_EQ(W(u"a").LineCount(), 1);
    EXPECT_EQ(W(u"a\nb").LineCount(), 2);
    EXPECT_EQ(W(u"a\nb\n").LineCount(), 2);
    EXPECT_EQ(W(u"a\n\nb").LineCount(), 3);
    const WString text(u"first\nsecond\n\nfourth");
    EXPECT_EQ(text.Line(0), W(u"first"));
    EXPECT_EQ(text.Line(1), W(u"second"));
    EXPECT_TRUE(text.Line(2).IsEmpty());
    EXPECT_EQ(text.Line(3), W(u"fourth"));
    EXPECT_TRUE(text.Line(4).IsEmpty());
    EXPECT_TRUE(text.Line(-1).IsEmpty());
}

TEST(WStringText, FieldsOfCommaSeparatedLists) {
    const WString colour(u"255, 128 ,0");
    WString field;
    ASSERT_TRUE(colour.Field(0, u',', true, field));
    EXPECT_EQ(field, W(u"255"));
    ASSERT_TRUE(colour.Field(1, u',', true, field));
    EXPECT_EQ(field, W(u"128"));
    ASSERT_TRUE(colour.Field(1, u',', false, field));
    EXPECT_EQ(field, W(u" 128 "));
    ASSERT_TRUE(colour.Field(2, u',', false, field));
    EXPECT_EQ(field, W(u"0"));
    EXPECT_FALSE(colour.Field(3, u',', true, field));
    EXPECT_FALSE(colour.Field(-1, u',', true, field));
    ASSERT_TRUE(W(u"a,,b").Field(1, u',', true, field));
    EXPECT_TRUE(field.IsEmpty());
    EXPECT_TRUE(W(u"").Field(0, u',', true, field));
}

TEST(WStringText, LineFeedsBecomeCrLfOnce) {
    WString s(u"\na\nb\r\nc\n");
    s.ToCrLf();
    EXPECT_EQ(s, W(u"\r\na\r\nb\r\nc\r\n"));
    s.ToCrLf();
    EXPECT_EQ(s, W(u"\r\na\r\nb\r\nc\r\n"));
}

TEST(WStringPaths, SplitFindsDriveDirectoryNameAndExtension) {
    WString drive, directory, name, extension;
    W(u"C:\\maps\\castle.gv").SplitPath(&drive, &directory, &name, &extension);
    EXPECT_EQ(drive, W(u"C:"));
    EXPECT_EQ(directory, W(u"\\maps\\"));
    EXPECT_EQ(name, W(u"castle"));
    EXPECT_EQ(extension, W(u".gv"));

    W(u"/home/u/data.v2/tiles.set").SplitPath(&drive, &directory, &name, &extension);
    EXPECT_TRUE(drive.IsEmpty());
    EXPECT_EQ(directory, W(u"/home/u/data.v2/"));
    EXPECT_EQ(name, W(u"tiles"));
    EXPECT_EQ(extension, W(u".set"));

    W(u"noext").SplitPath(nullptr, nullptr, &name, &extension);
    EXPECT_EQ(name, W(u"noext"));
    EXPECT_TRUE(extension.IsEmpty());

    W(u"/dir/").SplitPath(nullptr, &directory, &name, &extension);
    EXPECT_EQ(directory, W(u"/dir/"));
    EXPECT_TRUE(name.IsEmpty());
    EXPECT_TRUE(extension.IsEmpty());

    W(u"dir/.hidden").SplitPath(nullptr, nullptr, &name, &extension);
    EXPECT_EQ(name, W(u".hidden"));
    EXPECT_TRUE(extension.IsEmpty());

    W(u"a.b.c").SplitPath(nullptr, nullptr, &name, &extension);
    EXPECT_EQ(name, W(u"a.b"));
    EXPECT_EQ(extension, W(u".c"));

    W(u"C:").SplitPath(&drive, nullptr, &name, nullptr); // a drive needs something after it
    EXPECT_TRUE(drive.IsEmpty());
    EXPECT_EQ(name, W(u"C:"));
}

TEST(WStringPaths, BuildUsesTheMoreFrequentSeparator) {
    EXPECT_EQ(WString::BuildPath(W(u"C:"), W(u"maps/sub\\x/"), W(u"a"), W(u"..png")),
              W(u"C:/maps/sub/x/a.png"));
    EXPECT_EQ(WString::BuildPath(W(u"C:"), W(u"\\maps/x"), W(u"a"), W(u"gv")), W(u"C:\\maps\\x\\a.gv"));
    EXPECT_EQ(WString::BuildPath(W(u""), W(u"//srv\\share\\dir"), W(u"\\name"), W(u"txt")),
              W(u"\\srv\\share\\dir\\name.txt"));
    EXPECT_EQ(WString::BuildPath(W(u""), W(u"/"), W(u"x"), W(u"")), W(u"/x"));
    EXPECT_EQ(WString::BuildPath(W(u""), W(u""), W(u"x"), W(u"")), W(u"x"));
}

TEST(WStringPaths, RelativeDirectoriesStayRelative) {
    EXPECT_EQ(WString::BuildPath(W(u""), W(u"data"), W(u"x"), W(u"png")), W(u"data/x.png"));
    EXPECT_EQ(W(u"tiles/grass.png").DirectoryOf(), W(u"tiles/"));
}

TEST(WStringPaths, ComponentsOfAPath) {
    const WString path(u"/a/b/c.txt");
    EXPECT_EQ(path.DirectoryOf(), W(u"/a/b/"));
    EXPECT_EQ(path.NameOf(), W(u"c"));
    EXPECT_EQ(path.ExtensionOf(), W(u".txt"));
    EXPECT_EQ(path.NameAndExtensionOf(), W(u"c.txt"));
    EXPECT_TRUE(W(u"c.txt").DirectoryOf().IsEmpty());
    EXPECT_EQ(W(u"C:\\x\\readme").NameAndExtensionOf(), W(u"readme"));
    EXPECT_EQ(W(u"C:\\x\\readme").DirectoryOf(), W(u"C:\\x\\"));
}

TEST(WStringPaths, ProgramPathIsBesideTheRunningProgram) {
    const WString path = WString::ProgramPath(W(u"help.txt"));
    const std::string expected = (std::filesystem::canonical(GV_BIN_DIR) / "help.txt").string();
    EXPECT_EQ(path.ToUtf8(), expected);
    WString longName;
    for (int i = 0; i < 1100; ++i)
        longName.AppendUnit(u'n');
    EXPECT_TRUE(WString::ProgramPath(longName).IsEmpty());
}

TEST(WStringBytes, EncodesCountThenData) {
    const unsigned char bytes[] = {1, 2, 3};
    EXPECT_EQ(WString::EncodeBytes(bytes, 3), W(u"aWaaaaaqid"));
    EXPECT_EQ(WString::EncodeBytes(bytes, 0), W(u"aaaaaa"));
    const unsigned char ff[] = {0xFF, 0xFF};
    EXPECT_EQ(WString::EncodeBytes(ff, 2), W(u"aGaaaa++8")); // 2 bytes give 3 characters
}

TEST(WStringBytes, EveryLengthRoundTrips) {
    std::vector<unsigned char> data(80);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 37 + 11);
    for (int n = 1; n <= 80; ++n) {
        const WString text = WString::EncodeBytes(data.data(), n);
        EXPECT_EQ(text.Length(), 6 + n / 3 * 4 + (n % 3 ? n % 3 + 1 : 0));
        EXPECT_EQ(WString::DecodeBytes(text, nullptr, 0), n);
        std::vector<unsigned char> back(static_cast<size_t>(n) + 4, 0xAA);
        ASSERT_EQ(WString::DecodeBytes(text, back.data(), n), n);
        EXPECT_TRUE(std::equal(data.begin(), data.begin() + n, back.begin())) << n;
        EXPECT_EQ(back[static_cast<size_t>(n)], 0xAA) << "wrote past the count at " << n;
    }
}

TEST(WStringBytes, DecodingNeverWritesBeyondWhatItMayCarry) {
    const unsigned char bytes[] = {9, 8, 7, 6, 5, 4};
    const WString text = WString::EncodeBytes(bytes, 6);
    unsigned char small[5] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(WString::DecodeBytes(text, small, 5), 0); // capacity below the count
    for (unsigned char b : small)
        EXPECT_EQ(b, 0xAA);

    EXPECT_EQ(WString::DecodeBytes(W(u"aWaaaa"), nullptr, 0), 0); // nothing after the count
    EXPECT_EQ(WString::DecodeBytes(W(u"aWaa"), nullptr, 0), 0);

    // A count far beyond the characters that follow fails instead of reading past the text.
    unsigned char big[4096] = {};
    const WString claimsThousand = WString::EncodeBytes(big, 1000).Substring(0, 6) + W(u"abcd");
    EXPECT_EQ(WString::DecodeBytes(claimsThousand, nullptr, 0), 0);
    EXPECT_EQ(WString::DecodeBytes(claimsThousand, big, sizeof big), 0);

    // A negative count (top bit set) fails.
    const unsigned char minusOne[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const WString negative = WString::EncodeBytes(minusOne, 4).Substring(6, 6) + W(u"aaaaaaaa");
    EXPECT_EQ(WString::DecodeBytes(negative, big, sizeof big), 0);

    // Characters outside the alphabet count as zero.
    unsigned char three[3] = {1, 1, 1};
    EXPECT_EQ(WString::DecodeBytes(W(u"aWaaaa!?*~"), three, 3), 3);
    EXPECT_EQ(three[0], 0);
    EXPECT_EQ(three[1], 0);
    EXPECT_EQ(three[2], 0);
}
