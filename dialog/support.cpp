// What every dialog of Corven shares: its place on the screen and its icon.
#include <windows.h>

#include "dialog/dialog.h"

namespace {
constexpr LONG kIconLeft = 10;
constexpr LONG kIconTop = 45;

// The shell starts load= programs minimised and inactive, and the system gives that start-up state
// to the first ShowWindow of the first unowned top-level window in place of SW_SHOWNORMAL: left to
// the dialog manager, which shows a dialog so once its queue goes empty, the dialog would come up
// as a taskbar button. This SW_SHOWNORMAL takes the state, whatever it is, and SW_RESTORE, which
// the state never replaces, brings the dialog back where it was placed, restored and active.
void ShowRestoredAndActive(HWND dialog)
{
    ShowWindow(dialog, SW_SHOWNORMAL);
    ShowWindow(dialog, SW_RESTORE);
}

} // namespace

void CenterDialogTopmost(HWND dialog)
{
    RECT desktop;
    RECT window;
    // Where a rectangle cannot be had, the dialog stays where the template put it: topmost and shown.
    if (!GetWindowRect(GetDesktopWindow(), &desktop) || !GetWindowRect(dialog, &window)) {
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    } else {
        // The dialog's half is taken of its negative extent, so odd sizes round toward zero.
        int x = (desktop.right - desktop.left) / 2 + (window.left - window.right) / 2;
        int y = (desktop.bottom - desktop.top) / 2 + (window.top - window.bottom) / 2;
        SetWindowPos(dialog, HWND_TOPMOST, x, y, window.right - window.left, window.bottom - window.top,
                     SWP_SHOWWINDOW);
    }
    ShowRestoredAndActive(dialog);
}

void SetDialogIconRect(RECT* iconRect)
{
    iconRect->left = kIconLeft;
    iconRect->top = kIconTop;
    iconRect->right = kIconLeft + GetSystemMetrics(SM_CXICON);
    iconRect->bottom = kIconTop + GetSystemMetrics(SM_CYICON);
}

int PaintDialogIcon(HINSTANCE instance, HWND dialog, const RECT* iconRect, WORD iconId)
{
    HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    if (!icon) {
        return 0;
    }
    HDC dc = GetDC(dialog);
    if (dc) {
        DrawIcon(dc, iconRect->left, iconRect->top, icon);
        ReleaseDC(dialog, dc);
    }
    DestroyIcon(icon);
    return 1;
}
