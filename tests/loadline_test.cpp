// The load-line editor against a real win.ini: removing Corven's entry, adding the companion,
// lines longer than one read, entry boundaries, long system directories and failing writes.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "loadline/loadline.h"
#include "support/fixture.h"

namespace {

class LoadLineTest : public MachineTest {
protected:
    // The load value as the file holds it, blanks at its end included.
    std::string RawLoadLine()
    {
        std::string ini = ReadWinIni();
        size_t start = ini.find("\nload=");
        if (start == std::string::npos) {
            return "<no load line>";
        }
        start += 6;
        return ini.substr(start, ini.find('\r', start) - start);
    }
};

// Other programs' entries, some long enough to push a line past one read.
std::string OtherEntries(int count)
{
    std::string line;
    for (int i = 0; i < count; ++i) {
        line += (i ? " " : "") + std::string("c:\\apps\\helper") + std::to_string(i) + "\\agent.exe";
    }
    return line;
}

std::string Upper(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

struct RemovalCase {
    const char* name;
    std::string before;
    int result;
    std::string after; // the load value afterwards
    bool written;
};

} // namespace

TEST_F(LoadLineTest, RemovesCorvensEntry)
{
    const std::string self = "c:\\windows\\system\\telvanor.101\\corven.exe";
    const std::string relative = "system\\TELVANOR.101\\corven.exe";
    const RemovalCase cases[] = {
        {"only entry, lower case", self, 1, "", true},
        {"first, separator goes with it", kSelfEntry + std::string(" c:\\other\\prog.exe"), 1,
         "C:\\OTHER\\PROG.EXE", true},
        {"relative form last keeps the blank before it", "c:\\other\\prog.exe " + relative, 1,
         "C:\\OTHER\\PROG.EXE ", true},
        {"twice: only the first goes", self + " c:\\a.exe " + self, 1, "C:\\A.EXE " + Upper(self), true},
        {"relative form between two others", "c:\\a.exe " + relative + " c:\\b.exe", 1, "C:\\A.EXE C:\\B.EXE",
         true},
        {"full path tried before the relative form", relative + " " + self, 1, Upper(relative) + " ", true},
        {"absent in mixed case: untouched", "c:\\Other\\Prog.exe", 0, "c:\\Other\\Prog.exe", false},
        {"empty line", "", 1, "", false},
        {"relative form as the tail of another path", "c:\\win95\\system\\telvanor.101\\corven.exe", 0,
         "c:\\win95\\system\\telvanor.101\\corven.exe", false},
        {"tail of another path, then the real entry",
         "c:\\win95\\system\\telvanor.101\\corven.exe " + relative, 1,
         "C:\\WIN95\\SYSTEM\\TELVANOR.101\\CORVEN.EXE ", true},
        {"entry as the head of a longer name", self + ".bak", 0, self + ".bak", false},
        {"entry inside a longer word", "x" + self, 0, "x" + self, false},
    };
    for (const RemovalCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetLoadLine(c.before);
        int writes = winsim::ProfileWrites();
        EXPECT_EQ(RemoveSelfFromLoadLine(), c.result);
        EXPECT_EQ(RawLoadLine(), c.after);
        EXPECT_EQ(winsim::ProfileWrites() - writes, c.written ? 1 : 0);
        EXPECT_TRUE(HasLoadKey());
    }
}

TEST_F(LoadLineTest, NoLoadKeyNeedsNothing)
{
    WriteWinIni("[windows]\r\nrun=\r\n");
    EXPECT_EQ(RemoveSelfFromLoadLine(), 1);
    EXPECT_EQ(winsim::ProfileWrites(), 0);
    EXPECT_EQ(ReadWinIni(), "[windows]\r\nrun=\r\n");
}

TEST_F(LoadLineTest, RewritesOnlyTheLoadValue)
{
    SetLoadLine(std::string(kSelfEntry) + " c:\\other.exe");
    ASSERT_EQ(RemoveSelfFromLoadLine(), 1);
    EXPECT_EQ(ReadWinIni(), "[windows]\r\nload=C:\\OTHER.EXE\r\nrun=\r\n[Desktop]\r\nWallpaper=(None)\r\n");
}

TEST_F(LoadLineTest, LongLinesKeepEveryOtherEntry)
{
    for (int others : {10, 30, 200, 1500}) {
        SCOPED_TRACE(others);
        std::string head = OtherEntries(others / 2);
        std::string tail = OtherEntries(others - others / 2);
        SetLoadLine(head + " " + kSelfEntry + " " + tail);
        ASSERT_GT(LoadLine().size(), 254u);
        EXPECT_EQ(RemoveSelfFromLoadLine(), 1);
        EXPECT_EQ(LoadLine(), Upper(head + " " + tail));
    }
}

TEST_F(LoadLineTest, LineThatCannotBeHadWholeIsNotWritten)
{
    // Longer than one profile value can be read: the line is left as it stands.
    std::string line = OtherEntries(3000) + " " + kSelfEntry;
    ASSERT_GT(line.size(), 65535u);
    SetLoadLine(line);
    std::string before = ReadWinIni();
    EXPECT_EQ(RemoveSelfFromLoadLine(), 0);
    AddToLoadLine("TELVANOR.EXE");
    EXPECT_EQ(winsim::ProfileWrites(), 0);
    EXPECT_EQ(ReadWinIni(), before);
}

TEST_F(LoadLineTest, HeapFailureWritesNothing)
{
    SetLoadLine(OtherEntries(40) + " " + kSelfEntry);
    std::string before = ReadWinIni();
    for (int failing = 1; failing <= 3; ++failing) {
        SCOPED_TRACE(failing);
        winsim::FailHeapCall(failing);
        EXPECT_EQ(RemoveSelfFromLoadLine(), 0);
        EXPECT_EQ(ReadWinIni(), before);
        EXPECT_EQ(winsim::LiveBlocks(), 0);
    }
}

TEST_F(LoadLineTest, TooLongSystemDirectoryWritesNothing)
{
    // The full candidate fits 255 characters for a directory of up to 231; the path to add
    // fits 259 for one of up to 233.
    const std::string dir231 = "C:\\" + std::string(228, 'W');
    SetLoadLine(dir231 + "\\TELVANOR.101\\CORVEN.EXE c:\\a.exe");
    winsim::SetSystemDirectory(dir231);
    EXPECT_EQ(RemoveSelfFromLoadLine(), 1);
    EXPECT_EQ(LoadLine(), "C:\\A.EXE");

    for (const std::string& dir : {dir231 + "W", std::string(300, 'D')}) {
        SetLoadLine("system\\TELVANOR.101\\CORVEN.EXE c:\\a.exe");
        std::string before = ReadWinIni();
        winsim::SetSystemDirectory(dir);
        EXPECT_EQ(RemoveSelfFromLoadLine(), 0);
        EXPECT_EQ(ReadWinIni(), before);
    }

    const std::string dir233 = dir231 + "WW";
    SetLoadLine("c:\\a.exe");
    winsim::SetSystemDirectory(dir233);
    AddToLoadLine("TELVANOR.EXE");
    EXPECT_EQ(LoadLine(), "c:\\a.exe " + dir233 + "\\TELVANOR.101\\TELVANOR.EXE");
    for (const std::string& dir : {dir233 + "W", std::string(300, 'D')}) {
        SetLoadLine("c:\\a.exe");
        std::string before = ReadWinIni();
        winsim::SetSystemDirectory(dir);
        int writes = winsim::ProfileWrites();
        AddToLoadLine("TELVANOR.EXE");
        EXPECT_EQ(winsim::ProfileWrites(), writes);
        EXPECT_EQ(ReadWinIni(), before);
    }
}

TEST_F(LoadLineTest, AddsTheCompanionProgram)
{
    struct AddCase {
        const char* name;
        const char* before; // nullptr: no load key at all
        std::string after;
    };
    const AddCase cases[] = {
        {"no load key", nullptr, kCompanionPath},
        {"empty line", "", kCompanionPath},
        {"another program", "c:\\a.exe", std::string("c:\\a.exe ") + kCompanionPath},
        {"already listed in any folder", "d:\\x\\TELVANOR.EXE c:\\a.exe", "d:\\x\\TELVANOR.EXE c:\\a.exe"},
        {"listed in lower case only", "c:\\telvanor.exe", std::string("c:\\telvanor.exe ") + kCompanionPath},
    };
    for (const AddCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before) {
            SetLoadLine(c.before);
        } else {
            WriteWinIni("[windows]\r\nrun=\r\n");
        }
        int writes = winsim::ProfileWrites();
        AddToLoadLine("TELVANOR.EXE");
        EXPECT_EQ(LoadLine(), c.after);
        EXPECT_EQ(winsim::ProfileWrites() - writes, 1);
    }
}

