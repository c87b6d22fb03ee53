// The robot: finds Corven's dialogs by their titles, reads and checks what a person sees of them,
// and acts on them, with real input where a person would use the keyboard or the mouse. Each
// argument is one step, VERB or VERB=ARGUMENTS, done in order; the table of verbs below says each
// one's arguments and what it does. A step that does not parse fails as loudly as one that does not
// hold. Exit 0 when every step held, 1 at the first that did not.
//
// Real input goes through the suite's input agent, a shell loop outside Wine that drives the X
// server through XTest (xdotool): the robot writes one request to the file given by input= and
// waits until the agent has deleted it.
//
// The robot also makes the scenario's machine and starts Corven itself: the registry values it
// sets and reads, and the start, are steps too. Under emulation every Wine program costs about a
// second of processor time to start, so one program for the whole scenario keeps the suite fast.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A step's arguments, split at '=' into as many parts as its verb takes.
using Args = std::vector<std::string>;

std::string g_step; // the step being done, for the failure message
HWND g_dialog = nullptr;
std::string g_inputFile;
HANDLE g_started = nullptr; // the program the robot started

[[noreturn]] void Fail(const std::string& why)
{
    std::fprintf(stderr, "robot: %s: %s\n", g_step.c_str(), why.c_str());
    if (g_started) {
        TerminateProcess(g_started, 1); // nothing of this scenario runs on into the next
    }
    std::exit(1);
}

// A whole decimal number, or the step fails: "12x" or "" is a typo, not 12 or 0.
long Number(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno != 0) {
        Fail("\"" + text + "\" is not a number");
    }
    return value;
}

HWND Dialog()
{
    if (!g_dialog) {
        Fail("no dialog yet");
    }
    return g_dialog;
}

HWND Control(const std::string& id)
{
    HWND control = GetDlgItem(Dialog(), static_cast<int>(Number(id)));
    if (!control) {
        Fail("no control " + id);
    }
    return control;
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

void Expect(const std::string& actual, const std::string& expected)
{
    if (actual != expected) {
        Fail("is \"" + actual + "\", not \"" + expected + "\"");
    }
}

void Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageA(Dialog(), message, wParam, lParam);
    Sleep(300);
}

