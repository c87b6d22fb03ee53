// launch: starts setup.exe from the install source and, when asked, offers Retry on a failure.
#pragma once

#include <windows.h>

// LaunchSetup's modes: quiet tries once and shows nothing; interactive offers Retry on a failure.
constexpr int kInteractiveLaunch = 0;
constexpr int kQuietLaunch = 1;
// Whether setup.exe is started from the "." folder of the install path (not after a Browse).
constexpr int kNoDotFolder = 0;
constexpr int kDotFolder = 1;

// The quiet start's answer when the user declined the prompt for the administrator's rights: their
// answer for this start of Windows, not a missing disk.
constexpr int kLaunchDeclined = IDABORT;

// Starts "setup.exe /noprompt" from installPath (units of the run's text, base.h). IDYES when it was started.
// Quiet: IDNO when it was not, kLaunchDeclined when the user declined. Interactive (a decline is a failure
// there): the launch-error dialog's answer that was not Retry: IDCANCEL (Abort), IDNO (Try New Path), 0
// (closed before any button), -1 (the dialog could not open). The dialog is owned by `owner` (the disk
// prompt, which is disabled while it shows, so that its OK cannot start a second launch inside the first;
// nullptr in quiet mode, which shows nothing).
int LaunchSetup(HINSTANCE instance, const WCHAR* installPath, int quiet, int dotFolder, HWND owner = nullptr);

// True when setup.exe starts through the shell's prompt for the administrator's rights (Vista to 11,
// unless Corven's token holds Administrators): the prompt comes up in front only when it is owned
// by the active window, so the start is made from one.
bool StartAsksConsent();

// True when a launch result ends the work: setup.exe started (IDYES) or the user aborted
// (IDCANCEL). Then the finishing step runs.
inline bool IsLaunchOver(int result)
{
    return result == IDYES || result == IDCANCEL;
}

// The launch-error dialog (template IDD_LAUNCHERROR); lParam is a DialogInitRecord naming the program.
INT_PTR CALLBACK LaunchErrorDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
