// launch: starts setup.exe from the install source and, when asked, offers Retry on a failure.
#pragma once

#include <windows.h>

// Starts "setup.exe /noprompt" from installPath ("." folder step when dotFolder is set).
// 6 when it was started. Quiet: 7 when it was not. Interactive: the launch-error dialog's answer
// that was not Retry: 2 Abort, 7 Try New Path, 0 closed before any button, -1 no dialog.
int LaunchSetup(HINSTANCE instance, const char* installPath, int quiet, int dotFolder);

// The launch-error dialog (template IDD_LAUNCHERROR); lParam is a DialogInitRecord naming the program.
INT_PTR CALLBACK LaunchErrorDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
