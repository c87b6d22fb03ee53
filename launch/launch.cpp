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

// What the headers for Windows 4.0 do not name: TOKEN_INFORMATION_CLASS's TokenElevationType and
// its answer for the filtered token UAC gives a user, TokenElevationTypeLimited. kNoUac stands for
// a system that answers nothing: one without UAC, or one that could not say.
const auto kTokenElevationType = static_cast<TOKEN_INFORMATION_CLASS>(18);
constexpr DWORD kNoUac = 0;
constexpr DWORD kLimitedToken = 3;
using OpenTokenProc = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
using TokenInformationProc = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
using CloseHandleProc = BOOL(WINAPI*)(HANDLE);

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

// How Corven's token is elevated where Windows has UAC (Vista to 11); kNoUac elsewhere, since the
// systems before Vista know no such information. The functions are looked up, as Windows 95 has no
// tokens at all.
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

// Starts the program through the shell with `verb` (nullptr: its default), owned by the window that
// asked (the consent prompt comes up in front only over the active window), and with no box of the
// shell's own. SHELL32 is loaded only here.
bool StartThroughShell(const char* programPath, HWND owner, const char* verb)
{
    HMODULE shell = LoadLibraryA(kShellLibrary);
    if (!shell) {
        return false;
    }
    auto start = FindFunction<ShellStartProc>(shell, kShellStart);
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
    return start && start(&info);
}

// The start of the command line; an empty or missing program never starts anything. A 1990s
// device setup writes the system's folders and installs drivers: under UAC's limited token it
// starts through the shell with the administrator's rights, once the user consents, whatever the
// edition and its installer detection. Elsewhere WinExec starts it; should that fail where Windows
// has UAC (installer detection refusing it), the shell is tried.
[[nodiscard]] bool StartCommand(const char* programPath, const char* commandLine, HWND owner)
{
    if (programPath[0] == '\0' || !ProgramIsThere(programPath)) {
        return false;
    }
    DWORD elevation = GetTokenElevation();
    if (elevation == kLimitedToken) {
        return StartThroughShell(programPath, owner, kElevatedVerb);
    }
    UINT result = WinExec(commandLine, SW_SHOWNORMAL);
    if (static_cast<int>(result) > static_cast<int>(kStartedAbove)) {
        return true;
    }
    return elevation != kNoUac && StartThroughShell(programPath, owner, nullptr);
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

} // namespace

bool StartAsksConsent()
{
    return GetTokenElevation() == kLimitedToken;
}

int LaunchSetup(HINSTANCE instance, const char* installPath, int quiet, int dotFolder, HWND owner)
{
    char programPath[kProgramPathSize];
    char commandLine[kCommandLineSize];
    DialogInitRecord record;

    // A path longer than any caller can give is refused, as an empty one is: nothing is started.
    programPath[0] = '\0';
    if (TextLength(installPath) < kInstallPathSize) {
        CopyText(programPath, sizeof(programPath), installPath);
        if (programPath[0] != '\0' && !EndsWithBackslash(programPath)) {
            AppendAscii(programPath, sizeof(programPath), "\\");
        }
    }
    record.instance = instance;
    wsprintfA(record.text, kDisplayFormat, programPath, ".", kSetupProgram);
    // Shown as given, but never started: a double quote cannot be quoted on a command line.
    if (!IsQuotableInstallPath(programPath)) {
        programPath[0] = '\0';
    }
    if (programPath[0] != '\0') {
        if (dotFolder) {
            AppendAscii(programPath, sizeof(programPath), kDotFolderStep);
        }
        AppendAscii(programPath, sizeof(programPath), kSetupProgram);
    }
    // Unquoted, a blank in the path would make the platform try its first word as a program.
    wsprintfA(commandLine, TextHolds(programPath, ' ') ? kQuotedCommandFormat : kCommandFormat, programPath,
              kSwitch);

    for (;;) {
        if (StartCommand(programPath, commandLine, owner)) {
            return IDYES;
        }
        if (quiet) {
            return IDNO;
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
