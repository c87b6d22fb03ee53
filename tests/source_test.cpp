// The install source: the recorded location, the drive inventory and the drive chooser, with the
// registry and drive faults the platform can show, and every key and block released on every path.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/base.h"
#include "res/resource.h"
#include "source/source.h"
#include "support/fixture.h"
#include "ui/ui.h"

namespace {

constexpr char kKey[] = "InstallLocationsMRU";

class SourceTest : public MachineTest {
protected:
    std::string Lookup()
    {
        WCHAR path[kInstallPathSize + 8];
        std::fill(std::begin(path), std::end(path), u'Z');
        FindInstallLocation(path);
        EXPECT_EQ(std::u16string(path + kInstallPathSize, path + kInstallPathSize + 8),
                  std::u16string(8, u'Z'))
            << "written past the install path";
        return PathText(path);
    }

    // A machine with a removable A:, a fixed D: and a CD-ROM E:.
    void UsualDrives()
    {
        winsim::AddDrive('A', DRIVE_REMOVABLE);
        winsim::AddDrive('D', DRIVE_FIXED);
        winsim::AddDrive('E', DRIVE_CDROM);
    }

    // The chooser as the disk prompt holds it, filled for preferred.
    struct Chooser {
        std::vector<std::string> items;
        int selection;
    };
    Chooser Fill(const std::string& preferred)
    {
        Chooser seen{};
        winsim::OnDialog(IDD_DISKPROMPT, [&seen, preferred](HWND d) {
            FillDriveChooser(GetDlgItem(d, IDC_DRIVE), PathUnits(preferred).c_str());
            seen.items = winsim::ComboItems(d, IDC_DRIVE);
            seen.selection = winsim::ComboSelection(d, IDC_DRIVE);
            EndDialog(d, 1);
        });
        OpenDialog(IDD_DISKPROMPT, BareDialog);
        return seen;
    }

    std::vector<std::string> Roots()
    {
        int count = -1;
        DriveEntry* drives = EnumerateDrives(&count);
        std::vector<std::string> roots;
        for (int i = 0; i < count; ++i) {
            roots.push_back(drives[i].RootPath + std::string("=") + std::to_string(drives[i].DriveType));
        }
        if (drives) {
            HeapFree(GetProcessHeap(), 0, drives);
        } else {
            EXPECT_EQ(count, 0);
        }
        return roots;
    }
};

// A literal's bytes, the zero bytes written in it included.
template <size_t N> std::vector<BYTE> Bytes(const char (&text)[N])
{
    return std::vector<BYTE>(text, text + N - 1);
}

} // namespace

TEST_F(SourceTest, RecordedLocationWinsAsStored)
{
    UsualDrives();
    struct Case {
        const char* name;
        std::string order;
        std::vector<std::pair<std::string, std::vector<BYTE>>> values;
        DWORD type;
        std::string expected;
    };
    // clang-format off
    const Case cases[] = {
        {.name = "the value MRUList names", .order = "a", .values = {{"a", Bytes("D:\\Drivers\0")}}, .type = REG_SZ, .expected = "D:\\Drivers"},
        {.name = "only the first letter counts", .order = "ba", .values = {{"a", Bytes("C:\\A\0")}, {"b", Bytes("C:\\B\0")}}, .type = REG_SZ, .expected = "C:\\B"},
        {.name = "no trailing backslash added", .order = "c", .values = {{"c", Bytes("F:\0")}}, .type = REG_SZ, .expected = "F:"},
        {.name = "a non-text value up to its first zero", .order = "a", .values = {{"a", Bytes("G:\\X\0junk")}}, .type = REG_BINARY, .expected = "G:\\X"},
        {.name = "a string stored without its NUL", .order = "a", .values = {{"a", Bytes("H:\\NoNul")}}, .type = REG_SZ, .expected = "H:\\NoNul"},
        {.name = "an empty record falls to the CD-ROM", .order = "a", .values = {{"a", Bytes("\0")}}, .type = REG_SZ, .expected = "E:\\"},
        {.name = "the named value missing", .order = "z", .values = {{"a", Bytes("C:\\A\0")}}, .type = REG_SZ, .expected = "E:\\"},
        {.name = "a location holding a quote is none", .order = "a", .values = {{"a", Bytes("C:\\evil.exe\" \"x\0")}}, .type = REG_SZ, .expected = "E:\\"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UsualDrives();
        winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "MRUList", c.order);
        for (const auto& value : c.values) {
            winsim::SetRegistryValue(HKEY_CURRENT_USER, kKey, value.first, c.type, value.second);
        }
        EXPECT_EQ(Lookup(), c.expected);
        EXPECT_EQ(winsim::KeyOpens(), 2);
        NextRow(); // checks what this row left
    }
}

