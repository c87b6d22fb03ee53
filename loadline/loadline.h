// loadline: reads and rewrites the start-up line, the "load" value of win.ini's [windows] section.
#pragma once

// Takes Corven's own entry off the start-up line. 1 when there was nothing to remove or the entry
// was removed and the line written back; 0 otherwise (no entry found, the line not had whole or
// not as it is stored, the new line too long to write, or the write failed).
int RemoveSelfFromLoadLine();

// Lists the program fileName, in Corven's folder under the system directory, on the start-up line,
// unless that name is already on it. A line that cannot be had whole and as it is stored, or that
// would grow too long to write, is left alone.
void AddToLoadLine(const char* fileName);

// Upper-cases line and entry in place, then cuts the first whole-entry occurrence of entry out of
// line, with the separator that follows it. An entry stands whole between the line's ends and the
// separators blank, tab and comma, bare or wrapped in double quotes (which go with it).
// 1 when an entry was removed, 0 when not.
int RemoveSubstring(char* line, char* entry);
