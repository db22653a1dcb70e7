#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The program's one string type: wide text in 16-bit units, always zero-terminated.
//
// Conversion codes for 8-bit text (ToAnsi, AppendAnsi, the const char* constructor):
//   0, 1  the system 8-bit code page, which is Windows-1252 here (also used for "ISO-8859-1");
//         units that Windows-1252 cannot hold are written as '?'
//   2     UTF-7
//   3     UTF-8 (with mark: EF BB BF in front); invalid input decodes to U+FFFD, characters outside the
//         basic plane are kept as surrogate pairs
//   4, 5  UTF-16 little-/big-endian     (to wide only)
//   6, 7  UTF-32 little-/big-endian     (to wide only; characters outside the basic plane become
//         surrogate pairs, values beyond U+10FFFF become U+FFFD)
//
// Numbers use "%.6g" and a decimal separator that follows the C runtime's current locale: the separator
// is ',' when that locale reads ",1" as a nonzero number, else '.'. Reals always carry a separator
// (1 is written "1.0") so files stay unambiguous to read back.
//
// Path mode of ToAnsi exists for platforms whose file functions only take 8-bit names. Linux takes any
// byte sequence (UTF-8 by convention), so path mode never changes anything here: it converts exactly like
// plain mode with the same code.
class WString {
public:
    enum Code : int {
        kSystem = 0,
        kWindows1252 = 1,
        kUtf7 = 2,
        kUtf8 = 3,
        kUtf16Le = 4,
        kUtf16Be = 5,
        kUtf32Le = 6,
        kUtf32Be = 7,
    };

    WString() noexcept = default; // inline: a parsed document makes one for every node
    WString(const WString& other);
    WString(WString&& other) noexcept;
    WString(const char16_t* text); // a null pointer gives the empty string
    WString(const char16_t* units, int count);
    WString(const char* text); // 8-bit text in code 1
    explicit WString(unsigned int value);
    ~WString();

    WString& operator=(const WString& other);
    WString& operator=(WString&& other) noexcept;
    WString& operator=(const char16_t* text);
    WString& operator=(const char* text);
    WString& operator=(unsigned int value);
    WString& operator=(int value);
    WString& operator=(double value);
    WString& operator=(char16_t unit); // a zero unit gives the empty string
    WString& operator=(char) = delete; // would silently become a number

    WString& operator+=(const WString& other);
    WString& operator+=(const char16_t* text);
    WString& operator+=(const char* text);
    WString& operator+=(unsigned int value);
    WString& operator+=(int value);
    WString& operator+=(double value);
    WString& operator+=(char16_t unit);
    WString& operator+=(char) = delete;

    bool operator==(const WString& other) const; // exact, unit by unit
    bool operator==(const char16_t* text) const;
    bool operator<(const WString& other) const; // unit order, for ordered containers

    // Access
    const char16_t* c_str() const { return units_ ? units_ : u""; } // never null
    int Length() const { return length_; }
    bool IsEmpty() const { return length_ == 0; }
    bool IsAllSpace() const;      // false when empty
    char16_t At(int index) const; // 0 outside 0..Length()-1
    int Spare() const { return spare_ > 0 ? spare_ : 0; }
    char16_t* Data(); // writable units, e.g. after Reserve(n, true); null when no buffer exists
    void Clear();

    // Appending (the growth rule keeps repeated small appends cheap)
    void Append(const WString& other);
    void Append(const char16_t* text);
    void Append(const char16_t* units, int count); // a run of count units, zeros included
    void Append(const char* text);                 // 8-bit text in code 1
    void AppendUnit(char16_t unit);                // a zero unit appends nothing
    void AppendReal(double value);
    void AppendInt(long long value);
    void AppendUnsigned(unsigned long long value);
    void AppendAnsi(const char* bytes, size_t count, int code);

    // 8-bit conversion. The result is owned by this string and stays valid until the text changes or
    // another conversion with different parameters is asked for. Null for codes 4..7 and unknown codes.
    const char* ToAnsi(bool pathMode = false, int code = kWindows1252, bool withMark = false) const;
    size_t AnsiSize() const; // bytes of the last ToAnsi result, mark included, terminator excluded
    std::string ToUtf8() const;
    static WString FromUtf8(std::string_view bytes);

    // Numbers and booleans in the fixed formats of the program's files
    static char16_t DecimalSeparator();
    double AsReal() const;
    float AsFloat() const;
    int AsInt() const;
    unsigned int AsUnsigned() const;
    bool AsBool() const; // true only when the text begins "true", "TRUE" or "True"
    static WString FromReal(double value);
    static WString FromInt(long long value);

