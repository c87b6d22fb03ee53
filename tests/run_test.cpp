// Whole runs through WinMain: the notice, the lookup, the quiet start, the disk prompt, and the
// exit code and win.ini each path leaves. The dialogs are driven as a user would drive them.
#include <gtest/gtest.h>

#include <algorithm>
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
    // Each row also on Windows 11 under an administrator's limited token, where the notice itself
    // makes the start: Cancel raises no prompt there either.
    for (const Case& c : cases) {
        for (bool windows11 : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (windows11 ? ", Windows 11" : ""));
            if (windows11) {
                winsim::SetWinIni(winsim::WinIni::Registry);
                SetLoadLine(kUsualLoadLine);
                winsim::SetVistaTo11(winsim::Token::Limited);
            }
            MakeFile(cd_, "setup.exe");
            winsim::SetRegistryText(HKEY_CURRENT_USER, "InstallLocationsMRU", "MRUList", "a");
            std::string before = LoadLine();
            Notice(c.tick, c.button);
            EXPECT_EQ(Run(), c.exitCode);
            if (!windows11) { // there the line itself is in the registry
                EXPECT_EQ(winsim::KeyOpens() > 0 || winsim::RootQueries() > 0, c.button == IDOK);
            }
            EXPECT_EQ(winsim::Starts().size(), c.started ? 1u : 0u);
            EXPECT_EQ(winsim::ConsentPrompts().size(), windows11 && c.started ? 1u : 0u);
            EXPECT_EQ(winsim::ProfileWrites(), c.finished ? 1 : 0);
            std::string line = LoadLine();
            EXPECT_EQ(line.erase(line.find_last_not_of(' ') + 1),
                      c.finished ? "c:\\tools\\agent.exe" : before);
            NextRow(); // checks what this row left
        }
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
// started by hand: each dialog shows once, restored, active and topmost; on Vista to 11, wherever
// Corven's token does not hold Administrators (an administrator's limited token, a standard user),
// setup.exe starts elevated through the shell's prompt, whatever the edition, and the prompt is
// owned by the active window that asked (the notice on OK, the disk prompt on OK, the disk prompt
// again after Retry), so none flashes in the taskbar but the ISDN modem's, which has no window; a
// No at the quiet start ends the run with Corven still on the line, a No at the disk prompt's OK is
// "not started"; a second close or OK while the prompt is up starts nothing more; an empty CD-ROM
// drive raises no box of the system's; setup.exe runs shown normally, with the error mode Corven
// was given where Corven starts it (the elevation service starts a consented one afresh); an
// elevated one from a mapped drive by its network name.
TEST_F(RunTest, EveryWindowsFrom95To11)
{
    enum class System {
        Windows95,
        NT,
        Windows11,
        Windows11Pro,
        Windows11Elevated,
        Windows11UacOff,
        Windows11On64,
        Windows11Standard,
        Windows11ProStandard,
        Windows11BuiltIn,
        Windows11Denied,       // a standard user, elevation denied by policy
        Windows11NoMembership, // the full token, CheckTokenMembership failing
        Windows11Mapped,       // D: a mapped network drive
        Windows11NoNetworkName // the same, WNetGetUniversalNameW failing
    };
    struct Case {
        const char* name;
        System system;
        int startupShow;           // -1: no STARTUPINFO show state
        UINT errorMode;            // the error mode Corven is started with
        bool setupOnCd, cdIsEmpty; // setup.exe on E:, or no medium in E: at all
        std::vector<bool> consents;
        bool promptTypesInstall;  // the disk prompt (if it comes) types d:\install and presses OK
        int retries;              // Retry presses in the launch-error dialog before Abort
        std::vector<int> dialogs; // after the notice, when the device shows one
        std::string started;      // the program started, "" when none
        bool throughShell;
        std::vector<std::string> consentOwners; // per consent prompt: "notice", "prompt" or "none"
        const char* meanwhile =
            "";           // "notice" or "prompt": a second close or OK, then Cancel, during the prompt
        int exitCode = 1; // 2: Corven still on the line
    };
    const UINT given = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    // clang-format off
    const Case cases[] = {
        {"Windows 11: one consent prompt, in front of the notice", System::Windows11, -1, 0, true, false, {true}, false, 0, {}, "cdrom/SETUP.EXE", true, {"notice"}},
        {"Windows 11 started minimised: the same, the notice restored", System::Windows11, SW_SHOWMINNOACTIVE, 0, true, false, {true}, false, 0, {}, "cdrom/SETUP.EXE", true, {"notice"}},
        {"Windows 11 Pro, no installer detection: elevated through consent all the same", System::Windows11Pro, -1, given, true, false, {true}, false, 0, {}, "cdrom/SETUP.EXE", true, {"notice"}},
        {"Windows 11, declined at the quiet start: no disk prompt, Corven still on the line", System::Windows11, -1, 0, true, false, {false}, false, 0, {}, "", true, {"notice"}, "", 2},
        {"Windows 11, the CD missing, declined at the prompt's OK: the launch-error dialog, then Abort", System::Windows11, -1, 0, false, false, {false}, true, 0, {IDD_DISKPROMPT, IDD_LAUNCHERROR}, "", true, {"prompt"}},
        {"Windows 11 started minimised, the CD missing, declined twice: Retry asks in front of the prompt", System::Windows11, SW_SHOWMINNOACTIVE, given, false, false, {false, false, true}, true, 2, {IDD_DISKPROMPT, IDD_LAUNCHERROR, IDD_LAUNCHERROR}, "install/SETUP.EXE", true, {"prompt", "prompt", "prompt"}},
        {"Windows 11 Home, a standard user: an administrator's password asked in front of the notice", System::Windows11Standard, -1, 0, true, false, {true}, false, 0, {}, "cdrom/SETUP.EXE", true, {"notice"}},
        {"Windows 11 Pro, a standard user: asked all the same, never started without the rights", System::Windows11ProStandard, SW_SHOWMINNOACTIVE, given, true, false, {true}, false, 0, {}, "cdrom/SETUP.EXE", true, {"notice"}},
        {"Windows 11, a standard user, declined: Corven still on the line", System::Windows11ProStandard, -1, 0, true, false, {false}, false, 0, {}, "", true, {"notice"}, "", 2},
        {"Windows 11, a standard user, elevation denied by policy: the disk prompt, as for a failed start", System::Windows11Denied, -1, 0, true, false, {}, false, 0, {IDD_DISKPROMPT, IDD_LAUNCHERROR}, "", false, {}},
        {"Windows 11, the built-in Administrator: WinExec starts it, no prompt", System::Windows11BuiltIn, -1, 0, true, false, {}, false, 0, {}, "cdrom/SETUP.EXE", false, {}},
        {"Windows 11, elevated, the membership unknown: the shell's elevated start, which asks nothing of a full token", System::Windows11NoMembership, -1, given, true, false, {}, false, 0, {}, "cdrom/SETUP.EXE", true, {}},
        {"Windows 11, the notice closed again and cancelled during the prompt: one prompt, one start", System::Windows11, -1, 0, true, false, {true}, false, 0, {}, "cdrom/SETUP.EXE", true, {"notice"}, "notice"},
        {"Windows 11, the CD missing, OK again and Cancel during the prompt: one prompt, one start", System::Windows11Standard, -1, 0, false, false, {true}, true, 0, {IDD_DISKPROMPT}, "install/SETUP.EXE", true, {"prompt"}, "prompt"},
        {"Windows 11, a mapped drive typed in the prompt: the elevated start by its network name", System::Windows11Mapped, -1, 0, false, false, {true}, true, 0, {IDD_DISKPROMPT}, "install/SETUP.EXE", true, {"prompt"}},
        {"Windows 11, a mapped drive whose network name is not to be had: the letter, as before", System::Windows11NoNetworkName, -1, 0, false, false, {true}, true, 0, {IDD_DISKPROMPT, IDD_LAUNCHERROR}, "", true, {"prompt"}},
        {"64-bit Windows 11: Corven leaves the SysWOW64 entry the shell started it from", System::Windows11On64, SW_SHOWMINNOACTIVE, 0, true, false, {true}, false, 0, {}, "cdrom/SETUP.EXE", true, {"notice"}},
        {"Windows 11, elevated: WinExec starts it, no prompt", System::Windows11Elevated, -1, given, true, false, {}, false, 0, {}, "cdrom/SETUP.EXE", false, {}},
        {"Windows 11 with UAC off: WinExec starts it, no prompt", System::Windows11UacOff, -1, 0, true, false, {}, false, 0, {}, "cdrom/SETUP.EXE", false, {}},
        {"Windows 95 started minimised: every dialog restored and active", System::Windows95, SW_SHOWMINNOACTIVE, given, false, false, {}, true, 0, {IDD_DISKPROMPT}, "install/SETUP.EXE", false, {}},
        {"NT started minimised: every dialog restored and active", System::NT, SW_SHOWMINNOACTIVE, 0, false, false, {}, true, 0, {IDD_DISKPROMPT}, "install/SETUP.EXE", false, {}},
        {"NT started minimised, no disk: the launch-error dialog restored and active too", System::NT, SW_SHOWMINNOACTIVE, given, false, false, {}, false, 1, {IDD_DISKPROMPT, IDD_LAUNCHERROR, IDD_LAUNCHERROR}, "", false, {}},
        {"Windows 11 started minimised, the CD missing: prompt, then consent", System::Windows11, SW_SHOWMINNOACTIVE, 0, false, false, {true}, true, 0, {IDD_DISKPROMPT}, "install/SETUP.EXE", true, {"prompt"}},
        {"an empty CD-ROM drive: no box of the system's, the disk prompt follows", System::NT, -1, given, false, true, {}, true, 0, {IDD_DISKPROMPT}, "install/SETUP.EXE", false, {}},
        {"an empty drive on Windows 95, started minimised", System::Windows95, SW_SHOWMINNOACTIVE, 0, false, true, {}, true, 0, {IDD_DISKPROMPT}, "install/SETUP.EXE", false, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winsim::SetWinIni(c.system == System::Windows95 ? winsim::WinIni::File : winsim::WinIni::Registry);
        const bool x64 = c.system == System::Windows11On64;
        SetLoadLine(x64 ? std::string("c:\\tools\\agent.exe ") + kSelfEntry64 : kUsualLoadLine);
        // Vista to 11: the token Corven runs with, and whether installer detection is on.
        struct Uac {
            System system;
            winsim::Token token;
            bool detection;
        };
        for (const Uac& uac : {Uac{System::Windows11, winsim::Token::Limited, true},
                               Uac{System::Windows11On64, winsim::Token::Limited, true},
                               Uac{System::Windows11Pro, winsim::Token::Limited, false},
                               Uac{System::Windows11Elevated, winsim::Token::Full, true},
                               Uac{System::Windows11UacOff, winsim::Token::UacOff, true},
                               Uac{System::Windows11Standard, winsim::Token::Standard, true},
                               Uac{System::Windows11ProStandard, winsim::Token::Standard, false},
                               Uac{System::Windows11BuiltIn, winsim::Token::BuiltInAdministrator, true},
                               Uac{System::Windows11Denied, winsim::Token::Standard, true},
                               Uac{System::Windows11NoMembership, winsim::Token::Full, true},
                               Uac{System::Windows11Mapped, winsim::Token::Limited, true},
                               Uac{System::Windows11NoNetworkName, winsim::Token::Limited, true}}) {
            if (uac.system == c.system) {
                winsim::SetVistaTo11(uac.token, uac.detection);
            }
        }
        if (c.system == System::Windows11Denied) {
            winsim::DenyElevationRequests();
        }
        if (c.system == System::Windows11NoMembership) {
            winsim::FailEvery("CheckTokenMembership");
        }
        if (c.system == System::Windows11NoNetworkName) {
            winsim::FailEvery("WNetGetUniversalNameW");
        }
        const bool standard =
            c.system == System::Windows11Standard || c.system == System::Windows11ProStandard;
        const bool mapped = c.system == System::Windows11Mapped || c.system == System::Windows11NoNetworkName;
        if (x64) {
            winsim::SetWow64();
        }
        if (c.startupShow >= 0) {
            winsim::StartWithShowState(c.startupShow);
        }
        SetErrorMode(c.errorMode);
        winsim::AnswerConsents(c.consents);
        std::string install = MakeFolder("install");
        if (mapped) {
            winsim::MapNetworkDrive('D', "\\\\depot\\drivers", install);
        } else {
            winsim::AddDrive('D', DRIVE_FIXED, install);
        }
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
        HWND notice = nullptr;
        HWND prompt = nullptr;
        winsim::OnDialog(IDD_NOTICE, [&](HWND d) {
            notice = d;
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
        int retries = c.retries;
        winsim::OnAnyOtherDialog([&](HWND d) {
            inFront(d, "launch-error dialog");
            winsim::Click(d, retries-- > 0 ? IDYES : IDCANCEL);
        });
        // What a message loop delivers while the prompt is up: the same answer again, then Cancel.
        if (c.meanwhile == std::string("notice")) {
            winsim::DuringShellStart([&] {
                if (notice) {
                    SendMessageA(notice, WM_CLOSE, 0, 0);
                    winsim::Click(notice, IDCANCEL);
                }
            });
        } else if (c.meanwhile == std::string("prompt")) {
            winsim::DuringShellStart([&] {
                winsim::Click(prompt, IDOK);
                winsim::PressEscape(prompt);
                SendMessageA(prompt, WM_CLOSE, 0, 0);
            });
        }
        EXPECT_EQ(Run(), c.exitCode);
        EXPECT_TRUE(notInFront.empty()) << notInFront.front() << " not restored, active and in front";
        std::vector<int> dialogs = c.dialogs;
        if (CORVEN_DEVICE_TYPE != 5) {
            dialogs.insert(dialogs.begin(), IDD_NOTICE);
        }
        EXPECT_EQ(winsim::DialogsOpened(), dialogs);
        for (const winsim::Showing& showing : winsim::Showings()) {
            EXPECT_EQ(showing.states, std::vector<std::string>{"restored active"})
                << "dialog " << showing.templateId << " shows once, restored and active";
        }
        const winsim::Start* started = nullptr;
        for (const winsim::Start& start : winsim::Starts()) {
            EXPECT_EQ(start.show, static_cast<UINT>(SW_SHOWNORMAL));
            EXPECT_FALSE(start.limited) << "setup.exe runs with the administrator's rights";
            started = start.program.empty() ? started : &start;
        }
        std::string program = c.started.substr(c.started.find('/') + 1);
        std::string folder = c.started.substr(0, c.started.find('/'));
        EXPECT_EQ(started != nullptr, !c.started.empty());
        if (started && !c.started.empty()) {
            EXPECT_EQ(started->program, (folder == "cdrom" ? cd_ : install) + "/" + program);
            EXPECT_EQ(started->throughShell, c.throughShell);
            EXPECT_NE(started->commandLine.find("/noprompt"), std::string::npos);
            EXPECT_EQ(started->errorMode, c.consentOwners.empty() ? c.errorMode : 0u)
                << "setup.exe runs with the error mode Corven was given, unless the elevation service starts "
                   "it";
        }
        EXPECT_EQ(winsim::ConsentPrompts().size(), c.consentOwners.size());
        for (size_t i = 0; i < std::min(c.consentOwners.size(), winsim::ConsentPrompts().size()); ++i) {
            std::string owner = c.consentOwners[i];
            if (owner == "notice" && CORVEN_DEVICE_TYPE == 5) {
                owner = "none"; // no notice: the quiet start has no window to own its prompt
            }
            const winsim::ConsentPrompt& consent = winsim::ConsentPrompts()[i];
            EXPECT_EQ(consent.owner, owner == "notice" ? notice : owner == "prompt" ? prompt : nullptr);
            EXPECT_EQ(consent.flashing, owner == "none") << "consent prompt " << i;
            EXPECT_EQ(consent.credentials, standard)
                << "a standard user is asked for an administrator's password";
            if (mapped) {
                EXPECT_EQ(consent.program, c.system == System::Windows11Mapped
                                               ? "\\\\depot\\drivers\\.\\setup.exe"
                                               : "D:\\.\\setup.exe");
            }
        }
        EXPECT_EQ(winsim::CriticalErrorBoxes(), 0);
        EXPECT_EQ(winsim::ErrorMode(), c.errorMode);
        std::string line = LoadLine();
        std::string finished = Finished();
        if (x64 && CORVEN_DEVICE_TYPE == 5) {
            finished.replace(finished.find(kCompanionPath), std::string(kCompanionPath).size(),
                             kCompanionPath64);
        }
        if (c.exitCode == IDCANCEL) {
            finished = x64 ? std::string("c:\\tools\\agent.exe ") + kSelfEntry64 : kUsualLoadLine;
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

// A folder named in any script, on NT as the user has it: recorded under InstallLocationsMRU,
// typed into the disk prompt or browsed to. On NT it reaches setup.exe whole (code page 1252, a
// Western Windows, lacks every character of these names); Windows 95 keeps its code page's text,
// where what the code page lacks is '?' and nothing is started from it. Bad input is refused as no
// path, never cut into another one.
TEST_F(RunTest, AnyFolderNameReachesSetupOnNt)
{
    const std::string russian = "\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430"; // Установка
    const std::string chinese = "\u9a71\u52a8\u7a0b\u5e8f";                               // 驱动程序
    const std::string upperRussian = winsim::UpperUnicode(russian);
    enum class How { Recorded, Typed, Browsed };
    struct Case {
        const char* name;
        winsim::WinIni system;
        bool windows11;
        How how;
        std::string given;      // the recorded value, typed text or browsed file (UTF-8)
        std::string folder;     // the host folder setup.exe is in, "" for none
        std::string command;    // the command line started (UTF-8), "" for none
        std::string shown;      // what the launch-error dialog showed, "" when it did not come
        bool surrogate = false; // the recorded value ends in a lone high surrogate
    };
    const auto nt = winsim::WinIni::Registry;
    const auto w95 = winsim::WinIni::File;
    // clang-format off
    const Case cases[] = {
        {"NT, a recorded Cyrillic folder", nt, false, How::Recorded, "C:\\" + russian, russian, "C:\\" + russian + "\\.\\setup.exe /noprompt", ""},
        {"NT, a recorded Chinese folder", nt, false, How::Recorded, "C:\\" + chinese, chinese, "C:\\" + chinese + "\\.\\setup.exe /noprompt", ""},
        {"Windows 11, a recorded Chinese folder: the consent prompt's start", nt, true, How::Recorded, "C:\\" + chinese, chinese, "\"C:\\" + chinese + "\\.\\setup.exe\" /noprompt", ""},
        {"NT, a typed Cyrillic path", nt, false, How::Typed, "c:\\" + russian, russian, "C:\\" + upperRussian + "\\.\\setup.exe /noprompt", ""},
        {"NT, a browsed Chinese folder", nt, false, How::Browsed, "C:\\" + chinese + "\\setup.exe", chinese, "C:\\" + chinese + "\\setup.exe /noprompt", ""},
        {"NT, a recorded Cyrillic folder without setup.exe: the path shown whole", nt, false, How::Recorded, "C:\\" + russian, "", "", "C:\\" + upperRussian + "\\.\\setup.exe"},
        {"Windows 95, a typed Cyrillic path: the code page's '?', nothing started", w95, false, How::Typed, "c:\\" + russian, russian, "", "C:\\?????????\\.\\setup.exe"},
        {"Windows 95, a recorded folder in its code page: started, as ever", w95, false, How::Recorded, "C:\\M\u00fcllerTreiber", "M\u00fcllerTreiber", "C:\\M\u00fcllerTreiber\\.\\setup.exe /noprompt", ""},
        {"NT, a recorded value with a lone surrogate: no location, the CD-ROM drive", nt, false, How::Recorded, "C:\\" + russian, russian, "E:\\.\\setup.exe /noprompt", "", true},
        {"NT, a recorded value longer than the path's room: the CD-ROM drive", nt, false, How::Recorded, "C:\\" + [&] { std::string s; for (int i = 0; i < 30; ++i) s += russian; return s; }(), "", "E:\\.\\setup.exe /noprompt", ""},
        {"NT, a typed Cyrillic path of 255 characters: refused", nt, false, How::Typed, "c:\\" + [&] { std::string s; for (int i = 0; i < 28; ++i) s += russian; return s; }(), "", "", ".\\setup.exe"},
        {"NT, a browsed path that does not fit: nothing added", nt, false, How::Browsed, "C:\\" + [&] { std::string s; for (int i = 0; i < 40; ++i) s += chinese + chinese; return s; }() + "\\setup.exe", "", "", "E:\\.\\setup.exe"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winsim::SetWinIni(c.system);
        SetLoadLine(kUsualLoadLine);
        if (c.windows11) {
            winsim::SetVistaTo11(winsim::Token::Limited);
        }
        RemoveTree(root_ + "/c"); // what an earlier row made there
        std::string drive = MakeFolder("c");
        if (!c.folder.empty()) {
            MakeFile(drive, c.folder + "/SETUP.EXE");
        }
        const bool cdHasSetup = c.how == How::Recorded && c.command.find("E:") == 0;
        std::remove((cd_ + "/SETUP.EXE").c_str()); // left by an earlier row
        if (cdHasSetup) {
            MakeFile(cd_, "SETUP.EXE");
        }
        if (c.how == How::Recorded) {
            winsim::SetRegistryText(HKEY_CURRENT_USER, "InstallLocationsMRU", "MRUList", "a");
            std::u16string units = winsim::WideFromUtf8(c.given);
            if (c.surrogate) {
                units += u'\xD800';
            }
            winsim::SetRegistryUnits(HKEY_CURRENT_USER, "InstallLocationsMRU", "a", units + u'\0');
        } else if (c.how == How::Browsed) {
            winsim::OnOpenFile(winsim::ChooseFile(c.given));
        }
        Notice(false, IDOK); // when there is one
        const How how = c.how;
        const std::string given = c.given;
        winsim::OnDialog(IDD_DISKPROMPT, [how, given](HWND d) {
            if (how == How::Typed) {
                winsim::TypeUnicode(d, IDC_DRIVE, given);
            } else if (how == How::Browsed) {
                winsim::Click(d, IDC_BROWSE);
            }
            winsim::Click(d, IDOK);
            if (winsim::IsOpen(d)) {
                winsim::PressEscape(d);
            }
        });
        std::string shown;
        winsim::OnAnyOtherDialog([&shown](HWND d) {
            shown = winsim::Text(d, IDC_PROGRAM);
            winsim::Click(d, IDCANCEL);
        });
        Run();
        const winsim::Start* started = nullptr;
        for (const winsim::Start& start : winsim::Starts()) {
            started = start.program.empty() ? started : &start;
        }
        // WinExec's command line is the code page's bytes.
        EXPECT_EQ(started ? started->commandLine : "",
                  c.system == w95 ? winsim::AnsiFromUtf8(c.command) : c.command);
        if (started && !c.folder.empty() && !cdHasSetup) {
            EXPECT_EQ(started->program, drive + "/" + c.folder + "/SETUP.EXE");
        }
        EXPECT_EQ(shown, c.shown);
        NextRow();
    }
}
