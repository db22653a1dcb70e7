#include "support/XmlParser.h"

#include "support/XmlDocument.h"
#include "support/XmlNameTable.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::array<bool, 128> MakeAsciiNameTable() {
    std::array<bool, 128> table{};
    for (int c = 0; c < 128; ++c) {
        table[static_cast<size_t>(c)] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                        (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':' ||
                                        c == '_';
    }
    return table;
}

constexpr std::array<bool, 128> kAsciiNameUnits = MakeAsciiNameTable();

// Letters and digits of names: ASCII by rule, and above U+00BF everything except punctuation-like
// blocks, spaces and non-characters, so names in any script read as names.
inline bool IsNameUnit(char16_t unit) {
    if (unit < 0x80)
        return kAsciiNameUnits[unit];
    if (unit == 0xAA || unit == 0xB5 || unit == 0xBA)
        return true;
    if (unit < 0xC0 || unit == 0xD7 || unit == 0xF7)
        return false;
    if ((unit >= 0x2000 && unit <= 0x206F) || unit == 0x3000 || unit == 0xFEFF || unit >= 0xFFFE)
        return false;
    return true;
}

struct Entity {
    const char16_t* text;
    int length;
    char16_t unit;
};

constexpr Entity kEntities[] = {
    {u"&lt;", 4, u'<'}, {u"&gt;", 4, u'>'}, {u"&amp;", 5, u'&'}, {u"&apos;", 6, u'\''}, {u"&quot;", 6, u'"'},
};

bool SameNameNoCase(const WString& name, const char16_t* begin, const char16_t* end) {
    if (name.Length() != end - begin)
        return false;
    const char16_t* units = name.c_str();
    for (int i = 0; i < name.Length(); ++i) {
        if (WString::FoldCase(units[i]) != WString::FoldCase(begin[i]))
            return false;
    }
    return true;
}

// The first of units [from, to) equal to a or b, or to. Values and text are scanned for their closing
// quote or tag (and an ampersand) eight units at a time, since most of a file is such runs.
template <class Unit> Unit* FindEither(Unit* from, Unit* to, char16_t a, char16_t b) {
#if defined(__SSE2__)
    const __m128i wantA = _mm_set1_epi16(static_cast<short>(a));
    const __m128i wantB = _mm_set1_epi16(static_cast<short>(b));
    for (; to - from >= 8; from += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i hits = _mm_or_si128(_mm_cmpeq_epi16(units, wantA), _mm_cmpeq_epi16(units, wantB));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0)
            return from + __builtin_ctz(static_cast<unsigned>(mask)) / 2;
    }
#endif
    for (; from < to; ++from) {
        if (*from == a || *from == b)
            return from;
    }
    return to;
}

} // namespace

// The text ends at its first zero unit, as a zero-terminated text would: a decoder may produce one
// (UTF-7 can encode U+0000), and the writer could not store it anyway.
XmlParser::XmlParser(char16_t* text, int length, bool mayHoldZero)
    : pos_(text), end_(text + std::max(length, 0)) {
    if (mayHoldZero)
        end_ = FindEither(text, end_, u'\0', u'\0');
}

bool XmlParser::StartsWith(const char16_t* literal) const {
    const size_t length = std::char_traits<char16_t>::length(literal);
    return static_cast<size_t>(end_ - pos_) >= length &&
           std::memcmp(pos_, literal, length * sizeof(char16_t)) == 0;
}

char16_t* XmlParser::FindUnit(char16_t* from, char16_t unit) const {
    return FindEither(from, end_, unit, unit);
}

char16_t* XmlParser::FindText(char16_t* from, const char16_t* literal) const {
    const size_t length = std::char_traits<char16_t>::length(literal);
    return std::search(from, end_, literal, literal + length);
}

void XmlParser::SkipSpace() {
    char16_t* p = pos_; // a local keeps the scan in a register
    // Most calls find no space at all, and every space unit lies at or below U+0020: one comparison
    // settles the common case.
    while (p < end_ && *p <= u' ' && WString::IsSpace(*p))
        ++p;
    pos_ = p;
}

void XmlParser::SkipPast(char16_t unit) {
    pos_ = FindUnit(pos_, unit);
    if (pos_ < end_)
        ++pos_;
}

void XmlParser::ReadName(const char16_t*& begin, const char16_t*& end) {
    char16_t* p = pos_;
    begin = p;
    while (p < end_ && IsNameUnit(*p))
        ++p;
    end = p;
    pos_ = p;
}

