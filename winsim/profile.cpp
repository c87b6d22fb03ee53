// Profile files over real INI files, with Windows' rules for reading and rewriting them.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "winsim/machine.h"

namespace {

using winsim::Lower;
using winsim::M;

// What the profile reader takes for white space around names and values: the blank, the control
// characters 0x09 to 0x0D and ^Z (a DOS end of file, found on old CD-ROMs).
constexpr char kProfileSpace[] = " \t\n\v\f\r\x1a";

// The longest text the A functions can turn into Unicode for a write.
constexpr size_t kMaxConvertedLength = 32766;

std::string Trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(kProfileSpace);
    if (begin == std::string::npos) {
        return "";
    }
    size_t end = text.find_last_not_of(kProfileSpace);
    return text.substr(begin, end - begin + 1);
}

// The first size-1 characters of value at most.
std::string Cut(const std::string& value, DWORD size)
{
    return value.size() < size ? value : value.substr(0, size - 1);
}

// A file value as the reader copies it: a value wrapped in a pair of quotes (' or ") loses them,
// but the copy is cut before the closing quote goes, so an inside one shorter than the buffer
// loses its own last character and comes back with nSize-2 characters.
std::string CopyFileValue(const std::string& value, DWORD size)
{
    bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    if (!quoted) {
        return Cut(value, size);
    }
    std::string rest = value.substr(1);
    std::string copy = Cut(rest, size);
    if (size >= rest.size() && !copy.empty()) {
        copy.pop_back();
    }
    return copy;
}

bool IsMappedWindowsSection(const std::string& file, const std::string& section)
{
    return winsim::Lower(file) == "win.ini" && winsim::Lower(section) == "windows" &&
           winsim::MapsWindowsSection();
}

constexpr char kMappingKey[] =
    "hklm\\software\\microsoft\\windows nt\\currentversion\\inifilemapping\\win.ini";

struct Line {
    std::string text;   // without its line ending
    std::string ending; // "\r\n", "\n" or "" for the last line
};

std::vector<Line> ReadLines(const std::string& path, bool* exists)
{
    std::vector<Line> lines;
    bool ok = false;
    std::vector<BYTE> bytes = winsim::ReadHostFile(path, &ok);
    *exists = ok;
    std::string all(bytes.begin(), bytes.end());
    size_t at = 0;
    // NT ends a line at a bare CR too; Windows 95 only at LF.
    const char* endings = M().winIni == winsim::WinIni::Registry ? "\r\n" : "\n";
    while (at < all.size()) {
        size_t end = all.find_first_of(endings, at);
        if (end != std::string::npos && all[end] == '\r' && end + 1 < all.size() && all[end + 1] == '\n') {
            ++end;
        }
        Line line;
        if (end == std::string::npos) {
            line.text = all.substr(at);
            at = all.size();
        } else {
            line.text = all.substr(at, end - at);
            line.ending = all.substr(end, 1);
            at = end + 1;
        }
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.ending = "\r" + line.ending;
        }
        lines.push_back(line);
    }
    return lines;
}

bool IsSection(const std::string& text, std::string* name)
{
    std::string t = Trim(text);
    if (t.size() < 2 || t[0] != '[') {
        return false;
    }
    size_t close = t.find(']');
    if (close == std::string::npos) {
        return false;
    }
    *name = Trim(t.substr(1, close - 1));
    return true;
}

bool IsKey(const std::string& text, std::string* key, std::string* value)
{
    size_t eq = text.find('=');
    if (eq == std::string::npos) {
        return false;
    }
    *key = Trim(text.substr(0, eq));
    *value = Trim(text.substr(eq + 1));
    return true;
}

// The index of the key's line in the section, -1 when absent; also the section's span.
struct Place {
    int sectionLine = -1;
    int keyLine = -1;
    int lastLine = -1; // last non-blank line of the section
};

Place Locate(const std::vector<Line>& lines, const std::string& section, const std::string& key)
{
    Place place;
    bool inSection = false;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        std::string name, k, v;
        if (IsSection(lines[static_cast<size_t>(i)].text, &name)) {
            if (inSection) {
                break;
            }
            inSection = Lower(name) == Lower(section);
            if (inSection) {
                place.sectionLine = i;
                place.lastLine = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!Trim(lines[static_cast<size_t>(i)].text).empty()) {
            place.lastLine = i;
        }
        if (place.keyLine < 0 && IsKey(lines[static_cast<size_t>(i)].text, &k, &v) &&
            Lower(k) == Lower(key)) {
            place.keyLine = i;
        }
    }
    return place;
}

