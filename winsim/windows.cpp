// Windows and controls: statics, buttons, the sorted upper-case combo box, placement and painting.
#include <algorithm>
#include <cstring>

#include "winsim/machine.h"

namespace {

using winsim::M;
using winsim::Window;

// Where a new item goes in a sorted list: the place of an equal item, else after the smaller ones.
int SortedPlace(const std::vector<std::string>& items, const std::string& text)
{
    size_t low = 0;
    size_t high = items.size();
    while (low != high) {
        size_t mid = (low + high) / 2;
        int order = lstrcmpiA(items[mid].c_str(), text.c_str());
        if (order == 0) {
            return static_cast<int>(mid);
        }
        if (order > 0) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return static_cast<int>(high);
}

// The name of a message the product sends, for the fault table.
std::string MessageName(UINT msg)
{
    switch (msg) {
    case CB_ADDSTRING:
        return "CB_ADDSTRING";
    case CB_SETCURSEL:
        return "CB_SETCURSEL";
    case CB_GETLBTEXT:
        return "CB_GETLBTEXT";
    case CB_GETLBTEXTLEN:
        return "CB_GETLBTEXTLEN";
    case WM_GETTEXT:
        return "WM_GETTEXT";
    case WM_SETTEXT:
        return "WM_SETTEXT";
    default:
        return std::to_string(msg);
    }
}

LRESULT CopyText(const std::string& text, WPARAM max, LPARAM out)
{
    if (max == 0) {
        return 0;
    }
    size_t n = text.size() < max - 1 ? text.size() : max - 1;
    std::memcpy(reinterpret_cast<char*>(out), text.data(), n);
    reinterpret_cast<char*>(out)[n] = '\0';
    return static_cast<LRESULT>(n);
}

LRESULT ComboMessage(Window* combo, UINT msg, WPARAM wParam, LPARAM lParam)
{
    int count = static_cast<int>(combo->items.size());
    switch (msg) {
    case CB_RESETCONTENT:
        combo->items.clear();
        combo->selection = CB_ERR;
        combo->edit.clear();
        return TRUE;
    case CB_ADDSTRING: {
        std::string text = reinterpret_cast<const char*>(lParam);
        if (combo->style & CBS_UPPERCASE) {
            text = combo->unicode ? winsim::UpperUnicode(text) : winsim::UpperAnsi(text);
        }
        int place = (combo->style & CBS_SORT) ? SortedPlace(combo->items, text) : count;
        combo->items.insert(combo->items.begin() + place, text);
        if (combo->selection >= place) {
            ++combo->selection;
        }
        return place;
    }
    case CB_GETCOUNT:
        return count;
    case CB_GETCURSEL:
        return combo->selection;
    case CB_SETCURSEL: {
        int index = static_cast<int>(static_cast<intptr_t>(wParam));
        if (index < 0 || index >= count) {
            combo->selection = CB_ERR;
            combo->edit.clear();
            return CB_ERR;
        }
        combo->selection = index;
        combo->edit = combo->items[static_cast<size_t>(index)];
        return index;
    }
    case CB_GETLBTEXT:
    case CB_GETLBTEXTLEN: {
        int index = static_cast<int>(static_cast<intptr_t>(wParam));
        if (index < 0 || index >= count) {
            return CB_ERR;
        }
        const std::string& item = combo->items[static_cast<size_t>(index)];
        if (msg == CB_GETLBTEXT) {
            std::memcpy(reinterpret_cast<char*>(lParam), item.c_str(), item.size() + 1);
        }
        return static_cast<LRESULT>(item.size());
    }
    case WM_GETTEXT:
        return CopyText(combo->edit, wParam, lParam);
    case WM_SETTEXT:
        combo->edit = reinterpret_cast<const char*>(lParam);
        return TRUE;
    default:
        winsim::Problem("combo box message not simulated: " + std::to_string(msg));
        return 0;
    }
}

// The window of a handle that a message goes to: a dialog or a control.
Window* MessageTarget(HWND handle)
{
    Window* w = winsim::FromHandle(handle);
    return w && (w->kind == Window::Dialog || w->kind == Window::Child) ? w : nullptr;
}

LRESULT Deliver(Window* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return w->kind == Window::Dialog ? winsim::DeliverToDialog(w, msg, wParam, lParam)
                                     : winsim::DeliverToControl(w, msg, wParam, lParam);
}

bool CarriesTextIn(UINT msg)
{
    return msg == WM_SETTEXT || msg == CB_ADDSTRING;
}

bool CarriesTextOut(UINT msg)
{
    return msg == WM_GETTEXT || msg == CB_GETLBTEXT || msg == CB_GETLBTEXTLEN;
}

// A message whose text is in a form other than the window's: `in` turns the sender's text into the
// window's, `out` the window's into the sender's, whose length in characters `units` gives; `put`
// writes the sender's text, at most `room` characters with the terminator, and says how many.
template <typename In, typename Out, typename Units, typename Put>
LRESULT Converted(Window* w, UINT msg, WPARAM wParam, LPARAM lParam, In in, Out out, Units units, Put put)
{
    if (CarriesTextIn(msg)) {
        std::string text = in(lParam);
        return Deliver(w, msg, wParam, reinterpret_cast<LPARAM>(text.c_str()));
    }
    if (!CarriesTextOut(msg)) {
        return Deliver(w, msg, wParam, lParam);
    }
    std::string stored(8192, '\0');
    WPARAM at = msg == WM_GETTEXT ? stored.size() : wParam;
    LRESULT result = Deliver(w, msg, at, reinterpret_cast<LPARAM>(stored.data()));
    if (result < 0) {
        return result;
    }
    stored.resize(std::strlen(stored.c_str()));
    if (msg == CB_GETLBTEXTLEN) {
        return static_cast<LRESULT>(units(out(stored)));
    }
    // CB_GETLBTEXT has no room given: the caller asked the length first.
    return put(out(stored), msg == WM_GETTEXT ? wParam : ~WPARAM(0), lParam);
}

} // namespace

namespace winsim {

bool IsUnicodeWindow(HWND window)
{
    Window* w = FromHandle(window);
    return w && w->unicode;
}

Window* FromHandle(HWND handle)
{
    for (auto& window : M().windows) {
        if (ToHandle(window.get()) == handle) {
            return window->alive ? window.get() : nullptr;
        }
    }
    return nullptr;
}

HWND ToHandle(Window* window)
{
    return reinterpret_cast<HWND>(window);
}

Window* NewWindow(Window::Kind kind)
{
    M().windows.push_back(std::make_unique<Window>());
    Window* window = M().windows.back().get();
    window->kind = kind;
    return window;
}

void DestroyWindowTree(Window* window)
{
    for (Window* child : window->children) {
        DestroyWindowTree(child);
    }
    window->alive = false;
    window->visible = false;
    auto& timers = M().timers;
    for (size_t i = 0; i < timers.size();) {
        if (timers[i].window == window) {
            timers.erase(timers.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
    }
}

LRESULT DeliverToControl(Window* control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (control->cls == "ComboBox") {
        return ComboMessage(control, msg, wParam, lParam);
    }
    switch (msg) {
    case BM_GETCHECK:
        return control->check;
    case BM_SETCHECK:
        control->check = static_cast<int>(wParam);
        return 0;
    case WM_GETTEXT:
        return CopyText(control->text, wParam, lParam);
    case WM_SETTEXT:
        control->text = reinterpret_cast<const char*>(lParam);
        return TRUE;
    default:
        Problem("control message not simulated: " + std::to_string(msg));
        return 0;
    }
}

void SetDesktopSize(int width, int height)
{
    M().desktop->rect = RECT{0, 0, width, height};
}

void SetIconSize(int cx, int cy)
{
    M().iconWidth = cx;
    M().iconHeight = cy;
}

void SetDialogWindowSize(int templateId, int width, int height)
{
    M().dialogSizes[templateId] = {width, height};
}

std::vector<UINT>& Beeps()
{
    return M().beeps;
}

std::vector<IconDraw>& Draws()
{
    return M().draws;
}

std::vector<Placement>& Placements()
{
    return M().placements;
}

std::vector<RECT>& Invalidations()
{
    return M().invalidations;
}

int LiveDCs()
{
    return static_cast<int>(M().dcs.size());
}

HWND Control(HWND dialog, int id)
{
    InternalCall internal;
    return GetDlgItem(dialog, id);
}

std::string Text(HWND window)
{
    Window* w = FromHandle(window);
    if (!w) {
        Problem("Text of a window that is not there");
        return "";
    }
    return w->cls == "ComboBox" ? w->edit : w->text;
}

std::string Text(HWND dialog, int id)
{
    InternalCall internal;
    return Text(GetDlgItem(dialog, id));
}

bool IsVisible(HWND window)
{
    Window* w = FromHandle(window);
    return w && w->visible;
}

bool IsEnabled(HWND window)
{
    Window* w = FromHandle(window);
    return w && w->enabled;
}

bool IsMinimized(HWND window)
{
    Window* w = FromHandle(window);
    return w && w->minimized;
}

bool IsActive(HWND window)
{
    Window* w = FromHandle(window);
    return w && M().active == w && w->alive;
}

void StartWithShowState(int show)
{
    M().startupShow = show;
}

std::vector<Showing>& Showings()
{
    return M().showings;
}

void RecordShowState(Window* w)
{
    if (w->kind != Window::Dialog || w->showing < 0) {
        return;
    }
    std::string state = !w->visible ? "hidden" : w->minimized ? "minimised" : "restored";
    if (w->visible && M().active == w) {
        state += " active";
    }
    std::vector<std::string>& states = M().showings[static_cast<size_t>(w->showing)].states;
    if (states.empty() ? state != "hidden" : states.back() != state) {
        states.push_back(state);
    }
}

// As ReactOS' co_WinPosShowWindow has it, after ShowWindow's documentation: while the start-up
// show state is unused, the first ShowWindow of an unowned, captioned top-level window uses it up,
// and takes it in place of SW_SHOWNORMAL or SW_SHOW; SW_SHOWDEFAULT takes it on any window. Every
// other command there (SW_RESTORE, SW_HIDE...) is carried out as asked.
BOOL ShowAs(Window* w, int show)
{
    Machine& m = M();
    bool topLevel = w->kind == Window::Dialog && !w->owner && (w->style & WS_CAPTION) == WS_CAPTION;
    bool firstTime = false;
    if (topLevel && m.startupShow >= 0) {
        show = show == SW_SHOWNORMAL || show == SW_SHOW ? SW_SHOWDEFAULT : show;
        firstTime = true;
    }
    if (show == SW_SHOWDEFAULT && m.startupShow >= 0) {
        show = m.startupShow;
        firstTime = true;
    }
    if (firstTime) {
        m.startupShow = -1;
    }
    BOOL was = w->visible;
    w->visible = show != SW_HIDE;
    if (w->visible && !was) {
        w->invalid = true;
    }
    switch (show) {
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        w->minimized = true;
        if (m.active == w) {
            m.active = nullptr; // a minimised window gives up the activation
        }
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
    case SW_SHOWMAXIMIZED:
        w->minimized = false;
        m.active = w->kind == Window::Dialog ? w : m.active;
        break;
    case SW_SHOW:
        m.active = w->kind == Window::Dialog ? w : m.active;
        break;
    case SW_SHOWNOACTIVATE:
        w->minimized = false;
        break;
    default:
        break;
    }
    RecordShowState(w);
    return was;
}

bool IsTopmost(HWND window)
{
    Window* w = FromHandle(window);
    return w && w->topmost;
}

bool IsChecked(HWND dialog, int id)
{
    InternalCall internal;
    Window* w = FromHandle(GetDlgItem(dialog, id));
    return w && w->check == BST_CHECKED;
}

std::vector<std::string> ComboItems(HWND dialog, int id)
{
    InternalCall internal;
    Window* w = FromHandle(GetDlgItem(dialog, id));
    return w ? w->items : std::vector<std::string>{};
}

int ComboSelection(HWND dialog, int id)
{
    InternalCall internal;
    Window* w = FromHandle(GetDlgItem(dialog, id));
    return w ? w->selection : CB_ERR;
}

RECT WindowRect(HWND window)
{
    Window* w = FromHandle(window);
    return w ? w->rect : RECT{};
}

} // namespace winsim

extern "C" {

HWND WINAPI GetDlgItem(HWND dialog, int id)
{
    winsim::Fault("GetDlgItem");
    Window* d = winsim::FromHandle(dialog);
    if (!d) {
        return nullptr;
    }
    for (Window* child : d->children) {
        if (child->id == id) {
            return winsim::ToHandle(child);
        }
    }
    return nullptr;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text)
{
    if (auto fault = winsim::Fault("SetWindowTextA")) {
        return static_cast<BOOL>(fault->result);
    }
    Window* w = winsim::FromHandle(window);
    if (!w) {
        return FALSE;
    }
    std::string stored = w->unicode ? winsim::PathFromAnsi(text) : text;
    if (w->cls == "ComboBox") {
        w->edit = stored;
    } else {
        w->text = stored;
    }
    return TRUE;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    if (auto fault = winsim::Fault("SetDlgItemTextA")) {
        return static_cast<BOOL>(fault->result);
    }
    winsim::InternalCall internal;
    return SetWindowTextA(GetDlgItem(dialog, id), text);
}

// To a Unicode window, the code page's text is converted.
LRESULT WINAPI SendMessageA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (auto fault = winsim::Fault("SendMessageA", MessageName(msg))) {
        return fault->result;
    }
    Window* w = MessageTarget(window);
    if (!w) {
        return 0;
    }
    if (!w->unicode) {
        return Deliver(w, msg, wParam, lParam);
    }
    return Converted(
        w, msg, wParam, lParam,
        [](LPARAM text) { return winsim::PathFromAnsi(reinterpret_cast<const char*>(text)); },
        [](const std::string& utf8) { return winsim::AnsiFromUtf8(utf8); },
        [](const std::string& ansi) { return ansi.size(); },
        [](const std::string& ansi, WPARAM room, LPARAM out) { return CopyText(ansi, room, out); });
}

// Unicode text, converted to an ANSI window's code page ('?' for what it lacks) or kept whole.
// Windows 95's is a stub.
LRESULT WINAPI SendMessageW(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (winsim::FailsAsWindows95()) {
        return 0;
    }
    if (auto fault = winsim::Fault("SendMessageW", MessageName(msg))) {
        return fault->result;
    }
    Window* w = MessageTarget(window);
    if (!w) {
        return 0;
    }
    const bool unicode = w->unicode;
    return Converted(
        w, msg, wParam, lParam,
        [unicode](LPARAM text) {
            std::string utf8 = winsim::Utf8FromWide(reinterpret_cast<const WCHAR*>(text));
            return unicode ? utf8 : winsim::AnsiFromUtf8(utf8);
        },
        [unicode](const std::string& stored) {
            return winsim::WideFromUtf8(unicode ? stored : winsim::PathFromAnsi(stored));
        },
        [](const std::u16string& wide) { return wide.size(); },
        [](const std::u16string& wide, WPARAM room, LPARAM out) -> LRESULT {
            if (room == 0) {
                return 0;
            }
            size_t n = wide.size() < room - 1 ? wide.size() : room - 1;
            std::copy(wide.begin(), wide.begin() + static_cast<long>(n), reinterpret_cast<WCHAR*>(out));
            reinterpret_cast<WCHAR*>(out)[n] = 0;
            return static_cast<LRESULT>(n);
        });
}

BOOL WINAPI ShowWindow(HWND window, int show)
{
    winsim::Fault("ShowWindow");
    Window* w = winsim::FromHandle(window);
    return w ? winsim::ShowAs(w, show) : FALSE;
}

HWND WINAPI GetDesktopWindow(void)
{
    winsim::Fault("GetDesktopWindow");
    return winsim::ToHandle(M().desktop);
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect)
{
    if (auto fault = winsim::Fault("GetWindowRect")) {
        return static_cast<BOOL>(fault->result); // the rectangle as it was
    }
    Window* w = winsim::FromHandle(window);
    if (!w) {
        return FALSE;
    }
    *rect = w->rect;
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags)
{
    if (auto fault = winsim::Fault("SetWindowPos")) {
        return static_cast<BOOL>(fault->result);
    }
    Window* w = winsim::FromHandle(window);
    if (!w) {
        return FALSE;
    }
    M().placements.push_back(winsim::Placement{window, after, x, y, cx, cy, flags});
    if (!(flags & SWP_NOMOVE)) {
        LONG width = w->rect.right - w->rect.left;
        LONG height = w->rect.bottom - w->rect.top;
        w->rect = RECT{x, y, x + width, y + height};
    }
    if (!(flags & SWP_NOSIZE)) {
        w->rect.right = w->rect.left + cx;
        w->rect.bottom = w->rect.top + cy;
    }
    if (after == HWND_TOPMOST) {
        w->topmost = true;
    }
    if ((flags & SWP_SHOWWINDOW) && !w->visible) {
        w->visible = true;
        w->invalid = true;
    }
    if (w->kind == Window::Dialog && !(flags & SWP_NOACTIVATE)) {
        M().active = w;
    }
    winsim::RecordShowState(w);
    return TRUE;
}

int WINAPI GetSystemMetrics(int index)
{
    if (auto fault = winsim::Fault("GetSystemMetrics")) {
        return static_cast<int>(fault->result);
    }
    switch (index) {
    case SM_CXICON:
        return M().iconWidth;
    case SM_CYICON:
        return M().iconHeight;
    case SM_CXSCREEN:
        return M().desktop->rect.right - M().desktop->rect.left;
    case SM_CYSCREEN:
        return M().desktop->rect.bottom - M().desktop->rect.top;
    default:
        winsim::Problem("GetSystemMetrics index not simulated");
        return 0;
    }
}

HDC WINAPI GetDC(HWND window)
{
    if (winsim::Fault("GetDC")) {
        return nullptr;
    }
    if (!winsim::FromHandle(window)) {
        return nullptr;
    }
    uintptr_t dc = M().nextDc++;
    M().dcs[dc] = window;
    return reinterpret_cast<HDC>(dc);
}

int WINAPI ReleaseDC(HWND, HDC dc)
{
    winsim::Fault("ReleaseDC");
    if (M().dcs.erase(reinterpret_cast<uintptr_t>(dc)) == 0) {
        winsim::Problem("ReleaseDC of a device context that is not live");
        return 0;
    }
    return 1;
}

BOOL WINAPI DrawIcon(HDC dc, int x, int y, HICON icon)
{
    if (auto fault = winsim::Fault("DrawIcon")) {
        return static_cast<BOOL>(fault->result);
    }
    auto live = M().icons.find(reinterpret_cast<uintptr_t>(icon));
    auto context = M().dcs.find(reinterpret_cast<uintptr_t>(dc));
    if (context == M().dcs.end() || live == M().icons.end()) {
        winsim::Problem("DrawIcon without a live device context and icon");
        return FALSE;
    }
    M().draws.push_back(winsim::IconDraw{context->second, live->second, x, y});
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL)
{
    if (auto fault = winsim::Fault("InvalidateRect")) {
        return static_cast<BOOL>(fault->result);
    }
    Window* w = winsim::FromHandle(window);
    if (!w) {
        return FALSE;
    }
    w->invalid = true;
    M().invalidations.push_back(
        rect ? *rect : RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top});
    return TRUE;
}

BOOL WINAPI MessageBeep(UINT type)
{
    if (auto fault = winsim::Fault("MessageBeep")) {
        return static_cast<BOOL>(fault->result);
    }
    M().beeps.push_back(type);
    return TRUE;
}
}
