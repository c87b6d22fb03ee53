// The disk prompt: asks for the install disk, calls for attention, retries the installer from there.
#include <windows.h>
// after windows.h, which it builds on
#include <commdlg.h>

#include "base/base.h"
#include "dialog/dialog.h"
#include "loadline/loadline.h"
#include "launch/launch.h"
#include "res/resource.h"
#include "source/source.h"
#include "ui/ui.h"

namespace {

constexpr WORD kFrameTable[] = {IDI_ANIM1, IDI_ANIM2, IDI_ANIM3, IDI_ANIM4};
constexpr int kLastFrame = static_cast<int>(sizeof(kFrameTable) / sizeof(kFrameTable[0])) - 1;

constexpr int kStringSize = 255;
constexpr int kProductSize = 50;
// Room for the longest texts the string table can give, so nothing is ever cut or overrun.
constexpr int kTitleSize = (kProductSize - 1) + 1 + (kStringSize - 1) + 1;
constexpr int kLabelSize = 2 * (kStringSize - 1) + 1;
// A typed path has at most 254 characters: one that fills the whole room was cut, and is no path.
constexpr int kTypedPathLimit = 255;
constexpr int kFileNameSize = 256;
constexpr DWORD kFileNameLimit = 255;
// The Open dialog's texts as units: the folder it opens in, and the filter's room.
constexpr auto kInitialFolder = Widen<WCHAR>(".");
constexpr int kFilterSize = 256;

// The Open dialog's library and functions, had only when Browse is pressed: most runs never show
// it, and importing the library would load comctl32, shell32 and more before the notice.
constexpr char kOpenDialogLibrary[] = "comdlg32.dll";
using GetOpenFileNameProc = BOOL(WINAPI*)(LPOPENFILENAMEA); // its texts in the run's text
using CommDlgExtendedErrorProc = DWORD(WINAPI*)();
static_assert(kTypedPathLimit < kInstallPathSize, "a typed path fits the install path");
static_assert(kFileNameSize <= kInstallPathSize, "a browsed folder fits the install path");
static_assert(2 * kFileNameSize <= kPlatformPathBytes, "a browsed file's bytes fit");

// The disk prompt's state; at most one disk prompt is ever open. Starting: an OK's start is under
// way (its prompt for the administrator's rights may be up, or the launch-error dialog).
struct DiskPromptState {
    bool starting;
    HINSTANCE instance;
    int frame;
    bool rising;
    UINT_PTR animateTimer;
    UINT_PTR remindTimer;
    bool browsed;
    RECT iconRect;
};
DiskPromptState g_prompt;

// True when format has exactly one "%s" and no other conversion but "%%".
bool HoldsOneTextPlaceholder(const char* format)
{
    int texts = 0;
    for (; *format; ++format) {
        if (*format != '%') {
            continue;
        }
        ++format;
        if (*format == 's') {
            ++texts;
        } else if (*format != '%') {
            return false;
        }
    }
    return texts == 1;
}

void SetPromptTexts(HWND dialog)
{
    char text[kStringSize];
    LoadStringA(g_prompt.instance, IDS_FILES_NEEDED, text, sizeof(text));
    SetDlgItemTextA(dialog, IDC_CAPTION, text);

    char product[kProductSize];
    char title[kTitleSize];
    LoadStringA(g_prompt.instance, IDS_PRODUCT, product, sizeof(product));
    LoadStringA(g_prompt.instance, IDS_INSTALLATION, text, sizeof(text));
    wsprintfA(title, "%s %s", product, text);
    SetWindowTextA(dialog, title);

    char diskLabel[kStringSize];
    char label[kLabelSize];
    LoadStringA(g_prompt.instance, IDS_INSERT_DISK, text, sizeof(text));
    LoadStringA(g_prompt.instance, IDS_DISK_LABEL, diskLabel, sizeof(diskLabel));
    const bool formatted = HoldsOneTextPlaceholder(text);
    if (formatted) {
        wsprintfA(label, text, diskLabel);
    }
    SetDlgItemTextA(dialog, IDC_DISKLABEL, formatted ? label : text);
}

void OnPromptInit(HWND dialog, const DialogInitRecord* record)
{
    g_prompt.instance = record->instance;
    ShowWindow(GetDlgItem(dialog, IDCANCEL), SW_HIDE);
    SetPromptTexts(dialog);
    FillDriveChooser(GetDlgItem(dialog, IDC_DRIVE), record->text);
    CenterDialogTopmost(dialog);
    g_prompt.frame = 1;
    g_prompt.browsed = false;
    g_prompt.starting = false;
    SetDialogIconRect(&g_prompt.iconRect);
    g_prompt.rising = true;
    g_prompt.animateTimer = SetTimer(dialog, TIMER_ANIMATE, kAnimatePeriod, nullptr);
    g_prompt.remindTimer = SetTimer(dialog, TIMER_REMIND, kRemindPeriod, nullptr);
    MessageBeep(MB_ICONEXCLAMATION);
}

// One step of the back-and-forth animation: 1, 2, 3, 2, 1, 0, 1, ...
void StepAnimation(HWND dialog)
{
    if (g_prompt.rising) {
        if (++g_prompt.frame > kLastFrame) {
            g_prompt.frame = kLastFrame - 1;
            g_prompt.rising = false;
        }
    } else if (--g_prompt.frame < 0) {
        g_prompt.frame = 1;
        g_prompt.rising = true;
    }
    InvalidateRect(dialog, &g_prompt.iconRect, FALSE);
}

void OnPromptTimer(HWND dialog, WPARAM timer)
{
    if (timer == TIMER_ANIMATE) {
        StepAnimation(dialog);
    } else if (timer == TIMER_REMIND) {
        MessageBeep(MB_ICONQUESTION);
    }
}

void StopAttention(HWND dialog)
{
    if (g_prompt.animateTimer) {
        KillTimer(dialog, TIMER_ANIMATE);
        g_prompt.animateTimer = 0;
    }
    if (g_prompt.remindTimer) {
        KillTimer(dialog, TIMER_REMIND);
        g_prompt.remindTimer = 0;
    }
    g_prompt.frame = 0;
}

// The chooser's text: the selected entry, else what the user typed. A typed text longer than the
// limit is no path, never cut into the start of another: it is read with room for one character
// more, which only such a text fills.
void ReadChosenPath(HWND dialog, WCHAR* path)
{
    HWND combo = GetDlgItem(dialog, IDC_DRIVE);
    path[0] = 0;
    LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        if (ReceivePath(combo, WM_GETTEXT, kTypedPathLimit + 1, path) >= kTypedPathLimit) {
            path[0] = 0;
        }
        TrimBlanks(path);
        return;
    }
    LRESULT length = SendRunsMessage(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length >= 0 && length < kInstallPathSize) {
        ReceivePath(combo, CB_GETLBTEXT, static_cast<WPARAM>(selected), path);
    }
}