std::string HostPath(const std::string& file)
{
    if (M().windowsFolder.empty()) {
        winsim::Problem("a profile call on a machine with no Windows folder: " + file);
    }
    if (file.find('\\') != std::string::npos || file.find('/') != std::string::npos) {
        winsim::Problem("profile file with a folder is not simulated: " + file);
    }
    return M().windowsFolder + "/" + file;
}

} // namespace

namespace winsim {

const char kWindowsKey[] = "hkcu\\software\\microsoft\\windows nt\\currentversion\\windows";

void SetWinIni(WinIni kind)
{
    M().winIni = kind;
    if (kind == WinIni::Registry) {
        std::string target = "USR:Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
        M().keys[kMappingKey]["windows"] =
            RegistryValue{REG_SZ, std::vector<BYTE>(target.c_str(), target.c_str() + target.size() + 1)};
        M().keys[kWindowsKey];
    } else {
        M().keys.erase(kMappingKey);
        M().keys.erase(std::string(kMappingKey) + "\\windows");
    }
}

void MapWindowsSectionAsKey()
{
    auto& mapping = M().keys[kMappingKey];
    M().keys[std::string(kMappingKey) + "\\windows"][""] = mapping["windows"];
    mapping.erase("windows");
}

bool MapsWindowsSection()
{
    auto mapping = M().keys.find(kMappingKey);
    return (mapping != M().keys.end() && mapping->second.count("windows")) ||
           M().keys.count(std::string(kMappingKey) + "\\windows");
}

void ReportVersion(DWORD version)
{
    M().reportedVersion = version;
}

WinIni CurrentWinIni()
{
    return M().winIni;
}

void SetWindowsValue(const std::string& name, const std::string& utf8)
{
    M().windowsValues[Lower(name)] = Utf8ToUnicode(utf8);
}

bool HasWindowsValue(const std::string& name)
{
    return M().windowsValues.count(Lower(name)) != 0;
}

std::string WindowsValue(const std::string& name)
{
    auto found = M().windowsValues.find(Lower(name));
    return found == M().windowsValues.end() ? "" : UnicodeToUtf8(found->second);
}

void SetWindowsFolder(const std::string& hostFolder)
{
    M().windowsFolder = hostFolder;
}

std::string ProfileValue(const std::string& section, const std::string& key, const std::string& file)
{
    std::string value(70000, '\0');
    char noDefault[1] = {'\0'};
    InternalCall internal;
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), noDefault, &value[0],
                                       static_cast<DWORD>(value.size()), file.c_str());
    value.resize(n);
    return value;
}

std::string ProfilePath(const std::string& fileName)
{
    return HostPath(fileName);
}

void SetSystemDirectory(const std::string& path)
{
    M().systemDirectory = path;
}

void SetWow64()
{
    M().wow64 = true;
    M().systemDirectory = "C:\\WINDOWS\\system32";
    M().modulePath = "C:\\WINDOWS\\SysWOW64\\TELVANOR.101\\CORVEN.EXE";
}

void SetModulePath(const std::string& utf8)
{
    M().modulePath = utf8;
}

void SilenceWindows95Stubs()
{
    M().silentStubs = true;
}

int ProfileWrites()
{
    return M().profileWrites;
}

} // namespace winsim

