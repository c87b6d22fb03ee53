// The fault sweep: each main flow of a run, on both kinds of Windows, is run once counting its
// platform calls, then once for each call that can fail, with that call alone failing as the real
// function documents. After each run: no misuse seen and nothing left live (the machine's own
// checks), the load line exactly as it was or exactly as the finished run leaves it, a documented
// exit code, and setup.exe started only with the chosen command, at most once per quiet start, OK
// and Retry. The user is persistent: a dialog a fault left open is closed with Escape, and one
// that came unexpected (the launch-error dialog after a failed start) too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "res/resource.h"
#include "support/fixture.h"

namespace {

constexpr char kOthers[] = "c:\\tools\\agent.exe";
constexpr char kLast[] = "c:\\b.exe";

// One flow: what the machine and the user are, and what may be started.
struct Flow {
    std::string name;
    std::function<void(const std::function<void(char, const char*)>& put)> prepare; // put: a file on a drive
    std::set<std::string> commands; // the only command lines a start may have
    size_t maxStarts;               // the quiet start and each OK the user presses
    std::string line;               // the load line before the run
};

// Each step of a script, while the dialog is still open; at the end Escape, while it is.
winsim::Script Persistently(std::vector<std::function<void(HWND)>> steps)
{
    return [steps](HWND d) {
        for (const auto& step : steps) {
            if (winsim::IsOpen(d)) {
                step(d);
            }
        }
        for (int i = 0; i < 3 && winsim::IsOpen(d); ++i) {
            winsim::PressEscape(d);
        }
    };
}

void NoticeOk(bool tick)
{
    std::vector<std::function<void(HWND)>> steps;
    if (tick) {
        steps.push_back([](HWND d) { winsim::Click(d, IDC_DONTSHOW); });
    }
    steps.push_back([](HWND d) { winsim::Click(d, IDOK); });
    winsim::OnDialog(IDD_NOTICE, Persistently(steps));
}

std::string LongLine()
{
    std::string line;
    for (int i = 0; i < 40; ++i) {
        line += "c:\\apps\\helper" + std::to_string(i) + "\\agent.exe ";
    }
    return line;
}

const std::string kQuietCd = "E:\\.\\setup.exe /noprompt";

// The usual machine: setup.exe on the CD-ROM drive, and OK on the notice, its box as given.
std::function<void(const std::function<void(char, const char*)>&)> SetupOnCdAndOk(bool tick)
{
    return [tick](const std::function<void(char, const char*)>& put) {
        put('e', "SETUP.EXE");
        NoticeOk(tick);
    };
}

std::vector<Flow> Flows()
{
    const std::string usual = std::string(kOthers) + " " + kSelfEntry + " " + kLast;
    const Flow rows[] = {
        {.name = "typical run with OK (for ISDN: no notice, the companion)",
         .prepare = SetupOnCdAndOk(false),
         .commands = {kQuietCd},
         .maxStarts = 1,
         .line = usual},
        {.name = "the recorded location",
         .prepare =
             [](const std::function<void(char, const char*)>& put) {
                 put('c', "Drivers/Halvern/SETUP.EXE");
                 winsim::SetRegistryText(HKEY_CURRENT_USER, "InstallLocationsMRU", "MRUList", "a");
                 winsim::SetRegistryText(HKEY_CURRENT_USER, "InstallLocationsMRU", "a",
                                         "C:\\Drivers\\Halvern");
                 NoticeOk(false);
             },
         .commands = // A record that cannot be read leaves the CD-ROM drive.
         {"C:\\Drivers\\Halvern\\.\\setup.exe /noprompt", kQuietCd},
         .maxStarts = 1,
         .line = usual},
        {.name = "a recorded location named outside the code page (Cyrillic on NT)",
         .prepare =
             [](const std::function<void(char, const char*)>& put) {
                 put('c', "\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430/SETUP.EXE");
                 winsim::SetRegistryText(HKEY_CURRENT_USER, "InstallLocationsMRU", "MRUList", "a");
                 winsim::SetRegistryUnicode(HKEY_CURRENT_USER, "InstallLocationsMRU", "a",
                                            "C:\\\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430");
                 NoticeOk(false);
             },
         // Windows 95's registry reads it through the code page: a path of '?' that is nowhere, then
         // the disk prompt, which nobody answers. NT's reads it whole; a read that fails leaves the CD.
         .commands = {"C:\\\u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430\\.\\setup.exe /noprompt",
                      "C:\\?????????\\.\\setup.exe /noprompt", kQuietCd},
         .maxStarts = 2,
         .line = usual},
        {.name = "the ticked notice",
         .prepare = SetupOnCdAndOk(true),
         .commands = {kQuietCd},
         .maxStarts = 1,
         .line = usual},
        {.name = "a long line",
         .prepare = SetupOnCdAndOk(false),
         .commands = {kQuietCd},
         .maxStarts = 1,
         .line = LongLine() + kSelfEntry + " " + kLast},
        {.name = "the disk prompt with a typed path",
         .prepare =
             [](const std::function<void(char, const char*)>& put) {
                 put('d', "Install/SETUP.EXE");
                 NoticeOk(false);
                 winsim::OnDialog(IDD_DISKPROMPT,
                                  Persistently({[](HWND d) { winsim::TypeText(d, IDC_DRIVE, "d:\\install"); },
                                                [](HWND d) { winsim::Click(d, IDOK); }}));
             },
         .commands = {kQuietCd, "D:\\INSTALL\\.\\setup.exe /noprompt"},
         .maxStarts = 2,
         .line = usual},
        {.name = "the disk prompt with Browse",
         .prepare =
             [](const std::function<void(char, const char*)>& put) {
                 put('d', "Install/SETUP.EXE");
                 NoticeOk(false);
                 winsim::OnOpenFile(winsim::ChooseFile("D:\\Install\\SETUP.EXE"));
                 winsim::OnDialog(IDD_DISKPROMPT, Persistently({[](HWND d) { winsim::Click(d, IDC_BROWSE); },
                                                                [](HWND d) { winsim::Click(d, IDOK); }}));
             },
         .commands = // What the chooser shows when Browse could not add the folder: the CD-ROM drive.
         {kQuietCd, "D:\\INSTALL\\setup.exe /noprompt", "E:\\setup.exe /noprompt"},
         .maxStarts = 2,
         .line = usual},
        {.name = "the disk prompt with Abort",
         .prepare =
             [](const std::function<void(char, const char*)>&) {
                 NoticeOk(false);
                 winsim::OnDialog(IDD_DISKPROMPT, Persistently({[](HWND d) { winsim::Click(d, IDOK); }}));
                 winsim::OnDialog(IDD_LAUNCHERROR,
                                  Persistently({[](HWND d) { winsim::Click(d, IDCANCEL); }}));
             },
         // Without an inventory no CD-ROM drive is known: the prompt shows the first drive, C:\, and
         // the user presses OK on it.
         .commands = {kQuietCd, "C:\\.\\setup.exe /noprompt"},
         .maxStarts = 2,
         .line = usual},
    };
    return std::vector<Flow>(std::begin(rows), std::end(rows));
}

class SweepTest : public MachineTest {
protected:
    void BuildMachine() override
    {
        winsim::SetWinIni(kind_);
        if (vista_) {
            // setup.exe starts through the shell, with the user's consent or an administrator's password
            winsim::SetVistaTo11(standard_ ? winsim::Token::Standard : winsim::Token::Limited);
            winsim::StartWithShowState(SW_SHOWMINNOACTIVE); // as the shell starts load= programs
        }
        if (x64_) {
            winsim::SetWow64(); // Corven started from SysWOW64
        }
        // Each run starts with empty drives: a run's files are made by its flow.
        for (const char* folder : {"c", "d", "e"}) {
            RemoveTree(root_ + "/" + folder);
        }
        winsim::AddDrive('C', DRIVE_FIXED, MakeFolder("c"));
        winsim::AddDrive('D', DRIVE_FIXED, MakeFolder("d"));
        winsim::AddDrive('E', DRIVE_CDROM, MakeFolder("e"));
        winsim::OnAnyOtherDialog(Persistently({}));
    }

