// loadline: reads and rewrites the start-up line, the "load" value of win.ini's [windows] section.
#pragma once

// Takes Corven's own entry off the start-up line. 1 when there was nothing to remove or the entry
// was removed and the line written back; 0 when no entry was found or the line could not be had
// whole, and then nothing is written.
int RemoveSelfFromLoadLine();

// Lists the program fileName, in Corven's folder under the system directory, on the start-up line,
// unless that name is already on it.
void AddToLoadLine(const char* fileName);

// Upper-cases line and entry in place, then cuts the first whole-entry occurrence of entry out of
// line, with the blank that follows it. 1 when an entry was removed, 0 when not.
int RemoveSubstring(char* line, char* entry);