extern "C" {

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out, DWORD size,
                                      LPCSTR file)
{
    if (!section || !key) {
        winsim::Problem("profile enumeration is not simulated");
        return 0;
    }
    if (!def && M().winIni == winsim::WinIni::File) {
        winsim::Problem("a NULL default: Windows 95 writes into the default to trim it");
    }
    if (size == 0) {
        return 0;
    }
    std::string fallback = def ? def : "";
    fallback.erase(fallback.find_last_not_of(' ') + 1);
    std::string value;
    if (!file && M().winIni == winsim::WinIni::File) {
        return 0; // No file: Windows 95 answers nothing and leaves the buffer as it was.
    }
    if (!file) {
        value = Cut(fallback, size); // NT answers the default
    } else if (winsim::Fault("GetPrivateProfileStringA")) {
        value = Cut(fallback, size); // a failed read gives the default, as a missing key does
    } else if (IsMappedWindowsSection(file, section)) {
        auto found = M().windowsValues.find(Lower(key));
        value = Cut(found == M().windowsValues.end() ? fallback : winsim::UnicodeToAnsi(found->second), size);
    } else {
        bool exists = false;
        std::vector<Line> lines = ReadLines(HostPath(file), &exists);
        Place place = Locate(lines, section, key);
        if (place.keyLine >= 0) {
            std::string k;
            IsKey(lines[static_cast<size_t>(place.keyLine)].text, &k, &value);
        } else {
            value = fallback;
        }
        value = CopyFileValue(value, size);
    }
    std::memcpy(out, value.data(), value.size());
    out[value.size()] = '\0';
    return static_cast<DWORD>(value.size());
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    if (auto fault = winsim::Fault("WritePrivateProfileStringA")) {
        return static_cast<BOOL>(fault->result);
    }
    ++M().profileWrites;
    // A value too long for the conversion to Unicode reaches the platform as no value at all,
    // which deletes the key, and the write still reports success.
    if (value && std::strlen(value) > kMaxConvertedLength) {
        value = nullptr;
    }
    if (section && key && file && IsMappedWindowsSection(file, section)) {
        if (value) {
            M().windowsValues[Lower(key)] = winsim::AnsiToUnicode(value);
        } else {
            M().windowsValues.erase(Lower(key));
        }
        return TRUE;
    }
    if (!file) {
        winsim::Problem("a write to a profile file of no name is not simulated");
        return FALSE;
    }
    std::string path = HostPath(file);
    struct stat info;
    bool exists = stat(path.c_str(), &info) == 0;
    // A file without its write bit plays a read-only file, also for root.
    if (exists && (info.st_mode & S_IWUSR) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!section) {
        winsim::Problem("profile flush is not simulated");
        return FALSE;
    }
    std::vector<Line> lines = ReadLines(path, &exists);
    std::string ending = "\r\n";
    if (!lines.empty() && !lines[0].ending.empty()) {
        ending = lines[0].ending;
    }
    Place place = Locate(lines, section, key ? key : "");
    if (!key) {
        winsim::Problem("deleting a profile section is not simulated");
        return FALSE;
    }
    if (!value) {
        if (place.keyLine >= 0) {
            lines.erase(lines.begin() + place.keyLine);
        }
    } else {
        Line entry{std::string(key) + "=" + value, ending};
        if (place.keyLine >= 0) {
            entry.ending = lines[static_cast<size_t>(place.keyLine)].ending;
            if (entry.ending.empty() && place.keyLine + 1 < static_cast<int>(lines.size())) {
                entry.ending = ending;
            }
            lines[static_cast<size_t>(place.keyLine)] = entry;
        } else if (place.sectionLine >= 0) {
            Line& last = lines[static_cast<size_t>(place.lastLine)];
            if (last.ending.empty()) {
                last.ending = ending;
            }
            lines.insert(lines.begin() + place.lastLine + 1, entry);
        } else {
            if (!lines.empty() && lines.back().ending.empty()) {
                lines.back().ending = ending;
            }
            lines.push_back(Line{"[" + std::string(section) + "]", ending});
            lines.push_back(entry);
        }
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    // Every byte of the other lines goes back, a NUL among them.
    for (const Line& line : lines) {
        std::fwrite(line.text.data(), 1, line.text.size(), out);
        std::fwrite(line.ending.data(), 1, line.ending.size(), out);
    }
    std::fclose(out);
    return TRUE;
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size)
{
    if (auto fault = winsim::Fault("GetSystemDirectoryA")) {
        return static_cast<UINT>(fault->result);
    }
    const std::string& dir = M().systemDirectory;
    if (dir.size() >= size) {
        return static_cast<UINT>(dir.size() + 1);
    }
    std::memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<UINT>(dir.size());
}
}

