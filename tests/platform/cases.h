// What Corven and winsim rely on in each ANSI code page, checked the same way against winsim (the
// host test platform_test.cpp) and against Wine (the probe, run under each locale's code page):
// the lead bytes, CharNextA and CharPrevA over double-byte text whose second bytes read as a
// backslash or a letter, CharUpperA, the conversions to and from Unicode, and a load= value
// written in Unicode on NT read back through both kinds of profile function. It leaves out what
// no part of Corven meets: invalid sequences, best-fit mappings, code pages beyond these five.
//
// Plain Win32 only, so the one table builds against either <windows.h>.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace platform {

// A byte text of up to 15 bytes and the offsets of its characters, the end included.
struct SteppingCase {
    UINT codePage;
    const char* text;
    int starts[12]; // ascending, the last one the text's length; -1 after it
};

struct UpperCase {
    UINT codePage;
    const char* text;
    const char* upper;
};

// One character in UTF-16 and in the code page ('?' when it lacks the character).
struct Conversion {
    UINT codePage;
    WORD unicode;
    const char* bytes;
    bool both; // the bytes turn back into the character
};

struct LeadRange {
    UINT codePage;
    int first, last;
};

// Lead bytes 81-9F and E0-FC (932), 81-FE (936, 949, 950), none in 1252.
constexpr LeadRange kLeadRanges[] = {
    {932, 0x81, 0x9F}, {932, 0xE0, 0xFC}, {936, 0x81, 0xFE}, {949, 0x81, 0xFE}, {950, 0x81, 0xFE},
};

// ソ 83 5C, 表 95 5C, 能 94 5C, ト 83 67 (932); 乗 81 5C, 乤 81 61 (936); 한 C7 D1 (949);
// 許 B3 5C, 功 A5 5C (950). A lead byte with nothing after it is a character of one byte.
constexpr SteppingCase kStepping[] = {
    {1252, "C:\\\x83\x5c\xe9", {0, 1, 2, 3, 4, 5, -1}},
    {932, "C:\\\x83\x5c\x95\x5c\x94\x5c\\a\x83\x67", {0, 1, 2, 3, 5, 7, 9, 10, 11, 13, -1}},
    {932, "a\x83", {0, 1, 2, -1}},
    {936, "\x81\x5c\x81\x61\\a", {0, 2, 4, 5, 6, -1}},
    {949, "\xc7\xd1\\a", {0, 2, 3, 4, -1}},
    {950, "\xb3\x5c\xa5\x5c\\a", {0, 2, 4, 5, 6, -1}},
};

// Measured under Wine: the upper case goes through Unicode, so a second byte a to z is never
// changed on its own, while a full-width letter becomes the full-width capital.
constexpr UpperCase kUpper[] = {
    {1252,
     "\x83\x67"
     "ab\x82\x81",
     "\x83\x47"
     "AB\x82\x81"},
    {932,
     "\x83\x67"
     "ab\x82\x81",
     "\x83\x67"
     "AB\x82\x60"},
    {936,
     "\x81\x61"
     "a\xa3\xe1",
     "\x81\x61"
     "A\xa3\xc1"},
};

constexpr Conversion kConversions[] = {
    {1252, 0x00E9, "\xe9", true},    {1252, 0x20AC, "\x80", true},    {1252, 0x041F, "?", false},
    {932, 0x30BD, "\x83\x5c", true}, {932, 0xFF71, "\xb1", true},     {932, 0x041F, "\x84\x50", true},
    {936, 0x4E2D, "\xd6\xd0", true}, {936, 0x4E57, "\x81\x5c", true}, {949, 0xD55C, "\xc7\xd1", true},
    {950, 0x8A31, "\xb3\x5c", true}, {950, 0x041F, "?", false},
};

using Report = void (*)(const char* what, int detail);

inline int CheckLeadBytes(UINT codePage, Report report)
{
    int failures = 0;
    for (int byte = 0x20; byte < 0x100; ++byte) {
        bool lead = false;
        for (const LeadRange& range : kLeadRanges) {
            lead = lead || (range.codePage == codePage && byte >= range.first && byte <= range.last);
        }
        if ((IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE) != lead) {
            report("IsDBCSLeadByte, byte", byte);
            ++failures;
        }
    }
    return failures;
}

