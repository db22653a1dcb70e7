#include "support/XmlElement.h"

#include "support/XmlArena.h"

#include <new>
#include <string>

namespace {

int UnitLength(const char16_t* text) {
    return text ? static_cast<int>(std::char_traits<char16_t>::length(text)) : 0;
}

bool SameNameNoCase(const WString& name, const char16_t* other, int length) {
    if (name.Length() != length)
        return false;
    const char16_t* units = name.c_str();
    for (int i = 0; i < length; ++i) {
        if (WString::FoldCase(units[i]) != WString::FoldCase(other[i]))
            return false;
    }
    return true;
}

void AppendLineAndIndent(WString& out, int depth) {
    out.AppendUnit(u'\n');
    for (int i = 0; i < depth; ++i)
        out.Append(XmlElement::kIndent, 3);
}

} // namespace

void XmlNodeDelete::operator()(XmlNode* node) const noexcept {
    XmlArena* arena = node->Arena();
    if (!arena) {
        std::default_delete<XmlNode>()(node);
        return;
    }
    node->~XmlNode();
    arena->Release(node, sizeof(XmlNode));
}

// Elements held in a list are never documents, so the slot size is that of a plain element.
void XmlNodeDelete::operator()(XmlElement* element) const noexcept {
    XmlArena* arena = element->Arena();
    if (!arena) {
        std::default_delete<XmlElement>()(element);
        return;
    }
    element->~XmlElement();
    arena->Release(element, sizeof(XmlElement));
}

template <class Node> std::unique_ptr<Node, XmlNodeDelete> XmlElement::MakeNode() {
    XmlArena* arena = Arena();
    if (!arena)
        return std::unique_ptr<Node, XmlNodeDelete>(std::make_unique<Node>().release());
    // Default-initialised: every member has its initialiser, and an element's 176 bytes zeroed first, as
    // Node() would, cost a parse one slow block fill per element.
    std::unique_ptr<Node, XmlNodeDelete> node(::new (arena->Allocate(sizeof(Node))) Node);
    node->arena_ = arena;
    node->ShareNamesThroughArena();
    return node;
}

XmlElement::~XmlElement() {
    DeleteAttributes();
    // Tear the subtree down without recursion, so that no depth of nesting can exhaust the stack.
    std::vector<OwnedElement> pending = std::move(children_);
    while (!pending.empty()) {
        OwnedElement last = std::move(pending.back());
        pending.pop_back();
        for (auto it = last->children_.rbegin(); it != last->children_.rend(); ++it)
            pending.push_back(std::move(*it));
        last->children_.clear();
    }
}

// A loop, not a chain of owning pointers: a hostile element may carry millions of attributes.
void XmlElement::DeleteAttributes() {
    XmlNode* attribute = firstAttribute_;
    firstAttribute_ = lastAttribute_ = nullptr;
    attributeCount_ = 0;
    while (attribute) {
        XmlNode* next = attribute->nextAttribute_;
        XmlNodeDelete()(attribute);
        attribute = next;
    }
}

XmlElement* XmlElement::AddChild() {
    children_.push_back(MakeNode<XmlElement>());
    children_.back()->SetParent(this);
    return children_.back().get();
}

XmlElement* XmlElement::Child(int index) const {
    if (index < 0 || index >= ChildCount())
        return nullptr;
    return children_[static_cast<size_t>(index)].get();
}

XmlElement* XmlElement::ChildNamed(const WString& name) const {
    for (const auto& child : children_) {
        if (child->Name().EqualsNoCase(name))
            return child.get();
    }
    return nullptr;
}

XmlNode* XmlElement::AddAttribute(const WString& name, const WString& value) {
    return AddAttribute(name.c_str(), name.Length(), value.c_str(), value.Length());
}

XmlNode* XmlElement::AddAttribute(const char16_t* name, int nameLength, const char16_t* value,
                                  int valueLength) {
    OwnedNode node = MakeNode<XmlNode>();
    node->SetName(name, nameLength);
    node->SetText(value, valueLength);
    return AppendAttribute(std::move(node));
}

XmlNode* XmlElement::AddParsedAttribute(const WString* sharedName) {
    OwnedNode node = MakeNode<XmlNode>();
    node->SetSharedName(sharedName);
    return AppendAttribute(std::move(node));
}

