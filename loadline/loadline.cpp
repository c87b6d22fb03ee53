// The load-line editor: finds Corven's entry on the start-up line, cuts it out, adds the companion.
// Where the system has the W profile functions (every NT, whatever version it reports), the line
// is read and written in Unicode, so no code page stands between Corven and other programs'
// entries. Windows 95 has only stubs that fail: there the A ones read and write the bytes of its
// code page as they are. One editor serves both: it walks a line of units, one unit a character
// (two thin ends turn each kind of text into units and back, losing nothing).
#include "loadline/loadline.h"

#include <windows.h>

#include "base/base.h"
#include "loadline/entries.h"

namespace {

constexpr char kSection[] = "windows";
constexpr char kKey[] = "load";
constexpr char kProfile[] = "win.ini";
constexpr char kFolderInfix[] = "\\TELVANOR.101\\";
constexpr char kSelf[] = "CORVEN.EXE";
constexpr char kFolder[] = "TELVANOR.101";
constexpr int kSelfLength = sizeof(kSelf) - 1;
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

// What the first unit of the buffer holds before a read in Unicode: no read writes it there, so a
// read that leaves it never ran.
constexpr Unit kUntouched = 0xFFFF;

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
        line->text[0] = kUntouched;
        DWORD length = ReadValue(*unicode ? static_cast<void*>(line->text) : bytes, size, *unicode);
        // Windows 95's W functions are stubs: there the line is its code page's bytes. A stub is told
        // by its error or by the buffer it leaves as it was, where a real read writes at least the
        // terminator. (An empty line on NT with that error left from before reads the same through
        // the A ones.)
        if (*unicode && length == 0 &&
            (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED || line->text[0] == kUntouched)) {
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

// A function of kernel32 that not every Windows has; nullptr where it is missing.
template <typename Proc> Proc FindKernelFunction(const char* name)
{
    return FindLoadedFunction<Proc>("kernel32.dll", name);
}

// True when Corven, a 32-bit program, runs on 64-bit Windows (WOW64). Systems before XP SP2 have
// no IsWow64Process, and none of them is 64-bit.
bool RunsUnderWow64()
{
    auto isWow64 = FindKernelFunction<BOOL(WINAPI*)(HANDLE, BOOL*)>("IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(CurrentProcess(), &wow64) && wow64;
}

// True when NT keeps win.ini's [windows] section in the registry, which keeps every quote of a
// value. A win.ini file strips a pair of outer quotes when it reads a value; where the mapping
// cannot be read, the line is taken for one the file keeps, whose guards lose nothing. The
// mapping is the system's: on 64-bit Windows it is read in the system's own view of
// HKLM\Software, which WOW64 would otherwise turn to the 32-bit one (Wow6432Node).
bool KeepsLineInRegistry()
{
    const REGSAM access = KEY_READ | (RunsUnderWow64() ? KEY_WOW64_64KEY : 0);
    HKEY mapping = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kIniFileMapping, 0, access, &mapping) != ERROR_SUCCESS ||
        !mapping) {
        return false;
    }
    bool mapped = RegQueryValueExA(mapping, kSection, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    HKEY section = nullptr;
    if (!mapped && RegOpenKeyExA(mapping, kSection, 0, access, &section) == ERROR_SUCCESS && section) {
        mapped = true;
        RegCloseKey(section);
    }
    RegCloseKey(mapping);
    return mapped;
}

// Writes the line back, using up its block; false when it was not written. Windows 95's bytes are
// unpacked in place: a unit's bytes never reach past the unit itself.
[[nodiscard]] bool WriteLoadLine(Unit* text, bool unicode)
{
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

// What Corven knows of the path Windows started it from.
enum class OwnPath {
    Unknown,   // not had whole: the companion's place is unknown too
    Elsewhere, // not Corven's own file in its folder (a copy run by hand), or Windows 95
    Own,       // Corven's own file in a TELVANOR.101 folder
};

// Corven's own full path, as Windows started it, as units into out (kAddPathSize units). Read in
// Unicode, where the system has the W functions: the path may hold what the code page lacks.
// Windows 95, 98 and Me are never 64-bit: there Corven is where the system directory says.
OwnPath GetOwnPathUnits(Unit* out, bool unicode)
{
    if (!unicode) {
        return OwnPath::Elsewhere;
    }
    // Looked up rather than imported: the import table has no room left in its page.
    auto getPath = FindKernelFunction<DWORD(WINAPI*)(HMODULE, WCHAR*, DWORD)>("GetModuleFileNameW");
    DWORD length = getPath ? getPath(nullptr, out, kAddPathSize) : 0;
    if (length == 0 || length >= kAddPathSize) {
        return OwnPath::Unknown; // a path cut to the buffer may lack its terminator
    }
    Unit* end = out + length;
    Unit* folderEnd = end - kSelfLength - 1;
    return length > kSelfLength && NamesProgram(out, end, kSelf) && *folderEnd == '\\' &&
                   NamesProgram(out, folderEnd, kFolder)
               ? OwnPath::Own
               : OwnPath::Elsewhere;
}

// Where the companion is listed: beside Corven when Corven's folder is a TELVANOR.101 folder other
// than the one under the system directory. On 64-bit Windows a 32-bit installation lands in
// SysWOW64, and the 64-bit shell finds the companion only there. path holds the companion's path
// in the folder under the system directory, and gets the one beside Corven instead; false when
// that does not fit.
[[nodiscard]] bool PlaceBesideSelf(Unit* path, Unit* own, const char* fileName)
{
    Unit* name = own + TextLength(own) - kSelfLength;
    const Unit first = *name;
    *name = 0; // own is its folder for now
    const Unit* rest = entry_detail::MatchFolded(path, own);
    bool placed = (rest && TextLength(rest) == TextLength(fileName)) ||
                  (CopyText(path, kAddPathSize, own) && AppendAscii(path, kAddPathSize, fileName));
    *name = first;
    return placed;
}

// Lists path at the end of the line, whose block has room for a blank, the path and its
// terminator, unless an entry already names a program of fileName. The separator that stood
// before Corven's entry, when that ended the line (separatorLeft), separates the companion.
void ListCompanion(Unit* line, const Unit* path, const char* fileName, bool separatorLeft)
{
    if (ListsProgram(line, fileName)) {
        return;
    }
    Unit* out = line + TextLength(line);
    if (out != line && !(separatorLeft && IsEntrySeparator(out[-1]))) {
        *out++ = ' ';
    }
    for (const Unit* in = path; (*out++ = *in++) != 0;) {
    }
}

// What the plan of an edit is given besides the line: what the platform told of the line and of
// the paths it names.
struct EditInputs {
    bool removeSelf;
    bool keptInFile;           // a win.ini file keeps the line, and strips outer quotes on reading
    int maxWritten;            // the longest line that can be written and read back whole
    Unit* self;                // Corven's full path (kCandidateSize units); nullptr when unknown
    const Unit* own;           // the path Windows started Corven from; nullptr when not its own file
    const char* companion;     // the companion's file name; nullptr when none is listed
    const Unit* companionPath; // its full path; nullptr when unknown
};

// Plans the edit of the line, `length` units, in place: Corven's entry taken off (its full path
// first, then, in the same room, its form relative to the Windows folder, then the path Windows
// started it from) and the companion listed. No platform call. Sets *write when the line as it leaves it is
// to be written; where nothing may be written, the comment at each return says why. Returns what
// RemoveSelfFromLoadLine reports, should the write succeed.
// (Kept out of line: the editor is smaller so.)
[[gnu::noinline]] int PlanEdit(Unit* line, int length, const EditInputs& in, bool* write)
{
    *write = false;
    if (in.companion && !in.companionPath) {
        return 0; // where the companion lies is unknown: its folder, or where Corven was started from
    }
    if (length > 0 && in.keptInFile && !IsFaithfulLine(line)) {
        return 0; // the file stripped quotes on the way in: written back, the entries would change
    }
    int result = 1;
    if (in.removeSelf && length > 0) {
        if (!in.self) {
            return 0; // the system directory, and so Corven's entry, is unknown
        }
        result = RemoveWholeEntry(line, in.self);
        if (!result) {
            CopyAscii(in.self, kCandidateSize, kRelativeCandidate);
            result = RemoveWholeEntry(line, in.self);
        }
        if (!result && in.own) {
            result = RemoveWholeEntry(line, in.own);
        }
        *write = result == 1; // else Corven's entry is not on the line
    }
    if (in.companion) {
        ListCompanion(line, in.companionPath, in.companion, *write); // *write: Corven's entry went
        *write = true;
    }
    if (!*write) {
        return result;
    }
    int written = TextLength(line);
    if (written > in.maxWritten || (in.keptInFile && WouldLoseOuterQuotes(line, written))) {
        *write = false;
        return 0; // too long to be read back whole, or the file would strip the quotes that now wrap it
    }
    return result;
}

// The one edit of the start-up line, in three steps: read the whole line once, plan the edit, and
// write the line once. Whatever fails, the line is either as it was or has every change. A line
// that is absent cannot be told from a read that failed, and Corven was started from that line:
// then nothing is written. Returns what RemoveSelfFromLoadLine reports.
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
    Unit self[kCandidateSize];
    Unit companionPath[kAddPathSize];
    Unit own[kAddPathSize];
    const OwnPath ownPath = GetOwnPathUnits(own, unicode);
    EditInputs inputs;
    inputs.removeSelf = removeSelf;
    // Only a win.ini file changes quotes on the way in; the registry keeps the line as it is.
    inputs.keptInFile = !unicode || !KeepsLineInRegistry();
    inputs.maxWritten = unicode ? kMaxUnicodeWritten : kMaxBytesWritten;
    inputs.self =
        removeSelf && length > 0 && FormatPathInFolder(self, kSystemDirSize, kCandidateSize, kSelf, unicode)
            ? self
            : nullptr;
    inputs.own = ownPath == OwnPath::Own ? own : nullptr;
    inputs.companion = companion;
    inputs.companionPath =
        companion && ownPath != OwnPath::Unknown &&
                FormatPathInFolder(companionPath, kAddPathSize, kAddPathSize, companion, unicode) &&
                (ownPath != OwnPath::Own || PlaceBesideSelf(companionPath, own, companion))
            ? companionPath
            : nullptr;
    bool write = false;
    int result = PlanEdit(line.text, length, inputs, &write);
    if (write && !WriteLoadLine(line.text, unicode)) {
        result = 0; // a failed write leaves the line as it stands
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