inline int CheckStepping(UINT codePage, Report report)
{
    int failures = 0;
    for (const SteppingCase& c : kStepping) {
        if (c.codePage != codePage) {
            continue;
        }
        for (int i = 0; c.starts[i + 1] >= 0; ++i) {
            const char* at = c.text + c.starts[i];
            const char* next = c.text + c.starts[i + 1];
            if (CharNextA(at) != next) {
                report("CharNextA, offset", c.starts[i]);
                ++failures;
            }
            if (CharPrevA(c.text, next) != at) {
                report("CharPrevA, offset", c.starts[i + 1]);
                ++failures;
            }
        }
        if (CharPrevA(c.text, c.text) != c.text) {
            report("CharPrevA at the start", 0);
            ++failures;
        }
    }
    return failures;
}

inline int CheckUpperCase(UINT codePage, Report report)
{
    int failures = 0;
    for (const UpperCase& c : kUpper) {
        if (c.codePage != codePage) {
            continue;
        }
        char text[16];
        lstrcpynA(text, c.text, sizeof(text));
        CharUpperA(text);
        if (lstrcmpA(text, c.upper) != 0) {
            report("CharUpperA, first byte", static_cast<unsigned char>(c.text[0]));
            ++failures;
        }
    }
    return failures;
}

inline int CheckConversions(UINT codePage, Report report)
{
    int failures = 0;
    for (const Conversion& c : kConversions) {
        if (c.codePage != codePage) {
            continue;
        }
        WCHAR wide[2] = {static_cast<WCHAR>(c.unicode), 0};
        char bytes[8] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, bytes, sizeof(bytes), nullptr, nullptr);
        if (lstrcmpA(bytes, c.bytes) != 0) {
            report("WideCharToMultiByte, character", c.unicode);
            ++failures;
        }
        WCHAR back[4] = {};
        MultiByteToWideChar(CP_ACP, 0, c.bytes, -1, back, 4);
        if (c.both && (back[0] != wide[0] || back[1] != 0)) {
            report("MultiByteToWideChar, character", c.unicode);
            ++failures;
        }
    }
    return failures;
}

// NT keeps win.ini's [windows] in the registry: a value written in Unicode reads back whole through
// the W functions, and as the code page's bytes through the A ones.
inline int CheckUnicodeProfile(UINT codePage, Report report)
{
    const WCHAR section[] = {'w', 'i', 'n', 'd', 'o', 'w', 's', 0};
    const WCHAR key[] = {'c', 'o', 'r', 'v', 'e', 'n', '-', 'p', 'r', 'o', 'b', 'e', 0};
    const WCHAR file[] = {'w', 'i', 'n', '.', 'i', 'n', 'i', 0};
    int failures = 0;
    for (const Conversion& c : kConversions) {
        if (c.codePage != codePage) {
            continue;
        }
        const WCHAR value[] = {'C', ':', '\\', static_cast<WCHAR>(c.unicode), ' ', 'x', 0};
        if (!WritePrivateProfileStringW(section, key, value, file)) {
            report("WritePrivateProfileStringW, character", c.unicode);
            ++failures;
            continue;
        }
        WCHAR wide[16] = {};
        WCHAR noWideDefault[1] = {0};
        GetPrivateProfileStringW(section, key, noWideDefault, wide, 16, file);
        bool same = true;
        for (int i = 0; i < 7; ++i) {
            same = same && wide[i] == value[i];
        }
        char bytes[16] = {};
        char expected[16] = "C:\\";
        lstrcatA(expected, c.bytes);
        lstrcatA(expected, " x");
        char noDefault[1] = {'\0'};
        GetPrivateProfileStringA("windows", "corven-probe", noDefault, bytes, sizeof(bytes), "win.ini");
        if (!same) {
            report("GetPrivateProfileStringW, character", c.unicode);
            ++failures;
        }
        if (lstrcmpA(bytes, expected) != 0) {
            report("GetPrivateProfileStringA, character", c.unicode);
            ++failures;
        }
        WritePrivateProfileStringW(section, key, nullptr, file);
    }
    return failures;
}

