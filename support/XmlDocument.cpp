#include "support/XmlDocument.h"

#include "support/FileUtils.h"
#include "support/MemFile.h"
#include "support/Utf8.h"
#include "support/XmlParser.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace {

constexpr char16_t kUtf8Declaration[] = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr char16_t kUtf16Declaration[] = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n";
// Longer encoding names match none of the accepted ones; reading stops there.
constexpr int kMaxEncodingName = 64;

// The file's bytes seen as units of one width and byte order, from the first byte after the mark up to
// the first zero unit or the end of the file.
class UnitView {
public:
    UnitView(const unsigned char* bytes, size_t size, int width, bool bigEndian)
        : bytes_(bytes), width_(width), bigEndian_(bigEndian) {
        const size_t available = size / static_cast<size_t>(width);
        if (width == 1) {
            const void* zero = std::memchr(bytes, 0, available);
            count_ = zero ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - bytes) : available;
            return;
        }
        count_ = 0;
        while (count_ < available && Read(count_) != 0)
            ++count_;
    }

    size_t Count() const { return count_; }
    size_t ByteCount() const { return count_ * static_cast<size_t>(width_); }
    int Width() const { return width_; }
    const unsigned char* Bytes() const { return bytes_; }
    uint32_t At(size_t index) const { return index < count_ ? Read(index) : 0; }

private:
    uint32_t Read(size_t index) const {
        const unsigned char* p = bytes_ + index * static_cast<size_t>(width_);
        uint32_t value = 0;
        for (int i = 0; i < width_; ++i)
            value |= uint32_t(p[bigEndian_ ? width_ - 1 - i : i]) << (8 * i);
        return value;
    }

    const unsigned char* bytes_;
    int width_;
    bool bigEndian_;
    size_t count_;
};

// What the declaration at the start of the text says.
struct Declaration {
    bool valid = false;
    bool hasEncoding = false;
    WString encoding;
};

Declaration ReadDeclaration(const UnitView& view) {
    Declaration result;
    size_t i = 0;
    auto matches = [&](const char* literal) {
        for (; *literal; ++literal, ++i) {
            if (view.At(i) != static_cast<unsigned char>(*literal))
                return false;
        }
        return true;
    };
    // Only the space itself counts as white space here when units are wider than a byte.
    auto skipSpace = [&] {
        while (i < view.Count() &&
               (view.Width() == 1 ? WString::IsSpace(static_cast<char16_t>(view.At(i))) : view.At(i) == 0x20))
            ++i;
    };
    if (!matches("<?xml version"))
        return result;
    skipSpace();
    if (!matches("="))
        return result;
    skipSpace();
    if (!matches("\"1.0\""))
        return result;
    result.valid = true;
    skipSpace();
    if (!matches("encoding"))
        return result;
    skipSpace();
    if (!matches("="))
        return result;
    skipSpace();
    if (!matches("\""))
        return result;
    result.hasEncoding = true;
    for (int n = 0; i < view.Count() && view.At(i) != '"' && n <= kMaxEncodingName; ++i, ++n) {
        const uint32_t unit = view.At(i);
        result.encoding.AppendUnit(unit < 0x10000 ? static_cast<char16_t>(unit) : u'?');
    }
    return result;
}

// The conversion code for a text with the given unit width, or -1 when the declaration does not allow it.
int CodeFor(const Declaration& declaration, int width, bool bigEndian, bool utf8Mark) {
    if (!declaration.valid)
        return -1;
    const WString& name = declaration.encoding;
    if (width == 4) {
        if (declaration.hasEncoding &&
            (name.EqualsNoCase(u"UTF-32") || name.EqualsNoCase(u"ISO-10646-UCS-4")))
            return bigEndian ? WString::kUtf32Be : WString::kUtf32Le;
        return -1;
    }
    if (width == 2) {
        if (!declaration.hasEncoding || name.EqualsNoCase(u"UTF-16") || name.EqualsNoCase(u"ISO-10646-UCS-2"))
            return bigEndian ? WString::kUtf16Be : WString::kUtf16Le;
        return -1;
    }
    if (!declaration.hasEncoding)
        return utf8Mark ? WString::kUtf8 : WString::kWindows1252;
    if (name.EqualsNoCase(u"UTF-7"))
        return WString::kUtf7;
    if (name.EqualsNoCase(u"UTF-8"))
        return WString::kUtf8;
    if (name.EqualsNoCase(u"ISO-8859-1"))
        return WString::kWindows1252;
    return -1;
}

bool Begins(const unsigned char* bytes, size_t size, std::initializer_list<unsigned char> prefix) {
    if (size < prefix.size())
        return false;
    size_t i = 0;
    for (unsigned char b : prefix) {
        if (bytes[i++] != b)
            return false;
    }
    return true;
}

// Always false, so a failing path can say why in one line.
bool Failed(WString* reason, const WString& text) {
    if (reason != nullptr) {
        *reason = text;
    }
    return false;
}

} // namespace

