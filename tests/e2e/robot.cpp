// The robot: finds Corven's dialogs by their titles, reads and checks their controls, and acts on
// them with the messages a person's actions produce. Each argument is one step, done in order.
//
//   wait=TITLE            a visible top-level window with that title becomes the current dialog
//   gone                  the current dialog has closed
//   title=TEXT            the dialog's title
//   text=ID=TEXT          a control's text (for the combo box, its edit field)
//   checked=ID=0|1        a check box's state
//   items=ID=A|B|...      the combo box's items, in order;  selected=ID=N  its selection
//   centred               centred on the desktop as Corven centres, and topmost
//   click=ID  tick=ID  type=ID=TEXT  pick=ID=N  escape  close   (window messages)
//   mark=FILE             writes the dialog's rectangle to FILE, for a screenshot;  pause=MS
//
// Real input, as a person gives it: the robot asks the suite's input agent (a shell loop outside
// Wine that drives the X server through XTest, with xdotool) and waits until it is done.
//   input=FILE            where requests go: one line each, the agent deletes the file when done
//   xclick=ID             a left click on the middle of a control
//   xclient=X,Y           a left click on the dialog's client area at X,Y
//   xkey=KEYS             key presses, as xdotool names them (Escape, Return, shift+Home)
//   xtype=ID=TEXT         a click into a combo box's edit field, its text selected, TEXT typed
//   xtext=TEXT            TEXT typed where the keyboard focus is
//   settext=TEXT          the text of the control with the keyboard focus set to TEXT (a message:
//                         X input types no text the keyboard map lacks)
//   animating  still      the icon at the dialog's icon place changes over a second, or not
//
// Exit 0 when every step held, 1 at the first that did not.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

HWND g_dialog = nullptr;
std::string g_inputFile;

// Where Corven paints a dialog's icon, in client coordinates.
constexpr int kIconLeft = 10;
constexpr int kIconTop = 45;

[[noreturn]] void Fail(const std::string& step, const std::string& why)
{
    std::fprintf(stderr, "robot: %s: %s\n", step.c_str(), why.c_str());
    std::exit(1);
}

std::vector<std::string> Split(const std::string& text, char separator, size_t parts)
{
    std::vector<std::string> out;
    size_t at = 0;
    while (out.size() + 1 < parts) {
        size_t next = text.find(separator, at);
        if (next == std::string::npos) {
            break;
        }
        out.push_back(text.substr(at, next - at));
        at = next + 1;
    }
    out.push_back(text.substr(at));
    return out;
}

