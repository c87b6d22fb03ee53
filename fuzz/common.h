// What the fuzz targets share: one simulated machine per process, with a Windows folder.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "winsim/winsim.h"

// A fresh machine whose Windows folder lives for the whole process.
inline void FreshMachine()
{
    static std::string folder = [] {
        char pattern[] = "/tmp/corven-fuzz-XXXXXX";
        return std::string(mkdtemp(pattern));
    }();
    winsim::Reset();
    winsim::SetWindowsFolder(folder);
}

// A text as one profile value can hold it: no NUL and no line break.
inline std::string ProfileText(std::string text)
{
    std::string out;
    for (char c : text) {
        if (c != '\0' && c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

using winsim::Upper;

// The non-empty entries of a line: blank, tab and comma separate them, except inside a pair of
// double quotes, which keeps a path with blanks whole.
inline std::vector<std::string> Entries(const std::string& line)
{
    std::vector<std::string> entries;
    std::string entry;
    bool quoted = false;
    for (char c : line + " ") {
        if (!quoted && (c == ' ' || c == '\t' || c == ',')) {
            if (!entry.empty()) {
                entries.push_back(entry);
            }
            entry.clear();
        } else {
            entry += c;
            quoted = c == '"' ? !quoted : quoted;
        }
    }
    return entries;
}

// The machine must have seen no misuse and kept nothing live.
inline void CheckMachine()
{
    if (!winsim::Problems().empty() || winsim::LiveBlocks() != 0 || winsim::OpenKeys() != 0 ||
        winsim::LiveDCs() != 0) {
        for (const std::string& p : winsim::Problems()) {
            std::fprintf(stderr, "winsim: %s\n", p.c_str());
        }
        __builtin_trap();
    }
}
