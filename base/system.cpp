// Functions looked up at run time, in the running Windows' text too; and what the running Windows
// is, asked of functions not every Windows has: whether Corven runs under WOW64, and how its token
// is elevated under UAC.
#include <windows.h>

#include "base/base.h"

namespace {

// Room for the name of any function Corven looks up.
constexpr int kFunctionNameSize = 32;

// What the headers for Windows 4.0 do not name: TOKEN_INFORMATION_CLASS's TokenElevationType.
const auto kTokenElevationType = static_cast<TOKEN_INFORMATION_CLASS>(18);
using OpenTokenProc = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
using TokenInformationProc = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
using CloseHandleProc = BOOL(WINAPI*)(HANDLE);

} // namespace

FARPROC FindLoadedAddress(const char* library, const char* name)
{
    HMODULE module = GetModuleHandleA(library);
    return module ? GetProcAddress(module, name) : nullptr;
}

FARPROC RunsTextAddress(FARPROC ansi, const char* library, const char* wideName)
{
    return HasUnicodeFunctions() ? FindLoadedAddress(library, wideName) : ansi;
}

FARPROC RunsTextAddress(HMODULE library, const char* ansiName)
{
    char name[kFunctionNameSize];
    if (!library || !CopyText(name, sizeof(name), ansiName)) {
        return nullptr;
    }
    if (HasUnicodeFunctions()) {
        name[TextLength(name) - 1] = 'W';
    }
    return GetProcAddress(library, name);
}

bool RunsUnderWow64()
{
    auto isWow64 = FindLoadedFunction<BOOL(WINAPI*)(HANDLE, BOOL*)>("kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(CurrentProcess(), &wow64) && wow64;
}

DWORD GetTokenElevation()
{
    auto openToken = FindLoadedFunction<OpenTokenProc>("advapi32.dll", "OpenProcessToken");
    auto getInformation = FindLoadedFunction<TokenInformationProc>("advapi32.dll", "GetTokenInformation");
    auto closeHandle = FindLoadedFunction<CloseHandleProc>("kernel32.dll", "CloseHandle");
    HANDLE token;
    DWORD elevation = kNoUac;
    DWORD size;
    if (openToken && getInformation && closeHandle && openToken(CurrentProcess(), TOKEN_QUERY, &token)) {
        if (!getInformation(token, kTokenElevationType, &elevation, sizeof(elevation), &size)) {
            elevation = kNoUac;
        }
        closeHandle(token);
    }
    return elevation;
}
