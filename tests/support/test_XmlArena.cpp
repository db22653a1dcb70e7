// Nodes of a document share the document's arena; these cases check that slots are reused, that nodes
// die with their owner, and that the faster load path reads exactly what the plain one did.
#include "support/Utf8.h"
#include "support/XmlArena.h"
#include "support/XmlDocument.h"
#include "test_WStringPrint.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

WString W(const char16_t* text) {
    return WString(text);
}

bool LoadBytes(XmlDocument& doc, const std::string& bytes) {
    return doc.LoadFromBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string MapBytes(int tiles) {
    std::string bytes = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Map gridsize=\"64\">";
    for (int i = 0; i < tiles; ++i) {
        bytes += "\r\n   <TileRef name=\"sample:tile_" + std::to_string(i) +
                 "\" matrix=\"gaaaaaaacapWaaaaaaaaaaaacapWaaaaaaaaaa\" color_percentage=\"0.25\"/>";
    }
    return bytes + "\r\n</Map>";
}

} // namespace

TEST(XmlArena, SlotsAreAlignedDistinctAndReusedBySize) {
    XmlArena arena;
    EXPECT_EQ(arena.Allocate(0), nullptr);
    std::set<void*> seen;
    std::vector<void*> small;
    for (int i = 0; i < 1000; ++i) {
        void* slot = arena.Allocate(40);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(slot) % alignof(std::max_align_t), 0u);
        EXPECT_TRUE(seen.insert(slot).second) << "slot handed out twice";
        small.push_back(slot);
    }
    void* large = arena.Allocate(200);
    EXPECT_TRUE(seen.insert(large).second);
    EXPECT_EQ(arena.LiveSlots(), 1001u);
    EXPECT_GT(arena.BlockCount(), 0u);

    arena.Release(small[10], 40);
    EXPECT_EQ(arena.Allocate(40), small[10]); // the freed slot comes back for the same size
    arena.Release(small[11], 40);
    EXPECT_NE(arena.Allocate(200), small[11]); // but not for another size
}

TEST(XmlArena, ReleasingEverySlotStartsAgainAtTheFirstBlock) {
    XmlArena arena;
    std::vector<void*> first;
    for (int i = 0; i < 3000; ++i)
        first.push_back(arena.Allocate(48));
    const size_t blocks = arena.BlockCount();
    EXPECT_GT(blocks, 1u);
    for (void* slot : first)
        arena.Release(slot, 48);
    EXPECT_EQ(arena.LiveSlots(), 0u);
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(arena.Allocate(48), first[static_cast<size_t>(i)]) << "slot " << i;
    EXPECT_EQ(arena.BlockCount(), blocks);
}

TEST(XmlArena, AnOversizedSlotGetsABlockOfItsOwn) {
    XmlArena arena;
    auto* big = static_cast<unsigned char*>(arena.Allocate(200 * 1024));
    ASSERT_NE(big, nullptr);
    big[0] = 1;
    big[200 * 1024 - 1] = 2; // the whole slot is writable
    void* after = arena.Allocate(32);
    EXPECT_TRUE(after < big || after >= big + 200 * 1024);
}

TEST(XmlDocumentArena, NodesBuiltInCodeOrParsedLiveInTheDocumentAndDieWithIt) {
    XmlDocument doc;
    XmlElement* child = doc.AddChild();
    XmlArena* arena = child->Arena();
    ASSERT_NE(arena, nullptr);
    XmlElement* grandchild = child->AddChild();
    XmlNode* attribute = grandchild->AddAttribute(W(u"key"), W(u"a value long enough to need the heap"));
    EXPECT_EQ(grandchild->Arena(), arena);
    EXPECT_EQ(attribute->Arena(), arena);
    EXPECT_EQ(arena->LiveSlots(), 3u);

    child->ClearContent(); // the subtree goes back to the arena at once
    EXPECT_EQ(arena->LiveSlots(), 1u);
    doc.ClearContent();
    EXPECT_EQ(arena->LiveSlots(), 0u);

    ASSERT_TRUE(LoadBytes(doc, MapBytes(3)));
    ASSERT_EQ(doc.ChildCount(), 3);
    EXPECT_EQ(doc.Child(2)->Arena(), arena);
    EXPECT_EQ(arena->LiveSlots(), 1u + 3u + 3u * 3u); // root attribute, tiles, their attributes
}

TEST(XmlDocumentArena, ElementsOutsideADocumentStayOnTheHeap) {
    XmlElement standalone;
    EXPECT_EQ(standalone.Arena(), nullptr);
    XmlElement* child = standalone.AddChild();
    EXPECT_EQ(child->Arena(), nullptr);
    child->AddAttribute(W(u"x"), W(u"1"));
    EXPECT_EQ(child->AttributeAt(0)->Arena(), nullptr);
    EXPECT_EQ(child->Attribute(u"x"), W(u"1"));
}

TEST(XmlDocumentArena, LoadingAgainReusesTheMemoryOfTheLastLoad) {
    XmlDocument doc;
    const std::string bytes = MapBytes(2000);
    ASSERT_TRUE(LoadBytes(doc, bytes));
    XmlArena* arena = doc.Child(0)->Arena();
    const size_t blocks = arena->BlockCount();
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(LoadBytes(doc, bytes));
        ASSERT_EQ(doc.ChildCount(), 2000);
        EXPECT_EQ(doc.Child(1999)->Attribute(u"name"), W(u"sample:tile_1999"));
    }
    EXPECT_EQ(arena->BlockCount(), blocks);
}

