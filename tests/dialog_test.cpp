// The notice and the disk prompt, driven as a user drives them, and the failure road of a whole
// run: quiet start fails, the prompt, a wrong path, Try New Path, the right path, started.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "base/base.h"
#include "res/resource.h"
#include "support/fixture.h"
#include "ui/ui.h"

namespace {

class DialogTest : public MachineTest {
protected:
    void BuildMachine() override
    {
        SetLoadLine(kUsualLoadLine);
        winsim::AddDrive('A', DRIVE_REMOVABLE);
        winsim::AddDrive('C', DRIVE_FIXED, MakeFolder("c"));
        disk_ = MakeFolder("d");
        winsim::AddDrive('D', DRIVE_FIXED, disk_);
        winsim::AddDrive('E', DRIVE_CDROM, MakeFolder("e"));
    }

    // The disk prompt opened for the CD-ROM's root, with what the user does there. However it
    // closes, it ends with 1.
    void Prompt(winsim::Script user, const std::string& path = "E:\\")
    {
        winsim::OnDialog(IDD_DISKPROMPT, std::move(user));
        EXPECT_EQ(OpenDialog(IDD_DISKPROMPT, DiskPromptDialog, path), IDOK);
    }

    bool Finished()
    {
        return LoadLine().find("CORVEN") == std::string::npos;
    }

    std::vector<int> DrawnIcons()
    {
        std::vector<int> icons;
        for (const winsim::IconDraw& d : winsim::Draws()) {
            icons.push_back(d.icon);
        }
        return icons;
    }

    std::string disk_;
};

size_t Count(const std::vector<UINT>& beeps, UINT kind)
{
    return static_cast<size_t>(std::count(beeps.begin(), beeps.end(), kind));
}

} // namespace

TEST_F(DialogTest, NoticeNamesTheDeviceAndComesUpCentred)
{
    winsim::OnDialog(IDD_NOTICE, [](HWND d) {
        EXPECT_EQ(winsim::Text(d, IDC_DEVICENAME), DeviceDisplayName(CORVEN_DEVICE_TYPE));
        EXPECT_FALSE(winsim::IsChecked(d, IDC_DONTSHOW));
        EXPECT_EQ(winsim::Focus(), winsim::Control(d, IDOK));
        EXPECT_TRUE(winsim::IsTopmost(d)) << "centred on top";
        ASSERT_FALSE(winsim::Draws().empty());
        EXPECT_EQ(winsim::Draws().back().icon, IDI_ATTENTION);
        winsim::Click(d, IDOK);
    });
    EXPECT_EQ(OpenDialog(IDD_NOTICE, NoticeDialog), IDOK);
    EXPECT_EQ(winsim::Beeps(), std::vector<UINT>{MB_ICONASTERISK});
}

TEST_F(DialogTest, NoticeAnswers)
{
    struct Case {
        const char* name;
        bool tick;
        void (*act)(HWND dialog);
        INT_PTR result;
        bool finished;
    };
    // clang-format off
    const Case cases[] = {
        {.name = "OK, box clear", .tick = false, .act = [](HWND d) { winsim::Click(d, IDOK); }, .result = IDOK, .finished = false},
        {.name = "OK, box ticked", .tick = true, .act = [](HWND d) { winsim::Click(d, IDOK); }, .result = IDOK, .finished = true},
        {.name = "Cancel, box clear", .tick = false, .act = [](HWND d) { winsim::Click(d, IDCANCEL); }, .result = IDCANCEL, .finished = false},
        {.name = "Cancel, box ticked", .tick = true, .act = [](HWND d) { winsim::Click(d, IDCANCEL); }, .result = IDCANCEL, .finished = true},
        {.name = "Escape, box ticked", .tick = true, .act = winsim::PressEscape, .result = IDCANCEL, .finished = true},
        {.name = "Escape, box clear", .tick = false, .act = winsim::PressEscape, .result = IDCANCEL, .finished = false},
        {.name = "close box after a tick", .tick = true, .act = winsim::CloseBox, .result = IDC_DONTSHOW, .finished = false},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winsim::OnDialog(IDD_NOTICE, [c](HWND d) {
            if (c.tick) {
                winsim::Click(d, IDC_DONTSHOW);
            }
            c.act(d);
        });
        EXPECT_EQ(OpenDialog(IDD_NOTICE, NoticeDialog), c.result);
        EXPECT_EQ(Finished(), c.finished);
        NextRow(); // checks what this row left
    }
}

