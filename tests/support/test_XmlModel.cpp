#include "support/XmlDocument.h"
#include "test_WStringPrint.h"

#include <gtest/gtest.h>

namespace {

WString W(const char16_t* text) {
    return WString(text);
}

WString TextOf(const XmlDocument& doc) {
    WString out;
    doc.ToText(out);
    return out;
}

} // namespace

TEST(XmlNode, TextKeepsOuterSpacesOnlyWhenThereAreAny) {
    XmlNode node;
    node.SetName(W(u"  name\t"));
    EXPECT_EQ(node.Name(), W(u"name"));
    node.SetText(W(u"  hello  "));
    EXPECT_EQ(node.Value(), W(u"hello"));
    EXPECT_EQ(node.RawText(), W(u"  hello  "));
    EXPECT_EQ(node.Text(true), W(u"  hello  "));
    EXPECT_EQ(node.Text(false), W(u"hello"));
    node.SetText(W(u"x"));
    EXPECT_EQ(node.Text(true), W(u"x")); // the old raw text must not come back
    EXPECT_TRUE(node.RawText().IsEmpty());
}

TEST(XmlElement, AttributesAreFoundWithoutCaseAndFirstWins) {
    XmlElement element;
    XmlNode* x = element.AddAttribute(W(u" x "), W(u" 1 & 2 "));
    element.AddAttribute(W(u"X"), W(u"second"));
    EXPECT_EQ(x->Name(), W(u"x"));
    EXPECT_EQ(x->Parent(), &element);
    EXPECT_EQ(element.AttributeCount(), 2);
    EXPECT_TRUE(element.HasAttribute(u"X"));
    EXPECT_TRUE(element.HasAttribute(W(u"x")));
    EXPECT_FALSE(element.HasAttribute(u"xx"));
    EXPECT_FALSE(element.HasAttribute(u""));
    EXPECT_EQ(element.Attribute(u"X"), W(u"1 & 2"));
    EXPECT_EQ(element.Attribute(u"x", true), W(u" 1 & 2 "));
    EXPECT_EQ(element.AttributeAt(1)->Value(), W(u"second"));
    EXPECT_EQ(element.AttributeAt(2), nullptr);
    EXPECT_EQ(element.AttributeAt(-1), nullptr);
}

TEST(XmlElement, MissingAttributesReadAsOneSharedEmptyString) {
    XmlElement a, b;
    const WString& first = a.Attribute(u"missing");
    EXPECT_TRUE(first.IsEmpty());
    EXPECT_EQ(&first, &b.Attribute(W(u"other")));
    EXPECT_EQ(a.Attribute(u"missing").AsInt(), 0);
    EXPECT_FALSE(a.Attribute(u"missing").AsBool());
}

TEST(XmlElement, ChildrenKeepOrderAndParent) {
    XmlElement root;
    XmlElement* first = root.AddChild();
    first->SetName(W(u"First"));
    XmlElement* second = root.AddChild();
    second->SetName(W(u"second"));
    EXPECT_EQ(root.ChildCount(), 2);
    EXPECT_EQ(root.Child(0), first);
    EXPECT_EQ(root.Child(1), second);
    EXPECT_EQ(root.Child(2), nullptr);
    EXPECT_EQ(root.Child(-1), nullptr);
    EXPECT_EQ(second->Parent(), &root);
    EXPECT_EQ(root.ChildNamed(W(u"SECOND")), second);
    EXPECT_EQ(root.ChildNamed(W(u"third")), nullptr);
    root.ClearContent();
    EXPECT_EQ(root.ChildCount(), 0);
}

TEST(XmlElement, VeryDeepTreesAreDestroyedWithoutRecursion) {
    auto root = std::make_unique<XmlElement>();
    XmlElement* at = root.get();
    for (int i = 0; i < 300000; ++i)
        at = at->AddChild();
    EXPECT_EQ(at->Parent()->Parent()->Parent()->ChildCount(), 1);
    root.reset(); // a recursive teardown would overflow the stack here
}

TEST(XmlWriter, LayoutIsExactToTheByte) {
    XmlDocument doc;
    doc.SetName(W(u"GridvellumMap"));
    doc.AddAttribute(W(u"tileset"), W(u"sample.set"));
    doc.AddAttribute(W(u"title"), W(u"A \"quoted\" <map> & 'more'"));
    doc.AddChild()->SetName(W(u"TileRef"));
    doc.Child(0)->AddAttribute(W(u"name"), W(u"castle:wall"));
    XmlElement* text = doc.AddChild();
    text->SetName(W(u"Text"));
    text->SetText(W(u"  two  spaces  "));
    doc.AddChild()->SetName(W(u"Empty"));
    XmlElement* parent = doc.AddChild();
    parent->SetName(W(u"Parent"));
    parent->AddChild()->SetName(W(u"Leaf"));
    XmlElement* mixed = doc.AddChild();
    mixed->SetName(W(u"Mixed"));
    mixed->SetText(W(u"lead"));
    mixed->AddChild()->SetName(W(u"a"));
    mixed->AddChild()->SetName(W(u"b"));

    EXPECT_EQ(TextOf(doc),
              W(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
                u"<GridvellumMap tileset=\"sample.set\" title=\"A &quot;quoted&quot; &lt;map&gt; &amp; "
                u"&apos;more&apos;\">\n"
                u"   <TileRef name=\"castle:wall\"/>\n"
                u"   <Text>  two  spaces  </Text>\n"
                u"   <Empty/>\n"
                u"   <Parent>\n"
                u"      <Leaf/>\n"
                u"   </Parent>\n"
                u"   <Mixed>lead<a/>\n"
                u"      <b/>\n"
                u"   </Mixed>\n"
                u"</GridvellumMap>"));
}

TEST(XmlWriter, FileBytesAreUtf8WithMarkAndCrLf) {
    XmlDocument doc;
    doc.SetName(W(u"Set"));
    doc.SetStylesheet(W(u"text/xsl"), W(u"set.xsl"));
    XmlElement* tile = doc.AddChild();
    tile->SetName(W(u"Tile"));
    tile->AddAttribute(W(u"label"), W(u"Caf\u00E9 \u20AC"));
    tile->SetText(W(u"line one\nline two"));
    const std::string expected = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                 "<?xml-stylesheet type=\"text/xsl\" href=\"set.xsl\"?>\r\n"
                                 "<Set>\r\n"
                                 "   <Tile label=\"Caf\xC3\xA9 \xE2\x82\xAC\">line one\r\nline two</Tile>\r\n"
                                 "</Set>";
    EXPECT_EQ(doc.ToFileBytes(), expected);
}

TEST(XmlWriter, CommentsAreWrittenAsElementsNamedComment) {
    XmlDocument doc;
    ASSERT_TRUE(doc.ParseText(W(u"<a><!-- note --></a>")));
    ASSERT_EQ(doc.ChildCount(), 1);
    EXPECT_EQ(doc.Child(0)->Name(), W(u"Comment"));
    EXPECT_EQ(doc.Child(0)->Value(), W(u" note "));
    EXPECT_EQ(TextOf(doc),
              W(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<a>\n   <Comment> note </Comment>\n</a>"));
}