void OnPromptOk(HWND dialog)
{
    SendMessageA(dialog, WM_STOP_ATTENTION, 0, 0);
    WCHAR path[kInstallPathSize];
    ReadChosenPath(dialog, path);
    int dotFolder = g_prompt.browsed ? kNoDotFolder : kDotFolder;
    g_prompt.starting = true;
    int result = LaunchSetup(g_prompt.instance, path, kInteractiveLaunch, dotFolder, dialog);
    g_prompt.starting = false;
    if (IsLaunchOver(result)) {
        FinishInstallation();
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    }
}

void OnPromptCancel(HWND dialog)
{
    FinishInstallation();
    SendMessageA(dialog, WM_STOP_ATTENTION, 0, 0);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
}

// Shows the Open dialog. FALSE when the user cancelled it or it failed, also when its library or
// a function of it cannot be had. The library stays loaded for the rest of the run.
BOOL ShowOpenDialog(OPENFILENAMEA* open)
{
    HMODULE library = LoadLibraryA(kOpenDialogLibrary);
    auto getOpenFileName = FindRunsTextFunction<GetOpenFileNameProc>(library, "GetOpenFileNameA");
    auto extendedError =
        library ? FindFunction<CommDlgExtendedErrorProc>(library, "CommDlgExtendedError") : nullptr;
    if (!getOpenFileName || !extendedError) {
        return FALSE;
    }
    if (!getOpenFileName(open)) {
        extendedError();
        return FALSE;
    }
    return TRUE;
}

