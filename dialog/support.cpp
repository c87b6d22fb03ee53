// What every dialog of Corven shares: its place on the screen and its icon.
#include <windows.h>

#include "dialog/dialog.h"

namespace {
constexpr LONG kIconLeft = 10;
constexpr LONG kIconTop = 45;
} // namespace

void CenterDialogTopmost(HWND dialog)
{
    RECT desktop;
    RECT window;
    // Where a rectangle cannot be had, the dialog stays where the template put it: topmost and shown.
    if (!GetWindowRect(GetDesktopWindow(), &desktop) || !GetWindowRect(dialog, &window)) {
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        return;
    }
    // The dialog's half is taken of its negative extent, so odd sizes round toward zero.
    int x = (desktop.right - desktop.left) / 2 + (window.left - window.right) / 2;
    int y = (desktop.bottom - desktop.top) / 2 + (window.top - window.bottom) / 2;
    SetWindowPos(dialog, HWND_TOPMOST, x, y, window.right - window.left, window.bottom - window.top,
                 SWP_SHOWWINDOW);
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
