// source: where setup.exe is looked for: the recorded install location, the drives, the chooser.
#pragma once

#include <windows.h>

// One logical drive: its root as the platform spells it and what GetDriveTypeA says of it.
struct DriveEntry {
    char RootPath[52];
    DWORD DriveType;
};

// Reads one value of a key under HKEY_CURRENT_USER into text (size units, at most kInstallPathSize)
// in the run's text (base.h): in Unicode on NT, where only a string value (REG_SZ) counts and its
// surrogates must pair, else the code page's bytes of whatever is stored. 1 when it was read; 0
// otherwise, and then the text is all zero. Data that fill the room with no terminator are not read.
int ReadUserRegistryString(const char* keyName, const WCHAR* valueName, WCHAR* text, int size);

// Fills path (kInstallPathSize units) with the most recent recorded install location, else the
// root of the first CD-ROM drive, else the empty text.
void FindInstallLocation(WCHAR* path);

// Takes an inventory of the drives. Returns the list (caller must HeapFree it on the process
// heap, also when *count is 0) or nullptr, in which case *count is 0.
DriveEntry* EnumerateDrives(int* count);

// Fills the drive combo box with the drive roots and selects the preferred path (added as an item
// when it is none of them), else the first removable drive, else the first item. Returns 1.
int FillDriveChooser(HWND combo, const WCHAR* preferred);
