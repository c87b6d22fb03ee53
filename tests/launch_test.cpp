// The setup launcher: the command lines it builds, quiet and interactive starts, and the
// launch-error dialog's answers. The dialog's stored choice lives for the whole process, so the
// test of a close before any button relies on ctest running each test in a process of its own.
#include <gtest/gtest.h>

#include <string>

#include "launch/launch.h"
#include "res/resource.h"
#include "support/fixture.h"

namespace {

class LaunchTest : public MachineTest {
protected:
    int Launch(const std::string& path, int quiet, int dotFolder = 1)
    {
        return LaunchSetup(winsim::Instance(), path.c_str(), quiet, dotFolder);
    }

    // Each opening of the launch-error dialog: what it named, then the user's button.
    void Answer(int button, std::string* shown = nullptr)
    {
        winsim::OnDialog(IDD_LAUNCHERROR, [button, shown](HWND d) {
            if (shown) {
                *shown = winsim::Text(d, IDC_PROGRAM);
            }
            if (button == 0) {
                winsim::CloseBox(d);
            } else {
                winsim::Click(d, button);
            }
        });
    }

    std::vector<std::string> CommandLines()
    {
        std::vector<std::string> lines;
        for (const winsim::Start& s : winsim::Starts()) {
            lines.push_back(s.commandLine);
        }
        return lines;
    }
};

} // namespace

