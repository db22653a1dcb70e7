#include "support/XmlArena.h"

#include <algorithm>
#include <iterator>
#include <new>

XmlArena::~XmlArena() = default;

XmlArena::FreeList* XmlArena::AddList(size_t bytes) {
    freeLists_.push_back({bytes, nullptr});
    return &freeLists_.back();
}

void* XmlArena::Carve(size_t bytes) {
    if (currentBlock_ < blocks_.size() && used_ + bytes <= blockSizes_[currentBlock_]) {
        void* slot = blocks_[currentBlock_].get() + used_;
        used_ += bytes;
        return slot;
    }
    while (currentBlock_ < blocks_.size() && used_ + bytes > blockSizes_[currentBlock_]) {
        ++currentBlock_; // the tail of a block too short for this slot stays unused until a rewind
        used_ = 0;
    }
    if (currentBlock_ == blocks_.size()) {
        // An oversized slot gets a block of its own size; ordinary ones share standard blocks.
        const size_t size = std::max(kBlockBytes, bytes);
        blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
        blockSizes_.push_back(size);
        used_ = 0;
    }
    void* slot = blocks_[currentBlock_].get() + used_;
    used_ += bytes;
    return slot;
}

void XmlArena::Rewind() {
    std::fill(std::begin(directHeads_), std::end(directHeads_), nullptr);
    for (FreeList& list : freeLists_)
        list.head = nullptr;
    currentBlock_ = 0;
    used_ = 0;
    names_.Clear();
}
