// The device profile: what differs between the devices Corven is built for.
#include "base/base.h"

#ifndef CORVEN_DEVICE_TYPE
#define CORVEN_DEVICE_TYPE 7
#endif

namespace {

static_assert(CORVEN_DEVICE_TYPE >= 1 && CORVEN_DEVICE_TYPE <= 9, "the device code names a device");

// Each modem has its audio-system function as its own device code.
constexpr int AudioFunctionOf(int device)
{
    return device == 3 ? 4 : device == 7 ? 8 : 0;
}

constexpr int kDevice = CORVEN_DEVICE_TYPE;
constexpr int kDeviceAudioFunction = AudioFunctionOf(kDevice);

// The filter lists as the open-file dialog takes them: pairs of texts, one more NUL at the end.
constexpr char kSetupFilter[] = "Setup\0Setup.exe\0All Files\0*.*\0";
constexpr char kDxSetupFilter[] = "dxsetup\0dxsetup.exe\0All Files\0*.*\0";

} // namespace

int CurrentDeviceType(int variant)
{
    switch (variant) {
    case kDeviceItself:
        return kDevice;
    case kAudioFunction:
        return kDeviceAudioFunction;
    default:
        return 0;
    }
}

const char* DeviceDisplayName(int type)
{
    switch (type) {
    case 1:
        return "Quorra Telvanor 28.8";
    case 2:
        return "Quorra Telvanor 33.6";
    case 3:
        return "Quorra Voice 56000 DSVD Telvanor";
    case 4:
        return "Quorra Voice 56000 DSVD Telvanor (Audio System)";
    case 5:
        return "Quorra ISDN Modem";
    case 6:
        return "Halvern Video Capture";
    case 7:
        return "Halvern 56000 Voice Video Faxmodem";
    case 8:
        return "Halvern 56000 Voice Video Faxmodem (Audio System)";
    case 9:
        return "Quorra Telvanor 14.4";
    default:
        return nullptr;
    }
}

const char* DeviceDisplayName()
{
    return DeviceDisplayName(CurrentDeviceType(kDeviceItself));
}

const char* SetupProgramName(int type)
{
    switch (type) {
    case 5:
        return "setup.exe";
    case 6:
        return "dxsetup.exe";
    default:
        return nullptr;
    }
}

const char* SetupBrowseFilter(int type)
{
    switch (type) {
    case 5:
        return kSetupFilter;
    case 6:
        return kDxSetupFilter;
    default:
        return nullptr;
    }
}

bool NeedsCompanionProgram(int type)
{
    switch (type) {
    case 1:
    case 2:
    case 9: // the Telvanor modems
        return false;
    case 3:
    case 4:
    case 7:
    case 8: // the 56000 voice modems and their audio functions
        return false;
    case 5: // ISDN
        return true;
    default: // video capture, and no device at all
        return false;
    }
}

bool NeedsCompanionProgram()
{
    return NeedsCompanionProgram(CurrentDeviceType(kDeviceItself));
}

bool IsVideoCaptureDevice(int type)
{
    return type == 6;
}

bool IsVideoCaptureDevice()
{
    return IsVideoCaptureDevice(CurrentDeviceType(kDeviceItself));
}
