#pragma once

#include "support/WString.h"

class XmlDocument;
class XmlElement;

// A lenient recursive-descent parser over wide text held in memory. It walks the text by pointer and
// never reads outside [text, text + length). Nesting deeper than kMaxDepth fails the parse, which keeps
// hostile input from exhausting the stack.
class XmlParser {
public:
    static constexpr int kMaxDepth = 2000;

    XmlParser(const char16_t* text, int length);

    // The prolog (declaration, stylesheet, processing instructions, comments, document type), then the
    // root element into the document. Nothing after the root is looked at.
    bool ParseDocument(XmlDocument& document);

private:
    static constexpr int kBlockSize = 1024;

    bool SkipProlog(XmlDocument& document);
    void ReadStylesheet(XmlDocument& document);
    bool ParseElement(XmlElement& element, int depth);
    bool ParseAttributes(XmlElement& element, bool& empty);
    bool ParseContent(XmlElement& element, int depth);
    void SkipToEndTag(const XmlElement& element);

    bool StartsWith(const char16_t* literal) const;
    const char16_t* FindUnit(const char16_t* from, char16_t unit) const; // end_ when absent
    const char16_t* FindText(const char16_t* from, const char16_t* literal) const;
    void SkipSpace();
    void SkipPast(char16_t unit); // to just after the next unit, or to the end
    void ReadName(const char16_t*& begin, const char16_t*& end);
    void Decode(const char16_t* from, const char16_t* to, WString& out);

    const char16_t* pos_;
    const char16_t* end_;
    WString name_;               // scratch for attribute names
    WString value_;              // scratch for decoded values and text
    char16_t block_[kBlockSize]; // decoded text gathers here before it is appended
};
