// Drives: a table of letter, type and host folder, with fault hooks for the inventory's queries.
#include <cstring>

#include "winsim/machine.h"

namespace {

using winsim::M;

std::string RootList()
{
    winsim::Machine& m = M();
    if (!m.faults.rootLists.empty()) {
        size_t at = static_cast<size_t>(m.rootQueries - 1);
        return m.faults.rootLists[at < m.faults.rootLists.size() ? at : m.faults.rootLists.size() - 1];
    }
    std::string list;
    for (const auto& drive : m.drives) {
        list += drive.first;
        list += ":\\";
        list += '\0';
    }
    list += '\0';
    return list;
}

} // namespace

namespace winsim {

void AddDrive(char letter, UINT type, const std::string& hostFolder)
{
    char upper = static_cast<char>(letter >= 'a' && letter <= 'z' ? letter - 'a' + 'A' : letter);
    M().drives[upper] = {type, hostFolder};
}

DriveFaults& Drives()
{
    return M().faults;
}

int RootQueries()
{
    return M().rootQueries;
}

} // namespace winsim

extern "C" {

DWORD WINAPI GetLogicalDrives(void)
{
    winsim::Machine& m = M();
    if (auto fault = winsim::Fault("GetLogicalDrives")) {
        return static_cast<DWORD>(fault->result);
    }
    DWORD mask = 0;
    for (const auto& drive : m.drives) {
        mask |= 1u << (drive.first - 'A');
    }
    for (const auto& late : m.faults.lateDrives) {
        winsim::AddDrive(late.first, late.second);
    }
    m.faults.lateDrives.clear();
    return mask;
}

DWORD WINAPI GetLogicalDriveStringsA(DWORD length, LPSTR buffer)
{
    winsim::Machine& m = M();
    ++m.rootQueries;
    if (auto fault = winsim::Fault("GetLogicalDriveStringsA")) {
        return static_cast<DWORD>(fault->result);
    }
    std::string list = RootList();
    // The list's size with its final NUL; too big a list leaves the buffer alone.
    if (list.size() > length) {
        return static_cast<DWORD>(list.size());
    }
    std::memcpy(buffer, list.data(), list.size());
    return static_cast<DWORD>(list.size() - 1);
}

UINT WINAPI GetDriveTypeA(LPCSTR root)
{
    winsim::Machine& m = M();
    if (auto fault = winsim::Fault("GetDriveTypeA")) {
        return static_cast<UINT>(fault->result);
    }
    auto typed = m.faults.rootTypes.find(root);
    if (typed != m.faults.rootTypes.end()) {
        return typed->second;
    }
    std::string text = root;
    if (text.size() == 3 && text[1] == ':' && text[2] == '\\') {
        auto drive = m.drives.find(winsim::Upper(text.substr(0, 1))[0]);
        if (drive != m.drives.end()) {
            return drive->second.first;
        }
    }
    return DRIVE_NO_ROOT_DIR;
}
}
