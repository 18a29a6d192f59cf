// The header check that every bitmap file passes before the loader sees it.
#include "config/bitmap_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace setupmenu {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// A complete file: file header, a 40-byte (or `headerBytes`) information
// header, `colours` table entries (all of them for 8 bits and less when 0),
// `masks` bytes of bit fields and the pixel rows, or `compressed` bytes.
struct Spec {
    int32_t width = 10;
    int32_t height = 6;
    uint32_t bits = 24;
    uint32_t compression = 0;
    uint32_t headerBytes = 40;
    uint32_t colours = 0;
    uint32_t compressed = 0;
    bool core = false;
};

Bytes Make(const Spec& s) {
    const uint32_t header = s.core ? 12 : s.headerBytes;
    uint32_t entries = s.colours;
    if (entries == 0 && s.bits <= 8) entries = 1u << s.bits;
    const uint32_t table = entries * (s.core ? 3 : 4) + ((s.compression == 3 && header == 40) ? 12 : 0);
    const uint32_t rows = static_cast<uint32_t>(s.height < 0 ? -s.height : s.height);
    const uint32_t pixels = (s.compression == 1 || s.compression == 2)
                                ? s.compressed
                                : (static_cast<uint32_t>(s.width) * s.bits + 31) / 32 * 4 * rows;
    Bytes b(14 + header + table + pixels, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, 14 + header + table);
    Put32(b, 14, header);
    if (s.core) {
        Put16(b, 18, static_cast<uint32_t>(s.width));
        Put16(b, 20, static_cast<uint32_t>(s.height));
        Put16(b, 22, 1);
        Put16(b, 24, s.bits);
    } else {
        Put32(b, 18, static_cast<uint32_t>(s.width));
        Put32(b, 22, static_cast<uint32_t>(s.height));
        Put16(b, 26, 1);
        Put16(b, 28, s.bits);
        Put32(b, 30, s.compression);
        Put32(b, 34, s.compression == 1 || s.compression == 2 ? s.compressed : 0);
        Put32(b, 46, s.colours);
    }
    return b;
}

bool Check(const Bytes& file) {
    const size_t head = file.size() < kBitmapHeadBytes ? file.size() : kBitmapHeadBytes;
    return IsSoundBitmapFile(file.data(), head, file.size());
}

struct Case {
    const char* what;
    std::function<Bytes()> file;
    bool sound;
};

Spec With(std::function<void(Spec&)> change) {
    Spec s;
    change(s);
    return s;
}

Bytes Patched32(Bytes b, size_t at, uint32_t v) {
    Put32(b, at, v);
    return b;
}

Bytes Cut(Bytes b, size_t size) {
    b.resize(size);
    return b;
}

TEST(IsSoundBitmapFile, AcceptsFilesThatHoldTheirPicture) {
    const Case cases[] = {
        {"24 bits", [] { return Make(Spec{}); }, true},
        {"1 bit", [] { return Make(With([](Spec& s) { s.bits = 1; })); }, true},
        {"4 bits", [] { return Make(With([](Spec& s) { s.bits = 4; })); }, true},
        {"8 bits", [] { return Make(With([](Spec& s) { s.bits = 8; })); }, true},
        {"16 bits", [] { return Make(With([](Spec& s) { s.bits = 16; })); }, true},
        {"32 bits", [] { return Make(With([](Spec& s) { s.bits = 32; })); }, true},
        {"16 bits with bit fields", [] { return Make(With([](Spec& s) { s.bits = 16, s.compression = 3; })); }, true},
        {"32 bits, V5 header, bit fields",
         [] { return Make(With([](Spec& s) { s.bits = 32, s.compression = 3, s.headerBytes = 124; })); }, true},
        {"8 bits run-length", [] { return Make(With([](Spec& s) { s.bits = 8, s.compression = 1, s.compressed = 2; })); },
         true},
        {"4 bits run-length", [] { return Make(With([](Spec& s) { s.bits = 4, s.compression = 2, s.compressed = 8; })); },
         true},
        {"core header", [] { return Make(With([](Spec& s) { s.core = true; })); }, true},
        {"core header, 8 bits", [] { return Make(With([](Spec& s) { s.core = true, s.bits = 8; })); }, true},
        {"short colour table", [] { return Make(With([](Spec& s) { s.bits = 8, s.colours = 2; })); }, true},
        {"colour count above 256 counts 256",
         [] { return Patched32(Make(With([](Spec& s) { s.bits = 8; })), 46, 0xFFFFFFFF); }, true},
        {"rows top down", [] { return Make(With([](Spec& s) { s.height = -6; })); }, true},
        {"one pixel", [] { return Make(With([](Spec& s) { s.width = 1, s.height = 1; })); }, true},
        {"4096 x 4096 run-length",
         [] { return Make(With([](Spec& s) { s.width = s.height = 4096, s.bits = 8, s.compression = 1, s.compressed = 2; })); },
         true},
        {"bytes after the pixels", [] {
             Bytes b = Make(Spec{});
             b.resize(b.size() + 100);
             return b;
         }, true},
        {"no pixel offset: pixels follow the table", [] { return Patched32(Make(Spec{}), 10, 0); }, true},
    };
    for (const Case& c : cases) EXPECT_EQ(Check(c.file()), c.sound) << c.what;
}

