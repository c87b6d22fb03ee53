// base: the ground every part of Corven stands on, including nothing of Corven's own. It offers:
//   - the words every part shares: the install path's size, the record a dialog is opened with,
//     the dialog results that LaunchSetup also answers with (this file);
//   - the device profile, pure lookups over the device code Corven is built for (device.cpp,
//     compiled into each program with its code);
//   - functions looked up at run time, and what they tell of the running Windows: WOW64, the
//     token's elevation under UAC (system.cpp);
//   - text walked by character in the system's code page (double-byte on Japanese, Chinese and
//     Korean Windows) or in Unicode, bounded copies, zeroing; the text the platform keeps, in
//     Unicode where Windows has the W functions, else the code page's bytes packed into units
//     (text.cpp).
#pragma once

#include <windows.h>

#include <stddef.h>

// ---- The words every part shares ----

// The folder or drive root that setup.exe is started from, in units of the run's text (below); may
// be empty.
constexpr int kInstallPathSize = 260;

// What the launch-error dialog shows after the install path: a backslash, the "." folder step and
// the program's name (".\setup.exe", without the path's own terminator, which the record keeps).
constexpr int kShownProgramTail = 1 + sizeof(".\\setup.exe") - 1;

// The text of a DialogInitRecord. It holds a whole install path together with the tail the
// launch-error dialog shows, so no path is ever cut on its way.
constexpr int kRecordTextSize = kInstallPathSize + kShownProgramTail;

// What the opener of a dialog hands it through DialogBoxParamA's lParam.
struct DialogInitRecord {
    HINSTANCE instance;
    WCHAR text[kRecordTextSize]; // a path, in units of the run's text
    int launch;                  // the notice's start of setup.exe, LaunchSetup's answer; 0 when it made none
};

// The dialog results, as the platform numbers them. The launcher answers with the same:
// IDYES started, IDNO not started (quiet) or Try New Path, IDCANCEL aborted.
static_assert(IDOK == 1 && IDCANCEL == 2 && IDYES == 6 && IDNO == 7, "the platform's dialog results");

// ---- The device profile ----

// The two variants of the build's device: the device itself, and its audio-system function
// (a device code of its own for the voice modems, 0 for the others).
constexpr int kDeviceItself = 0;
constexpr int kAudioFunction = 1;

int CurrentDeviceType(int variant);
int LastDeviceCode(); // the codes run from 1 to this one
bool ShowsNotice(int type);
bool ShowsNotice(); // the build's device shows the notice
const char* DeviceDisplayName(int type);
const char* DeviceDisplayName();
const char* SetupProgramName(int type);
const char* SetupBrowseFilter(int type);
bool NeedsCompanionProgram(int type);
bool NeedsCompanionProgram();
bool IsVideoCaptureDevice(int type);
bool IsVideoCaptureDevice();

// ---- Libraries loaded at run time ----
// One function of a loaded library, as the type it has; nullptr when the library lacks it.
template <typename Proc> Proc FindFunction(HMODULE library, const char* name)
{
    // FARPROC stands for any function; the cast through void (*)() says so to the compiler.
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// A function that not every Windows has, in a library Corven imports from (so it is loaded), looked
// up at run time so that Corven still starts where it is missing; nullptr there.
FARPROC FindLoadedAddress(const char* library, const char* name);
template <typename Proc> Proc FindLoadedFunction(const char* library, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(FindLoadedAddress(library, name)));
}

