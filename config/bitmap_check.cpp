// See bitmap_check.h.
#include "config/bitmap_check.h"

namespace setupmenu {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kLargestHeaderBytes = 124;

// Compression values of the information header.
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;

uint32_t Read16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }

uint32_t Read32(const uint8_t* p) { return Read16(p) | Read16(p + 2) << 16; }

}  // namespace

bool IsSoundBitmapFile(const uint8_t* head, size_t headLength, uint64_t fileSize) {
    if (headLength < kFileHeaderBytes + 4 || headLength > fileSize) return false;
    if (head[0] != 'B' || head[1] != 'M') return false;
    const uint32_t pixelOffset = Read32(head + 10);
    const uint8_t* info = head + kFileHeaderBytes;
    const uint32_t headerBytes = Read32(info);
    const bool core = headerBytes == kCoreHeaderBytes;
    if (!core && (headerBytes < kInfoHeaderBytes || headerBytes > kLargestHeaderBytes)) return false;
    if (kFileHeaderBytes + headerBytes > headLength) return false;

    // 32-bit arithmetic throughout (64-bit products cost a 32-bit program
    // much code): once width x height is within kMaxBitmapPixels, no size
    // below comes near 2^32.
    uint32_t width, height, bits, compression = kRgb, compressedBytes = 0, colours = 0;
    if (core) {
        width = Read16(info + 4);
        height = Read16(info + 6);
        bits = Read16(info + 10);
    } else {
        const int32_t w = static_cast<int32_t>(Read32(info + 4));
        const int32_t h = static_cast<int32_t>(Read32(info + 8));
        if (w <= 0 || h == 0 || h == INT32_MIN) return false;
        width = static_cast<uint32_t>(w);
        height = static_cast<uint32_t>(h < 0 ? -h : h);  // negative: rows top down
        bits = Read16(info + 14);
        compression = Read32(info + 16);
        compressedBytes = Read32(info + 20);
        colours = Read32(info + 32);
    }
    if (width == 0 || height == 0 || width > kMaxBitmapPixels / height) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;

    // Pixel bytes: whole rows of 32-bit units (at most 4 x 2^24 + 4 x height
    // in all), or the compressed size.
    uint32_t pixelBytes;
    if (compression == kRgb || (compression == kBitFields && (bits == 16 || bits == 32))) {
        pixelBytes = (width * bits + 31) / 32 * 4 * height;
    } else if ((compression == kRle8 && bits == 8) || (compression == kRle4 && bits == 4)) {
        if (compressedBytes == 0) return false;
        pixelBytes = compressedBytes;
    } else {
        return false;
    }

    // The colour table, counted as the loader counts it, and the three masks
    // that follow a 40-byte header with bit fields.
    if (colours == 0 && bits <= 8) colours = uint32_t{1} << bits;
    if (colours > 256) colours = 256;
    uint32_t tableBytes = colours * (core ? 3 : 4);
    if (compression == kBitFields && headerBytes == kInfoHeaderBytes) tableBytes += 12;
    const uint32_t tableEnd = kFileHeaderBytes + headerBytes + tableBytes;
    if (tableEnd > fileSize) return false;

    // Without an offset the pixels follow the colour table; an offset never
    // points back into the headers.
    uint32_t pixelStart = tableEnd;
    if (pixelOffset != 0) {
        if (pixelOffset < kFileHeaderBytes + headerBytes) return false;
        pixelStart = pixelOffset;
    }
    return uint64_t{pixelStart} + pixelBytes <= fileSize;
}

}  // namespace setupmenu