TEST(IsSoundBitmapFile, RefusesFilesThatCannotHoldTheirPicture) {
    const Case cases[] = {
        {"empty", [] { return Bytes(); }, false},
        {"file header only", [] { return Cut(Make(Spec{}), 14); }, false},
        {"cut in the information header", [] { return Cut(Make(Spec{}), 30); }, false},
        {"cut in the colour table", [] { return Cut(Make(With([](Spec& s) { s.bits = 8; })), 14 + 40 + 100); }, false},
        {"one pixel byte short", [] {
             Bytes b = Make(Spec{});
             return Cut(b, b.size() - 1);
         }, false},
        {"no BM signature", [] {
             Bytes b = Make(Spec{});
             b[0] = 'X';
             return b;
         }, false},
        {"text", [] { return Bytes{'[', 'M', 'a', 'i', 'n', ']', '\r', '\n', 'x', '=', '1', '\r', '\n', 0, 0, 0, 0, 0, 0}; },
         false},
        {"header size 0", [] { return Patched32(Make(Spec{}), 14, 0); }, false},
        {"header size 20", [] { return Patched32(Make(Spec{}), 14, 20); }, false},
        {"header size beyond the largest", [] { return Patched32(Make(Spec{}), 14, 125); }, false},
        {"header size 0xFFFFFFFF", [] { return Patched32(Make(Spec{}), 14, 0xFFFFFFFF); }, false},
        {"width 0", [] { return Make(With([](Spec& s) { s.width = 0; })); }, false},
        {"negative width", [] { return Patched32(Make(Spec{}), 18, static_cast<uint32_t>(-10)); }, false},
        {"height 0", [] { return Make(With([](Spec& s) { s.height = 0; })); }, false},
        {"height INT32_MIN", [] { return Patched32(Make(Spec{}), 22, 0x80000000u); }, false},
        {"core width 0", [] { return Make(With([](Spec& s) { s.core = true, s.width = 0; })); }, false},
        {"7 bits", [] { return Patched32(Make(Spec{}), 28, 7); }, false},
        {"0 bits", [] { return Patched32(Make(Spec{}), 28, 0); }, false},
        {"100000 x 100000, pixels missing", [] {
             Bytes b = Make(With([](Spec& s) { s.width = s.height = 1; }));
             b = Patched32(b, 18, 100000);
             return Patched32(b, 22, 100000);
         }, false},
        {"more than 4096 x 4096 pixels, run-length",
         [] { return Make(With([](Spec& s) { s.width = 4097, s.height = 4096, s.bits = 8, s.compression = 1, s.compressed = 2; })); },
         false},
        {"20000 x 20000 run-length in a few bytes",
         [] { return Make(With([](Spec& s) { s.width = s.height = 20000, s.bits = 8, s.compression = 1, s.compressed = 4; })); },
         false},
        {"width times height wraps 32 bits", [] {
             Bytes b = Make(With([](Spec& s) { s.width = s.height = 1, s.bits = 8, s.compression = 1, s.compressed = 2; }));
             b = Patched32(b, 18, 0x10000);
             return Patched32(b, 22, 0x10000);
         }, false},
        {"run-length without its size",
         [] { return Make(With([](Spec& s) { s.bits = 8, s.compression = 1, s.compressed = 0; })); }, false},
        {"run-length size beyond the file", [] {
             Bytes b = Make(With([](Spec& s) { s.bits = 8, s.compression = 1, s.compressed = 64; }));
             return Patched32(b, 34, 1000000);
         }, false},
        {"8-bit run-length on 4 bits",
         [] { return Make(With([](Spec& s) { s.bits = 4, s.compression = 1, s.compressed = 8; })); }, false},
        {"4-bit run-length on 8 bits",
         [] { return Make(With([](Spec& s) { s.bits = 8, s.compression = 2, s.compressed = 8; })); }, false},
        {"bit fields on 24 bits", [] { return Patched32(Make(Spec{}), 30, 3); }, false},
        {"JPEG inside", [] { return Patched32(Make(Spec{}), 30, 4); }, false},
        {"PNG inside", [] { return Patched32(Make(Spec{}), 30, 5); }, false},
        {"pixel offset past the end", [] { return Patched32(Make(Spec{}), 10, 1000000); }, false},
        {"pixel offset into the file header", [] { return Patched32(Make(Spec{}), 10, 10); }, false},
        {"pixel offset into the information header", [] { return Patched32(Make(Spec{}), 10, 14 + 39); }, false},
        {"pixel offset 0xFFFFFFFF", [] { return Patched32(Make(Spec{}), 10, 0xFFFFFFFF); }, false},
    };
    for (const Case& c : cases) EXPECT_EQ(Check(c.file()), c.sound) << c.what;
}

TEST(IsSoundBitmapFile, ReadsOnlyTheHeadItIsGiven) {
    const Bytes file = Make(Spec{});
    // The head must cover the headers and may not be longer than the file.
    EXPECT_TRUE(IsSoundBitmapFile(file.data(), 14 + 40, file.size()));
    EXPECT_FALSE(IsSoundBitmapFile(file.data(), 14 + 39, file.size()));
    EXPECT_FALSE(IsSoundBitmapFile(file.data(), 17, file.size()));
    EXPECT_FALSE(IsSoundBitmapFile(file.data(), 14 + 40, 14 + 39));
}

}  // namespace
}  // namespace setupmenu
