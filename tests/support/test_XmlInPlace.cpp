// Parsed values show the document's own decoded text instead of holding copies. These cases build
// random trees in code, write them, read them back and compare every name and text, so that any
// terminator or decoded entity written into the wrong place of that text shows up as a changed value.
#include "support/XmlDocument.h"
#include "test_WStringPrint.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace {

WString W(const char16_t* text) {
    return WString(text);
}

bool LoadBytes(XmlDocument& doc, const std::string& bytes) {
    return doc.LoadFromBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// Names that are prefixes of one another, so that a name guessed from the last element must be
// checked to its end.
const char16_t* const kNames[] = {u"a",        u"ab",
                                  u"abc",      u"TileRef",
                                  u"TileRefs", u"Tile",
                                  u"color",    u"color_percentage",
                                  u"x.y",      u"\u00E9t\u00E9",
                                  u"n-1"};

// Pieces of text a value may be made of: markup characters that must be escaped, entity look-alikes
// that must stay as they are, outer white space, characters beyond ASCII and beyond the basic plane.
const char16_t* const kPieces[] = {u"plain", u"&",      u"<",          u">",    u"\"", u"'",
                                   u"&amp;", u"&#65;",  u"&nbsp",      u" ",    u"  ", u"\t",
                                   u"\n",    u"\u20AC", u"\U0001F600", u"0.25", u"x"};

class RandomTree {
public:
    explicit RandomTree(unsigned seed) : random_(seed) {}

    void Fill(XmlElement& element, int depth) {
        element.SetName(WString(Pick(kNames)));
        const int attributes = static_cast<int>(random_() % 20); // beyond the guessed positions too
        for (int i = 0; i < attributes; ++i)
            element.AddAttribute(WString(Pick(kNames)), Text());
        const int children = depth < 4 ? static_cast<int>(random_() % 4) : 0;
        // Text that is only white space is dropped when children follow it, so it is not asked for.
        if (random_() % 3 == 0) {
            WString text = Text();
            if (children == 0 || !text.IsAllSpace())
                element.SetText(text);
        }
        for (int i = 0; i < children; ++i)
            Fill(*element.AddChild(), depth + 1);
    }

private:
    template <size_t N> const char16_t* Pick(const char16_t* const (&from)[N]) { return from[random_() % N]; }

    WString Text() {
        WString text;
        const int pieces = static_cast<int>(random_() % 6);
        for (int i = 0; i < pieces; ++i)
            text.Append(Pick(kPieces));
        return text;
    }

    std::mt19937 random_;
};

void ExpectSameTree(const XmlElement& expected, const XmlElement& actual, const std::string& where) {
    ASSERT_EQ(actual.Name(), expected.Name()) << where;
    EXPECT_EQ(actual.Value(), expected.Value()) << where;
    EXPECT_EQ(actual.RawText(), expected.RawText()) << where;
    ASSERT_EQ(actual.AttributeCount(), expected.AttributeCount()) << where;
    for (int i = 0; i < expected.AttributeCount(); ++i) {
        const XmlNode* want = expected.AttributeAt(i);
        const XmlNode* got = actual.AttributeAt(i);
        EXPECT_EQ(got->Name(), want->Name()) << where << " attribute " << i;
        EXPECT_EQ(got->Value(), want->Value()) << where << " attribute " << i;
        EXPECT_EQ(got->RawText(), want->RawText()) << where << " attribute " << i;
        EXPECT_EQ(got->Value().c_str()[got->Value().Length()], u'\0') << where << " attribute " << i;
    }
    ASSERT_EQ(actual.ChildCount(), expected.ChildCount()) << where;
    for (int i = 0; i < expected.ChildCount(); ++i)
        ExpectSameTree(*expected.Child(i), *actual.Child(i), where + "/" + std::to_string(i));
}

} // namespace

TEST(XmlInPlace, RandomTreesReadBackExactlyFromFileBytesAndFromText) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        XmlDocument built;
        RandomTree(seed).Fill(built, 0);
        const std::string bytes = built.ToFileBytes();

        XmlDocument loaded;
        ASSERT_TRUE(LoadBytes(loaded, bytes)) << "seed " << seed;
        ExpectSameTree(built, loaded, "seed " + std::to_string(seed));
        ASSERT_EQ(loaded.ToFileBytes(), bytes) << "seed " << seed;

        WString text;
        built.ToText(text);
        XmlDocument parsed;
        ASSERT_TRUE(parsed.ParseText(text)) << "seed " << seed;
        ExpectSameTree(built, parsed, "text, seed " + std::to_string(seed));
        WString again;
        parsed.ToText(again);
        ASSERT_EQ(again, text) << "seed " << seed;
        if (HasFailure())
            return;
    }
}

