// The run: the notice, the install source, a quiet start of setup.exe, else the disk prompt.
#include <windows.h>

#include "app/app.h"
#include "base/base.h"
#include "dialog/dialog.h"
#include "loadline/loadline.h"
#include "launch/launch.h"
#include "res/resource.h"
#include "source/source.h"
#include "ui/ui.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    DialogInitRecord record;
    int runResult = IDOK;

    static_assert(kInstallPathSize <= kRecordTextSize, "the record holds a whole install path");
    record.instance = instance;
    record.text[0] = 0;
    record.launch = 0;
    if (ShowsNotice()) {
        INT_PTR answer = OpenModalDialog(instance, IDD_NOTICE, nullptr, NoticeDialog, &record);
        if (answer == IDCANCEL) { // a Cancel is ignored while the notice's own start is under way
            return IDCANCEL;
        }
        runResult = static_cast<int>(answer);
    }

    // The notice has made the quiet start itself where it asks the user's consent.
    if (record.launch == 0) {
        FindInstallLocation(record.text);
        record.launch = LaunchSetup(instance, record.text, kQuietLaunch, kDotFolder);
    }
    // A No to the prompt for the administrator's rights is the user's answer for this start of
    // Windows, as the notice's Cancel is: Corven stays on the start-up line and asks again.
    if (record.launch == kLaunchDeclined) {
        return IDCANCEL;
    }
    if (IsLaunchOver(record.launch)) {
        FinishInstallation();
        return runResult;
    }
    return static_cast<int>(OpenModalDialog(instance, IDD_DISKPROMPT, nullptr, DiskPromptDialog, &record));
}