// Hands one request to the input agent and waits until it has been carried out.
void AskAgent(const std::string& request)
{
    if (g_inputFile.empty()) {
        Fail("no input= file given");
    }
    std::string pending = g_inputFile + ".new";
    FILE* file = std::fopen(pending.c_str(), "wb");
    if (!file) {
        Fail("cannot write the request");
    }
    std::fprintf(file, "%s\n", request.c_str());
    std::fclose(file);
    if (!MoveFileA(pending.c_str(), g_inputFile.c_str())) {
        Fail("cannot hand over the request");
    }
    for (int i = 0; i < 300; ++i) {
        if (GetFileAttributesA(g_inputFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
            Sleep(300); // time for the program to take the input in
            return;
        }
        Sleep(50);
    }
    Fail("the input agent did not answer");
}

void ClickAt(POINT at)
{
    AskAgent("click " + std::to_string(at.x) + " " + std::to_string(at.y));
}

POINT MiddleOf(const RECT& r)
{
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

RECT ScreenRect(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The visible top-level windows with this title.
std::vector<HWND> WindowsTitled(const std::string& title)
{
    std::vector<HWND> found;
    for (HWND w = FindWindowA(nullptr, title.c_str()); w;
         w = FindWindowExA(nullptr, w, nullptr, title.c_str())) {
        if (IsWindowVisible(w)) {
            found.push_back(w);
        }
    }
    return found;
}

// Where the dialog's icon is drawn, on the screen: the part of the client area left of every
// control, where nothing of the template stands.
RECT IconStrip()
{
    RECT client{};
    GetClientRect(Dialog(), &client);
    POINT topLeft{0, 0};
    ClientToScreen(Dialog(), &topLeft);
    LONG right = topLeft.x + client.right;
    for (HWND child = GetWindow(Dialog(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) {
            right = std::min(right, ScreenRect(child).left);
        }
    }
    return RECT{topLeft.x, topLeft.y, right, topLeft.y + client.bottom};
}

// The pixels of a screen rectangle, 32 bits each.
std::vector<unsigned> ScreenPixels(const RECT& r)
{
    int width = r.right - r.left, height = r.bottom - r.top;
    std::vector<unsigned> pixels(static_cast<size_t>(width > 0 && height > 0 ? width * height : 0));
    if (pixels.empty()) {
        return pixels;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* pixel = static_cast<const unsigned*>(bits);
    pixels.assign(pixel, pixel + pixels.size());
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// How many different pictures the icon strip shows over about a second.
size_t IconPictures()
{
    std::vector<std::vector<unsigned>> seen;
    for (int i = 0; i < 16; ++i) {
        std::vector<unsigned> now = ScreenPixels(IconStrip());
        bool known = false;
        for (const auto& s : seen) {
            known = known || s == now;
        }
        if (!known) {
            seen.push_back(now);
        }
        Sleep(70);
    }
    return seen.size();
}

// ---- The verbs ----

void WaitFor(const Args& a)
{
    for (int i = 0; i < 400; ++i) {
        std::vector<HWND> found = WindowsTitled(a[0]);
        if (!found.empty()) {
            g_dialog = found.front();
            Sleep(300);
            return;
        }
        Sleep(50);
    }
    Fail("no such window came");
}

void Gone(const Args&)
{
    for (int i = 0; i < 400 && IsWindow(Dialog()); ++i) {
        Sleep(50);
    }
    if (IsWindow(Dialog())) {
        Fail("the dialog is still open");
    }
    g_dialog = nullptr;
}

void Count(const Args& a)
{
    Sleep(500); // time for a window that should not come to come
    Expect(std::to_string(WindowsTitled(a[0]).size()), std::to_string(Number(a[1])));
}

void Title(const Args& a)
{
    Expect(WindowText(Dialog()), a[0]);
}

void Text(const Args& a)
{
    Expect(WindowText(Control(a[0])), a[1]);
}

void Checked(const Args& a)
{
    Expect(std::to_string(SendMessageA(Control(a[0]), BM_GETCHECK, 0, 0)), std::to_string(Number(a[1])));
}

void Items(const Args& a)
{
    HWND combo = Control(a[0]);
    std::string items;
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char item[512] = {};
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        items += (i ? "|" : "") + std::string(item);
    }
    Expect(items, a[1]);
}

void Selected(const Args& a)
{
    Expect(std::to_string(SendMessageA(Control(a[0]), CB_GETCURSEL, 0, 0)), std::to_string(Number(a[1])));
}

// Centred on the desktop to within a pixel, whichever way an odd size rounds, and topmost.
void Centred(const Args&)
{
    RECT desktop = ScreenRect(GetDesktopWindow()), window = ScreenRect(Dialog());
    LONG dx = (window.left + window.right) - (desktop.left + desktop.right);
    LONG dy = (window.top + window.bottom) - (desktop.top + desktop.bottom);
    if (dx < -2 || dx > 2 || dy < -2 || dy > 2) {
        Fail("off the desktop's middle by " + std::to_string(dx) + "/2, " + std::to_string(dy) + "/2 pixels");
    }
    if (!(GetWindowLongA(Dialog(), GWL_EXSTYLE) & WS_EX_TOPMOST)) {
        Fail("not topmost");
    }
}

void Disabled(const Args&)
{
    if (IsWindowEnabled(Dialog())) {
        Fail("the dialog takes input");
    }
}

// The icon is drawn inside the client area, left of the texts: the strip is not all one colour.
void Icon(const Args&)
{
    std::vector<unsigned> pixels = ScreenPixels(IconStrip());
    for (unsigned p : pixels) {
        if (p != pixels.front()) {
            return;
        }
    }
    Fail("nothing is drawn left of the texts");
}

void Animating(const Args&)
{
    if (IconPictures() < 2) {
        Fail("the icon does not move");
    }
}

void Still(const Args&)
{
    size_t pictures = IconPictures();
    if (pictures != 1) {
        Fail("the icon shows " + std::to_string(pictures) + " pictures");
    }
}

void Mark(const Args& a)
{
    FILE* file = std::fopen(a[0].c_str(), "w");
    if (!file) {
        Fail("cannot write the mark");
    }
    RECT r = g_dialog ? ScreenRect(g_dialog) : RECT{};
    std::fprintf(file, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fclose(file);
}

void Pause(const Args& a)
{
    Sleep(static_cast<DWORD>(Number(a[0])));
}

// Keeps the prefix's desktop: Wine closes a virtual desktop, and ends its explorer, once no program
// uses it, and starting them again costs each scenario more than a second of processor time under
// emulation. A thread that has asked for the desktop window uses it until Wine's server ends.
void Hold(const Args&)
{
    GetDesktopWindow();
    Sleep(INFINITE);
}

void Input(const Args& a)
{
    g_inputFile = a[0];
}

void Click(const Args& a)
{
    Post(WM_COMMAND, MAKEWPARAM(Number(a[0]), BN_CLICKED), reinterpret_cast<LPARAM>(Control(a[0])));
}

void Tick(const Args& a)
{
    HWND box = Control(a[0]);
    LRESULT state = SendMessageA(box, BM_GETCHECK, 0, 0);
    SendMessageA(box, BM_SETCHECK, state == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    Post(WM_COMMAND, MAKEWPARAM(Number(a[0]), BN_CLICKED), reinterpret_cast<LPARAM>(box));
}

void Type(const Args& a)
{
    HWND combo = Control(a[0]);
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageA(edit ? edit : combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[1].c_str()));
    Sleep(200);
}

void Pick(const Args& a)
{
    HWND combo = Control(a[0]);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(Number(a[1])), 0);
    Post(WM_COMMAND, MAKEWPARAM(Number(a[0]), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void Key(UINT key)
{
    Post(WM_KEYDOWN, key, 1);
    Post(WM_KEYUP, key, 0xC0000001);
}

void Escape(const Args&)
{
    Key(VK_ESCAPE);
}

void Enter(const Args&)
{
    Key(VK_RETURN);
}

void Close(const Args&)
{
    Post(WM_SYSCOMMAND, SC_CLOSE, 0);
}

// The dialog moved by DX,DY pixels, as a person drags it by its caption (here by a message).
void Move(const Args& a)
{
    RECT r = ScreenRect(Dialog());
    SetWindowPos(Dialog(), nullptr, r.left + Number(a[0]), r.top + Number(a[1]), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(300);
}

// The control of the dialog's thread that has the keyboard focus.
HWND FocusedControl()
{
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(Dialog(), nullptr), &thread) || !thread.hwndFocus) {
        Fail("no control has the focus");
    }
    return thread.hwndFocus;
}

void SetText(const Args& a)
{
    SendMessageA(FocusedControl(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[0].c_str()));
    Sleep(200);
}

std::string FileBytes(const std::string& path);

// A file's UTF-16 text (loadvalue.py utf16-write), for the characters the robot's own arguments,
// in the code page, cannot carry.
std::wstring FileText(const std::string& path)
{
    std::string bytes = FileBytes(path);
    if (bytes.size() % 2) {
        Fail(path + " is not UTF-16");
    }
    std::wstring text(bytes.size() / 2, L'\0');
    std::memcpy(text.data(), bytes.data(), bytes.size());
    return text;
}

// The characters of file B typed into combo box A's edit field, one WM_CHAR each through the
// dialog's own queue, as the keyboard of the user's script sends them: an ANSI window gets them
// through the code page, a Unicode one whole.
void WType(const Args& a)
{
    HWND combo = Control(a[0]);
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    if (!edit) {
        Fail("combo box " + a[0] + " has no edit field");
    }
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : FileText(a[1])) {
        PostMessageW(edit, WM_CHAR, c, 1);
    }
    Sleep(500);
}

// The control with the keyboard focus holds file A's text, set in Unicode.
void WSetText(const Args& a)
{
    SendMessageW(FocusedControl(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(FileText(a[0]).c_str()));
    Sleep(200);
}

void XClick(const Args& a)
{
    ClickAt(MiddleOf(ScreenRect(Control(a[0]))));
}

void XClient(const Args& a)
{
    POINT at{Number(a[0]), Number(a[1])};
    ClientToScreen(Dialog(), &at);
    ClickAt(at);
}

void XIcon(const Args&)
{
    ClickAt(MiddleOf(IconStrip()));
}

// A click on the caption's close box, found where the window says it is (WM_NCHITTEST).
void XCloseBox(const Args&)
{
    RECT r = ScreenRect(Dialog());
    for (LONG y = r.top; y < r.top + GetSystemMetrics(SM_CYCAPTION) + 8; ++y) {
        for (LONG x = r.right - 1; x > r.right - 80; --x) {
            if (SendMessageA(Dialog(), WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                LONG first = x;
                while (SendMessageA(Dialog(), WM_NCHITTEST, 0, MAKELPARAM(first - 1, y)) == HTCLOSE) {
                    --first;
                }
                ClickAt(POINT{(first + x) / 2, y + 3});
                return;
            }
        }
    }
    Fail("the dialog has no close box");
}

void XKey(const Args& a)
{
    AskAgent("key " + a[0]);
}

void XType(const Args& a)
{
    HWND combo = Control(a[0]);
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    ClickAt(MiddleOf(ScreenRect(edit ? edit : combo)));
    AskAgent("key End shift+Home");
    AskAgent("type " + a[1]);
}

void XText(const Args& a)
{
    AskAgent("type " + a[0]);
}

// ---- The machine and the start ----

std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    if (units <= 0) {
        Fail("cannot convert \"" + text + "\"");
    }
    wide.resize(static_cast<size_t>(units - 1));
    return wide;
}

// A file's bytes, or the step fails.
std::string FileBytes(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        Fail("cannot read " + path);
    }
    std::string bytes;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof(chunk), file)) > 0;) {
        bytes.append(chunk, n);
    }
    std::fclose(file);
    return bytes;
}

void WriteFileBytes(const std::string& path, const void* bytes, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(bytes, 1, size, file) != size) {
        Fail("cannot write " + path);
    }
    std::fclose(file);
}

// Value B of key A under HKEY_CURRENT_USER is the text of file C, UTF-16 as it stands there: any
// character gets into the registry as the system keeps it.
void RegSet(const Args& a)
{
    std::string text = FileBytes(a[2]);
    if (text.size() % 2) {
        Fail(a[2] + " is not UTF-16");
    }
    text.append(2, '\0');
    HKEY key = nullptr;
    LONG error = RegCreateKeyExW(HKEY_CURRENT_USER, Wide(a[0]).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                 &key, nullptr);
    if (error == ERROR_SUCCESS) {
        error = RegSetValueExW(key, Wide(a[1]).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                               static_cast<DWORD>(text.size()));
        RegCloseKey(key);
    }
    if (error != ERROR_SUCCESS) {
        Fail("cannot set the value (error " + std::to_string(error) + ")");
    }
}

// Value B of key A under HKEY_CURRENT_USER goes to file C as UTF-16 with no terminator; when the
// value is absent, no file is left.
void RegGet(const Args& a)
{
    std::remove(a[2].c_str());
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(a[0]).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    std::wstring name = Wide(a[1]);
    DWORD type = 0, size = 0;
    LONG error = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::wstring value(size / 2 + 1, L'\0');
    if (error == ERROR_SUCCESS) {
        error =
            RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size);
    }
    RegCloseKey(key);
    if (error == ERROR_FILE_NOT_FOUND) {
        return;
    }
    if (error != ERROR_SUCCESS || type != REG_SZ) {
        Fail("cannot read a string there (error " + std::to_string(error) + ", type " + std::to_string(type) +
             ")");
    }
    value.resize(size / 2);
    while (!value.empty() && value.back() == L'\0') {
        value.pop_back();
    }
    WriteFileBytes(a[2], value.data(), value.size() * sizeof(wchar_t));
}

// Key A under HKEY_CURRENT_USER and its values are gone, if it was there.
void RegDelete(const Args& a)
{
    LONG error = RegDeleteKeyW(HKEY_CURRENT_USER, Wide(a[0]).c_str());
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
        Fail("cannot delete the key (error " + std::to_string(error) + ")");
    }
}

