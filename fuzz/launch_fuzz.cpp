// Any install path and flags: the command line holds the whole path, the shown name starts with
// it, and an empty or overlong path, or one holding a quote, starts nothing.
#include <algorithm>

#include "fuzz/common.h"
#include "launch/launch.h"
#include "res/resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    FreshMachine();
    int quiet = input.ConsumeBool();
    int dotFolder = input.ConsumeBool();
    std::string path = ProfileText(input.ConsumeRemainingBytesAsString());
    winsim::ForceWinExecResults({2});
    std::string shown;
    winsim::OnDialog(IDD_LAUNCHERROR, [&shown](HWND d) {
        shown = winsim::Text(d, IDC_PROGRAM);
        winsim::Click(d, IDCANCEL);
    });
    std::u16string units = PackedPath(path);
    int result = LaunchSetup(winsim::Instance(), units.c_str(), quiet, dotFolder, nullptr);
    bool startable = !path.empty() && units.size() < 260 && path.find('"') == std::string::npos;
    if (winsim::Starts().size() != (startable ? 1u : 0u)) {
        __builtin_trap();
    }
    if (startable) {
        const std::string& line = winsim::Starts()[0].commandLine;
        size_t at = line.find(path);
        bool ends = line.find("setup.exe /noprompt") != std::string::npos ||
                    line.find("setup.exe\" /noprompt") != std::string::npos;
        if (at > 1 || !ends) {
            __builtin_trap();
        }
    }
    size_t head = startable ? path.size() : 0;
    if (!quiet && (result != IDCANCEL || shown.compare(0, head, path, 0, head) != 0)) {
        __builtin_trap();
    }
    if (quiet && result != IDNO) {
        __builtin_trap();
    }
    winsim::Problems().erase(
        std::remove_if(winsim::Problems().begin(), winsim::Problems().end(),
                       [](const std::string& p) { return p.find("no user script") != std::string::npos; }),
        winsim::Problems().end());
    CheckMachine();
    return 0;
}
