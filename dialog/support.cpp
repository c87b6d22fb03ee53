// What every dialog of Corven shares: its place on the screen and its icon.
#include <windows.h>

#include "dialog/dialog.h"

namespace {
constexpr LONG kIconLeft = 10;
constexpr LONG kIconTop = 45;
using DialogProc = INT_PTR(WINAPI*)(HINSTANCE, const void*, HWND, DLGPROC, LPARAM);
} // namespace

INT_PTR OpenModalDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC procedure, void* record)
{
    // The template is named by its number, the same for both forms of the function.
    auto open = InRunsText(reinterpret_cast<DialogProc>(DialogBoxParamA), "user32.dll", "DialogBoxParamW");
    return open ? open(instance, MAKEINTRESOURCEA(templateId), owner, procedure,
                       reinterpret_cast<LPARAM>(record))
                : -1;
}

// The shell starts load= programs minimised and inactive (STARTUPINFO's show state), and the system
// gives that state to the first ShowWindow of the process's first unowned, captioned top-level
// window when it asks for SW_SHOWNORMAL or SW_SHOW; any other command there only uses the state up.
// Left to the dialog manager, whose SW_SHOWNORMAL shows a dialog once its queue goes empty, the
// dialog would come up as a taskbar button. So the dialog is placed without being shown or
// activated, and SW_RESTORE, which the state never replaces, then shows it once: restored, in
// place, active. An owned dialog never takes the state; SW_RESTORE shows it the same.
void CenterDialogTopmost(HWND dialog)
{
    RECT desktop;
    RECT window;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    UINT flags = SWP_NOACTIVATE;
    // Where a rectangle cannot be had, the dialog stays where the template put it, topmost.
    if (!GetWindowRect(GetDesktopWindow(), &desktop) || !GetWindowRect(dialog, &window)) {
        flags |= SWP_NOMOVE | SWP_NOSIZE;
    } else {
        // The dialog's half is taken of its negative extent, so odd sizes round toward zero.
        x = (desktop.right - desktop.left) / 2 + (window.left - window.right) / 2;
        y = (desktop.bottom - desktop.top) / 2 + (window.top - window.bottom) / 2;
        width = window.right - window.left;
        height = window.bottom - window.top;
    }
    SetWindowPos(dialog, HWND_TOPMOST, x, y, width, height, flags);
    ShowWindow(dialog, SW_RESTORE);
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