void StartProgram(const std::string& path, const STARTUPINFOA& startup)
{
    if (g_started) {
        Fail("a program is started already");
    }
    STARTUPINFOA info = startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &info,
                        &process)) {
        Fail("cannot start it (error " + std::to_string(GetLastError()) + ")");
    }
    CloseHandle(process.hThread);
    g_started = process.hProcess;
}

void Start(const Args& a)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    StartProgram(a[0], startup);
}

// As the shell starts the programs of the load= line: minimised and inactive, through
// STARTUPINFO's show state.
void StartAsShell(const Args& a)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINNOACTIVE;
    StartProgram(a[0], startup);
}

// The started program ends within a minute; its exit code, all 32 bits, goes to file A.
void Ended(const Args& a)
{
    if (!g_started) {
        Fail("no program was started");
    }
    if (WaitForSingleObject(g_started, 60000) != WAIT_OBJECT_0) {
        Fail("the program is still running");
    }
    DWORD code = 0;
    GetExitCodeProcess(g_started, &code);
    CloseHandle(g_started);
    g_started = nullptr;
    std::string text = std::to_string(static_cast<long>(code)) + "\n";
    WriteFileBytes(a[0], text.data(), text.size());
}

// How many processes of file name A run now, into file B: after Corven's end, a setup.exe it
// started is running or has written its record already, so no record and none running means
// none was started.
void Running(const Args& a)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        Fail("no process snapshot");
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        count += lstrcmpiA(entry.szExeFile, a[0].c_str()) == 0;
    }
    CloseHandle(snapshot);
    std::string text = std::to_string(count) + "\n";
    WriteFileBytes(a[1], text.data(), text.size());
}

