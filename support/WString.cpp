#include "support/WString.h"

#include "support/Utf7.h"
#include "support/Utf8.h"
#include "support/Windows1252.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>
#include <unistd.h>

struct WString::AnsiCache {
    std::string bytes;
    bool pathMode = false;
    int code = -1;
    bool withMark = false;
};

void WString::AnsiCacheDelete::operator()(AnsiCache* cache) const {
    delete cache;
}

namespace {

// Strings stay well below the int range so that length arithmetic never overflows.
constexpr int kMaxLength = INT_MAX / 4;
constexpr int kProgramPathCapacity = 1024;
constexpr char kBytesAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-+";

int UnitLength(const char16_t* text) {
    if (!text)
        return 0;
    return static_cast<int>(std::char_traits<char16_t>::length(text));
}

std::u16string_view ViewOf(const WString& s) {
    return {s.c_str(), static_cast<size_t>(s.Length())};
}

bool IsSeparator(char16_t unit) {
    return unit == u'\\' || unit == u'/';
}

bool IsAsciiLetter(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z');
}

int BytesAlphabetValue(char16_t unit) {
    if (unit >= u'a' && unit <= u'z')
        return unit - u'a';
    if (unit >= u'A' && unit <= u'Z')
        return unit - u'A' + 26;
    if (unit >= u'0' && unit <= u'9')
        return unit - u'0' + 52;
    if (unit == u'-')
        return 62;
    if (unit == u'+')
        return 63;
    return 0; // characters outside the alphabet count as 0
}

// Writes one group of up to 3 bytes as up to 4 characters (n bytes give n + 1 characters).
void EncodeGroup(const unsigned char* bytes, int n, WString& out) {
    const uint32_t bits =
        (uint32_t(bytes[0]) << 16) | (n > 1 ? uint32_t(bytes[1]) << 8 : 0) | (n > 2 ? bytes[2] : 0);
    for (int k = 0; k <= n; ++k)
        out.AppendUnit(static_cast<char16_t>(kBytesAlphabet[(bits >> (18 - 6 * k)) & 0x3F]));
}

// Decodes n + 1 characters into n bytes (n = 1..3).
void DecodeGroup(const char16_t* text, int n, unsigned char* out) {
    uint32_t bits = 0;
    for (int k = 0; k < 4; ++k)
        bits = (bits << 6) | static_cast<uint32_t>(k <= n ? BytesAlphabetValue(text[k]) : 0);
    for (int k = 0; k < n; ++k)
        out[k] = static_cast<unsigned char>(bits >> (16 - 8 * k));
}

// Bytes that `characters` characters of encoded data carry: whole groups of 4 give 3, a tail of 2 gives
// 1 and a tail of 3 gives 2; a tail of 1 carries nothing.
long long BytesCarriedBy(long long characters) {
    const long long tail = characters % 4;
    return characters / 4 * 3 + (tail >= 2 ? tail - 1 : 0);
}

// The standard wide decimal conversion: white space, an optional sign, then digits.
// Reports whether any digit was read; value is the magnitude clamped to ULLONG_MAX.
bool ReadDecimal(const char16_t* p, bool& negative, unsigned long long& magnitude, bool& overflow) {
    while (WString::IsSpace(*p))
        ++p;
    negative = false;
    if (*p == u'+' || *p == u'-') {
        negative = *p == u'-';
        ++p;
    }
    magnitude = 0;
    overflow = false;
    bool any = false;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        any = true;
        const unsigned digit = *p - u'0';
        if (magnitude > (ULLONG_MAX - digit) / 10)
            overflow = true;
        else
            magnitude = magnitude * 10 + digit;
    }
    return any;
}

} // namespace

// ---- construction and assignment ----

WString::WString(const WString& other) {
    Append(other);
}

WString::WString(WString&& other) noexcept {
    TakeBufferOf(other);
}

WString::WString(const char16_t* text) {
    Append(text);
}

WString::WString(const char16_t* units, int count) {
    Append(units, count);
}

WString::WString(const char* text) {
    Append(text);
}

