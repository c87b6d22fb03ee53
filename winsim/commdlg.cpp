// The libraries loaded at run time: the common dialog library, and its Open dialog, answered by the test; the
// record the dialog was given is kept for inspection.
#include <cstring>

#include "winsim/machine.h"

#include <shellapi.h>

namespace {
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
const HMODULE kCommonDialogs = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x76000000));
const HMODULE kShell = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x77000000));
} // namespace

namespace winsim {

void OnOpenFile(OpenAnswer answer)
{
    M().openAnswers.push_back(std::move(answer));
}

OpenAnswer ChooseFile(const std::string& path)
{
    return [path](OPENFILENAMEA& record) -> BOOL {
        InternalCall internal;
        if (path.size() + 1 > record.nMaxFile) {
            M().openError = FNERR_BUFFERTOOSMALL;
            return FALSE;
        }
        std::memcpy(record.lpstrFile, path.c_str(), path.size() + 1);
        // The file name starts after the last backslash, found by character, as the platform finds it.
        size_t name = 0;
        size_t dot = 0;
        for (const char* at = path.c_str(); *at; at = CharNextA(at)) {
            size_t offset = static_cast<size_t>(at - path.c_str());
            if (*at == '\\') {
                name = offset + 1;
                dot = 0;
            } else if (*at == '.') {
                dot = offset + 1;
            }
        }
        record.nFileOffset = static_cast<WORD>(name);
        record.nFileExtension = static_cast<WORD>(dot);
        return TRUE;
    };
}

OpenAnswer CancelOpen()
{
    return [](OPENFILENAMEA&) -> BOOL { return FALSE; };
}

std::vector<OpenRecord>& OpenRecords()
{
    return M().openRecords;
}

std::vector<std::string>& LibraryLoads()
{
    return M().libraryLoads;
}

} // namespace winsim

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR name)
{
    winsim::M().libraryLoads.push_back(name);
    std::string library = winsim::Lower(name);
    if (auto fault = winsim::Fault("LoadLibraryA", library)) {
        winsim::M().comFailed = winsim::M().comFailed || library == "ole32.dll";
        return reinterpret_cast<HMODULE>(fault->result);
    }
    if (library == "shell32.dll" || library == "shell32") {
        return kShell;
    }
    if (library == "ole32.dll") {
        return winsim::ComModule();
    }
    if (library == "mpr.dll") {
        return winsim::NetworkModule();
    }
    if (library != "comdlg32.dll" && library != "comdlg32") {
        winsim::Problem("LoadLibraryA of a library not simulated: " + library);
        return nullptr;
    }
    return kCommonDialogs;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    if ((module != kCommonDialogs && module != kShell && module != winsim::KernelModule() &&
         module != winsim::AdvapiModule() && module != winsim::ComModule() &&
         module != winsim::NetworkModule()) ||
        IS_INTRESOURCE(name)) {
        winsim::Problem("GetProcAddress from a module not loaded, or by ordinal");
        return nullptr;
    }
    if (winsim::Fault("GetProcAddress", name)) {
        winsim::M().comFailed = winsim::M().comFailed || module == winsim::ComModule();
        return nullptr;
    }
    std::string function = name;
    if (module == winsim::ComModule()) {
        if (function == "CoInitializeEx") {
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&CoInitializeEx));
        }
        return function == "CoUninitialize"
                   ? reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&CoUninitialize))
                   : nullptr;
    }
    if (module == winsim::NetworkModule()) {
        return function == "WNetGetUniversalNameA"
                   ? reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&WNetGetUniversalNameA))
                   : nullptr;
    }
    if (module == winsim::AdvapiModule()) {
        if (function == "OpenProcessToken") {
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&OpenProcessToken));
        }
        if (function == "CheckTokenMembership") {
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&CheckTokenMembership));
        }
        return function == "GetTokenInformation"
                   ? reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetTokenInformation))
                   : nullptr;
    }
    if (module == winsim::KernelModule()) {
        if (function == "IsWow64Process") {
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&IsWow64Process));
        }
        if (function == "CloseHandle") {
            return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&CloseHandle));
        }
        return function == "GetModuleFileNameW"
                   ? reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetModuleFileNameW))
                   : nullptr;
    }
    if (module == kShell) {
        return function == "ShellExecuteExA"
                   ? reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&ShellExecuteExA))
                   : nullptr;
    }
    if (function == "GetOpenFileNameA") {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&GetOpenFileNameA));
    }
    if (function == "CommDlgExtendedError") {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&CommDlgExtendedError));
    }
    return nullptr;
}

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA record)
{
    winsim::Machine& m = winsim::M();
    m.openError = 0;
    if (winsim::Fault("GetOpenFileNameA")) {
        m.openError = CDERR_INITIALIZATION;
        return FALSE;
    }
    winsim::OpenRecord seen{};
    seen.record = *record;
    seen.filterNull = record->lpstrFilter == nullptr;
    if (record->lpstrFilter) {
        const char* f = record->lpstrFilter;
        while (f[0] || f[1]) {
            seen.filter += *f++;
        }
        seen.filter += std::string("\0\0", 2);
    }
    if (record->lpstrFile) {
        seen.initialFile.assign(record->lpstrFile, strnlen(record->lpstrFile, record->nMaxFile));
    }
    seen.initialDir = record->lpstrInitialDir ? record->lpstrInitialDir : "";
    m.openRecords.push_back(seen);
    if (record->lStructSize != OPENFILENAME_SIZE_VERSION_400A &&
        record->lStructSize != sizeof(OPENFILENAMEA)) {
        winsim::Problem("GetOpenFileNameA with a record size Windows does not take");
        return FALSE;
    }
    if (m.openAnswers.empty()) {
        winsim::Problem("no answer for the Open dialog");
        return FALSE;
    }
    winsim::OpenAnswer answer = std::move(m.openAnswers.front());
    m.openAnswers.pop_front();
    return answer(*record);
}

DWORD WINAPI CommDlgExtendedError(void)
{
    winsim::Fault("CommDlgExtendedError");
    return winsim::M().openError;
}
}