// The shell's start, as Corven makes it when setup.exe needs elevation (SHELL32 and OLE32 loaded
// at run time, COM initialised first, no UI): a program that is there starts; one that is not
// fails, with ERROR_FILE_NOT_FOUND when its folder is there and ERROR_PATH_NOT_FOUND when that is
// missing too.
inline int CheckShellStart(const char* present, const char* missingFile, const char* missingFolder,
                           Report report)
{
    using Start = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
    HMODULE shell = LoadLibraryA("shell32.dll");
    auto start =
        shell
            ? reinterpret_cast<Start>(reinterpret_cast<void (*)()>(GetProcAddress(shell, "ShellExecuteExA")))
            : nullptr;
    if (!start) {
        report("ShellExecuteExA, not found", 0);
        return 1;
    }
    using ComInitialize = LONG(WINAPI*)(void*, DWORD);
    HMODULE com = LoadLibraryA("ole32.dll");
    auto initialize = com ? reinterpret_cast<ComInitialize>(
                                reinterpret_cast<void (*)()>(GetProcAddress(com, "CoInitializeEx")))
                          : nullptr;
    if (!initialize || initialize(nullptr, 0x2 | 0x4) < 0) {
        report("CoInitializeEx, apartment-threaded", 0);
        return 1;
    }
    struct Expected {
        const char* file;
        BOOL started;
        DWORD error;
    };
    const Expected cases[] = {{present, TRUE, 0},
                              {missingFile, FALSE, ERROR_FILE_NOT_FOUND},
                              {missingFolder, FALSE, ERROR_PATH_NOT_FOUND}};
    int failures = 0;
    for (const Expected& c : cases) {
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        info.lpFile = c.file;
        info.lpParameters = "/noprompt";
        info.nShow = SW_SHOWNORMAL;
        SetLastError(0);
        BOOL started = start(&info);
        DWORD error = GetLastError();
        if (!started != !c.started || (!started && error != c.error)) {
            report(c.started ? "ShellExecuteExA, a program that is there, error"
                             : "ShellExecuteExA, a missing program, error",
                   static_cast<int>(error));
            ++failures;
        }
    }
    using ComUninitialize = void(WINAPI*)();
    reinterpret_cast<ComUninitialize>(reinterpret_cast<void (*)()>(GetProcAddress(com, "CoUninitialize")))();
    return failures;
}

// An administrator's process as Wine runs every process: the elevation query answers a full token
// (TokenElevationTypeFull, 2) and the token holds Administrators (S-1-5-32-544), so Corven starts
// setup.exe with WinExec there, and the Wine suite sees the start it always saw.
inline int CheckAdministratorToken(Report report)
{
    const BYTE administrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
    HANDLE token = nullptr;
    DWORD elevation = 0;
    DWORD size = 0;
    BOOL member = FALSE;
    HANDLE self = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1)); // GetCurrentProcess()
    if (!OpenProcessToken(self, TOKEN_QUERY, &token)) {
        report("OpenProcessToken, error", static_cast<int>(GetLastError()));
        return 1;
    }
    BOOL read = GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(18), &elevation,
                                    sizeof(elevation), &size);
    CloseHandle(token);
    int failures = 0;
    if (!read || elevation != 2) {
        report("TokenElevationType, not a full token", static_cast<int>(elevation));
        ++failures;
    }
    if (!CheckTokenMembership(nullptr, const_cast<BYTE*>(administrators), &member) || !member) {
        report("CheckTokenMembership of Administrators, not a member", static_cast<int>(GetLastError()));
        ++failures;
    }
    return failures;
}

// Every check for the code page the platform runs in.
inline int CheckCodePage(UINT codePage, Report report)
{
    return CheckLeadBytes(codePage, report) + CheckStepping(codePage, report) +
           CheckUpperCase(codePage, report) + CheckConversions(codePage, report) +
           CheckUnicodeProfile(codePage, report);
}

} // namespace platform
