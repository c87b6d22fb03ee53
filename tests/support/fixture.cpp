// The test bench: a fresh simulated machine per test, with a Windows folder of its own.
#include "support/fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

const char kSelfEntry[] = "C:\\WINDOWS\\SYSTEM\\TELVANOR.101\\CORVEN.EXE";
const char kCompanionPath[] = "C:\\WINDOWS\\SYSTEM\\TELVANOR.101\\TELVANOR.EXE";

void MachineTest::SetUp()
{
    char pattern[] = "/tmp/corven-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    windowsFolder_ = MakeFolder("windows");
    winsim::Reset();
    winsim::SetWindowsFolder(windowsFolder_);
}

void MachineTest::TearDown()
{
    EXPECT_TRUE(winsim::Problems().empty()) << "winsim saw: " << ::testing::PrintToString(winsim::Problems());
    EXPECT_EQ(winsim::LiveBlocks(), 0) << "heap blocks left live";
    EXPECT_EQ(winsim::OpenKeys(), 0) << "registry keys left open";
    EXPECT_EQ(winsim::LiveIcons(), 0) << "icons left loaded";
    EXPECT_EQ(winsim::LiveDCs(), 0) << "device contexts left unreleased";
    std::string command = "chmod -R u+w '" + root_ + "' && rm -rf '" + root_ + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

void MachineTest::WriteWinIni(const std::string& text)
{
    std::ofstream out(winsim::ProfilePath("win.ini"), std::ios::binary);
    out << text;
}

std::string MachineTest::ReadWinIni()
{
    std::ifstream in(winsim::ProfilePath("win.ini"), std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

void MachineTest::SetLoadLine(const std::string& line)
{
    if (winsim::CurrentWinIni() == winsim::WinIni::Registry) {
        WriteWinIni("[Desktop]\r\nWallpaper=(None)\r\n");
        winsim::SetWindowsValue("load", line);
        return;
    }
    WriteWinIni("[windows]\r\nload=" + line + "\r\nrun=\r\n[Desktop]\r\nWallpaper=(None)\r\n");
}

std::string MachineTest::RawLoadLine()
{
    if (winsim::CurrentWinIni() == winsim::WinIni::Registry) {
        return winsim::HasWindowsValue("load") ? winsim::WindowsValue("load") : "<no load line>";
    }
    std::string ini = ReadWinIni();
    size_t start = ini.find("\nload=");
    if (start == std::string::npos) {
        return "<no load line>";
    }
    start += 6;
    return ini.substr(start, ini.find('\r', start) - start);
}

std::string MachineTest::LoadLine()
{
    std::string value(70000, '\0');
    DWORD n = GetPrivateProfileStringA("windows", "load", "", &value[0], static_cast<DWORD>(value.size()),
                                       "win.ini");
    value.resize(n);
    return value;
}

bool MachineTest::HasLoadKey()
{
    char value[8];
    return GetPrivateProfileStringA("windows", "load", "<absent>", value, sizeof(value), "win.ini") == 0 ||
           std::string(value) != "<absent";
}

void MachineTest::MakeWinIniReadOnly()
{
    ASSERT_EQ(chmod(winsim::ProfilePath("win.ini").c_str(), 0444), 0);
}

std::string MachineTest::MakeFolder(const std::string& name)
{
    std::string path = root_ + "/" + name;
    mkdir(path.c_str(), 0755);
    return path;
}

void MachineTest::MakeFile(const std::string& folder, const std::string& relativePath)
{
    std::string path = folder + "/" + relativePath;
    for (size_t slash = path.find('/', folder.size() + 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0755);
    }
    std::ofstream(path) << "stand-in\n";
}
