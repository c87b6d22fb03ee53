// Modal dialogs made from their templates, the scripted user, and timers on a simulated clock.
#include "winsim/machine.h"

namespace {

using winsim::M;
using winsim::Window;

// The size of a dialog unit for 8-point MS Sans Serif, and the frame around a caption dialog.
constexpr int kBaseX = 6;
constexpr int kBaseY = 13;
constexpr int kFrame = 3;
constexpr int kCaption = 18;
// What DialogBoxParamA gives for a dialog its script left open (a test fault).
constexpr INT_PTR kLeftOpen = -1000;

constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD CBN_EDITCHANGE = 5;
constexpr WORD CBN_EDITUPDATE = 6;
constexpr WPARAM MK_LBUTTON = 1;

RECT DialogUnitsToPixels(int x, int y, int cx, int cy)
{
    return RECT{x * kBaseX / 4, y * kBaseY / 8, (x + cx) * kBaseX / 4, (y + cy) * kBaseY / 8};
}

Window* BuildDialog(int templateId, const winsim::DialogTemplate& t, DLGPROC proc, bool unicode)
{
    Window* dialog = winsim::NewWindow(Window::Dialog);
    dialog->unicode = unicode;
    dialog->cls = "#32770";
    dialog->style = t.style;
    dialog->text = t.title;
    dialog->proc = proc;
    dialog->templateId = templateId;
    RECT client = DialogUnitsToPixels(t.x, t.y, t.cx, t.cy);
    int width = client.right - client.left + 2 * kFrame;
    int height = client.bottom - client.top + 2 * kFrame + ((t.style & WS_CAPTION) ? kCaption : 0);
    auto size = M().dialogSizes.find(templateId);
    if (size != M().dialogSizes.end()) {
        width = size->second.first;
        height = size->second.second;
    }
    dialog->rect = RECT{client.left, client.top, client.left + width, client.top + height};
    for (const winsim::DialogItem& item : t.items) {
        Window* control = winsim::NewWindow(Window::Child);
        control->cls = item.cls;
        control->id = item.id;
        control->style = item.style;
        control->text = item.text;
        control->rect = DialogUnitsToPixels(item.x, item.y, item.cx, item.cy);
        control->visible = (item.style & WS_VISIBLE) != 0;
        control->parent = dialog;
        control->unicode = unicode;
        dialog->children.push_back(control);
    }
    return dialog;
}

HWND FirstTabStop(Window* dialog)
{
    for (Window* child : dialog->children) {
        if (child->style & WS_TABSTOP) {
            return winsim::ToHandle(child);
        }
    }
    return nullptr;
}

// The dialog the user acts on, or nullptr (and a problem) when nobody could act on it. A disabled
// dialog, the owner of the one that shows, takes no clicks and no keys: nothing happens.
Window* OpenDialog(HWND handle, const char* action)
{
    Window* dialog = winsim::FromHandle(handle);
    if (!dialog || dialog->kind != Window::Dialog || dialog->ended) {
        winsim::Problem(std::string(action) + " on a dialog that is not open");
        return nullptr;
    }
    return dialog->enabled ? dialog : nullptr;
}

Window* ChildOf(Window* dialog, int id)
{
    for (Window* child : dialog->children) {
        if (child->id == id) {
            return child;
        }
    }
    return nullptr;
}

void Command(Window* dialog, WPARAM wParam, Window* control)
{
    winsim::DeliverToDialog(dialog, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(winsim::ToHandle(control)));
    winsim::Pump();
}

} // namespace

