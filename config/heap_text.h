// The heap that holds the record's texts. One pair of functions, so that
// every text is allocated and released in exactly one place each.
#pragma once

#include <cstddef>

namespace setupmenu {

char* AllocText(size_t bytes);
void FreeText(char* text);

}  // namespace setupmenu
