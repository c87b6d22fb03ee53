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
constexpr char kDisplayFormat[] = "%s%s\\%s";
constexpr char kCommandFormat[] = "%s %s";
constexpr char kQuotedCommandFormat[] = "\"%s\" %s";

// The length of a text literal, without its terminator.
template <size_t N> constexpr int Length(const char (&)[N])
{
    return static_cast<int>(N) - 1;
}

// The longest program path: a whole install path (its terminator's byte kept for the end), the
// backslash after it, the "." folder step and the program's name.
constexpr int kProgramPathSize = kInstallPathSize + 1 + Length(kDotFolderStep) + Length(kSetupProgram);
// The command line: the program path in quotes, a blank and the switch.
constexpr int kCommandLineSize = kProgramPathSize + 2 + 1 + Length(kSwitch);
static_assert(kProgramPathSize <= kRecordTextSize, "the displayed name fits the record");

constexpr UINT kStartedAbove = 31;
constexpr char kShellLibrary[] = "shell32.dll";
constexpr char kShellStart[] = "ShellExecuteExA";
using ShellStartProc = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
// The verb that asks the shell to start a program with the administrator's rights.
constexpr char kElevatedVerb[] = "runas";

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

// A mapped drive's network name, as MPR's WNetGetUniversalNameA gives it at its level 1
// (UNIVERSAL_NAME_INFO_LEVEL): a record whose pointer names the text that follows it.
constexpr char kNetworkLibrary[] = "mpr.dll";
constexpr DWORD kUniversalNameLevel = 1;
struct UniversalName {
    char* name;
    char text[kProgramPathSize];
};
using UniversalNameProc = DWORD(WINAPI*)(const char*, DWORD, void*, DWORD*);

// How a start ended. Declined: the user answered No to the prompt for the administrator's rights.
enum StartResult { kNotStarted, kStarted, kDeclined };

// The launch-error dialog's state. The choice is reset at each showing, so that the close box
// never repeats a choice made in an earlier one.
struct LaunchErrorState {
    HINSTANCE instance;
    char program[kRecordTextSize];
    RECT iconRect;
    INT_PTR choice;
};
LaunchErrorState g_launchError;