inline bool XmlParser::GuessMatches(const WString* guess) const {
    const int length = guess->Length();
    if (end_ - pos_ < length)
        return false;
    // Names are short: four units at a time, then one by one, beats a call to memcmp.
    const char16_t* units = guess->c_str();
    int i = 0;
    for (; i + 4 <= length; i += 4) {
        uint64_t want, have;
        std::memcpy(&want, units + i, sizeof want);
        std::memcpy(&have, pos_ + i, sizeof have);
        if (want != have)
            return false;
    }
    for (; i < length; ++i) {
        if (pos_[i] != units[i])
            return false;
    }
    // The guess is itself a whole name, so the name read here is the guess exactly when it ends there.
    return end_ - pos_ == length || !IsNameUnit(pos_[length]);
}

const WString* XmlParser::ReadSharedName(const WString*& guess) {
    if (guess && guess->Length() > 0 && GuessMatches(guess)) {
        pos_ += guess->Length();
        return guess;
    }
    const char16_t *begin, *end;
    ReadName(begin, end);
    guess = names_->Intern(begin, static_cast<int>(end - begin));
    return guess;
}

char16_t* XmlParser::DecodeInPlace(char16_t* from, char16_t* to) {
    char16_t* out = std::find(from, to, u'&');
    for (const char16_t* p = out; p < to;) {
        char16_t unit = *p;
        int consumed = 1;
        if (unit == u'&') {
            for (const Entity& entity : kEntities) {
                if (to - p >= entity.length &&
                    std::memcmp(p, entity.text, static_cast<size_t>(entity.length) * sizeof(char16_t)) == 0) {
                    unit = entity.unit;
                    consumed = entity.length;
                    break;
                }
            }
        }
        *out++ = unit; // never ahead of p: an entity is longer than its unit
        p += consumed;
    }
    return out;
}

bool XmlParser::ParseDocument(XmlDocument& document) {
    names_ = &document.Arena()->Names();
    if (!SkipProlog(document))
        return false;
    return ParseElement(document, 0);
}

bool XmlParser::SkipProlog(XmlDocument& document) {
    // A byte-order mark that survived decoding, in either byte order, is not text.
    if (pos_ < end_ && (*pos_ == 0xFFFE || *pos_ == 0xFEFF))
        ++pos_;
    SkipSpace();
    if (StartsWith(u"<?xml version"))
        pos_ = FindUnit(pos_ + 1, u'<');
    if (StartsWith(u"<?xml-stylesheet"))
        ReadStylesheet(document);
    while (StartsWith(u"<?"))
        pos_ = FindUnit(pos_ + 1, u'<');
    // Comments and a document type before the root are skipped, so the root is always the element
    // that follows them.
    for (;;) {
        SkipSpace();
        if (StartsWith(u"<!--")) {
            char16_t* close = FindText(pos_ + 4, u"-->");
            if (close == end_)
                return false;
            pos_ = close + 3;
        } else if (StartsWith(u"<!")) {
            char16_t* close = FindUnit(pos_, u'>');
            char16_t* subset = FindUnit(pos_, u'[');
            if (subset < close)
                close = FindText(subset, u"]>");
            pos_ = close < end_ ? close + 1 : end_;
            if (close < end_ && *close == u']')
                ++pos_;
        } else if (StartsWith(u"<?")) {
            pos_ = FindUnit(pos_ + 1, u'<');
        } else {
            return true;
        }
    }
}

void XmlParser::ReadStylesheet(XmlDocument& document) {
    document.hasStylesheet_ = true;
    char16_t* bound = FindUnit(pos_ + 1, u'<');
    auto readQuoted = [&](char16_t* from, const char16_t* key, WString& out) -> char16_t* {
        const size_t keyLength = std::char_traits<char16_t>::length(key);
        char16_t* found = std::search(from, bound, key, key + keyLength);
        if (found == bound)
            return from;
        char16_t* begin = found + keyLength;
        char16_t* close = FindUnit(begin, u'"');
        out = WString(begin, static_cast<int>(close - begin));
        return close;
    };
    char16_t* after = readQuoted(pos_, u"type=\"", document.stylesheetType_);
    readQuoted(after, u"href=\"", document.stylesheetHref_);
}

bool XmlParser::ParseElement(XmlElement& element, int depth) {
    if (depth > kMaxDepth)
        return false;
    SkipSpace();
    if (pos_ >= end_ || *pos_ != u'<')
        return false;
    if (StartsWith(u"<!--")) {
        char16_t* close = FindText(pos_ + 4, u"-->");
        if (close == end_)
            return false;
        element.SetName(WString(u"Comment"));
        char16_t* const body = pos_ + 4;
        pos_ = close + 3;
        element.TakeParsedComment(body, static_cast<int>(close - body)); // its terminator covers "-->"
        SkipSpace();
        return true;
    }
    ++pos_;
    SkipSpace();
    if (element.SharesNames()) {
        const WString*& guess =
            depth < kGuessedDepths ? elementGuess_[static_cast<size_t>(depth)] : unguessed_;
        element.SetSharedName(ReadSharedName(guess));
    } else {
        const char16_t *nameBegin, *nameEnd;
        ReadName(nameBegin, nameEnd);
        element.SetParsedName(nameBegin, static_cast<int>(nameEnd - nameBegin));
    }
    SkipSpace();
    bool empty = false;
    if (!ParseAttributes(element, empty))
        return false;
    if (empty)
        return true;
    if (!ParseContent(element, depth))
        return false;
    SkipToEndTag(element);
    return true;
}

