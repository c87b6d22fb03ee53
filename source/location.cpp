// The install location lookup: the most recent location the system recorded, else the first CD-ROM.
#include <windows.h>

#include "base/base.h"
#include "source/source.h"

namespace {

constexpr char kLocationsKey[] = "InstallLocationsMRU";
constexpr char kOrderValue[] = "MRUList";
constexpr DWORD kOrderSize = 260;

bool HoldsTerminator(const BYTE* buffer, DWORD size)
{
    for (DWORD i = 0; i < size; ++i) {
        if (buffer[i] == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int ReadUserRegistryString(const char* keyName, const char* valueName, BYTE* buffer, DWORD size)
{
    ZeroBytes(buffer, size);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS || !key) {
        return 0;
    }
    DWORD type = 0;
    DWORD length = size;
    LSTATUS status = RegQueryValueExA(key, valueName, nullptr, &type, buffer, &length);
    RegCloseKey(key);
    // What a failed query (data too long for the buffer) leaves there is not a text, and neither
    // are data that fill the whole buffer without a terminator.
    if (status != ERROR_SUCCESS || !HoldsTerminator(buffer, size)) {
        ZeroBytes(buffer, size);
        return 0;
    }
    return 1;
}

void FindInstallLocation(char* path)
{
    BYTE order[kOrderSize];
    ReadUserRegistryString(kLocationsKey, kOrderValue, order, sizeof(order));
    // Only the first character names the most recent location.
    order[1] = 0;

    path[0] = '\0';
    ReadUserRegistryString(kLocationsKey, reinterpret_cast<const char*>(order), reinterpret_cast<BYTE*>(path),
                           kInstallPathSize);
    if (path[0] != '\0' && IsQuotableInstallPath(path)) {
        return;
    }

    path[0] = '\0';
    int count = 0;
    DriveEntry* drives = EnumerateDrives(&count);
    for (int i = 0; i < count; ++i) {
        if (drives[i].DriveType == DRIVE_CDROM) {
            CopyText(path, kInstallPathSize, drives[i].RootPath);
            break;
        }
    }
    if (drives) {
        HeapFree(GetProcessHeap(), 0, drives);
    }
}