TEST(XmlInPlace, ParsedValuesStayRightWhenNeighboursChangeAndCopiesOutliveTheDocument) {
    const std::string bytes = "<?xml version=\"1.0\"?>\r\n<map a=\"one\" b=\" two \" c=\"x &amp; y\">\r\n"
                              "   <t n=\"tile_1\" m=\"&lt;&gt;\">  text &amp; more </t>\r\n"
                              "   <t n=\"tile_2\">tight</t>\r\n"
                              "   <!-- note -->\r\n</map>";
    auto doc = std::make_unique<XmlDocument>();
    ASSERT_TRUE(LoadBytes(*doc, bytes));
    ASSERT_EQ(doc->ChildCount(), 3);
    XmlElement* first = doc->Child(0);
    XmlElement* second = doc->Child(1);
    EXPECT_EQ(doc->Attribute(u"b"), W(u"two"));
    EXPECT_EQ(doc->Attribute(u"b", true), W(u" two "));
    EXPECT_EQ(doc->Attribute(u"c"), W(u"x & y"));
    EXPECT_EQ(first->Attribute(u"m"), W(u"<>"));
    EXPECT_EQ(first->Text(true), W(u"  text & more "));
    EXPECT_EQ(second->Value(), W(u"tight"));
    EXPECT_EQ(doc->Child(2)->Value(), W(u" note "));

    WString copied = first->Attribute(u"n");
    copied.Append(u"_edited");
    first->AttributeAt(0)->SetText(W(u"renamed"));
    first->SetText(first->Text(true)); // from its own text
    second->ClearText();
    EXPECT_EQ(first->Attribute(u"n"), W(u"renamed"));
    EXPECT_EQ(first->Attribute(u"m"), W(u"<>"));
    EXPECT_EQ(first->Text(true), W(u"  text & more "));
    EXPECT_EQ(second->Attribute(u"n"), W(u"tile_2"));
    EXPECT_EQ(doc->Attribute(u"a"), W(u"one"));

    const std::string expected = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                 "<map a=\"one\" b=\" two \" c=\"x &amp; y\">\r\n"
                                 "   <t n=\"renamed\" m=\"&lt;&gt;\">  text &amp; more </t>\r\n"
                                 "   <t n=\"tile_2\"/>\r\n"
                                 "   <Comment> note </Comment>\r\n</map>";
    EXPECT_EQ(doc->ToFileBytes(), expected);

    WString kept = doc->Child(1)->Attribute(u"n");
    ASSERT_TRUE(LoadBytes(*doc, "<?xml version=\"1.0\"?><other z=\"zzzzzzzzzzzzzzzzzzzzzzzzzzzzzz\"/>"));
    doc.reset();
    EXPECT_EQ(kept, W(u"tile_2"));
    EXPECT_EQ(copied, W(u"tile_1_edited"));
}

// Texts of several mebibytes live apart from the heap; they must read and write back like small ones.
TEST(XmlInPlace, AMapLargeEnoughToBeMappedApartReadsBackByteForByte) {
    XmlDocument built;
    built.SetName(W(u"GridvellumMap"));
    for (int i = 0; i < 40000; ++i) {
        XmlElement* tile = built.AddChild();
        tile->SetName(W(u"TileRef"));
        tile->AddAttribute(W(u"name"), WString::FromInt(i));
        tile->AddAttribute(W(u"matrix"), W(u"gaaaaaaacapWaaaaaaaaaaaacapWaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"));
        tile->AddAttribute(W(u"note"), W(u" \u20AC & more text that makes the file big enough "));
    }
    const std::string bytes = built.ToFileBytes();
    ASSERT_GT(bytes.size() * sizeof(char16_t), size_t{8} << 20);
    XmlDocument loaded;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(LoadBytes(loaded, bytes));
        ASSERT_EQ(loaded.ChildCount(), 40000);
        EXPECT_EQ(loaded.Child(39999)->Attribute(u"name"), W(u"39999"));
        EXPECT_EQ(loaded.Child(39999)->Attribute(u"note", true),
                  W(u" \u20AC & more text that makes the file big enough "));
        EXPECT_EQ(loaded.ToFileBytes(), bytes);
    }
}

// A large text's room is kept for the next when its document goes: documents alive together must never
// share it, and one loaded into kept room must read like one loaded into fresh room.
TEST(XmlInPlace, LargeDocumentsAliveTogetherKeepTheirOwnText) {
    auto mapBytes = [](const char16_t* note, int tiles) {
        XmlDocument built;
        built.SetName(W(u"GridvellumMap"));
        for (int i = 0; i < tiles; ++i) {
            XmlElement* tile = built.AddChild();
            tile->SetName(W(u"TileRef"));
            tile->AddAttribute(W(u"name"), WString::FromInt(i));
            tile->AddAttribute(W(u"note"), W(note));
        }
        return built.ToFileBytes();
    };
    // Each over a mebibyte of units, the second about three times the size of the first.
    const std::string first = mapBytes(u"first map's note, long enough to fill the file", 20000);
    const std::string second = mapBytes(u"the second map's own note", 60000);
    ASSERT_GT(first.size() * sizeof(char16_t), size_t{2} << 20);
    auto a = std::make_unique<XmlDocument>();
    auto b = std::make_unique<XmlDocument>();
    ASSERT_TRUE(LoadBytes(*a, first));
    ASSERT_TRUE(LoadBytes(*b, second));
    EXPECT_EQ(a->ToFileBytes(), first);
    for (int round = 0; round < 3; ++round) {
        a.reset(); // its room is kept, for c
        auto c = std::make_unique<XmlDocument>();
        auto d = std::make_unique<XmlDocument>();
        ASSERT_TRUE(LoadBytes(*c, first));
        ASSERT_TRUE(LoadBytes(*d, round == 1 ? second : first));
        EXPECT_EQ(b->ToFileBytes(), second) << "round " << round;
        EXPECT_EQ(c->ToFileBytes(), first) << "round " << round;
        EXPECT_EQ(d->ToFileBytes(), round == 1 ? second : first) << "round " << round;
        if (round == 1)
            std::swap(b, d); // the older document goes, the newer stays
        a = std::move(c);
    }
    EXPECT_EQ(b->Child(59999)->Attribute(u"note"), W(u"the second map's own note"));
}
