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
constexpr int kTypedPathLimit = 255;
constexpr int kFileNameSize = 256;
constexpr DWORD kFileNameLimit = 255;

// The Open dialog's library and functions, had only when Browse is pressed: most runs never show
// it, and importing the library would load comctl32, shell32 and more before the notice.
constexpr char kOpenDialogLibrary[] = "comdlg32.dll";
using GetOpenFileNameProc = BOOL(WINAPI*)(LPOPENFILENAMEA);
using CommDlgExtendedErrorProc = DWORD(WINAPI*)();
static_assert(kTypedPathLimit <= kInstallPathSize, "a typed path fits the install path");
static_assert(kFileNameSize <= kInstallPathSize, "a browsed folder fits the install path");

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
    if (HoldsOneTextPlaceholder(text)) {
        wsprintfA(label, text, diskLabel);
    } else {
        CopyText(label, sizeof(label), text);
    }
    SetDlgItemTextA(dialog, IDC_DISKLABEL, label);
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

// The chooser's text: the selected entry, else what the user typed.
void ReadChosenPath(HWND dialog, char* path)
{
    HWND combo = GetDlgItem(dialog, IDC_DRIVE);
    path[0] = '\0';
    LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        SendMessageA(combo, WM_GETTEXT, kTypedPathLimit, reinterpret_cast<LPARAM>(path));
        TrimBlanks(path);
        return;
    }
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length >= 0 && length < kInstallPathSize) {
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(path));
    }
}

void OnPromptOk(HWND dialog)
{
    SendMessageA(dialog, WM_STOP_ATTENTION, 0, 0);
    char path[kInstallPathSize];
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
    if (!library) {
        return FALSE;
    }
    auto getOpenFileName = FindFunction<GetOpenFileNameProc>(library, "GetOpenFileNameA");
    auto extendedError = FindFunction<CommDlgExtendedErrorProc>(library, "CommDlgExtendedError");
    if (!getOpenFileName || !extendedError) {
        return FALSE;
    }
    if (!getOpenFileName(open)) {
        extendedError();
        return FALSE;
    }
    return TRUE;
}

// Only the folder of the chosen file is kept: setup.exe is always started from a folder.
void OnPromptBrowse(HWND dialog)
{
    int type = CurrentDeviceType(kDeviceItself);
    char fileName[kFileNameSize] = {};
    const char* program = SetupProgramName(type);
    if (program) {
        CopyText(fileName, sizeof(fileName), program);
    }

    OPENFILENAMEA open = {};
    open.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    open.hwndOwner = dialog;
    open.hInstance = g_prompt.instance;
    open.lpstrFilter = SetupBrowseFilter(type);
    open.lpstrFile = fileName;
    open.nMaxFile = kFileNameLimit;
    open.lpstrInitialDir = ".";
    open.Flags = OFN_EXPLORER;
    if (!ShowOpenDialog(&open)) {
        return;
    }

    char folder[kFileNameSize];
    folder[0] = '\0';
    int offset = open.nFileOffset;
    if (offset > 0 && offset <= TextLength(fileName)) {
        CopyText(folder, offset, fileName);
    }
    if (EndsWithBackslash(folder)) {
        folder[TextLength(folder) - 1] = '\0';
    }
    HWND combo = GetDlgItem(dialog, IDC_DRIVE);
    LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder));
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
