// See counting_heap.h.
#include "tests/win/counting_heap.h"

#include <cstdlib>
#include <cstring>

#include "config/heap_text.h"

namespace counting_heap {
namespace {

std::vector<Block>& MutableBlocks() {
    static std::vector<Block> blocks;
    return blocks;
}

std::vector<Event>& MutableJournal() {
    static std::vector<Event> journal;
    return journal;
}

int g_strayReleases = 0;

}  // namespace

const std::vector<Block>& Blocks() { return MutableBlocks(); }

const Block* Find(const void* address) {
    for (const Block& block : MutableBlocks()) {
        if (block.address == address) return &block;
    }
    return nullptr;
}

int StrayReleases() { return g_strayReleases; }

const std::vector<Event>& Journal() { return MutableJournal(); }

void Note(char kind, const void* address) { MutableJournal().push_back({kind, address}); }

void Reset() {
    MutableBlocks().clear();
    MutableJournal().clear();
    g_strayReleases = 0;
}

}  // namespace counting_heap

namespace setupmenu {

char* AllocText(size_t bytes) {
    // One spare byte so that even a zero-byte request gets an address of its own.
    char* block = static_cast<char*>(std::malloc(bytes + 1));
    if (!block) std::abort();
    // Filled with a marker, so a text that is not fully written shows.
    std::memset(block, 0xA5, bytes + 1);
    counting_heap::MutableBlocks().push_back({block, bytes, 0});
    counting_heap::Note('A', block);
    return block;
}

void FreeText(char* text) {
    counting_heap::Note('F', text);
    for (counting_heap::Block& block : counting_heap::MutableBlocks()) {
        if (block.address == text) {
            ++block.releases;
            return;
        }
    }
    ++counting_heap::g_strayReleases;
}

}  // namespace setupmenu
