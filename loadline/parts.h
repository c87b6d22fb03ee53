// The load-line editor's parts, for its own files only. Each file has one job:
//   - units.cpp: the line's blocks of units on the heap;
//   - store.cpp: where the line lives, reading it once and whole, writing it back;
//   - places.cpp: the paths the edit needs (Corven's entry, the path it was started from, the
//     companion's), computed from what the platform tells, no input changed;
//   - plan.cpp: the edit itself, over the line and those paths, with no platform call;
//   - loadline.cpp: the public operations, which run the three in turn.
#pragma once

#include <windows.h>

#include "loadline/entries.h"

namespace editor {

// ---- Units (units.cpp) ----
// One character of the line as the editor walks it: on NT a UTF-16 unit (no character the editor
// looks for is ever part of a surrogate pair); on Windows 95 a single byte of the code page, or a
// double-byte character's two bytes together, its first byte high. So a second byte 5C or a to z
// is never taken for a backslash or a letter, and every byte comes back as it was.
// (base/ packs Windows 95's bytes into units and back: PackBytes, UnpackBytes.)
// A zeroed block of `count` units on the process heap, nullptr when there is no room; and its
// release (nullptr is none).
Unit* AllocateUnits(SIZE_T count);
void ReleaseUnits(Unit* block);

// ---- The store (store.cpp) ----
// The line, as units on the heap: its text, its length, and the units its block holds (the
// length, its terminator and the room asked for beyond them).
struct LoadLine {
    Unit* text;
    int length;
    DWORD capacity;
    bool unicode; // read, and so written, with the W profile functions
};
enum class ReadResult {
    Read,       // line holds it
    NoLine,     // no line, or a read that failed: the platform answers both alike
    Unreadable, // the line could not be had whole
};
// Reads the whole start-up line, with room for `reserve` more units, in Unicode where the system
// has the W functions. Only when it answers Read does line hold a block.
ReadResult ReadLoadLine(LoadLine* line, DWORD reserve);
// Writes the line back, using up its block (it stays the caller's to release); false when it was
// not written.
[[nodiscard]] bool WriteLoadLine(LoadLine* line);
// True when NT keeps win.ini's [windows] section in the registry, which keeps every quote.
bool KeepsLineInRegistry();
// The longest line that can be written and read back whole, in units of the line's kind.
int MaxWrittenLength(bool unicode);

// ---- The places (places.cpp) ----
// A candidate holds the system directory, the folder and the file name; the companion's path and
// the path Windows started Corven from, a path of the platform's size.
constexpr int kCandidateSize = 256;
constexpr int kPathSize = 260;
struct Places {
    Unit self[kCandidateSize]; // Corven's full path under the system directory
    Unit own[kPathSize];       // the path Windows started Corven from
    Unit companion[kPathSize]; // where the companion is listed
    bool selfKnown;            // self holds it (asked for, and the system directory had)
    bool ownIsSelf;            // own holds Corven's own file in a TELVANOR.101 folder
    bool companionKnown;       // companion holds it
};
// Computes the places, in the line's kind of text: Corven's entry when needSelf, the path it was
// started from, and, when companion is not null, where that program is listed.
void FindPlaces(Places* places, bool needSelf, const char* companion, bool unicode);

// ---- The plan (plan.cpp) ----
// What the plan of an edit is given besides the line: what the platform told of the line and of
// the paths it names.
struct EditInputs {
    bool removeSelf;
    bool keptInFile;           // a win.ini file keeps the line, and strips outer quotes on reading
    int maxWritten;            // the longest line that can be written and read back whole
    const Unit* self;          // Corven's full path; nullptr when unknown
    const Unit* own;           // the path Windows started Corven from; nullptr when not its own file
    const char* companion;     // the companion's file name; nullptr when none is listed
    const Unit* companionPath; // its full path; nullptr when unknown
};
struct EditPlan {
    int result; // what RemoveSelfFromLoadLine reports, should the write succeed
    bool write; // the line, as the plan leaves it, is to be written
};
// Plans the edit of the line in place: Corven's entry taken off (its full path first, then its
// form relative to the Windows folder, then the path Windows started it from) and the companion
// listed, within the line's block. No platform call.
EditPlan PlanEdit(LoadLine* line, const EditInputs& in);
// Cuts the first whole-entry occurrence of entry out of line (the rule of entries.h, in one place
// for the editor and its callers). 1 when an entry was removed, 0 when not.
int RemoveEntry(Unit* line, const Unit* entry);

} // namespace editor