WString::WString(unsigned int value) {
    AppendUnsigned(value);
}

WString::~WString() {
    ReleaseBuffer();
}

WString& WString::operator=(const WString& other) {
    if (this != &other) {
        Clear();
        Append(other);
    }
    return *this;
}

WString& WString::operator=(WString&& other) noexcept {
    if (this != &other) {
        ReleaseBuffer();
        TakeBufferOf(other);
    }
    return *this;
}

WString& WString::operator=(const char16_t* text) {
    if (text && Owns(text)) {
        *this = WString(text); // assigning a tail of ourselves
        return *this;
    }
    Clear();
    Append(text);
    return *this;
}

WString& WString::operator=(const char* text) {
    Clear();
    Append(text);
    return *this;
}

WString& WString::operator=(unsigned int value) {
    Clear();
    AppendUnsigned(value);
    return *this;
}

WString& WString::operator=(int value) {
    Clear();
    AppendInt(value);
    return *this;
}

WString& WString::operator=(double value) {
    Clear();
    AppendReal(value);
    return *this;
}

WString& WString::operator=(char16_t unit) {
    Clear();
    AppendUnit(unit);
    return *this;
}

WString& WString::operator+=(const WString& other) {
    Append(other);
    return *this;
}

WString& WString::operator+=(const char16_t* text) {
    Append(text);
    return *this;
}

WString& WString::operator+=(const char* text) {
    Append(text);
    return *this;
}

WString& WString::operator+=(unsigned int value) {
    AppendUnsigned(value);
    return *this;
}

WString& WString::operator+=(int value) {
    AppendInt(value);
    return *this;
}

WString& WString::operator+=(double value) {
    AppendReal(value);
    return *this;
}

WString& WString::operator+=(char16_t unit) {
    AppendUnit(unit);
    return *this;
}

bool WString::operator==(const WString& other) const {
    return ViewOf(*this) == ViewOf(other);
}

bool WString::operator==(const char16_t* text) const {
    return ViewOf(*this) == std::u16string_view(text ? text : u"", static_cast<size_t>(UnitLength(text)));
}

bool WString::operator<(const WString& other) const {
    return ViewOf(*this) < ViewOf(other);
}

WString operator+(const WString& a, const WString& b) {
    WString result(a);
    result.Append(b);
    return result;
}

// ---- access ----

bool WString::IsAllSpace() const {
    if (length_ == 0)
        return false;
    for (int i = 0; i < length_; ++i) {
        if (!IsSpace(units_[i]))
            return false;
    }
    return true;
}

char16_t WString::At(int index) const {
    if (index < 0 || index >= length_)
        return 0;
    return units_[index];
}

char16_t* WString::Data() {
    OwnUnits();
    DiscardCache(); // the caller is about to change the text
    return units_;
}

void WString::Clear() {
    if (!units_)
        return;
    if (IsBorrowed()) {
        units_ = nullptr;
        length_ = 0;
        spare_ = 0;
        DiscardCache();
        return;
    }
    spare_ += length_;
    length_ = 0;
    units_[0] = 0;
    DiscardCache();
}

// ---- growth ----

void WString::PlaceBuffer(int capacity) {
    ReleaseBuffer();
    if (capacity < kInlineUnits)
        units_ = inline_;
    else
        units_ = std::allocator<char16_t>().allocate(static_cast<size_t>(capacity) + 1);
}

void WString::ReleaseBuffer() {
    if (units_ && !IsInline() && !IsBorrowed())
        std::allocator<char16_t>().deallocate(units_, static_cast<size_t>(length_) + spare_ + 1);
    units_ = nullptr;
}

void WString::TakeBufferOf(WString& other) noexcept {
    length_ = other.length_;
    spare_ = other.spare_;
    cache_ = std::move(other.cache_);
    if (other.IsInline()) {
        std::memcpy(inline_, other.inline_, (static_cast<size_t>(length_) + spare_ + 1) * sizeof(char16_t));
        units_ = inline_;
    } else {
        units_ = other.units_; // null stays null
    }
    other.units_ = nullptr;
    other.length_ = 0;
    other.spare_ = 0;
}