// The device's filter (pairs of texts, each with its terminator, then an empty one) as the Open
// dialog of the running Windows takes it: on NT widened into `wide`.
const char* FilterInRunsText(const char* filter, WCHAR* wide)
{
    if (!filter || !HasUnicodeFunctions()) {
        return filter;
    }
    int i = 0;
    for (; i < kFilterSize - 2 && (filter[i] || filter[i + 1]); ++i) {
        wide[i] = static_cast<unsigned char>(filter[i]);
    }
    wide[i] = 0;
    wide[i + 1] = 0;
    return reinterpret_cast<const char*>(wide);
}

// The folder of the chosen file: what precedes its last backslash, where its name starts.
void TakeChosenFolder(WCHAR* chosen)
{
    WCHAR* end = chosen;
    for (WCHAR* at = chosen; *at; ++at) {
        if (*at == '\\') {
            end = at;
        }
    }
    *end = 0;
}

// Only the folder of the chosen file is kept: setup.exe is always started from a folder.
void OnPromptBrowse(HWND dialog)
{
    int type = CurrentDeviceType(kDeviceItself);
    WCHAR fileName[kFileNameSize];
    fileName[0] = 0;
    const char* program = SetupProgramName(type);
    if (program) {
        CopyAscii(fileName, kFileNameSize, program);
    }
    char bytes[kPlatformPathBytes];
    void* chosen = const_cast<void*>(PlatformText(fileName, bytes));
    WCHAR wideFilter[kFilterSize];

    OPENFILENAMEA open = {};
    open.lStructSize = OPENFILENAME_SIZE_VERSION_400A; // the same in Unicode
    open.hwndOwner = dialog;
    open.hInstance = g_prompt.instance;
    open.lpstrFilter = FilterInRunsText(SetupBrowseFilter(type), wideFilter);
    open.lpstrFile = static_cast<char*>(chosen);
    open.nMaxFile = kFileNameLimit;
    char initialFolder[sizeof(kInitialFolder.text)];
    open.lpstrInitialDir = static_cast<const char*>(PlatformText(kInitialFolder.text, initialFolder));
    open.Flags = OFN_EXPLORER;
    if (!ShowOpenDialog(&open)) {
        return;
    }

    TakePlatformText(bytes, fileName);
    TakeChosenFolder(fileName);
    HWND combo = GetDlgItem(dialog, IDC_DRIVE);
    LRESULT index = SendPath(combo, CB_ADDSTRING, 0, fileName);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    g_prompt.browsed = true;
}

// While an OK's start is under way, the prompt takes no other command: one start at a time, and no
// Cancel that would end the prompt under it.
void OnPromptCommand(HWND dialog, WPARAM command)
{
    if (g_prompt.starting) {
        return;
    }
    switch (command) {
    case IDOK:
        OnPromptOk(dialog);
        break;
    case IDCANCEL:
        OnPromptCancel(dialog);
        break;
    case IDC_BROWSE:
        OnPromptBrowse(dialog);
        break;
    default:
        break;
    }
}

void OnPromptClose(HWND dialog)
{
    if (!g_prompt.starting) {
        SendMessageA(dialog, WM_STOP_ATTENTION, 0, 0);
        EndDialog(dialog, IDOK);
    }
}

} // namespace

INT_PTR CALLBACK DiskPromptDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnPromptInit(dialog, reinterpret_cast<const DialogInitRecord*>(lParam));
        return TRUE;
    case WM_PAINT:
        PaintDialogIcon(g_prompt.instance, dialog, &g_prompt.iconRect, kFrameTable[g_prompt.frame]);
        return FALSE;
    case WM_TIMER:
        OnPromptTimer(dialog, wParam);
        return FALSE;
    case WM_STOP_ATTENTION:
        StopAttention(dialog);
        return FALSE;
    case WM_LBUTTONDOWN:
        SendMessageA(dialog, WM_STOP_ATTENTION, 0, 0);
        return FALSE;
    case WM_COMMAND:
        OnPromptCommand(dialog, wParam);
        return FALSE;
    case WM_CLOSE:
        OnPromptClose(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}
