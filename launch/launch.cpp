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
// ERROR_ELEVATION_REQUIRED, which the headers for Windows 4.0 do not name.
constexpr DWORD kElevationRequired = 740;
constexpr char kShellLibrary[] = "shell32.dll";
constexpr char kShellStart[] = "ShellExecuteExA";
using ShellStartProc = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);

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

// Starts the program through the shell, which asks the user's consent to run it elevated (owned by
// the dialog that asked, if any) and shows no box of its own. SHELL32 is loaded only here.
bool StartThroughShell(const char* programPath, HWND owner)
{
    HMODULE shell = LoadLibraryA(kShellLibrary);
    if (!shell) {
        return false;
    }
    auto start = FindFunction<ShellStartProc>(shell, kShellStart);
    SHELLEXECUTEINFOA info;
    ZeroBytes(&info, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = programPath;
    info.lpParameters = kSwitch;
    info.nShow = SW_SHOWNORMAL;
    return start && start(&info);
}

// The start of the command line; an empty or missing program never starts anything. Vista to 11
// take setup.exe for an installer by its name and refuse it to WinExec without elevation: then
// the shell starts it, once the user consents.
[[nodiscard]] bool StartCommand(const char* programPath, const char* commandLine, HWND owner)
{
    if (programPath[0] == '\0' || !ProgramIsThere(programPath)) {
        return false;
    }
    UINT result = WinExec(commandLine, SW_SHOWNORMAL);
    if (static_cast<int>(result) > static_cast<int>(kStartedAbove)) {
        return true;
    }
    return GetLastError() == kElevationRequired && StartThroughShell(programPath, owner);
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