bool WString::GrowFor(int n) {
    if (n <= 0 || n > kMaxLength - length_)
        return false;
    if (!units_ || (length_ == 0 && spare_ == 0)) {
        const int room = n == 1 ? 10 : n;
        PlaceBuffer(room);
        length_ = 0;
        spare_ = room;
        units_[0] = 0;
        return true;
    }
    if (spare_ >= n)
        return true;
    const int newLength = length_ + n;
    const int newSpare = std::min(std::max(newLength, 10), kMaxLength - newLength);
    const int newCapacity = newLength + newSpare;
    if (IsInline() && newCapacity < kInlineUnits) {
        spare_ = newCapacity - length_; // the inline room already covers the larger capacity
        return true;
    }
    char16_t* bigger = std::allocator<char16_t>().allocate(static_cast<size_t>(newCapacity) + 1);
    std::memcpy(bigger, units_, (static_cast<size_t>(length_) + 1) * sizeof(char16_t));
    ReleaseBuffer();
    units_ = bigger;
    spare_ = newCapacity - length_;
    return true;
}

char16_t* WString::BeginAppend(int n) {
    if (!GrowFor(n))
        return nullptr;
    return units_ + length_;
}

void WString::CommitAppend(int written) {
    if (written <= 0 || !units_ || written > spare_)
        return;
    length_ += written;
    spare_ -= written;
    units_[length_] = 0;
    DiscardCache();
}

void WString::BorrowReplacing(const char16_t* units, int count) {
    ReleaseBuffer();
    DiscardCache();
    length_ = spare_ = 0;
    if (count > 0)
        Borrow(units, count);
}

void WString::OwnUnits() {
    if (!IsBorrowed())
        return;
    const char16_t* shown = units_;
    units_ = nullptr;
    const int count = length_;
    length_ = spare_ = 0;
    Append(shown, count);
}

void WString::DiscardCache() const {
    cache_.reset();
}

bool WString::Owns(const char16_t* units) const {
    if (!units_)
        return false;
    const std::less_equal<const char16_t*> notAfter;
    return notAfter(units_, units) && notAfter(units, units_ + length_ + Spare());
}

// ---- appending ----

void WString::Append(const WString& other) {
    if (&other == this) {
        const WString copy(other);
        Append(copy.c_str(), copy.Length());
        return;
    }
    Append(other.c_str(), other.Length());
}

void WString::Append(const char16_t* text) {
    Append(text, UnitLength(text));
}

void WString::Append(const char16_t* units, int count) {
    if (!units || count <= 0)
        return;
    if (Owns(units)) {
        const WString copy(units, count); // the source lives in our own buffer, which may move
        Append(copy.c_str(), copy.Length());
        return;
    }
    char16_t* at = BeginAppend(count);
    if (!at)
        return;
    std::memcpy(at, units, static_cast<size_t>(count) * sizeof(char16_t));
    CommitAppend(count);
}

void WString::Append(const char* text) {
    if (text)
        AppendAnsi(text, std::strlen(text), kWindows1252);
}

void WString::AppendUnit(char16_t unit) {
    if (unit != 0)
        Append(&unit, 1);
}

void WString::AppendFormattedAscii(const char* ascii, size_t count) {
    char16_t* at = BeginAppend(static_cast<int>(count));
    if (!at)
        return;
    for (size_t i = 0; i < count; ++i)
        at[i] = static_cast<unsigned char>(ascii[i]);
    CommitAppend(static_cast<int>(count));
}

void WString::AppendReal(double value) {
    char buffer[50];
    int n = std::snprintf(buffer, sizeof buffer, "%.6g", value);
    if (n < 0)
        return;
    n = std::min(n, static_cast<int>(sizeof buffer) - 1);
    // The separator is forced to the one the reading side expects, whatever the formatter chose.
    const char separator = static_cast<char>(DecimalSeparator());
    bool hasSeparator = false;
    for (int i = 0; i < n; ++i) {
        if (buffer[i] == '.' || buffer[i] == ',') {
            buffer[i] = separator;
            hasSeparator = true;
        }
    }
    if (!hasSeparator && n < 47) {
        buffer[n++] = separator;
        buffer[n++] = '0';
    }
    AppendFormattedAscii(buffer, static_cast<size_t>(n));
}

