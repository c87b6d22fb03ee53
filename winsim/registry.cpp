// The registry: typed values under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, open keys counted.
#include <cstring>

#include "winsim/machine.h"

namespace {

using winsim::M;

std::string RootName(HKEY root)
{
    if (root == HKEY_CURRENT_USER) {
        return "hkcu";
    }
    if (root == HKEY_LOCAL_MACHINE) {
        return "hklm";
    }
    if (root == HKEY_CLASSES_ROOT) {
        return "hkcr";
    }
    auto open = M().openKeys.find(reinterpret_cast<uintptr_t>(root));
    return open == M().openKeys.end() ? "" : open->second;
}

std::string KeyPath(HKEY root, const std::string& key)
{
    std::string base = RootName(root);
    return key.empty() ? base : base + "\\" + winsim::Lower(key);
}

} // namespace

namespace winsim {

void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                      const std::vector<BYTE>& data)
{
    M().keys[KeyPath(root, key)][Lower(name)] = RegistryValue{type, data};
}

void SetRegistryText(HKEY root, const std::string& key, const std::string& name, const std::string& text)
{
    std::vector<BYTE> data(text.begin(), text.end());
    data.push_back(0);
    SetRegistryValue(root, key, name, REG_SZ, data);
}

int OpenKeys()
{
    return static_cast<int>(M().openKeys.size());
}

int KeyOpens()
{
    return M().keyOpens;
}

void AnswerKeyOpensWithNoHandle()
{
    M().keyOpensWithNoHandle = true;
}

} // namespace winsim

namespace {

// A key of HKLM\Software as a 32-bit program on 64-bit Windows sees it: the 32-bit view, unless
// it asks for the 64-bit one, also when it opens the key from a key it opened in the 64-bit view:
// WOW64 does not carry a handle's view to the keys opened from it (Microsoft, "Accessing an
// Alternate Registry View").
std::string InView(const std::string& path, REGSAM access)
{
    const std::string software = "hklm\\software";
    const std::string node = software + "\\wow6432node";
    bool underSoftware = path.compare(0, software.size(), software) == 0 &&
                         (path.size() == software.size() || path[software.size()] == '\\');
    bool redirected = path.compare(0, node.size(), node) == 0;
    if (!M().wow64 || (access & KEY_WOW64_64KEY) || !underSoftware || redirected) {
        return path;
    }
    return node + path.substr(software.size());
}

LSTATUS OpenKey(HKEY root, LPCSTR subkey, REGSAM access, HKEY* result)
{
    winsim::Machine& m = M();
    if (auto fault = winsim::Fault("RegOpenKeyExA")) {
        *result = nullptr;
        return static_cast<LSTATUS>(fault->result);
    }
    if (m.keyOpensWithNoHandle) {
        *result = nullptr;
        return ERROR_SUCCESS;
    }
    std::string base = RootName(root);
    if (base.empty()) {
        winsim::Problem("RegOpenKeyExA on a key that is not open");
        return 6; // ERROR_INVALID_HANDLE
    }
    std::string path = InView(KeyPath(root, subkey ? subkey : ""), access);
    if (m.keys.find(path) == m.keys.end()) {
        *result = nullptr;
        return ERROR_FILE_NOT_FOUND;
    }
    uintptr_t handle = m.nextKey++;
    m.openKeys[handle] = path;
    ++m.keyOpens;
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

} // namespace

extern "C" {

LSTATUS WINAPI RegOpenKeyExA(HKEY root, LPCSTR subkey, DWORD options, REGSAM access, HKEY* result)
{
    if (options != 0 || (access & KEY_READ) != KEY_READ) {
        winsim::Problem("RegOpenKeyExA with options, or without the right to read");
    }
    return OpenKey(root, subkey, access, result);
}

LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD size)
{
    winsim::Machine& m = M();
    auto open = m.openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (auto fault = winsim::Fault("RegQueryValueExA")) {
        return static_cast<LSTATUS>(fault->result); // the buffer as it was
    }
    if (open == m.openKeys.end() || reserved) {
        winsim::Problem("RegQueryValueExA on a key that is not open");
        return 6;
    }
    auto& values = m.keys[open->second];
    auto found = values.find(winsim::Lower(name ? name : ""));
    // NT's mapped [windows] section is this key's values: what the profile functions wrote.
    winsim::RegistryValue mapped;
    if (open->second == winsim::kWindowsKey && winsim::MapsWindowsSection()) {
        auto text = m.windowsValues.find(winsim::Lower(name ? name : ""));
        if (text == m.windowsValues.end()) {
            return ERROR_FILE_NOT_FOUND;
        }
        std::string ansi = winsim::UnicodeToAnsi(text->second);
        mapped =
            winsim::RegistryValue{REG_SZ, std::vector<BYTE>(ansi.c_str(), ansi.c_str() + ansi.size() + 1)};
    } else if (found == values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const winsim::RegistryValue& value = mapped.data.empty() ? found->second : mapped;
    if (type) {
        *type = value.type;
    }
    DWORD length = static_cast<DWORD>(value.data.size());
    if (!data) {
        if (size) {
            *size = length;
        }
        return ERROR_SUCCESS;
    }
    if (!size) {
        return 87; // ERROR_INVALID_PARAMETER
    }
    if (length > *size) {
        // Windows leaves the buffer undefined here: leave it holding what looks like text.
        std::memcpy(data, value.data.data(), *size);
        *size = length;
        return ERROR_MORE_DATA;
    }
    if (length > 0) {
        std::memcpy(data, value.data.data(), length);
    }
    bool text = value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
    if (text && (length == 0 || value.data.back() != 0) && length < *size) {
        data[length] = 0;
    }
    *size = length;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY key)
{
    winsim::Fault("RegCloseKey");
    if (M().openKeys.erase(reinterpret_cast<uintptr_t>(key)) == 0) {
        winsim::Problem("RegCloseKey on a key that is not open");
        return 6;
    }
    return ERROR_SUCCESS;
}
}
