// The process entry of the product: no C runtime, so it hands WinMain the module and exits.
#include <windows.h>

#include "app/app.h"

extern "C" void WinMainCRTStartup()
{
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT)));
}
