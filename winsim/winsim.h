// winsim: the simulated Windows machine behind the host build, and the handles tests steer it by.
#pragma once

#include <commdlg.h>
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace winsim {

// ---- Text as the program folds it: only a to z (A to Z) change case ----
std::string Lower(const std::string& text);
std::string Upper(const std::string& text);

// ---- The ANSI code page: 1252 after Reset, or the double-byte 932, 936, 949 and 950 ----
void SetCodePage(UINT codePage);
UINT CodePage();
std::string AnsiFromUtf8(const std::string& utf8); // the code page's bytes of a text
std::string Utf8FromAnsi(const std::string& ansi);
std::string Utf8FromWide(const WCHAR* text); // a Unicode text (UTF-16) as UTF-8, and back
std::u16string WideFromUtf8(const std::string& utf8);

// ---- Faults: every platform call the product makes, recorded and made to fail as documented ----
// Calls are named as the functions are; SendMessageA's that can fail as "SendMessageA#CB_ADDSTRING"
// and so on; a dialog's as "DialogBoxParamA#117", a library's "LoadLibraryA#comdlg32.dll", a
// function's "GetProcAddress#GetOpenFileNameA". Names may be joined with '|'.
void RecordCalls();                // counting mode: from now on every call is recorded by name
std::vector<std::string>& Calls(); // the calls recorded, in order
int FailableCalls();               // the calls so far that can fail
void FailCall(int nth);            // the nth call from now of those that can fail fails
// That call and every later one fail, or every later call of that function (with that message or
// template): a failure that persists, as a full hive, a locked file or an exhausted heap.
void FailCallsFrom(int nth, bool sameCallOnly = false);
void FailCalls(const std::string& names, int nth = 1); // the nth call of those named from now
void FailEvery(const std::string& names);              // every call of those named, from now on
int FailedCalls();                                     // how many calls were made to fail
std::string FailedCallName();                          // the last one made to fail
void ClearFaults();                                    // no call fails from now on
inline void FailHeapCall(int nth)
{
    FailCalls("HeapAlloc|HeapReAlloc", nth);
}
inline void FailDialog(int templateId)
{
    FailEvery("DialogBoxParamA#" + std::to_string(templateId));
}
inline void FailLibrary(const std::string& name)
{
    FailEvery("LoadLibraryA#" + name);
}
inline void FailFunction(const std::string& name)
{
    FailEvery("GetProcAddress#" + name);
}

// ---- The machine as a whole ----
void Reset();                         // a fresh machine: no files, keys, drives, windows or scripts
HINSTANCE Instance();                 // the program's module handle
std::vector<std::string>& Problems(); // misuse seen by the machine (a test expects none)

// ---- Profile files: real INI files in a host folder that plays the Windows directory ----
// Which Windows the machine is, and so where win.ini's [windows] section lives. File: Windows 95,
// in win.ini (one pair of outer quotes stripped on read, blanks and control characters 0x09-0x0D
// and 0x1A trimmed); its W profile functions and GetSystemDirectoryW fail, as Windows 95's stubs
// do. Registry: NT, in HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows, in Unicode:
// quotes and blanks kept; the A functions go through the ANSI code page ('?' for what it lacks)
// and fail the conversion of a value of 32,767 characters or more, which deletes the value; the W
// functions keep any text. GetVersion tells the two apart, as on the real ones. Registry maps the
// section as NT does, in HKLM\Software\Microsoft\Windows NT\CurrentVersion\IniFileMapping\win.ini
// (a value "windows"), and its values are those of the HKCU key, seen by the registry functions too.
enum class WinIni { File, Registry };
void SetWinIni(WinIni kind);   // File after Reset
void MapWindowsSectionAsKey(); // the mapping of a Registry machine as a key "windows", as Wine keeps it
// What GetVersion reports from now on, as Windows' compatibility mode "Windows 95" (0xC0000004) or
// Wine's win95 setting makes an NT report; nothing else of the machine changes.
void ReportVersion(DWORD version);
WinIni CurrentWinIni();
void SetWindowsValue(const std::string& name, const std::string& utf8); // registry-kept [windows]
bool HasWindowsValue(const std::string& name);
std::string WindowsValue(const std::string& name); // as UTF-8
void SetWindowsFolder(const std::string& hostFolder);
// A whole profile value, read through GetPrivateProfileStringA as a program reads it.
std::string ProfileValue(const std::string& section, const std::string& key, const std::string& file);
std::string ProfilePath(const std::string& fileName); // host path of a profile file
void SetSystemDirectory(const std::string& path);     // default C:\WINDOWS\SYSTEM
int ProfileWrites();

// ---- Which Windows, beyond where win.ini lives ----
// Vista to 11 (NT's registry-kept win.ini; call after SetWinIni): GetVersion says 6.2, what a
// program without a compatibility manifest hears on 8 to 11. The process runs with `token`:
// GetTokenInformation's TokenElevationType (Limited 3, Full 2, the others Default 1, as they have no
// linked token) and CheckTokenMembership's answer for Administrators (the full token, UAC off and
// the built-in Administrator hold it; the limited token holds it deny-only, a standard user not at
// all). Without the rights (limited or standard), installer detection refuses a program named
// setup.exe to CreateProcess and so WinExec (0, ERROR_ELEVATION_REQUIRED); elsewhere WinExec starts
// it with the token Corven has. The shell's start (ShellExecuteExA) asks for the rights where the
// verb is "runas" or installer detection calls for it, and starts the program elevated once given:
// consent for an administrator, an administrator's password for a standard user. Windows 95 and NT
// answer without UAC: OpenProcessToken is a stub on Windows 95, and NT's GetTokenInformation knows
// no elevation.
enum class Token { Limited, Full, UacOff, Standard, BuiltInAdministrator };
void SetVistaTo11(Token token = Token::Limited, bool installerDetection = true);
void AnswerConsents(std::vector<bool> answers); // the next prompts' answers in turn; then given
// The policy "Automatically deny elevation requests": an elevated start fails, access denied, with
// no prompt.
void DenyElevationRequests();
// A prompt requested without the active window as its owner flashes in the taskbar rather than
// coming up in front (Microsoft's UAC documentation). Credentials: a standard user's, asking for an
// administrator's password.
struct ConsentPrompt {
    std::string program;
    HWND owner;
    bool flashing;
    bool credentials = false;
};
std::vector<ConsentPrompt>& ConsentPrompts();
// What the user does while the next shell start is under way (its prompt up, where it asks one):
// the messages a message loop would deliver then. One each, in turn.
void DuringShellStart(std::function<void()> action);
// COM apartments the program initialised and has not yet uninitialised.
int ComApartments();
// A mapped network drive: letter is DRIVE_REMOTE, its files in hostFolder, and its network name
// (\\server\share) reaches the same files. An elevated program does not see the mapped letter.
void MapNetworkDrive(char letter, const std::string& share, const std::string& hostFolder);

// ---- 64-bit Windows: Corven, a 32-bit program, under WOW64 (call after SetWinIni) ----
// A 32-bit installation put Corven in SysWOW64, and the 64-bit shell starts it from there
// (GetModuleFileName says so) while GetSystemDirectory answers ...\system32; IsWow64Process says
// TRUE; HKLM\Software is the 32-bit view (Software\Wow6432Node) unless a key is opened with
// KEY_WOW64_64KEY, and the system's IniFileMapping is in the 64-bit view alone.
void SetWow64();
// The path the program was started from, as UTF-8; by default Corven's file in its folder under
// the system directory.
void SetModulePath(const std::string& utf8);
// From now on Windows 95's W stubs fail without setting an error: only the buffer they leave as
// it was tells them.
void SilenceWindows95Stubs();

// ---- How the shell started the program: STARTUPINFO's show state (STARTF_USESHOWWINDOW) ----
// Taken by the first ShowWindow on the process's first unowned, captioned top-level window, in
// place of the SW_SHOWNORMAL, SW_SHOW or SW_SHOWDEFAULT it asks for; then dropped. A modal dialog's
// first showing is the dialog manager's ShowWindow(SW_SHOWNORMAL) once its queue goes empty.
void StartWithShowState(int show); // none after Reset
bool IsMinimized(HWND window);
bool IsActive(HWND window);
// Each dialog shown, in order, with the states it was seen in while it lived: each change of
// "hidden", "minimised", "restored" with " active" where it was the active window.
struct Showing {
    int templateId;
    std::vector<std::string> states;
};
std::vector<Showing>& Showings();

// ---- Drives without media and the system's critical-error box ----
// A file looked for on a drive with no medium (an empty CD-ROM or floppy drive) makes the system
// show its "There is no disk in the drive" box, unless the error mode has SEM_FAILCRITICALERRORS;
// the look fails with ERROR_NOT_READY either way. A started program inherits the error mode.
void TakeOutMedium(char letter);
std::vector<std::string>& FileLooks(); // the paths GetFileAttributesA was asked about, in order
int CriticalErrorBoxes();
UINT ErrorMode();

// ---- Registry ----
void SetRegistryValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                      const std::vector<BYTE>& data);
void SetRegistryText(HKEY root, const std::string& key, const std::string& name, const std::string& text);
int OpenKeys();    // keys opened and not yet closed
int OpenHandles(); // process tokens, started programs' process and thread handles not yet closed
int KeyOpens();    // successful opens so far
void AnswerKeyOpensWithNoHandle(); // every open "succeeds" with a null handle from now on

