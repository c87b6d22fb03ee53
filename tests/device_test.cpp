// The device profile: every lookup over every code, and what the build's code selects.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/base.h"

namespace {

struct DeviceRow {
    int type;
    const char* name;
    const char* program;
    bool notice;
    bool companion;
    bool video;
};

// clang-format off
const DeviceRow kDevices[] = {
    {.type = -1, .name = nullptr, .program = nullptr, .notice = false, .companion = false, .video = false},
    {.type = 0, .name = nullptr, .program = nullptr, .notice = false, .companion = false, .video = false},
    {.type = 1, .name = "Quorra Telvanor 28.8", .program = nullptr, .notice = true, .companion = false, .video = false},
    {.type = 2, .name = "Quorra Telvanor 33.6", .program = nullptr, .notice = true, .companion = false, .video = false},
    {.type = 3, .name = "Quorra Voice 56000 DSVD Telvanor", .program = nullptr, .notice = true, .companion = false, .video = false},
    {.type = 4, .name = "Quorra Voice 56000 DSVD Telvanor (Audio System)", .program = nullptr, .notice = true, .companion = false, .video = false},
    {.type = 5, .name = "Quorra ISDN Modem", .program = "setup.exe", .notice = false, .companion = true, .video = false},
    {.type = 6, .name = "Halvern Video Capture", .program = "dxsetup.exe", .notice = true, .companion = false, .video = true},
    {.type = 7, .name = "Halvern 56000 Voice Video Faxmodem", .program = nullptr, .notice = true, .companion = false, .video = false},
    {.type = 8, .name = "Halvern 56000 Voice Video Faxmodem (Audio System)", .program = nullptr, .notice = true, .companion = false, .video = false},
    {.type = 9, .name = "Quorra Telvanor 14.4", .program = nullptr, .notice = true, .companion = false, .video = false},
    {.type = 10, .name = nullptr, .program = nullptr, .notice = false, .companion = false, .video = false},
    {.type = 1000, .name = nullptr, .program = nullptr, .notice = false, .companion = false, .video = false},
};
// clang-format on

void ExpectText(const char* expected, const char* actual, int type)
{
    if (!expected) {
        EXPECT_EQ(actual, nullptr) << "type " << type;
    } else {
        ASSERT_NE(actual, nullptr) << "type " << type;
        EXPECT_STREQ(actual, expected) << "type " << type;
    }
}

std::string FilterBytes(const char* filter)
{
    const char* end = filter;
    while (end[0] || end[1]) {
        ++end;
    }
    return std::string(filter, static_cast<size_t>(end - filter) + 2);
}

} // namespace

TEST(DeviceProfile, EveryCodeLooksUpItsRow)
{
    for (const DeviceRow& row : kDevices) {
        ExpectText(row.name, DeviceDisplayName(row.type), row.type);
        ExpectText(row.program, SetupProgramName(row.type), row.type);
        EXPECT_EQ(ShowsNotice(row.type), row.notice) << "type " << row.type;
        EXPECT_EQ(NeedsCompanionProgram(row.type), row.companion) << "type " << row.type;
        EXPECT_EQ(IsVideoCaptureDevice(row.type), row.video) << "type " << row.type;
        EXPECT_EQ(SetupBrowseFilter(row.type) != nullptr, row.program != nullptr) << "type " << row.type;
    }
}

TEST(DeviceProfile, FiltersAreNulSeparatedPairs)
{
    const char setup[] = "Setup\0Setup.exe\0All Files\0*.*\0";
    const char dxsetup[] = "dxsetup\0dxsetup.exe\0All Files\0*.*\0";
    EXPECT_EQ(FilterBytes(SetupBrowseFilter(5)), std::string(setup, sizeof(setup)));
    EXPECT_EQ(FilterBytes(SetupBrowseFilter(6)), std::string(dxsetup, sizeof(dxsetup)));
}

TEST(DeviceProfile, TheBuildKnowsEveryDeviceOfTheTable)
{
    // CMake counted the table's rows; each code has its variant built and checked.
    EXPECT_EQ(LastDeviceCode(), CORVEN_LAST_DEVICE);
    EXPECT_NE(DeviceDisplayName(LastDeviceCode()), nullptr);
    EXPECT_EQ(DeviceDisplayName(LastDeviceCode() + 1), nullptr);
    EXPECT_EQ(ShowsNotice(), CORVEN_DEVICE_TYPE != 5);
}

TEST(DeviceProfile, BuildFixesTheDeviceAndItsAudioFunction)
{
    EXPECT_EQ(CurrentDeviceType(kDeviceItself), CORVEN_DEVICE_TYPE);
    EXPECT_EQ(CurrentDeviceType(kAudioFunction), CORVEN_DEVICE_TYPE == 7 ? 8 : 0);
    EXPECT_EQ(CurrentDeviceType(2), 0);
    EXPECT_EQ(CurrentDeviceType(-1), 0);
    EXPECT_EQ(DeviceDisplayName(), DeviceDisplayName(CORVEN_DEVICE_TYPE));
    EXPECT_EQ(NeedsCompanionProgram(), CORVEN_DEVICE_TYPE == 5);
    EXPECT_EQ(IsVideoCaptureDevice(), CORVEN_DEVICE_TYPE == 6);
}