void WString::AppendInt(long long value) {
    char buffer[24];
    const int n = std::snprintf(buffer, sizeof buffer, "%lld", value);
    if (n > 0)
        AppendFormattedAscii(buffer, static_cast<size_t>(n));
}

void WString::AppendUnsigned(unsigned long long value) {
    char buffer[24];
    const int n = std::snprintf(buffer, sizeof buffer, "%llu", value);
    if (n > 0)
        AppendFormattedAscii(buffer, static_cast<size_t>(n));
}

void WString::AppendAnsi(const char* bytes, size_t count, int code) {
    if (!bytes || count == 0 || count > static_cast<size_t>(kMaxLength))
        return;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    switch (code) {
    case kSystem:
    case kWindows1252:
    case kUtf7:
    case kUtf8: {
        // Each decoder writes at most one unit per byte.
        char16_t* at = BeginAppend(static_cast<int>(count));
        if (!at)
            return;
        int written = 0;
        if (code == kUtf8)
            written = Utf8::Decode(in, count, at);
        else if (code == kUtf7)
            written = Utf7::Decode(in, count, at);
        else
            written = Windows1252::Decode(in, count, at);
        CommitAppend(written);
        return;
    }
    case kUtf16Le:
    case kUtf16Be: {
        const size_t units = count / 2;
        char16_t* at = BeginAppend(static_cast<int>(units));
        if (!at)
            return;
        const int high = code == kUtf16Be ? 0 : 1;
        for (size_t i = 0; i < units; ++i)
            at[i] = static_cast<char16_t>((in[2 * i + high] << 8) | in[2 * i + 1 - high]);
        CommitAppend(static_cast<int>(units));
        return;
    }
    case kUtf32Le:
    case kUtf32Be: {
        // Characters beyond the basic plane become surrogate pairs; values beyond U+10FFFF become U+FFFD.
        const size_t units = count / 4;
        if (units > static_cast<size_t>(kMaxLength / 2))
            return;
        char16_t* at = BeginAppend(static_cast<int>(units * 2));
        if (!at)
            return;
        int written = 0;
        for (size_t i = 0; i < units; ++i) {
            const unsigned char* b = in + 4 * i;
            const uint32_t value =
                code == kUtf32Le
                    ? uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24
                    : uint32_t(b[3]) | uint32_t(b[2]) << 8 | uint32_t(b[1]) << 16 | uint32_t(b[0]) << 24;
            if (value < 0x10000) {
                at[written++] = static_cast<char16_t>(value);
            } else if (value <= 0x10FFFF) {
                at[written++] = static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
                at[written++] = static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
            } else {
                at[written++] = 0xFFFD;
            }
        }
        CommitAppend(written);
        return;
    }
    default:
        return;
    }
}

// ---- 8-bit conversion ----

const char* WString::ToAnsi(bool pathMode, int code, bool withMark) const {
    if (code < kSystem || code > kUtf8)
        return nullptr;
    if (cache_ && cache_->pathMode == pathMode && cache_->code == code && cache_->withMark == withMark)
        return cache_->bytes.c_str();
    auto fresh = std::make_unique<AnsiCache>();
    fresh->pathMode = pathMode;
    fresh->code = code;
    fresh->withMark = withMark;
    if (code == kUtf8) {
        if (withMark)
            fresh->bytes = "\xEF\xBB\xBF";
        Utf8::Encode(c_str(), length_, fresh->bytes);
    } else if (code == kUtf7) {
        Utf7::Encode(c_str(), length_, fresh->bytes);
    } else {
        Windows1252::Encode(c_str(), length_, fresh->bytes);
    }
    cache_.reset(fresh.release());
    return cache_->bytes.c_str();
}

