// The load-line editor against both kinds of win.ini (the file of Windows 95, the registry of NT
// and Wine): removing Corven's entry, adding the companion, lines longer than one read or too
// long to write, entry boundaries and separators, lines that cannot be written back as they are
// stored, long system directories and failing writes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "loadline/entries.h"
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
    std::optional<std::string> after = {}; // the load value afterwards; none: as before
    bool written;
    On on = On::Both;
    // The machine's code page; its rows' texts (and system directory) are UTF-8, turned into the
    // code page's bytes for a win.ini file. 1252 rows are bytes as they stand.
    UINT codePage = 1252;
    std::string systemDir = "";    // the default when empty
    bool bytes = false;            // the texts are the code page's bytes as they stand (a file only)
    bool reportsWindows95 = false; // GetVersion says Windows 95, as a compatibility mode makes it
    bool wow64 = false;            // 64-bit Windows: Corven started from SysWOW64 (winsim::SetWow64)
    std::string module = "";       // the path Corven was started from (UTF-8); the default when empty
    bool mappingAsKey = false;     // NT's mapping of [windows] kept as a key, as Wine keeps it
    bool mappingUnreadable = false;
    bool silentStubs = false; // Windows 95's W stubs set no error
};

// The ends of each double-byte code page: its first and last lead byte and second byte.
struct DoubleByteEnds {
    UINT codePage;
    char firstLead, lastLead, firstTrail, lastTrail;
};
constexpr DoubleByteEnds kDoubleByteEnds[] = {
    {.codePage = 932, .firstLead = '\x81', .lastLead = '\xfc', .firstTrail = '\x40', .lastTrail = '\xfc'},
    {.codePage = 936, .firstLead = '\x81', .lastLead = '\xfe', .firstTrail = '\x40', .lastTrail = '\xfe'},
    {.codePage = 949, .firstLead = '\x81', .lastLead = '\xfe', .firstTrail = '\x41', .lastTrail = '\xfe'},
    {.codePage = 950, .firstLead = '\x81', .lastLead = '\xfe', .firstTrail = '\x40', .lastTrail = '\xfe'},
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
        return c.codePage != 1252 && !c.bytes && kind_ == winsim::WinIni::File ? winsim::AnsiFromUtf8(text)
                                                                               : text;
    }

    // Each removal row: its result, the line afterwards and whether it was written; the key stays.
    template <size_t N> void ExpectRemovals(const RemovalCase (&cases)[N])
    {
        ExpectRemovals(std::vector<RemovalCase>(cases, cases + N));
    }
    void ExpectRemovals(const std::vector<RemovalCase>& cases)
    {
        ForEachRow<RemovalCase>(cases.data(), cases.size(), [this](const RemovalCase& c) {
            winsim::SetCodePage(c.codePage);
            if (c.wow64) {
                winsim::SetWow64();
            }
            if (!c.module.empty()) {
                winsim::SetModulePath(c.module);
            }
            if (c.mappingAsKey) {
                winsim::MapWindowsSectionAsKey();
            }
            if (c.silentStubs) {
                winsim::SilenceWindows95Stubs();
            }
            if (c.reportsWindows95) {
                winsim::ReportVersion(0xC0000004u);
            }
            if (!c.systemDir.empty()) {
                winsim::SetSystemDirectory(c.codePage != 1252 && !c.bytes ? winsim::AnsiFromUtf8(c.systemDir)
                                                                          : c.systemDir);
            }
            SetLoadLine(Stored(c, c.before));
            int writes = winsim::ProfileWrites();
            if (c.mappingUnreadable) {
                winsim::FailCalls("RegOpenKeyExA");
            }
            EXPECT_EQ(RemoveSelfFromLoadLine(), c.result);
            EXPECT_EQ(RawLoadLine(), Stored(c, c.after.value_or(c.before)));
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
    const std::string programFiles = "\"C:\\Program Files\\Vendor\\tray.exe\"";
    const std::string greek = "C:\\\u0395\u03c6\u03b1\u03c1\u03bc\u03bf\u03b3\u03ad\u03c2\\b.exe";
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
    const std::string corvenTail = "\\TELVANOR.101\\CORVEN.EXE";
    // 64-bit Windows: a 32-bit installation put Corven in SysWOW64, and the shell starts it from there.
    const std::string wow = "C:\\WINDOWS\\SysWOW64" + corvenTail, inf = "C:\\Windows\\System32" + corvenTail;
    const std::string x86 = "\"C:\\Program Files (x86)\\Vendor\\tray.exe\"";
    const std::string drivers = "D:\\Drivers" + corvenTail,
                      tooLong = "C:\\" + std::string(240, 'L') + corvenTail;
    const std::string russianFolder =
        "C:\\\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b" + corvenTail;
    // clang-format off
    std::vector<RemovalCase> cases = {
        {.name = "only entry, lower case", .before = self, .result = 1, .after = "", .written = true},
        {.name = "the ends of the letters fold: a, z, A, Z", .before = "c:\\a.exe c:\\azAZ" + corvenTail, .result = 1, .after = "c:\\a.exe ", .written = true, .systemDir = "C:\\AZaz"},
        {.name = "their neighbours do not: @ [ ` {", .before = "c:\\a.exe c:\\`{@[" + corvenTail, .result = 0, .written = false, .systemDir = "C:\\@[`{"},
        {.name = "first, separator goes with it", .before = kSelfEntry + std::string(" c:\\other\\prog.exe"), .result = 1, .after = "c:\\other\\prog.exe", .written = true},
        {.name = "relative form last keeps the blank before it", .before = "c:\\other\\prog.exe " + relative, .result = 1, .after = "c:\\other\\prog.exe ", .written = true},
        {.name = "twice: only the first goes", .before = self + " c:\\a.exe " + self, .result = 1, .after = "c:\\a.exe " + self, .written = true},
        {.name = "relative form between two others", .before = "c:\\a.exe " + relative + " c:\\b.exe", .result = 1, .after = "c:\\a.exe c:\\b.exe", .written = true},
        {.name = "full path tried before the relative form", .before = relative + " " + self, .result = 1, .after = relative + " ", .written = true},
        {.name = "absent in mixed case: untouched", .before = "c:\\Other\\Prog.exe", .result = 0, .written = false},
        {.name = "empty line", .before = "", .result = 1, .written = false},
        {.name = "relative form as the tail of another path", .before = "c:\\win95\\system\\telvanor.101\\corven.exe", .result = 0, .written = false},
        {.name = "tail of another path, then the real entry", .before = "c:\\win95\\system\\telvanor.101\\corven.exe " + relative, .result = 1, .after = "c:\\win95\\system\\telvanor.101\\corven.exe ", .written = true},
        {.name = "entry as the head of a longer name", .before = self + ".bak", .result = 0, .written = false},
        {.name = "entry inside a longer word", .before = "x" + self, .result = 0, .written = false},
        {.name = "between tabs", .before = "c:\\a.exe\t" + self + "\tc:\\b.exe", .result = 1, .after = "c:\\a.exe\tc:\\b.exe", .written = true},
        {.name = "between commas", .before = "c:\\a.exe," + self + ",c:\\b.exe", .result = 1, .after = "c:\\a.exe,c:\\b.exe", .written = true},
        {.name = "after a comma, last", .before = "c:\\a.exe," + relative, .result = 1, .after = "c:\\a.exe,", .written = true},
        {.name = "in double quotes, which go with it", .before = "c:\\a.exe " + quoted + " c:\\b.exe", .result = 1, .after = "c:\\a.exe c:\\b.exe", .written = true},
        {.name = "in quotes inside a longer path: not an entry", .before = "c:\\x" + quoted, .result = 0, .written = false},
        {.name = "a quoted path, then Corven: trimmed, what is left is in quotes whole: never written", .before = programFiles + " " + self, .result = 0, .written = false, .on = On::File},
        {.name = "a quoted path, then Corven: the registry keeps every quote", .before = programFiles + " " + self, .result = 1, .after = programFiles + " ", .written = true, .on = On::Registry},
        {.name = "a quote inside an entry: the file could not read it back as it was", .before = "C:\\TOOLS\\SYNC.EXE --name=\"office\" " + self, .result = 0, .written = false, .on = On::File},
        {.name = "a quote inside an entry: kept in the registry", .before = "C:\\TOOLS\\SYNC.EXE --name=\"office\" " + self, .result = 1, .after = "C:\\TOOLS\\SYNC.EXE --name=\"office\" ", .written = true, .on = On::Registry},
        {.name = "what is left in quotes whole would lose them to the file: never written", .before = self + " \"c:\\my apps\\a.exe\"\t", .result = 0, .written = false, .on = On::File},
        {.name = "what is left in quotes whole: the registry keeps them", .before = self + " \"c:\\my apps\\a.exe\"\t", .result = 1, .after = "\"c:\\my apps\\a.exe\"\t", .written = true, .on = On::Registry},
        {.name = "the file trims CR and ^Z at the ends: quotes whole once trimmed, never written", .before = "\"c:\\a b\\x.exe\" \r\x1a " + self, .result = 0, .written = false, .on = On::File},
        {.name = "the file trims nothing past them (^H, ^N): written", .before = "\"c:\\a b\\x.exe\" \x08\x0e " + self, .result = 1, .after = "\"c:\\a b\\x.exe\" \x08\x0e ", .written = true, .on = On::File},
        {.name = "single quotes wrap a file's value too: never written", .before = "'c:\\a b\\x.exe' " + self, .result = 0, .written = false, .on = On::File},
        {.name = "single quotes in the registry are text", .before = "'c:\\a b\\x.exe' " + self, .result = 1, .after = "'c:\\a b\\x.exe' ", .written = true, .on = On::Registry},
        {.name = "between blanks inside a quoted path: not an entry", .before = "c:\\a.exe \"c:\\my " + self + " x\\b.exe\"", .result = 0, .written = false},
        {.name = "a literal ? is text like any other", .before = "c:\\tools\\app.exe /? " + self, .result = 1, .after = "c:\\tools\\app.exe /? ", .written = true},
        {.name = "quotes that do not pair up: never written", .before = "c:\\a b\\x.exe\" " + self, .result = 0, .written = false},
        {.name = "a quote that opens and never closes, before Corven: not an entry", .before = "\"c:\\a b\\x.exe " + self, .result = 0, .written = false},
        {.name = "a quote that opens and never closes, after Corven: never written", .before = self + " \"c:\\a b\\x.exe", .result = 0, .written = false, .on = On::File},
        {.name = "a quote that opens and never closes, after Corven: kept in the registry", .before = self + " \"c:\\a b\\x.exe", .result = 1, .after = "\"c:\\a b\\x.exe", .written = true, .on = On::Registry},
        {.name = "quoted entries stay quoted", .before = "\"c:\\a b\\x.exe\" " + self + " c:\\y.exe", .result = 1, .after = "\"c:\\a b\\x.exe\" c:\\y.exe", .written = true},
        {.name = "quotes around the whole line once Corven is gone: never written", .before = "\"c:\\a b\\x.exe\" " + self + " \"c:\\c\\y.exe\"", .result = 0, .written = false, .on = On::File},
        {.name = "quotes around the whole line once Corven is gone: kept in the registry", .before = "\"c:\\a b\\x.exe\" " + self + " \"c:\\c\\y.exe\"", .result = 1, .after = "\"c:\\a b\\x.exe\" \"c:\\c\\y.exe\"", .written = true, .on = On::Registry},
        {.name = "a system that reports Windows 95 but keeps the line in the registry: Unicode all the same", .before = cyrillic + " " + self + " " + greek, .result = 1, .after = cyrillic + " " + greek, .written = true, .on = On::Registry, .reportsWindows95 = true},
        {.name = "other programs keep their case, arguments included", .before = "C:\\tools\\agent.exe --Token=AbC " + self + " c:\\B.exe", .result = 1, .after = "C:\\tools\\agent.exe --Token=AbC c:\\B.exe", .written = true},
        {.name = "a path the ANSI code page lacks stays whole", .before = cyrillic + " " + self, .result = 1, .after = cyrillic + " ", .written = true},
        {.name = "the bytes of another code page stay as they were", .before = cp1251 + " " + self, .result = 1, .after = cp1251 + " ", .written = true, .on = On::File},
        {.name = "Japanese entries kept to the byte", .before = japanese + " " + self + " " + display, .result = 1, .after = japanese + " " + display, .written = true, .on = On::Both, .codePage = 932},
        {.name = "Chinese entries kept to the byte", .before = chinese + " " + self, .result = 1, .after = chinese + " ", .written = true, .on = On::Both, .codePage = 950},
        {.name = "a second byte that reads as a letter is never folded: only the real entry goes", .before = entryInE + " " + entryInTo, .result = 1, .after = entryInE + " ", .written = true, .on = On::Both, .codePage = 932, .systemDir = inTo},
        {.name = "nor taken for the letter of Corven's directory", .before = "c:\\a.exe " + entryInTo, .result = 0, .written = false, .on = On::Both, .codePage = 932, .systemDir = inE},
        {.name = "64-bit Windows: the SysWOW64 entry the shell started Corven from", .before = "c:\\a.exe " + wow + " c:\\b.exe", .result = 1, .after = "c:\\a.exe c:\\b.exe", .written = true, .on = On::Registry, .wow64 = true},
        {.name = "64-bit Windows: a quoted Program Files (x86) neighbour, the mapping read in the system's view", .before = x86 + " " + wow, .result = 1, .after = x86 + " ", .written = true, .on = On::Registry, .wow64 = true},
        {.name = "64-bit Windows: a 64-bit INF install's system32 entry", .before = "c:\\a.exe " + inf, .result = 1, .after = "c:\\a.exe ", .written = true, .on = On::Registry, .wow64 = true, .module = inf},
        {.name = "64-bit Windows, started by the 8.3 name: the entry as started", .before = "C:\\WINDOWS\\SYSWOW~1" + corvenTail + " c:\\b.exe", .result = 1, .after = "c:\\b.exe", .written = true, .on = On::Registry, .wow64 = true, .module = "C:\\WINDOWS\\SYSWOW~1" + corvenTail},
        {.name = "64-bit Windows, a path too long for its buffer: nothing taken off", .before = "c:\\a.exe " + tooLong, .result = 0, .written = false, .on = On::Registry, .wow64 = true, .module = tooLong},
        {.name = "a copy run by hand from elsewhere takes nothing off", .before = "c:\\a.exe C:\\TEMP\\CORVEN.EXE", .result = 0, .written = false, .module = "C:\\TEMP\\CORVEN.EXE"},
        {.name = "started from another TELVANOR.101 folder: that entry goes, quoted or not", .before = "c:\\a.exe \"d:\\drivers\\telvanor.101\\corven.exe\"", .result = 1, .after = "c:\\a.exe ", .written = true, .on = On::Registry, .module = drivers},
        {.name = "Windows 95 is never 64-bit: only the system directory says where Corven is", .before = "c:\\a.exe \"d:\\drivers\\telvanor.101\\corven.exe\"", .result = 0, .written = false, .on = On::File, .module = drivers},
        {.name = "started from a path the ANSI code page lacks, on NT", .before = cyrillic + " " + russianFolder, .result = 1, .after = cyrillic + " ", .written = true, .on = On::Registry, .module = russianFolder},
        {.name = "the mapping kept as a key, as Wine keeps it: every quote kept", .before = programFiles + " " + self, .result = 1, .after = programFiles + " ", .written = true, .on = On::Registry, .mappingAsKey = true},
        {.name = "a renamed copy in a TELVANOR.101 folder: not Corven's own file, nothing taken off", .before = "c:\\a.exe C:\\WINDOWS\\SysWOW64\\TELVANOR.101\\CORVN2.EXE", .result = 0, .written = false, .on = On::Registry, .wow64 = true, .module = "C:\\WINDOWS\\SysWOW64\\TELVANOR.101\\CORVN2.EXE"},
        {.name = "64-bit Windows, the mapping kept as a key: its section opened in the system's view too", .before = programFiles + " " + wow, .result = 1, .after = programFiles + " ", .written = true, .on = On::Registry, .wow64 = true, .mappingAsKey = true},
        {.name = "the mapping cannot be opened: the line is guarded as a file's", .before = self + " \"c:\\my apps\\a.exe\"", .result = 0, .written = false, .on = On::Registry, .mappingUnreadable = true},
        {.name = "a quote that never closes, one character past Corven: not its entry", .before = "c:\\a.exe \"" + self + "x", .result = 0, .written = false, .on = On::Registry},
        {.name = "a quoted entry after a comma stands whole: written", .before = "c:\\a.exe,\"c:\\my apps\\b.exe\" " + self, .result = 1, .after = "c:\\a.exe,\"c:\\my apps\\b.exe\" ", .written = true, .on = On::File},
        {.name = "once trimmed at its start, what is left would be in quotes whole: never written", .before = self + ", \"c:\\my apps\\a.exe\"", .result = 0, .written = false, .on = On::File},
        {.name = "Windows 95's stubs that set no error are told by the buffer they leave", .before = self + " c:\\b.exe", .result = 1, .after = "c:\\b.exe", .written = true, .on = On::File, .silentStubs = true},
        {.name = "a system directory ending in a 5C second byte", .before = "c:\\a.exe C:\\\u8868\\TELVANOR.101\\CORVEN.EXE", .result = 1, .after = "c:\\a.exe ", .written = true, .on = On::Both, .codePage = 932, .systemDir = "C:\\\u8868"},
    };
    // clang-format on
    // A Windows 95 file at the ends of each double-byte code page: second bytes that read as a, z, A,
    // Z or a backslash stay parts of their characters, found only as themselves.
    for (const DoubleByteEnds& e : kDoubleByteEnds) {
        const std::string ends = {e.firstLead, e.firstTrail, e.lastLead, e.lastTrail, e.lastLead, '\\'};
        const std::string lower = {e.firstLead, 'a', e.lastLead, 'z'},
                          upper = {e.firstLead, 'A', e.lastLead, 'Z'};
        cases.push_back({.name = "the first and last lead and second bytes, a 5C second byte last",
                         .before = "c:\\a.exe C:\\" + ends + corvenTail + " C:\\" + ends + ".EXE",
                         .result = 1,
                         .after = "c:\\a.exe C:\\" + ends + ".EXE",
                         .written = true,
                         .on = On::File,
                         .codePage = e.codePage,
                         .systemDir = "C:\\" + ends,
                         .bytes = true});
        cases.push_back({.name = "second bytes a and z are not A and Z",
                         .before = "c:\\a.exe C:\\" + upper + corvenTail,
                         .result = 0,
                         .after = "c:\\a.exe C:\\" + upper + corvenTail,
                         .written = false,
                         .on = On::File,
                         .codePage = e.codePage,
                         .systemDir = "C:\\" + lower,
                         .bytes = true});
    }
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
    // clang-format off
    const RemovalCase cases[] = {
        {.name = "10 others", .before = OtherEntries(5) + " " + self + " " + OtherEntries(5), .result = 1, .after = OtherEntries(5) + " " + OtherEntries(5), .written = true},
        {.name = "1000 others", .before = OtherEntries(500) + " " + self + " " + OtherEntries(500), .result = 1, .after = OtherEntries(500) + " " + OtherEntries(500), .written = true},
        {.name = "32,766 characters left: written", .before = fits, .result = 1, .after = Filler(20000) + " " + Filler(32766 - 20001), .written = true},
        {.name = "32,767 characters left: not written by the A functions", .before = overflows, .result = 0, .written = false, .on = On::File},
        {.name = "33,500 characters: not written by the A functions", .before = huge, .result = 0, .written = false, .on = On::File},
        {.name = "32,767 characters left: written in Unicode", .before = overflows, .result = 1, .after = Filler(20000) + " " + Filler(32767 - 20001), .written = true, .on = On::Registry},
        {.name = "over 70,000 Cyrillic characters: written in Unicode", .before = russian + self + " " + russian, .result = 1, .after = russian + russian, .written = true, .on = On::Registry},
        {.name = "262,141 characters: the longest line NT is read whole", .before = widest + " " + self, .result = 1, .after = widest + " ", .written = true, .on = On::Registry},
        {.name = "262,142 characters: not had whole", .before = widest + "x " + self, .result = 0, .written = false, .on = On::Registry},
        {.name = "a quoted value one shorter than the first read", .before = "\"" + inner + "\"", .result = 1, .after = Filler(100) + " " + Filler(255 - 102 - self.size()), .written = true, .on = On::File},
    };
    // clang-format on
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
    // clang-format off
    const Case cases[] = {
        {.dir = dir231, .before = dir231 + "\\TELVANOR.101\\CORVEN.EXE c:\\a.exe", .adding = false, .after = "c:\\a.exe"},
        {.dir = dir231 + "W", .before = "system\\TELVANOR.101\\CORVEN.EXE c:\\a.exe", .adding = false, .after = ""},
        {.dir = std::string(300, 'D'), .before = "system\\TELVANOR.101\\CORVEN.EXE c:\\a.exe", .adding = false, .after = ""},
        {.dir = dir233, .before = "c:\\a.exe", .adding = true, .after = "c:\\a.exe " + dir233 + "\\TELVANOR.101\\TELVANOR.EXE"},
        {.dir = dir233 + "W", .before = "c:\\a.exe", .adding = true, .after = ""},
        {.dir = std::string(300, 'D'), .before = "c:\\a.exe", .adding = true, .after = ""},
    };
    // clang-format on
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
        bool wow64 = false;      // 64-bit Windows: Corven started from SysWOW64
        std::string module = ""; // the path Corven was started from; the default when empty
    };
    const std::string companion = kCompanionPath;
    const std::string inf = "C:\\Windows\\System32\\TELVANOR.101\\CORVEN.EXE";
    const std::string longest = Filler(32766 - 1 - companion.size());
    const std::string tooLong = Filler(32767 - 1 - companion.size());
    const std::string many = OtherEntries(700);
    const std::string unicodeLongest = Filler(262141 - 1 - companion.size());
    const std::string unicodeTooLong = Filler(262142 - 1 - companion.size());
    // clang-format off
    const AddCase cases[] = {
        {.name = "no load key: not told from a failed read, so left alone", .before = nullptr, .after = "", .written = false},
        {.name = "empty line", .before = "", .after = companion, .written = true},
        {.name = "another program", .before = "c:\\a.exe", .after = "c:\\a.exe " + companion, .written = true},
        {.name = "already listed in any folder", .before = "d:\\x\\TELVANOR.EXE c:\\a.exe", .after = "d:\\x\\TELVANOR.EXE c:\\a.exe", .written = true},
        {.name = "listed in lower case: the same file name to Windows", .before = "c:\\x\\telvanor.exe", .after = "c:\\x\\telvanor.exe", .written = true},
        {.name = "listed quoted, after another entry", .before = "c:\\a.exe \"c:\\my apps\\TELVANOR.EXE\"", .after = "c:\\a.exe \"c:\\my apps\\TELVANOR.EXE\"", .written = true},
        {.name = "listed on a drive's own folder, or with forward slashes", .before = "C:TELVANOR.EXE c:/x/TELVANOR.EXE", .after = "C:TELVANOR.EXE c:/x/TELVANOR.EXE", .written = true},
        {.name = "a longer name is another program", .before = "c:\\x\\TELVANOR.EXE.BAK", .after = "c:\\x\\TELVANOR.EXE.BAK " + companion, .written = true},
        {.name = "growing to the longest Unicode line read back whole", .before = unicodeLongest.c_str(), .after = unicodeLongest + " " + companion, .written = true, .on = On::Registry},
        {.name = "growing one unit past it: left alone", .before = unicodeTooLong.c_str(), .after = unicodeTooLong, .written = false, .on = On::Registry},
        {.name = "a long line is never cut", .before = many.c_str(), .after = many + " " + companion, .written = true},
        {.name = "growing to 32,766 characters", .before = longest.c_str(), .after = longest + " " + companion, .written = true},
        {.name = "growing past that: left alone by the A functions", .before = tooLong.c_str(), .after = tooLong, .written = false, .on = On::File},
        {.name = "growing past that in Unicode", .before = tooLong.c_str(), .after = tooLong + " " + companion, .written = true, .on = On::Registry},
        {.name = "a literal ? is text like any other", .before = "c:\\a.exe /?", .after = "c:\\a.exe /? " + companion, .written = true},
        {.name = "only inside a longer file name: not listed", .before = "c:\\x\\MYTELVANOR.EXE", .after = "c:\\x\\MYTELVANOR.EXE " + companion, .written = true},
        {.name = "only as a folder's name: not listed", .before = "c:\\TELVANOR.EXE\\a.exe", .after = "c:\\TELVANOR.EXE\\a.exe " + companion, .written = true},
        {.name = "listed bare, or quoted in a folder with a blank", .before = "TELVANOR.EXE \"c:\\my apps\\TELVANOR.EXE\"", .after = "TELVANOR.EXE \"c:\\my apps\\TELVANOR.EXE\"", .written = true},
        {.name = "listed bare in quotes", .before = "c:\\a.exe \"TELVANOR.EXE\"", .after = "c:\\a.exe \"TELVANOR.EXE\"", .written = true},
        {.name = "64-bit Windows: beside Corven in SysWOW64, where the 64-bit shell finds it", .before = "c:\\a.exe", .after = "c:\\a.exe C:\\WINDOWS\\SysWOW64\\TELVANOR.101\\TELVANOR.EXE", .written = true, .on = On::Registry, .wow64 = true},
        {.name = "Corven in a TELVANOR.101 folder elsewhere: the companion beside it there", .before = "c:\\a.exe", .after = "c:\\a.exe D:\\Drivers\\TELVANOR.101\\TELVANOR.EXE", .written = true, .on = On::Registry, .module = "D:\\Drivers\\TELVANOR.101\\CORVEN.EXE"},
        {.name = "a renamed copy in a TELVANOR.101 folder: nothing listed beside it, the system directory's path", .before = "c:\\a.exe", .after = "c:\\a.exe C:\\WINDOWS\\system32\\TELVANOR.101\\TELVANOR.EXE", .written = true, .on = On::Registry, .wow64 = true, .module = "C:\\WINDOWS\\SysWOW64\\TELVANOR.101\\CORVN2.EXE"},
        {.name = "64-bit Windows, an empty line: read in Unicode all the same, beside Corven in SysWOW64", .before = "", .after = "C:\\WINDOWS\\SysWOW64\\TELVANOR.101\\TELVANOR.EXE", .written = true, .on = On::Registry, .wow64 = true},
        {.name = "64-bit Windows, a 64-bit INF install: in system32, as the system directory says", .before = "c:\\a.exe", .after = "c:\\a.exe C:\\WINDOWS\\system32\\TELVANOR.101\\TELVANOR.EXE", .written = true, .on = On::Registry, .wow64 = true, .module = inf},
        {.name = "64-bit Windows, where Corven was started from not had: nothing listed", .before = "c:\\a.exe", .after = "c:\\a.exe", .written = false, .on = On::Registry, .wow64 = true, .module = "C:\\" + std::string(250, 'L') + "\\TELVANOR.101\\CORVEN.EXE"},
        {.name = "started by a name in other letters' case: the system directory's path", .before = "c:\\a.exe", .after = "c:\\a.exe " + companion, .written = true, .module = "c:\\windows\\system\\telvanor.101\\corven.exe"},
        {.name = "a copy run by hand from elsewhere: the system directory's path", .before = "c:\\a.exe", .after = "c:\\a.exe " + companion, .written = true, .module = "C:\\TEMP\\CORVEN.EXE"},
        {.name = "quotes that do not pair up: left alone", .before = "c:\\a\" b.exe", .after = "c:\\a\" b.exe", .written = false, .on = On::File},
        {.name = "quotes that do not pair up: the registry keeps them as they are", .before = "c:\\a\" b.exe", .after = "c:\\a\" b.exe " + companion, .written = true, .on = On::Registry},
    };
    // clang-format on
    ForEachRow<AddCase>(cases, sizeof(cases) / sizeof(cases[0]), [this](const AddCase& c) {
        if (c.wow64) {
            winsim::SetWow64();
        }
        if (!c.module.empty()) {
            winsim::SetModulePath(c.module);
        }
        if (c.before) {
            SetLoadLine(c.before);
        } else {
            WriteWinIni("[windows]\r\nrun=\r\n");
        }
        int writes = winsim::ProfileWrites();
        AddToLoadLine("TELVANOR.EXE");
        // The registry's line whole, longer than one A read holds.
        std::string after = kind_ == winsim::WinIni::Registry && c.before ? RawLoadLine() : LoadLine();
        EXPECT_TRUE(after == c.after) << "the line is [" << after.substr(0, 200) << "]";
        EXPECT_EQ(winsim::ProfileWrites() - writes, c.written ? 1 : 0);
    });
}

TEST_F(LoadLineTest, RemoveEntryChangesNothingButTheEntry)
{
    char line[64] = "c:\\a.exe b:\\\xe4\xe9.exe Q:\\X.EXE";
    EXPECT_EQ(RemoveEntry(line, "d:\\none.exe"), 0);
    EXPECT_STREQ(line, "c:\\a.exe b:\\\xe4\xe9.exe Q:\\X.EXE");
    EXPECT_EQ(RemoveEntry(line, "q:\\x.exe"), 1);
    EXPECT_STREQ(line, "c:\\a.exe b:\\\xe4\xe9.exe ");
    WCHAR wide[] = {'a', ' ', 0x0444, ' ', 'B', 0};
    const WCHAR entry[] = {0x0444, 0};
    EXPECT_EQ(RemoveEntry(wide, entry), 1);
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

// The rules of entries alone, on units, with no machine, no heap and no platform call.
TEST(EntryRules, HoldWithoutThePlatform)
{
    enum class Rule { NamesCompanion, Faithful, LosesOuterQuotes };
    struct Row {
        const char* name;
        Rule rule;
        const char* line; // ASCII
        bool holds;
    };
    // clang-format off
    const Row rows[] = {
        {"the companion in lower case",            Rule::NamesCompanion,   "c:\\x\\telvanor.exe",       true},
        {"the companion in quotes",                Rule::NamesCompanion,   "\"c:\\my apps\\TELVANOR.EXE\"", true},
        {"the companion on a drive's own folder",  Rule::NamesCompanion,   "C:TELVANOR.EXE",              true},
        {"the companion with forward slashes",     Rule::NamesCompanion,   "c:/x/TELVANOR.EXE",           true},
        {"a longer name",                          Rule::NamesCompanion,   "c:\\x\\TELVANOR.EXE.BAK",   false},
        {"a folder of that name",                  Rule::NamesCompanion,   "c:\\TELVANOR.EXE\\a.exe",   false},
        {"quotes around whole entries",            Rule::Faithful,         "\"a b.exe\" c.exe",           true},
        {"a quote inside an entry",                Rule::Faithful,         "c.exe --name=\"x\"",          false},
        {"a quote that never closes",              Rule::Faithful,         "\"a b.exe",                   false},
        {"quotes wrapping the line",               Rule::LosesOuterQuotes, "\"a b.exe\"",                 true},
        {"single quotes wrapping it",              Rule::LosesOuterQuotes, "'a b.exe'",                   true},
        {"CR and ^Z trimmed first",                Rule::LosesOuterQuotes, "\"a b.exe\" \r\x1a ",          true},
        {"^N is not trimmed",                      Rule::LosesOuterQuotes, "\"a b.exe\" \x0e",             false},
        {"two quoted entries",                     Rule::LosesOuterQuotes, "\"a b.exe\" \"c.exe\"",         true},
        {"a bare entry after quoted one",          Rule::LosesOuterQuotes, "\"a b.exe\" c.exe",           false},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Unit line[64] = {};
        int length = 0;
        for (const char* at = row.line; *at; ++at) {
            line[length++] = static_cast<unsigned char>(*at);
        }
        switch (row.rule) {
        case Rule::NamesCompanion:
            EXPECT_EQ(ListsProgram(line, "TELVANOR.EXE"), row.holds);
            break;
        case Rule::Faithful:
            EXPECT_EQ(IsFaithfulLine(line), row.holds);
            break;
        case Rule::LosesOuterQuotes:
            EXPECT_EQ(WouldLoseOuterQuotes(line, length), row.holds);
            break;
        }
    }
}
