// The load-line editor against both kinds of win.ini (the file of Windows 95, the registry of NT
// and Wine): removing Corven's entry, adding the companion, lines longer than one read or too
// long to write, entry boundaries and separators, lines that cannot be written back as they are
// stored, long system directories and failing writes.
#include <gtest/gtest.h>

#include <string>

#include "loadline/loadline.h"
#include "support/fixture.h"

namespace {

constexpr winsim::WinIni kBothWinIni[] = {winsim::WinIni::File, winsim::WinIni::Registry};

// Which kinds of win.ini a row holds for, where they differ.
enum class On { Both, File, Registry };

bool Holds(On on, winsim::WinIni kind)
{
    return on == On::Both || (on == On::File) == (kind == winsim::WinIni::File);
}

// Blank-separated entries of other programs making up exactly `length` characters.
std::string Filler(size_t length)
{
    std::string line;
    while (line.size() + 30 < length) {
        line += "c:\\apps\\program.exe ";
    }
    return line + "c:\\" + std::string(length - line.size() - 7, 'x') + ".exe";
}

// Other programs' entries, some long enough to push a line past one read.
std::string OtherEntries(int count)
{
    std::string line;
    for (int i = 0; i < count; ++i) {
        line += (i ? " " : "") + std::string("c:\\apps\\helper") + std::to_string(i) + "\\agent.exe";
    }
    return line;
}

struct RemovalCase {
    const char* name;
    std::string before;
    int result;
    std::string after; // the load value afterwards
    bool written;
    On on = On::Both;
    // The machine's code page; its rows' texts (and system directory) are UTF-8, turned into the
    // code page's bytes for a win.ini file. 1252 rows are bytes as they stand.
    UINT codePage = 1252;
    std::string systemDir = ""; // the default when empty
};

class LoadLineTest : public MachineTest {
protected:
    void BuildMachine() override
    {
        winsim::SetWinIni(kind_);
    }

    // Runs each row on each kind of win.ini it holds for, on a machine of that kind.
    template <typename Row>
    void ForEachRow(const Row* rows, size_t count, const std::function<void(const Row&)>& check)
    {
        for (winsim::WinIni kind : kBothWinIni) {
            kind_ = kind;
            NextRow();
            for (const Row* row = rows; row != rows + count; ++row) {
                if (Holds(row->on, kind)) {
                    SCOPED_TRACE(std::string(kind == winsim::WinIni::File ? "win.ini file: " : "registry: ") +
                                 row->name);
                    check(*row);
                    NextRow(); // checks what this row left
                }
            }
        }
    }

    winsim::WinIni kind_ = winsim::WinIni::File;

    // A row's text as this machine's win.ini holds it: the code page's bytes in a file.
    std::string Stored(const RemovalCase& c, const std::string& text)
    {
        return c.codePage != 1252 && kind_ == winsim::WinIni::File ? winsim::AnsiFromUtf8(text) : text;
    }

    // Each removal row: its result, the line afterwards and whether it was written; the key stays.
    template <size_t N> void ExpectRemovals(const RemovalCase (&cases)[N])
    {
        ForEachRow<RemovalCase>(cases, N, [this](const RemovalCase& c) {
            winsim::SetCodePage(c.codePage);
            if (!c.systemDir.empty()) {
                winsim::SetSystemDirectory(c.codePage != 1252 ? winsim::AnsiFromUtf8(c.systemDir)
                                                              : c.systemDir);
            }
            SetLoadLine(Stored(c, c.before));
            int writes = winsim::ProfileWrites();
            EXPECT_EQ(RemoveSelfFromLoadLine(), c.result);
            EXPECT_EQ(RawLoadLine(), Stored(c, c.after));
            EXPECT_EQ(winsim::ProfileWrites() - writes, c.written ? 1 : 0);
            EXPECT_NE(RawLoadLine(), "<no load line>");
        });
    }
};

} // namespace

