// Any drive mask and root lists, also lists that change between the queries: the inventory never
// overruns its list or an entry, and the chooser and the lookup release what they took.
#include <algorithm>
#include <cstring>

#include "base/base.h"
#include "fuzz/common.h"
#include "source/source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    FreshMachine();
    uint32_t mask = input.ConsumeIntegral<uint32_t>() & 0x3FFFFFF;
    for (int letter = 0; letter < 26; ++letter) {
        if (mask & (1u << letter)) {
            winsim::AddDrive(static_cast<char>('A' + letter), input.ConsumeIntegralInRange<UINT>(0, 6));
        }
    }
    if (input.ConsumeBool()) {
        winsim::Drives().lateDrives.push_back(
            {static_cast<char>('A' + input.ConsumeIntegralInRange<int>(0, 25)), DRIVE_CDROM});
    }
    if (input.ConsumeBool()) {
        std::string first = input.ConsumeRandomLengthString(600);
        std::string second = input.ConsumeRandomLengthString(600);
        winsim::Drives().rootLists = {first + std::string(2, '\0'), second + std::string(2, '\0')};
    }
    if (input.ConsumeBool() && input.ConsumeBool()) {
        winsim::FailEvery("GetLogicalDriveStringsA");
    }
    int count = -1;
    DriveEntry* drives = EnumerateDrives(&count);
    int room = __builtin_popcount(mask);
    if (count < 0 || count > room || (!drives && count != 0)) {
        __builtin_trap();
    }
    for (int i = 0; i < count; ++i) {
        if (memchr(drives[i].RootPath, 0, sizeof(drives[i].RootPath)) == nullptr) {
            __builtin_trap();
        }
    }
    if (drives) {
        HeapFree(GetProcessHeap(), 0, drives);
    }
    auto* path = new WCHAR[kInstallPathSize];
    FindInstallLocation(path);
    if (std::find(path, path + kInstallPathSize, 0) == path + kInstallPathSize) {
        __builtin_trap();
    }
    delete[] path;
    CheckMachine();
    return 0;
}