TEST_F(LaunchTest, BuildsTheCommandLineAndTheShownName)
{
    const std::string longest = "C:\\" + std::string(256, 'p');
    struct Case {
        std::string path;
        int dotFolder;
        std::string command;
        std::string shown;
    };
    const Case cases[] = {
        {"D:\\", 1, "D:\\.\\setup.exe /noprompt", "D:\\.\\setup.exe"},
        {"C:\\Setup", 0, "C:\\Setup\\setup.exe /noprompt", "C:\\Setup\\.\\setup.exe"},
        {"C:\\Setup", 1, "C:\\Setup\\.\\setup.exe /noprompt", "C:\\Setup\\.\\setup.exe"},
        {"C:\\Setup\\", 1, "C:\\Setup\\.\\setup.exe /noprompt", "C:\\Setup\\.\\setup.exe"},
        {"C:\\My Setup", 1, "\"C:\\My Setup\\.\\setup.exe\" /noprompt", "C:\\My Setup\\.\\setup.exe"},
        {"C:\\My Setup\\", 0, "\"C:\\My Setup\\setup.exe\" /noprompt", "C:\\My Setup\\.\\setup.exe"},
        {longest, 1, longest + "\\.\\setup.exe /noprompt", longest + "\\.\\setup.exe"},
        {"C:\\a b" + std::string(250, 'q'), 1,
         "\"C:\\a b" + std::string(250, 'q') + "\\.\\setup.exe\" /noprompt",
         "C:\\a b" + std::string(250, 'q') + "\\.\\setup.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        winsim::Starts().clear();
        winsim::ForceWinExecResults({2});
        std::string shown;
        Answer(IDCANCEL, &shown);
        EXPECT_EQ(Launch(c.path, 0, c.dotFolder), IDCANCEL);
        EXPECT_EQ(CommandLines(), std::vector<std::string>{c.command});
        EXPECT_EQ(shown, c.shown);
    }
}

TEST_F(LaunchTest, QuotedPathStartsTheInstallerNotAPlantedProgram)
{
    std::string c = MakeFolder("c");
    winsim::AddDrive('C', DRIVE_FIXED, c);
    MakeFile(c, "My.exe");
    MakeFile(c, "My Setup/SETUP.EXE");
    EXPECT_EQ(Launch("C:\\My Setup", 1), IDYES);
    ASSERT_EQ(winsim::Starts().size(), 1u);
    EXPECT_EQ(winsim::Starts()[0].program, c + "/My Setup/SETUP.EXE");
}

TEST_F(LaunchTest, QuietFailureIsOneAttemptWithNothingShown)
{
    winsim::ForceWinExecResults({31});
    EXPECT_EQ(Launch("E:\\", 1), IDNO);
    EXPECT_EQ(winsim::Starts().size(), 1u);
    EXPECT_TRUE(winsim::DialogsOpened().empty());
    EXPECT_TRUE(winsim::Beeps().empty());
    winsim::ForceWinExecResults({32});
    EXPECT_EQ(Launch("E:\\", 1), IDYES);
}

TEST_F(LaunchTest, PathsThatCannotBeStartedStartNothing)
{
    struct Case {
        const char* path;
        const char* shown;
    };
    const Case cases[] = {
        {"", ".\\setup.exe"},
        // A quote would end the quoted program path early and start C:\Tools\evil.exe.
        {"C:\\Tools\\evil.exe\" \"x", "C:\\Tools\\evil.exe\" \"x\\.\\setup.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Launch(c.path, 1), IDNO);
        std::string shown;
        Answer(IDCANCEL, &shown);
        EXPECT_EQ(Launch(c.path, 0), IDCANCEL);
        EXPECT_TRUE(winsim::Starts().empty());
        EXPECT_EQ(shown, c.shown);
    }
}

TEST_F(LaunchTest, InteractiveAnswers)
{
    struct Case {
        const char* name;
        std::vector<UINT> results; // WinExec's answers in turn
        std::vector<int> buttons;  // the user's answer at each opening
        int expected;
    };
    const Case cases[] = {
        {"Retry that now starts", {2, 33}, {IDYES}, IDYES},
        {"Retry that fails again reopens", {2, 2, 2}, {IDYES, IDYES, IDNO}, IDNO},
        {"Abort", {2}, {IDCANCEL}, IDCANCEL},
        {"Try New Path", {2}, {IDNO}, IDNO},
        {"started at once", {42}, {}, IDYES},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winsim::Reset();
        winsim::ForceWinExecResults(c.results);
        for (int button : c.buttons) {
            Answer(button);
        }
        EXPECT_EQ(Launch("E:\\", 0), c.expected);
        EXPECT_EQ(winsim::Starts().size(), c.buttons.size() + (c.expected == IDYES ? 1 : 0));
        EXPECT_EQ(winsim::DialogsOpened(), std::vector<int>(c.buttons.size(), IDD_LAUNCHERROR));
        EXPECT_EQ(winsim::Beeps(), std::vector<UINT>(c.buttons.size(), MB_ICONHAND));
        for (const winsim::Start& s : winsim::Starts()) {
            EXPECT_EQ(s.commandLine, "E:\\.\\setup.exe /noprompt") << "every retry runs the same command";
        }
    }
}

TEST_F(LaunchTest, ClosingBeforeAnyButtonGivesZeroThenTheLastChoice)
{
    winsim::ForceWinExecResults({2});
    Answer(0);
    EXPECT_EQ(Launch("E:\\", 0), 0);
    // After a Retry the stored choice is 6, so a close makes one more attempt.
    winsim::ForceWinExecResults({2, 2, 2, 33});
    Answer(IDYES);
    Answer(0);
    Answer(0);
    EXPECT_EQ(Launch("E:\\", 0), IDYES);
    EXPECT_EQ(winsim::Starts().size(), 5u);
}

TEST_F(LaunchTest, OtherCommandsChangeNothing)
{
    winsim::ForceWinExecResults({2});
    winsim::OnDialog(IDD_LAUNCHERROR, [](HWND d) {
        winsim::SendCommand(d, MAKEWPARAM(IDYES, 1));
        winsim::SendCommand(d, MAKEWPARAM(IDNO, BN_CLICKED + 5));
        winsim::SendCommand(d, IDOK);
        winsim::SendCommand(d, IDC_PROGRAM);
        EXPECT_TRUE(winsim::IsVisible(d));
        winsim::Click(d, IDNO);
    });
    EXPECT_EQ(Launch("E:\\", 0), IDNO);
    EXPECT_EQ(winsim::Starts().size(), 1u);
}

TEST_F(LaunchTest, DialogComesUpCentredWithItsIcon)
{
    winsim::SetDesktopSize(1024, 768);
    winsim::SetDialogWindowSize(IDD_LAUNCHERROR, 437, 200);
    winsim::ForceWinExecResults({2});
    winsim::OnDialog(IDD_LAUNCHERROR, [](HWND d) {
        EXPECT_TRUE(winsim::IsTopmost(d));
        EXPECT_EQ(winsim::WindowRect(d).left, 512 - 218);
        EXPECT_EQ(winsim::WindowRect(d).top, 384 - 100);
        ASSERT_FALSE(winsim::Draws().empty());
        EXPECT_EQ(winsim::Draws().back().icon, IDI_ATTENTION);
        EXPECT_EQ(winsim::Draws().back().x, 10);
        EXPECT_EQ(winsim::Draws().back().y, 45);
        winsim::Click(d, IDCANCEL);
    });
    EXPECT_EQ(Launch("E:\\", 0), IDCANCEL);
}

TEST_F(LaunchTest, DialogThatCannotOpenEndsTheAttempts)
{
    winsim::ForceWinExecResults({2, 2});
    winsim::FailDialog(IDD_LAUNCHERROR);
    EXPECT_EQ(Launch("E:\\", 0), -1);
    EXPECT_EQ(winsim::Starts().size(), 1u);
}
