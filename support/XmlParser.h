#pragma once

#include "support/WString.h"

#include <array>

class XmlDocument;
class XmlElement;
class XmlNameTable;

// A lenient recursive-descent parser over wide text held in memory. It walks the text by pointer and
// never reads outside [text, text + length). Nesting deeper than kMaxDepth fails the parse, which keeps
// hostile input from exhausting the stack.
//
// The text belongs to the document being filled and must live as long as its nodes: values are not
// copied but shown in place, so the parser decodes entities and writes terminators into the text behind
// its reading position. Text without a zero unit (decoded UTF-8, say) skips the search for one.
class XmlParser {
public:
    static constexpr int kMaxDepth = 2000;

    XmlParser(char16_t* text, int length, bool mayHoldZero = true);

    // The prolog (declaration, stylesheet, processing instructions, comments, document type), then the
    // root element into the document. Nothing after the root is looked at.
    bool ParseDocument(XmlDocument& document);

private:
    // Names are guessed from the element or attribute that stood at the same place last time.
    static constexpr int kGuessedDepths = 32;
    static constexpr int kGuessedAttributes = 16;

    bool SkipProlog(XmlDocument& document);
    void ReadStylesheet(XmlDocument& document);
    bool ParseElement(XmlElement& element, int depth);
    bool ParseAttributes(XmlElement& element, bool& empty);
    bool ParseContent(XmlElement& element, int depth);
    void SkipToEndTag(const XmlElement& element);

    bool StartsWith(const char16_t* literal) const;
    char16_t* FindUnit(char16_t* from, char16_t unit) const; // end_ when absent
    char16_t* FindText(char16_t* from, const char16_t* literal) const;
    void SkipSpace();
    void SkipPast(char16_t unit); // to just after the next unit, or to the end
    void ReadName(const char16_t*& begin, const char16_t*& end);
    // The shared name at the reading position, read past; `guess` is tried first and updated.
    const WString* ReadSharedName(const WString*& guess);
    bool GuessMatches(const WString* guess) const;
    // Decodes the five entities of [from, to) in place; returns the end of the decoded units.
    static char16_t* DecodeInPlace(char16_t* from, char16_t* to);

    char16_t* pos_;
    char16_t* end_;
    XmlNameTable* names_ = nullptr; // the document arena's
    std::array<const WString*, kGuessedDepths> elementGuess_{};
    std::array<const WString*, kGuessedAttributes> attributeGuess_{};
    const WString* unguessed_ = nullptr; // stands in for guesses beyond the arrays
};
