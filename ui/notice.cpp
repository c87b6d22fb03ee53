// The notice: tells the user more software is needed for the device and asks whether to go on.
#include <windows.h>

#include "base/base.h"
#include "dialog/dialog.h"
#include "launch/launch.h"
#include "loadline/loadline.h"
#include "res/resource.h"
#include "source/source.h"
#include "ui/ui.h"

namespace {

// The notice's state; the command id is the dialog's result, reset when it opens. The record is
// the opener's: the notice may start setup.exe into it. Starting: its start waits on the prompt.
struct NoticeState {
    HINSTANCE instance;
    DialogInitRecord* record;
    DWORD command;
    RECT iconRect;
    bool starting;
};
NoticeState g_notice;

void OnNoticeInit(HWND dialog, DialogInitRecord* record)
{
    g_notice.instance = record->instance;
    g_notice.record = record;
    g_notice.command = 0;
    g_notice.starting = false;
    const char* deviceName = DeviceDisplayName(CurrentDeviceType(kDeviceItself));
    SetDlgItemTextA(dialog, IDC_DEVICENAME, deviceName ? deviceName : "");
    SetDialogIconRect(&g_notice.iconRect);
    MessageBeep(MB_ICONASTERISK);
    CenterDialogTopmost(dialog);
}

void OnNoticeCommand(HWND dialog, WPARAM command)
{
    // The user answered already: a Cancel while the prompt is up must not undo a start it makes.
    if (g_notice.starting) {
        return;
    }
    g_notice.command = static_cast<DWORD>(command);
    if (command != IDOK && command != IDCANCEL) {
        return;
    }
    // "Do not show me this message again" ends Corven's life on the start-up line either way.
    if (SendMessageA(GetDlgItem(dialog, IDC_DONTSHOW), BM_GETCHECK, 0, 0) != BST_UNCHECKED) {
        FinishInstallation();
    }
    SendMessageA(dialog, WM_CLOSE, 0, 0);
}

// Every way out but Cancel goes on to start setup.exe. Where that start asks the user's consent,
// it is made here, while the notice the user has just answered is still the active window: the
// prompt comes up in front of it rather than as a flashing taskbar button. Once only, however many
// times the notice is asked to close, also while the prompt is up.
void OnNoticeClose(HWND dialog)
{
    DialogInitRecord* record = g_notice.record;
    if (g_notice.starting) {
        return;
    }
    if (g_notice.command != IDCANCEL && record->launch == 0 && StartAsksConsent()) {
        g_notice.starting = true;
        FindInstallLocation(record->text);
        record->launch = LaunchSetup(g_notice.instance, record->text, kQuietLaunch, kDotFolder, dialog);
        g_notice.starting = false;
    }
    EndDialog(dialog, static_cast<INT_PTR>(g_notice.command));
}

} // namespace

INT_PTR CALLBACK NoticeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnNoticeInit(dialog, reinterpret_cast<DialogInitRecord*>(lParam));
        return TRUE;
    case WM_PAINT:
        PaintDialogIcon(g_notice.instance, dialog, &g_notice.iconRect, IDI_ATTENTION);
        return FALSE;
    case WM_COMMAND:
        OnNoticeCommand(dialog, wParam);
        return FALSE;
    case WM_CLOSE:
        OnNoticeClose(dialog);
        return FALSE;
    default:
        return FALSE;
    }
}
