// The smallest dialog program built as Corven is: the yardstick for Corven's start-up time.
#include <windows.h>

#include "minimal.h"

namespace {

INT_PTR CALLBACK MinimalDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
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
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MINIMAL), nullptr, MinimalDialog, 0));
}
