// Process start: WinExec records each command line and finds the program as Windows would.
#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "winsim/machine.h"

#include <shellapi.h>

namespace {

using winsim::M;

constexpr UINT kStarted = 33;
constexpr UINT kNotFound = 2;

// The host entry in folder whose name matches name without regard to case, or "".
std::string MatchEntry(const std::string& folder, const std::string& name)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        return "";
    }
    std::string found;
    // Windows matches file names without regard to case, in every script.
    while (dirent* entry = readdir(dir)) {
        if (winsim::UpperUnicode(entry->d_name) == winsim::UpperUnicode(name)) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

// A network path (\\server\share\...) as the same path on the drive mapped to its share.
std::string MappedPath(const std::string& path)
{
    for (const auto& [letter, share] : M().networkNames) {
        if (winsim::Lower(path.substr(0, share.size())) == winsim::Lower(share) &&
            (path.size() == share.size() || path[share.size()] == '\\')) {
            return std::string(1, letter) + ":" + path.substr(share.size());
        }
    }
    return path;
}

// The host entry a Windows path names, "" when there is none.
std::string HostEntry(const std::string& networkOrLocalPath)
{
    std::string path = MappedPath(networkOrLocalPath);
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') {
        return "";
    }
    auto drive = M().drives.find(winsim::Upper(path.substr(0, 1))[0]);
    if (drive == M().drives.end() || drive->second.second.empty()) {
        return "";
    }
    // No medium in the drive: the system says so in a box of its own, unless told not to.
    if (M().emptyDrives.count(drive->first)) {
        if (!(M().errorMode & SEM_FAILCRITICALERRORS)) {
            ++M().criticalErrorBoxes;
        }
        SetLastError(ERROR_NOT_READY);
        return "";
    }
    std::string host = drive->second.second;
    size_t at = 3;
    while (at <= path.size()) {
        size_t end = path.find('\\', at);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string part = path.substr(at, end - at);
        at = end + 1;
        if (part.empty() || part == ".") {
            continue;
        }
        std::string match = MatchEntry(host, part);
        if (match.empty()) {
            return "";
        }
        host += "/" + match;
    }
    return host;
}

std::string HostFolder(const std::string& path)
{
    std::string host = HostEntry(path);
    struct stat info;
    return !host.empty() && stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? host : "";
}

std::string WithExtension(const std::string& program)
{
    size_t slash = program.rfind('\\');
    size_t dot = program.rfind('.');
    bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return hasExtension ? program : program + ".exe";
}

} // namespace

namespace winsim {

// The host file a Windows path (UTF-8) names; "" when there is none.
std::string HostFile(const std::string& path)
{
    std::string host = HostEntry(path);
    struct stat info;
    return !host.empty() && stat(host.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? host : "";
}

// True when installer detection takes the program for an installer by its name, which it is here
// when its file name is setup.exe, and so will not start it without elevation.
bool NeedsElevation(const std::string& hostProgram)
{
    std::string name = hostProgram.substr(hostProgram.rfind('/') + 1);
    return winsim::RunsWithoutRights() && M().installerDetection && winsim::Lower(name) == "setup.exe";
}

// A quoted program is taken whole; an unquoted one is tried at each blank, first word first.
std::string FindProgram(const std::string& commandLine)
{
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        std::string program =
            commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        return HostFile(WithExtension(program));
    }
    size_t at = 0;
    for (;;) {
        size_t blank = commandLine.find(' ', at);
        std::string program = commandLine.substr(0, blank);
        std::string host = HostFile(WithExtension(program));
        if (!host.empty() || blank == std::string::npos) {
            return host;
        }
        at = blank + 1;
    }
}

std::vector<Start>& Starts()
{
    return M().starts;
}

void ForceWinExecResults(std::vector<UINT> results)
{
    M().forcedResults.assign(results.begin(), results.end());
}

void SetVistaTo11(Token token, bool installerDetection)
{
    M().vistaTo11 = true;
    M().token = token;
    M().installerDetection = installerDetection;
}

void AnswerConsents(std::vector<bool> answers)
{
    M().consents.assign(answers.begin(), answers.end());
}

std::vector<ConsentPrompt>& ConsentPrompts()
{
    return M().consentPrompts;
}

void TakeOutMedium(char letter)
{
    M().emptyDrives.insert(Upper(std::string(1, letter))[0]);
}

std::vector<std::string>& FileLooks()
{
    return M().fileLooks;
}

int CriticalErrorBoxes()
{
    return M().criticalErrorBoxes;
}

UINT ErrorMode()
{
    return M().errorMode;
}

} // namespace winsim