// The W forms: NT's keep the registry-kept [windows] section in Unicode as it is; Windows 95's are
// stubs that fail and touch nothing.
namespace winsim {

bool FailsAsWindows95()
{
    if (M().winIni != winsim::WinIni::File) {
        return false;
    }
    if (!M().silentStubs) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    }
    return true;
}

} // namespace winsim

namespace {

using winsim::FailsAsWindows95;

// The path the program was started from, in Unicode.
std::u32string ModulePath()
{
    return M().modulePath.empty() ? winsim::AnsiToUnicode(M().systemDirectory + "\\TELVANOR.101\\CORVEN.EXE")
                                  : winsim::Utf8ToUnicode(M().modulePath);
}

// What GetModuleFileName does with a path and a buffer of `size` characters: a path that does not
// fit comes back cut to the buffer, with no terminator, and the result is the size (Windows XP;
// later systems terminate it and set ERROR_INSUFFICIENT_BUFFER).
template <typename Char> DWORD CopyModulePath(const std::basic_string<Char>& path, Char* buffer, DWORD size)
{
    if (path.size() >= size) {
        std::copy(path.begin(), path.begin() + size, buffer);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy(path.begin(), path.end(), buffer);
    buffer[path.size()] = 0;
    return static_cast<DWORD>(path.size());
}

std::string Narrow(LPCWSTR text)
{
    return text ? winsim::UnicodeToAnsi(winsim::FromUtf16(text)) : std::string();
}

} // namespace

extern "C" {

DWORD WINAPI GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR def, LPWSTR out, DWORD size,
                                      LPCWSTR file)
{
    if (FailsAsWindows95()) {
        return 0;
    }
    if (!section || !key || !file || !IsMappedWindowsSection(Narrow(file), Narrow(section))) {
        winsim::Problem("the W profile functions are simulated for win.ini's [windows] on NT only");
        return 0;
    }
    if (size == 0) {
        return 0;
    }
    std::u16string value = def ? def : u"";
    value.erase(value.find_last_not_of(u' ') + 1);
    auto found = M().windowsValues.find(Lower(Narrow(key)));
    if (winsim::Fault("GetPrivateProfileStringW")) {
        found = M().windowsValues.end(); // a failed read gives the default, as a missing key does
    }
    if (found != M().windowsValues.end()) {
        value = winsim::ToUtf16(found->second);
    }
    if (value.size() >= size) {
        value.resize(size - 1);
    }
    std::copy(value.begin(), value.end(), out);
    out[value.size()] = 0;
    return static_cast<DWORD>(value.size());
}

BOOL WINAPI WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file)
{
    if (FailsAsWindows95()) {
        return FALSE;
    }
    if (!section || !key || !file || !IsMappedWindowsSection(Narrow(file), Narrow(section))) {
        winsim::Problem("the W profile functions are simulated for win.ini's [windows] on NT only");
        return FALSE;
    }
    if (auto fault = winsim::Fault("WritePrivateProfileStringW")) {
        return static_cast<BOOL>(fault->result);
    }
    ++M().profileWrites;
    if (value) {
        M().windowsValues[Lower(Narrow(key))] = winsim::FromUtf16(value);
    } else {
        M().windowsValues.erase(Lower(Narrow(key)));
    }
    return TRUE;
}

UINT WINAPI GetSystemDirectoryW(LPWSTR buffer, UINT size)
{
    if (FailsAsWindows95()) {
        return 0;
    }
    if (auto fault = winsim::Fault("GetSystemDirectoryW")) {
        return static_cast<UINT>(fault->result);
    }
    std::u16string dir = winsim::ToUtf16(winsim::AnsiToUnicode(M().systemDirectory));
    if (dir.size() >= size) {
        return static_cast<UINT>(dir.size() + 1);
    }
    std::copy(dir.begin(), dir.end(), buffer);
    buffer[dir.size()] = 0;
    return static_cast<UINT>(dir.size());
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    if (FailsAsWindows95()) {
        return 0;
    }
    if (auto fault = winsim::Fault("GetModuleFileNameW")) {
        return static_cast<DWORD>(fault->result);
    }
    if (module) {
        winsim::Problem("GetModuleFileNameW of a module other than the program's");
        return 0;
    }
    return CopyModulePath(winsim::ToUtf16(ModulePath()), buffer, size);
}
}