bool XmlParser::ParseAttributes(XmlElement& element, bool& empty) {
    for (int index = 0;; ++index) {
        if (pos_ >= end_)
            return false;
        if (*pos_ == u'/') {
            ++pos_;
            SkipSpace();
            if (pos_ >= end_ || *pos_ != u'>')
                return false;
            ++pos_;
            SkipSpace();
            empty = true;
            return true;
        }
        if (*pos_ == u'>')
            return true;
        const WString*& guess =
            index < kGuessedAttributes ? attributeGuess_[static_cast<size_t>(index)] : unguessed_;
        const WString* name = ReadSharedName(guess);
        SkipSpace();
        if (pos_ >= end_ || *pos_ != u'=')
            return false;
        ++pos_;
        SkipSpace();
        // An unquoted value runs up to the next tag. The scan stops at an ampersand too, so that a value
        // without entities is read only once.
        const bool quoted = pos_ < end_ && *pos_ == u'"';
        const char16_t close = quoted ? u'"' : u'<';
        char16_t* valueBegin = quoted ? pos_ + 1 : pos_;
        char16_t* valueEnd = FindEither(valueBegin, end_, close, u'&');
        const bool hasEntity = valueEnd < end_ && *valueEnd == u'&';
        if (hasEntity)
            valueEnd = FindUnit(valueEnd, close);
        pos_ = quoted && valueEnd < end_ ? valueEnd + 1 : valueEnd;
        SkipSpace();
        char16_t* decodedEnd = hasEntity ? DecodeInPlace(valueBegin, valueEnd) : valueEnd;
        // The closing quote (or the text's own terminator) takes a quoted value's terminator; an unquoted
        // one ends at the tag that follows, unless decoding made room.
        element.AddParsedAttribute(name)->TakeParsedText(
            valueBegin, static_cast<int>(decodedEnd - valueBegin), quoted || decodedEnd < valueEnd);
    }
}

bool XmlParser::ParseContent(XmlElement& element, int depth) {
    ++pos_; // past '>'
    char16_t* const textBegin = pos_;
    SkipSpace();
    // White space before a child is dropped once the child is read, so it is only kept when none is.
    char16_t* spaceEnd = nullptr;
    if (pos_ >= end_ || *pos_ != u'<') {
        char16_t* textEnd = FindEither(pos_, end_, u'<', u'&');
        const bool hasEntity = textEnd < end_ && *textEnd == u'&';
        if (hasEntity)
            textEnd = FindUnit(textEnd, u'<');
        char16_t* decodedEnd = hasEntity ? DecodeInPlace(textBegin, textEnd) : textEnd;
        pos_ = textEnd;
        SkipSpace();
        element.TakeParsedText(textBegin, static_cast<int>(decodedEnd - textBegin),
                               decodedEnd < textEnd || textEnd == end_);
    } else if (pos_ > textBegin) {
        spaceEnd = pos_;
    }
    auto keepSpace = [&] {
        if (spaceEnd)
            element.SetText(textBegin, static_cast<int>(spaceEnd - textBegin));
    };
    bool anyChild = false;
    while (pos_ < end_ && *pos_ == u'<') {
        if (pos_ + 1 < end_ && pos_[1] == u'/')
            break;
        if (!ParseElement(*element.AddChild(), depth + 1)) {
            keepSpace();
            return false;
        }
        anyChild = true;
        if (pos_ >= end_ || *pos_ != u'<')
            break; // text after a child is not kept
    }
    if (!anyChild)
        keepSpace();
    else if (spaceEnd || element.RawText().IsAllSpace())
        element.ClearText();
    return true;
}

void XmlParser::SkipToEndTag(const XmlElement& element) {
    // Everything up to the matching end tag is skipped, mismatched end tags included.
    while (pos_ < end_) {
        SkipSpace();
        SkipPast(u'<');
        SkipSpace();
        SkipPast(u'/');
        SkipSpace();
        const char16_t *nameBegin, *nameEnd;
        ReadName(nameBegin, nameEnd);
        SkipSpace();
        SkipPast(u'>');
        SkipSpace();
        if (SameNameNoCase(element.Name(), nameBegin, nameEnd))
            return;
    }
}
