// The device profile: what differs between the devices Corven is built for, one row a device.
#include "base/base.h"

#ifndef CORVEN_DEVICE_TYPE
#define CORVEN_DEVICE_TYPE 7
#endif

namespace {

// The filter lists as the open-file dialog takes them: pairs of texts, one more NUL at the end.
constexpr char kSetupFilter[] = "Setup\0Setup.exe\0All Files\0*.*\0";
constexpr char kDxSetupFilter[] = "dxsetup\0dxsetup.exe\0All Files\0*.*\0";

// What a device is. The voice modems' audio-system functions are devices of their own, named by
// the modem's row; Browse offers a program and its filter first only where a row names one.
struct DeviceRow {
    unsigned char code;
    const char* name;
    bool notice;    // the notice is shown (the ISDN modem's installation skips it)
    bool companion; // TELVANOR.EXE is listed on the start-up line
    bool video;     // the video-capture device
    unsigned char audioFunction;
    const char* browseProgram;
    const char* browseFilter;
};

// The devices, their codes 1, 2, 3... in order. CMake counts the codes from this table (the lines
// that start with "{" and a number), so adding a device is adding its row.
// clang-format off
constexpr DeviceRow kDevices[] = {
    // code, name,                                           notice companion video audio function, Browse offers
    {1, "Quorra Telvanor 28.8",                              true,  false, false, 0, nullptr,       nullptr},
    {2, "Quorra Telvanor 33.6",                              true,  false, false, 0, nullptr,       nullptr},
    {3, "Quorra Voice 56000 DSVD Telvanor",                  true,  false, false, 4, nullptr,       nullptr},
    {4, "Quorra Voice 56000 DSVD Telvanor (Audio System)",   true,  false, false, 0, nullptr,       nullptr},
    {5, "Quorra ISDN Modem",                                 false, true,  false, 0, "setup.exe",   kSetupFilter},
    {6, "Halvern Video Capture",                             true,  false, true,  0, "dxsetup.exe", kDxSetupFilter},
    {7, "Halvern 56000 Voice Video Faxmodem",                true,  false, false, 8, nullptr,       nullptr},
    {8, "Halvern 56000 Voice Video Faxmodem (Audio System)", true,  false, false, 0, nullptr,       nullptr},
    {9, "Quorra Telvanor 14.4",                              true,  false, false, 0, nullptr,       nullptr},
};
// clang-format on
constexpr int kDeviceCount = static_cast<int>(sizeof(kDevices) / sizeof(kDevices[0]));

constexpr bool CodesRunInOrder()
{
    for (int i = 0; i < kDeviceCount; ++i) {
        if (kDevices[i].code != i + 1) {
            return false;
        }
    }
    return true;
}
static_assert(CodesRunInOrder(), "the codes run 1, 2, 3... in the table's order");
static_assert(CORVEN_DEVICE_TYPE >= 1 && CORVEN_DEVICE_TYPE <= kDeviceCount,
              "the device code names a device");

constexpr const DeviceRow& kDevice = kDevices[CORVEN_DEVICE_TYPE - 1];

// The row of a code; nullptr for a code that names no device.
const DeviceRow* FindDevice(int code)
{
    return code >= 1 && code <= kDeviceCount ? &kDevices[code - 1] : nullptr;
}

} // namespace

int LastDeviceCode()
{
    return kDeviceCount;
}

int CurrentDeviceType(int variant)
{
    switch (variant) {
    case kDeviceItself:
        return kDevice.code;
    case kAudioFunction:
        return kDevice.audioFunction;
    default:
        return 0;
    }
}

const char* DeviceDisplayName(int type)
{
    const DeviceRow* device = FindDevice(type);
    return device ? device->name : nullptr;
}

const char* DeviceDisplayName()
{
    return kDevice.name;
}

const char* SetupProgramName(int type)
{
    const DeviceRow* device = FindDevice(type);
    return device ? device->browseProgram : nullptr;
}

const char* SetupBrowseFilter(int type)
{
    const DeviceRow* device = FindDevice(type);
    return device ? device->browseFilter : nullptr;
}

bool ShowsNotice(int type)
{
    const DeviceRow* device = FindDevice(type);
    return device && device->notice;
}

bool ShowsNotice()
{
    return kDevice.notice;
}

bool NeedsCompanionProgram(int type)
{
    const DeviceRow* device = FindDevice(type);
    return device && device->companion;
}

bool NeedsCompanionProgram()
{
    return kDevice.companion;
}

bool IsVideoCaptureDevice(int type)
{
    const DeviceRow* device = FindDevice(type);
    return device && device->video;
}

bool IsVideoCaptureDevice()
{
    return kDevice.video;
}