TEST_F(DialogTest, DiskPromptComesUpWithItsTextsAndChooser)
{
    Prompt([this](HWND d) {
        EXPECT_EQ(winsim::Text(d), "Quorra 28.8 Telvanor Installation");
        EXPECT_EQ(winsim::Text(d, IDC_CAPTION), "Additional files are needed for your device.");
        EXPECT_EQ(winsim::Text(d, IDC_DISKLABEL),
                  "Please insert the disk labeled \"Quorra 28.8 Telvanor Install "
                  "Disk\" in the drive specified below and click OK");
        EXPECT_FALSE(winsim::IsVisible(winsim::Control(d, IDCANCEL)));
        EXPECT_EQ(winsim::ComboItems(d, IDC_DRIVE),
                  (std::vector<std::string>{"A:\\", "C:\\", "D:\\", "E:\\"}));
        EXPECT_EQ(winsim::ComboSelection(d, IDC_DRIVE), 3);
        EXPECT_EQ(winsim::Focus(), winsim::Control(d, IDOK)) << "WM_INITDIALOG leaves it to the manager";
        EXPECT_EQ(winsim::Timers(d),
                  (std::map<UINT_PTR, UINT>{{TIMER_ANIMATE, kAnimatePeriod}, {TIMER_REMIND, kRemindPeriod}}));
        EXPECT_EQ(DrawnIcons(), std::vector<int>{IDI_ANIM2}) << "the first paint shows frame 1";
        EXPECT_FALSE(Finished());
        winsim::PressEscape(d);
    });
    EXPECT_EQ(winsim::Beeps().front(), static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_TRUE(Finished()) << "Escape finishes";
}

TEST_F(DialogTest, DiskPromptAnimatesBackAndForth)
{
    Prompt([this](HWND d) {
        winsim::Wait(1200);
        std::vector<int> frames = DrawnIcons();
        const std::vector<int> cycle = {IDI_ANIM2, IDI_ANIM3, IDI_ANIM4, IDI_ANIM3, IDI_ANIM2, IDI_ANIM1};
        ASSERT_EQ(frames.size(), 13u);
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i], cycle[i % cycle.size()]) << "frame " << i;
        }
        EXPECT_EQ(winsim::Invalidations().size(), 12u);
        EXPECT_EQ(winsim::Invalidations().back().right - winsim::Invalidations().back().left, 32);
        EXPECT_FALSE(winsim::NeedsPaint(d)) << "the dialog manager still paints the rest";
        winsim::PressEscape(d);
    });
}

TEST_F(DialogTest, DiskPromptRemindsOncePerPeriod)
{
    Prompt([](HWND d) {
        winsim::Wait(3 * kRemindPeriod);
        EXPECT_EQ(Count(winsim::Beeps(), MB_ICONQUESTION), 3u);
        winsim::PressEscape(d);
    });
}

TEST_F(DialogTest, ClickOnThePromptStopsItsAttentionForGood)
{
    Prompt([this](HWND d) {
        winsim::Wait(350);
        winsim::ClickClient(d, 100, 20);
        EXPECT_TRUE(winsim::Timers(d).empty());
        size_t drawn = winsim::Draws().size();
        winsim::Wait(6 * kRemindPeriod);
        EXPECT_EQ(winsim::Draws().size(), drawn) << "no frame after the click";
        EXPECT_EQ(Count(winsim::Beeps(), MB_ICONQUESTION), 0u);
        winsim::Repaint(d);
        EXPECT_EQ(DrawnIcons().back(), IDI_ANIM1);
        EXPECT_FALSE(Finished());
        winsim::PressEscape(d);
    });
}