    // The line before the run: Corven's entry where this system's shell starts it from.
    std::string Before(const Flow& flow) const
    {
        std::string line = flow.line;
        return x64_ ? line.replace(line.find(kSelfEntry), std::string(kSelfEntry).size(), kSelfEntry64)
                    : line;
    }

    // The line as the finished run leaves it: without Corven's entry, with the companion for ISDN.
    std::string Finished(const Flow& flow) const
    {
        std::string self = x64_ ? kSelfEntry64 : kSelfEntry;
        std::string finished = Before(flow);
        finished.erase(finished.find(self), self.size() + 1);
        return CORVEN_DEVICE_TYPE == 5 ? finished + " " + (x64_ ? kCompanionPath64 : kCompanionPath)
                                       : finished;
    }

    int Run(const Flow& flow)
    {
        SetLoadLine(Before(flow));
        flow.prepare([this](char drive, const char* path) { MakeFile(root_ + "/" + drive, path); });
        int exitCode = WinMain(winsim::Instance(), nullptr, nullptr, SW_SHOWNORMAL);
        winsim::ClearFaults();
        return exitCode;
    }

    // What every run must leave, whatever failed.
    void CheckRun(const Flow& flow, int exitCode)
    {
        std::string line = RawLoadLine();
        EXPECT_TRUE(line == Before(flow) || line == Finished(flow)) << "the load line is [" << line << "]";
        EXPECT_TRUE(exitCode == -1 || exitCode == IDOK || exitCode == IDCANCEL) << "exit code " << exitCode;
        // On Vista to 11 each start refused to WinExec is made again through the shell.
        EXPECT_LE(winsim::Starts().size(), flow.maxStarts * (vista_ ? 2 : 1));
        for (const winsim::Start& start : winsim::Starts()) {
            std::string command = start.commandLine;
            if (start.throughShell) {
                size_t close = command.find('"', 1);
                command = command.substr(1, close - 1) + command.substr(close + 1);
            }
            EXPECT_TRUE(flow.commands.count(command)) << "started " << start.commandLine;
            EXPECT_EQ(start.errorMode, 0u) << "setup.exe runs with the error mode Corven was given";
        }
        EXPECT_EQ(winsim::CriticalErrorBoxes(), 0);
        // Every dialog that showed, showed once, restored and active, whatever failed.
        for (const winsim::Showing& showing : winsim::Showings()) {
            if (!showing.states.empty()) {
                EXPECT_EQ(showing.states, std::vector<std::string>{"restored active"})
                    << "dialog " << showing.templateId;
            }
        }
    }

