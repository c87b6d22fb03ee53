// Times a program from its start until its window is fully painted: the window with the given
// title is visible and the screen shows it as it will stay. The stopwatch reads the window's
// pixels off the screen every few milliseconds and remembers when each picture first appeared;
// once the picture has not changed for a settling time, the first appearance of that last picture
// is the moment the user saw the whole window. Reading the screen, not the program, measures
// the same thing for any program: every control drawn, whatever order they were drawn in.
// Usage: stopwatch.exe TITLE PROGRAM [TITLE PROGRAM ...]
// Runs each program in turn, one at a time with a pause between them so the last one's end does
// not weigh on the next start, and prints one line of milliseconds for each; exit 3 when a window
// never settled. One stopwatch for a whole bench keeps its own start out of the way.
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

constexpr DWORD kPollMs = 4;       // gentle: the program under test shares the wineserver
constexpr double kSettledMs = 600; // no change for this long: the picture is final
constexpr double kGiveUpMs = 20000;
constexpr DWORD kPauseMs = 500;

double Since(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// A checksum of what the screen shows inside the window's rectangle; 0 for an empty one.
unsigned long long Picture(HWND window, std::vector<unsigned int>* pixels)
{
    RECT r{};
    GetWindowRect(window, &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) {
        return 0;
    }
    pixels->resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels->data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    unsigned long long sum = 1469598103934665603ull;
    for (unsigned int p : *pixels) {
        sum = (sum ^ (p & 0xFFFFFFu)) * 1099511628211ull;
    }
    return sum ^ (static_cast<unsigned long long>(width) << 32) ^ static_cast<unsigned long long>(height);
}

// Process start to the window with this title fully painted; -1 when it never settled.
double TimeToPainted(const char* title, char* program)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "stopwatch: cannot start %s\n", program);
        return -1;
    }
    std::vector<unsigned int> pixels;
    unsigned long long shown = 0;
    double shownAt = -1;
    double now = 0;
    while ((now = Since(start)) < kGiveUpMs) {
        HWND window = FindWindowA(nullptr, title);
        if (window && IsWindowVisible(window)) {
            unsigned long long picture = Picture(window, &pixels);
            if (picture != shown) {
                shown = picture;
                shownAt = now;
            } else if (now - shownAt >= kSettledMs) {
                break;
            }
        }
        Sleep(kPollMs);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return now >= kGiveUpMs ? -1 : shownAt;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: stopwatch TITLE PROGRAM [TITLE PROGRAM ...]\n");
        return 2;
    }
    for (int i = 1; i < argc; i += 2) {
        double ms = TimeToPainted(argv[i], argv[i + 1]);
        if (ms < 0) {
            return 3;
        }
        std::printf("%.3f\n", ms);
        std::fflush(stdout);
        Sleep(kPauseMs);
    }
    return 0;
}
