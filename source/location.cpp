// The install location lookup: the most recent location the system recorded, else the first CD-ROM.
#include <windows.h>

#include "base/base.h"
#include "source/source.h"

namespace {

constexpr char kLocationsKey[] = "InstallLocationsMRU";
constexpr auto kOrderValue = Widen<WCHAR>("MRUList");
constexpr int kOrderSize = 260;
static_assert(kOrderSize <= kInstallPathSize, "an order's bytes fit beside it");

using QueryProc = LSTATUS(WINAPI*)(HKEY, const void*, DWORD*, DWORD*, BYTE*, DWORD*);

// True when every surrogate of a Unicode text stands in a pair: a lone one is no character of a
// path, and the file system would take it for none that was meant.
bool PairsSurrogates(const WCHAR* text)
{
    for (; *text; ++text) {
        // A low surrogate alone, or a high one that no low one follows.
        if ((*text & 0xFC00) == 0xDC00 || ((*text & 0xFC00) == 0xD800 && (*++text & 0xFC00) != 0xDC00)) {
            return false;
        }
    }
    return true;
}

} // namespace

int ReadUserRegistryString(const char* keyName, const WCHAR* valueName, WCHAR* text, int size)
{
    const size_t room = static_cast<size_t>(size) * sizeof(WCHAR);
    ZeroBytes(text, room);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS || !key) {
        return 0;
    }
    // On Windows 95 the value's bytes are read into the upper half of the text, then packed into its
    // lower half, which never overtakes them (as the load-line editor reads its line).
    const bool unicode = HasUnicodeFunctions();
    const int unit = unicode ? sizeof(WCHAR) : 1;
    BYTE* data = reinterpret_cast<BYTE*>(text) + (unicode ? 0 : size);
    char name[kPlatformPathBytes];
    auto query =
        InRunsText(reinterpret_cast<QueryProc>(RegQueryValueExA), "advapi32.dll", "RegQueryValueExW");
    DWORD type = REG_SZ;
    DWORD length = static_cast<DWORD>(size * unit);
    LSTATUS status = query ? query(key, PlatformText(valueName, name), nullptr, &type, data, &length)
                           : ERROR_CALL_NOT_IMPLEMENTED;
    RegCloseKey(key);
    // The data end in their own terminator, or are followed by the zeros already there: data that
    // fill the whole room without one are not a text, nor is what a failed query (data too long for
    // the room) leaves.
    int read = status == ERROR_SUCCESS && data[size * unit - 1] == 0 && data[(size - 1) * unit] == 0 &&
               (!unicode || type == REG_SZ);
    if (read) {
        TakePlatformText(reinterpret_cast<const char*>(data), text);
        read = !unicode || PairsSurrogates(text);
    }
    if (!read) {
        ZeroBytes(text, room);
    }
    return read;
}

void FindInstallLocation(WCHAR* path)
{
    WCHAR order[kOrderSize];
    ReadUserRegistryString(kLocationsKey, kOrderValue.text, order, kOrderSize);
    // Only the first character names the most recent location.
    order[1] = 0;

    path[0] = 0;
    ReadUserRegistryString(kLocationsKey, order, path, kInstallPathSize);
    if (path[0] != 0 && IsQuotableInstallPath(path)) {
        return;
    }

    path[0] = 0;
    int count = 0;
    DriveEntry* drives = EnumerateDrives(&count);
    for (int i = 0; i < count; ++i) {
        if (drives[i].DriveType == DRIVE_CDROM) {
            CopyAscii(path, kInstallPathSize, drives[i].RootPath);
            break;
        }
    }
    if (drives) {
        HeapFree(GetProcessHeap(), 0, drives);
    }
}
