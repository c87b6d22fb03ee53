// Times a program from its start until a window with the given title is visible, then ends it.
// Usage: stopwatch.exe TITLE PROGRAM   (prints milliseconds; exit 3 when no window came)
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: stopwatch TITLE PROGRAM\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, shown;
    QueryPerformanceFrequency(&frequency);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(argv[2], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "stopwatch: cannot start %s\n", argv[2]);
        return 2;
    }
    HWND window = nullptr;
    for (int i = 0; i < 200000 && !window; ++i) {
        HWND found = FindWindowA(nullptr, argv[1]);
        if (found && IsWindowVisible(found)) {
            window = found;
        } else {
            Sleep(0);
        }
    }
    QueryPerformanceCounter(&shown);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    if (!window) {
        return 3;
    }
    std::printf("%.3f\n", 1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) /
                              static_cast<double>(frequency.QuadPart));
    return 0;
}
