// app: the program's entry operation; only the process entry includes this.
#pragma once

#include <windows.h>

// The run: the notice, the install source, a quiet start of setup.exe, else the disk prompt.
// Only the instance handle is used; the result is the exit code.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
