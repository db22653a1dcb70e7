#include "support/WString.h"
#include "test_WStringPrint.h"

#include <gtest/gtest.h>

#include <string>

namespace {

WString W(const char16_t* text) {
    return WString(text);
}

WString Decode(const std::string& bytes, int code) {
    WString s;
    s.AppendAnsi(bytes.data(), bytes.size(), code);
    return s;
}

std::string Encode(const WString& s, int code, bool withMark = false) {
    const char* bytes = s.ToAnsi(false, code, withMark);
    return bytes ? std::string(bytes, s.AnsiSize()) : std::string("<null>");
}

} // namespace

TEST(WStringWindows1252, HighBytesMapToTheirCharacters) {
    EXPECT_EQ(Decode("\x80\x9F\x81\xE9\x41", WString::kWindows1252), W(u"\u20AC\u0178\u0081\u00E9A"));
    EXPECT_EQ(Decode("\x80", WString::kSystem), W(u"\u20AC"));
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(Encode(Decode(all, WString::kWindows1252), WString::kWindows1252), all); // every byte survives
}

TEST(WStringWindows1252, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Encode(W(u"\u20AC\u00E9\u4E2D!"), WString::kWindows1252), "\x80\xE9?!");
    EXPECT_EQ(Encode(W(u"a\U0001F600b"), WString::kWindows1252), "a?b"); // one mark for one character
    EXPECT_EQ(Encode(W(u"\u2122\u0153"), WString::kSystem), "\x99\x9C");
}

