#pragma once

#include "support/WString.h"

#include <memory>

class XmlArena;
class XmlElement;

// One named item with text: an attribute, or the base of an element. Name and value are kept trimmed;
// the untrimmed text is kept beside the value only when trimming changed it, so that text with
// meaningful outer white space survives a load and save unchanged. A node in a document's arena shares
// its name with every other node of that name there; a node on its own keeps a copy.
class XmlNode {
public:
    XmlNode() : name_(&NoText()) {} // inline: a parsed document makes one for every name and value
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;
    virtual ~XmlNode();

    void SetName(const WString& name);
    void SetName(const char16_t* units, int count);
    const WString& Name() const { return *name_; }

    // value = trimmed text; the raw text keeps the untrimmed text only when trimming changed something.
    void SetText(const WString& text);
    void SetText(const char16_t* units, int count);
    const WString& Text(bool preferRaw = false) const;
    const WString& Value() const { return value_; }
    const WString& RawText() const;
    void ClearText();
    // Comments keep their text exactly as written: value without trimming, no raw text.
    void SetUntrimmedValue(const char16_t* units, int count);

    XmlElement* Parent() const { return parent_; }
    void SetParent(XmlElement* parent) { parent_ = parent; }

    // The document arena this node's memory came from; null for nodes on the heap.
    XmlArena* Arena() const { return arena_; }

protected:
    // Nodes created below an element share its arena (the document's); set once, before any child exists.
    void SetArena(XmlArena* arena) { arena_ = arena; }

private:
    friend class XmlElement;

    friend class XmlParser;

    // The empty text that nodes without a name, value or raw text show.
    static const WString& NoText() {
        static const WString none{};
        return none;
    }
    static void AssignUnits(WString& target, const char16_t* units, int count);
    // For names the parser read: they hold no white space, so there is nothing to trim.
    void SetParsedName(const char16_t* units, int count) { StoreName(units, count); }
    // A name already in the arena's table; only for nodes that live in an arena slot.
    void SetSharedName(const WString* name) { name_ = name; }
    void StoreName(const char16_t* units, int count);
    // Called once for nodes that live in an arena slot (the document itself does not).
    void ShareNamesThroughArena() { sharedNames_ = true; }
    bool SharesNames() const { return sharedNames_; }
    // Set text for text the parser found in its document's own buffer, which outlives every node in an
    // arena slot: the value shows those units in place. `terminatorFits` says that units[count] may be
    // overwritten (the closing quote, or room freed by decoding entities). Other nodes copy, as SetText.
    void TakeParsedText(char16_t* units, int count, bool terminatorFits) {
        // Most values have no outer white space: they are shown as they stand, inline.
        if (sharedNames_ && count > 0 && terminatorFits && !WString::IsSpace(units[0]) &&
            !WString::IsSpace(units[count - 1]) && !rawText_) {
            units[count] = 0;
            value_.Borrow(units, count);
            return;
        }
        TakeTrimmedText(units, count, terminatorFits);
    }
    void TakeTrimmedText(char16_t* units, int count, bool terminatorFits);
    // The same for a comment, kept untrimmed; units[count] may always be overwritten.
    void TakeParsedComment(char16_t* units, int count);

    const WString* name_; // the arena's shared copy, or ownName_; never null
    std::unique_ptr<WString> ownName_;
    WString value_; // may show the units of its document's text instead of holding a copy
    // Most text needs no raw copy, so it is kept apart and only exists while it differs from the value.
    std::unique_ptr<WString> rawText_;
    XmlElement* parent_ = nullptr;
    XmlArena* arena_ = nullptr;
    XmlNode* nextAttribute_ = nullptr; // the following attribute of the parent; owned by the parent
    bool sharedNames_ = false;
};
