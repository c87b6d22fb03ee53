// The setup launcher and its launch-error dialog.
#include "launch/launch.h"

#include <shellapi.h>

#include "base/base.h"
#include "dialog/dialog.h"
#include "res/resource.h"

namespace {

constexpr char kSetupProgram[] = "setup.exe";
constexpr char kDotFolderStep[] = ".\\";
constexpr char kSwitch[] = "/noprompt";
// After the path: what the launch-error dialog shows, whatever the start's own step, and what the
// start takes from the "." folder.
constexpr char kShownTail[] = ".\\setup.exe";
static_assert(sizeof(kShownTail) == sizeof(kDotFolderStep) - 1 + sizeof(kSetupProgram),
              "the step and the name");

// The length of a text literal, without its terminator.
template <size_t N> constexpr int Length(const char (&)[N])
{
    return static_cast<int>(N) - 1;
}

// The longest program path: a whole install path (its terminator's unit kept for the end), the
// backslash after it, the "." folder step and the program's name.
constexpr int kProgramPathSize = kInstallPathSize + 1 + Length(kDotFolderStep) + Length(kSetupProgram);
// The command line: the program path in quotes, a blank and the switch.
constexpr int kCommandLineSize = kProgramPathSize + 2 + 1 + Length(kSwitch);
static_assert(kProgramPathSize <= kRecordTextSize, "the displayed name fits the record");
static_assert(1 + Length(kShownTail) == kShownProgramTail, "the record has room for the shown tail");
static_assert(2 * kCommandLineSize + 1 <= kPlatformPathBytes, "a command line's bytes fit");

constexpr int kStartedAbove = 31;
constexpr char kShellLibrary[] = "shell32.dll";
using ShellStartProc = BOOL(WINAPI*)(SHELLEXECUTEINFOA*); // its texts in the run's text
// The verb that asks the shell to start a program with the administrator's rights, and the switch,
// in Unicode too: the shell takes them in the run's text, as it takes the program.
constexpr char kElevatedVerbBytes[] = "runas";
constexpr auto kElevatedVerb = Widen<WCHAR>(kElevatedVerbBytes);
constexpr auto kSwitchUnits = Widen<WCHAR>(kSwitch);
using AttributesProc = DWORD(WINAPI*)(const void*);
using CreateProcessProc = BOOL(WINAPI*)(const WCHAR*, WCHAR*, void*, void*, BOOL, DWORD, void*, const WCHAR*,
                                        STARTUPINFOA*, PROCESS_INFORMATION*);
using CloseHandleProc = BOOL(WINAPI*)(HANDLE);

using CheckMembershipProc = BOOL(WINAPI*)(HANDLE, const void*, BOOL*); // reads the SID only

// The Administrators group, S-1-5-32-544: a SID of revision 1 with the NT authority (5) and two
// sub-authorities, the built-in domain (32) and its administrators' alias (544).
struct AdministratorsSid {
    BYTE revision;
    BYTE subAuthorityCount;
    BYTE authority[6];
    DWORD subAuthority[2];
};
constexpr AdministratorsSid kAdministrators = {1, 2, {0, 0, 0, 0, 0, 5}, {32, 544}};
static_assert(sizeof(AdministratorsSid) == 16, "laid out as a SID with two sub-authorities");

// COM, which the shell's start may need for the extensions it hands a start to (OLE32, loaded only
// where the shell starts setup.exe). The flags are COINIT_APARTMENTTHREADED and
// COINIT_DISABLE_OLE1DDE.
constexpr char kComLibrary[] = "ole32.dll";
constexpr DWORD kComApartment = 0x2 | 0x4;
using ComInitializeProc = HRESULT(WINAPI*)(void*, DWORD);
using ComUninitializeProc = void(WINAPI*)();

// A mapped drive's network name, as MPR's WNetGetUniversalName gives it at its level 1
// (UNIVERSAL_NAME_INFO_LEVEL): a record whose pointer names the text that follows it, in the run's
// text: a program path's units on NT, or up to two bytes a unit on Windows 95.
constexpr char kNetworkLibrary[] = "mpr.dll";
constexpr DWORD kUniversalNameLevel = 1;
struct UniversalName {
    const void* name;
    WCHAR text[kProgramPathSize];
};
using UniversalNameProc = DWORD(WINAPI*)(const void*, DWORD, void*, DWORD*);

// How a start ended. Declined: the user answered No to the prompt for the administrator's rights.
enum StartResult { kNotStarted, kStarted, kDeclined };

// The launch-error dialog's state. The choice is reset at each showing, so that the close box
// never repeats a choice made in an earlier one. The program's name is shown as the record gives
// it, and needs no copy: nothing reads it again.
struct LaunchErrorState {
    HINSTANCE instance;
    RECT iconRect;
    INT_PTR choice;
};
LaunchErrorState g_launchError;

// True when the program file (in the run's text) is there. An empty CD-ROM or floppy drive answers
// with the system's own "no disk" box unless the error mode fails such errors quietly: the mode is
// set for this look alone, since setup.exe inherits Corven's mode and must run with the one Corven
// was given.
bool ProgramIsThere(const void* program)
{
    auto getAttributes = InRunsText(reinterpret_cast<AttributesProc>(GetFileAttributesA), "kernel32.dll",
                                    "GetFileAttributesW");
    UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    DWORD attributes = getAttributes ? getAttributes(program) : INVALID_FILE_ATTRIBUTES;
    SetErrorMode(mode);
    return attributes != INVALID_FILE_ATTRIBUTES;
}

// True where Corven's token holds the Administrators group for use (a full token, UAC off, the
// built-in Administrator): there setup.exe gets the administrator's rights by being started. A
// limited administrator holds the group deny-only and a standard user not at all: their setup.exe
// would run without the rights, and fail. A membership that cannot be checked counts as none,
// since asking is the safe side.
bool HoldsAdministrators()
{
    auto checkMembership = FindLoadedFunction<CheckMembershipProc>("advapi32.dll", "CheckTokenMembership");
    BOOL member = FALSE;
    return checkMembership && checkMembership(nullptr, &kAdministrators, &member) && member;
}

// The network name of a program on a mapped drive, as the platform gives it (in the run's text,
// within answer). An elevated setup.exe runs in another logon session, where the user's mapped
// drive letters are not there. nullptr where the program is not on a mapped drive, or its name
// cannot be had or does not fit the answer.
const void* FindNetworkName(const WCHAR* programPath, const void* program, UniversalName* answer)
{
    const char root[] = {static_cast<char>(programPath[0]), ':', '\\', '\0'};
    if (programPath[0] >= 0x80 || programPath[1] != ':' || GetDriveTypeA(root) != DRIVE_REMOTE) {
        return nullptr;
    }
    auto getName =
        FindRunsTextFunction<UniversalNameProc>(LoadLibraryA(kNetworkLibrary), "WNetGetUniversalNameA");
    DWORD answerSize = sizeof(*answer);
    return getName && getName(program, kUniversalNameLevel, answer, &answerSize) == NO_ERROR ? answer->name
                                                                                             : nullptr;
}

// Starts the program (in the run's text) through the shell, elevated or with its default verb,
// owned by the window that asked (the prompt comes up in front only over the active window), with
// no box of the shell's own and with COM initialised, as the shell asks of its callers. SHELL32
// and OLE32 are loaded only here.
StartResult StartThroughShell(const void* program, HWND owner, bool elevate)
{
    auto start = FindRunsTextFunction<ShellStartProc>(LoadLibraryA(kShellLibrary), "ShellExecuteExA");
    if (!start) {
        return kNotStarted;
    }
    HMODULE com = LoadLibraryA(kComLibrary);
    auto initialize = com ? FindFunction<ComInitializeProc>(com, "CoInitializeEx") : nullptr;
    auto uninitialize = com ? FindFunction<ComUninitializeProc>(com, "CoUninitialize") : nullptr;
    // Without COM the start is still worth trying: most starts need no extension.
    bool initialized = initialize && uninitialize && initialize(nullptr, kComApartment) >= 0;

    const bool unicode = HasUnicodeFunctions();
    SHELLEXECUTEINFOA info;
    ZeroBytes(&info, sizeof(info));
    info.cbSize = sizeof(info);
    // SEE_MASK_NOASYNC: the start is whole before the call returns, as a thread with no message loop
    // of its own and a process about to end need it. Once SEE_MASK_FLAG_DDEWAIT: every shell32 has it.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpVerb = !elevate  ? nullptr
                  : unicode ? reinterpret_cast<LPCSTR>(kElevatedVerb.text)
                            : kElevatedVerbBytes;
    info.lpFile = static_cast<LPCSTR>(program);
    info.lpParameters = unicode ? reinterpret_cast<LPCSTR>(kSwitchUnits.text) : kSwitch;
    info.nShow = SW_SHOWNORMAL;
    StartResult result = start(&info)                        ? kStarted
                         : GetLastError() == ERROR_CANCELLED ? kDeclined
                                                             : kNotStarted;
    if (initialized) {
        uninitialize();
    }
    return result;
}

// Starts the command line shown normally, as WinExec does, and nothing more: on NT in Unicode
// (CreateProcessW, no handle inherited, the error mode Corven was given), on Windows 95 through
// WinExec itself.
bool StartProcess(WCHAR* commandLine)
{
    char bytes[kPlatformPathBytes];
    if (!HasUnicodeFunctions()) {
        UnpackBytes(commandLine, bytes);
        return static_cast<int>(WinExec(bytes, SW_SHOWNORMAL)) > kStartedAbove;
    }
    auto create = FindLoadedFunction<CreateProcessProc>("kernel32.dll", "CreateProcessW");
    auto close = FindLoadedFunction<CloseHandleProc>("kernel32.dll", "CloseHandle");
    STARTUPINFOA startup;
    ZeroBytes(&startup, sizeof(startup));
    startup.cb = sizeof(startup); // laid out as STARTUPINFOW: no text of it is given
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    if (!create || !close ||
        !create(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    close(process.hThread);
    close(process.hProcess);
    return true;
}

// The start of the command line; an empty or missing program never starts anything. A 1990s
// device setup writes the system's folders and installs drivers: where the start would not give
// it the administrator's rights, it starts through the shell, which asks for them (consent for an
// administrator, an administrator's password for a standard user), whatever the edition and its
// installer detection; from a mapped drive by its network name. Elsewhere it starts as WinExec
// starts a program; should that fail where Windows has UAC (installer detection refusing it), the
// shell is tried.
[[nodiscard]] StartResult StartCommand(const WCHAR* programPath, WCHAR* commandLine, HWND owner)
{
    char bytes[kPlatformPathBytes];
    const void* program = PlatformText(programPath, bytes);
    if (programPath[0] == 0 || !ProgramIsThere(program)) {
        return kNotStarted;
    }
    bool uac = GetTokenElevation() != kNoUac;
    if (uac && !HoldsAdministrators()) {
        UniversalName answer;
        const void* network = FindNetworkName(programPath, program, &answer);
        return StartThroughShell(network ? network : program, owner, true);
    }
    if (StartProcess(commandLine)) {
        return kStarted;
    }
    return uac ? StartThroughShell(program, owner, false) : kNotStarted;
}

void OnLaunchErrorInit(HWND dialog, const DialogInitRecord* record)
{
    g_launchError.instance = record->instance;
    g_launchError.choice = 0;
    SendPath(GetDlgItem(dialog, IDC_PROGRAM), WM_SETTEXT, 0, record->text);
    SetDialogIconRect(&g_launchError.iconRect);
    MessageBeep(MB_ICONHAND);
    CenterDialogTopmost(dialog);
}

void OnLaunchErrorCommand(HWND dialog, WPARAM command)
{
    if (command == IDCANCEL || command == IDYES || command == IDNO) {
        g_launchError.choice = static_cast<INT_PTR>(command);
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    }
}

// The program's path from the install path into programPath (kProgramPathSize units), empty when
// nothing may be started from it, and the path the launch-error dialog shows into shown
// (kRecordTextSize units).
void FormatProgramPath(const WCHAR* installPath, int dotFolder, WCHAR* programPath, WCHAR* shown)
{
    // A path longer than any caller can give is refused, as an empty one is: nothing is started.
    if (!CopyText(programPath, kInstallPathSize, installPath)) {
        programPath[0] = 0;
    }
    if (programPath[0] != 0 && !EndsWithBackslash(programPath)) {
        AppendAscii(programPath, kProgramPathSize, "\\");
    }
    CopyText(shown, kRecordTextSize, programPath);
    AppendAscii(shown, kRecordTextSize, kShownTail);
    // Shown as given, but never started: a double quote cannot be quoted on a command line.
    if (!IsQuotableInstallPath(programPath)) {
        programPath[0] = 0;
    }
    if (programPath[0] != 0) {
        AppendAscii(programPath, kProgramPathSize, dotFolder ? kShownTail : kSetupProgram);
    }
}

// The command line: the program path, in quotes where it holds a blank (unquoted, the platform
// would try its first word as a program), a blank and the switch.
void FormatCommandLine(const WCHAR* programPath, WCHAR* commandLine)
{
    const bool quoted = TextHolds(programPath, ' ');
    commandLine[0] = '"';
    CopyText(commandLine + quoted, kCommandLineSize - 1, programPath);
    AppendAscii(commandLine, kCommandLineSize, quoted ? "\" " : " ");
    AppendText(commandLine, kCommandLineSize, kSwitchUnits.text);
}

} // namespace

bool StartAsksConsent()
{
    return GetTokenElevation() != kNoUac && !HoldsAdministrators();
}

int LaunchSetup(HINSTANCE instance, const WCHAR* installPath, int quiet, int dotFolder, HWND owner)
{
    WCHAR programPath[kProgramPathSize];
    WCHAR commandLine[kCommandLineSize];
    DialogInitRecord record;

    record.instance = instance;
    FormatProgramPath(installPath, dotFolder, programPath, record.text);
    FormatCommandLine(programPath, commandLine);

    for (;;) {
        StartResult started = StartCommand(programPath, commandLine, owner);
        if (started == kStarted) {
            return IDYES;
        }
        if (quiet) {
            return started == kDeclined ? kLaunchDeclined : IDNO;
        }
        INT_PTR answer = OpenModalDialog(instance, IDD_LAUNCHERROR, owner, LaunchErrorDialog, &record);
        if (answer != IDYES) {
            return static_cast<int>(answer);
        }
    }
}

INT_PTR CALLBACK LaunchErrorDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnLaunchErrorInit(dialog, reinterpret_cast<const DialogInitRecord*>(lParam));
        return FALSE;
    case WM_PAINT:
        PaintDialogIcon(g_launchError.instance, dialog, &g_launchError.iconRect, IDI_ATTENTION);
        return FALSE;
    case WM_COMMAND:
        OnLaunchErrorCommand(dialog, wParam);
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, g_launchError.choice);
        return FALSE;
    default:
        return FALSE;
    }
}
