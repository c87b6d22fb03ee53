// Whole runs through WinMain: the notice, the lookup, the quiet start, the disk prompt, and the
// exit code and win.ini each path leaves. The dialogs are driven as a user would drive them.
#include <gtest/gtest.h>

#include <cstdio>
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
    // clang-format off
    const Case cases[] = {
        {.name = "Cancel, box clear: nothing looked up, started or written", .tick = false, .button = IDCANCEL, .exitCode = 2, .started = false, .finished = false},
        {.name = "Cancel, box ticked: finished once", .tick = true, .button = IDCANCEL, .exitCode = 2, .started = false, .finished = true},
        {.name = "OK, box ticked: the second finish finds nothing left to write", .tick = true, .button = IDOK, .exitCode = 1, .started = true, .finished = true},
    };
    // clang-format on
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

// Every Windows from 95 to 11, started as the shell starts load= programs or as a program is
// started by hand: each dialog comes up restored, active and topmost; on Vista to 11 setup.exe
// starts through the shell's consent prompt (owned by the dialog that asked, none for the quiet
// start), a declined prompt is "not started"; an empty CD-ROM drive raises no box of the system's;
// setup.exe runs with the error mode Corven was given.
TEST_F(RunTest, EveryWindowsFrom95To11)
{
    enum class System { Windows95, NT, Windows11, Windows11On64 };
    struct Case {
        const char* name;
        System system;
        int startupShow;           // -1: no STARTUPINFO show state
        bool setupOnCd, cdIsEmpty; // setup.exe on E:, or no medium in E: at all
        std::vector<bool> consents;
        bool promptTypesInstall;  // the disk prompt (if it comes) types d:\install and presses OK
        std::vector<int> dialogs; // after the notice, when the device shows one
        std::string started;      // the program started, "" when none
        bool throughShell;
        std::vector<bool> promptOwnsConsent; // per consent prompt: owned by the disk prompt
    };
    // clang-format off
    const Case cases[] = {
        {"Windows 11: one consent prompt, owned by no window, for the quiet start", System::Windows11, -1, true, false, {true}, false, {}, "cdrom/SETUP.EXE", true, {false}},
        {"Windows 11 started minimised: the same, the notice restored", System::Windows11, SW_SHOWMINNOACTIVE, true, false, {true}, false, {}, "cdrom/SETUP.EXE", true, {false}},
        {"Windows 11, declined: the disk prompt, then consent owned by it", System::Windows11, -1, true, false, {false, true}, false, {IDD_DISKPROMPT}, "cdrom/SETUP.EXE", true, {false, true}},
        {"Windows 11, declined twice: the launch-error dialog after the prompt", System::Windows11, -1, true, false, {false, false}, false, {IDD_DISKPROMPT, IDD_LAUNCHERROR}, "", true, {false, true}},
        {"64-bit Windows 11: Corven leaves the SysWOW64 entry the shell started it from", System::Windows11On64, SW_SHOWMINNOACTIVE, true, false, {true}, false, {}, "cdrom/SETUP.EXE", true, {false}},
        {"Windows 11, elevated: WinExec starts it, no prompt", System::Windows11, -1, true, false, {}, false, {}, "cdrom/SETUP.EXE", false, {}},
        {"Windows 95 started minimised: every dialog restored and active", System::Windows95, SW_SHOWMINNOACTIVE, false, false, {}, true, {IDD_DISKPROMPT}, "install/SETUP.EXE", false, {}},
        {"NT started minimised: every dialog restored and active", System::NT, SW_SHOWMINNOACTIVE, false, false, {}, true, {IDD_DISKPROMPT}, "install/SETUP.EXE", false, {}},
        {"Windows 11 started minimised, the CD missing: prompt, then consent", System::Windows11, SW_SHOWMINNOACTIVE, false, false, {true}, true, {IDD_DISKPROMPT}, "install/SETUP.EXE", true, {true}},
        {"an empty CD-ROM drive: no box of the system's, the disk prompt follows", System::NT, -1, false, true, {}, true, {IDD_DISKPROMPT}, "install/SETUP.EXE", false, {}},
        {"an empty drive on Windows 95, started minimised", System::Windows95, SW_SHOWMINNOACTIVE, false, true, {}, true, {IDD_DISKPROMPT}, "install/SETUP.EXE", false, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winsim::SetWinIni(c.system == System::Windows95 ? winsim::WinIni::File : winsim::WinIni::Registry);
        const bool x64 = c.system == System::Windows11On64;
        SetLoadLine(x64 ? std::string("c:\\tools\\agent.exe ") + kSelfEntry64 : kUsualLoadLine);
        if (c.system == System::Windows11 || x64) {
            winsim::SetVistaTo11(std::string(c.name).find("elevated") != std::string::npos);
        }
        if (x64) {
            winsim::SetWow64();
        }
        if (c.startupShow >= 0) {
            winsim::StartWithShowState(c.startupShow);
        }
        winsim::AnswerConsents(c.consents);
        std::string install = MakeFolder("install");
        winsim::AddDrive('D', DRIVE_FIXED, install);
        MakeFile(install, "SETUP.EXE");
        std::remove((cd_ + "/SETUP.EXE").c_str()); // left by an earlier row
        if (c.setupOnCd) {
            MakeFile(cd_, "SETUP.EXE");
        }
        if (c.cdIsEmpty) {
            winsim::TakeOutMedium('E');
        }
        // Each dialog, when its script runs: in front, restored and active.
        std::vector<std::string> notInFront;
        auto inFront = [&notInFront](HWND d, const char* which) {
            if (winsim::IsMinimized(d) || !winsim::IsActive(d) || !winsim::IsTopmost(d) ||
                !winsim::IsVisible(d)) {
                notInFront.push_back(which);
            }
        };
        HWND prompt = nullptr;
        winsim::OnDialog(IDD_NOTICE, [&inFront](HWND d) {
            inFront(d, "notice");
            winsim::Click(d, IDOK);
        });
        winsim::OnDialog(IDD_DISKPROMPT, [&](HWND d) {
            prompt = d;
            inFront(d, "disk prompt");
            if (c.promptTypesInstall) {
                winsim::TypeText(d, IDC_DRIVE, "d:\\");
            }
            winsim::Click(d, IDOK);
        });
        winsim::OnDialog(IDD_LAUNCHERROR, [&inFront](HWND d) {
            inFront(d, "launch-error dialog");
            winsim::Click(d, IDCANCEL);
        });
        EXPECT_EQ(Run(), 1);
        EXPECT_TRUE(notInFront.empty()) << notInFront.front() << " not restored, active and in front";
        std::vector<int> dialogs = c.dialogs;
        if (CORVEN_DEVICE_TYPE != 5) {
            dialogs.insert(dialogs.begin(), IDD_NOTICE);
        }
        EXPECT_EQ(winsim::DialogsOpened(), dialogs);
        const winsim::Start* started = nullptr;
        for (const winsim::Start& start : winsim::Starts()) {
            EXPECT_EQ(start.errorMode, 0u) << "setup.exe runs with the error mode Corven was given";
            started = start.program.empty() ? started : &start;
        }
        std::string program = c.started.substr(c.started.find('/') + 1);
        std::string folder = c.started.substr(0, c.started.find('/'));
        EXPECT_EQ(started != nullptr, !c.started.empty());
        if (started && !c.started.empty()) {
            EXPECT_EQ(started->program, (folder == "cdrom" ? cd_ : install) + "/" + program);
            EXPECT_EQ(started->throughShell, c.throughShell);
            EXPECT_NE(started->commandLine.find("/noprompt"), std::string::npos);
        }
        ASSERT_EQ(winsim::ConsentPrompts().size(), c.promptOwnsConsent.size());
        for (size_t i = 0; i < c.promptOwnsConsent.size(); ++i) {
            EXPECT_EQ(winsim::ConsentPrompts()[i].owner, c.promptOwnsConsent[i] ? prompt : nullptr);
        }
        EXPECT_EQ(winsim::CriticalErrorBoxes(), 0);
        EXPECT_EQ(winsim::ErrorMode(), 0u);
        std::string line = LoadLine();
        std::string finished = Finished();
        if (x64 && CORVEN_DEVICE_TYPE == 5) {
            finished.replace(finished.find(kCompanionPath), std::string(kCompanionPath).size(),
                             kCompanionPath64);
        }
        EXPECT_EQ(line.erase(line.find_last_not_of(' ') + 1), finished);
        NextRow();
    }
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