TEST_F(SourceTest, MissingOrderReadsTheDefaultValue)
{
    UsualDrives();
    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "", "C:\\Default");
    EXPECT_EQ(Lookup(), "C:\\Default");
    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "", "");
    EXPECT_EQ(Lookup(), "E:\\");
}

TEST_F(SourceTest, KeyElsewhereOrUnopenableFallsToTheCdRom)
{
    UsualDrives();
    winsim::SetRegistryText(HKEY_LOCAL_MACHINE, kKey, "MRUList", "a");
    winsim::SetRegistryText(HKEY_LOCAL_MACHINE, kKey, "a", "C:\\Machine");
    EXPECT_EQ(Lookup(), "E:\\");
    EXPECT_EQ(winsim::KeyOpens(), 0);

    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "a", "C:\\User");
    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "MRUList", "a");
    winsim::AnswerKeyOpensWithNoHandle(); // success with no handle is no open key
    EXPECT_EQ(Lookup(), "E:\\");
    NextRow();
    UsualDrives();
    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "a", "C:\\User");
    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "MRUList", "a");
    winsim::FailEvery("RegOpenKeyExA");
    EXPECT_EQ(Lookup(), "E:\\");
}

TEST_F(SourceTest, OverlongRegistryDataIsNoLocation)
{
    UsualDrives();
    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "MRUList", "a");
    // Longer than the buffer: the query fails and leaves text-like bytes behind.
    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "a", "C:\\" + std::string(400, 'L'));
    EXPECT_EQ(Lookup(), "E:\\");
    // Exactly the buffer's size with no zero byte anywhere.
    winsim::SetRegistryValue(HKEY_CURRENT_USER, kKey, "a", REG_BINARY, std::vector<BYTE>(260, 'B'));
    EXPECT_EQ(Lookup(), "E:\\");
    // 259 characters and the terminator still fit.
    std::string longest = "C:\\" + std::string(256, 'M');
    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "a", longest);
    EXPECT_EQ(Lookup(), longest);
}

TEST_F(SourceTest, ReadUserRegistryStringZeroesOnFailure)
{
    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "a", std::string(300, 'Q'));
    WCHAR buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), u'\xBDBD');
    const std::u16string a = u"a", missing = u"missing", b = u"b";
    EXPECT_EQ(ReadUserRegistryString(kKey, a.c_str(), buffer, 32), 0);
    EXPECT_EQ(std::u16string(buffer, buffer + 32), std::u16string(32, u'\0'));
    EXPECT_EQ(buffer[32], u'\xBDBD') << "zeroed past the given size";
    EXPECT_EQ(ReadUserRegistryString("NoSuchKey", a.c_str(), buffer, 32), 0);
    EXPECT_EQ(ReadUserRegistryString(kKey, missing.c_str(), buffer, 32), 0);
    winsim::SetRegistryText(HKEY_CURRENT_USER, kKey, "b", "ok");
    EXPECT_EQ(ReadUserRegistryString(kKey, b.c_str(), buffer, 32), 1);
    EXPECT_EQ(PathText(buffer), "ok");
}

TEST_F(SourceTest, CdRomFallbackTakesTheLowestLetter)
{
    winsim::AddDrive('C', DRIVE_FIXED);
    winsim::AddDrive('G', DRIVE_CDROM);
    winsim::AddDrive('E', DRIVE_CDROM);
    EXPECT_EQ(Lookup(), "E:\\");
    NextRow();
    winsim::AddDrive('C', DRIVE_FIXED);
    EXPECT_EQ(Lookup(), "");
    winsim::FailEvery("GetLogicalDrives");
    EXPECT_EQ(Lookup(), "");
}

TEST_F(SourceTest, InventoryListsRootsInOrderWithTypes)
{
    UsualDrives();
    winsim::AddDrive('C', DRIVE_FIXED);
    EXPECT_EQ(Roots(), (std::vector<std::string>{"A:\\=2", "C:\\=3", "D:\\=3", "E:\\=5"}));
}

