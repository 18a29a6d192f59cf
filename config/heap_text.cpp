// See heap_text.h. The C runtime's heap; an allocation failure is fatal, since
// a text the loader cannot hold would otherwise be silently dropped.
#include "config/heap_text.h"

#include <cstdlib>

namespace setupmenu {

char* AllocText(size_t bytes) {
    void* block = std::malloc(bytes);
    if (!block) std::abort();
    return static_cast<char*>(block);
}

void FreeText(char* text) { std::free(text); }

}  // namespace setupmenu