TEST_F(DialogTest, DiskPromptOkStartsWhatTheChooserHolds)
{
    MakeFile(disk_, "Install/SETUP.EXE");
    winsim::OnDialog(IDD_LAUNCHERROR, [](HWND d) { winsim::Click(d, IDNO); });
    Prompt([this](HWND d) {
        winsim::TypeText(d, IDC_DRIVE, "  d:\\nothing\t "); // the blanks around it are dropped
        winsim::Click(d, IDOK);
        EXPECT_TRUE(winsim::IsVisible(d)) << "Try New Path leaves the prompt open";
        EXPECT_TRUE(winsim::Timers(d).empty());
        winsim::Wait(2 * kRemindPeriod);
        EXPECT_EQ(Count(winsim::Beeps(), MB_ICONQUESTION), 0u) << "silent from the first OK";
        EXPECT_FALSE(Finished());
        winsim::TypeText(d, IDC_DRIVE, "d:\\install");
        winsim::Click(d, IDOK);
    });
    // A program that is not there is never given to WinExec.
    EXPECT_EQ(winsim::FileLooks(),
              (std::vector<std::string>{"D:\\NOTHING\\.\\setup.exe", "D:\\INSTALL\\.\\setup.exe"}));
    EXPECT_EQ(CommandLines(), (std::vector<std::string>{"D:\\INSTALL\\.\\setup.exe /noprompt"}));
    EXPECT_TRUE(Finished());
}

TEST_F(DialogTest, TheLaunchErrorDialogDisablesThePromptUnderIt)
{
    // While the launch-error dialog shows, the prompt's OK cannot start a second launch inside it.
    HWND prompt = nullptr;
    winsim::OnDialog(IDD_LAUNCHERROR, [&prompt](HWND d) {
        EXPECT_FALSE(winsim::IsEnabled(prompt));
        winsim::Click(prompt, IDOK);
        winsim::PressEnter(prompt);
        EXPECT_EQ(winsim::FileLooks().size(), 1u);
        winsim::Click(d, IDNO);
    });
    Prompt([&prompt](HWND d) {
        prompt = d;
        winsim::Click(d, IDOK);
        EXPECT_TRUE(winsim::IsEnabled(d)) << "enabled again once the dialog is gone";
        winsim::PressEscape(d);
    });
    EXPECT_EQ(winsim::DialogsOpened(), (std::vector<int>{IDD_DISKPROMPT, IDD_LAUNCHERROR}));
    EXPECT_EQ(winsim::FileLooks(), std::vector<std::string>{"E:\\.\\setup.exe"});
}

TEST_F(DialogTest, TheChooserIsReadUpToItsLimits)
{
    // A typed path of up to 254 characters is taken whole, a longer one not at all (never cut into
    // another path); a list item only when it fits the 260-unit path. Else the launcher gets an empty
    // path and starts nothing.
    const std::string typed = "d:\\" + std::string(297, 'x');
    const std::string fits = "C:\\" + std::string(256, 'q'), overlong = fits + "q";
    struct Case {
        std::string preferred, typed, command; // command: empty when nothing is started
    };
    // clang-format off
    const Case cases[] = {
        {.preferred = "E:\\", .typed = typed, .command = ""},
        {.preferred = "E:\\", .typed = typed.substr(0, 255), .command = ""},
        {.preferred = "E:\\", .typed = typed.substr(0, 254), .command = winsim::Upper(typed.substr(0, 254)) + "\\.\\setup.exe /noprompt"},
        {.preferred = fits, .typed = "", .command = winsim::Upper(fits) + "\\.\\setup.exe /noprompt"}, // the combo box shows items in upper case
        {.preferred = overlong, .typed = "", .command = ""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.preferred.size()) + ", typed " + std::to_string(c.typed.size()));
        winsim::ForceWinExecResults({2});
        winsim::OnDialog(IDD_LAUNCHERROR, [](HWND d) { winsim::Click(d, IDCANCEL); });
        Prompt(
            [&c](HWND d) {
                if (!c.typed.empty()) {
                    winsim::TypeText(d, IDC_DRIVE, c.typed);
                }
                winsim::Click(d, IDOK);
            },
            c.preferred);
        EXPECT_EQ(CommandLines(),
                  c.command.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.command});
        NextRow(); // checks what this row left
    }
}

