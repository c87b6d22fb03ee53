// The run: the notice, the install source, a quiet start of setup.exe, else the disk prompt.
#include <windows.h>

#include "app/app.h"
#include "base/base.h"
#include "loadline/loadline.h"
#include "launch/launch.h"
#include "res/resource.h"
#include "source/source.h"
#include "ui/ui.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    char installPath[kInstallPathSize] = {};
    DialogInitRecord record;
    int runResult = IDOK;

    if (ShowsNotice()) {
        record.instance = instance;
        record.text[0] = '\0';
        INT_PTR answer = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_NOTICE), nullptr, NoticeDialog,
                                         reinterpret_cast<LPARAM>(&record));
        if (answer == IDCANCEL) {
            return IDCANCEL;
        }
        runResult = static_cast<int>(answer);
    }

    FindInstallLocation(installPath);
    if (IsLaunchOver(LaunchSetup(instance, installPath, kQuietLaunch, kDotFolder))) {
        FinishInstallation();
        return runResult;
    }

    record.instance = instance;
    static_assert(kInstallPathSize <= kRecordTextSize, "the record holds a whole install path");
    CopyText(record.text, sizeof(record.text), installPath);
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_DISKPROMPT), nullptr,
                                            DiskPromptDialog, reinterpret_cast<LPARAM>(&record)));
}
