// Counts another process's GDI objects, for the probe and the benchmark's
// meter. GetGuiResources is a stub in Wine, so they are counted in the
// process's GDI handle table, which its PEB points to (GdiSharedHandleTable):
// 0x10000 entries of 24 bytes, type 0 for a free one. The caller is a 64-bit
// program, so NtQueryInformationProcess gives it the 64-bit PEB even of a
// 32-bit process under WoW64; Wine's win32u keeps the table's address there
// as well, and the entries have the same layout for both kinds of process.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <vector>

struct GdiCount {
    bool known = false;  // false: the table could not be read
    int total = 0, stock = 0, dc = 0, region = 0, bitmap = 0, font = 0, brush = 0, pen = 0, palette = 0, other = 0;
};

#pragma pack(push, 1)
struct GdiEntry {
    unsigned long long object;
    unsigned int owner;
    unsigned char extType;  // bit 7: stock object
    unsigned char generation;
    unsigned char type;
    unsigned char flags;
    unsigned long long user;
};
#pragma pack(pop)
static_assert(sizeof(GdiEntry) == 24, "GDI handle entry");

inline GdiCount CountGdiObjects(HANDLE process) {
    constexpr size_t kEntries = 0x10000;
    constexpr size_t kPebGdiSharedHandleTable = 0xF8;  // 64-bit PEB
    GdiCount count;
    using QueryProc = LONG(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return count;
    unsigned long long table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + kPebGdiSharedHandleTable,
                           &table, sizeof table, &read) ||
        read != sizeof table || !table) {
        return count;
    }
    std::vector<GdiEntry> entries(kEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size() * sizeof(GdiEntry), &read) ||
        read != entries.size() * sizeof(GdiEntry)) {
        return count;
    }
    count.known = true;
    for (const GdiEntry& e : entries) {
        if (!e.type) continue;
        ++count.total;
        if (e.extType & 0x80) ++count.stock;
        switch (e.type) {
            case 0x01: case 0x21: case 0x41: case 0x66: ++count.dc; break;
            case 0x04: ++count.region; break;
            case 0x09: ++count.bitmap; break;
            case 0x0a: ++count.font; break;
            case 0x10: ++count.brush; break;
            case 0x30: case 0x50: ++count.pen; break;
            case 0x08: ++count.palette; break;
            default: ++count.other; break;
        }
    }
    return count;
}
