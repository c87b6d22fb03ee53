// The registry: typed values under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, open keys counted.
#include <algorithm>
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

void SetRegistryUnicode(HKEY root, const std::string& key, const std::string& name, const std::string& utf8)
{
    std::u16string units = WideFromUtf8(utf8);
    std::vector<BYTE> data(reinterpret_cast<const BYTE*>(units.c_str()),
                           reinterpret_cast<const BYTE*>(units.c_str() + units.size() + 1));
    M().keys[KeyPath(root, key)][Lower(name)] = RegistryValue{REG_SZ, data, true};
}

void SetRegistryUnits(HKEY root, const std::string& key, const std::string& name, const std::u16string& units)
{
    std::vector<BYTE> data(reinterpret_cast<const BYTE*>(units.c_str()),
                           reinterpret_cast<const BYTE*>(units.c_str() + units.size()));
    M().keys[KeyPath(root, key)][Lower(name)] = RegistryValue{REG_SZ, data, true};
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

// A string value as the A functions see it: NT converts what it keeps in Unicode through the code
// page. And as the W functions see it: a string written in the code page, in Unicode.
std::vector<BYTE> InAnsi(const winsim::RegistryValue& value)
{
    std::u16string units(value.data.size() / 2, u'\0');
    std::memcpy(units.data(), value.data.data(), units.size() * 2);
    std::string ansi = winsim::UnicodeToAnsi(winsim::FromUtf16(units));
    return std::vector<BYTE>(ansi.begin(), ansi.end());
}
std::vector<BYTE> InUnicode(const winsim::RegistryValue& value)
{
    std::u16string units =
        winsim::ToUtf16(winsim::AnsiToUnicode(std::string(value.data.begin(), value.data.end())));
    return std::vector<BYTE>(reinterpret_cast<const BYTE*>(units.c_str()),
                             reinterpret_cast<const BYTE*>(units.c_str() + units.size()));
}

bool IsString(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The query of either form: name in the form's text (UTF-8 for the W one), lengths in bytes.
LSTATUS Query(const char* function, HKEY key, const std::string& name, LPDWORD reserved, LPDWORD type,
              LPBYTE data, LPDWORD size, bool wide)
{
    winsim::Machine& m = M();
    auto open = m.openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (auto fault = winsim::Fault(function)) {
        return static_cast<LSTATUS>(fault->result); // the buffer as it was
    }
    if (open == m.openKeys.end() || reserved) {
        winsim::Problem(std::string(function) + " on a key that is not open");
        return 6;
    }
    auto& values = m.keys[open->second];
    auto found = values.find(winsim::Lower(name));
    // NT's mapped [windows] section is this key's values: what the profile functions wrote.
    winsim::RegistryValue value;
    if (open->second == winsim::kWindowsKey && winsim::MapsWindowsSection()) {
        auto text = m.windowsValues.find(winsim::Lower(name));
        if (text == m.windowsValues.end()) {
            return ERROR_FILE_NOT_FOUND;
        }
        std::u16string units = winsim::ToUtf16(text->second);
        value = winsim::RegistryValue{
            REG_SZ,
            std::vector<BYTE>(reinterpret_cast<const BYTE*>(units.c_str()),
                              reinterpret_cast<const BYTE*>(units.c_str() + units.size() + 1)),
            true};
    } else if (found == values.end()) {
        return ERROR_FILE_NOT_FOUND;
    } else {
        value = found->second;
    }
    if (IsString(value.type) && value.unicode != wide) {
        value.data = wide ? InUnicode(value) : InAnsi(value);
    }
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
    // A string stored without its terminator gets one where there is room.
    const DWORD unit = wide ? 2 : 1;
    bool terminated = length >= unit &&
                      std::all_of(value.data.end() - unit, value.data.end(), [](BYTE b) { return b == 0; });
    if (IsString(value.type) && !terminated && length + unit <= *size) {
        std::memset(data + length, 0, unit);
    }
    *size = length;
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
    return Query("RegQueryValueExA", key, name ? name : "", reserved, type, data, size, false);
}

// Windows 95's is a stub.
LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD size)
{
    if (winsim::FailsAsWindows95()) {
        winsim::Fault("RegQueryValueExW");
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    return Query("RegQueryValueExW", key, winsim::Utf8FromWide(name), reserved, type, data, size, true);
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