TEST(XmlDocumentArena, ReplacingASubtreeOverAndOverDoesNotGrowTheDocument) {
    XmlDocument doc;
    XmlElement* keep = doc.AddChild();
    keep->SetName(W(u"keep"));
    XmlElement* scratch = doc.AddChild();
    XmlArena* arena = scratch->Arena();
    size_t blocks = 0;
    for (int round = 0; round < 50; ++round) {
        scratch->ClearContent();
        for (int i = 0; i < 500; ++i)
            scratch->AddChild()->AddAttribute(W(u"i"), WString::FromInt(i));
        if (round == 0)
            blocks = arena->BlockCount();
    }
    EXPECT_EQ(arena->BlockCount(), blocks);
    EXPECT_EQ(scratch->Child(499)->Attribute(u"i"), W(u"499"));
    EXPECT_EQ(keep->Name(), W(u"keep"));
}

TEST(XmlDocumentArena, DeepTreesInADocumentAreDestroyedWithoutRecursion) {
    auto doc = std::make_unique<XmlDocument>();
    XmlElement* at = doc.get();
    for (int i = 0; i < 200000; ++i)
        at = at->AddChild();
    at->SetText(W(u"leaf"));
    doc.reset(); // must neither overflow the stack nor touch freed arena memory
    SUCCEED();
}

TEST(Utf8DecodeWithoutCr, EqualsDecodingAndThenRemovingCarriageReturns) {
    std::mt19937 random(7);
    // Bytes biased towards CR, line feeds, ASCII and the lead and continuation bytes of longer sequences.
    const unsigned char palette[] = {0x0D, 0x0A, 'a',  '<',  0xC3, 0xA9, 0xE2,
                                     0x82, 0xAC, 0xF0, 0x9F, 0x80, 0xFF, 0xED};
    for (int round = 0; round < 2000; ++round) {
        std::vector<unsigned char> bytes(random() % 64);
        for (unsigned char& b : bytes)
            b = random() % 3 == 0 ? static_cast<unsigned char>('a' + random() % 26)
                                  : palette[random() % sizeof palette];
        std::vector<char16_t> plain(bytes.size() + 1), fused(bytes.size() + 1);
        const int plainCount = Utf8::Decode(bytes.data(), bytes.size(), plain.data());
        std::u16string expected(plain.data(), static_cast<size_t>(plainCount));
        std::erase(expected, u'\r');
        const int fusedCount = Utf8::DecodeWithoutCr(bytes.data(), bytes.size(), fused.data());
        ASSERT_EQ(std::u16string(fused.data(), static_cast<size_t>(fusedCount)), expected)
            << "round " << round;
    }
}

TEST(Utf8DecodeWithoutCr, LoadDropsCarriageReturnsInsideAndBetweenBrokenSequences) {
    XmlDocument doc;
    ASSERT_TRUE(LoadBytes(
        doc, "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<a x=\"1\xC3\r\xA9\r\r2\">t\r\ne\xE2\x82\xAC</a>"));
    EXPECT_EQ(doc.Attribute(u"x"), W(u"1\uFFFD\uFFFD2"));
    EXPECT_EQ(doc.Value(), W(u"t\ne\u20AC"));
}

// Names are shared through the arena; the shared copies go when the last node does, and nothing that
// outlives them (the document's own name, nodes on the heap) may still point at one.
TEST(XmlArena, SharedNamesSurviveClearReloadAndRenaming) {
    XmlDocument doc;
    ASSERT_TRUE(LoadBytes(doc, MapBytes(3)));
    EXPECT_EQ(doc.Name(), W(u"Map"));
    EXPECT_EQ(doc.Child(0)->Name().c_str(), doc.Child(2)->Name().c_str()) << "one copy per distinct name";
    EXPECT_EQ(doc.Child(1)->AttributeAt(1)->Name(), W(u"matrix"));

    doc.ClearContent(); // every slot given back: the shared names are gone, the document's is not
    EXPECT_EQ(doc.Name(), W(u"Map"));
    const std::string other = "<?xml version=\"1.0\"?><Other a=\"1\"><Kid  b=\"2\"/><Kid/></Other>";
    ASSERT_TRUE(LoadBytes(doc, other));
    EXPECT_EQ(doc.Name(), W(u"Other"));
    EXPECT_EQ(doc.Child(1)->Name(), W(u"Kid"));
    EXPECT_EQ(doc.Child(0)->AttributeAt(0)->Name(), W(u"b"));

    XmlElement* kid = doc.Child(0);
    kid->SetName(kid->Name()); // renaming to its own (shared) name
    kid->SetName(W(u"  Renamed \t"));
    EXPECT_EQ(kid->Name(), W(u"Renamed"));
    EXPECT_EQ(doc.Child(1)->Name(), W(u"Kid")) << "renaming one node leaves the others";

    XmlElement loose; // no arena: keeps its own copy, also when renamed to itself
    loose.SetName(W(u"Loose"));
    loose.SetName(loose.Name());
    loose.AddChild()->SetName(W(u"Inner"));
    EXPECT_EQ(loose.Name(), W(u"Loose"));
    EXPECT_EQ(loose.Child(0)->Name(), W(u"Inner"));
    std::string saved = doc.ToFileBytes();
    EXPECT_NE(saved.find("<Renamed b=\"2\"/>"), std::string::npos) << saved;
}
