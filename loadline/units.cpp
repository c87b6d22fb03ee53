// The line's units: Windows 95's bytes packed one character a unit, and back, losing nothing; and
// the blocks of units the editor holds on the heap.
#include <windows.h>

#include "base/base.h"
#include "loadline/parts.h"

namespace editor {

int PackBytes(const char* bytes, Unit* out)
{
    int count = 0;
    for (const char* at = bytes; *at;) {
        const char* next = NextChar(at);
        Unit first = static_cast<unsigned char>(at[0]);
        out[count++] =
            next - at == 2 ? static_cast<Unit>(first << 8 | static_cast<unsigned char>(at[1])) : first;
        at = next;
    }
    out[count] = 0;
    return count;
}

void UnpackBytes(const Unit* units, char* out)
{
    for (Unit unit; (unit = *units) != 0; ++units) {
        if (unit >= kDoubleByteFloor) {
            *out++ = static_cast<char>(unit >> 8);
        }
        *out++ = static_cast<char>(unit & 0xFF);
    }
    *out = '\0';
}

Unit* AllocateUnits(SIZE_T count)
{
    return static_cast<Unit*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * sizeof(Unit)));
}

void ReleaseUnits(Unit* block)
{
    if (block) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

} // namespace editor
