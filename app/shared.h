// app: the words every part of Corven shares: the install path, the record a dialog is opened
// with, and the dialog results that LaunchSetup also answers with.
#pragma once

#include <windows.h>

#include "base/base.h"

// The folder or drive root that setup.exe is started from; may be empty.
constexpr int kInstallPathSize = 260;

// The text of a DialogInitRecord. It holds a whole install path together with the
// ".\setup.exe" step the launch-error dialog shows, so no path is ever cut on its way.
constexpr int kRecordTextSize = kInstallPathSize + 12;

// What the opener of a dialog hands it through DialogBoxParamA's lParam.
struct DialogInitRecord {
    HINSTANCE instance;
    char text[kRecordTextSize];
};

// The dialog results, as the platform numbers them. The launcher answers with the same:
// IDYES started, IDNO not started (quiet) or Try New Path, IDCANCEL aborted.
static_assert(IDOK == 1 && IDCANCEL == 2 && IDYES == 6 && IDNO == 7, "the platform's dialog results");

// A path that holds a double quote would end the quoted program path of a command line early and
// start whatever follows: it is never a place to start setup.exe from.
inline bool IsQuotableInstallPath(const char* path)
{
    return !TextHolds(path, '"');
}
