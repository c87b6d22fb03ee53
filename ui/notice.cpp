// The notice: tells the user more software is needed for the device and asks whether to go on.
#include <windows.h>

#include "base/base.h"
#include "dialog/dialog.h"
#include "loadline/loadline.h"
#include "res/resource.h"
#include "ui/ui.h"

namespace {

// The notice's state; the command id is the dialog's result, reset when it opens.
struct NoticeState {
    HINSTANCE instance;
    DWORD command;
    RECT iconRect;
};
NoticeState g_notice;

void OnNoticeInit(HWND dialog, const DialogInitRecord* record)
{
    g_notice.instance = record->instance;
    g_notice.command = 0;
    const char* deviceName = DeviceDisplayName(CurrentDeviceType(kDeviceItself));
    SetDlgItemTextA(dialog, IDC_DEVICENAME, deviceName ? deviceName : "");
    SetDialogIconRect(&g_notice.iconRect);
    MessageBeep(MB_ICONASTERISK);
    CenterDialogTopmost(dialog);
}

void OnNoticeCommand(HWND dialog, WPARAM command)
{
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

} // namespace

INT_PTR CALLBACK NoticeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnNoticeInit(dialog, reinterpret_cast<const DialogInitRecord*>(lParam));
        return TRUE;
    case WM_PAINT:
        PaintDialogIcon(g_notice.instance, dialog, &g_notice.iconRect, IDI_ATTENTION);
        return FALSE;
    case WM_COMMAND:
        OnNoticeCommand(dialog, wParam);
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, static_cast<INT_PTR>(g_notice.command));
        return FALSE;
    default:
        return FALSE;
    }
}
