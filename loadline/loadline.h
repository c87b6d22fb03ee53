// loadline: reads and rewrites the start-up line, the "load" value of win.ini's [windows] section,
// and the finishing step that ends Corven's life on it. On NT the line is read and written in
// Unicode; on Windows 95 as the bytes of its code page.
#pragma once

#include <windows.h>

// The finishing step, which every place that ends Corven's work runs: takes Corven off the
// start-up line and, where the device needs it, lists the companion program.
void FinishInstallation();

// Takes Corven's own entry off the start-up line. 1 when there was nothing to remove or the entry
// was removed and the line written back; 0 otherwise (no entry found, the line not had whole or
// not as it is stored, the new line too long to write, or the write failed).
int RemoveSelfFromLoadLine();

// Lists the program fileName (ASCII), in Corven's folder under the system directory, on the
// start-up line, unless an entry already names a program of that file name. A line that cannot be
// had whole and as it is stored, or that would grow too long to write, is left alone.
void AddToLoadLine(const char* fileName);

// Both in one read and one write, as the finishing step needs them: whatever fails, the line is
// left either as it was or with Corven's entry gone and companion listed (when not null).
// Reports as RemoveSelfFromLoadLine does.
int FinishLoadLine(const char* companion);

// Cuts the first whole-entry occurrence of entry out of line, with the separator that follows it;
// every other character of line stays as it was. An entry stands whole between the line's ends and
// the separators blank, tab and comma, bare or wrapped in double quotes (which go with it); it is
// found with the letters A to Z matching either case and every other character, a double-byte
// one whole, only itself. 1 when an entry was removed, 0 when not.
int RemoveEntry(char* line, const char* entry);
int RemoveEntry(WCHAR* line, const WCHAR* entry);