// How a verb's arguments are written.
enum class Shape {
    None,  // verb
    One,   // verb=A (the rest of the step, '=' included)
    Two,   // verb=A=B (B the rest of the step)
    Three, // verb=A=B=C (C the rest of the step)
    Point, // verb=X,Y
};

struct Verb {
    const char* name;
    Shape shape;
    void (*run)(const Args&);
    const char* what;
};

// clang-format off
constexpr Verb kVerbs[] = {
    {"regset",     Shape::Three,  RegSet,       "value B of HKCU key A is the UTF-16 text of file C"},
    {"regget",     Shape::Three,  RegGet,       "value B of HKCU key A goes to file C as UTF-16 (no file: absent)"},
    {"regdelete",  Shape::One,    RegDelete,    "HKCU key A is gone"},
    {"start",      Shape::One,    Start,        "program A is started"},
    {"startshell", Shape::One,    StartAsShell, "program A is started as the shell starts load= programs"},
    {"ended",      Shape::One,    Ended,        "the started program has ended; its exit code goes to file A"},
    {"running",    Shape::Two,    Running,      "how many processes of file name A run, into file B"},
    {"wait",       Shape::One,    WaitFor,      "a visible top-level window with title A becomes the current dialog"},
    {"gone",       Shape::None,   Gone,         "the current dialog has closed"},
    {"count",      Shape::Two,    Count,        "B visible top-level windows have title A"},
    {"title",      Shape::One,    Title,        "the dialog's title is A"},
    {"text",       Shape::Two,    Text,         "control A shows B (for the combo box, its edit field)"},
    {"checked",    Shape::Two,    Checked,      "check box A's state is B (0 or 1)"},
    {"items",      Shape::Two,    Items,        "combo box A holds the items B, as I1|I2|..."},
    {"selected",   Shape::Two,    Selected,     "combo box A has item B selected"},
    {"centred",    Shape::None,   Centred,      "the dialog is in the desktop's middle, within a pixel, and topmost"},
    {"disabled",   Shape::None,   Disabled,     "the dialog takes no input (a modal dialog it owns shows)"},
    {"icon",       Shape::None,   Icon,         "something is drawn in the client area left of every control"},
    {"animating",  Shape::None,   Animating,    "the picture left of the controls changes over a second"},
    {"still",      Shape::None,   Still,        "it does not"},
    {"mark",       Shape::One,    Mark,         "the dialog's screen rectangle goes to file A, for a screenshot"},
    {"pause",      Shape::One,    Pause,        "A milliseconds pass"},
    {"hold",       Shape::None,   Hold,         "the robot stays on the desktop until Wine's server ends"},
    {"input",      Shape::One,    Input,        "the input agent takes requests in file A"},
    {"click",      Shape::One,    Click,        "button A's click, as a message"},
    {"tick",       Shape::One,    Tick,         "check box A ticked or cleared, as messages"},
    {"type",       Shape::Two,    Type,         "combo box A's edit field holds B, as a message"},
    {"pick",       Shape::Two,    Pick,         "item B of combo box A picked, as messages"},
    {"escape",     Shape::None,   Escape,       "the Escape key posted to the dialog"},
    {"enter",      Shape::None,   Enter,        "the Enter key posted to the dialog"},
    {"move",       Shape::Point,  Move,         "the dialog moved by X,Y pixels (a drag by its caption, as a message)"},
    {"close",      Shape::None,   Close,        "the window's Close command, as a message"},
    {"settext",    Shape::One,    SetText,      "the control with the keyboard focus holds A (X input types no text the keyboard map lacks)"},
    {"wtype",      Shape::Two,    WType,        "the characters of file B (UTF-16) typed into combo box A's edit field, as WM_CHAR messages"},
    {"wsettext",   Shape::One,    WSetText,     "the control with the keyboard focus holds file A's text (UTF-16), set in Unicode"},
    {"xclick",     Shape::One,    XClick,       "a real left click on the middle of control A"},
    {"xclient",    Shape::Point,  XClient,      "a real left click at client point X,Y"},
    {"xicon",      Shape::None,   XIcon,        "a real left click on the icon's place"},
    {"xclosebox",  Shape::None,   XCloseBox,    "a real left click on the caption's close box"},
    {"xkey",       Shape::One,    XKey,         "real key presses A, as xdotool names them (Escape, Return, alt+F4)"},
    {"xtype",      Shape::Two,    XType,        "a real click into combo box A's edit field, its text selected, B typed"},
    {"xtext",      Shape::One,    XText,        "A typed where the keyboard focus is"},
};
// clang-format on

