// A heap for the record's texts that remembers every allocation and release.
//
// Linked into the test programs in place of the product heap (AllocText and
// FreeText of config/heap_text.h). Blocks are never given back to the C
// runtime, so an address is never reused and a second release of the same
// text, or a release of something never allocated, is seen as such.
#pragma once

#include <cstddef>
#include <vector>

namespace counting_heap {

struct Block {
    const char* address;
    size_t size;   // as requested from AllocText
    int releases;  // calls of FreeText with this address
};

// Every block allocated since the last Reset, in order of allocation.
const std::vector<Block>& Blocks();

// The block that starts at `address`, or null.
const Block* Find(const void* address);

// FreeText calls with a null pointer or an address that was never allocated.
int StrayReleases();

// What happened, in order: 'A' for an allocation, 'F' for a release (of the
// heap) and whatever kinds a test adds itself (see Note).
struct Event {
    char kind;
    const void* address;
};
const std::vector<Event>& Journal();
void Note(char kind, const void* address);

void Reset();

}  // namespace counting_heap
