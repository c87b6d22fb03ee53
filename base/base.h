// base: the ground every part of Corven stands on, including nothing of Corven's own. It offers:
//   - the words every part shares: the install path's size, the record a dialog is opened with,
//     the dialog results that LaunchSetup also answers with (this file);
//   - the device profile, pure lookups over the device code Corven is built for (device.cpp,
//     compiled into each program with its code);
//   - functions looked up at run time, and what they tell of the running Windows: WOW64, the
//     token's elevation under UAC (system.cpp);
//   - text walked by character in the system's code page (double-byte on Japanese, Chinese and
//     Korean Windows) or in Unicode, bounded copies, zeroing (text.cpp).
#pragma once

#include <windows.h>

#include <stddef.h>

// ---- The words every part shares ----

// The folder or drive root that setup.exe is started from; may be empty.
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
    char text[kRecordTextSize];
    int launch; // the notice's start of setup.exe, LaunchSetup's answer; 0 when it made none
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
template <typename Proc> Proc FindLoadedFunction(const char* library, const char* name)
{
    HMODULE module = GetModuleHandleA(library);
    return module ? FindFunction<Proc>(module, name) : nullptr;
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
// True when the two texts are the same, byte for byte.
bool SameText(const char* a, const char* b);
// True when text holds the single-byte character c as a character of its own (never as the second
// byte of a double-byte one).
bool TextHolds(const char* text, char c);
// True when the last character of text is a backslash; never when it is a double-byte character
// whose second byte is 5C.
bool EndsWithBackslash(const char* text);
// Drops the blanks and tabs at both ends of text.
void TrimBlanks(char* text);

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
inline bool IsQuotableInstallPath(const char* path)
{
    return !TextHolds(path, '"');
}
