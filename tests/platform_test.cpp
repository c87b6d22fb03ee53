// winsim's code pages against the table that the platform probe checks under Wine: the same cases
// must hold on both (tests/platform/cases.h says what they cover).
#include <gtest/gtest.h>

#include "platform/cases.h"
#include "support/fixture.h"

namespace {

class PlatformTest : public MachineTest {
protected:
    static void Report(const char* what, int detail)
    {
        ADD_FAILURE() << what << " 0x" << std::hex << detail;
    }
};

} // namespace

TEST_F(PlatformTest, CodePagesHoldWhatWineShows)
{
    for (UINT codePage : {1252u, 932u, 936u, 949u, 950u}) {
        SCOPED_TRACE(codePage);
        winsim::SetWinIni(winsim::WinIni::Registry);
        winsim::SetCodePage(codePage);
        EXPECT_EQ(GetACP(), codePage);
        EXPECT_EQ(platform::CheckCodePage(codePage, Report), 0);
        NextRow(); // checks what this row left
    }
}

TEST_F(PlatformTest, ShellStartsWhatIsThereAsWineDoes)
{
    winsim::AddDrive('C', DRIVE_FIXED, MakeFolder("c"));
    MakeFile(root_ + "/c", "probe.exe");
    EXPECT_EQ(platform::CheckShellStart("C:\\probe.exe", "C:\\no-such-setup.exe",
                                        "C:\\no such folder\\setup.exe", Report),
              0);
    EXPECT_EQ(winsim::Starts().size(), 3u);
}

TEST_F(PlatformTest, AnAdministratorsTokenAsWineGivesIt)
{
    winsim::SetWinIni(winsim::WinIni::Registry);
    winsim::SetVistaTo11(winsim::Token::Full);
    EXPECT_EQ(platform::CheckAdministratorToken(Report), 0);
}

TEST_F(PlatformTest, Windows95HasNoUnicodeProfileFunctions)
{
    winsim::SetWinIni(winsim::WinIni::File);
    WriteWinIni("[windows]\r\nload=c:\\a.exe\r\n");
    const WCHAR section[] = {'w', 'i', 'n', 'd', 'o', 'w', 's', 0}, key[] = {'l', 'o', 'a', 'd', 0},
                file[] = {'w', 'i', 'n', '.', 'i', 'n', 'i', 0}, value[] = {'x', 0};
    WCHAR out[8] = {'u', 0};
    WCHAR noDefault[1] = {0};
    EXPECT_EQ(GetPrivateProfileStringW(section, key, noDefault, out, 8, file), 0u);
    EXPECT_EQ(out[0], 'u') << "the stub touches nothing";
    EXPECT_FALSE(WritePrivateProfileStringW(section, key, value, file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    EXPECT_EQ(GetSystemDirectoryW(out, 8), 0u);
    EXPECT_NE(GetVersion() & 0x80000000u, 0u);
    EXPECT_EQ(ReadWinIni(), "[windows]\r\nload=c:\\a.exe\r\n");
}
