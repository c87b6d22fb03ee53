// The setup launcher: the command lines it builds, quiet and interactive starts, and the
// launch-error dialog's answers. The dialog's stored choice lives for the whole run, so the test
// of a close before any button runs in a fresh program of its own.
#include <gtest/gtest.h>

#include <string>

#include "base/base.h"
#include "launch/launch.h"
#include "res/resource.h"
#include "support/fixture.h"

namespace {

class LaunchTest : public MachineTest {
protected:
    int Quiet(const std::string& path)
    {
        return LaunchSetup(winsim::Instance(), PathUnits(path).c_str(), kQuietLaunch, kDotFolder);
    }

    int Interactive(const std::string& path, int dotFolder = kDotFolder)
    {
        return LaunchSetup(winsim::Instance(), PathUnits(path).c_str(), kInteractiveLaunch, dotFolder);
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
        UINT codePage = 1252; // other than 1252: the texts are UTF-8, as that code page's bytes
    };
    // 能 (94 5C) and ソ (83 5C) end in the byte of a backslash, which is no backslash of their own.
    const std::string ability = "C:\\\u6a5f\u80fd", so = "D:\\\u30bd";
    // clang-format off
    const Case cases[] = {
        {.path = "D:\\", .dotFolder = kDotFolder, .command = "D:\\.\\setup.exe /noprompt", .shown = "D:\\.\\setup.exe"},
        {.path = ability, .dotFolder = kDotFolder, .command = ability + "\\.\\setup.exe /noprompt", .shown = ability + "\\.\\setup.exe", .codePage = 932},
        {.path = so, .dotFolder = kNoDotFolder, .command = so + "\\setup.exe /noprompt", .shown = so + "\\.\\setup.exe", .codePage = 932},
        {.path = ability + "\\", .dotFolder = kDotFolder, .command = ability + "\\.\\setup.exe /noprompt", .shown = ability + "\\.\\setup.exe", .codePage = 932},
        {.path = "C:\\Setup", .dotFolder = kNoDotFolder, .command = "C:\\Setup\\setup.exe /noprompt", .shown = "C:\\Setup\\.\\setup.exe"},
        {.path = "C:\\Setup", .dotFolder = kDotFolder, .command = "C:\\Setup\\.\\setup.exe /noprompt", .shown = "C:\\Setup\\.\\setup.exe"},
        {.path = "C:\\Setup\\", .dotFolder = kDotFolder, .command = "C:\\Setup\\.\\setup.exe /noprompt", .shown = "C:\\Setup\\.\\setup.exe"},
        {.path = "C:\\My Setup", .dotFolder = kDotFolder, .command = "\"C:\\My Setup\\.\\setup.exe\" /noprompt", .shown = "C:\\My Setup\\.\\setup.exe"},
        {.path = "C:\\My Setup\\", .dotFolder = kNoDotFolder, .command = "\"C:\\My Setup\\setup.exe\" /noprompt", .shown = "C:\\My Setup\\.\\setup.exe"},
        {.path = longest, .dotFolder = kDotFolder, .command = longest + "\\.\\setup.exe /noprompt", .shown = longest + "\\.\\setup.exe"},
        {.path = "C:\\a b" + std::string(250, 'q'), .dotFolder = kDotFolder, .command = "\"C:\\a b" + std::string(250, 'q') + "\\.\\setup.exe\" /noprompt", .shown = "C:\\a b" + std::string(250, 'q') + "\\.\\setup.exe"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        winsim::SetCodePage(c.codePage);
        auto bytes = [&c](const std::string& text) {
            return c.codePage == 1252 ? text : winsim::AnsiFromUtf8(text);
        };
        winsim::ForceWinExecResults({2});
        std::string shown;
        Answer(IDCANCEL, &shown);
        EXPECT_EQ(Interactive(bytes(c.path), c.dotFolder), IDCANCEL);
        EXPECT_EQ(CommandLines(), std::vector<std::string>{bytes(c.command)});
        EXPECT_EQ(shown, bytes(c.shown));
        NextRow(); // checks what this row left
    }
}

TEST_F(LaunchTest, QuotedPathStartsTheInstallerNotAPlantedProgram)
{
    std::string c = MakeFolder("c");
    winsim::AddDrive('C', DRIVE_FIXED, c);
    MakeFile(c, "My.exe");
    MakeFile(c, "My Setup/SETUP.EXE");
    EXPECT_EQ(Quiet("C:\\My Setup"), IDYES);
    ASSERT_EQ(winsim::Starts().size(), 1u);
    EXPECT_EQ(winsim::Starts()[0].program, c + "/My Setup/SETUP.EXE");
}

TEST_F(LaunchTest, QuietFailureIsOneAttemptWithNothingShown)
{
    winsim::ForceWinExecResults({31});
    EXPECT_EQ(Quiet("E:\\"), IDNO);
    EXPECT_EQ(winsim::Starts().size(), 1u);
    EXPECT_TRUE(winsim::DialogsOpened().empty());
    EXPECT_TRUE(winsim::Beeps().empty());
    winsim::ForceWinExecResults({32});
    EXPECT_EQ(Quiet("E:\\"), IDYES);
}

TEST_F(LaunchTest, PathsThatCannotBeStartedStartNothing)
{
    struct Case {
        std::string path;
        std::string shown;
    };
    // No caller gives a path of kInstallPathSize characters or more; one that did would not fit the
    // texts built from it.
    const std::string tooLong = "C:\\" + std::string(kInstallPathSize - 3, 'p');
    const Case cases[] = {
        {.path = "", .shown = ".\\setup.exe"},
        {.path = tooLong, .shown = ".\\setup.exe"},
        // A quote would end the quoted program path early and start C:\Tools\evil.exe.
        {.path = "C:\\Tools\\evil.exe\" \"x", .shown = "C:\\Tools\\evil.exe\" \"x\\.\\setup.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.size());
        EXPECT_EQ(Quiet(c.path), IDNO);
        std::string shown;
        Answer(IDCANCEL, &shown);
        EXPECT_EQ(Interactive(c.path), IDCANCEL);
        EXPECT_TRUE(winsim::Starts().empty());
        EXPECT_EQ(shown, c.shown);
        NextRow(); // checks what this row left
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
    // clang-format off
    const Case cases[] = {
        {.name = "Retry that now starts", .results = {2, 33}, .buttons = {IDYES}, .expected = IDYES},
        {.name = "Retry that fails again reopens", .results = {2, 2, 2}, .buttons = {IDYES, IDYES, IDNO}, .expected = IDNO},
        {.name = "Abort", .results = {2}, .buttons = {IDCANCEL}, .expected = IDCANCEL},
        {.name = "Try New Path", .results = {2}, .buttons = {IDNO}, .expected = IDNO},
        {.name = "started at once", .results = {42}, .buttons = {}, .expected = IDYES},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        winsim::ForceWinExecResults(c.results);
        for (int button : c.buttons) {
            Answer(button);
        }
        EXPECT_EQ(Interactive("E:\\"), c.expected);
        EXPECT_EQ(winsim::Starts().size(), c.buttons.size() + (c.expected == IDYES ? 1 : 0));
        EXPECT_EQ(winsim::DialogsOpened(), std::vector<int>(c.buttons.size(), IDD_LAUNCHERROR));
        EXPECT_EQ(winsim::Beeps(), std::vector<UINT>(c.buttons.size(), MB_ICONHAND));
        for (const winsim::Start& s : winsim::Starts()) {
            EXPECT_EQ(s.commandLine, "E:\\.\\setup.exe /noprompt") << "every retry runs the same command";
        }
        NextRow(); // checks what this row left
    }
}

TEST_F(LaunchTest, ClosingWithNothingChosenInThisShowingGivesZero)
{
    InFreshProgram([this] {
        winsim::ForceWinExecResults({2});
        Answer(0);
        EXPECT_EQ(Interactive("E:\\"), 0);
        // A Retry in one showing is not taken again by a close in the next: back to the prompt.
        winsim::ForceWinExecResults({2, 2});
        Answer(IDYES);
        Answer(0);
        EXPECT_EQ(Interactive("E:\\"), 0);
        EXPECT_EQ(winsim::Starts().size(), 3u);
    });
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
    EXPECT_EQ(Interactive("E:\\"), IDNO);
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
        const winsim::IconDraw& drawn = winsim::Draws().back();
        EXPECT_EQ((std::vector<int>{drawn.icon, drawn.x, drawn.y}),
                  (std::vector<int>{IDI_ATTENTION, 10, 45}));
        winsim::Click(d, IDCANCEL);
    });
    EXPECT_EQ(Interactive("E:\\"), IDCANCEL);
}

TEST_F(LaunchTest, DialogThatCannotOpenEndsTheAttempts)
{
    winsim::ForceWinExecResults({2, 2});
    winsim::FailDialog(IDD_LAUNCHERROR);
    EXPECT_EQ(Interactive("E:\\"), -1);
    EXPECT_EQ(winsim::Starts().size(), 1u);
}
