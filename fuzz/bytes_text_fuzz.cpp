// Decodes arbitrary text as the bytes-as-text encoding of map matrices, and runs the same bytes through
// every 8-bit and wide decoder.
#include "support/WString.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WString text;
    text.AppendAnsi(reinterpret_cast<const char*>(data), size, WString::kUtf16Le);

    const int count = WString::DecodeBytes(text, nullptr, 0);
    if (count < 0)
        std::abort();
    if (count > 0) {
        std::vector<unsigned char> buffer(static_cast<size_t>(count));
        if (WString::DecodeBytes(text, buffer.data(), count) != count)
            std::abort();
        // Re-encoding and decoding again must give the same bytes.
        const WString encoded = WString::EncodeBytes(buffer.data(), count);
        std::vector<unsigned char> back(static_cast<size_t>(count));
        if (WString::DecodeBytes(encoded, back.data(), count) != count || back != buffer)
            std::abort();
        if (count > 1 && WString::DecodeBytes(text, buffer.data(), count - 1) != 0)
            std::abort();
    }

    for (int code = 0; code <= 7; ++code) {
        WString decoded;
        decoded.AppendAnsi(reinterpret_cast<const char*>(data), size, code);
        for (int out = 0; out <= 3; ++out) {
            const char* bytes = decoded.ToAnsi(false, out, out == 3);
            if (!bytes || std::strlen(bytes) > decoded.AnsiSize())
                std::abort();
        }
        // UTF-8 and UTF-7 keep every unit: a round trip gives the same text back (lone surrogates aside).
        WString back;
        back.AppendAnsi(decoded.ToAnsi(false, WString::kUtf7, false), decoded.AnsiSize(), WString::kUtf7);
        if (!(back == decoded))
            std::abort();
    }
    return 0;
}