namespace {

// One start of a command line, as CreateProcess makes it for WinExec and CreateProcessW: what the
// start found and the answer, recorded; `line` is what the program gave, `utf8` the same as the
// file system names it. The answer is a WinExec result: above 31 started.
UINT StartCommandLine(const char* function, const std::string& line, const std::string& utf8, UINT show)
{
    winsim::Machine& m = M();
    winsim::Start start{line, show, ""};
    UINT result;
    if (auto fault = winsim::Fault(function)) {
        result = static_cast<UINT>(fault->result);
        SetLastError(fault->lastError);
    } else if (!m.forcedResults.empty()) {
        result = m.forcedResults.front();
        m.forcedResults.pop_front();
    } else {
        start.program = winsim::FindProgram(utf8);
        result = start.program.empty() ? kNotFound : kStarted;
        SetLastError(ERROR_FILE_NOT_FOUND);
        if (!start.program.empty() && winsim::NeedsElevation(start.program)) {
            // CreateProcess refuses it; WinExec maps the error it does not name to 0.
            start.program.clear();
            result = 0;
            SetLastError(ERROR_ELEVATION_REQUIRED);
        }
    }
    start.errorMode = m.errorMode;
    start.limited = !start.program.empty() && winsim::RunsWithoutRights();
    m.starts.push_back(start);
    return result;
}

DWORD FileAttributes(const char* function, const std::string& given, const std::string& utf8)
{
    M().fileLooks.push_back(given);
    if (auto fault = winsim::Fault(function)) {
        return static_cast<DWORD>(fault->result);
    }
    // While the starts' answers are forced, the test does not model the files: every one is there.
    if (!M().forcedResults.empty()) {
        return FILE_ATTRIBUTE_ARCHIVE;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return winsim::HostFile(utf8).empty() ? INVALID_FILE_ATTRIBUTES : FILE_ATTRIBUTE_ARCHIVE;
}

} // namespace

namespace winsim {

// The shell's start: the program found as a quoted path, the consent prompt where the verb or
// installer detection calls for elevation, and the start itself; with SEE_MASK_FLAG_NO_UI the
// shell shows no box of its own when it fails. Without SEE_MASK_NOASYNC the start may still be
// under way when the call returns, and lost when Corven ends right after it. Texts in UTF-8.
BOOL ShellStart(const std::string& verbGiven, const std::string& file, const std::string& parameters,
                HWND owner, int show, DWORD mask, const char* name)
{
    winsim::Machine& m = M();
    const std::string function = name;
    if (!(mask & SEE_MASK_FLAG_NO_UI)) {
        winsim::Problem(function + " may show a box of the shell's own: SEE_MASK_FLAG_NO_UI is missing");
    }
    if (!(mask & SEE_MASK_NOASYNC)) {
        winsim::Problem(function + " may return before its start is made: SEE_MASK_NOASYNC is missing");
    }
    std::string verb = winsim::Lower(verbGiven);
    if (!verb.empty() && verb != "runas" && verb != "open") {
        winsim::Problem(function + " with a verb not simulated: " + verb);
    }
    if (owner && !winsim::FromHandle(owner)) {
        winsim::Problem(function + " owned by a window that is not there");
    }
    if (m.comApartments == 0 && !m.comFailed) {
        winsim::Problem(function + " without COM initialised");
    }
    if (auto fault = winsim::Fault(name)) {
        return static_cast<BOOL>(fault->result);
    }
    std::string commandLine = "\"" + file + "\"";
    if (!parameters.empty()) {
        commandLine += " " + parameters;
    }
    winsim::Start start{commandLine, static_cast<UINT>(show), "", m.errorMode, true};
    std::string program = HostFile(WithExtension(file));
    if (program.empty()) {
        // Not there: its folder is, or is missing too (the drive's root always is).
        size_t slash = file.rfind('\\');
        bool folderThere =
            slash != std::string::npos && (slash == 2 || !HostFolder(file.substr(0, slash)).empty());
        m.starts.push_back(start);
        SetLastError(folderThere ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    bool elevates = verb == "runas" || NeedsElevation(program);
    bool asks = elevates && winsim::RunsWithoutRights();
    if (asks && m.denyElevation) {
        m.starts.push_back(start);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (asks) {
        // In front only over the active window, and only where that is the prompt's owner.
        bool inFront = owner && m.active == winsim::FromHandle(owner);
        m.consentPrompts.push_back(
            winsim::ConsentPrompt{file, owner, !inFront, m.token == winsim::Token::Standard});
    }
    if (!m.duringShellStarts.empty()) {
        auto action = std::move(m.duringShellStarts.front());
        m.duringShellStarts.pop_front();
        action();
    }
    if (asks) {
        bool given = m.consents.empty() || m.consents.front();
        if (!m.consents.empty()) {
            m.consents.pop_front();
        }
        if (!given) {
            m.starts.push_back(start);
            SetLastError(ERROR_CANCELLED);
            return FALSE;
        }
        start.errorMode = 0; // started by the elevation service, not by Corven: nothing inherited
        // The elevated program runs in another logon session, without the user's mapped letters.
        auto drive = file.size() > 1 && file[1] == ':' ? m.drives.find(winsim::Upper(file.substr(0, 1))[0])
                                                       : m.drives.end();
        if (drive != m.drives.end() && drive->second.first == DRIVE_REMOTE) {
            m.starts.push_back(start);
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
    }
    start.program = program;
    start.limited = winsim::RunsWithoutRights() && !elevates;
    m.starts.push_back(start);
    return TRUE;
}

} // namespace winsim

extern "C" {

UINT WINAPI WinExec(LPCSTR commandLine, UINT show)
{
    return StartCommandLine("WinExec", commandLine, winsim::PathFromAnsi(commandLine), show);
}

// As WinExec starts a program, but for its answer: TRUE, with the process and thread handles for
// the caller to close. Windows 95's is a stub.
BOOL WINAPI CreateProcessW(LPCWSTR application, LPWSTR commandLine, void* processAttributes,
                           void* threadAttributes, BOOL inheritHandles, DWORD flags, void* environment,
                           LPCWSTR directory, STARTUPINFOA* startup, PROCESS_INFORMATION* process)
{
    if (winsim::FailsAsWindows95()) {
        return FALSE;
    }
    if (application || !commandLine || processAttributes || threadAttributes || inheritHandles || flags ||
        environment || directory || !startup || startup->cb != sizeof(*startup) || !process) {
        winsim::Problem("CreateProcessW with more than a command line, handles inherited, or no record");
        return FALSE;
    }
    UINT show = (startup->dwFlags & STARTF_USESHOWWINDOW) ? startup->wShowWindow : SW_SHOWDEFAULT;
    std::string utf8 = winsim::Utf8FromWide(commandLine);
    if (StartCommandLine("CreateProcessW", utf8, utf8, show) <= 31) {
        return FALSE;
    }
    winsim::Machine& m = M();
    m.openTokens.insert(m.nextToken);
    process->hProcess = reinterpret_cast<HANDLE>(m.nextToken++);
    m.openTokens.insert(m.nextToken);
    process->hThread = reinterpret_cast<HANDLE>(m.nextToken++);
    process->dwProcessId = 0x1000;
    process->dwThreadId = 0x1004;
    return TRUE;
}

UINT WINAPI SetErrorMode(UINT mode)
{
    winsim::Fault("SetErrorMode");
    UINT was = M().errorMode;
    M().errorMode = mode;
    return was;
}

DWORD WINAPI GetFileAttributesA(LPCSTR path)
{
    std::string given = path ? path : "";
    return FileAttributes("GetFileAttributesA", given, winsim::PathFromAnsi(given));
}

// Windows 95's is a stub.
DWORD WINAPI GetFileAttributesW(LPCWSTR path)
{
    if (winsim::FailsAsWindows95()) {
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string utf8 = winsim::Utf8FromWide(path);
    return FileAttributes("GetFileAttributesW", utf8, utf8);
}

BOOL WINAPI ShellExecuteExA(LPSHELLEXECUTEINFOA info)
{
    if (!info || info->cbSize != sizeof(*info) || !info->lpFile) {
        winsim::Problem("ShellExecuteExA without a whole record or a file");
        return FALSE;
    }
    auto text = [](LPCSTR ansi) { return ansi ? winsim::PathFromAnsi(ansi) : std::string(); };
    return winsim::ShellStart(text(info->lpVerb), text(info->lpFile), text(info->lpParameters), info->hwnd,
                              info->nShow, info->fMask, "ShellExecuteExA");
}

// The same record with Unicode texts. Windows 95 has no SHELL32 export of it.
BOOL WINAPI ShellExecuteExW(LPSHELLEXECUTEINFOW info)
{
    if (!info || info->cbSize != sizeof(*info) || !info->lpFile) {
        winsim::Problem("ShellExecuteExW without a whole record or a file");
        return FALSE;
    }
    return winsim::ShellStart(winsim::Utf8FromWide(info->lpVerb), winsim::Utf8FromWide(info->lpFile),
                              winsim::Utf8FromWide(info->lpParameters), info->hwnd, info->nShow, info->fMask,
                              "ShellExecuteExW");
}
}
