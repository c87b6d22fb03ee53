// The load-line editor: finds Corven's entry on the start-up line, cuts it out, adds the companion.
// Where the system has the W profile functions (every NT, whatever version it reports), the line
// is read and written in Unicode, so no code page stands between Corven and other programs'
// entries. Windows 95 has only stubs that fail: there the A ones read and write the bytes of its
// code page as they are. One editor serves both: it walks a line of units, one unit a character
// (two thin ends turn each kind of text into units and back, losing nothing).
#include "loadline/loadline.h"

#include <windows.h>

#include "base/base.h"

namespace {

constexpr char kSection[] = "windows";
constexpr char kKey[] = "load";
constexpr char kProfile[] = "win.ini";
constexpr char kFolderInfix[] = "\\TELVANOR.101\\";
constexpr char kSelf[] = "CORVEN.EXE";
// Corven's entry relative to the Windows folder, as the installation may list it.
constexpr char kRelativeCandidate[] = "system\\TELVANOR.101\\CORVEN.EXE";
constexpr auto kSectionW = Widen<WCHAR>(kSection);
constexpr auto kKeyW = Widen<WCHAR>(kKey);
constexpr auto kProfileW = Widen<WCHAR>(kProfile);
// NT names here the sections of win.ini it keeps in the registry: a value or a key per section.
constexpr char kIniFileMapping[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\IniFileMapping\\win.ini";

// A candidate holds the system directory, the folder and the file name.
constexpr int kCandidateSize = 256;
constexpr UINT kSystemDirSize = 255;
constexpr int kAddPathSize = 260;
static_assert(sizeof(kRelativeCandidate) < kCandidateSize, "the relative candidate always fits");

// The line is read whole: the buffer grows from the first size until a read surely holds all of
// it, up to the longest value the platform reads back. Windows 95 reads up to 65535 bytes. On NT
// the W functions keep far longer values: a line four times that long is still edited, and what
// Corven writes it can read back whole.
constexpr DWORD kFirstLineSize = 256;
constexpr DWORD kMaxBytesLineSize = 65535;
constexpr DWORD kMaxUnicodeLineSize = 262144;
// NT and Wine pass a value written with the A functions through a Unicode string of at most
// 32,766 characters; a longer one fails that conversion and Wine then deletes the whole value.
constexpr int kMaxBytesWritten = 32766;
constexpr int kMaxUnicodeWritten = static_cast<int>(kMaxUnicodeLineSize) - 3;

// One character of the line as the editor walks it: on NT a UTF-16 unit (no character the editor
// looks for is ever part of a surrogate pair); on Windows 95 a single byte of the code page, or a
// double-byte character's two bytes together, its first byte high. So a second byte 5C or a to z
// is never taken for a backslash or a letter, and every byte comes back as it was.
using Unit = WCHAR;
constexpr Unit kDoubleByteFloor = 0x100;

// The characters of bytes as units into out, which has room for as many units as bytes; returns
// how many.
int PackBytes(const char* bytes, Unit* out)
{
    int count = 0;
    for (const char* at = bytes; *at;) {
        const char* next = NextChar(at);
        Unit first = static_cast<unsigned char>(at[0]);
        out[count++] =
            next - at == 2 ? static_cast<Unit>(first << 8 | static_cast<unsigned char>(at[1])) : first;
        at = next;
    }
    out[count] = 0;
    return count;
}

// The bytes of packed units into out, which has room for two bytes a unit; out may be the units'
// own block, since each unit is read before its bytes are written.
void UnpackBytes(const Unit* units, char* out)
{
    for (Unit unit; (unit = *units) != 0; ++units) {
        if (unit >= kDoubleByteFloor) {
            *out++ = static_cast<char>(unit >> 8);
        }
        *out++ = static_cast<char>(unit & 0xFF);
    }
    *out = '\0';
}

void* AllocateZeroed(SIZE_T bytes)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void Release(void* block)
{
    if (block) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

// Blank, tab and comma each end one entry of the line and start the next.
bool IsEntrySeparator(Unit c)
{
    return c == ' ' || c == '\t' || c == ',';
}

bool EndsEntry(Unit c)
{
    return c == 0 || IsEntrySeparator(c);
}

// The end of the text at `at` that matches entry, with A to Z folded and every other character
// matching only itself; nullptr when it does not match.
const Unit* MatchFolded(const Unit* at, const Unit* entry)
{
    for (; *entry; ++at, ++entry) {
        if (FoldLetter(*at) != FoldLetter(*entry)) {
            return nullptr;
        }
    }
    return at;
}

// The end of the entry that starts at `at`: the separator or the line's end that ends it. A
// separator between double quotes is part of the entry.
Unit* EntryEnd(Unit* at)
{
    bool quoted = false;
    for (; *at; ++at) {
        if (*at == '"') {
            quoted = !quoted;
        } else if (!quoted && IsEntrySeparator(*at)) {
            break;
        }
    }
    return at;
}

// True when the entry from start to end is `entry`, bare or wrapped in a pair of double quotes.
bool IsWholeEntry(const Unit* start, const Unit* end, const Unit* entry)
{
    if (MatchFolded(start, entry) == end) {
        return true;
    }
    const Unit* match = *start == '"' ? MatchFolded(start + 1, entry) : nullptr;
    return match && *match == '"' && match + 1 == end;
}

// True when the entry from start to end names the program fileName: what follows its last folder
// (its quotes aside) is fileName, with A to Z matching either case, as Windows matches file names.
bool NamesProgram(const Unit* start, const Unit* end, const char* fileName)
{
    if (end > start && end[-1] == '"') {
        --end;
    }
    const Unit* name = start;
    for (const Unit* at = start; at < end; ++at) {
        if (*at == '\\' || *at == '/' || *at == ':' || *at == '"') {
            name = at + 1;
        }
    }
    for (; name < end && *fileName; ++name, ++fileName) {
        if (FoldLetter(*name) != FoldLetter(static_cast<Unit>(static_cast<unsigned char>(*fileName)))) {
            return false;
        }
    }
    return name == end && *fileName == '\0';
}

// The first entry of the line for which `test` holds, or nullptr; *end is set to its end.
template <typename Test> Unit* FindEntry(Unit* line, Unit** end, Test test)
{
    for (Unit* start = line;; start = *end + 1) {
        *end = EntryEnd(start);
        if (test(start, *end)) {
            return start;
        }
        if (**end == 0) {
            return nullptr;
        }
    }
}

int RemoveWholeEntry(Unit* line, const Unit* entry)
{
    Unit* end = nullptr;
    Unit* start = *entry
                      ? FindEntry(line, &end,
                                  [entry](const Unit* s, const Unit* e) { return IsWholeEntry(s, e, entry); })
                      : nullptr;
    if (!start) {
        return 0;
    }
    // The separator behind an entry goes with it; an entry that ends the line keeps the one before.
    const Unit* rest = *end ? end + 1 : end;
    while ((*start++ = *rest++) != 0) {
    }
    return 1;
}

// True when the line can be written back as it was read: double quotes pair up around whole
// entries. Where they do not, a quote was lost on the way in (a win.ini file strips a pair that
// wraps the whole value), and the entries can no longer be told apart.
bool IsFaithfulLine(const Unit* line)
{
    bool quoted = false;
    for (const Unit* at = line; *at; ++at) {
        if (*at != '"') {
            continue;
        }
        if (quoted ? !EndsEntry(at[1]) : (at != line && !IsEntrySeparator(at[-1]))) {
            return false;
        }
        quoted = !quoted;
    }
    return !quoted;
}

// What a win.ini file trims around a value it reads: blank, tab and the other control characters
// 0x09 to 0x0D, and ^Z.
bool IsProfileSpace(Unit c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1a;
}

// True when a win.ini file, once it has trimmed the value, would strip its first and last
// character as a pair of quotes wrapping the whole value, and so turn a quoted path into as many
// entries as it has words.
bool WouldLoseOuterQuotes(const Unit* text, int length)
{
    int first = 0;
    while (first < length && IsProfileSpace(text[first])) {
        ++first;
    }
    while (length > first && IsProfileSpace(text[length - 1])) {
        --length;
    }
    return length - first >= 2 && (text[first] == '"' || text[first] == '\'') &&
           text[length - 1] == text[first];
}

// The line, as units on the heap.
struct LoadLine {
    Unit* text;
    DWORD size; // in units
};

// Grows the line's block to `size` units, zero-filled, keeping what it holds.
[[nodiscard]] bool GrowLoadLine(LoadLine* line, DWORD size)
{
    SIZE_T bytes = static_cast<SIZE_T>(size) * sizeof(Unit);
    void* grown = line->text ? HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, line->text, bytes)
                             : AllocateZeroed(bytes);
    if (!grown) {
        return false;
    }
    line->text = static_cast<Unit*>(grown);
    line->size = size;
    return true;
}

// The default of every read of the line: a value no program's entry is, so that a read that gives
// it back found no line or failed, and one that gives the empty text found the line empty.
constexpr char kNoLineMarker = '\x7f';

// Reads the load value into out, `size` characters of the line's kind, with the marker as the
// default: writable, since Windows 95 writes into it to trim it.
DWORD ReadValue(void* out, DWORD size, bool unicode)
{
    if (unicode) {
        WCHAR def[2] = {kNoLineMarker, 0};
        return GetPrivateProfileStringW(kSectionW.text, kKeyW.text, def, static_cast<WCHAR*>(out), size,
                                        kProfileW.text);
    }
    char def[2] = {kNoLineMarker, '\0'};
    return GetPrivateProfileStringA(kSection, kKey, def, static_cast<char*>(out), size, kProfile);
}

// What a read of the whole line found, beside its length.
constexpr int kUnreadable = -1; // the line could not be had whole
constexpr int kNoLine = -2;     // no line, or a read that failed: the platform answers both alike

// Reads the whole start-up line as units, with room for `reserve` more, in Unicode where the
// system has the W functions (*unicode says which). Returns the line's length, or kUnreadable or
// kNoLine (and no block). Windows 95's bytes are read into the upper half of the block and packed
// into its lower half: the unit of the nth character ends at byte 2n+1, before the (n+1)th
// character's bytes, which start at byte size+n+1 or later, so packing never overtakes what it reads.
int ReadLoadLine(LoadLine* line, DWORD reserve, bool* unicode)
{
    *unicode = true;
    DWORD maxSize = kMaxUnicodeLineSize;
    line->text = nullptr;
    int result = kUnreadable;
    for (DWORD size = kFirstLineSize;;) {
        if (!GrowLoadLine(line, size)) {
            break;
        }
        char* bytes = reinterpret_cast<char*>(line->text) + size;
        DWORD length = ReadValue(*unicode ? static_cast<void*>(line->text) : bytes, size, *unicode);
        // Windows 95's W functions are stubs that say so: there the line is its code page's bytes.
        // (An empty line on NT with that error left from before reads the same through the A ones.)
        if (*unicode && length == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
            *unicode = false;
            maxSize = kMaxBytesLineSize;
            continue;
        }
        // A read that fills the buffer was cut; one of nSize-2 characters may have been too: a file
        // value in quotes whose inside is one shorter than the buffer loses its last character.
        if (length + 2 < size) {
            if (!*unicode) {
                length = static_cast<DWORD>(PackBytes(bytes, line->text));
            }
            if (length == 1 && line->text[0] == static_cast<Unit>(kNoLineMarker)) {
                result = kNoLine;
                break;
            }
            DWORD needed = length + reserve + 1;
            if (needed <= size || GrowLoadLine(line, needed)) {
                return static_cast<int>(length);
            }
            break;
        }
        if (size == maxSize) {
            break;
        }
        size = size > maxSize / 2 ? maxSize : size * 2;
    }
    Release(line->text);
    line->text = nullptr;
    return result;
}

// True when NT keeps win.ini's [windows] section in the registry, which keeps every quote of a
// value. A win.ini file strips a pair of outer quotes when it reads a value; where the mapping
// cannot be read, the line is taken for one the file keeps, whose guards lose nothing.
bool KeepsLineInRegistry()
{
    HKEY mapping = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kIniFileMapping, &mapping) != ERROR_SUCCESS || !mapping) {
        return false;
    }
    bool mapped = RegQueryValueExA(mapping, kSection, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    HKEY section = nullptr;
    if (!mapped && RegOpenKeyA(mapping, kSection, &section) == ERROR_SUCCESS && section) {
        mapped = true;
        RegCloseKey(section);
    }
    RegCloseKey(mapping);
    return mapped;
}

// Writes the line back, using up its block; false when it was not written. Windows 95's bytes are
// unpacked in place: a unit's bytes never reach past the unit itself.
[[nodiscard]] bool WriteLoadLine(Unit* text, bool unicode, bool keptInFile)
{
    int length = TextLength(text);
    if (length > (unicode ? kMaxUnicodeWritten : kMaxBytesWritten) ||
        (keptInFile && WouldLoseOuterQuotes(text, length))) {
        return false;
    }
    if (unicode) {
        return WritePrivateProfileStringW(kSectionW.text, kKeyW.text, text, kProfileW.text) != FALSE;
    }
    char* bytes = reinterpret_cast<char*>(text);
    UnpackBytes(text, bytes);
    return WritePrivateProfileStringA(kSection, kKey, bytes, kProfile) != FALSE;
}

// The system directory as units into out (capacity units); false when it does not fit there.
[[nodiscard]] bool GetSystemDirectoryUnits(Unit* out, UINT capacity, bool unicode)
{
    if (unicode) {
        UINT length = GetSystemDirectoryW(out, capacity);
        return length != 0 && length < capacity;
    }
    char bytes[kAddPathSize];
    static_assert(kSystemDirSize <= sizeof(bytes), "a directory of either capacity fits");
    UINT length = GetSystemDirectoryA(bytes, capacity);
    if (length == 0 || length >= capacity) {
        return false;
    }
    PackBytes(bytes, out);
    return true;
}

// A path in Corven's folder under the system directory; false when it does not fit `size` units.
[[nodiscard]] bool FormatPathInFolder(Unit* path, UINT directorySize, int size, const char* fileName,
                                      bool unicode)
{
    return GetSystemDirectoryUnits(path, directorySize, unicode) && AppendAscii(path, size, kFolderInfix) &&
           AppendAscii(path, size, fileName);
}

// Takes Corven's entry off the line, trying its full path first and then the form relative to the
// Windows folder. 1 when removed, 0 when not found, -1 when the system directory, and so Corven's
// entry, cannot be told.
int RemoveCorvensEntry(Unit* line, bool unicode)
{
    Unit candidate[kCandidateSize];
    if (!FormatPathInFolder(candidate, kSystemDirSize, kCandidateSize, kSelf, unicode)) {
        return -1;
    }
    if (RemoveWholeEntry(line, candidate)) {
        return 1;
    }
    CopyAscii(candidate, kCandidateSize, kRelativeCandidate);
    return RemoveWholeEntry(line, candidate);
}

// Lists path at the end of the line, whose block has room for a blank, the path and its
// terminator, unless an entry already names a program of fileName. The separator that stood
// before Corven's entry, when that ended the line (separatorLeft), separates the companion.
void ListCompanion(Unit* line, const Unit* path, const char* fileName, bool separatorLeft)
{
    Unit* end = nullptr;
    if (FindEntry(line, &end,
                  [fileName](const Unit* s, const Unit* e) { return NamesProgram(s, e, fileName); })) {
        return;
    }
    Unit* out = line + TextLength(line);
    if (out != line && !(separatorLeft && IsEntrySeparator(out[-1]))) {
        *out++ = ' ';
    }
    for (const Unit* in = path; (*out++ = *in++) != 0;) {
    }
}

// The one edit of the start-up line: Corven's entry taken off (removeSelf) and the companion listed
// (unless companion is null), in one read and one write, so that whatever fails, the line is
// either as it was or has every change. A line that is absent cannot be told from a read that
// failed, and Corven was started from that line: then nothing is written. Returns what
// RemoveSelfFromLoadLine reports.
int EditLoadLine(bool removeSelf, const char* companion)
{
    bool unicode = true;
    LoadLine line;
    int length = ReadLoadLine(&line, companion ? kAddPathSize + 1 : 0, &unicode);
    if (length == kNoLine) {
        return 1;
    }
    if (length == kUnreadable) {
        return 0;
    }
    Unit path[kAddPathSize];
    ZeroBytes(path, sizeof(path));
    // Only a win.ini file changes quotes on the way in; the registry keeps the line as it is.
    bool keptInFile = !unicode || !KeepsLineInRegistry();
    int result = 1;
    bool write = false;
    if (companion && !FormatPathInFolder(path, kAddPathSize, kAddPathSize, companion, unicode)) {
        result = 0;
    } else if (length > 0 && keptInFile && !IsFaithfulLine(line.text)) {
        result = 0; // written back, it would not be the same entries
    } else {
        if (removeSelf && length > 0) {
            result = RemoveCorvensEntry(line.text, unicode);
            write = result == 1;
        }
        // Without the system directory Corven's entry cannot be told: nothing is changed.
        if (result < 0) {
            result = 0;
        } else if (companion) {
            ListCompanion(line.text, path, companion, removeSelf && result == 1);
            write = true;
        }
    }
    // A line too long to write is left as it stands, as a failed write would leave it.
    if (write && !WriteLoadLine(line.text, unicode, keptInFile)) {
        result = 0;
    }
    Release(line.text);
    return result;
}

} // namespace

int RemoveSubstring(WCHAR* line, const WCHAR* entry)
{
    return RemoveWholeEntry(line, entry);
}

int RemoveSubstring(char* line, const char* entry)
{
    auto* lineUnits =
        static_cast<Unit*>(AllocateZeroed((static_cast<SIZE_T>(TextLength(line)) + 1) * sizeof(Unit)));
    auto* entryUnits =
        static_cast<Unit*>(AllocateZeroed((static_cast<SIZE_T>(TextLength(entry)) + 1) * sizeof(Unit)));
    int removed = 0;
    if (lineUnits && entryUnits) {
        PackBytes(line, lineUnits);
        PackBytes(entry, entryUnits);
        removed = RemoveWholeEntry(lineUnits, entryUnits);
        UnpackBytes(lineUnits, line);
    }
    Release(lineUnits);
    Release(entryUnits);
    return removed;
}

int RemoveSelfFromLoadLine()
{
    return EditLoadLine(true, nullptr);
}

void AddToLoadLine(const char* fileName)
{
    EditLoadLine(false, fileName);
}

int FinishLoadLine(const char* companion)
{
    return EditLoadLine(true, companion);
}
