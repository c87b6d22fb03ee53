// The state of the simulated machine, shared by winsim's files.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "winsim/winsim.h"

namespace winsim {

struct Window {
    enum Kind { Desktop, Dialog, Child } kind; // a child is a control
    std::string cls;
    int id = 0;
    DWORD style = 0;
    std::string text;
    RECT rect{};
    bool visible = false;
    bool topmost = false;
    bool alive = true;
    bool enabled = true; // a dialog's owner is disabled while the dialog shows
    bool minimized = false;
    bool unicode = false;    // a Unicode window: its texts are kept as UTF-8
    int showing = -1;        // a dialog's entry in Showings()
    Window* owner = nullptr; // a dialog's
    bool invalid = false;
    Window* parent = nullptr;
    std::vector<Window*> children;
    // Dialogs
    DLGPROC proc = nullptr;
    int templateId = 0;
    bool ended = false;
    INT_PTR result = 0;
    // Buttons
    int check = BST_UNCHECKED;
    // Combo boxes
    std::vector<std::string> items;
    int selection = CB_ERR;
    std::string edit;
};

struct Timer {
    Window* window;
    UINT_PTR id;
    UINT period;
    DWORD due;
    uint64_t order;
};

struct RegistryValue {
    DWORD type;
    std::vector<BYTE> data;
    bool unicode = false; // data are UTF-16, as NT keeps what a W function or a Unicode program wrote
};

// One call of the fault table: whether it can fail, and what it then returns and says.
struct CallFault {
    const char* name; // with "#" and the message's name for SendMessageA's own
    bool fails;
    LONG_PTR result;
    DWORD lastError;
};

// Calls of the named kinds fail: the countdown-th from now, or every one.
struct NamedFault {
    std::set<std::string> names;
    int countdown;
    bool every;
};

struct Machine {
    std::vector<std::string> problems;
    // Faults
    bool recordingCalls = false;
    std::vector<std::string> calls;
    int failableCalls = 0;
    int failingCall = 0;
    enum class Persisting { No, EveryCall, SameCall } failingOn = Persisting::No; // after the failing call
    std::string persistingName; // the failing call's, for SameCall
    std::vector<NamedFault> namedFaults;
    int failedCalls = 0;
    std::string failedCallName;
    int internalCalls = 0;
    bool keyOpensWithNoHandle = false;
    // Profiles
    WinIni winIni = WinIni::File;
    DWORD reportedVersion = 0; // what GetVersion says, when a test has it say other than winIni's
    UINT codePage = 1252;
    std::map<std::string, std::u32string> windowsValues; // registry-kept [windows], lower-case names
    std::string windowsFolder;
    std::string systemDirectory = "C:\\WINDOWS\\SYSTEM";
    std::string modulePath; // UTF-8; empty: Corven's file under the system directory
    bool silentStubs = false;
    int profileWrites = 0;
    DWORD lastError = 0;
    // Registry: "root\path" in lower case -> values by lower-case name
    std::map<std::string, std::map<std::string, RegistryValue>> keys;
    std::map<uintptr_t, std::string> openKeys;
    uintptr_t nextKey = 0x1000;
    int keyOpens = 0;
    // Drives
    std::map<char, std::pair<UINT, std::string>> drives;
    DriveFaults faults;
    int rootQueries = 0;
    // Heap
    std::map<void*, size_t> blocks;
    // Which Windows, and how the program was started
    bool vistaTo11 = false;
    bool wow64 = false;
    Token token = Token::Limited;
    bool installerDetection = true;
    std::set<uintptr_t> openTokens; // tokens, and started programs' process and thread handles
    uintptr_t nextToken = 0x2000;
    std::deque<bool> consents;
    std::vector<ConsentPrompt> consentPrompts;
    bool denyElevation = false;
    std::deque<std::function<void()>> duringShellStarts;
    int comApartments = 0;
    bool comFailed = false;                   // a CoInitializeEx that failed: no apartment to expect
    std::map<char, std::string> networkNames; // mapped drive letters and their \\server\share

