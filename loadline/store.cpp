// Where the start-up line lives and how it is read and written: once, whole, in Unicode where the
// system has the W profile functions (every NT, whatever version it reports), else as Windows 95's
// bytes. Windows 95 has only stubs for the W ones, which fail.
#include <windows.h>

#include "base/base.h"
#include "loadline/parts.h"

namespace editor {
namespace {

constexpr char kSection[] = "windows";
constexpr char kKey[] = "load";
constexpr char kProfile[] = "win.ini";
constexpr auto kSectionW = Widen<WCHAR>(kSection);
constexpr auto kKeyW = Widen<WCHAR>(kKey);
constexpr auto kProfileW = Widen<WCHAR>(kProfile);
// NT names here the sections of win.ini it keeps in the registry: a value or a key per section.
constexpr char kIniFileMapping[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\IniFileMapping\\win.ini";

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

// What the first unit of the buffer holds before a read in Unicode: no read writes it there, so a
// read that leaves it never ran.
constexpr Unit kUntouched = 0xFFFF;

// The default of every read of the line: a value no program's entry is, so that a read that gives
// it back found no line or failed, and one that gives the empty text found the line empty.
constexpr char kNoLineMarker = '\x7f';

// A read that needs more room than it had.
constexpr int kCut = -1;

// Grows the line's block to `capacity` units, zero-filled, keeping what it holds.
[[nodiscard]] bool GrowLoadLine(LoadLine* line, DWORD capacity)
{
    SIZE_T bytes = static_cast<SIZE_T>(capacity) * sizeof(Unit);
    void* grown = line->text ? HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, line->text, bytes)
                             : AllocateUnits(capacity);
    if (!grown) {
        return false;
    }
    line->text = static_cast<Unit*>(grown);
    line->capacity = capacity;
    return true;
}

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

// One read into the line's whole block: the line's length in units, or kCut. *stub: Windows 95's
// W function answered, told by its error or by the buffer it leaves as it was, where a real read
// writes at least the terminator (an empty line on NT with that error left from before reads the
// same through the A ones). Windows 95's bytes are read into the upper half of the block and
// packed into its lower half: the unit of the nth character ends at byte 2n+1, before the (n+1)th
// character's bytes, which start at byte size+n+1 or later, so packing never overtakes what it reads.
int ReadOnce(LoadLine* line, bool* stub)
{
    const DWORD size = line->capacity;
    char* bytes = reinterpret_cast<char*>(line->text) + size;
    line->text[0] = kUntouched;
    DWORD length = ReadValue(line->unicode ? static_cast<void*>(line->text) : bytes, size, line->unicode);
    *stub = line->unicode && length == 0 &&
            (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED || line->text[0] == kUntouched);
    // A read that fills the buffer was cut; one of nSize-2 characters may have been too: a file
    // value in quotes whose inside is one shorter than the buffer loses its last character.
    if (*stub || length + 2 >= size) {
        return kCut;
    }
    return line->unicode ? static_cast<int>(length) : PackBytes(bytes, line->text);
}

// Reads the line with a block that doubles until a read holds all of it: its length, or kCut when
// it is longer than the platform reads back whole, or there is no room for it.
int ReadWhole(LoadLine* line)
{
    DWORD maxSize = kMaxUnicodeLineSize;
    for (DWORD size = kFirstLineSize;;) {
        if (!GrowLoadLine(line, size)) {
            return kCut;
        }
        bool stub = false;
        int length = ReadOnce(line, &stub);
        if (stub) { // there the line is the code page's bytes: read again through the A function
            line->unicode = false;
            maxSize = kMaxBytesLineSize;
            continue;
        }
        if (length != kCut || size == maxSize) {
            return length;
        }
        size = size > maxSize / 2 ? maxSize : size * 2;
    }
}

} // namespace

// Kept out of line: the editor is smaller so.
[[gnu::noinline]] ReadResult ReadLoadLine(LoadLine* line, DWORD reserve)
{
    line->text = nullptr;
    line->capacity = 0;
    line->unicode = true;
    int length = ReadWhole(line);
    ReadResult result = ReadResult::Unreadable;
    if (length == 1 && line->text[0] == static_cast<Unit>(kNoLineMarker)) {
        result = ReadResult::NoLine;
    } else if (length >= 0) {
        DWORD needed = static_cast<DWORD>(length) + reserve + 1;
        if (needed <= line->capacity || GrowLoadLine(line, needed)) {
            line->length = length;
            return ReadResult::Read;
        }
    }
    ReleaseUnits(line->text);
    line->text = nullptr;
    return result;
}

bool KeepsLineInRegistry()
{
    // A win.ini file strips a pair of outer quotes when it reads a value; where the mapping cannot
    // be read, the line is taken for one the file keeps, whose guards lose nothing. The mapping is
    // the system's: on 64-bit Windows it is read in the system's own view of HKLM\Software, which
    // WOW64 would otherwise turn to the 32-bit one (Wow6432Node).
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

int MaxWrittenLength(bool unicode)
{
    return unicode ? kMaxUnicodeWritten : kMaxBytesWritten;
}

bool WriteLoadLine(LoadLine* line)
{
    if (line->unicode) {
        return WritePrivateProfileStringW(kSectionW.text, kKeyW.text, line->text, kProfileW.text) != FALSE;
    }
    // Unpacked in place: a unit's bytes never reach past the unit itself.
    char* bytes = reinterpret_cast<char*>(line->text);
    UnpackBytes(line->text, bytes);
    return WritePrivateProfileStringA(kSection, kKey, bytes, kProfile) != FALSE;
}

} // namespace editor
