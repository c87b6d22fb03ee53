// What the fuzz targets share: one simulated machine per process, with a Windows folder.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/base.h"
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

// A Windows 95 path's bytes as Corven holds them, packed into units (base/'s PackBytes), and back.
inline std::u16string PackedPath(const std::string& bytes)
{
    std::u16string units(bytes.size() + 1, u'\0');
    units.resize(static_cast<size_t>(PackBytes(bytes.c_str(), units.data())));
    return units;
}
inline std::string UnpackedPath(const WCHAR* units)
{
    std::string bytes(2 * static_cast<size_t>(TextLength(units)) + 1, '\0');
    UnpackBytes(units, bytes.data());
    bytes.resize(bytes.find('\0'));
    return bytes;
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

// The length of the character at `at`: by the machine's code page (CharNextA) for the bytes of a
// Windows 95 win.ini, one byte for UTF-8, whose bytes above 127 are never a separator or a letter.
inline size_t CharacterAt(const std::string& text, size_t at, bool codePage)
{
    return codePage ? static_cast<size_t>(CharNextA(text.c_str() + at) - (text.c_str() + at)) : 1;
}

// The non-empty entries of a line: blank, tab and comma separate them, except inside a pair of
// double quotes, which keeps a path with blanks whole.
inline std::vector<std::string> Entries(const std::string& line, bool codePage)
{
    std::vector<std::string> entries;
    std::string entry;
    bool quoted = false;
    // No sentinel blank at the end: a line that ends in a lone lead byte would take it for that
    // byte's second half, and its last entry would never be counted.
    for (size_t at = 0; at < line.size();) {
        size_t length = CharacterAt(line, at, codePage);
        char c = line[at];
        if (length == 1 && !quoted && (c == ' ' || c == '\t' || c == ',')) {
            if (!entry.empty()) {
                entries.push_back(entry);
            }
            entry.clear();
        } else {
            entry += line.substr(at, length);
            quoted = length == 1 && c == '"' ? !quoted : quoted;
        }
        at += length;
    }
    if (!entry.empty()) {
        entries.push_back(entry);
    }
    return entries;
}

// The text with a to z as A to Z, a double-byte character's bytes left alone.
inline std::string Folded(const std::string& text, bool codePage)
{
    std::string out;
    for (size_t at = 0; at < text.size();) {
        size_t length = CharacterAt(text, at, codePage);
        out += length == 1 ? winsim::Upper(text.substr(at, 1)) : text.substr(at, length);
        at += length;
    }
    return out;
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
