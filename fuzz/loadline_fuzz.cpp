// Any load value, either kind of Windows, any of the five code pages and any system directory:
// after a removal every entry other than Corven's is still on the line, in order and to the byte
// (to the character in the registry's Unicode), whatever separates them; adding never cuts the
// line; nothing is overrun.
#include <algorithm>
#include <fstream>

#include "fuzz/common.h"
#include "loadline/loadline.h"

namespace {

constexpr UINT kCodePages[] = {1252, 932, 936, 949, 950};

[[noreturn]] void Finding(const char* what, const std::string& systemDir, const std::string& before,
                          const std::string& after)
{
    std::fprintf(stderr, "%s\ncode page %u\nsystem directory [%s]\nbefore [%s]\nafter  [%s]\n", what,
                 winsim::CodePage(), systemDir.c_str(), before.c_str(), after.c_str());
    __builtin_trap();
}

// Entries as a win.ini file gives them back: the platform trims white space and ^Z at the value's
// two ends, so the first entry may lose its head and the last its tail there.
std::vector<std::string> TrimmedEnds(std::vector<std::string> entries)
{
    const char* space = " \t\n\v\f\r\x1a";
    if (!entries.empty()) {
        entries.front().erase(0, entries.front().find_first_not_of(space));
        entries.back().erase(entries.back().find_last_not_of(space) + 1);
    }
    entries.erase(std::remove(entries.begin(), entries.end(), std::string()), entries.end());
    return entries;
}

bool InRegistry()
{
    return winsim::CurrentWinIni() == winsim::WinIni::Registry;
}

// The load value as it is kept: the file's bytes as the A functions read them, or the registry's
// Unicode as UTF-8.
std::string ReadLoad()
{
    return InRegistry() ? winsim::WindowsValue("load") : winsim::ProfileValue("windows", "load", "win.ini");
}

// The line as an installation would have left it, where this kind of win.ini keeps it.
void WriteLoad(const std::string& load)
{
    if (InRegistry()) {
        WritePrivateProfileStringA("windows", "load", load.c_str(), "win.ini");
    } else {
        std::ofstream(winsim::ProfilePath("win.ini"), std::ios::binary)
            << "[windows]\r\nload=" << load << "\r\n";
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    FreshMachine();
    winsim::SetWinIni(input.ConsumeBool() ? winsim::WinIni::Registry : winsim::WinIni::File);
    winsim::SetCodePage(kCodePages[input.ConsumeIntegralInRange<size_t>(0, 4)]);
    // A system directory holding a separator or a quote could not be listed on the line as one
    // entry at all: such directories are left out.
    std::string systemDir;
    for (char c : ProfileText(input.ConsumeRandomLengthString(300))) {
        if (c != ' ' && c != '\t' && c != ',' && c != '"') {
            systemDir += c;
        }
    }
    std::string load = ProfileText(input.ConsumeRemainingBytesAsString());
    winsim::SetSystemDirectory(systemDir);
    WriteLoad(load);
    std::string before = ReadLoad();
    const bool codePage = !InRegistry();

    int result = RemoveSelfFromLoadLine();
    std::string after = ReadLoad();
    std::vector<std::string> was = Entries(before, codePage);
    std::vector<std::string> is = Entries(after, codePage);
    if (after != before) {
        // One entry went, and it was one of Corven's two forms, bare or in quotes, letter case aside.
        std::string dir = InRegistry() ? winsim::Utf8FromAnsi(systemDir) : systemDir;
        const std::string full = Folded(dir + "\\TELVANOR.101\\CORVEN.EXE", codePage);
        const std::string relative = "SYSTEM\\TELVANOR.101\\CORVEN.EXE";
        bool found = false;
        for (size_t i = 0; i < was.size() && !found; ++i) {
            std::string entry = Folded(was[i], codePage);
            if (entry == full || entry == relative || entry == "\"" + full + "\"" ||
                entry == "\"" + relative + "\"") {
                std::vector<std::string> rest = was;
                rest.erase(rest.begin() + static_cast<long>(i));
                found = TrimmedEnds(rest) == TrimmedEnds(is);
            }
        }
        if (!found || result != 1) {
            Finding("the line changed other than by losing one of Corven's entries", systemDir, before,
                    after);
        }
    } else if (result == 1 && !before.empty() && before != "\x7f") {
        // (A line of the one character DEL reads as the read's default: no line, nothing to remove.)
        Finding("a removal reported where nothing was written", systemDir, before, after);
    }

    AddToLoadLine("TELVANOR.EXE");
    // Every entry stays, in order; the old last entry, no longer at the end, keeps what the
    // platform trimmed there before.
    std::vector<std::string> added = TrimmedEnds(Entries(ReadLoad(), codePage));
    std::vector<std::string> kept = TrimmedEnds(is);
    bool cut = added.size() < kept.size();
    for (size_t i = 0; i < kept.size() && !cut; ++i) {
        cut =
            added[i].compare(0, kept[i].size(), kept[i]) != 0 || (i + 1 < kept.size() && added[i] != kept[i]);
    }
    if (cut) {
        Finding("adding cut the line", systemDir, after, ReadLoad());
    }
    CheckMachine();
    return 0;
}
