#pragma once

#include "support/XmlNameTable.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <vector>

// Slots for the nodes of one XML document, carved from large blocks so that a tree of many small
// elements costs a few allocations instead of one per node. A slot given back is reused by the next
// request of the same size; when the last slot is given back the arena starts again at its first block,
// so a document that is cleared and loaded again reuses its memory in order. The blocks are freed only
// with the arena, so every node taken from it must be destroyed before it. The names of the nodes in the
// slots are kept here too, once each, and go with the last slot.
class XmlArena {
public:
    XmlArena() = default;
    XmlArena(const XmlArena&) = delete;
    XmlArena& operator=(const XmlArena&) = delete;
    ~XmlArena();

    // Uninitialised memory for an object of `bytes` bytes, aligned for any node; null when bytes is 0.
    // Kept inline: a parsed document asks for a slot per node.
    void* Allocate(size_t bytes) {
        if (bytes == 0)
            return nullptr;
        bytes = RoundUp(std::max(bytes, sizeof(FreeSlot)));
        FreeSlot** head = HeadFor(bytes);
        ++live_;
        if (FreeSlot* slot = *head) {
            *head = slot->next;
            return slot;
        }
        if (currentBlock_ < blocks_.size() && used_ + bytes <= blockSizes_[currentBlock_]) {
            void* slot = blocks_[currentBlock_].get() + used_;
            used_ += bytes;
            return slot;
        }
        return Carve(bytes);
    }
    // Gives back a slot that Allocate returned for the same size.
    void Release(void* slot, size_t bytes) {
        if (!slot || bytes == 0)
            return;
        bytes = RoundUp(std::max(bytes, sizeof(FreeSlot)));
        FreeSlot** head = HeadFor(bytes);
        *head = ::new (slot) FreeSlot{*head};
        if (--live_ == 0)
            Rewind();
    }

    // Names of the nodes in this arena's slots; emptied when the last slot is given back.
    XmlNameTable& Names() { return names_; }

    size_t LiveSlots() const { return live_; }
    size_t BlockCount() const { return blocks_.size(); }

private:
    struct FreeSlot {
        FreeSlot* next;
    };
    struct FreeList {
        size_t bytes;
        FreeSlot* head;
    };

    static constexpr size_t kAlignment = alignof(std::max_align_t);
    static constexpr size_t kBlockBytes = 64 * 1024;

    static constexpr size_t kDirectLists = 16; // slots of up to 256 bytes, every node among them

    static size_t RoundUp(size_t bytes) { return (bytes + kAlignment - 1) / kAlignment * kAlignment; }
    // The free list of slots of `bytes` (rounded up): each size a node has owns one, found by its size
    // alone, without the search whose branch a parse, alternating elements and attributes, mispredicts.
    FreeSlot** HeadFor(size_t bytes) {
        const size_t index = bytes / kAlignment - 1;
        if (index < kDirectLists)
            return &directHeads_[index];
        return &ListFor(bytes)->head;
    }
    FreeList* ListFor(size_t bytes) {
        for (FreeList& list : freeLists_) {
            if (list.bytes == bytes)
                return &list;
        }
        return AddList(bytes);
    }
    FreeList* AddList(size_t bytes);
    void* Carve(size_t bytes);
    void Rewind();

    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    std::vector<size_t> blockSizes_;
    size_t currentBlock_ = 0; // index of the block being carved; blocks_.size() when none
    size_t used_ = 0;         // bytes carved from the current block
    size_t live_ = 0;
    FreeSlot* directHeads_[kDirectLists] = {};
    std::vector<FreeList> freeLists_; // one per larger slot size
    XmlNameTable names_;
};
