// The fault switch: every platform call the product makes, recorded in order, and made to fail as
// the real function documents its failure, the nth call from now or every call of a kind.
#include <sstream>

#include "winsim/machine.h"

namespace {

using winsim::CallFault;
using winsim::M;

// Every call the product makes, and how it fails. A call marked as never failing is one whose
// failure needs what the product never passes (a window or a block that is not its own, a bad
// flag), or one that has no failure at all. SendMessageA fails per message, where the control
// documents a failure.
constexpr CallFault kCalls[] = {
    // name                           fails  result  GetLastError
    {"GetPrivateProfileStringA", true, 0, ERROR_NOT_ENOUGH_MEMORY}, // the default comes back
    {"GetPrivateProfileStringW", true, 0, ERROR_NOT_ENOUGH_MEMORY},
    {"WritePrivateProfileStringA", true, FALSE, ERROR_ACCESS_DENIED},
    {"WritePrivateProfileStringW", true, FALSE, ERROR_ACCESS_DENIED},
    {"GetSystemDirectoryA", true, 0, ERROR_NOT_ENOUGH_MEMORY},
    {"GetSystemDirectoryW", true, 0, ERROR_NOT_ENOUGH_MEMORY},
    {"GetVersion", false, 0, 0},
    {"GetModuleFileNameW", true, 0, ERROR_NOT_ENOUGH_MEMORY},
    {"GetModuleHandleA", true, 0, ERROR_MOD_NOT_FOUND},
    {"IsWow64Process", true, FALSE, ERROR_ACCESS_DENIED},
    {"OpenProcessToken", true, FALSE, ERROR_ACCESS_DENIED},
    {"GetTokenInformation", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"CloseHandle", false, 0, 0},
    {"CheckTokenMembership", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"CoInitializeEx", true, static_cast<LONG_PTR>(static_cast<LONG>(0x8007000Eu)), 0}, // E_OUTOFMEMORY
    {"CoUninitialize", false, 0, 0},
    {"WNetGetUniversalNameA", true, 1222, 1222}, // ERROR_NO_NETWORK
    {"WNetGetUniversalNameW", true, 1222, 1222},
    {"RegOpenKeyExA", true, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {"RegQueryValueExA", true, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {"RegQueryValueExW", true, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {"RegCloseKey", false, 0, 0},
    {"GetLogicalDrives", true, 0, ERROR_NOT_ENOUGH_MEMORY},
    {"GetLogicalDriveStringsA", true, 0, ERROR_NOT_ENOUGH_MEMORY},
    {"GetDriveTypeA", true, DRIVE_UNKNOWN, 0},
    {"GetProcessHeap", false, 0, 0},
    {"HeapAlloc", true, 0, ERROR_NOT_ENOUGH_MEMORY},
    {"HeapReAlloc", true, 0, ERROR_NOT_ENOUGH_MEMORY},
    {"HeapFree", false, 0, 0},
    {"WinExec", true, ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
    {"CreateProcessW", true, 0, ERROR_NOT_ENOUGH_MEMORY}, // a start result: 0, not started
    {"SetErrorMode", false, 0, 0},
    {"GetFileAttributesA", true, static_cast<LONG_PTR>(INVALID_FILE_ATTRIBUTES), ERROR_ACCESS_DENIED},
    {"GetFileAttributesW", true, static_cast<LONG_PTR>(INVALID_FILE_ATTRIBUTES), ERROR_ACCESS_DENIED},
    {"ShellExecuteExA", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"ShellExecuteExW", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"LoadLibraryA", true, 0, ERROR_MOD_NOT_FOUND},
    {"GetProcAddress", true, 0, ERROR_PROC_NOT_FOUND},
    {"GetOpenFileNameA", true, FALSE, 0}, // CommDlgExtendedError then says CDERR_INITIALIZATION
    {"GetOpenFileNameW", true, FALSE, 0},
    {"CommDlgExtendedError", false, 0, 0},
    {"lstrcmpA", false, 0, 0},
    {"wsprintfA", false, 0, 0},
    {"CharNextA", false, 0, 0},
    {"CharPrevA", false, 0, 0},
    {"DialogBoxParamA", true, -1, ERROR_NOT_ENOUGH_MEMORY},
    {"DialogBoxParamW", true, -1, ERROR_NOT_ENOUGH_MEMORY},
    {"EndDialog", false, 0, 0},
    {"GetDlgItem", false, 0, 0},
    {"SetDlgItemTextA", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"SetWindowTextA", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"ShowWindow", false, 0, 0},
    {"LoadStringA", true, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
    {"SetTimer", true, 0, ERROR_NOT_ENOUGH_MEMORY},
    {"KillTimer", false, 0, 0},
    {"InvalidateRect", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"LoadIconA", true, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
    {"DestroyIcon", false, 0, 0},
    {"GetDC", true, 0, ERROR_NOT_ENOUGH_MEMORY},
    {"ReleaseDC", false, 0, 0},
    {"DrawIcon", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"GetDesktopWindow", false, 0, 0},
    {"GetWindowRect", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"SetWindowPos", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"GetSystemMetrics", true, 0, 0},
    {"MessageBeep", true, FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"SendMessageA", false, 0, 0},
    {"SendMessageA#CB_ADDSTRING", true, -2, 0}, // CB_ERRSPACE
    {"SendMessageA#CB_SETCURSEL", true, CB_ERR, 0},
    {"SendMessageA#CB_GETLBTEXT", true, CB_ERR, 0},
    {"SendMessageA#CB_GETLBTEXTLEN", true, CB_ERR, 0},
    {"SendMessageA#WM_GETTEXT", true, 0, 0},
    {"SendMessageA#WM_SETTEXT", true, FALSE, 0},
    {"SendMessageW", false, 0, 0},
    {"SendMessageW#CB_ADDSTRING", true, -2, 0},
    {"SendMessageW#CB_SETCURSEL", true, CB_ERR, 0},
    {"SendMessageW#CB_GETLBTEXT", true, CB_ERR, 0},
    {"SendMessageW#CB_GETLBTEXTLEN", true, CB_ERR, 0},
    {"SendMessageW#WM_GETTEXT", true, 0, 0},
    {"SendMessageW#WM_SETTEXT", true, FALSE, 0},
};

const CallFault* Find(const std::string& name)
{
    for (const CallFault& call : kCalls) {
        if (name == call.name) {
            return &call;
        }
    }
    return nullptr;
}

std::set<std::string> Names(const std::string& names)
{
    std::set<std::string> out;
    std::istringstream in(names);
    for (std::string name; std::getline(in, name, '|');) {
        if (!Find(name.substr(0, name.find('#')))) {
            winsim::Problem("FailCalls of a call winsim does not know: " + name);
        }
        out.insert(name);
    }
    return out;
}

// The table's entry for a call named by a literal, looked up once per name: the steppers are
// called for every character.
const CallFault* EntryOf(const char* name)
{
    static std::map<const char*, const CallFault*> entries;
    auto found = entries.find(name);
    if (found != entries.end()) {
        return found->second;
    }
    return entries[name] = Find(name);
}

} // namespace

namespace winsim {

const CallFault* Fault(const char* name, const std::string& qualifier)
{
    Machine& m = M();
    if (m.internalCalls > 0) {
        return nullptr;
    }
    const CallFault* call = qualifier.empty() ? nullptr : Find(std::string(name) + "#" + qualifier);
    if (!call) {
        call = EntryOf(name);
    }
    if (!call) {
        Problem(std::string("a call missing from the fault table: ") + name);
        return nullptr;
    }
    if (m.recordingCalls) {
        m.calls.push_back(qualifier.empty() ? name : std::string(name) + "#" + qualifier);
    }
    if (!call->fails) {
        return nullptr;
    }
    std::string full = qualifier.empty() ? name : std::string(name) + "#" + qualifier;
    using Persisting = winsim::Machine::Persisting;
    ++m.failableCalls;
    bool fails = m.failingCall > 0 && m.failableCalls == m.failingCall;
    if (fails) {
        m.persistingName = full;
    } else if (m.failingCall > 0 && m.failableCalls > m.failingCall) {
        fails = m.failingOn == Persisting::EveryCall ||
                (m.failingOn == Persisting::SameCall && full == m.persistingName);
    }
    for (NamedFault& rule : m.namedFaults) {
        if (rule.names.count(name) || rule.names.count(full)) {
            fails = fails || rule.every || --rule.countdown == 0;
        }
    }
    if (!fails) {
        return nullptr;
    }
    ++m.failedCalls;
    m.failedCallName = full;
    m.lastError = call->lastError;
    return call;
}

InternalCall::InternalCall()
{
    ++M().internalCalls;
}

InternalCall::~InternalCall()
{
    --M().internalCalls;
}

void RecordCalls()
{
    M().recordingCalls = true;
}

std::vector<std::string>& Calls()
{
    return M().calls;
}

int FailableCalls()
{
    return M().failableCalls;
}

void FailCall(int nth)
{
    M().failingCall = M().failableCalls + nth;
    M().failingOn = Machine::Persisting::No;
}

void FailCallsFrom(int nth, bool sameCallOnly)
{
    M().failingCall = M().failableCalls + nth;
    M().failingOn = sameCallOnly ? Machine::Persisting::SameCall : Machine::Persisting::EveryCall;
}

void FailCalls(const std::string& names, int nth)
{
    M().namedFaults.push_back(NamedFault{Names(names), nth, false});
}

void FailEvery(const std::string& names)
{
    M().namedFaults.push_back(NamedFault{Names(names), 0, true});
}

int FailedCalls()
{
    return M().failedCalls;
}

std::string FailedCallName()
{
    return M().failedCallName;
}

void ClearFaults()
{
    M().failingCall = 0;
    M().failingOn = Machine::Persisting::No;
    M().namedFaults.clear();
}

} // namespace winsim