namespace winsim {

LRESULT DeliverToDialog(Window* dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    INT_PTR handled = dialog->proc ? dialog->proc(ToHandle(dialog), msg, wParam, lParam) : FALSE;
    // The dialog manager's own painting validates the window; a procedure that answers TRUE has
    // painted nothing of the rest, and the window still needs paint.
    if (msg == WM_PAINT && !handled) {
        dialog->invalid = false;
    }
    // The dialog manager turns an unhandled close into the Cancel command.
    if (!handled && msg == WM_CLOSE && dialog->alive && !dialog->ended) {
        Window* cancel = ChildOf(dialog, IDCANCEL);
        M().posted.push_back(
            {dialog, {MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(ToHandle(cancel))}});
    }
    return handled;
}

void Pump()
{
    std::set<Window*> painted; // one WM_PAINT each, even for a window that stays invalid
    for (bool busy = true; busy;) {
        busy = false;
        while (!M().posted.empty()) {
            auto post = M().posted.front();
            M().posted.pop_front();
            if (post.first->alive && !post.first->ended) {
                DeliverToDialog(post.first, WM_COMMAND, post.second.first, post.second.second);
                busy = true;
            }
        }
        for (size_t i = 0; i < M().windows.size(); ++i) {
            Window* w = M().windows[i].get();
            if (w->kind == Window::Dialog && w->alive && !w->ended && w->visible && w->invalid &&
                painted.insert(w).second) {
                DeliverToDialog(w, WM_PAINT, 0, 0);
                busy = true;
            }
        }
    }
}

void OnDialog(int templateId, Script script)
{
    M().scripts[templateId].push_back(std::move(script));
}

void OnAnyOtherDialog(Script script)
{
    M().otherDialogs = std::move(script);
}

bool IsOpen(HWND handle)
{
    Window* dialog = FromHandle(handle);
    return dialog && dialog->kind == Window::Dialog && dialog->alive && !dialog->ended;
}

std::vector<int>& DialogsOpened()
{
    return M().opened;
}

HWND Focus()
{
    return FromHandle(M().focus) ? M().focus : nullptr;
}

bool NeedsPaint(HWND handle)
{
    Window* window = FromHandle(handle);
    return window && window->invalid;
}

void Click(HWND handle, int id)
{
    Window* dialog = OpenDialog(handle, "Click");
    if (!dialog) {
        return;
    }
    Window* control = ChildOf(dialog, id);
    if (!control || !control->visible || control->cls != "Button") {
        Problem("Click on a button that the user cannot see: " + std::to_string(id));
        return;
    }
    if ((control->style & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        control->check = control->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    }
    Command(dialog, MAKEWPARAM(id, BN_CLICKED), control);
}

void ClickClient(HWND handle, int x, int y)
{
    if (Window* dialog = OpenDialog(handle, "ClickClient")) {
        DeliverToDialog(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        Pump();
    }
}

void PressEscape(HWND handle)
{
    if (Window* dialog = OpenDialog(handle, "PressEscape")) {
        Command(dialog, MAKEWPARAM(IDCANCEL, BN_CLICKED), ChildOf(dialog, IDCANCEL));
    }
}

void PressEnter(HWND handle)
{
    Window* dialog = OpenDialog(handle, "PressEnter");
    if (!dialog) {
        return;
    }
    int id = IDOK;
    for (Window* child : dialog->children) {
        if (child->cls == "Button" && (child->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            id = child->id;
        }
    }
    Command(dialog, MAKEWPARAM(id, BN_CLICKED), ChildOf(dialog, id));
}

void CloseBox(HWND handle)
{
    Window* dialog = OpenDialog(handle, "CloseBox");
    if (!dialog) {
        return;
    }
    if (!(dialog->style & WS_SYSMENU)) {
        Problem("CloseBox on a dialog without a close box");
        return;
    }
    DeliverToDialog(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (dialog->alive && !dialog->ended) {
        DeliverToDialog(dialog, WM_CLOSE, 0, 0);
    }
    Pump();
}

void TypeText(HWND handle, int comboId, const std::string& text)
{
    TypeUnicode(handle, comboId, PathFromAnsi(text));
}

// The characters reach the control as WM_CHAR does: an ANSI window gets them through the code
// page ('?' for what it lacks), a Unicode one whole.
void TypeUnicode(HWND handle, int comboId, const std::string& utf8)
{
    Window* dialog = OpenDialog(handle, "TypeText");
    Window* combo = dialog ? ChildOf(dialog, comboId) : nullptr;
    if (!combo || combo->cls != "ComboBox") {
        Problem("TypeText into something that is not a combo box");
        return;
    }
    std::string text = combo->unicode ? utf8 : AnsiFromUtf8(utf8);
    if (combo->style & CBS_UPPERCASE) {
        text = combo->unicode ? UpperUnicode(text) : UpperAnsi(text);
    }
    combo->edit = text;
    combo->selection = CB_ERR;
    Command(dialog, MAKEWPARAM(comboId, CBN_EDITUPDATE), combo);
    Command(dialog, MAKEWPARAM(comboId, CBN_EDITCHANGE), combo);
}

void Pick(HWND handle, int comboId, int index)
{
    Window* dialog = OpenDialog(handle, "Pick");
    Window* combo = dialog ? ChildOf(dialog, comboId) : nullptr;
    if (!combo || index < 0 || index >= static_cast<int>(combo->items.size())) {
        Problem("Pick of an item that is not there");
        return;
    }
    combo->selection = index;
    combo->edit = combo->items[static_cast<size_t>(index)];
    Command(dialog, MAKEWPARAM(comboId, CBN_SELCHANGE), combo);
}

void SendCommand(HWND handle, WPARAM wParam)
{
    if (Window* dialog = OpenDialog(handle, "SendCommand")) {
        Command(dialog, wParam, nullptr);
    }
}

void Repaint(HWND handle)
{
    if (Window* window = FromHandle(handle)) {
        window->invalid = true;
        Pump();
    }
}

void Wait(DWORD milliseconds)
{
    Machine& m = M();
    DWORD until = m.now + milliseconds;
    for (;;) {
        Timer* next = nullptr;
        for (Timer& t : m.timers) {
            if (t.due <= until &&
                (!next || t.due < next->due || (t.due == next->due && t.order < next->order))) {
                next = &t;
            }
        }
        if (!next) {
            break;
        }
        m.now = next->due;
        next->due += next->period;
        Window* window = next->window;
        UINT_PTR id = next->id;
        if (window->alive && !window->ended) {
            DeliverToDialog(window, WM_TIMER, id, 0);
            Pump();
        }
    }
    m.now = until;
}

std::map<UINT_PTR, UINT> Timers(HWND handle)
{
    std::map<UINT_PTR, UINT> timers;
    for (const Timer& t : M().timers) {
        if (ToHandle(t.window) == handle) {
            timers[t.id] = t.period;
        }
    }
    return timers;
}

} // namespace winsim

namespace {

INT_PTR RunDialog(const char* function, HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc,
                  LPARAM param, bool unicode)
{
    Window* ownerWindow = winsim::FromHandle(owner);
    if (instance != winsim::Instance() || !IS_INTRESOURCE(templateName) ||
        (owner && (!ownerWindow || ownerWindow->kind != Window::Dialog))) {
        winsim::Problem(std::string(function) +
                        " with a foreign instance, a named template or an owner that is no dialog");
        return -1;
    }
    int id = static_cast<int>(reinterpret_cast<uintptr_t>(templateName));
    if (auto fault = winsim::Fault(function, std::to_string(id))) {
        return fault->result;
    }
    const winsim::Resource* res = winsim::FindResource(RT_DIALOG, id);
    winsim::DialogTemplate t;
    if (!res || !winsim::ParseDialogTemplate(res->data, &t)) {
        return -1;
    }
    Window* dialog = BuildDialog(id, t, proc, unicode);
    dialog->owner = ownerWindow;
    dialog->showing = static_cast<int>(M().showings.size());
    M().showings.push_back(winsim::Showing{id, {}});
    M().opened.push_back(id);
    // A modal dialog disables its owner until it ends.
    bool ownerWasEnabled = ownerWindow && ownerWindow->enabled;
    if (ownerWindow) {
        ownerWindow->enabled = false;
    }
    HWND handle = winsim::ToHandle(dialog);
    HWND firstTabStop = FirstTabStop(dialog);
    // TRUE: the dialog manager gives the focus to the first tab stop; FALSE: the procedure has
    // placed it itself, or left it where it was.
    if (winsim::DeliverToDialog(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), param)) {
        M().focus = firstTabStop;
    }
    if (!dialog->ended) {
        // The dialog manager shows the dialog the first time its queue goes empty, whatever the
        // procedure did: that is the first ShowWindow unless the procedure made one of its own.
        winsim::ShowAs(dialog, SW_SHOWNORMAL);
        winsim::Pump();
    }
    if (!dialog->ended) {
        auto& queue = M().scripts[id];
        if (queue.empty() && M().otherDialogs) {
            winsim::Script script = M().otherDialogs;
            script(handle);
        } else if (queue.empty()) {
            winsim::Problem("no user script for dialog " + std::to_string(id));
        } else {
            winsim::Script script = std::move(queue.front());
            queue.pop_front();
            script(handle);
        }
    }
    if (!dialog->ended) {
        winsim::Problem("dialog " + std::to_string(id) + " left open by its script");
        dialog->result = kLeftOpen;
    }
    INT_PTR result = dialog->result;
    // The owner is enabled before the dialog goes, so the activation passes to it; a dialog with no
    // owner leaves none of Corven's windows active.
    if (ownerWasEnabled) {
        ownerWindow->enabled = true;
    }
    if (M().active == dialog) {
        M().active = ownerWindow && ownerWindow->alive && ownerWindow->enabled ? ownerWindow : nullptr;
    }
    winsim::DestroyWindowTree(dialog);
    return result;
}

} // namespace

extern "C" {

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc,
                               LPARAM param)
{
    return RunDialog("DialogBoxParamA", instance, templateName, owner, proc, param, false);
}

// A Unicode dialog, with Unicode controls. Windows 95's is a stub.
INT_PTR WINAPI DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND owner, DLGPROC proc,
                               LPARAM param)
{
    if (winsim::FailsAsWindows95()) {
        return 0;
    }
    return RunDialog("DialogBoxParamW", instance, reinterpret_cast<LPCSTR>(templateName), owner, proc, param,
                     true);
}

BOOL WINAPI EndDialog(HWND handle, INT_PTR result)
{
    winsim::Fault("EndDialog");
    Window* dialog = winsim::FromHandle(handle);
    if (!dialog || dialog->kind != Window::Dialog) {
        winsim::Problem("EndDialog on a window that is not a dialog");
        return FALSE;
    }
    dialog->ended = true;
    dialog->result = result;
    return TRUE;
}

UINT_PTR WINAPI SetTimer(HWND handle, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    if (auto fault = winsim::Fault("SetTimer")) {
        return static_cast<UINT_PTR>(fault->result);
    }
    Window* window = winsim::FromHandle(handle);
    if (!window || proc) {
        return 0;
    }
    {
        winsim::InternalCall internal; // a timer set again replaces the old one
        KillTimer(handle, id);
    }
    M().timers.push_back(winsim::Timer{window, id, elapse, M().now + elapse, M().timerOrder++});
    return id;
}

BOOL WINAPI KillTimer(HWND handle, UINT_PTR id)
{
    winsim::Fault("KillTimer");
    auto& timers = M().timers;
    for (size_t i = 0; i < timers.size(); ++i) {
        if (winsim::ToHandle(timers[i].window) == handle && timers[i].id == id) {
            timers.erase(timers.begin() + static_cast<long>(i));
            return TRUE;
        }
    }
    return FALSE;
}
}