TEST_F(LoadLineTest, RemovesCorvensEntry)
{
    const std::string self = "c:\\windows\\system\\telvanor.101\\corven.exe";
    const std::string relative = "system\\TELVANOR.101\\corven.exe";
    const std::string quoted = "\"" + self + "\"";
    const std::string cyrillic = "C:\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b\\app.exe";
    const std::string cp1251 = "C:\\\xcf\xf0\xee\xe3\xf0\xe0\xec\xec\xfb\\app.exe";
    // Double-byte characters whose second byte is 5C or a letter in their code page: ソ 83 5C,
    // 表 95 5C, ト 83 67 and エ 83 47 (932); 許 B3 5C, 功 A5 5C (950).
    const std::string japanese = "C:\\\u30bd\u30d5\u30c8\\\u30c4\u30fc\u30eb.EXE";
    const std::string display = "C:\\\u8868\u793a\\b.exe";
    const std::string chinese = "C:\\\u8a31\u529f\\app.exe";
    const std::string inTo = "C:\\\u30c8\\SYSTEM", inE = "C:\\\u30a8\\SYSTEM";
    const std::string entryInTo = inTo + "\\TELVANOR.101\\CORVEN.EXE",
                      entryInE = inE + "\\TELVANOR.101\\CORVEN.EXE";
    const RemovalCase cases[] = {
        {"only entry, lower case", self, 1, "", true},
        {"first, separator goes with it", kSelfEntry + std::string(" c:\\other\\prog.exe"), 1,
         "c:\\other\\prog.exe", true},
        {"relative form last keeps the blank before it", "c:\\other\\prog.exe " + relative, 1,
         "c:\\other\\prog.exe ", true},
        {"twice: only the first goes", self + " c:\\a.exe " + self, 1, "c:\\a.exe " + self, true},
        {"relative form between two others", "c:\\a.exe " + relative + " c:\\b.exe", 1, "c:\\a.exe c:\\b.exe",
         true},
        {"full path tried before the relative form", relative + " " + self, 1, relative + " ", true},
        {"absent in mixed case: untouched", "c:\\Other\\Prog.exe", 0, "c:\\Other\\Prog.exe", false},
        {"empty line", "", 1, "", false},
        {"relative form as the tail of another path", "c:\\win95\\system\\telvanor.101\\corven.exe", 0,
         "c:\\win95\\system\\telvanor.101\\corven.exe", false},
        {"tail of another path, then the real entry",
         "c:\\win95\\system\\telvanor.101\\corven.exe " + relative, 1,
         "c:\\win95\\system\\telvanor.101\\corven.exe ", true},
        {"entry as the head of a longer name", self + ".bak", 0, self + ".bak", false},
        {"entry inside a longer word", "x" + self, 0, "x" + self, false},
        {"between tabs", "c:\\a.exe\t" + self + "\tc:\\b.exe", 1, "c:\\a.exe\tc:\\b.exe", true},
        {"between commas", "c:\\a.exe," + self + ",c:\\b.exe", 1, "c:\\a.exe,c:\\b.exe", true},
        {"after a comma, last", "c:\\a.exe," + relative, 1, "c:\\a.exe,", true},
        {"in double quotes, which go with it", "c:\\a.exe " + quoted + " c:\\b.exe", 1, "c:\\a.exe c:\\b.exe",
         true},
        {"in quotes inside a longer path: not an entry", "c:\\x" + quoted, 0, "c:\\x" + quoted, false},
        {"a quoted path, then Corven: trimmed, what is left is in quotes whole: never written",
         "\"c:\\my apps\\a.exe\" " + self, 0, "\"c:\\my apps\\a.exe\" " + self, false},
        {"what is left in quotes whole would lose them to the file: never written",
         self + " \"c:\\my apps\\a.exe\"\t", 0, self + " \"c:\\my apps\\a.exe\"\t", false},
        {"between blanks inside a quoted path: not an entry", "c:\\a.exe \"c:\\my " + self + " x\\b.exe\"", 0,
         "c:\\a.exe \"c:\\my " + self + " x\\b.exe\"", false},
        {"a literal ? is text like any other", "c:\\tools\\app.exe /? " + self, 1, "c:\\tools\\app.exe /? ",
         true},
        {"quotes that do not pair up: never written", "c:\\a b\\x.exe\" " + self, 0,
         "c:\\a b\\x.exe\" " + self, false},
        {"quoted entries stay quoted", "\"c:\\a b\\x.exe\" " + self + " c:\\y.exe", 1,
         "\"c:\\a b\\x.exe\" c:\\y.exe", true},
        {"quotes around the whole line once Corven is gone: never written",
         "\"c:\\a b\\x.exe\" " + self + " \"c:\\c\\y.exe\"", 0,
         "\"c:\\a b\\x.exe\" " + self + " \"c:\\c\\y.exe\"", false},
        {"other programs keep their case, arguments included",
         "C:\\tools\\agent.exe --Token=AbC " + self + " c:\\B.exe", 1,
         "C:\\tools\\agent.exe --Token=AbC c:\\B.exe", true},
        {"a path the ANSI code page lacks stays whole", cyrillic + " " + self, 1, cyrillic + " ", true},
        {"the bytes of another code page stay as they were", cp1251 + " " + self, 1, cp1251 + " ", true,
         On::File},
        {"Japanese entries kept to the byte", japanese + " " + self + " " + display, 1,
         japanese + " " + display, true, On::Both, 932},
        {"Chinese entries kept to the byte", chinese + " " + self, 1, chinese + " ", true, On::Both, 950},
        {"a second byte that reads as a letter is never folded: only the real entry goes",
         entryInE + " " + entryInTo, 1, entryInE + " ", true, On::Both, 932, inTo},
        {"nor taken for the letter of Corven's directory", "c:\\a.exe " + entryInTo, 0,
         "c:\\a.exe " + entryInTo, false, On::Both, 932, inE},
        {"a system directory ending in a 5C second byte", "c:\\a.exe C:\\\u8868\\TELVANOR.101\\CORVEN.EXE", 1,
         "c:\\a.exe ", true, On::Both, 932, "C:\\\u8868"},
    };
    ExpectRemovals(cases);
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
    EXPECT_EQ(ReadWinIni(), "[windows]\r\nload=c:\\other.exe\r\nrun=\r\n[Desktop]\r\nWallpaper=(None)\r\n");
}

