// app: the run sequence, the finishing step, the device profile and the types every part shares.
#pragma once

#include <windows.h>

// The folder or drive root that setup.exe is started from; may be empty.
constexpr int kInstallPathSize = 260;

// The text of a DialogInitRecord. It holds a whole install path together with the
// ".\setup.exe" step the launch-error dialog shows, so no path is ever cut on its way.
constexpr int kRecordTextSize = kInstallPathSize + 12;

// True when text holds the character c.
inline bool TextHolds(const char* text, char c)
{
    for (; *text; ++text) {
        if (*text == c) {
            return true;
        }
    }
    return false;
}

// A path that holds a double quote would end the quoted program path of a command line early and
// start whatever follows: it is never a place to start setup.exe from.
inline bool IsQuotableInstallPath(const char* path)
{
    return !TextHolds(path, '"');
}

// What the opener of a dialog hands it through DialogBoxParamA's lParam.
struct DialogInitRecord {
    HINSTANCE instance;
    char text[kRecordTextSize];
};

// The entry operation; only the instance handle is used.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// Takes Corven off the start-up line and, where the device needs it, lists the companion program.
void FinishInstallation();

// Device profile: pure lookups over the build's device code.
int CurrentDeviceType(int variant);
const char* DeviceDisplayName(int type);
const char* DeviceDisplayName();
const char* SetupProgramName(int type);
const char* SetupBrowseFilter(int type);
bool NeedsCompanionProgram(int type);
bool NeedsCompanionProgram();
bool IsVideoCaptureDevice(int type);
bool IsVideoCaptureDevice();
