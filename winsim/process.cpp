// Process start: WinExec records each command line and finds the program as Windows would.
#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "winsim/machine.h"

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
    while (dirent* entry = readdir(dir)) {
        if (winsim::Lower(entry->d_name) == winsim::Lower(name)) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

// The host file a Windows path names, "" when there is none.
std::string HostFile(const std::string& path)
{
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') {
        return "";
    }
    auto drive = M().drives.find(winsim::Upper(path.substr(0, 1))[0]);
    if (drive == M().drives.end() || drive->second.second.empty()) {
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
    struct stat info;
    return stat(host.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? host : "";
}

std::string WithExtension(const std::string& program)
{
    size_t slash = program.rfind('\\');
    size_t dot = program.rfind('.');
    bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return hasExtension ? program : program + ".exe";
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

} // namespace

namespace winsim {

std::vector<Start>& Starts()
{
    return M().starts;
}

void ForceWinExecResults(std::vector<UINT> results)
{
    M().forcedResults.assign(results.begin(), results.end());
}

} // namespace winsim

extern "C" {

UINT WINAPI WinExec(LPCSTR commandLine, UINT show)
{
    winsim::Machine& m = M();
    winsim::Start start{commandLine, show, ""};
    UINT result;
    if (auto fault = winsim::Fault("WinExec")) {
        result = static_cast<UINT>(fault->result);
    } else if (!m.forcedResults.empty()) {
        result = m.forcedResults.front();
        m.forcedResults.pop_front();
    } else {
        start.program = FindProgram(commandLine);
        result = start.program.empty() ? kNotFound : kStarted;
    }
    m.starts.push_back(start);
    return result;
}
}
