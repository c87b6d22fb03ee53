// The rules of the start-up line's entries, over a line of units, one a character (UTF-16 on NT;
// on Windows 95 a byte, or a double-byte character's two bytes in one unit). The editor applies
// them; the tests and the fuzzer call them directly. No platform call, no heap. Defined here, in
// the header, each a copy of the including file's own (internal, as the editor's own helpers), so
// that the compiler weighs them as it weighs those.
#pragma once

#include <windows.h>

#include "base/base.h"

using Unit = WCHAR;

// Blank, tab and comma each end one entry of the line and start the next.
[[maybe_unused]] static bool IsEntrySeparator(Unit c);

// The end of the entry that starts at `at`: the separator or the line's end that ends it. A
// separator between double quotes is part of the entry.
[[maybe_unused]] static Unit* EntryEnd(Unit* at);

// True when the entry from start to end is `entry`, bare or wrapped in a pair of double quotes,
// with A to Z matching either case and every other character only itself.
[[maybe_unused]] static bool IsWholeEntry(const Unit* start, const Unit* end, const Unit* entry);

// True when the entry from start to end names the program fileName (ASCII): what follows its last
// folder, drive or quote is fileName, A to Z matching either case, as Windows matches file names.
[[maybe_unused]] static bool NamesProgram(const Unit* start, const Unit* end, const char* fileName);

// True when an entry of the line names the program fileName.
[[maybe_unused]] static bool ListsProgram(Unit* line, const char* fileName);

// Cuts the first whole-entry occurrence of entry out of line, with the separator that follows it
// (an entry that ends the line keeps the one before). 1 when an entry was removed, 0 when not.
[[maybe_unused]] static int RemoveWholeEntry(Unit* line, const Unit* entry);

// True when the line can be written back to a win.ini file as it was read: double quotes pair up
// around whole entries.
[[maybe_unused]] static bool IsFaithfulLine(const Unit* line);

// True when a win.ini file, once it has trimmed the value, would strip its first and last
// character as a pair of quotes wrapping the whole value.
[[maybe_unused]] static bool WouldLoseOuterQuotes(const Unit* text, int length);

// ---- The rules ----

[[maybe_unused]] static bool IsEntrySeparator(Unit c)
{
    return c == ' ' || c == '\t' || c == ',';
}

namespace entry_detail {

[[maybe_unused]] static bool EndsEntry(Unit c)
{
    return c == 0 || IsEntrySeparator(c);
}

// The end of the text at `at` that matches entry, with A to Z folded and every other character
// matching only itself; nullptr when it does not match.
[[maybe_unused]] static const Unit* MatchFolded(const Unit* at, const Unit* entry)
{
    for (; *entry; ++at, ++entry) {
        if (FoldLetter(*at) != FoldLetter(*entry)) {
            return nullptr;
        }
    }
    return at;
}

} // namespace entry_detail

// The end of the entry that starts at `at`: the separator or the line's end that ends it. A
// separator between double quotes is part of the entry.
[[maybe_unused]] static Unit* EntryEnd(Unit* at)
{
    bool quoted = false;
    for (; *at; ++at) {
        if (*at == '"') {
            quoted = !quoted;
        } else if (!quoted && IsEntrySeparator(*at)) {
            break;
        }
    }
    return at;
}

// True when the entry from start to end is `entry`, bare or wrapped in a pair of double quotes.
[[maybe_unused]] static bool IsWholeEntry(const Unit* start, const Unit* end, const Unit* entry)
{
    if (entry_detail::MatchFolded(start, entry) == end) {
        return true;
    }
    const Unit* match = *start == '"' ? entry_detail::MatchFolded(start + 1, entry) : nullptr;
    return match && *match == '"' && match + 1 == end;
}

// True when the entry from start to end names the program fileName: what follows its last folder
// (its quotes aside) is fileName, with A to Z matching either case, as Windows matches file names.
[[maybe_unused]] static bool NamesProgram(const Unit* start, const Unit* end, const char* fileName)
{
    if (end > start && end[-1] == '"') {
        --end;
    }
    const Unit* name = start;
    for (const Unit* at = start; at < end; ++at) {
        if (*at == '\\' || *at == '/' || *at == ':' || *at == '"') {
            name = at + 1;
        }
    }
    for (; name < end && *fileName; ++name, ++fileName) {
        if (FoldLetter(*name) != FoldLetter(static_cast<Unit>(static_cast<unsigned char>(*fileName)))) {
            return false;
        }
    }
    return name == end && *fileName == '\0';
}

namespace entry_detail {

// The first entry of the line for which `test` holds, or nullptr; *end is set to its end.
template <typename Test> Unit* FindEntry(Unit* line, Unit** end, Test test)
{
    for (Unit* start = line;; start = *end + 1) {
        *end = EntryEnd(start);
        if (test(start, *end)) {
            return start;
        }
        if (**end == 0) {
            return nullptr;
        }
    }
}

} // namespace entry_detail

[[maybe_unused]] static bool ListsProgram(Unit* line, const char* fileName)
{
    Unit* end = nullptr;
    return entry_detail::FindEntry(
        line, &end, [fileName](const Unit* s, const Unit* e) { return NamesProgram(s, e, fileName); });
}

[[maybe_unused]] static int RemoveWholeEntry(Unit* line, const Unit* entry)
{
    Unit* end = nullptr;
    Unit* start =
        *entry ? entry_detail::FindEntry(
                     line, &end, [entry](const Unit* s, const Unit* e) { return IsWholeEntry(s, e, entry); })
               : nullptr;
    if (!start) {
        return 0;
    }
    // The separator behind an entry goes with it; an entry that ends the line keeps the one before.
    const Unit* rest = *end ? end + 1 : end;
    while ((*start++ = *rest++) != 0) {
    }
    return 1;
}

// True when the line can be written back as it was read: double quotes pair up around whole
// entries. Where they do not, a quote was lost on the way in (a win.ini file strips a pair that
// wraps the whole value), and the entries can no longer be told apart.
[[maybe_unused]] static bool IsFaithfulLine(const Unit* line)
{
    bool quoted = false;
    for (const Unit* at = line; *at; ++at) {
        if (*at != '"') {
            continue;
        }
        if (quoted ? !entry_detail::EndsEntry(at[1]) : (at != line && !IsEntrySeparator(at[-1]))) {
            return false;
        }
        quoted = !quoted;
    }
    return !quoted;
}

namespace entry_detail {

// What a win.ini file trims around a value it reads: blank, tab and the other control characters
// 0x09 to 0x0D, and ^Z.
[[maybe_unused]] static bool IsProfileSpace(Unit c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1a;
}

} // namespace entry_detail

// True when a win.ini file, once it has trimmed the value, would strip its first and last
// character as a pair of quotes wrapping the whole value, and so turn a quoted path into as many
// entries as it has words.
[[maybe_unused]] static bool WouldLoseOuterQuotes(const Unit* text, int length)
{
    int first = 0;
    while (first < length && entry_detail::IsProfileSpace(text[first])) {
        ++first;
    }
    while (length > first && entry_detail::IsProfileSpace(text[length - 1])) {
        --length;
    }
    return length - first >= 2 && (text[first] == '"' || text[first] == '\'') &&
           text[length - 1] == text[first];
}
