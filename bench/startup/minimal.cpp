// The smallest dialog program built as Corven is: the yardstick for Corven's start-up. It shows
// one template, YARDSTICK_DIALOG (its own one-button dialog, or Corven's notice), and nothing more.
#include <windows.h>

#include "minimal.h"
#include "res/resource.h"

namespace {

INT_PTR CALLBACK BareDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
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
        DialogBoxParamA(instance, MAKEINTRESOURCEA(YARDSTICK_DIALOG), nullptr, BareDialog, 0));
}