// ---- Unicode on NT ----
// NT keeps registry strings, window texts and file names in Unicode. Its W functions take them
// whole (CreateProcessW, GetFileAttributesW, RegQueryValueExW, SendMessageW, DialogBoxParamW,
// GetOpenFileNameW, ShellExecuteExW, WNetGetUniversalNameW); its A functions convert through the
// code page, each character it lacks becoming '?', as Windows does. On Windows 95 the W functions
// are stubs that fail (ERROR_CALL_NOT_IMPLEMENTED). A dialog opened with DialogBoxParamW is a
// Unicode window, its controls too: winsim keeps their texts as UTF-8 (an ANSI window's as the
// code page's bytes), and the W functions' texts, in Start, FileLooks and ConsentPrompt, are UTF-8.
// Files are named in Unicode on every Windows: an A path is looked up through the code page.
// A string value stored in Unicode, as NT's registry keeps it (REG_SZ).
void SetRegistryUnicode(HKEY root, const std::string& key, const std::string& name, const std::string& utf8);
// A value of any type whose data are UTF-16 units as given (an unpaired surrogate, say).
void SetRegistryUnits(HKEY root, const std::string& key, const std::string& name,
                      const std::u16string& units);
bool IsUnicodeWindow(HWND window);
// Upper case as CharUpperW gives it for the scripts the tests use (Latin, Greek, Cyrillic), UTF-8.
std::string UpperUnicode(const std::string& utf8);