    int startupShow = -1; // -1: none, or taken
    Window* active = nullptr;
    std::vector<Showing> showings;
    // Processes, drives without media and the error mode
    UINT errorMode = 0;
    std::set<char> emptyDrives;
    int criticalErrorBoxes = 0;
    std::vector<std::string> fileLooks;
    std::vector<Start> starts;
    std::deque<UINT> forcedResults;
    // Windows
    std::vector<std::unique_ptr<Window>> windows;
    Window* desktop = nullptr;
    int iconWidth = 32;
    int iconHeight = 32;
    std::map<int, std::pair<int, int>> dialogSizes;
    std::vector<UINT> beeps;
    std::vector<IconDraw> draws;
    std::vector<Placement> placements;
    std::vector<RECT> invalidations;
    std::map<uintptr_t, int> icons; // shared icon handles -> resource id
    uintptr_t nextIcon = 0x2000;
    std::map<uintptr_t, HWND> dcs; // live device contexts and their windows
    uintptr_t nextDc = 0x3000;
    // Dialogs and the user
    std::map<int, std::deque<Script>> scripts;
    Script otherDialogs;
    std::vector<int> opened;
    HWND focus = nullptr;                                             // the control with the keyboard focus
    std::deque<std::pair<Window*, std::pair<WPARAM, LPARAM>>> posted; // WM_COMMAND posts
    // Timers
    std::vector<Timer> timers;
    uint64_t timerOrder = 0;
    DWORD now = 0;
    // Libraries loaded at run time
    std::vector<std::string> libraryLoads;
    // Open dialog
    std::deque<OpenAnswer> openAnswers;
    std::vector<OpenRecord> openRecords;
    DWORD openError = 0;
};

Machine& M();

// The handle GetModuleHandleA gives for kernel32, whose IsWow64Process GetProcAddress finds.
inline HMODULE KernelModule()
{
    return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7C800000));
}
// advapi32's, whose token functions GetProcAddress finds.
inline HMODULE AdvapiModule()
{
    return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x77DD0000));
}
// user32's, whose W functions GetProcAddress finds.
inline HMODULE UserModule()
{
    return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x77D40000));
}
// OLE32's and MPR's, loaded by LoadLibraryA.
inline HMODULE ComModule()
{
    return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x77500000));
}
inline HMODULE NetworkModule()
{
    return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x77600000));
}
// True while Corven runs without the administrator's rights on Vista to 11: UAC's limited token,
// or a standard user's.
inline bool RunsWithoutRights()
{
    return M().vistaTo11 && (M().token == Token::Limited || M().token == Token::Standard);
}
// True on Windows 95, whose W functions are stubs: then the last error says so (unless silenced).
bool FailsAsWindows95();
// A path given to an A function, as the file system names it (UTF-8), through the code page.
std::string PathFromAnsi(const std::string& ansi);
// The host file a Windows path (UTF-8) names, "" when there is none; and the start of a command
// line (UTF-8): what it starts and how. Shared by the A and W starts.
std::string HostFile(const std::string& path);
std::string FindProgram(const std::string& commandLine);
bool NeedsElevation(const std::string& hostProgram);
BOOL ShellStart(const std::string& verb, const std::string& file, const std::string& parameters, HWND owner,
                int show, DWORD mask, const char* name);
// Records the window's state in its showing where it changed.
void RecordShowState(Window* window);
void Problem(const std::string& what);

// True when the registry maps win.ini's [windows] section, as NT's IniFileMapping does (a value or
// a key named windows under it): then the profile functions keep it in the registry.
bool MapsWindowsSection();
extern const char kWindowsKey[]; // HKCU's key of the mapped section, lower case

// Every platform call the product makes starts here: the call is recorded, and when it is one to
// fail, its table entry comes back (GetLastError set) and the call returns entry->result.
// qualifier names a kind of the call: the message of SendMessageA, the template of a dialog.
const CallFault* Fault(const char* name, const std::string& qualifier = "");
// winsim's own use of a platform function, neither recorded nor failed, while one lives.
class InternalCall {
public:
    InternalCall();
    ~InternalCall();
    InternalCall(const InternalCall&) = delete;
    InternalCall& operator=(const InternalCall&) = delete;
};

// ShowWindow as the platform does it, the start-up show state included; the dialog manager's too.
BOOL ShowAs(Window* window, int show);
Window* FromHandle(HWND window);
HWND ToHandle(Window* window);
Window* NewWindow(Window::Kind kind);
void DestroyWindowTree(Window* window);

// Message delivery to dialogs (with the dialog manager's default handling) and to controls.
LRESULT DeliverToDialog(Window* dialog, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DeliverToControl(Window* control, UINT msg, WPARAM wParam, LPARAM lParam);
void Pump(); // posted commands and pending paints, as an idle message loop would

// The ANSI code page of the machine, UTF-16 and UTF-8, to and from Unicode.
std::u32string AnsiToUnicode(const std::string& text);
std::string UnicodeToAnsi(const std::u32string& text);
std::u16string ToUtf16(const std::u32string& text);
std::u32string FromUtf16(const std::u16string& text);
bool IsLeadByte(BYTE byte);
std::string UpperAnsi(const std::string& text); // as CharUpperA upper-cases
std::u32string Utf8ToUnicode(const std::string& text);
std::string UnicodeToUtf8(const std::u32string& text);

void LoadResourceFile();
std::vector<BYTE> ReadHostFile(const std::string& path, bool* ok);

} // namespace winsim
