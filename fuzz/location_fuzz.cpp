// Any bytes and types in MRUList and the value it names: the lookup's text is always terminated
// inside the install path, is what was stored (up to its first zero byte) or a drive root or empty,
// and every key is closed.
#include <algorithm>
#include <cstring>

#include "base/base.h"
#include "fuzz/common.h"
#include "source/source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    FreshMachine();
    winsim::AddDrive('E', DRIVE_CDROM);
    DWORD orderType = input.ConsumeIntegralInRange<DWORD>(0, 7);
    std::string order = input.ConsumeRandomLengthString(300);
    DWORD valueType = input.ConsumeIntegralInRange<DWORD>(0, 7);
    std::string value = input.ConsumeRemainingBytesAsString();
    const char* key = "InstallLocationsMRU";
    winsim::SetRegistryValue(HKEY_CURRENT_USER, key, "MRUList", orderType,
                             std::vector<BYTE>(order.begin(), order.end()));
    std::string name = order.empty() || order[0] == '\0' ? "" : order.substr(0, 1);
    winsim::SetRegistryValue(HKEY_CURRENT_USER, key, name, valueType,
                             std::vector<BYTE>(value.begin(), value.end()));

    auto* path = new WCHAR[kInstallPathSize];
    FindInstallLocation(path);
    if (std::find(path, path + kInstallPathSize, 0) == path + kInstallPathSize) {
        __builtin_trap();
    }
    std::string found = UnpackedPath(path);
    std::string stored = value.substr(0, value.find('\0'));
    // Data fit when they are shorter than the buffer, or fill it with a zero byte somewhere.
    bool fits = value.size() < kInstallPathSize ||
                (value.size() == kInstallPathSize && value.find('\0') != std::string::npos);
    bool expected = found == "E:\\" || (fits && found == stored && !found.empty());
    if (!expected) {
        std::fprintf(stderr, "found [%s], stored [%s] (%zu bytes), order %zu bytes\n", found.c_str(),
                     stored.c_str(), value.size(), order.size());
        __builtin_trap();
    }
    delete[] path;
    CheckMachine();
    return 0;
}