    // Text operations (positions and counts in units)
    WString& Trim(bool leading = true, bool trailing = true);
    bool EqualsNoCase(const WString& other) const;
    bool EqualsNoCase(const char16_t* text) const; // a null text equals the empty string
    int CompareNoCase(const WString& other) const; // <0, 0, >0; consistent with EqualsNoCase
    int Find(const WString& text) const;           // index of the first occurrence or -1
    int Find(const char16_t* text) const;
    bool StartsWith(const WString& text) const;
    bool StartsWith(const char16_t* text) const;
    bool EndsWith(const WString& text) const;
    bool EndsWith(const char16_t* text) const;
    int FindAfter(const char16_t* text, int from, bool past) const; // -1 when not found
    int FindAfter(const WString& text, int from, bool past) const;
    WString Substring(int start, int count) const; // empty when the range leaves the string
    void DropLast(int n);                          // nothing when n exceeds the length
    void ReplaceUnit(char16_t from, char16_t to);
    void RemoveUnit(char16_t unit);
    int ReplaceText(const WString& pattern, const WString& replacement); // count of replacements
    int LineCount() const;
    WString Line(int n) const; // without its line feed; empty when there is no such line
    bool Field(int n, char16_t separator, bool trim, WString& out) const;
    void ToCrLf();
    void Reserve(int n, bool asLength); // replaces the content by n zero units

    // Paths: both '\\' and '/' separate. Parts not wanted may be null. The extension includes its point; a
    // point that starts the name does not start an extension.
    void SplitPath(WString* drive, WString* directory, WString* name, WString* extension) const;
    // The directory's separators all become the one it uses more often (a backslash on a tie, '/' when it
    // has none), and it ends with one. A relative directory stays relative: it gains a leading separator
    // only after a drive.
    static WString BuildPath(const WString& drive, const WString& directory, const WString& name,
                             const WString& extension);
    WString DirectoryOf() const;        // drive and directory, ending with a separator ("" when none)
    WString NameOf() const;             // file name without extension
    WString ExtensionOf() const;        // ".ext" or ""
    WString NameAndExtensionOf() const; // "name.ext"
    // The running program's directory followed by fileName; empty when longer than 1024 units.
    static WString ProgramPath(const WString& fileName);

    // Bytes as text: a 6-character count, then the bytes, in an unpadded Base64 variant.
    static WString EncodeBytes(const void* data, int count);
    // Returns the stored count (only that, when buffer is null or capacity 0), or 0 when the text is
    // malformed, the count cannot be carried by the text, or capacity is smaller than the count.
    static int DecodeBytes(const WString& text, void* buffer, int capacity);

    static bool IsSpace(char16_t unit) { return unit == 0x20 || (unit >= 0x09 && unit <= 0x0D); }
    static char16_t FoldCase(char16_t unit); // lower-case partner used by the *NoCase operations
    size_t Hash() const;

    // Growth: makes room for n more units and returns where they go; CommitAppend(m) then records that
    // m <= n of them were written. Used by decoders that know only an upper bound of their output.
    char16_t* BeginAppend(int n);
    void CommitAppend(int written);

    // Units a string keeps inside itself, terminator included: names and most values of the program's
    // files fit, so building an XML tree does not allocate a buffer per name and value.
    static constexpr int kInlineUnits = 20;

private:
    struct AnsiCache;
    // Deletes a cache where its type is complete, which lets the empty string be made inline.
    struct AnsiCacheDelete {
        void operator()(AnsiCache* cache) const;
    };
    friend class XmlNode;

    // spare_ of a string that shows units it does not own.
    static constexpr int kBorrowed = -1;

    // Shows count units kept alive and zero-terminated by someone else (units[count] == 0), without
    // copying them. Only an XML node holds such a string, and it lives no longer than the document text
    // it shows; any change first gives the string a buffer of its own.
    void Borrow(const char16_t* units, int count) {
        if (units_ || cache_ || count <= 0) {
            BorrowReplacing(units, count);
            return;
        }
        units_ = const_cast<char16_t*>(units); // never written through: every change calls OwnUnits first
        length_ = count;
        spare_ = kBorrowed;
    }
    void BorrowReplacing(const char16_t* units, int count);
    bool IsBorrowed() const { return spare_ == kBorrowed; }
    void OwnUnits();

    bool GrowFor(int n);
    void DiscardCache() const;
    bool Owns(const char16_t* units) const; // whether units point into our own buffer
    void AppendFormattedAscii(const char* ascii, size_t count);
    // Points units_ at room for capacity units and the terminator (inside the string when they fit),
    // releasing the previous buffer; the content is not initialised.
    void PlaceBuffer(int capacity);
    void ReleaseBuffer();
    void TakeBufferOf(WString& other) noexcept;
    bool IsInline() const { return units_ == inline_; }

    // The buffer holds length_ + spare_ units and a terminator; null until an operation first needs it.
    // Where it lives (inline_ or the heap) follows from its size alone, so Spare() and every other
    // observable figure follow the growth rule whatever the placement.
    char16_t* units_ = nullptr;
    int length_ = 0;
    int spare_ = 0;
    mutable std::unique_ptr<AnsiCache, AnsiCacheDelete> cache_;
    char16_t inline_[kInlineUnits];
};

WString operator+(const WString& a, const WString& b);

template <> struct std::hash<WString> {
    size_t operator()(const WString& s) const noexcept { return s.Hash(); }
};
