#pragma once

#include <cstddef>
#include <memory>

// Room for the decoded units of one parsed text, which the nodes of its document show in place.
// A large text is mapped from the system apart from the heap: placed on the heap, the heap would grow
// around it and give its pages back when it goes, so every open of a big map paid all its page faults
// again. Mapped apart, in huge pages where the system allows them, it costs a handful; and the mapping
// of the last large text to go is kept for the next, so a map opened again, or another after it, finds
// its pages already there.
class XmlTextBuffer {
public:
    // Room for count units and a terminator.
    explicit XmlTextBuffer(size_t count);
    XmlTextBuffer(const XmlTextBuffer&) = delete;
    XmlTextBuffer& operator=(const XmlTextBuffer&) = delete;
    ~XmlTextBuffer();

    char16_t* Units() const { return units_; }

private:
    static constexpr size_t kMappedFromBytes = 1u << 20;
    static constexpr size_t kHugePageBytes = 2u << 20;

    bool Map(size_t bytes);

    char16_t* units_ = nullptr;
    void* mapping_ = nullptr;
    size_t mappedBytes_ = 0;
    std::unique_ptr<char16_t[]> heap_;
};
