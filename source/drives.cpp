// The drive inventory and the disk prompt's drive chooser.
#include <windows.h>

#include "base/base.h"
#include "source/source.h"

namespace {

constexpr DWORD kFirstRootListSize = 255;
constexpr int kRootPathSize = static_cast<int>(sizeof(DriveEntry{}.RootPath));
static_assert(kRootPathSize == 52, "a root path holds 51 characters");

int CountDrives(DWORD mask)
{
    int drives = 0;
    for (; mask; mask >>= 1) {
        drives += static_cast<int>(mask & 1);
    }
    return drives;
}

// Asks for the root list; the length of the list read into buffer, or 0 when none fits there.
DWORD QueryRootList(char* buffer, DWORD size)
{
    DWORD length = GetLogicalDriveStringsA(size, buffer);
    return length < size ? length : 0;
}

// Stores the roots of the list (texts one after another, an empty text ending it) as entries,
// never more than `room`; a root too long for an entry is left out.
int ReadRoots(const char* list, DWORD length, DriveEntry* drives, int room)
{
    int count = 0;
    DWORD at = 0;
    while (at < length && list[at] != '\0' && count < room) {
        DWORD end = at;
        while (end < length && list[end] != '\0') {
            ++end;
        }
        DWORD rootLength = end - at;
        if (rootLength < static_cast<DWORD>(kRootPathSize)) {
            DriveEntry* entry = &drives[count];
            CopyText(entry->RootPath, static_cast<int>(rootLength) + 1, list + at);
            entry->DriveType = GetDriveTypeA(entry->RootPath);
            ++count;
        }
        at = end + 1;
    }
    return count;
}

} // namespace

DriveEntry* EnumerateDrives(int* count)
{
    *count = 0;
    DWORD mask = GetLogicalDrives();
    if (mask == 0) {
        return nullptr;
    }
    HANDLE heap = GetProcessHeap();
    int room = CountDrives(mask);
    auto* drives = static_cast<DriveEntry*>(
        HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(DriveEntry) * static_cast<SIZE_T>(room)));
    if (!drives) {
        return nullptr;
    }
    auto* list = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, kFirstRootListSize));
    if (!list) {
        return drives;
    }
    DWORD size = kFirstRootListSize;
    DWORD needed = GetLogicalDriveStringsA(size, list);
    DWORD length = needed < size ? needed : 0;
    if (needed > size) {
        void* grown = HeapReAlloc(heap, HEAP_ZERO_MEMORY, list, needed);
        if (grown) {
            list = static_cast<char*>(grown);
            size = needed;
            length = QueryRootList(list, size);
        }
    }
    if (length != 0) {
        // The list holds `length` characters and its final terminator.
        *count = ReadRoots(list, length + 1, drives, room);
    }
    HeapFree(heap, 0, list);
    return drives;
}

namespace {

// The drive to select first: the one whose root is the preferred path, else (none preferred) the
// first removable drive; -1 when there is none such.
int FindPreferredDrive(const DriveEntry* drives, int count, const WCHAR* preferred)
{
    for (int i = 0; i < count; ++i) {
        if (preferred[0] != 0 ? SameAscii(preferred, drives[i].RootPath)
                              : drives[i].DriveType == DRIVE_REMOVABLE) {
            return i;
        }
    }
    return -1;
}

} // namespace

int FillDriveChooser(HWND combo, const WCHAR* preferred)
{
    int count = 0;
    DriveEntry* drives = EnumerateDrives(&count);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drives[i].RootPath));
    }

    int items = count;
    LRESULT choice = FindPreferredDrive(drives, count, preferred);
    if (choice == -1 && preferred[0] != 0) {
        choice = SendPath(combo, CB_ADDSTRING, 0, preferred);
        ++items;
    }
    if (choice == -1) {
        choice = 0;
    }
    if (items != 0) {
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(choice), 0);
    }
    if (drives) {
        HeapFree(GetProcessHeap(), 0, drives);
    }
    return 1;
}
