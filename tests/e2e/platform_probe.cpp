// The platform probe: the checks of tests/platform/cases.h against the real platform, for the code
// page Wine takes from the locale. Usage: platform_probe.exe CODEPAGE (the one the locale gives).
// Exit 0 when every check held; each failure is printed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/cases.h"

namespace {

void Print(const char* what, int detail)
{
    std::printf("FAIL: %s 0x%x\n", what, static_cast<unsigned>(detail));
}

} // namespace

int main(int argc, char** argv)
{
    // Started by the shell's check below: nothing to do.
    if (argc > 1 && lstrcmpA(argv[1], "/noprompt") == 0) {
        return 0;
    }
    UINT expected = argc > 1 ? static_cast<UINT>(std::strtoul(argv[1], nullptr, 10)) : 0;
    if (GetACP() != expected) {
        std::printf("FAIL: the code page is %u, not %u (is the locale installed?)\n", GetACP(), expected);
        return 1;
    }
    int failures = platform::CheckCodePage(expected, Print);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof(self));
    failures +=
        platform::CheckShellStart(self, "C:\\no-such-setup.exe", "C:\\no such folder\\setup.exe", Print);
    failures += platform::CheckAdministratorToken(Print);
    std::printf("code page %u: %d failure(s)\n", expected, failures);
    return failures == 0 ? 0 : 1;
}
