#include "support/XmlTextBuffer.h"

#include <cstdint>
#include <sys/mman.h>

XmlTextBuffer::XmlTextBuffer(size_t count) {
    const size_t bytes = (count + 1) * sizeof(char16_t);
    if (bytes >= kMappedFromBytes && Map(bytes))
        return;
    heap_ = std::make_unique_for_overwrite<char16_t[]>(count + 1);
    units_ = heap_.get();
}

XmlTextBuffer::~XmlTextBuffer() {
    if (mapping_)
        ::munmap(mapping_, mappedBytes_);
}

// One huge page more than asked for, so that the units can start on a huge-page boundary.
bool XmlTextBuffer::Map(size_t bytes) {
    const size_t mapped = bytes + kHugePageBytes;
    void* mapping = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return false;
    mapping_ = mapping;
    mappedBytes_ = mapped;
    const auto start = reinterpret_cast<std::uintptr_t>(mapping);
    const std::uintptr_t aligned = (start + kHugePageBytes - 1) & ~std::uintptr_t(kHugePageBytes - 1);
    ::madvise(reinterpret_cast<void*>(aligned), mapped - (aligned - start), MADV_HUGEPAGE); // only advice
    units_ = reinterpret_cast<char16_t*>(aligned);
    return true;
}