XmlDocument::XmlDocument() {
    SetArena(&nodeArena_);
}

XmlDocument::~XmlDocument() {
    ClearContent(); // the nodes live in nodeArena_, which goes before the base class clears them
}

bool XmlDocument::Load(const WString& path, WString* reason) {
    ClearContent();
    std::shared_ptr<MemFile> file = MemFile::Open(path, WString(u"rb"));
    if (!file) {
        return Failed(reason, FileUtils::ErrorText(path.StartsWith(u":") ? ENOENT : ENOMEM));
    }
    if (file->Size() == 0 || !file->Data()) {
        return Failed(reason, file->LastError() != 0 ? FileUtils::ErrorText(file->LastError())
                                                     : WString(u"The file is empty"));
    }
    const bool loaded = LoadFromBytes(file->Data(), file->Size());
    file->Close();
    return loaded || Failed(reason, WString(u"Not a readable XML document"));
}

bool XmlDocument::LoadFromBytes(const unsigned char* bytes, size_t size) {
    ClearContent();
    if (!bytes || size == 0)
        return false;
    int width = 1;
    bool bigEndian = false;
    size_t start = 0;
    bool utf8Mark = false;
    if (Begins(bytes, size, {0xFF, 0xFE, 0x00, 0x00}) || Begins(bytes, size, {0x00, 0x00, 0xFE, 0xFF})) {
        width = 4;
        bigEndian = bytes[0] == 0x00;
        start = 4;
    } else if (Begins(bytes, size, {0xFF, 0xFE}) || Begins(bytes, size, {0xFE, 0xFF})) {
        width = 2;
        bigEndian = bytes[0] == 0xFE;
        start = 2;
    } else if (Begins(bytes, size, {0xEF, 0xBB, 0xBF})) {
        start = 3;
        utf8Mark = true;
    }
    const UnitView view(bytes + start, size - start, width, bigEndian);
    const int code = CodeFor(ReadDeclaration(view), width, bigEndian, utf8Mark);
    if (code < 0)
        return false;
    if (code == WString::kUtf8) {
        // The common case decodes and drops carriage returns in one pass over the bytes. UTF-8 never
        // decodes to a zero unit from other bytes, and the view ended at the first zero byte.
        if (view.ByteCount() > INT_MAX)
            return false;
        char16_t* units = NewText(view.ByteCount());
        const int count = Utf8::DecodeWithoutCr(view.Bytes(), view.ByteCount(), units);
        units[count] = 0;
        return ParseOwnText(units, count, false);
    }
    WString text;
    text.AppendAnsi(reinterpret_cast<const char*>(view.Bytes()), view.ByteCount(), code);
    text.RemoveUnit(u'\r');
    return ParseText(text);
}

bool XmlDocument::ParseText(const WString& text) {
    char16_t* units = NewText(static_cast<size_t>(text.Length()));
    std::copy_n(text.c_str(), text.Length() + 1, units);
    return ParseOwnText(units, text.Length(), true);
}

char16_t* XmlDocument::NewText(size_t count) {
    return texts_.emplace_back(count).Units();
}

bool XmlDocument::ParseOwnText(char16_t* units, int count, bool mayHoldZero) {
    XmlParser parser(units, count, mayHoldZero);
    return parser.ParseDocument(*this);
}

void XmlDocument::ClearContent() {
    XmlElement::ClearContent();
    texts_.clear();
}

void XmlDocument::AppendBody(WString& out) const {
    if (hasStylesheet_) {
        out.Append(u"<?xml-stylesheet type=\"");
        out.Append(stylesheetType_);
        out.Append(u"\" href=\"");
        out.Append(stylesheetHref_);
        out.Append(u"\"?>\n");
    }
    Write(out, 0);
}

void XmlDocument::ToText(WString& out) const {
    out.Append(kUtf16Declaration);
    AppendBody(out);
}

std::string XmlDocument::ToFileBytes() const {
    WString text(kUtf8Declaration);
    AppendBody(text);
    text.ToCrLf();
    std::string bytes = "\xEF\xBB\xBF";
    Utf8::Encode(text.c_str(), text.Length(), bytes);
    return bytes;
}

bool XmlDocument::Save(const WString& path, WString* reason) const {
    const std::string bytes = ToFileBytes();
    std::shared_ptr<MemFile> file = MemFile::Open(path, WString(u"wb"));
    if (!file || file->Write(bytes.data(), 1, bytes.size()) != bytes.size()) {
        return Failed(reason, FileUtils::ErrorText(ENOMEM)); // nothing is stored without Close
    }
    return file->Close() || Failed(reason, FileUtils::ErrorText(file->LastError()));
}

void XmlDocument::SetStylesheet(const WString& type, const WString& href) {
    hasStylesheet_ = true;
    stylesheetType_ = type;
    stylesheetHref_ = href;
}

void XmlDocument::ClearStylesheet() {
    hasStylesheet_ = false;
    stylesheetType_.Clear();
    stylesheetHref_.Clear();
}
