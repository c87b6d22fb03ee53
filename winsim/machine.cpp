// The machine as a whole: its state, its reset and the problems it saw.
#include "winsim/machine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace winsim {

Machine& M()
{
    static Machine machine;
    return machine;
}

void Problem(const std::string& what)
{
    M().problems.push_back(what);
}

std::vector<std::string>& Problems()
{
    return M().problems;
}

HINSTANCE Instance()
{
    return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
}

void Reset()
{
    Machine& m = M();
    for (auto& block : m.blocks) {
        std::free(block.first);
    }
    m = Machine();
    m.desktop = NewWindow(Window::Desktop);
    m.desktop->rect = RECT{0, 0, 1024, 768};
    m.desktop->visible = true;
    LoadResourceFile();
}

int OpenHandles()
{
    return static_cast<int>(M().openTokens.size());
}

std::string Lower(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string Upper(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::vector<BYTE> ReadHostFile(const std::string& path, bool* ok)
{
    std::vector<BYTE> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    *ok = file != nullptr;
    if (!file) {
        return bytes;
    }
    BYTE chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    std::fclose(file);
    return bytes;
}

} // namespace winsim

extern "C" {

DWORD WINAPI GetLastError(void)
{
    return winsim::M().lastError;
}

void WINAPI SetLastError(DWORD code)
{
    winsim::M().lastError = code;
}

// Windows 95 (4.00.950) with the high bit of Windows 95 set; NT 4.0 (build 1381) without it; or
// what a compatibility mode makes the system report.
DWORD WINAPI GetVersion(void)
{
    winsim::Fault("GetVersion");
    if (winsim::M().reportedVersion) {
        return winsim::M().reportedVersion;
    }
    if (winsim::M().vistaTo11) {
        return 0x23F00206u; // 6.2, build 9200
    }
    return winsim::M().winIni == winsim::WinIni::File ? 0xC3B60004u : 0x05650004u;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    if (!name) {
        return winsim::Instance();
    }
    if (auto fault = winsim::Fault("GetModuleHandleA")) {
        return reinterpret_cast<HMODULE>(fault->result);
    }
    std::string module = winsim::Lower(name);
    if (module == "advapi32.dll" || module == "advapi32") {
        return winsim::AdvapiModule();
    }
    if (module == "user32.dll" || module == "user32") {
        return winsim::UserModule();
    }
    if (module != "kernel32.dll" && module != "kernel32") {
        winsim::Problem("GetModuleHandleA of a module not simulated: " + module);
        return nullptr;
    }
    return winsim::KernelModule();
}

// Windows 95's token functions are stubs; NT's open the token.
BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, HANDLE* token)
{
    if (auto fault = winsim::Fault("OpenProcessToken")) {
        return static_cast<BOOL>(fault->result);
    }
    if (process != reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)) || !token || access != TOKEN_QUERY) {
        winsim::Problem(
            "OpenProcessToken of another process, with more than TOKEN_QUERY, or nowhere to answer");
        return FALSE;
    }
    winsim::Machine& m = winsim::M();
    if (m.winIni == winsim::WinIni::File) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    uintptr_t handle = m.nextToken++;
    m.openTokens.insert(handle);
    *token = reinterpret_cast<HANDLE>(handle);
    return TRUE;
}

// TokenElevationType (18) is known from Vista on: a DWORD, the kind of token Corven runs with.
BOOL WINAPI GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS which, LPVOID out, DWORD size,
                                DWORD* needed)
{
    if (auto fault = winsim::Fault("GetTokenInformation")) {
        return static_cast<BOOL>(fault->result);
    }
    winsim::Machine& m = winsim::M();
    if (!m.openTokens.count(reinterpret_cast<uintptr_t>(token)) || !needed) {
        winsim::Problem("GetTokenInformation of a token not open, or with nowhere to say its size");
        return FALSE;
    }
    *needed = sizeof(DWORD);
    if (static_cast<int>(which) != 18 || !m.vistaTo11) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!out || size < sizeof(DWORD)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    // Only an administrator under UAC has a linked token: limited (3) or full (2); the rest, Default (1).
    DWORD type = m.token == winsim::Token::Limited ? 3 : m.token == winsim::Token::Full ? 2 : 1;
    std::memcpy(out, &type, sizeof(type));
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    winsim::Fault("CloseHandle");
    if (!winsim::M().openTokens.erase(reinterpret_cast<uintptr_t>(handle))) {
        winsim::Problem("CloseHandle of a handle not open");
        return FALSE;
    }
    return TRUE;
}

// A 32-bit program on 64-bit Windows runs under WOW64. The process is the pseudo-handle -1, what
// GetCurrentProcess gives.
BOOL WINAPI IsWow64Process(HANDLE process, BOOL* wow64)
{
    if (auto fault = winsim::Fault("IsWow64Process")) {
        return static_cast<BOOL>(fault->result);
    }
    if (process != reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)) || !wow64) {
        winsim::Problem("IsWow64Process of another process, or with nowhere to answer");
        return FALSE;
    }
    *wow64 = winsim::M().wow64 ? TRUE : FALSE;
    return TRUE;
}
}