TEST_F(DialogTest, DiskPromptAbortFinishesToo)
{
    winsim::OnDialog(IDD_LAUNCHERROR, [](HWND d) { winsim::Click(d, IDCANCEL); });
    Prompt([](HWND d) {
        winsim::Pick(d, IDC_DRIVE, 0);
        winsim::PressEnter(d);
    });
    EXPECT_EQ(winsim::FileLooks(), std::vector<std::string>{"A:\\.\\setup.exe"});
    EXPECT_TRUE(CommandLines().empty());
    EXPECT_TRUE(Finished());
}

TEST_F(DialogTest, DiskPromptIgnoresComboNotificationsAndOtherCommands)
{
    Prompt([](HWND d) {
        winsim::SendCommand(d, MAKEWPARAM(IDOK, 1));
        winsim::SendCommand(d, MAKEWPARAM(IDC_DRIVE, 1));
        winsim::SendCommand(d, 4);
        EXPECT_TRUE(winsim::Starts().empty());
        EXPECT_EQ(winsim::Timers(d).size(), 2u);
        winsim::PressEscape(d);
    });
}

TEST_F(DialogTest, BrowseWithoutAChosenFileChangesNothing)
{
    // The library is loaded only now; one that cannot be had is a cancelled Open dialog.
    struct Case {
        const char* name;
        void (*prepare)();
        size_t opened;
    };
    // clang-format off
    const Case cases[] = {
        {.name = "cancelled", .prepare = [] { winsim::OnOpenFile(winsim::CancelOpen()); }, .opened = 1},
        {.name = "no comdlg32.dll", .prepare = [] { winsim::FailLibrary("comdlg32.dll"); }, .opened = 0},
        {.name = "no GetOpenFileNameA in it", .prepare = [] { winsim::FailFunction("GetOpenFileNameA"); }, .opened = 0},
        {.name = "no CommDlgExtendedError in it", .prepare = [] { winsim::FailFunction("CommDlgExtendedError"); }, .opened = 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        Prompt([](HWND d) {
            EXPECT_TRUE(winsim::LibraryLoads().empty());
            winsim::Click(d, IDC_BROWSE);
            EXPECT_EQ(winsim::LibraryLoads(), std::vector<std::string>{"comdlg32.dll"});
            EXPECT_EQ(winsim::ComboItems(d, IDC_DRIVE).size(), 4u);
            EXPECT_EQ(winsim::ComboSelection(d, IDC_DRIVE), 3);
            EXPECT_EQ(winsim::Timers(d).size(), 2u);
            winsim::PressEscape(d);
        });
        EXPECT_EQ(winsim::OpenRecords().size(), c.opened);
        EXPECT_TRUE(winsim::Starts().empty());
        NextRow(); // checks what this row left
    }
}

TEST_F(DialogTest, BrowseAddsTheChosenFolderEvenTwice)
{
    winsim::OnOpenFile([](OPENFILENAMEA& record) {
        winsim::Wait(250); // the prompt goes on calling while the Open dialog is up
        return winsim::ChooseFile("D:\\SETUP.EXE")(record);
    });
    winsim::OnOpenFile(winsim::ChooseFile("C:\\Drivers\\Halvern\\SETUP.EXE"));
    winsim::OnOpenFile(winsim::ChooseFile("C:\\Drivers\\Halvern\\SETUP.EXE"));
    Prompt([](HWND d) {
        size_t drawn = winsim::Draws().size();
        winsim::Click(d, IDC_BROWSE);
        EXPECT_EQ(winsim::Draws().size(), drawn + 2);
        EXPECT_EQ(winsim::ComboItems(d, IDC_DRIVE),
                  (std::vector<std::string>{"A:\\", "C:\\", "D:", "D:\\", "E:\\"}))
            << "a file in a root gives the drive letter alone";
        EXPECT_EQ(winsim::ComboSelection(d, IDC_DRIVE), 2);
        winsim::Click(d, IDC_BROWSE);
        winsim::Click(d, IDC_BROWSE);
        EXPECT_EQ(winsim::ComboItems(d, IDC_DRIVE),
                  (std::vector<std::string>{"A:\\", "C:\\", "C:\\DRIVERS\\HALVERN", "C:\\DRIVERS\\HALVERN",
                                            "D:", "D:\\", "E:\\"}));
        winsim::PressEscape(d);
    });
}

TEST_F(DialogTest, PathsOnAJapaneseWindowsKeepTheirDoubleByteCharacters)
{
    // 能 (94 5C) and ソ (83 5C) end in the byte of a backslash; 表 (95 5C) too, in a file name.
    winsim::SetCodePage(932);
    const std::string ability = winsim::AnsiFromUtf8("C:\\\u6a5f\u80fd");
    const std::string so = winsim::AnsiFromUtf8("D:\\\u30bd");
    winsim::ForceWinExecResults({2, 2, 2});
    for (int i = 0; i < 3; ++i) {
        winsim::OnDialog(IDD_LAUNCHERROR, [](HWND d) { winsim::Click(d, IDNO); });
    }
    winsim::OnOpenFile(winsim::ChooseFile(ability + "\\SETUP.EXE"));
    winsim::OnOpenFile(winsim::ChooseFile(winsim::AnsiFromUtf8("C:\\x\\\u8868.exe")));
    Prompt([&so](HWND d) {
        winsim::TypeText(d, IDC_DRIVE, " " + so + "\t");
        winsim::Click(d, IDOK);
        winsim::Click(d, IDC_BROWSE);
        winsim::Click(d, IDOK);
        winsim::Click(d, IDC_BROWSE);
        winsim::Click(d, IDOK);
        winsim::PressEscape(d);
    });
    EXPECT_EQ(CommandLines(),
              (std::vector<std::string>{so + "\\.\\setup.exe /noprompt", ability + "\\setup.exe /noprompt",
                                        "C:\\X\\setup.exe /noprompt"}));
}

TEST_F(DialogTest, AfterABrowseEveryStartDropsTheDotStep)
{
    MakeFile(disk_, "SETUP.EXE");
    winsim::ForceWinExecResults({2, 2});
    winsim::OnDialog(IDD_LAUNCHERROR, [](HWND d) { winsim::Click(d, IDNO); });
    winsim::OnDialog(IDD_LAUNCHERROR, [](HWND d) { winsim::Click(d, IDNO); });
    winsim::OnOpenFile(winsim::ChooseFile("C:\\Drivers\\Halvern\\SETUP.EXE"));
    Prompt([](HWND d) {
        winsim::Click(d, IDC_BROWSE);
        winsim::Click(d, IDOK);
        winsim::Pick(d, IDC_DRIVE, 4); // E:\, a drive root from the list
        winsim::Click(d, IDOK);
        winsim::Pick(d, IDC_DRIVE, 3);
        winsim::Click(d, IDOK);
    });
    EXPECT_EQ(CommandLines(),
              (std::vector<std::string>{"C:\\DRIVERS\\HALVERN\\setup.exe /noprompt",
                                        "E:\\setup.exe /noprompt", "D:\\setup.exe /noprompt"}));
    EXPECT_TRUE(Finished());
}

TEST_F(DialogTest, BrowseOpensTheOpenDialogForTheDevice)
{
    winsim::OnOpenFile(winsim::CancelOpen());
    Prompt([](HWND d) {
        winsim::Click(d, IDC_BROWSE);
        winsim::PressEscape(d);
    });
    ASSERT_EQ(winsim::OpenRecords().size(), 1u);
    const winsim::OpenRecord& open = winsim::OpenRecords()[0];
    EXPECT_EQ(open.record.lStructSize, static_cast<DWORD>(OPENFILENAME_SIZE_VERSION_400A));
    EXPECT_EQ(open.record.Flags, static_cast<DWORD>(OFN_EXPLORER));
    EXPECT_EQ(open.record.nMaxFile, 255u);
    EXPECT_EQ(open.record.hInstance, winsim::Instance());
    EXPECT_EQ(open.record.lpstrCustomFilter, nullptr);
    EXPECT_EQ(open.record.lpstrTitle, nullptr);
    EXPECT_EQ(open.initialDir, ".");
    // The file name the Open dialog starts with, and its filter; none for the other devices.
    const std::map<int, std::pair<std::string, std::string>> byDevice = {
        {5, {"setup.exe", std::string("Setup\0Setup.exe\0All Files\0*.*\0\0", 31)}},
        {6, {"dxsetup.exe", std::string("dxsetup\0dxsetup.exe\0All Files\0*.*\0\0", 35)}}};
    auto expected =
        byDevice.count(CORVEN_DEVICE_TYPE) ? byDevice.at(CORVEN_DEVICE_TYPE) : std::make_pair("", "");
    EXPECT_EQ(open.initialFile, expected.first);
    EXPECT_EQ(open.filter, expected.second);
    EXPECT_EQ(open.filterNull, expected.second.empty());
}

#if CORVEN_DEVICE_TYPE != 5
TEST_F(DialogTest, FailureRoadOfAWholeRun)
{
    MakeFile(disk_, "Halvern/Setup.exe");
    winsim::OnDialog(IDD_NOTICE, [](HWND d) { winsim::Click(d, IDOK); });
    winsim::OnDialog(IDD_DISKPROMPT, [](HWND d) {
        EXPECT_EQ(winsim::ComboSelection(d, IDC_DRIVE), 3) << "the CD-ROM found by the lookup";
        winsim::TypeText(d, IDC_DRIVE, "c:\\wrong");
        winsim::Click(d, IDOK);
        winsim::TypeText(d, IDC_DRIVE, "d:\\halvern");
        winsim::Click(d, IDOK);
    });
    std::string shown;
    winsim::OnDialog(IDD_LAUNCHERROR, [&shown](HWND d) {
        shown = winsim::Text(d, IDC_PROGRAM);
        winsim::Click(d, IDNO);
    });
    EXPECT_EQ(WinMain(winsim::Instance(), nullptr, nullptr, SW_SHOWNORMAL), 1);
    EXPECT_EQ(winsim::FileLooks(), (std::vector<std::string>{"E:\\.\\setup.exe", "C:\\WRONG\\.\\setup.exe",
                                                             "D:\\HALVERN\\.\\setup.exe"}));
    EXPECT_EQ(CommandLines(), std::vector<std::string>{"D:\\HALVERN\\.\\setup.exe /noprompt"});
    EXPECT_EQ(winsim::Starts().back().program, disk_ + "/Halvern/Setup.exe");
    EXPECT_EQ(shown, "C:\\WRONG\\.\\setup.exe");
    EXPECT_EQ(winsim::DialogsOpened(), (std::vector<int>{IDD_NOTICE, IDD_DISKPROMPT, IDD_LAUNCHERROR}));
    EXPECT_EQ(winsim::Beeps(), (std::vector<UINT>{MB_ICONASTERISK, MB_ICONEXCLAMATION, MB_ICONHAND}));
    EXPECT_EQ(LoadLine(), "c:\\tools\\agent.exe");
}
#else
TEST_F(DialogTest, FailureRoadOfAWholeRunWithoutNotice)
{
    MakeFile(disk_, "Setup.exe");
    winsim::OnDialog(IDD_DISKPROMPT, [](HWND d) {
        winsim::TypeText(d, IDC_DRIVE, "d:\\");
        winsim::Click(d, IDOK);
    });
    EXPECT_EQ(WinMain(winsim::Instance(), nullptr, nullptr, SW_SHOWNORMAL), 1);
    EXPECT_EQ(winsim::FileLooks(), (std::vector<std::string>{"E:\\.\\setup.exe", "D:\\.\\setup.exe"}));
    EXPECT_EQ(CommandLines(), std::vector<std::string>{"D:\\.\\setup.exe /noprompt"});
    EXPECT_EQ(winsim::DialogsOpened(), std::vector<int>{IDD_DISKPROMPT});
    EXPECT_EQ(LoadLine(), std::string("c:\\tools\\agent.exe ") + kCompanionPath);
}
#endif
