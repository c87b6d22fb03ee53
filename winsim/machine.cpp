// The machine as a whole: its state, its reset and the problems it saw.
#include "winsim/machine.h"

#include <cstdio>
#include <cstdlib>

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
    if (module != "kernel32.dll" && module != "kernel32") {
        winsim::Problem("GetModuleHandleA of a module not simulated: " + module);
        return nullptr;
    }
    return winsim::KernelModule();
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