size_t WString::AnsiSize() const {
    return cache_ ? cache_->bytes.size() : 0;
}

std::string WString::ToUtf8() const {
    std::string out;
    Utf8::Encode(c_str(), length_, out);
    return out;
}

WString WString::FromUtf8(std::string_view bytes) {
    WString result;
    result.AppendAnsi(bytes.data(), bytes.size(), kUtf8);
    return result;
}

// ---- numbers and booleans ----

char16_t WString::DecimalSeparator() {
    return std::strtod(",1", nullptr) != 0.0 ? u',' : u'.';
}

double WString::AsReal() const {
    if (length_ == 0)
        return 0.0;
    const char16_t separator = DecimalSeparator();
    const char16_t other = separator == u',' ? u'.' : u',';
    // Only ASCII can belong to a number; the first other unit ends the text that is read.
    std::string ascii;
    ascii.reserve(static_cast<size_t>(std::min(length_, 64)));
    for (int i = 0; i < length_; ++i) {
        char16_t unit = units_[i];
        if (unit == 0 || unit >= 0x80)
            break;
        if (unit == other)
            unit = separator;
        ascii.push_back(static_cast<char>(unit));
    }
    return std::strtod(ascii.c_str(), nullptr);
}

float WString::AsFloat() const {
    return static_cast<float>(AsReal());
}

