// Feeds arbitrary bytes, stored as a named memory file, to the gzip reader.
#include "support/GzipStream.h"
#include "support/MemFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// A few hundred bytes can inflate to megabytes; stop well before memory or time become the finding.
constexpr size_t kOutputCap = 16u << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const WString name(u":TMPQOR:fuzz.icr");
    {
        auto file = MemFile::Open(name, u"wb");
        if (!file) {
            return 0;
        }
        file->Write(data, 1, size);
        file->Close();
    }
    if (auto stream = GzipStream::Open(name, "rb")) {
        // Varying request sizes walk the block-boundary paths.
        static const unsigned kPieces[] = {1, 7, 4096, 65536};
        std::vector<std::uint8_t> buffer(65536);
        size_t total = 0;
        for (size_t i = 0; total < kOutputCap; ++i) {
            const int n = stream->Read(buffer.data(), kPieces[i % 4]);
            if (n <= 0) {
                break;
            }
            total += static_cast<size_t>(n);
        }
        stream->Close();
    }
    MemFile::Delete(name);
    return 0;
}
