// Who the user is on Vista to 11 and what the shell's elevated start needs: the Administrators
// membership of Corven's token, COM's apartment for the shell, and the network names of mapped
// drives, which an elevated program must use.
#include <cstring>

#include "winsim/machine.h"

namespace {

using winsim::M;

// The Administrators group, S-1-5-32-544, as a SID's bytes.
const BYTE kAdministrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};

constexpr LONG kOk = 0;
constexpr LONG kAlreadyInitialized = 1;                       // S_FALSE
constexpr LONG kChangedMode = static_cast<LONG>(0x80010106u); // RPC_E_CHANGED_MODE
constexpr DWORD kApartmentThreaded = 0x2;
constexpr DWORD kDisableOle1Dde = 0x4;
constexpr DWORD kUniversalNameLevel = 1;
constexpr DWORD kNotConnected = 2250; // ERROR_NOT_CONNECTED

} // namespace

namespace winsim {

void DenyElevationRequests()
{
    M().denyElevation = true;
}

void DuringShellStart(std::function<void()> action)
{
    M().duringShellStarts.push_back(std::move(action));
}

int ComApartments()
{
    return M().comApartments;
}

void MapNetworkDrive(char letter, const std::string& share, const std::string& hostFolder)
{
    AddDrive(letter, DRIVE_REMOTE, hostFolder);
    M().networkNames[Upper(std::string(1, letter))[0]] = share;
}

} // namespace winsim

extern "C" {

// Windows 2000 and later. A null token is the caller's own; the group held deny-only, as UAC's
// limited token holds Administrators, is not a membership.
BOOL WINAPI CheckTokenMembership(HANDLE token, void* sid, BOOL* member)
{
    if (auto fault = winsim::Fault("CheckTokenMembership")) {
        return static_cast<BOOL>(fault->result);
    }
    if (token || !sid || !member || std::memcmp(sid, kAdministrators, sizeof(kAdministrators)) != 0) {
        winsim::Problem("CheckTokenMembership of another token, or of a group other than Administrators");
        return FALSE;
    }
    winsim::Token kind = M().token;
    *member = M().vistaTo11 && kind != winsim::Token::Limited && kind != winsim::Token::Standard;
    return TRUE;
}

// One apartment per successful call (S_FALSE too), each to be ended by CoUninitialize.
HRESULT WINAPI CoInitializeEx(void* reserved, DWORD flags)
{
    if (auto fault = winsim::Fault("CoInitializeEx")) {
        M().comFailed = true;
        return static_cast<HRESULT>(fault->result);
    }
    if (reserved || flags != (kApartmentThreaded | kDisableOle1Dde)) {
        winsim::Problem(
            "CoInitializeEx with a reserved pointer, or not as the shell asks: apartment-threaded, "
            "no OLE1 DDE");
        return kChangedMode;
    }
    return M().comApartments++ == 0 ? kOk : kAlreadyInitialized;
}

void WINAPI CoUninitialize(void)
{
    winsim::Fault("CoUninitialize");
    if (M().comApartments == 0) {
        winsim::Problem("CoUninitialize without an apartment");
        return;
    }
    --M().comApartments;
}

// Level 1: a UNIVERSAL_NAME_INFO whose pointer names the text after it, in the same buffer, in the
// form's text (UTF-16 for the W one, whose path comes as UTF-8 here).
static DWORD UniversalName(const char* function, const std::string& local, bool wide, DWORD level,
                           LPVOID buffer, LPDWORD size)
{
    if (auto fault = winsim::Fault(function)) {
        return static_cast<DWORD>(fault->result);
    }
    if (level != kUniversalNameLevel || !buffer || !size) {
        winsim::Problem(std::string(function) + " at a level not simulated, or nowhere to answer");
        return ERROR_INVALID_PARAMETER;
    }
    auto share = local.size() >= 2 && local[1] == ':'
                     ? M().networkNames.find(winsim::Upper(local.substr(0, 1))[0])
                     : M().networkNames.end();
    if (share == M().networkNames.end()) {
        return kNotConnected;
    }
    std::string name = share->second + local.substr(2);
    std::u16string units = winsim::WideFromUtf8(name);
    const size_t bytes = wide ? (units.size() + 1) * 2 : name.size() + 1;
    DWORD needed = static_cast<DWORD>(sizeof(char*) + bytes);
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    char* text = static_cast<char*>(buffer) + sizeof(char*);
    std::memcpy(text, wide ? static_cast<const void*>(units.c_str()) : name.c_str(), bytes);
    std::memcpy(buffer, &text, sizeof(text));
    return NO_ERROR;
}

DWORD WINAPI WNetGetUniversalNameA(LPCSTR path, DWORD level, LPVOID buffer, LPDWORD size)
{
    if (!path) {
        winsim::Problem("WNetGetUniversalNameA without a path");
        return ERROR_INVALID_PARAMETER;
    }
    return UniversalName("WNetGetUniversalNameA", path, false, level, buffer, size);
}

DWORD WINAPI WNetGetUniversalNameW(LPCWSTR path, DWORD level, LPVOID buffer, LPDWORD size)
{
    if (!path) {
        winsim::Problem("WNetGetUniversalNameW without a path");
        return ERROR_INVALID_PARAMETER;
    }
    return UniversalName("WNetGetUniversalNameW", winsim::Utf8FromWide(path), true, level, buffer, size);
}
}