TEST_F(LoadLineTest, LongLinesAreReadWholeAndNeverWrittenTooLong)
{
    const std::string self = kSelfEntry;
    // A value of 32,767 characters or more would be deleted by the write: Corven stays pending.
    const std::string fits = Filler(20000) + " " + self + " " + Filler(32766 - 20001);
    const std::string overflows = Filler(20000) + " " + self + " " + Filler(32767 - 20001);
    const std::string huge = Filler(16000) + " " + self + " " + Filler(33500 - 16002 - self.size());
    // 255 characters in quotes: the file's first read, into 256 bytes, comes back one short.
    const std::string inner = Filler(100) + " " + self + " " + Filler(255 - 102 - self.size());
    // NT's W functions keep far longer lines: one of over 70,000 Cyrillic characters loses Corven alone.
    const std::string widest = Filler(262141 - 1 - self.size());
    std::string russian;
    while (russian.size() < 70000) {
        russian += "\u0430\u0431\u0432\u0433\u0434\u0435\u0436\u0437\u0438 ";
    }
    const RemovalCase cases[] = {
        {"10 others", OtherEntries(5) + " " + self + " " + OtherEntries(5), 1,
         OtherEntries(5) + " " + OtherEntries(5), true},
        {"1000 others", OtherEntries(500) + " " + self + " " + OtherEntries(500), 1,
         OtherEntries(500) + " " + OtherEntries(500), true},
        {"32,766 characters left: written", fits, 1, Filler(20000) + " " + Filler(32766 - 20001), true},
        {"32,767 characters left: not written by the A functions", overflows, 0, overflows, false, On::File},
        {"33,500 characters: not written by the A functions", huge, 0, huge, false, On::File},
        {"32,767 characters left: written in Unicode", overflows, 1,
         Filler(20000) + " " + Filler(32767 - 20001), true, On::Registry},
        {"over 70,000 Cyrillic characters: written in Unicode", russian + self + " " + russian, 1,
         russian + russian, true, On::Registry},
        {"262,141 characters: the longest line NT is read whole", widest + " " + self, 1, widest + " ", true,
         On::Registry},
        {"262,142 characters: not had whole", widest + "x " + self, 0, widest + "x " + self, false,
         On::Registry},
        {"a quoted value one shorter than the first read", "\"" + inner + "\"", 1,
         Filler(100) + " " + Filler(255 - 102 - self.size()), true, On::File},
    };
    ASSERT_EQ(inner.size(), 255u);
    ExpectRemovals(cases);
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

TEST_F(LoadLineTest, TooLongSystemDirectoryWritesNothing)
{
    // The full candidate fits 255 characters for a directory of up to 231; the path to add
    // fits 259 for one of up to 233.
    const std::string dir231 = "C:\\" + std::string(228, 'W'), dir233 = dir231 + "WW";
    struct Case {
        std::string dir, before;
        bool adding;
        std::string after; // empty: nothing written
    };
    const Case cases[] = {
        {dir231, dir231 + "\\TELVANOR.101\\CORVEN.EXE c:\\a.exe", false, "c:\\a.exe"},
        {dir231 + "W", "system\\TELVANOR.101\\CORVEN.EXE c:\\a.exe", false, ""},
        {std::string(300, 'D'), "system\\TELVANOR.101\\CORVEN.EXE c:\\a.exe", false, ""},
        {dir233, "c:\\a.exe", true, "c:\\a.exe " + dir233 + "\\TELVANOR.101\\TELVANOR.EXE"},
        {dir233 + "W", "c:\\a.exe", true, ""},
        {std::string(300, 'D'), "c:\\a.exe", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir.size());
        SetLoadLine(c.before);
        winsim::SetSystemDirectory(c.dir);
        if (c.adding) {
            AddToLoadLine("TELVANOR.EXE");
        } else {
            EXPECT_EQ(RemoveSelfFromLoadLine(), c.after.empty() ? 0 : 1);
        }
        EXPECT_EQ(LoadLine(), c.after.empty() ? c.before : c.after);
        EXPECT_EQ(winsim::ProfileWrites(), c.after.empty() ? 0 : 1);
        NextRow(); // checks what this row left
    }
}

TEST_F(LoadLineTest, AddsTheCompanionProgram)
{
    struct AddCase {
        const char* name;
        const char* before; // nullptr: no load key at all
        std::string after;
        bool written;
        On on = On::Both;
    };
    const std::string companion = kCompanionPath;
    const std::string longest = Filler(32766 - 1 - companion.size());
    const std::string tooLong = Filler(32767 - 1 - companion.size());
    const std::string many = OtherEntries(700);
    const AddCase cases[] = {
        {"no load key", nullptr, companion, true},
        {"empty line", "", companion, true},
        {"another program", "c:\\a.exe", "c:\\a.exe " + companion, true},
        {"already listed in any folder", "d:\\x\\TELVANOR.EXE c:\\a.exe", "d:\\x\\TELVANOR.EXE c:\\a.exe",
         true},
        {"listed in lower case only", "c:\\telvanor.exe", "c:\\telvanor.exe " + companion, true},
        {"a long line is never cut", many.c_str(), many + " " + companion, true},
        {"growing to 32,766 characters", longest.c_str(), longest + " " + companion, true},
        {"growing past that: left alone by the A functions", tooLong.c_str(), tooLong, false, On::File},
        {"growing past that in Unicode", tooLong.c_str(), tooLong + " " + companion, true, On::Registry},
        {"a literal ? is text like any other", "c:\\a.exe /?", "c:\\a.exe /? " + companion, true},
        {"only inside a longer file name: not listed", "c:\\x\\MYTELVANOR.EXE",
         "c:\\x\\MYTELVANOR.EXE " + companion, true},
        {"only as a folder's name: not listed", "c:\\TELVANOR.EXE\\a.exe",
         "c:\\TELVANOR.EXE\\a.exe " + companion, true},
        {"listed bare, or quoted in a folder with a blank", "TELVANOR.EXE \"c:\\my apps\\TELVANOR.EXE\"",
         "TELVANOR.EXE \"c:\\my apps\\TELVANOR.EXE\"", true},
        {"quotes that do not pair up: left alone", "c:\\a\" b.exe", "c:\\a\" b.exe", false},
    };
    ForEachRow<AddCase>(cases, sizeof(cases) / sizeof(cases[0]), [this](const AddCase& c) {
        if (c.before) {
            SetLoadLine(c.before);
        } else {
            WriteWinIni("[windows]\r\nrun=\r\n");
        }
        int writes = winsim::ProfileWrites();
        AddToLoadLine("TELVANOR.EXE");
        EXPECT_EQ(LoadLine(), c.after);
        EXPECT_EQ(winsim::ProfileWrites() - writes, c.written ? 1 : 0);
    });
}

TEST_F(LoadLineTest, RemoveSubstringChangesNothingButTheEntry)
{
    char line[64] = "c:\\a.exe b:\\\xe4\xe9.exe Q:\\X.EXE";
    EXPECT_EQ(RemoveSubstring(line, "d:\\none.exe"), 0);
    EXPECT_STREQ(line, "c:\\a.exe b:\\\xe4\xe9.exe Q:\\X.EXE");
    EXPECT_EQ(RemoveSubstring(line, "q:\\x.exe"), 1);
    EXPECT_STREQ(line, "c:\\a.exe b:\\\xe4\xe9.exe ");
    WCHAR wide[] = {'a', ' ', 0x0444, ' ', 'B', 0};
    const WCHAR entry[] = {0x0444, 0};
    EXPECT_EQ(RemoveSubstring(wide, entry), 1);
    EXPECT_EQ(std::u16string(wide), u"a B");
}

TEST_F(LoadLineTest, ReadOnlyWinIniFailsQuietly)
{
    SetLoadLine(kSelfEntry);
    MakeWinIniReadOnly();
    std::string before = ReadWinIni();
    EXPECT_EQ(RemoveSelfFromLoadLine(), 0); // a failed write is no removal
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
    std::string expected = CORVEN_DEVICE_TYPE == 5 ? std::string("c:\\a.exe c:\\b.exe ") + kCompanionPath
                                                   : "c:\\a.exe c:\\b.exe";
    EXPECT_EQ(LoadLine(), expected);
}
