// Whether a bitmap file really holds the picture its headers describe.
//
// The platform's bitmap loader believes the headers: it reads as many pixel
// bytes as width, height and depth call for, wherever the file ends, and it
// builds a bitmap of whatever size the header claims. A file cut short, or a
// header that points past the end, makes it read beyond the file (Wine then
// faults inside the launcher); a tiny compressed file claiming 20000 x 20000
// pixels keeps it busy for many seconds and takes gigabytes. The launcher
// looks at the headers first and hands the loader only files that pass.
//
// Nothing here touches the platform, so the rules are unit-tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

namespace setupmenu {

// The file header (14 bytes) and the largest information header (124): all
// that the check needs of a file.
constexpr size_t kBitmapHeadBytes = 14 + 124;

// The most pixels a picture may have: 4096 x 4096, more than any screen the
// launcher fills. Larger pictures are refused, not scaled.
constexpr uint32_t kMaxBitmapPixels = uint32_t{1} << 24;

// `head` holds the first `headLength` bytes of a file of `fileSize` bytes
// (headLength is min(fileSize, kBitmapHeadBytes)). True when the file is a
// Windows bitmap with a core (12-byte) or information (40 to 124-byte)
// header, width and height of at least 1 and at most kMaxBitmapPixels pixels
// in all, 1, 4, 8, 16, 24 or 32 bits a pixel, no compression, bit fields, or
// run-length compression of its own depth with the compressed size given,
// and when the file holds its colour table and all its pixel bytes.
bool IsSoundBitmapFile(const uint8_t* head, size_t headLength, uint64_t fileSize);

}  // namespace setupmenu