// ---- Drives ----
void AddDrive(char letter, UINT type, const std::string& hostFolder = "");
// What the platform may do between and within the inventory's queries (its failures are the
// fault switch's: FailEvery("GetLogicalDrives"), ...).
struct DriveFaults {
    std::vector<std::pair<char, UINT>> lateDrives; // appear right after the mask is read
    std::vector<std::string> rootLists;            // raw lists (with their NULs) per root query
    std::map<std::string, UINT> rootTypes;         // drive types of roots in raw lists
};
DriveFaults& Drives();
int RootQueries();

// ---- Heap ----
int LiveBlocks();

// ---- Processes ----
struct Start {
    std::string commandLine; // as given: the code page's bytes from WinExec, UTF-8 from the W starts
    UINT show;
    std::string program; // the host file started, empty when nothing was
    UINT errorMode = 0;  // the mode the started program inherits
    bool throughShell = false;
    bool limited = false; // it runs with UAC's limited token: without the administrator's rights
};
std::vector<Start>& Starts();
// Answered in turn instead of looking; while some are left, GetFileAttributesA finds every file.
void ForceWinExecResults(std::vector<UINT> results);

// ---- Resources, read from the program's compiled .res ----
struct Resource {
    int type;
    int id;
    std::string name; // for named resources
    WORD language;
    std::vector<BYTE> data;
};
const std::vector<Resource>& Resources();
const Resource* FindResource(LPCSTR type, int id); // type: RT_DIALOG, RT_ICON, ...

