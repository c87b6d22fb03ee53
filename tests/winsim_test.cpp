// winsim's own subtle parts: the INI rewrite, the sorted upper-case combo box, ERROR_MORE_DATA,
// the root list's sizes, wsprintfA's limit, and NT's Unicode beside the A functions' code page.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <string>

#include "res/resource.h"
#include "support/fixture.h"

namespace {
class WinsimTest : public MachineTest {};
} // namespace

TEST_F(WinsimTest, ProfileFollowsWindowsRules)
{
    WriteWinIni("; comment\r\n[Windows]\r\n  LOAD =  \"quoted\"  \r\nrun=x\r\n\r\n[other]\r\nload=no\r\n");
    EXPECT_EQ(winsim::ProfileValue("windows", "load", "win.ini"), "quoted"); // names and blanks as Windows
    EXPECT_EQ(winsim::ProfileValue("windows", "none", "win.ini"), "");
    EXPECT_TRUE(WritePrivateProfileStringA("windows", "load", "", "win.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("windows", "new", "1", "win.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("added", "k", "v", "win.ini"));
    EXPECT_EQ(
        ReadWinIni(),
        "; comment\r\n[Windows]\r\nload=\r\nrun=x\r\nnew=1\r\n\r\n[other]\r\nload=no\r\n[added]\r\nk=v\r\n");
    MakeWinIniReadOnly();
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA("windows", "load", "x", "win.ini"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(WinsimTest, WindowsSectionOnBothKindsOfWinIni)
{
    struct ReadCase {
        const char* name;
        winsim::WinIni kind;
        std::string stored; // the file's line, or the registry's Unicode text as UTF-8
        DWORD size;
        std::string read;
    };
    // clang-format off
    const ReadCase cases[] = {
        {.name = "file: quotes stripped", .kind = winsim::WinIni::File, .stored = "load=\"abc\"", .size = 16, .read = "abc"},
        {.name = "file: cut to nSize-1", .kind = winsim::WinIni::File, .stored = "load=abcdef", .size = 4, .read = "abc"},
        {.name = "file: inside one shorter than the buffer loses its end", .kind = winsim::WinIni::File, .stored = "load='abcd'", .size = 5, .read = "abc"},
        {.name = "file: control characters and ^Z trimmed", .kind = winsim::WinIni::File, .stored = "load=\x1a\tvalue\x0b ", .size = 16, .read = "value"},
        {.name = "registry: quotes and blanks kept", .kind = winsim::WinIni::Registry, .stored = " \"q\" ", .size = 16, .read = " \"q\" "},
        {.name = "registry: ? for what the code page lacks", .kind = winsim::WinIni::Registry, .stored = "C:\\\u041f\\\u00e9", .size = 16, .read = "C:\\?\\\xe9"},
        {.name = "registry: cut to nSize-1", .kind = winsim::WinIni::Registry, .stored = "abcdef", .size = 4, .read = "abc"},
    };
    // clang-format on
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        winsim::SetWinIni(c.kind);
        if (c.kind == winsim::WinIni::File) {
            WriteWinIni("[windows]\r\n" + c.stored + "\r\n");
        } else {
            winsim::SetWindowsValue("load", c.stored);
        }
        char value[16];
        EXPECT_EQ(GetPrivateProfileStringA("windows", "load", "", value, c.size, "win.ini"), c.read.size());
        EXPECT_EQ(std::string(value), c.read);
    }

    // The registry keeps what the A functions write as Unicode, whatever the file's state.
    WriteWinIni("[windows]\r\n");
    MakeWinIniReadOnly();
    EXPECT_TRUE(WritePrivateProfileStringA("windows", "load", "\xe9", "win.ini"));
    EXPECT_EQ(winsim::WindowsValue("load"), "\u00e9");
    // A value too long for the conversion to Unicode deletes the value, on both kinds.
    const std::string tooLong(32767, 'x');
    EXPECT_TRUE(WritePrivateProfileStringA("windows", "load", tooLong.c_str(), "win.ini"));
    EXPECT_FALSE(winsim::HasWindowsValue("load"));
    winsim::SetWinIni(winsim::WinIni::File);
    ASSERT_EQ(chmod(winsim::ProfilePath("win.ini").c_str(), 0644), 0);
    WriteWinIni("[windows]\r\nload=x\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("windows", "load", tooLong.c_str(), "win.ini"));
    EXPECT_EQ(ReadWinIni(), "[windows]\r\n");
}

// Where Windows 95 and NT read and rewrite a profile file differently, and where NT's mapped
// [windows] section is one with its registry key.
TEST_F(WinsimTest, ProfileFilesAsEachWindowsKeepsThem)
{
    struct Case {
        const char* name;
        winsim::WinIni kind;
        std::string file;                 // win.ini before
        std::function<std::string()> act; // what a program does, and what it got
        std::string got;
        std::string after; // win.ini afterwards; empty: as before
    };
    auto read = [](const char* file) {
        return [file] {
            char value[16] = "unchanged";
            char def[] = "dflt";
            DWORD n = GetPrivateProfileStringA("a", "k", def, value, sizeof(value), file);
            return std::to_string(n) + ":" + value;
        };
    };
    auto writeY = [] { return std::to_string(WritePrivateProfileStringA("a", "y", "2", "win.ini")); };
    auto registryLoad = [] {
        WritePrivateProfileStringA("windows", "load", "c:\\a.exe", "win.ini");
        HKEY key = nullptr;
        char value[16] = {};
        DWORD size = sizeof(value);
        LSTATUS status = RegOpenKeyExA(
            HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows", 0, KEY_READ, &key);
        if (status == ERROR_SUCCESS) {
            status = RegQueryValueExA(key, "load", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
            RegCloseKey(key);
        }
        return std::to_string(status) + ":" + value;
    };
    const std::string nul("[a]\r\nx=1\0tail\r\n[b]\r\n", 20);
    // clang-format off
    const Case cases[] = {
        {"Windows 95 keeps the bytes after a NUL on a line it rewrites", winsim::WinIni::File, nul, writeY, "1", std::string("[a]\r\nx=1\0tail\r\ny=2\r\n[b]\r\n", 25)},
        {"so does NT", winsim::WinIni::Registry, nul, writeY, "1", std::string("[a]\r\nx=1\0tail\r\ny=2\r\n[b]\r\n", 25)},
        {"NT ends a line at a bare CR", winsim::WinIni::Registry, "[a]\rk=v\r", read("win.ini"), "1:v", ""},
        {"Windows 95 does not", winsim::WinIni::File, "[a]\rk=v\r", read("win.ini"), "4:dflt", ""},
        {"no file name: NT gives the default", winsim::WinIni::Registry, "", read(nullptr), "4:dflt", ""},
        {"no file name: Windows 95 gives nothing and leaves the buffer (Wine's profile test)", winsim::WinIni::File, "", read(nullptr), "0:unchanged", ""},
        {"NT's mapped load value is its registry key's", winsim::WinIni::Registry, "", registryLoad, "0:c:\\a.exe", ""},
        {"Windows 95 has no such key", winsim::WinIni::File, "[windows]\r\n", registryLoad, "2:", "[windows]\r\nload=c:\\a.exe\r\n"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NextRow();
        winsim::SetWinIni(c.kind);
        WriteWinIni(c.file);
        EXPECT_EQ(c.act(), c.got);
        EXPECT_EQ(ReadWinIni(), c.after.empty() ? c.file : c.after);
    }
}

TEST_F(WinsimTest, DialogManagerHonoursWhatTheProcedureReturns)
{
    // TRUE from WM_INITDIALOG gives the focus to the first tab stop; TRUE from WM_PAINT means the
    // procedure painted, so nothing validated the window and it still needs paint.
    static INT_PTR s_answer;
    for (INT_PTR answer : {TRUE, FALSE}) {
        s_answer = answer;
        winsim::OnDialog(IDD_NOTICE, [answer](HWND d) {
            EXPECT_EQ(winsim::Focus(), answer ? winsim::Control(d, IDOK) : nullptr);
            EXPECT_EQ(winsim::NeedsPaint(d), answer == TRUE);
            EndDialog(d, 1);
        });
        OpenDialog(IDD_NOTICE, [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
            return message == WM_INITDIALOG || message == WM_PAINT ? s_answer : FALSE;
        });
    }
}

TEST_F(WinsimTest, ComboSortsUpperCasedItems)
{
    winsim::OnDialog(IDD_DISKPROMPT, [](HWND d) {
        HWND combo = GetDlgItem(d, IDC_DRIVE);
        auto add = [combo](const char* text) {
            return SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        };
        EXPECT_EQ(add("d:\\"), 0);
        EXPECT_EQ(add("A:\\"), 0);
        EXPECT_EQ(add("e:\\"), 2);
        EXPECT_EQ(add("E:\\"), 2); // an equal item goes before the one found
        EXPECT_EQ(winsim::ComboItems(d, IDC_DRIVE),
                  (std::vector<std::string>{"A:\\", "D:\\", "E:\\", "E:\\"}));
        EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 9, 0), CB_ERR);
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
        winsim::TypeText(d, IDC_DRIVE, "x:\\typed");
        char text[8];
        EXPECT_EQ(SendMessageA(combo, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text)), 7);
        EXPECT_STREQ(text, "X:\\TYPE");
        EndDialog(d, 5);
    });
    EXPECT_EQ(OpenDialog(IDD_DISKPROMPT, BareDialog), 5);
}

TEST_F(WinsimTest, RegistryAnswersMoreDataWithJunkLeft)
{
    winsim::SetRegistryText(HKEY_CURRENT_USER, "K", "v", "0123456789");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "k", 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE buffer[4] = {0, 0, 0, 0};
    DWORD size = sizeof(buffer);
    EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    EXPECT_NE(buffer[0], 0);
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(winsim::OpenKeys(), 1);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    // An empty value, found by the fuzzer: read as the empty text, terminated when there is room.
    winsim::SetRegistryValue(HKEY_CURRENT_USER, "K", "empty", REG_SZ, {});
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "k", 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE text[4] = {'x', 'x', 'x', 'x'};
    size = sizeof(text);
    EXPECT_EQ(RegQueryValueExA(key, "empty", nullptr, nullptr, text, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(text[0], 0);
    RegCloseKey(key);
}

TEST_F(WinsimTest, RootListSizes)
{
    winsim::AddDrive('c', DRIVE_FIXED);
    winsim::AddDrive('E', DRIVE_CDROM);
    char buffer[16];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(GetLogicalDriveStringsA(8, buffer), 9u); // too small: the size needed, buffer alone
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(GetLogicalDriveStringsA(sizeof(buffer), buffer), 8u);
    EXPECT_EQ(std::string(buffer, 9), std::string("C:\\\0E:\\\0\0", 9));
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 4));
    EXPECT_EQ(GetDriveTypeA("e:\\"), static_cast<UINT>(DRIVE_CDROM));
    EXPECT_EQ(GetDriveTypeA("Q:\\"), static_cast<UINT>(DRIVE_NO_ROOT_DIR));
}

TEST_F(WinsimTest, FormatsAsWindowsDoes)
{
    char out[1100];
    EXPECT_EQ(wsprintfA(out, "%s\\%s %d%%", "a", "b", 42), 7);
    EXPECT_STREQ(out, "a\\b 42%");
    std::string big(2000, 'z');
    EXPECT_EQ(wsprintfA(out, "%s", big.c_str()), 1023);
    char small[4];
    EXPECT_STREQ(lstrcpynA(small, "abcdef", sizeof(small)), "abc");
}

// NT's text in Unicode: what the A functions make of a name the code page (1252) lacks, and what
// the W functions keep; Windows 95's W functions are stubs.
TEST_F(WinsimTest, NtKeepsTextInUnicodeAndTheAFunctionsConvertIt)
{
    const std::string russian = "C:\\\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430"; // C:\Установка
    const std::u16string name = u"a";
    for (winsim::WinIni kind : {winsim::WinIni::Registry, winsim::WinIni::File}) {
        SCOPED_TRACE(kind == winsim::WinIni::Registry ? "NT" : "Windows 95");
        const bool nt = kind == winsim::WinIni::Registry;
        winsim::SetWinIni(kind);
        winsim::SetRegistryUnicode(HKEY_CURRENT_USER, "K", "a", russian);
        winsim::AddDrive('C', DRIVE_FIXED, MakeFolder("c"));
        MakeFile(root_ + "/c", "\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430/SETUP.EXE");
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
        char ansi[64] = {};
        DWORD size = sizeof(ansi);
        EXPECT_EQ(RegQueryValueExA(key, "a", nullptr, nullptr, reinterpret_cast<BYTE*>(ansi), &size),
                  ERROR_SUCCESS);
        EXPECT_STREQ(ansi, "C:\\?????????");
        WCHAR wide[64] = {};
        size = sizeof(wide);
        LSTATUS status =
            RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(wide), &size);
        EXPECT_EQ(status, nt ? ERROR_SUCCESS : ERROR_CALL_NOT_IMPLEMENTED);
        EXPECT_EQ(winsim::Utf8FromWide(wide), nt ? russian : "");
        RegCloseKey(key);
        // Files are named in Unicode: the W look finds the folder, the A one not through '?'.
        std::u16string path = winsim::WideFromUtf8(russian + "\\setup.exe");
        EXPECT_EQ(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, nt);
        EXPECT_EQ(GetFileAttributesA("C:\\?????????\\setup.exe"), INVALID_FILE_ATTRIBUTES);
        // On NT a Unicode dialog's combo box keeps the text; an ANSI one gets it through the code page.
        for (bool unicodeDialog : {false, true}) {
            if (!nt) {
                break;
            }
            std::string seenA, seenW;
            winsim::OnDialog(IDD_DISKPROMPT, [&](HWND d) {
                EXPECT_EQ(winsim::IsUnicodeWindow(d), unicodeDialog);
                HWND combo = GetDlgItem(d, IDC_DRIVE);
                std::u16string text = winsim::WideFromUtf8(russian);
                SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
                char bytes[64] = {};
                SendMessageA(combo, WM_GETTEXT, sizeof(bytes), reinterpret_cast<LPARAM>(bytes));
                seenA = bytes;
                WCHAR units[64] = {};
                SendMessageW(combo, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(units));
                seenW = winsim::Utf8FromWide(units);
                EndDialog(d, 1);
            });
            if (unicodeDialog) {
                DialogBoxParamW(winsim::Instance(),
                                reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(IDD_DISKPROMPT)), nullptr,
                                BareDialog, 0);
            } else {
                DialogBoxParamA(winsim::Instance(), MAKEINTRESOURCEA(IDD_DISKPROMPT), nullptr, BareDialog, 0);
            }
            EXPECT_EQ(seenA, "C:\\?????????");
            EXPECT_EQ(seenW, unicodeDialog ? russian : "C:\\?????????");
        }
        NextRow();
    }
}
