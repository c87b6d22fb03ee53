// The test bench: a fresh simulated machine per test, with a Windows folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "winsim/winsim.h"

class MachineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // win.ini's text, written and read as bytes.
    void WriteWinIni(const std::string& text);
    std::string ReadWinIni();
    // The load line where the machine's kind of win.ini keeps it (winsim::SetWinIni): its bytes in
    // win.ini beside other sections, or in the registry as Unicode, given as UTF-8.
    void SetLoadLine(const std::string& line);
    std::string LoadLine();    // the load value as the platform reads it
    std::string RawLoadLine(); // as stored, blanks at its ends included; UTF-8 from the registry
    bool HasLoadKey();
    void MakeWinIniReadOnly();

    // A host folder that plays a drive, with the given files in it (paths with '/').
    std::string MakeFolder(const std::string& name);
    void MakeFile(const std::string& folder, const std::string& relativePath);

    std::string windowsFolder_;
    std::string root_;
};

// The load line written by Corven's installation beside other programs' entries.
extern const char kSelfEntry[];     // C:\WINDOWS\SYSTEM\TELVANOR.101\CORVEN.EXE
extern const char kCompanionPath[]; // C:\WINDOWS\SYSTEM\TELVANOR.101\TELVANOR.EXE