TEST_F(LoadLineTest, AddingNeverCutsALongLine)
{
    std::string line = OtherEntries(700);
    SetLoadLine(line);
    AddToLoadLine("TELVANOR.EXE");
    EXPECT_EQ(LoadLine(), line + " " + kCompanionPath);
}

TEST_F(LoadLineTest, RemoveSubstringUpperCasesBothAlways)
{
    char line[64] = "c:\\a.exe b:\\ä\xe9.exe";
    char entry[16] = "d:\\none.exe";
    EXPECT_EQ(RemoveSubstring(line, entry), 0);
    EXPECT_STREQ(line, "C:\\A.EXE B:\\ä\xe9.EXE");
    EXPECT_STREQ(entry, "D:\\NONE.EXE");
}

TEST_F(LoadLineTest, ReadOnlyWinIniFailsQuietly)
{
    SetLoadLine(kSelfEntry);
    MakeWinIniReadOnly();
    std::string before = ReadWinIni();
    EXPECT_EQ(RemoveSelfFromLoadLine(), 1); // the write's result is not looked at
    FinishInstallation();
    EXPECT_EQ(ReadWinIni(), before);
}

TEST_F(LoadLineTest, FinishingTwiceLeavesWhatOnceLeft)
{
    SetLoadLine(std::string("c:\\a.exe ") + kSelfEntry + " c:\\b.exe");
    FinishInstallation();
    std::string once = ReadWinIni();
    FinishInstallation();
    EXPECT_EQ(ReadWinIni(), once);
    std::string expected = CORVEN_DEVICE_TYPE == 5 ? std::string("C:\\A.EXE C:\\B.EXE ") + kCompanionPath
                                                   : "C:\\A.EXE C:\\B.EXE";
    EXPECT_EQ(LoadLine(), expected);
}
