// Fuzz target: the header check that stands before every bitmap load. The
// input is a whole file; the check sees its head and its size, as the
// launcher gives them.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "config/bitmap_check.h"
#include "tests/fuzz/fuzz_check.h"

using setupmenu::IsSoundBitmapFile;
using setupmenu::kBitmapHeadBytes;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t headLength = std::min(size, kBitmapHeadBytes);
    // An exact-size copy, so reading past the head is caught.
    std::vector<uint8_t> head(data, data + headLength);
    const uint8_t* headData = head.empty() ? nullptr : head.data();
    const bool sound = IsSoundBitmapFile(headData, headLength, size);

    // The same file gives the same answer.
    FUZZ_CHECK(IsSoundBitmapFile(headData, headLength, size) == sound);
    if (!sound) return 0;

    // Only files with the bitmap signature pass, and only when the whole head was read.
    FUZZ_CHECK(headLength >= 2 && head[0] == 'B' && head[1] == 'M');
    // Bytes after the picture never make a sound file unsound.
    FUZZ_CHECK(IsSoundBitmapFile(headData, headLength, size + 1));
    FUZZ_CHECK(IsSoundBitmapFile(headData, headLength, size + 4096));
    // A head longer than the file cannot belong to it.
    FUZZ_CHECK(!IsSoundBitmapFile(headData, headLength, headLength - 1));
    return 0;
}