XmlNode* XmlElement::AppendAttribute(OwnedNode node) {
    XmlNode* added = node.release();
    added->SetParent(this);
    if (lastAttribute_)
        lastAttribute_->nextAttribute_ = added;
    else
        firstAttribute_ = added;
    lastAttribute_ = added;
    ++attributeCount_;
    return added;
}

XmlNode* XmlElement::AttributeAt(int index) const {
    if (index < 0 || index >= attributeCount_)
        return nullptr;
    XmlNode* attribute = firstAttribute_;
    while (index-- > 0)
        attribute = attribute->nextAttribute_;
    return attribute;
}

const XmlNode* XmlElement::FindAttribute(const char16_t* name, int length) const {
    for (const XmlNode* attribute = firstAttribute_; attribute; attribute = attribute->nextAttribute_) {
        if (SameNameNoCase(attribute->Name(), name, length))
            return attribute;
    }
    return nullptr;
}

bool XmlElement::HasAttribute(const WString& name) const {
    return FindAttribute(name.c_str(), name.Length());
}

bool XmlElement::HasAttribute(const char16_t* name) const {
    return FindAttribute(name ? name : u"", UnitLength(name));
}

const WString& XmlElement::Attribute(const WString& name, bool preferRaw) const {
    const XmlNode* attribute = FindAttribute(name.c_str(), name.Length());
    return attribute ? attribute->Text(preferRaw) : NoText();
}

const WString& XmlElement::Attribute(const char16_t* name, bool preferRaw) const {
    const XmlNode* attribute = FindAttribute(name ? name : u"", UnitLength(name));
    return attribute ? attribute->Text(preferRaw) : NoText();
}

void XmlElement::ClearContent() {
    // Children go first to last, like the destructor of the whole element.
    std::vector<OwnedElement> doomed = std::move(children_);
    children_.clear();
    for (auto& child : doomed)
        child.reset();
    DeleteAttributes();
}

void XmlElement::AppendEscaped(WString& out, const WString& text) {
    const char16_t* units = text.c_str();
    const int length = text.Length();
    int from = 0;
    for (int i = 0; i < length; ++i) {
        const char16_t* entity = nullptr;
        switch (units[i]) {
        case u'"':
            entity = u"&quot;";
            break;
        case u'&':
            entity = u"&amp;";
            break;
        case u'\'':
            entity = u"&apos;";
            break;
        case u'<':
            entity = u"&lt;";
            break;
        case u'>':
            entity = u"&gt;";
            break;
        default:
            continue;
        }
        out.Append(units + from, i - from);
        out.Append(entity);
        from = i + 1;
    }
    out.Append(units + from, length - from);
}

void XmlElement::Write(WString& out, int depth) const {
    // An explicit stack instead of recursion: trees built in code have no depth limit.
    struct Frame {
        const XmlElement* element;
        int depth;
        size_t nextChild;
        bool textWritten;
    };
    std::vector<Frame> stack;
    auto open = [&](const XmlElement* element, int level) {
        out.AppendUnit(u'<');
        out.Append(element->Name());
        for (const XmlNode* attribute = element->firstAttribute_; attribute;
             attribute = attribute->nextAttribute_) {
            out.AppendUnit(u' ');
            out.Append(attribute->Name());
            out.Append(u"=\"", 2);
            AppendEscaped(out, attribute->Text(true));
            out.AppendUnit(u'"');
        }
        const WString& text = element->Text(true);
        if (text.IsEmpty() && element->children_.empty()) {
            out.Append(u"/>", 2);
            return;
        }
        out.AppendUnit(u'>');
        AppendEscaped(out, text);
        stack.push_back({element, level, 0, !text.IsEmpty()});
    };
    open(this, depth);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.nextChild < frame.element->children_.size()) {
            const XmlElement* child = frame.element->children_[frame.nextChild].get();
            if (!(frame.nextChild == 0 && frame.textWritten))
                AppendLineAndIndent(out, frame.depth + 1);
            ++frame.nextChild;
            open(child, frame.depth + 1); // may grow the stack: frame is not used afterwards
            continue;
        }
        if (!frame.element->children_.empty())
            AppendLineAndIndent(out, frame.depth);
        out.Append(u"</", 2);
        out.Append(frame.element->Name());
        out.AppendUnit(u'>');
        stack.pop_back();
    }
}
