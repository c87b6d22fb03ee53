// What the running Windows is, asked of functions not every Windows has: whether Corven runs
// under WOW64, and how its token is elevated under UAC. Both are looked up at run time.
#include <windows.h>

#include "base/base.h"

namespace {

// What the headers for Windows 4.0 do not name: TOKEN_INFORMATION_CLASS's TokenElevationType.
const auto kTokenElevationType = static_cast<TOKEN_INFORMATION_CLASS>(18);
using OpenTokenProc = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
using TokenInformationProc = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
using CloseHandleProc = BOOL(WINAPI*)(HANDLE);

} // namespace

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