struct DialogItem {
    DWORD style, exStyle;
    int x, y, cx, cy;
    int id;
    std::string cls;  // "Button", "Static", "ComboBox", ...
    std::string text; // an ordinal as "#n"
};
struct DialogTemplate {
    bool extended;
    DWORD style, exStyle;
    int x, y, cx, cy;
    std::string menu, cls, title, font;
    int pointSize;
    std::vector<DialogItem> items;
};
bool ParseDialogTemplate(const std::vector<BYTE>& data, DialogTemplate* out);

// ---- Windows, painting, sounds ----
void SetDesktopSize(int width, int height);
void SetIconSize(int cx, int cy);
void SetDialogWindowSize(int templateId, int width, int height);
std::vector<UINT>& Beeps();
struct IconDraw {
    HWND window;
    int icon;
    int x, y;
};
std::vector<IconDraw>& Draws();
struct Placement {
    HWND window, after;
    int x, y, cx, cy;
    UINT flags;
};
std::vector<Placement>& Placements();
std::vector<RECT>& Invalidations();
int LiveDCs();

// Inspection of a dialog and its controls.
HWND Control(HWND dialog, int id);
std::string Text(HWND window);
std::string Text(HWND dialog, int id);
bool IsVisible(HWND window);
bool IsEnabled(HWND window); // takes input: not the owner of a dialog that shows
bool IsTopmost(HWND window);
bool IsChecked(HWND dialog, int id);
std::vector<std::string> ComboItems(HWND dialog, int id);
int ComboSelection(HWND dialog, int id);
RECT WindowRect(HWND window);

// ---- Dialogs and the user ----
using Script = std::function<void(HWND dialog)>;
void OnDialog(int templateId, Script script); // one opening each, in turn
void OnAnyOtherDialog(Script script);         // a dialog with no script of its own left
bool IsOpen(HWND dialog);                     // open and not yet ended
std::vector<int>& DialogsOpened();
HWND Focus();                 // the control with the keyboard focus, or nullptr
bool NeedsPaint(HWND window); // invalid, waiting for a WM_PAINT that validates it

// What the user does, each followed by the messages it sets off, as a message loop would.
void Click(HWND dialog, int id);
void ClickClient(HWND dialog, int x, int y);
void PressEscape(HWND dialog);
void PressEnter(HWND dialog);
void CloseBox(HWND dialog);
void TypeText(HWND dialog, int comboId, const std::string& text);    // the code page's characters
void TypeUnicode(HWND dialog, int comboId, const std::string& utf8); // any characters, as UTF-8
void Pick(HWND dialog, int comboId, int index);
void SendCommand(HWND dialog, WPARAM wParam);
void Repaint(HWND window);
void Wait(DWORD milliseconds); // simulated time passes; timer ticks arrive in order

// Timers of a window, by id, with their periods.
std::map<UINT_PTR, UINT> Timers(HWND window);

// ---- Libraries loaded at run time: comdlg32.dll with its two functions ----
std::vector<std::string>& LibraryLoads(); // every LoadLibraryA, by the name given

// ---- The Open dialog ----
using OpenAnswer = std::function<BOOL(OPENFILENAMEA& record)>;
void OnOpenFile(OpenAnswer answer); // one call each, in turn
// The user chooses path: on NT a Unicode path, as UTF-8 (GetOpenFileNameA hands it on through the
// code page); on Windows 95 the code page's bytes.
OpenAnswer ChooseFile(const std::string& path);
OpenAnswer CancelOpen();
struct OpenRecord {
    OPENFILENAMEA record;
    std::string filter; // with its NULs, up to the double NUL; empty for none
    bool filterNull;
    std::string initialFile; // what lpstrFile held when the dialog opened
    std::string initialDir;
};
std::vector<OpenRecord>& OpenRecords();

} // namespace winsim
