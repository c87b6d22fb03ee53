// The blocks of units the editor holds on the heap (base packs Windows 95's bytes into units).
#include <windows.h>

#include "base/base.h"
#include "loadline/parts.h"

namespace editor {

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