Args Split(const std::string& text, char separator, size_t parts)
{
    Args out;
    size_t at = 0;
    while (out.size() + 1 < parts) {
        size_t next = text.find(separator, at);
        if (next == std::string::npos) {
            Fail("takes " + std::to_string(parts) + " arguments");
        }
        out.push_back(text.substr(at, next - at));
        at = next + 1;
    }
    out.push_back(text.substr(at));
    return out;
}

void Step(const std::string& step)
{
    g_step = step;
    size_t equals = step.find('=');
    std::string name = step.substr(0, equals);
    std::string rest = equals == std::string::npos ? "" : step.substr(equals + 1);
    for (const Verb& verb : kVerbs) {
        if (name != verb.name) {
            continue;
        }
        if ((verb.shape == Shape::None) != (equals == std::string::npos)) {
            Fail(verb.shape == Shape::None ? "takes no argument" : "needs an argument");
        }
        switch (verb.shape) {
        case Shape::None:
            verb.run({});
            break;
        case Shape::One:
            verb.run({rest});
            break;
        case Shape::Two:
            verb.run(Split(rest, '=', 2));
            break;
        case Shape::Three:
            verb.run(Split(rest, '=', 3));
            break;
        case Shape::Point:
            verb.run(Split(rest, ',', 2));
            break;
        }
        return;
    }
    Fail("no such step");
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        Step(argv[i]);
    }
    return 0;
}
