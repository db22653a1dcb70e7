// Feeds arbitrary bytes to the XML reader exactly as a file's content would reach it, then writes the
// result back out and reads that again.
#include "support/XmlDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XmlDocument doc;
    if (!doc.LoadFromBytes(data, size))
        return 0;
    const std::string saved = doc.ToFileBytes();
    WString text;
    doc.ToText(text);
    XmlDocument again;
    // What the writer produced must always be readable again. (The stylesheet instruction is written
    // unescaped, so hostile type or href texts are allowed to break it.)
    if (!doc.HasStylesheet() &&
        !again.LoadFromBytes(reinterpret_cast<const unsigned char*>(saved.data()), saved.size()))
        std::abort();
    XmlDocument fromText;
    fromText.ParseText(text);
    return 0;
}
