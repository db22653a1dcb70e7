#pragma once

#include "support/XmlArena.h"
#include "support/XmlElement.h"
#include "support/XmlTextBuffer.h"

#include <cstddef>
#include <deque>
#include <string>

// A whole XML document. The document is its own root element: its name, attributes and children are
// those of the root. Files are UTF-8 with a byte-order mark and CR LF line ends when written; reading
// accepts UTF-8, UTF-7, UTF-16 and UTF-32 (with their marks) and Windows-1252.
class XmlDocument : public XmlElement {
public:
    // Every node added below the document, by parsing or in code, lives in the document's arena.
    XmlDocument();
    ~XmlDocument() override;

    // Replaces children and attributes by the file's. A failed load leaves a partly filled document
    // and, when reason is given, says why there ("No such file or directory", "Permission denied",
    // "The file is empty", "Not a readable XML document").
    bool Load(const WString& path, WString* reason = nullptr);
    // The same from file bytes already in memory (everything Load does after reading the file).
    bool LoadFromBytes(const unsigned char* bytes, size_t size);
    // Parses wide text (no byte-order mark needed) into a new document; existing content is kept.
    bool ParseText(const WString& text);
    // Deletes all children and attributes, and the texts they were read from; name and text stay.
    void ClearContent();

    // True when the bytes reached the disk; otherwise reason, when given, holds the system's text
    // ("No space left on device", "Permission denied").
    bool Save(const WString& path, WString* reason = nullptr) const;
    // Exactly the bytes Save writes.
    std::string ToFileBytes() const;
    // Appends the document with a UTF-16 declaration and bare line feeds.
    void ToText(WString& out) const;

    bool HasStylesheet() const { return hasStylesheet_; }
    const WString& StylesheetType() const { return stylesheetType_; }
    const WString& StylesheetHref() const { return stylesheetHref_; }
    void SetStylesheet(const WString& type, const WString& href);
    void ClearStylesheet();

private:
    friend class XmlParser;

    void AppendBody(WString& out) const;
    // Room for count units and a terminator, kept until the content is cleared.
    char16_t* NewText(size_t count);
    bool ParseOwnText(char16_t* units, int count, bool mayHoldZero);

    XmlArena nodeArena_; // outlives the nodes: the destructor clears the tree first
    // The texts that parsed values show in place; they outlive the nodes, which go first.
    std::deque<XmlTextBuffer> texts_;
    bool hasStylesheet_ = false;
    WString stylesheetType_;
    WString stylesheetHref_;
};
