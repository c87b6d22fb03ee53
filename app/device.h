// app: the device profile, pure lookups over the device code Corven is built for.
#pragma once

// The two variants of the build's device: the device itself, and its audio-system function
// (a device code of its own for the voice modems, 0 for the others).
constexpr int kDeviceItself = 0;
constexpr int kAudioFunction = 1;

int CurrentDeviceType(int variant);
const char* DeviceDisplayName(int type);
const char* DeviceDisplayName();
const char* SetupProgramName(int type);
const char* SetupBrowseFilter(int type);
bool NeedsCompanionProgram(int type);
bool NeedsCompanionProgram();
bool IsVideoCaptureDevice(int type);
bool IsVideoCaptureDevice();