    winsim::WinIni kind_ = winsim::WinIni::File;
    bool vista_ = false;
    bool standard_ = false;
    bool x64_ = false;
};

} // namespace

// Each flow, on each kind of Windows, counted once without faults and then run with each call
// that can fail failing: alone (a passing fault), or with every call after it, or every later call
// of the same function (a failure that persists: a full registry hive, a locked file, an exhausted
// heap, a value that cannot be read).
TEST_F(SweepTest, EveryCallFailedInTurnLosesNothing)
{
    int runs = 0;
    enum class Mode { Alone, EveryLaterCall, EveryLaterCallOfItsKind };
    for (Mode mode : {Mode::Alone, Mode::EveryLaterCall, Mode::EveryLaterCallOfItsKind}) {
        struct System {
            const char* name;
            winsim::WinIni kind;
            bool vista, standard, x64;
        };
        for (const System& system :
             {System{"Windows 95: ", winsim::WinIni::File, false, false, false},
              System{"NT: ", winsim::WinIni::Registry, false, false, false},
              System{"Windows 11: ", winsim::WinIni::Registry, true, false, false},
              System{"Windows 11, a standard user: ", winsim::WinIni::Registry, true, true, false},
              System{"64-bit Windows 11: ", winsim::WinIni::Registry, true, false, true}}) {
            kind_ = system.kind;
            vista_ = system.vista;
            standard_ = system.standard;
            x64_ = system.x64;
            for (const Flow& flow : Flows()) {
                const char* modeName[] = {"alone, ", "with every later call, ",
                                          "with every later call of its kind, "};
                SCOPED_TRACE(std::string(modeName[static_cast<int>(mode)]) + system.name + flow.name);
                FreshMachine();
                winsim::RecordCalls();
                int exitCode = Run(flow);
                EXPECT_EQ(RawLoadLine(), Finished(flow)) << "the run without faults finishes";
                EXPECT_EQ(exitCode, IDOK);
                CheckRun(flow, exitCode);
                // The record names the calls: the look for the installer and the line's write among them.
                const std::vector<std::string>& calls = winsim::Calls();
                EXPECT_NE(
                    std::find_if(calls.begin(), calls.end(),
                                 [](const std::string& c) { return c.rfind("GetFileAttributes", 0) == 0; }),
                    calls.end());
                EXPECT_NE(std::find_if(calls.begin(), calls.end(),
                                       [](const std::string& c) {
                                           return c.rfind("WritePrivateProfileString", 0) == 0;
                                       }),
                          calls.end());
                const int failable = winsim::FailableCalls();
                EXPECT_GT(failable, 5);
                CheckMachine();
                for (int nth = 1; nth <= failable; ++nth) {
                    FreshMachine();
                    if (mode == Mode::Alone) {
                        winsim::FailCall(nth);
                    } else {
                        winsim::FailCallsFrom(nth, mode == Mode::EveryLaterCallOfItsKind);
                    }
                    exitCode = Run(flow);
                    SCOPED_TRACE("failing call " + std::to_string(nth) + " of " + std::to_string(failable) +
                                 ": " + winsim::FailedCallName());
                    if (mode == Mode::Alone) {
                        EXPECT_EQ(winsim::FailedCalls(), 1) << "the run took the same road up to the failure";
                    }
                    CheckRun(flow, exitCode);
                    CheckMachine();
                    ++runs;
                }
            }
        }
    }
    FreshMachine();
    RecordProperty("runs", runs);
    std::printf("swept %d runs\n", runs);
}