// The handle that stands for Corven's own process, as GetCurrentProcess gives it.
inline HANDLE CurrentProcess()
{
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

// ---- The running Windows (system.cpp) ----
// True when Corven, a 32-bit program, runs on 64-bit Windows (WOW64). Systems before XP SP2 have
// no IsWow64Process, and none of them is 64-bit.
bool RunsUnderWow64();

// How Corven's token is elevated where Windows has UAC (Vista to 11): TokenElevationType's answer
// (3 limited, 2 full, 1 default). kNoUac elsewhere, since the systems before Vista know no such
// information, and Windows 95 has no tokens at all.
constexpr DWORD kNoUac = 0;
DWORD GetTokenElevation();

// ---- Text ----
// ---- Stepping through text by character ----
// Blank, tab, comma, quotes, the backslash and the letters A to Z are single-byte characters in
// every code page, but a to z and the backslash can also be the second byte of a double-byte
// character: text is only ever walked from a character's start, with the platform's own steppers,
// which know the system's code page. A UTF-16 text steps by unit: no character Corven looks for is
// ever part of a surrogate pair.

// The character after `at`; at itself at the end.
inline const char* NextChar(const char* at)
{
    return CharNextA(at);
}
inline char* NextChar(char* at)
{
    return CharNextA(at);
}
inline const WCHAR* NextChar(const WCHAR* at)
{
    return *at ? at + 1 : at;
}
inline WCHAR* NextChar(WCHAR* at)
{
    return *at ? at + 1 : at;
}

// The character before `at` in the text that starts at `start`; start itself at the start.
inline const char* PrevChar(const char* start, const char* at)
{
    return CharPrevA(start, at);
}
inline const WCHAR* PrevChar(const WCHAR* start, const WCHAR* at)
{
    return at > start ? at - 1 : start;
}

// The letters a to z as A to Z; every other character, a double-byte one's bytes included, as it is.
template <typename Char> Char FoldLetter(Char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<Char>(c - 'a' + 'A') : c;
}

// ---- Measuring and copying ----
template <typename Char> int TextLength(const Char* text)
{
    int length = 0;
    while (text[length]) {
        ++length;
    }
    return length;
}

// Copies text into out (size characters, terminator included), whole characters only. False when
// it did not fit: then out holds as many whole characters as fit.
bool CopyText(char* out, int size, const char* text);
bool CopyText(WCHAR* out, int size, const WCHAR* text);
// Appends text to the text in out, as CopyText copies.
template <typename Char> bool AppendText(Char* out, int size, const Char* text)
{
    int length = TextLength(out);
    return length < size && CopyText(out + length, size - length, text);
}
// Copies an ASCII text into a text of either kind.
bool CopyAscii(WCHAR* out, int size, const char* ascii);
inline bool CopyAscii(char* out, int size, const char* ascii)
{
    return CopyText(out, size, ascii);
}

// Sets `size` bytes to zero.
void ZeroBytes(void* bytes, size_t size);

// ---- Looking into paths and lines ----
// True when the unit c stands in text as a character of its own.
bool TextHolds(const WCHAR* text, WCHAR c);
// True when the last character of text is a backslash (a unit: never a double-byte character of
// Windows 95 whose second byte is 5C, which is packed into one unit with its first).
bool EndsWithBackslash(const WCHAR* text);
// Drops the blanks and tabs at both ends of text.
void TrimBlanks(WCHAR* text);
// True when text is the ASCII text ascii, unit for byte.
bool SameAscii(const WCHAR* text, const char* ascii);

// An ASCII literal as a text of either kind, made by the compiler: "windows" as char or WCHAR.
template <typename Char, size_t N> struct AsciiText {
    Char text[N];
};
template <typename Char, size_t N> constexpr AsciiText<Char, N> Widen(const char (&ascii)[N])
{
    AsciiText<Char, N> out{};
    for (size_t i = 0; i < N; ++i) {
        out.text[i] = static_cast<Char>(ascii[i]);
    }
    return out;
}

// Appends an ASCII text, as CopyAscii copies.
template <typename Char> bool AppendAscii(Char* out, int size, const char* ascii)
{
    int length = TextLength(out);
    return length < size && CopyAscii(out + length, size - length, ascii);
}

// A path that holds a double quote would end the quoted program path of a command line early and
// start whatever follows: it is never a place to start setup.exe from.
inline bool IsQuotableInstallPath(const WCHAR* path)
{
    return !TextHolds(path, '"');
}

// ---- The text the platform keeps: paths, window texts, registry values, command lines ----
// On NT (every NT that says so) the system keeps them in Unicode and Corven takes them so, with the
// W functions: a folder named in any script keeps every character, where the A functions would
// turn each one the code page lacks into '?'. Windows 95, 98 and Me have only stubs for those W
// functions (and an NT told to report Windows 95 keeps what it had): there a path is the code
// page's bytes, packed one character a unit, so that one walk over units serves both and a
// double-byte character's second byte is never taken for a backslash. That kind of text is "the
// run's text" below: the running Windows' own, the same for the whole run (GetVersion never fails).
bool HasUnicodeFunctions();

// The bytes of the code page packed into units (a double-byte character's two in one, the first
// byte high), and back, losing nothing.
constexpr WCHAR kDoubleByteFloor = 0x100;
int PackBytes(const char* bytes, WCHAR* out);    // out has a unit a byte; returns the count
void UnpackBytes(const WCHAR* units, char* out); // out has two bytes a unit; may be the units' own

// A path in the run's text, as the platform's functions take it: the units themselves on NT,
// their bytes (unpacked into `bytes`, two a unit) elsewhere. And back: the bytes such a function
// wrote, packed into `units` (on NT it wrote units already, and nothing is done).
constexpr int kPlatformPathBytes = 2 * (kRecordTextSize + 16);
const void* PlatformText(const WCHAR* units, char* bytes);
void TakePlatformText(const char* bytes, WCHAR* units);

// A function of a text, as the running Windows takes it: `ansi` (Corven's import) on Windows 95;
// on NT its W twin `wideName`, looked up in `library` (nullptr where it is missing).
FARPROC RunsTextAddress(FARPROC ansi, const char* library, const char* wideName);
template <typename Proc> Proc InRunsText(Proc ansi, const char* library, const char* wideName)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(
        RunsTextAddress(reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(ansi)), library, wideName)));
}
// The same for a function of a library Corven loads itself (nullptr: not loaded), named by its A
// form, whose last letter names the W twin on NT.
FARPROC RunsTextAddress(HMODULE library, const char* ansiName);
template <typename Proc> Proc FindRunsTextFunction(HMODULE library, const char* ansiName)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(RunsTextAddress(library, ansiName)));
}

// SendMessage in the run's text: SendMessageW on NT, where Corven's dialogs are Unicode windows.
LRESULT SendRunsMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A message that carries a path to a window (CB_ADDSTRING, WM_SETTEXT), and one that fills a path
// from a window (WM_GETTEXT with wParam the room in characters, CB_GETLBTEXT): its result.
LRESULT SendPath(HWND window, UINT message, WPARAM wParam, const WCHAR* path);
LRESULT ReceivePath(HWND window, UINT message, WPARAM wParam, WCHAR* path);