TEST_F(SourceTest, InventoryBoundsWhatThePlatformGives)
{
    struct Case {
        const char* name;
        std::vector<std::string> lists;
        std::vector<std::string> expected;
    };
    std::string longRoot = "\\\\server\\" + std::string(60, 's') + "\\";
    std::string manyRoots;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        manyRoots += std::string(1, letter) + ":\\" + std::string(7, 'x') + std::string(1, '\0');
    }
    manyRoots += std::string(1, '\0');
    // clang-format off
    const Case cases[] = {
        {.name = "an empty text after the first root ends the list", .lists = {std::string("A:\\\0\0D:\\\0\0", 10)}, .expected = {"A:\\=2"}},
        {.name = "a root longer than an entry holds is left out", .lists = {std::string("A:\\\0", 4) + longRoot + std::string("\0D:\\\0\0", 6)}, .expected = {"A:\\=2", "D:\\=1"}},
        {.name = "more roots than the mask promised: only the room is filled", .lists = {std::string("A:\\\0B:\\\0C:\\\0D:\\\0E:\\\0\0", 21)}, .expected = {"A:\\=2", "B:\\=2", "C:\\=3"}},
        {.name = "a list over 255 bytes is read after the regrowth", .lists = {manyRoots}, .expected = {"A:\\xxxxxxx=1", "B:\\xxxxxxx=1", "C:\\xxxxxxx=1"}},
        {.name = "a list that grows between the two root queries is not read", .lists = {manyRoots, manyRoots + manyRoots}, .expected = {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winsim::AddDrive('A', DRIVE_REMOVABLE);
        winsim::AddDrive('B', DRIVE_REMOVABLE);
        winsim::AddDrive('C', DRIVE_FIXED);
        winsim::Drives().rootLists = c.lists;
        EXPECT_EQ(Roots(), c.expected);
        NextRow(); // checks what this row left
    }
}

TEST_F(SourceTest, LateDrivesNeverOverrunTheList)
{
    winsim::AddDrive('C', DRIVE_FIXED);
    winsim::Drives().lateDrives = {{'D', DRIVE_CDROM}, {'E', DRIVE_CDROM}};
    EXPECT_EQ(Roots(), std::vector<std::string>{"C:\\=3"});
}

TEST_F(SourceTest, EveryAllocationFailureReleasesWhatWasTaken)
{
    std::string manyRoots;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        manyRoots += std::string(1, letter) + ":\\" + std::string(8, 'y') + std::string(1, '\0');
    }
    auto prepare = [&](int failing) {
        NextRow();
        UsualDrives();
        winsim::Drives().rootLists = {manyRoots + std::string(1, '\0')};
        winsim::FailHeapCall(failing);
    };
    // The entry array, the root list, its regrowth; a fourth call never comes.
    for (int failing = 1; failing <= 4; ++failing) {
        SCOPED_TRACE(failing);
        prepare(failing);
        EXPECT_EQ(Lookup(), ""); // none of the odd roots is a CD-ROM; prepare checks for leaks
        prepare(failing);
        Chooser c = Fill("");
        EXPECT_EQ(c.items.size(), failing == 4 ? 3u : 0u);
    }
    NextRow();
    UsualDrives();
    winsim::FailEvery("GetLogicalDriveStringsA");
    EXPECT_TRUE(Roots().empty());
}

TEST_F(SourceTest, ChooserPreselectsTheRightEntry)
{
    struct Case {
        const char* name;
        bool removable; // whether A: is there
        std::string preferred;
        std::vector<std::string> items;
        int selection;
    };
    // clang-format off
    const Case cases[] = {
        {.name = "no path: the first removable drive", .removable = true, .preferred = "", .items = {"A:\\", "D:\\", "E:\\"}, .selection = 0},
        {.name = "no path, no removable drive: the first", .removable = false, .preferred = "", .items = {"D:\\", "E:\\"}, .selection = 0},
        {.name = "the recorded root", .removable = true, .preferred = "E:\\", .items = {"A:\\", "D:\\", "E:\\"}, .selection = 2},
        {.name = "a folder sorts into place", .removable = true, .preferred = "D:\\Drivers", .items = {"A:\\", "D:\\", "D:\\DRIVERS", "E:\\"}, .selection = 2},
        {.name = "a lower-case root is listed twice", .removable = true, .preferred = "e:\\", .items = {"A:\\", "D:\\", "E:\\", "E:\\"}, .selection = 2},
        {.name = "a drive letter without its backslash", .removable = true, .preferred = "D:", .items = {"A:\\", "D:", "D:\\", "E:\\"}, .selection = 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.removable) {
            winsim::AddDrive('A', DRIVE_REMOVABLE);
        }
        winsim::AddDrive('D', DRIVE_FIXED);
        winsim::AddDrive('E', DRIVE_CDROM);
        Chooser seen = Fill(c.preferred);
        EXPECT_EQ(seen.items, c.items);
        EXPECT_EQ(seen.selection, c.selection);
        NextRow(); // checks what this row left
    }
}

TEST_F(SourceTest, ChooserWithNoDrives)
{
    Chooser none = Fill("");
    EXPECT_TRUE(none.items.empty());
    EXPECT_EQ(none.selection, CB_ERR);
    Chooser path = Fill("F:\\Setup");
    EXPECT_EQ(path.items, std::vector<std::string>{"F:\\SETUP"});
    EXPECT_EQ(path.selection, 0);
}