// True when the program file is there. An empty CD-ROM or floppy drive answers with the system's
// own "no disk" box unless the error mode fails such errors quietly: the mode is set for this look
// alone, since setup.exe inherits Corven's mode and must run with the one Corven was given.
bool ProgramIsThere(const char* programPath)
{
    UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    DWORD attributes = GetFileAttributesA(programPath);
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

// The network name of a program on a mapped drive, into out. An elevated setup.exe runs in another
// logon session, where the user's mapped drive letters are not there. False where the program is
// not on a mapped drive, or its name cannot be had or does not fit: then out is not used.
bool FindNetworkName(const char* programPath, char* out, int size)
{
    const char root[] = {programPath[0], ':', '\\', '\0'};
    if (programPath[1] != ':' || GetDriveTypeA(root) != DRIVE_REMOTE) {
        return false;
    }
    HMODULE network = LoadLibraryA(kNetworkLibrary);
    auto getName = network ? FindFunction<UniversalNameProc>(network, "WNetGetUniversalNameA") : nullptr;
    UniversalName answer;
    DWORD answerSize = sizeof(answer);
    return getName && getName(programPath, kUniversalNameLevel, &answer, &answerSize) == NO_ERROR &&
           answer.name && CopyText(out, size, answer.name);
}

// Starts the program through the shell with `verb` (nullptr: its default), owned by the window that
// asked (the prompt comes up in front only over the active window), with no box of the shell's
// own and with COM initialised, as the shell asks of its callers. SHELL32 and OLE32 are loaded only
// here.
StartResult StartThroughShell(const char* programPath, HWND owner, const char* verb)
{
    HMODULE shell = LoadLibraryA(kShellLibrary);
    auto start = shell ? FindFunction<ShellStartProc>(shell, kShellStart) : nullptr;
    if (!start) {
        return kNotStarted;
    }
    HMODULE com = LoadLibraryA(kComLibrary);
    auto initialize = com ? FindFunction<ComInitializeProc>(com, "CoInitializeEx") : nullptr;
    auto uninitialize = com ? FindFunction<ComUninitializeProc>(com, "CoUninitialize") : nullptr;
    // Without COM the start is still worth trying: most starts need no extension.
    bool initialized = initialize && uninitialize && initialize(nullptr, kComApartment) >= 0;

    SHELLEXECUTEINFOA info;
    ZeroBytes(&info, sizeof(info));
    info.cbSize = sizeof(info);
    // SEE_MASK_NOASYNC: the start is whole before the call returns, as a thread with no message loop
    // of its own and a process about to end need it. Once SEE_MASK_FLAG_DDEWAIT: every shell32 has it.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpVerb = verb;
    info.lpFile = programPath;
    info.lpParameters = kSwitch;
    info.nShow = SW_SHOWNORMAL;
    StartResult result = start(&info)                        ? kStarted
                         : GetLastError() == ERROR_CANCELLED ? kDeclined
                                                             : kNotStarted;
    if (initialized) {
        uninitialize();
    }
    return result;
}

// The start of the command line; an empty or missing program never starts anything. A 1990s
// device setup writes the system's folders and installs drivers: where the start would not give
// it the administrator's rights, it starts through the shell, which asks for them (consent for an
// administrator, an administrator's password for a standard user), whatever the edition and its
// installer detection; from a mapped drive by its network name. Elsewhere WinExec starts it;
// should that fail where Windows has UAC (installer detection refusing it), the shell is tried.
[[nodiscard]] StartResult StartCommand(const char* programPath, const char* commandLine, HWND owner)
{
    if (programPath[0] == '\0' || !ProgramIsThere(programPath)) {
        return kNotStarted;
    }
    bool uac = GetTokenElevation() != kNoUac;
    if (uac && !HoldsAdministrators()) {
        char networkPath[kProgramPathSize];
        bool mapped = FindNetworkName(programPath, networkPath, sizeof(networkPath));
        return StartThroughShell(mapped ? networkPath : programPath, owner, kElevatedVerb);
    }
    UINT result = WinExec(commandLine, SW_SHOWNORMAL);
    if (static_cast<int>(result) > static_cast<int>(kStartedAbove)) {
        return kStarted;
    }
    return uac ? StartThroughShell(programPath, owner, nullptr) : kNotStarted;
}

void OnLaunchErrorInit(HWND dialog, const DialogInitRecord* record)
{
    g_launchError.instance = record->instance;
    g_launchError.choice = 0;
    CopyText(g_launchError.program, sizeof(g_launchError.program), record->text);
    SetDlgItemTextA(dialog, IDC_PROGRAM, g_launchError.program);
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

// The program's path from the install path into programPath (kProgramPathSize), empty when
// nothing may be started from it, and the path the launch-error dialog shows into shown
// (kRecordTextSize).
void FormatProgramPath(const char* installPath, int dotFolder, char* programPath, char* shown)
{
    // A path longer than any caller can give is refused, as an empty one is: nothing is started.
    programPath[0] = '\0';
    if (TextLength(installPath) < kInstallPathSize) {
        CopyText(programPath, kProgramPathSize, installPath);
        if (programPath[0] != '\0' && !EndsWithBackslash(programPath)) {
            AppendAscii(programPath, kProgramPathSize, "\\");
        }
    }
    wsprintfA(shown, kDisplayFormat, programPath, ".", kSetupProgram);
    // Shown as given, but never started: a double quote cannot be quoted on a command line.
    if (!IsQuotableInstallPath(programPath)) {
        programPath[0] = '\0';
    }
    if (programPath[0] != '\0') {
        if (dotFolder) {
            AppendAscii(programPath, kProgramPathSize, kDotFolderStep);
        }
        AppendAscii(programPath, kProgramPathSize, kSetupProgram);
    }
}

} // namespace

bool StartAsksConsent()
{
    return GetTokenElevation() != kNoUac && !HoldsAdministrators();
}

int LaunchSetup(HINSTANCE instance, const char* installPath, int quiet, int dotFolder, HWND owner)
{
    char programPath[kProgramPathSize];
    char commandLine[kCommandLineSize];
    DialogInitRecord record;

    record.instance = instance;
    FormatProgramPath(installPath, dotFolder, programPath, record.text);
    // Unquoted, a blank in the path would make the platform try its first word as a program.
    wsprintfA(commandLine, TextHolds(programPath, ' ') ? kQuotedCommandFormat : kCommandFormat, programPath,
              kSwitch);

    for (;;) {
        StartResult started = StartCommand(programPath, commandLine, owner);
        if (started == kStarted) {
            return IDYES;
        }
        if (quiet) {
            return started == kDeclined ? kLaunchDeclined : IDNO;
        }
        INT_PTR answer = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_LAUNCHERROR), owner,
                                         LaunchErrorDialog, reinterpret_cast<LPARAM>(&record));
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
