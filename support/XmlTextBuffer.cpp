#include "support/XmlTextBuffer.h"

#include <cstdint>
#include <mutex>
#include <sys/mman.h>

namespace {

// The mapping of the last large text that went, kept for the next one (documents load on any thread).
// One at most, and none so big that holding it on would cost more than its faults.
struct SpareMapping {
    static constexpr size_t kMostBytes = 64u << 20;

    std::mutex lock;
    void* mapping = nullptr;
    size_t bytes = 0;

    // A kept mapping of at least `wanted` bytes, and not much more, which `wanted` then gives the size of;
    // or null.
    void* Take(size_t& wanted) {
        std::lock_guard<std::mutex> hold(lock);
        if (!mapping || bytes < wanted || bytes > 2 * wanted + (4u << 20))
            return nullptr;
        void* found = mapping;
        wanted = bytes;
        mapping = nullptr;
        bytes = 0;
        return found;
    }

    // Keeps the mapping if it is the larger one that may be kept; unmaps what is not kept.
    void Give(void* given, size_t givenBytes) {
        void* dropped = given;
        size_t droppedBytes = givenBytes;
        {
            std::lock_guard<std::mutex> hold(lock);
            if (givenBytes <= kMostBytes && givenBytes > bytes) {
                std::swap(dropped, mapping);
                std::swap(droppedBytes, bytes);
            }
        }
        if (dropped)
            ::munmap(dropped, droppedBytes);
    }
};

SpareMapping& Spare() {
    static SpareMapping* spare = new SpareMapping; // never destroyed: texts may outlive static teardown
    return *spare;
}

size_t RoundUpToHugePages(size_t bytes, size_t hugePage) {
    return (bytes + hugePage - 1) / hugePage * hugePage;
}

} // namespace

XmlTextBuffer::XmlTextBuffer(size_t count) {
    const size_t bytes = (count + 1) * sizeof(char16_t);
    if (bytes >= kMappedFromBytes && Map(bytes))
        return;
    heap_ = std::make_unique_for_overwrite<char16_t[]>(count + 1);
    units_ = heap_.get();
}

XmlTextBuffer::~XmlTextBuffer() {
    if (mapping_)
        Spare().Give(mapping_, mappedBytes_);
}

// Whole huge pages for the units, and one more, so that they can start on a huge-page boundary.
bool XmlTextBuffer::Map(size_t bytes) {
    const size_t used = RoundUpToHugePages(bytes, kHugePageBytes);
    size_t mapped = used + kHugePageBytes;
    void* mapping = Spare().Take(mapped);
    if (!mapping) {
        mapping = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED)
            return false;
    }
    mapping_ = mapping;
    mappedBytes_ = mapped;
    const auto start = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t aligned = (start + kHugePageBytes - 1) & ~std::uintptr_t(kHugePageBytes - 1);
    ::madvise(reinterpret_cast<void*>(aligned), used, MADV_HUGEPAGE); // only advice
    units_ = reinterpret_cast<char16_t*>(aligned);
    return true;
}
