// The process heap: zero-fill, live-block accounting and injectable failures.
#include <cstdlib>
#include <cstring>

#include "winsim/machine.h"

namespace {

using winsim::M;

HANDLE ProcessHeap()
{
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x5000));
}

bool CheckHeap(HANDLE heap, const char* what)
{
    if (heap != ProcessHeap()) {
        winsim::Problem(std::string(what) + " on a heap that is not the process heap");
        return false;
    }
    return true;
}

} // namespace

namespace winsim {

int LiveBlocks()
{
    return static_cast<int>(M().blocks.size());
}

} // namespace winsim

extern "C" {

HANDLE WINAPI GetProcessHeap(void)
{
    winsim::Fault("GetProcessHeap");
    return ProcessHeap();
}

LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes)
{
    if (winsim::Fault("HeapAlloc") || !CheckHeap(heap, "HeapAlloc")) {
        return nullptr;
    }
    void* block = std::malloc(bytes ? bytes : 1);
    // Without HEAP_ZERO_MEMORY the block holds junk, as on Windows.
    std::memset(block, (flags & HEAP_ZERO_MEMORY) ? 0 : 0xBD, bytes ? bytes : 1);
    M().blocks[block] = bytes;
    return block;
}

LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes)
{
    if (!CheckHeap(heap, "HeapReAlloc")) {
        return nullptr;
    }
    auto found = M().blocks.find(block);
    if (found == M().blocks.end()) {
        winsim::Problem("HeapReAlloc of a block that is not live");
        return nullptr;
    }
    if (winsim::Fault("HeapReAlloc")) {
        return nullptr;
    }
    size_t old = found->second;
    void* grown = std::malloc(bytes ? bytes : 1);
    std::memset(grown, (flags & HEAP_ZERO_MEMORY) ? 0 : 0xBD, bytes ? bytes : 1);
    std::memcpy(grown, block, old < bytes ? old : bytes);
    std::free(block);
    M().blocks.erase(found);
    M().blocks[grown] = bytes;
    return grown;
}

BOOL WINAPI HeapFree(HANDLE heap, DWORD, LPVOID block)
{
    winsim::Fault("HeapFree");
    if (!CheckHeap(heap, "HeapFree")) {
        return FALSE;
    }
    if (!block) {
        return TRUE;
    }
    if (M().blocks.erase(block) == 0) {
        winsim::Problem("HeapFree of a block that is not live");
        return FALSE;
    }
    std::free(block);
    return TRUE;
}
}
