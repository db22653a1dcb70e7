#pragma once

#include "support/WString.h"

class XmlElement;

// One named item with text: an attribute, or the base of an element. Name and value are kept trimmed;
// the untrimmed text is kept beside the value only when trimming changed it, so that text with
// meaningful outer white space survives a load and save unchanged.
class XmlNode {
public:
    XmlNode() = default;
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;
    virtual ~XmlNode();

    void SetName(const WString& name);
    void SetName(const char16_t* units, int count);
    const WString& Name() const { return name_; }

    // value = trimmed text; the raw text keeps the untrimmed text only when trimming changed something.
    void SetText(const WString& text);
    void SetText(const char16_t* units, int count);
    const WString& Text(bool preferRaw = false) const;
    const WString& Value() const { return value_; }
    const WString& RawText() const { return rawText_; }
    void ClearText();
    // Comments keep their text exactly as written: value without trimming, no raw text.
    void SetUntrimmedValue(const char16_t* units, int count);

    XmlElement* Parent() const { return parent_; }
    void SetParent(XmlElement* parent) { parent_ = parent; }

private:
    WString name_;
    WString value_;
    WString rawText_;
    XmlElement* parent_ = nullptr;
};