HWND Control(const std::string& step, const std::string& id)
{
    HWND control = GetDlgItem(g_dialog, std::atoi(id.c_str()));
    if (!control) {
        Fail(step, "no control " + id);
    }
    return control;
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

void Expect(const std::string& step, const std::string& actual, const std::string& expected)
{
    if (actual != expected) {
        Fail(step, "is \"" + actual + "\", not \"" + expected + "\"");
    }
}

void Post(UINT message, WPARAM wParam, LPARAM lParam)
{
    PostMessageA(g_dialog, message, wParam, lParam);
    Sleep(300);
}

// Hands one request to the input agent and waits until it has been carried out.
void AskAgent(const std::string& step, const std::string& request)
{
    if (g_inputFile.empty()) {
        Fail(step, "no input= file given");
    }
    std::string pending = g_inputFile + ".new";
    FILE* file = std::fopen(pending.c_str(), "wb");
    if (!file) {
        Fail(step, "cannot write the request");
    }
    std::fprintf(file, "%s\n", request.c_str());
    std::fclose(file);
    if (!MoveFileA(pending.c_str(), g_inputFile.c_str())) {
        Fail(step, "cannot hand over the request");
    }
    for (int i = 0; i < 300; ++i) {
        if (GetFileAttributesA(g_inputFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
            Sleep(300); // time for the program to take the input in
            return;
        }
        Sleep(50);
    }
    Fail(step, "the input agent did not answer");
}

// A real click at a point of the screen.
void ClickAt(const std::string& step, POINT at)
{
    AskAgent(step, "click " + std::to_string(at.x) + " " + std::to_string(at.y));
}

POINT MiddleOf(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A checksum of the pixels on the screen at the dialog's icon place.
unsigned long IconPixels()
{
    POINT at{kIconLeft, kIconTop};
    ClientToScreen(g_dialog, &at);
    int size = GetSystemMetrics(SM_CXICON);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, size, size, screen, at.x, at.y, SRCCOPY);
    GdiFlush();
    unsigned long sum = 5381;
    const auto* pixel = static_cast<const unsigned char*>(bits);
    for (int i = 0; i < size * size * 4; ++i) {
        sum = sum * 33 + pixel[i];
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return sum;
}

// How many different pictures the icon place shows over about a second.
size_t IconPictures()
{
    std::vector<unsigned long> seen;
    for (int i = 0; i < 16; ++i) {
        unsigned long now = IconPixels();
        bool known = false;
        for (unsigned long s : seen) {
            known = known || s == now;
        }
        if (!known) {
            seen.push_back(now);
        }
        Sleep(70);
    }
    return seen.size();
}

void Step(const std::string& step)
{
    std::vector<std::string> p = Split(step, '=', 3);
    const std::string& verb = p[0];
    if (verb == "wait") {
        for (int i = 0; i < 400; ++i) {
            HWND found = FindWindowA(nullptr, Split(step, '=', 2)[1].c_str());
            if (found && IsWindowVisible(found)) {
                g_dialog = found;
                Sleep(300);
                return;
            }
            Sleep(50);
        }
        Fail(step, "no such window came");
    }
    if (verb == "pause") {
        Sleep(static_cast<DWORD>(std::atoi(p[1].c_str())));
        return;
    }
    if (verb == "input") {
        g_inputFile = Split(step, '=', 2)[1];
        return;
    }
    if (verb == "mark") {
        FILE* file = std::fopen(p[1].c_str(), "w");
        if (!file) {
            Fail(step, "cannot write the mark");
        }
        RECT r{};
        if (g_dialog) {
            GetWindowRect(g_dialog, &r);
        }
        std::fprintf(file, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::fclose(file);
        return;
    }
    if (!g_dialog) {
        Fail(step, "no dialog yet");
    }
    if (verb == "gone") {
        for (int i = 0; i < 400 && IsWindow(g_dialog); ++i) {
            Sleep(50);
        }
        if (IsWindow(g_dialog)) {
            Fail(step, "the dialog is still open");
        }
        g_dialog = nullptr;
    } else if (verb == "title") {
        Expect(step, WindowText(g_dialog), Split(step, '=', 2)[1]);
    } else if (verb == "text") {
        Expect(step, WindowText(Control(step, p[1])), p[2]);
    } else if (verb == "checked") {
        Expect(step, std::to_string(SendMessageA(Control(step, p[1]), BM_GETCHECK, 0, 0)), p[2]);
    } else if (verb == "items") {
        HWND combo = Control(step, p[1]);
        std::string items;
        LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char item[512] = {};
            SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
            items += (i ? "|" : "") + std::string(item);
        }
        Expect(step, items, p[2]);
    } else if (verb == "selected") {
        Expect(step, std::to_string(SendMessageA(Control(step, p[1]), CB_GETCURSEL, 0, 0)), p[2]);
    } else if (verb == "centred") {
        RECT desktop, window;
        GetWindowRect(GetDesktopWindow(), &desktop);
        GetWindowRect(g_dialog, &window);
        LONG x = (desktop.right - desktop.left) / 2 + (window.left - window.right) / 2;
        LONG y = (desktop.bottom - desktop.top) / 2 + (window.top - window.bottom) / 2;
        if (window.left != x || window.top != y) {
            Fail(step, "at " + std::to_string(window.left) + "," + std::to_string(window.top) + ", not " +
                           std::to_string(x) + "," + std::to_string(y));
        }
        if (!(GetWindowLongA(g_dialog, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
            Fail(step, "not topmost");
        }
    } else if (verb == "click") {
        int id = std::atoi(p[1].c_str());
        Post(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(step, p[1])));
    } else if (verb == "tick") {
        HWND box = Control(step, p[1]);
        LRESULT state = SendMessageA(box, BM_GETCHECK, 0, 0);
        SendMessageA(box, BM_SETCHECK, state == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
        Post(WM_COMMAND, MAKEWPARAM(std::atoi(p[1].c_str()), BN_CLICKED), reinterpret_cast<LPARAM>(box));
    } else if (verb == "type") {
        HWND combo = Control(step, p[1]);
        HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SendMessageA(edit ? edit : combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(p[2].c_str()));
        Sleep(200);
    } else if (verb == "pick") {
        HWND combo = Control(step, p[1]);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(std::atoi(p[2].c_str())), 0);
        Post(WM_COMMAND, MAKEWPARAM(std::atoi(p[1].c_str()), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    } else if (verb == "escape") {
        Post(WM_KEYDOWN, VK_ESCAPE, 1);
        Post(WM_KEYUP, VK_ESCAPE, 0xC0000001);
    } else if (verb == "xclick") {
        ClickAt(step, MiddleOf(Control(step, p[1])));
    } else if (verb == "xclient") {
        std::vector<std::string> xy = Split(p[1], ',', 2);
        POINT at{std::atoi(xy[0].c_str()), std::atoi(xy[1].c_str())};
        ClientToScreen(g_dialog, &at);
        ClickAt(step, at);
    } else if (verb == "xkey") {
        AskAgent(step, "key " + Split(step, '=', 2)[1]);
    } else if (verb == "xtype") {
        HWND combo = Control(step, p[1]);
        HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        ClickAt(step, MiddleOf(edit ? edit : combo));
        AskAgent(step, "key End shift+Home");
        AskAgent(step, "type " + p[2]);
    } else if (verb == "settext") {
        GUITHREADINFO thread{};
        thread.cbSize = sizeof(thread);
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(g_dialog, nullptr), &thread) || !thread.hwndFocus) {
            Fail(step, "no control has the focus");
        }
        SendMessageA(thread.hwndFocus, WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(Split(step, '=', 2)[1].c_str()));
        Sleep(200);
    } else if (verb == "xtext") {
        AskAgent(step, "type " + Split(step, '=', 2)[1]);
    } else if (verb == "animating") {
        if (IconPictures() < 2) {
            Fail(step, "the icon does not move");
        }
    } else if (verb == "still") {
        size_t pictures = IconPictures();
        if (pictures != 1) {
            Fail(step, "the icon shows " + std::to_string(pictures) + " pictures");
        }
    } else if (verb == "close") {
        Post(WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
        Fail(step, "no such step");
    }
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        Step(argv[i]);
    }
    return 0;
}
