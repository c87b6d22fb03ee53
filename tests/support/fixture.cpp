// The test bench: a fresh simulated machine per test, with a Windows folder of its own.
#include "support/fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

const char kSelfEntry[] = "C:\\WINDOWS\\SYSTEM\\TELVANOR.101\\CORVEN.EXE";
const char kUsualLoadLine[] = "c:\\tools\\agent.exe C:\\WINDOWS\\SYSTEM\\TELVANOR.101\\CORVEN.EXE";
const char kCompanionPath[] = "C:\\WINDOWS\\SYSTEM\\TELVANOR.101\\TELVANOR.EXE";
const char kSelfEntry64[] = "C:\\WINDOWS\\SysWOW64\\TELVANOR.101\\CORVEN.EXE";
const char kCompanionPath64[] = "C:\\WINDOWS\\SysWOW64\\TELVANOR.101\\TELVANOR.EXE";

#include "base/base.h"
#include "dialog/dialog.h"

void MachineTest::SetUp()
{
    char pattern[] = "/tmp/corven-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    windowsFolder_ = MakeFolder("windows");
    winsim::Reset();
    winsim::SetWindowsFolder(windowsFolder_);
    BuildMachine();
}

void MachineTest::TearDown()
{
    CheckMachine();
    RemoveTree(root_);
}

void MachineTest::RemoveTree(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::exists(path, error)) {
        return;
    }
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path)) {
        if (!entry.is_symlink()) {
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
        }
    }
    fs::remove_all(path);
}

void MachineTest::CheckMachine()
{
    EXPECT_TRUE(winsim::Problems().empty()) << "winsim saw: " << ::testing::PrintToString(winsim::Problems());
    EXPECT_EQ(winsim::LiveBlocks(), 0) << "heap blocks left live";
    EXPECT_EQ(winsim::OpenKeys(), 0) << "registry keys left open";
    EXPECT_EQ(winsim::OpenHandles(), 0) << "process tokens or started programs' handles left open";
    EXPECT_EQ(winsim::ComApartments(), 0) << "COM left initialised";
    EXPECT_EQ(winsim::LiveDCs(), 0) << "device contexts left unreleased";
}

void MachineTest::NextRow()
{
    CheckMachine();
    FreshMachine();
}

void MachineTest::FreshMachine()
{
    winsim::Reset();
    winsim::SetWindowsFolder(windowsFolder_);
    BuildMachine();
}

void MachineTest::InFreshProgram(const std::function<void()>& body)
{
    // The "threadsafe" style starts this test program anew for the child, rather than forking
    // this process with whatever earlier tests left in the dialogs' state.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            body();
            TearDown();
            std::exit(::testing::Test::HasFailure() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

void MachineTest::WriteWinIni(const std::string& text)
{
    std::ofstream(winsim::ProfilePath("win.ini"), std::ios::binary) << text;
}

std::string MachineTest::ReadWinIni()
{
    std::ifstream in(winsim::ProfilePath("win.ini"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
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
    return ini.substr(start, ini.find("\r\n", start) - start);
}

std::string MachineTest::LoadLine()
{
    return winsim::ProfileValue("windows", "load", "win.ini");
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

INT_PTR MachineTest::OpenDialog(int templateId, DLGPROC proc, const std::string& text)
{
    DialogInitRecord record{};
    record.instance = winsim::Instance();
    std::u16string units = PathUnits(text);
    CopyText(record.text, kRecordTextSize, units.c_str());
    return OpenModalDialog(winsim::Instance(), templateId, nullptr, proc, &record);
}

std::u16string PathUnits(const std::string& text)
{
    if (HasUnicodeFunctions()) {
        return winsim::WideFromUtf8(text);
    }
    std::u16string units(text.size() + 1, u'\0');
    units.resize(static_cast<size_t>(PackBytes(text.c_str(), units.data())));
    return units;
}

std::string PathText(const WCHAR* units)
{
    if (HasUnicodeFunctions()) {
        return winsim::Utf8FromWide(units);
    }
    std::string bytes(2 * static_cast<size_t>(TextLength(units)) + 1, '\0');
    UnpackBytes(units, bytes.data());
    bytes.resize(std::strlen(bytes.c_str()));
    return bytes;
}

INT_PTR CALLBACK MachineTest::BareDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::vector<std::string> MachineTest::CommandLines()
{
    std::vector<std::string> lines;
    for (const winsim::Start& s : winsim::Starts()) {
        lines.push_back(s.commandLine);
    }
    return lines;
}
