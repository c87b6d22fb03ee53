// The test bench: a fresh simulated machine per test, with a Windows folder of its own, and the
// helpers every test file shares.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "winsim/winsim.h"

class MachineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // What this test's machine holds beyond a Windows folder (drives, a load line...). SetUp and
    // NextRow call it on a fresh machine.
    virtual void BuildMachine() {}

    // Between the rows of a table: checks what the row left (problems, leaks, open keys and device
    // contexts), then starts the next row on this test's machine, built afresh.
    void NextRow();
    // What NextRow does in turn: the checks of what was left, and a machine built afresh.
    void CheckMachine();
    void FreshMachine();

    // Runs body in a process of its own, started afresh as Corven is at each start of Windows: the
    // dialogs' static state is as the program starts with it. Fails when body does.
    void InFreshProgram(const std::function<void()>& body);

    // win.ini's text, written and read as bytes.
    void WriteWinIni(const std::string& text);
    std::string ReadWinIni();
    // The load line where the machine's kind of win.ini keeps it (winsim::SetWinIni): its bytes in
    // win.ini beside other sections, or in the registry as Unicode, given as UTF-8.
    void SetLoadLine(const std::string& line);
    std::string LoadLine();    // the load value as the platform reads it
    std::string RawLoadLine(); // as stored, blanks at its ends included; UTF-8 from the registry
    void MakeWinIniReadOnly();

    // A host folder that plays a drive, with the given files in it (paths with '/').
    std::string MakeFolder(const std::string& name);
    // Deletes a folder and what it holds, read-only files too; nothing when it is not there. In
    // this process: a shell per run made the fault sweep wait on thousands of processes.
    static void RemoveTree(const std::string& path);
    void MakeFile(const std::string& folder, const std::string& relativePath);

    // Opens a dialog as Corven does: modal, no owner, a DialogInitRecord holding text.
    INT_PTR OpenDialog(int templateId, DLGPROC proc, const std::string& text = "");
    // A procedure that handles nothing: a template's controls with their real styles, for a script.
    static INT_PTR CALLBACK BareDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // The command lines WinExec was given, in order.
    std::vector<std::string> CommandLines();

    std::string windowsFolder_;
    std::string root_;
};

// A path as Corven holds it on this machine (units of the running Windows' text: UTF-16 on NT, of
// text given as UTF-8; the code page's bytes packed into units on Windows 95, of text given as
// those bytes), and back.
std::u16string PathUnits(const std::string& text);
std::string PathText(const WCHAR* units);

// The load line written by Corven's installation beside other programs' entries.
extern const char kSelfEntry[];     // C:\WINDOWS\SYSTEM\TELVANOR.101\CORVEN.EXE
extern const char kUsualLoadLine[]; // c:\tools\agent.exe, then Corven's entry
extern const char kCompanionPath[]; // C:\WINDOWS\SYSTEM\TELVANOR.101\TELVANOR.EXE
// On 64-bit Windows (winsim::SetWow64): Corven and the companion in SysWOW64, as a 32-bit
// installation put them, and the entry the shell starts Corven from.
extern const char kSelfEntry64[];     // C:\WINDOWS\SysWOW64\TELVANOR.101\CORVEN.EXE
extern const char kCompanionPath64[]; // C:\WINDOWS\SysWOW64\TELVANOR.101\TELVANOR.EXE
