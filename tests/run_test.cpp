// Whole runs through WinMain: the notice, the lookup, the quiet start, the disk prompt, and the
// exit code and win.ini each path leaves. The dialogs are driven as a user would drive them.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "res/resource.h"
#include "support/fixture.h"

namespace {

class RunTest : public MachineTest {
protected:
    void BuildMachine() override
    {
        cd_ = MakeFolder("cdrom");
        winsim::AddDrive('C', DRIVE_FIXED, MakeFolder("c"));
        winsim::AddDrive('E', DRIVE_CDROM, cd_);
        SetLoadLine(kUsualLoadLine);
    }

    int Run(LPSTR commandLine = nullptr)
    {
        return WinMain(winsim::Instance(), nullptr, commandLine, SW_SHOWNORMAL);
    }

    static void Notice(bool tick, int button)
    {
        winsim::OnDialog(IDD_NOTICE, [tick, button](HWND d) {
            if (tick) {
                winsim::Click(d, IDC_DONTSHOW);
            }
            winsim::Click(d, button);
        });
    }

    // The load line as read back after a finish: the other entry, and the companion for ISDN.
    std::string Finished()
    {
        return CORVEN_DEVICE_TYPE == 5 ? std::string("c:\\tools\\agent.exe ") + kCompanionPath
                                       : "c:\\tools\\agent.exe";
    }

    std::string cd_;
};

} // namespace

#if CORVEN_DEVICE_TYPE != 5

TEST_F(RunTest, TypicalRunStartsSetupFromTheCdAndFinishes)
{
    MakeFile(cd_, "SETUP.EXE");
    Notice(false, IDOK);
    char arguments[] = "/quiet /skip-notice d:\\"; // change nothing
    EXPECT_EQ(Run(arguments), 1);
    ASSERT_EQ(winsim::Starts().size(), 1u);
    EXPECT_EQ(winsim::Starts()[0].commandLine, "E:\\.\\setup.exe /noprompt");
    EXPECT_EQ(winsim::Starts()[0].show, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(winsim::Starts()[0].program, cd_ + "/SETUP.EXE");
    EXPECT_EQ(winsim::DialogsOpened(), std::vector<int>{IDD_NOTICE});
    EXPECT_EQ(winsim::Beeps(), std::vector<UINT>{MB_ICONASTERISK});
    EXPECT_EQ(LoadLine(), "c:\\tools\\agent.exe");
    EXPECT_TRUE(winsim::LibraryLoads().empty()) << "nothing loaded for an Open dialog never shown";
}

TEST_F(RunTest, NoticeAnswersDecideTheRun)
{
    struct Case {
        const char* name;
        bool tick;
        int button, exitCode;
        bool started, finished;
    };
    const Case cases[] = {
        {.name = "Cancel, box clear: nothing looked up, started or written",
         .tick = false,
         .button = IDCANCEL,
         .exitCode = 2,
         .started = false,
         .finished = false},
        {.name = "Cancel, box ticked: finished once",
         .tick = true,
         .button = IDCANCEL,
         .exitCode = 2,
         .started = false,
         .finished = true},
        {.name = "OK, box ticked: the second finish finds nothing left to write",
         .tick = true,
         .button = IDOK,
         .exitCode = 1,
         .started = true,
         .finished = true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeFile(cd_, "setup.exe");
        winsim::SetRegistryText(HKEY_CURRENT_USER, "InstallLocationsMRU", "MRUList", "a");
        std::string before = LoadLine();
        Notice(c.tick, c.button);
        EXPECT_EQ(Run(), c.exitCode);
        EXPECT_EQ(winsim::KeyOpens() > 0 || winsim::RootQueries() > 0, c.button == IDOK);
        EXPECT_EQ(winsim::Starts().size(), c.started ? 1u : 0u);
        EXPECT_EQ(winsim::ProfileWrites(), c.finished ? 1 : 0);
        EXPECT_EQ(LoadLine(), c.finished ? "c:\\tools\\agent.exe" : before);
        NextRow(); // checks what this row left
    }
}

TEST_F(RunTest, NoticeEndCodeBecomesTheExitCode)
{
    // The close box before any command gives 0, after a tick IDC_DONTSHOW; both go on as OK.
    InFreshProgram([this] {
        struct Case {
            const char* name;
            bool tick;
            int expected;
        };
        for (const Case& c :
             {Case{"close box", false, 0}, Case{"tick, then close box", true, IDC_DONTSHOW}}) {
            SCOPED_TRACE(c.name);
            MakeFile(cd_, "setup.exe");
            bool tick = c.tick;
            winsim::OnDialog(IDD_NOTICE, [tick](HWND d) {
                if (tick) {
                    winsim::Click(d, IDC_DONTSHOW);
                }
                winsim::CloseBox(d);
            });
            EXPECT_EQ(Run(), c.expected);
            EXPECT_EQ(winsim::Starts().size(), 1u);
            EXPECT_EQ(LoadLine(), "c:\\tools\\agent.exe");
            NextRow(); // checks what this row left
        }
    });
}

TEST_F(RunTest, NoticeThatCannotOpenGoesOnAsOk)
{
    MakeFile(cd_, "setup.exe");
    winsim::FailDialog(IDD_NOTICE);
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(winsim::Starts().size(), 1u);
    EXPECT_EQ(LoadLine(), "c:\\tools\\agent.exe");
}

#endif

TEST_F(RunTest, FailedQuietStartHandsTheFoundPathToTheDiskPrompt)
{
    winsim::SetRegistryText(HKEY_CURRENT_USER, "InstallLocationsMRU", "MRUList", "b");
    winsim::SetRegistryText(HKEY_CURRENT_USER, "InstallLocationsMRU", "b", "C:\\Drivers\\Halvern");
    Notice(false, IDOK); // when there is one
    std::string shown;
    winsim::OnDialog(IDD_DISKPROMPT, [&shown](HWND d) {
        shown = winsim::Text(d, IDC_DRIVE);
        winsim::PressEscape(d);
    });
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(winsim::FileLooks(), std::vector<std::string>{"C:\\Drivers\\Halvern\\.\\setup.exe"});
    EXPECT_EQ(shown, "C:\\DRIVERS\\HALVERN");
    const std::vector<int> dialogs = {IDD_NOTICE, IDD_DISKPROMPT}; // no launch-error dialog before the prompt
    EXPECT_EQ(winsim::DialogsOpened(),
              std::vector<int>(dialogs.begin() + (CORVEN_DEVICE_TYPE == 5), dialogs.end()));
    EXPECT_EQ(LoadLine(), Finished());
}

TEST_F(RunTest, DiskPromptThatCannotOpenGivesMinusOne)
{
    Notice(false, IDOK); // when there is one
    winsim::FailDialog(IDD_DISKPROMPT);
    std::string before = ReadWinIni();
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(ReadWinIni(), before); // Corven stays pending
}

#if CORVEN_DEVICE_TYPE == 5

TEST_F(RunTest, IsdnSkipsTheNoticeAndListsTheCompanion)
{
    MakeFile(cd_, "setup.exe");
    EXPECT_EQ(Run(), 1);
    EXPECT_TRUE(winsim::DialogsOpened().empty());
    EXPECT_EQ(winsim::Starts().size(), 1u);
    EXPECT_EQ(LoadLine(), Finished());
}

#endif