int WString::AsInt() const {
    bool negative = false, overflow = false;
    unsigned long long magnitude = 0;
    if (!ReadDecimal(c_str(), negative, magnitude, overflow))
        return 0;
    if (negative)
        return overflow || magnitude > static_cast<unsigned long long>(INT_MAX) + 1
                   ? INT_MIN
                   : static_cast<int>(-static_cast<long long>(magnitude));
    return overflow || magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

unsigned int WString::AsUnsigned() const {
    bool negative = false, overflow = false;
    unsigned long long magnitude = 0;
    if (!ReadDecimal(c_str(), negative, magnitude, overflow))
        return 0;
    if (overflow || magnitude > UINT_MAX)
        return UINT_MAX;
    const auto value = static_cast<unsigned int>(magnitude);
    return negative ? 0u - value : value; // a minus sign negates modulo 2^32, as the C conversion does
}

bool WString::AsBool() const {
    if (length_ < 4)
        return false;
    const std::u16string_view head(units_, 4);
    return head == u"true" || head == u"TRUE" || head == u"True";
}

WString WString::FromReal(double value) {
    WString s;
    s.AppendReal(value);
    return s;
}

WString WString::FromInt(long long value) {
    WString s;
    s.AppendInt(value);
    return s;
}

// ---- text operations ----

WString& WString::Trim(bool leading, bool trailing) {
    if (length_ == 0)
        return *this;
    int begin = 0, end = length_;
    if (trailing) {
        while (end > 0 && IsSpace(units_[end - 1]))
            --end;
    }
    if (leading) {
        while (begin < end && IsSpace(units_[begin]))
            ++begin;
    }
    if (begin == 0 && end == length_)
        return *this;
    OwnUnits();
    const int newLength = end - begin;
    std::memmove(units_, units_ + begin, static_cast<size_t>(newLength) * sizeof(char16_t));
    spare_ += length_ - newLength;
    length_ = newLength;
    units_[length_] = 0;
    DiscardCache();
    return *this;
}

char16_t WString::FoldCase(char16_t unit) {
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
    if (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7)
        return static_cast<char16_t>(unit + 32);
    if (unit == 0x178)
        return 0xFF;
    if (unit >= 0x100 && unit <= 0x17F) {
        // Latin Extended-A pairs capitals with the next unit, with an odd run in the middle and at the end.
        const bool oddCapitals = (unit >= 0x139 && unit <= 0x148) || (unit >= 0x179 && unit <= 0x17E);
        if (unit == 0x130 || unit == 0x131 || unit == 0x138 || unit == 0x149 || unit == 0x17F)
            return unit;
        if (oddCapitals)
            return (unit & 1) ? static_cast<char16_t>(unit + 1) : unit;
        return (unit & 1) ? unit : static_cast<char16_t>(unit + 1);
    }
    if (unit >= 0x391 && unit <= 0x3AB && unit != 0x3A2)
        return static_cast<char16_t>(unit + 32);
    if (unit >= 0x410 && unit <= 0x42F)
        return static_cast<char16_t>(unit + 32);
    if (unit >= 0x400 && unit <= 0x40F)
        return static_cast<char16_t>(unit + 80);
    return unit;
}

bool WString::EqualsNoCase(const WString& other) const {
    if (other.length_ != length_)
        return false;
    for (int i = 0; i < length_; ++i) {
        if (FoldCase(units_[i]) != FoldCase(other.units_[i]))
            return false;
    }
    return true;
}

bool WString::EqualsNoCase(const char16_t* text) const {
    const int otherLength = UnitLength(text);
    if (otherLength != length_)
        return false;
    for (int i = 0; i < length_; ++i) {
        if (FoldCase(units_[i]) != FoldCase(text[i]))
            return false;
    }
    return true;
}

int WString::CompareNoCase(const WString& other) const {
    const int common = std::min(length_, other.length_);
    for (int i = 0; i < common; ++i) {
        const char16_t a = FoldCase(units_[i]), b = FoldCase(other.units_[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return length_ == other.length_ ? 0 : (length_ < other.length_ ? -1 : 1);
}

int WString::Find(const WString& text) const {
    return FindAfter(text, 0, false);
}

int WString::Find(const char16_t* text) const {
    return FindAfter(text, 0, false);
}

bool WString::StartsWith(const WString& text) const {
    return ViewOf(*this).starts_with(ViewOf(text));
}

bool WString::StartsWith(const char16_t* text) const {
    return StartsWith(WString(text));
}

bool WString::EndsWith(const WString& text) const {
    return ViewOf(*this).ends_with(ViewOf(text));
}

bool WString::EndsWith(const char16_t* text) const {
    return EndsWith(WString(text));
}

int WString::FindAfter(const char16_t* text, int from, bool past) const {
    return FindAfter(WString(text), from, past);
}

int WString::FindAfter(const WString& text, int from, bool past) const {
    if (from < 0)
        from = 0;
    if (from > length_)
        return -1;
    const size_t at = ViewOf(*this).find(ViewOf(text), static_cast<size_t>(from));
    if (at == std::u16string_view::npos)
        return -1;
    return static_cast<int>(at) + (past ? text.Length() : 0);
}

WString WString::Substring(int start, int count) const {
    if (start < 0 || count <= 0 || start > length_ - count)
        return WString();
    return WString(units_ + start, count);
}

void WString::DropLast(int n) {
    if (n <= 0 || n > length_)
        return;
    OwnUnits();
    length_ -= n;
    spare_ += n;
    units_[length_] = 0;
    DiscardCache();
}

void WString::ReplaceUnit(char16_t from, char16_t to) {
    OwnUnits();
    bool changed = false;
    for (int i = 0; i < length_; ++i) {
        if (units_[i] == from) {
            units_[i] = to;
            changed = true;
        }
    }
    if (changed)
        DiscardCache();
}

void WString::RemoveUnit(char16_t unit) {
    OwnUnits();
    int kept = 0;
    for (int i = 0; i < length_; ++i) {
        if (units_[i] != unit)
            units_[kept++] = units_[i];
    }
    if (kept == length_)
        return;
    spare_ += length_ - kept;
    length_ = kept;
    units_[length_] = 0;
    DiscardCache();
}

int WString::ReplaceText(const WString& pattern, const WString& replacement) {
    if (pattern.IsEmpty() || length_ == 0)
        return 0;
    const std::u16string_view whole = ViewOf(*this), find = ViewOf(pattern);
    WString result;
    int count = 0;
    size_t from = 0;
    for (size_t at = whole.find(find); at != std::u16string_view::npos; at = whole.find(find, from)) {
        result.Append(whole.data() + from, static_cast<int>(at - from));
        result.Append(replacement);
        from = at + find.size();
        ++count;
    }
    if (count == 0)
        return 0;
    result.Append(whole.data() + from, static_cast<int>(whole.size() - from));
    *this = std::move(result);
    return count;
}

int WString::LineCount() const {
    if (length_ == 0)
        return 0;
    int count = 1;
    for (int i = 0; i < length_; ++i) {
        if (units_[i] == u'\n')
            ++count;
    }
    for (int i = length_ - 1; i >= 0 && units_[i] == u'\n'; --i)
        --count;
    return count;
}

WString WString::Line(int n) const {
    if (n < 0)
        return WString();
    int start = 0;
    for (int line = 0; line < n; ++line) {
        const int lf = FindAfter(u"\n", start, true);
        if (lf < 0)
            return WString();
        start = lf;
    }
    int end = start;
    while (end < length_ && units_[end] != u'\n')
        ++end;
    return WString(c_str() + start, end - start);
}

bool WString::Field(int n, char16_t separator, bool trim, WString& out) const {
    out.Clear();
    if (n < 0)
        return false;
    int start = 0;
    for (int field = 0; field < n; ++field) {
        while (start < length_ && units_[start] != separator)
            ++start;
        if (start >= length_)
            return false;
        ++start;
    }
    int end = start;
    while (end < length_ && units_[end] != separator)
        ++end;
    out.Append(c_str() + start, end - start);
    if (trim)
        out.Trim(true, true);
    return true;
}

void WString::ToCrLf() {
    int bare = 0;
    for (int i = 0; i < length_; ++i) {
        if (units_[i] == u'\n' && (i == 0 || units_[i - 1] != u'\r'))
            ++bare;
    }
    if (bare == 0)
        return;
    WString result;
    result.BeginAppend(length_ + bare);
    int from = 0;
    for (int i = 0; i < length_; ++i) {
        if (units_[i] == u'\n' && (i == 0 || units_[i - 1] != u'\r')) {
            result.Append(c_str() + from, i - from);
            result.AppendUnit(u'\r');
            from = i;
        }
    }
    result.Append(c_str() + from, length_ - from);
    *this = std::move(result);
}

void WString::Reserve(int n, bool asLength) {
    DiscardCache();
    if (n < 0 || n > kMaxLength)
        n = 0;
    PlaceBuffer(n);
    std::fill_n(units_, static_cast<size_t>(n) + 1, u'\0');
    length_ = asLength ? n : 0;
    spare_ = asLength ? 0 : n;
}

size_t WString::Hash() const {
    uint64_t hash = 1469598103934665603ULL;
    for (int i = 0; i < length_; ++i) {
        hash ^= units_[i];
        hash *= 1099511628211ULL;
    }
    return static_cast<size_t>(hash);
}

// ---- paths ----

void WString::SplitPath(WString* drive, WString* directory, WString* name, WString* extension) const {
    int driveEnd = 0;
    if (length_ > 2 && IsAsciiLetter(units_[0]) && units_[1] == u':')
        driveEnd = 2;
    int directoryEnd = driveEnd;
    for (int i = driveEnd; i < length_; ++i) {
        if (IsSeparator(units_[i]))
            directoryEnd = i + 1;
    }
    int nameEnd = length_;
    for (int i = length_ - 1; i > directoryEnd; --i) { // a point that starts the name is part of it
        if (units_[i] == u'.') {
            nameEnd = i;
            break;
        }
    }
    if (drive)
        *drive = Substring(0, driveEnd);
    if (directory)
        *directory = Substring(driveEnd, directoryEnd - driveEnd);
    if (name)
        *name = Substring(directoryEnd, nameEnd - directoryEnd);
    if (extension)
        *extension = Substring(nameEnd, length_ - nameEnd);
}

WString WString::BuildPath(const WString& drive, const WString& directory, const WString& name,
                           const WString& extension) {
    WString path;
    if (!drive.IsEmpty()) {
        path.AppendUnit(drive.At(0));
        path.AppendUnit(u':');
    }
    if (!directory.IsEmpty()) {
        int slashes = 0, backslashes = 0;
        for (int i = 0; i < directory.Length(); ++i) {
            slashes += directory.At(i) == u'/';
            backslashes += directory.At(i) == u'\\';
        }
        // A directory without any separator takes this platform's own.
        const char16_t separator = slashes > backslashes || backslashes == 0 ? u'/' : u'\\';
        int start = 0;
        while (start < directory.Length() && IsSeparator(directory.At(start)))
            ++start;
        // A relative directory stays relative: a leading separator is written only when the directory had
        // one, or after a drive letter.
        if (start > 0 || !drive.IsEmpty())
            path.AppendUnit(separator);
        for (int i = start; i < directory.Length(); ++i)
            path.AppendUnit(IsSeparator(directory.At(i)) ? separator : directory.At(i));
        if (!IsSeparator(path.At(path.Length() - 1)))
            path.AppendUnit(separator);
    }
    int nameStart = 0;
    while (nameStart < name.Length() && IsSeparator(name.At(nameStart)))
        ++nameStart;
    path.Append(name.c_str() + nameStart, name.Length() - nameStart);
    if (!extension.IsEmpty()) {
        int extensionStart = 0;
        while (extensionStart < extension.Length() && extension.At(extensionStart) == u'.')
            ++extensionStart;
        path.AppendUnit(u'.');
        path.Append(extension.c_str() + extensionStart, extension.Length() - extensionStart);
    }
    return path;
}

WString WString::DirectoryOf() const {
    WString drive, directory;
    SplitPath(&drive, &directory, nullptr, nullptr);
    return BuildPath(drive, directory, WString(), WString());
}

WString WString::NameOf() const {
    WString name;
    SplitPath(nullptr, nullptr, &name, nullptr);
    return BuildPath(WString(), WString(), name, WString());
}

WString WString::ExtensionOf() const {
    WString extension;
    SplitPath(nullptr, nullptr, nullptr, &extension);
    return BuildPath(WString(), WString(), WString(), extension);
}

WString WString::NameAndExtensionOf() const {
    WString name, extension;
    SplitPath(nullptr, nullptr, &name, &extension);
    return BuildPath(WString(), WString(), name, extension);
}

WString WString::ProgramPath(const WString& fileName) {
    char link[4096];
    const ssize_t n = readlink("/proc/self/exe", link, sizeof link);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof link))
        return WString();
    WString path = FromUtf8(std::string_view(link, static_cast<size_t>(n))).DirectoryOf();
    path.Append(fileName);
    if (path.Length() > kProgramPathCapacity)
        return WString();
    return path;
}

// ---- bytes as text ----

WString WString::EncodeBytes(const void* data, int count) {
    WString text;
    if (count < 0 || (count > 0 && !data))
        return text;
    const auto* bytes = static_cast<const unsigned char*>(data);
    text.BeginAppend(6 + (count / 3 + 1) * 4);
    const auto n = static_cast<uint32_t>(count);
    const unsigned char size[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                                   static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
    EncodeGroup(size, 3, text);
    EncodeGroup(size + 3, 1, text);
    for (int i = 0; i < count; i += 3)
        EncodeGroup(bytes + i, std::min(3, count - i), text);
    return text;
}

int WString::DecodeBytes(const WString& text, void* buffer, int capacity) {
    if (text.Length() <= 6)
        return 0;
    unsigned char size[4];
    DecodeGroup(text.c_str(), 3, size);
    DecodeGroup(text.c_str() + 4, 1, size + 3);
    const auto stored = static_cast<int32_t>(uint32_t(size[0]) | uint32_t(size[1]) << 8 |
                                             uint32_t(size[2]) << 16 | uint32_t(size[3]) << 24);
    if (stored < 0 || stored > BytesCarriedBy(text.Length() - 6))
        return 0;
    if (!buffer || capacity <= 0)
        return stored;
    if (capacity < stored)
        return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    const char16_t* in = text.c_str() + 6;
    for (int done = 0; done < stored; done += 3, in += 4)
        DecodeGroup(in, std::min(3, stored - done), out + done);
    return stored;
}