TEST(WStringUtf8, EncodesAllPlanesAndTheMark) {
    const WString text(u"a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(Encode(text, WString::kUtf8), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(Encode(text, WString::kUtf8, true), "\xEF\xBB\xBF"
                                                  "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(text.ToUtf8(), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(WString::FromUtf8(text.ToUtf8()), text);
    EXPECT_EQ(Encode(W(u"x\xD800y"), WString::kUtf8), "x\xEF\xBF\xBDy"); // a lone surrogate
}

TEST(WStringUtf8, DecodingKeepsSurrogatePairs) {
    const WString s = Decode("\xF0\x9F\x98\x80", WString::kUtf8);
    ASSERT_EQ(s.Length(), 2);
    EXPECT_EQ(s.At(0), 0xD83D);
    EXPECT_EQ(s.At(1), 0xDE00);
}

TEST(WStringUtf8, InvalidSequencesBecomeReplacementCharacters) {
    const char16_t r = 0xFFFD;
    EXPECT_EQ(Decode("a\xC3", WString::kUtf8), WString(std::u16string{u'a', r}.c_str()));
    EXPECT_EQ(Decode("\xC0\xAF", WString::kUtf8), WString(std::u16string{r, r}.c_str()));        // overlong
    EXPECT_EQ(Decode("\xED\xA0\x80", WString::kUtf8), WString(std::u16string{r, r, r}.c_str())); // surrogate
    EXPECT_EQ(Decode("a\xE2\x82"
                     "b",
                     WString::kUtf8),
              WString(std::u16string{u'a', r, u'b'}.c_str()));
    EXPECT_EQ(Decode("\xF4\x90\x80\x80", WString::kUtf8), WString(std::u16string{r, r, r, r}.c_str()));
    EXPECT_EQ(Decode("\xFF"
                     "0123456789abcdef",
                     WString::kUtf8),
              W(u"\xFFFD"
                u"0123456789abcdef"));
}

TEST(WStringUtf8, ZeroBytesInsideTheCountAreKept) {
    const WString s = Decode(std::string("a\0b", 3), WString::kUtf8);
    EXPECT_EQ(s.Length(), 3);
    EXPECT_EQ(s.At(1), 0);
}

TEST(WStringUtf7, DecodesShiftedRuns) {
    EXPECT_EQ(Decode("A+ImIDkQ.", WString::kUtf7), W(u"A\u2262\u0391."));
    EXPECT_EQ(Decode("Hi Mom -+Jjo--!", WString::kUtf7), W(u"Hi Mom -\u263A-!"));
    EXPECT_EQ(Decode("+ZeVnLIqe-", WString::kUtf7), W(u"\u65E5\u672C\u8A9E"));
    EXPECT_EQ(Decode("1 +- 1", WString::kUtf7), W(u"1 + 1"));
    EXPECT_EQ(Decode("caf+AOk-", WString::kUtf7), W(u"caf\u00E9"));
}

TEST(WStringUtf7, EncodesAndRoundTrips) {
    EXPECT_EQ(Encode(W(u"\u65E5\u672C\u8A9E"), WString::kUtf7), "+ZeVnLIqe-");
    EXPECT_EQ(Encode(W(u"1 + 1"), WString::kUtf7), "1 +- 1");
    EXPECT_EQ(Encode(W(u"<a x=\"1\"/>"), WString::kUtf7), "<a x=\"1\"/>");
    const WString mixed(u"A\u2262\u0391.-~\\ caf\u00E9-x \U0001F600+");
    EXPECT_EQ(Decode(Encode(mixed, WString::kUtf7), WString::kUtf7), mixed);
}

TEST(WStringWide, SixteenBitUnitsInBothByteOrders) {
    EXPECT_EQ(Decode(std::string("a\0\xAC\x20", 4), WString::kUtf16Le), W(u"a\u20AC"));
    EXPECT_EQ(Decode(std::string("\0a\x20\xAC", 4), WString::kUtf16Be), W(u"a\u20AC"));
    EXPECT_EQ(Decode(std::string("a\0b", 3), WString::kUtf16Le), W(u"a")); // a lone last byte is dropped
}

TEST(WStringWide, ThirtyTwoBitUnitsBecomeSurrogatePairs) {
    const WString le = Decode(std::string("A\0\0\0\x00\xF6\x01\x00", 8), WString::kUtf32Le);
    EXPECT_EQ(le, W(u"A\U0001F600"));
    const WString be = Decode(std::string("\0\0\0A\x00\x01\xF6\x00", 8), WString::kUtf32Be);
    EXPECT_EQ(be, W(u"A\U0001F600"));
    const WString tooBig = Decode(std::string("\0\0\x11\0", 4), WString::kUtf32Le);
    EXPECT_EQ(tooBig, W(u"\xFFFD"));
}

TEST(WStringConversions, WideCodesHaveNoEightBitForm) {
    const WString s(u"abc");
    for (int code = 4; code <= 7; ++code)
        EXPECT_EQ(s.ToAnsi(false, code, false), nullptr) << code;
    EXPECT_EQ(s.ToAnsi(false, 99, false), nullptr);
    EXPECT_EQ(Decode("abc", 99), W(u""));
}

TEST(WStringConversions, CacheIsReusedUntilTheTextChanges) {
    WString s(u"\u00E9t\u00E9");
    const char* first = s.ToAnsi(false, WString::kUtf8, false);
    EXPECT_EQ(s.ToAnsi(false, WString::kUtf8, false), first);
    EXPECT_EQ(s.AnsiSize(), 5u);
    EXPECT_EQ(std::string(s.ToAnsi(true, WString::kUtf8, false)),
              "\xC3\xA9t\xC3\xA9"); // path mode is plain here
    EXPECT_EQ(std::string(s.ToAnsi(false, WString::kUtf8, true)), "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(s.AnsiSize(), 8u);
    s.AppendUnit(u'!');
    EXPECT_EQ(std::string(s.ToAnsi()), "\xE9t\xE9!");
    s.ReplaceUnit(u'!', u'?');
    EXPECT_EQ(std::string(s.ToAnsi()), "\xE9t\xE9?");
    s.Trim();
    s.DropLast(1);
    EXPECT_EQ(std::string(s.ToAnsi()), "\xE9t\xE9");
    EXPECT_EQ(std::string(W(u"").ToAnsi()), "");
}
