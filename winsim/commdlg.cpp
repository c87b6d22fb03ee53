// The libraries loaded at run time: the common dialog library, and its Open dialog, answered by the test; the
// record the dialog was given is kept for inspection.
#include <algorithm>
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
         module != winsim::UserModule() && module != winsim::NetworkModule()) ||
        IS_INTRESOURCE(name)) {
        winsim::Problem("GetProcAddress from a module not loaded, or by ordinal");
        return nullptr;
    }
    if (winsim::Fault("GetProcAddress", name)) {
        winsim::M().comFailed = winsim::M().comFailed || module == winsim::ComModule();
        return nullptr;
    }
    // Each module's functions that the program looks up.
    struct Export {
        HMODULE module;
        const char* name;
        void (*function)();
    };
    auto as = [](auto function) { return reinterpret_cast<void (*)()>(function); };
    const Export exports[] = {
        {winsim::ComModule(), "CoInitializeEx", as(&CoInitializeEx)},
        {winsim::ComModule(), "CoUninitialize", as(&CoUninitialize)},
        {winsim::NetworkModule(), "WNetGetUniversalNameA", as(&WNetGetUniversalNameA)},
        {winsim::NetworkModule(), "WNetGetUniversalNameW", as(&WNetGetUniversalNameW)},
        {winsim::AdvapiModule(), "OpenProcessToken", as(&OpenProcessToken)},
        {winsim::AdvapiModule(), "CheckTokenMembership", as(&CheckTokenMembership)},
        {winsim::AdvapiModule(), "GetTokenInformation", as(&GetTokenInformation)},
        {winsim::AdvapiModule(), "RegQueryValueExW", as(&RegQueryValueExW)},
        {winsim::KernelModule(), "IsWow64Process", as(&IsWow64Process)},
        {winsim::KernelModule(), "CloseHandle", as(&CloseHandle)},
        {winsim::KernelModule(), "GetModuleFileNameW", as(&GetModuleFileNameW)},
        {winsim::KernelModule(), "GetFileAttributesW", as(&GetFileAttributesW)},
        {winsim::KernelModule(), "CreateProcessW", as(&CreateProcessW)},
        {winsim::UserModule(), "SendMessageW", as(&SendMessageW)},
        {winsim::UserModule(), "DialogBoxParamW", as(&DialogBoxParamW)},
        {kShell, "ShellExecuteExA", as(&ShellExecuteExA)},
        {kShell, "ShellExecuteExW", as(&ShellExecuteExW)},
        {kCommonDialogs, "GetOpenFileNameA", as(&GetOpenFileNameA)},
        {kCommonDialogs, "GetOpenFileNameW", as(&GetOpenFileNameW)},
        {kCommonDialogs, "CommDlgExtendedError", as(&CommDlgExtendedError)},
    };
    for (const Export& e : exports) {
        if (e.module == module && std::strcmp(e.name, name) == 0) {
            return reinterpret_cast<FARPROC>(e.function);
        }
    }
    return nullptr;
}

} // extern "C"

namespace {

// The Open dialog of either form over its record as the ANSI form sees it: its fault, the record
// kept for inspection, its size checked (the Unicode record is laid out as the ANSI one), the
// test's answer given.
BOOL AnswerOpen(const char* function, OPENFILENAMEA& record, const winsim::OpenRecord& kept)
{
    winsim::Machine& m = winsim::M();
    m.openError = 0;
    if (winsim::Fault(function)) {
        m.openError = CDERR_INITIALIZATION;
        return FALSE;
    }
    m.openRecords.push_back(kept);
    static_assert(sizeof(OPENFILENAMEW) == sizeof(OPENFILENAMEA), "the two records are laid out alike");
    if (record.lStructSize != OPENFILENAME_SIZE_VERSION_400A && record.lStructSize != sizeof(OPENFILENAMEA)) {
        winsim::Problem(std::string(function) + " with a record size Windows does not take");
        return FALSE;
    }
    if (m.openAnswers.empty()) {
        winsim::Problem("no answer for the Open dialog");
        return FALSE;
    }
    winsim::OpenAnswer answer = std::move(m.openAnswers.front());
    m.openAnswers.pop_front();
    return answer(record);
}

} // namespace

extern "C" {

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA record)
{
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
    if (!AnswerOpen("GetOpenFileNameA", *record, seen)) {
        return FALSE;
    }
    // NT's dialog chose a Unicode path: an ANSI program gets it through the code page.
    if (winsim::M().winIni == winsim::WinIni::Registry) {
        std::string ansi = winsim::AnsiFromUtf8(record->lpstrFile);
        std::memcpy(record->lpstrFile, ansi.c_str(), std::min<size_t>(ansi.size() + 1, record->nMaxFile));
        record->lpstrFile[record->nMaxFile - 1] = '\0';
        record->nFileOffset = static_cast<WORD>(ansi.rfind('\\') + 1);
    }
    return TRUE;
}

// The Unicode dialog: the record as the ANSI one sees it, its texts as UTF-8, the answer's path
// (UTF-8) back in Unicode, counted in units. Windows 95 has no COMDLG32 export of it.
BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW record)
{
    OPENFILENAMEA view;
    std::memcpy(&view, record, sizeof(view));
    std::string filter;
    for (const WCHAR* f = record->lpstrFilter; f && (f[0] || f[1]); ++f) {
        filter += *f ? winsim::Utf8FromWide(std::u16string(1, *f).c_str()) : std::string(1, '\0');
    }
    filter += std::string("\0\0", 2);
    std::string file = winsim::Utf8FromWide(record->lpstrFile);
    std::string folder = winsim::Utf8FromWide(record->lpstrInitialDir);
    std::vector<char> chosen(4 * record->nMaxFile + 1, '\0');
    std::memcpy(chosen.data(), file.c_str(), std::min(file.size() + 1, chosen.size() - 1));
    view.lpstrFilter = record->lpstrFilter ? filter.c_str() : nullptr;
    view.lpstrFile = record->lpstrFile ? chosen.data() : nullptr;
    view.lpstrInitialDir = record->lpstrInitialDir ? folder.c_str() : nullptr;
    view.nMaxFile = static_cast<DWORD>(chosen.size());
    winsim::OpenRecord kept{};
    kept.record = view;
    kept.record.nMaxFile = record->nMaxFile;
    kept.filterNull = record->lpstrFilter == nullptr;
    kept.filter = record->lpstrFilter ? filter : "";
    kept.initialFile = file;
    kept.initialDir = folder;
    if (!AnswerOpen("GetOpenFileNameW", view, kept)) {
        return FALSE;
    }
    std::u16string units = winsim::WideFromUtf8(view.lpstrFile);
    if (units.size() + 1 > record->nMaxFile) {
        winsim::M().openError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    std::copy(units.c_str(), units.c_str() + units.size() + 1, record->lpstrFile);
    record->nFileOffset = static_cast<WORD>(units.rfind(u'\\') + 1);
    return TRUE;
}

DWORD WINAPI CommDlgExtendedError(void)
{
    winsim::Fault("CommDlgExtendedError");
    return winsim::M().openError;
}
}
