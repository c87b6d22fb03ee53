// The notice's own template, shown by the smallest program built as Corven is: the yardstick
// for Corven's start-up with the same dialog to paint, without Corven's work around it.
#include <windows.h>

#include "res/resource.h"

namespace {

INT_PTR CALLBACK BareNotice(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (wParam == IDOK || wParam == IDCANCEL) {
            EndDialog(dialog, static_cast<INT_PTR>(wParam));
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_NOTICE), nullptr, BareNotice, 0));
}
