// The load-line editor: finds Corven's entry on the start-up line, cuts it out, adds the companion.
#include "loadline/loadline.h"

#include <windows.h>

namespace {

constexpr char kSection[] = "windows";
constexpr char kKey[] = "load";
constexpr char kProfile[] = "win.ini";
constexpr char kFolder[] = "TELVANOR.101";
constexpr char kSelf[] = "CORVEN.EXE";
constexpr char kFullCandidate[] = "%s\\%s\\%s";
constexpr char kRelativeCandidate[] = "system\\%s\\%s";
constexpr char kFolderInfix[] = "\\TELVANOR.101\\";

// A candidate holds the system directory, the folder and the file name.
constexpr int kCandidateSize = 256;
constexpr int kSystemDirSize = 255;
constexpr int kAddPathSize = 260;
static_assert(sizeof(kRelativeCandidate) + sizeof(kFolder) + sizeof(kSelf) < kCandidateSize,
              "the relative candidate always fits");

// The line is read whole: the buffer grows from the first size until a read surely holds all of
// it, up to the largest value one profile read can return.
constexpr DWORD kFirstLineSize = 256;
constexpr DWORD kMaxLineSize = 65535;
// NT and Wine pass a written value through a Unicode string of at most 32,766 characters; a longer
// one fails that conversion and Wine then deletes the whole value. Nothing longer is ever written.
constexpr int kMaxWrittenLength = 32766;

struct LoadLine {
    char* text;
    DWORD size;
};

char UpperCaseLetter(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

void UpperCaseText(char* text)
{
    for (; *text; ++text) {
        *text = UpperCaseLetter(*text);
    }
}

bool TextStartsWith(const char* text, const char* head)
{
    for (; *head; ++text, ++head) {
        if (*text != *head) {
            return false;
        }
    }
    return true;
}

// Blank, tab and comma each end one entry of the line and start the next.
bool IsEntrySeparator(char c)
{
    return c == ' ' || c == '\t' || c == ',';
}

bool EndsEntry(char c)
{
    return c == '\0' || IsEntrySeparator(c);
}

bool StartsEntry(const char* line, const char* at)
{
    return at == line || IsEntrySeparator(at[-1]);
}

// How many characters entry takes at `at` when it stands there whole, bare or wrapped in a pair of
// double quotes; 0 when it does not stand there.
int WholeEntryLength(const char* at, const char* entry, int entryLength)
{
    if (TextStartsWith(at, entry) && EndsEntry(at[entryLength])) {
        return entryLength;
    }
    if (at[0] == '"' && TextStartsWith(at + 1, entry) && at[entryLength + 1] == '"' &&
        EndsEntry(at[entryLength + 2])) {
        return entryLength + 2;
    }
    return 0;
}

// The first place where entry stands on line as a whole entry, and its length there.
// nullptr when there is none: a match inside a longer path, quoted paths with blanks included,
// does not count.
char* FindWholeEntry(char* line, const char* entry, int entryLength, int* matchLength)
{
    bool quoted = false;
    for (char* at = line; *at; ++at) {
        if (!quoted && StartsEntry(line, at)) {
            *matchLength = WholeEntryLength(at, entry, entryLength);
            if (*matchLength > 0) {
                return at;
            }
        }
        if (*at == '"') {
            quoted = !quoted;
        }
    }
    return nullptr;
}

// True when the line can be written back as it was read. A '?' is what the platform reads in
// place of a character the ANSI code page lacks: no path holds one, so writing it would corrupt
// that path. Double quotes must pair up around whole entries; where they do not, a quote was lost
// on the way in (win.ini strips a pair that wraps the whole value).
bool IsFaithfulLine(const char* line)
{
    bool quoted = false;
    for (const char* at = line; *at; ++at) {
        if (*at == '?') {
            return false;
        }
        if (*at == '"') {
            if (quoted ? !EndsEntry(at[1]) : !StartsEntry(line, at)) {
                return false;
            }
            quoted = !quoted;
        }
    }
    return !quoted;
}

// Plain, case-sensitive substring test.
bool FindText(const char* text, const char* part)
{
    for (; *text; ++text) {
        if (TextStartsWith(text, part)) {
            return true;
        }
    }
    return false;
}

// Grows the line's buffer to `size` bytes, zero-filled, keeping what it holds.
[[nodiscard]] bool GrowLoadLine(LoadLine* line, DWORD size)
{
    HANDLE heap = GetProcessHeap();
    void* grown = line->text ? HeapReAlloc(heap, HEAP_ZERO_MEMORY, line->text, size)
                             : HeapAlloc(heap, HEAP_ZERO_MEMORY, size);
    if (!grown) {
        return false;
    }
    line->text = static_cast<char*>(grown);
    line->size = size;
    return true;
}

void ReleaseLoadLine(LoadLine* line)
{
    if (line->text) {
        HeapFree(GetProcessHeap(), 0, line->text);
    }
    line->text = nullptr;
    line->size = 0;
}

// Reads the whole start-up line into a heap buffer with room for `reserve` more characters.
// Returns the line's length, or -1 (and no buffer) when the whole line cannot be had.
int ReadLoadLine(LoadLine* line, DWORD reserve)
{
    line->text = nullptr;
    line->size = 0;
    DWORD size = kFirstLineSize;
    for (;;) {
        if (!GrowLoadLine(line, size)) {
            break;
        }
        // Windows 95 writes into the default to trim it, so it must be writable, never NULL.
        char noDefault[1] = {'\0'};
        DWORD length = GetPrivateProfileStringA(kSection, kKey, noDefault, line->text, size, kProfile);
        // A read that fills the buffer was cut; one of nSize-2 characters may have been too: a file
        // value in quotes whose inside is one shorter than the buffer loses its last character.
        if (length + 2 < size) {
            DWORD needed = length + reserve + 1;
            if (needed <= size || (needed <= kMaxLineSize && GrowLoadLine(line, needed))) {
                return static_cast<int>(length);
            }
            break;
        }
        if (size == kMaxLineSize) {
            break;
        }
        size = size > kMaxLineSize / 2 ? kMaxLineSize : size * 2;
    }
    ReleaseLoadLine(line);
    return -1;
}

// What a win.ini file trims around a value it reads: blank, tab and the other control characters
// 0x09 to 0x0D, and ^Z.
bool IsProfileSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

// True when a win.ini file, once it has trimmed the value, would strip its first and last
// character as a pair of quotes wrapping the whole value, and so turn a quoted path into as many
// entries as it has words.
bool WouldLoseOuterQuotes(const char* text, int length)
{
    int first = 0;
    while (first < length && IsProfileSpace(text[first])) {
        ++first;
    }
    while (length > first && IsProfileSpace(text[length - 1])) {
        --length;
    }
    return length - first >= 2 && (text[first] == '"' || text[first] == '\'') &&
           text[length - 1] == text[first];
}

// Writes the line back; false when it was not written.
[[nodiscard]] bool WriteLoadLine(const char* text)
{
    int length = lstrlenA(text);
    if (length > kMaxWrittenLength || WouldLoseOuterQuotes(text, length)) {
        return false;
    }
    return WritePrivateProfileStringA(kSection, kKey, text, kProfile) != FALSE;
}

// Gets the system directory into buffer (capacity bytes); false when it does not fit there, or
// when `tail` more characters would not fit a text of `limit` bytes.
[[nodiscard]] bool GetSystemDirectoryFitting(char* buffer, UINT capacity, int tail, int limit)
{
    UINT length = GetSystemDirectoryA(buffer, capacity);
    return length != 0 && length < capacity && static_cast<int>(length) + tail < limit;
}

} // namespace

int RemoveSubstring(char* line, char* entry)
{
    UpperCaseText(line);
    UpperCaseText(entry);
    int entryLength = lstrlenA(entry);
    if (entryLength == 0) {
        return 0;
    }
    int matchLength = 0;
    char* match = FindWholeEntry(line, entry, entryLength, &matchLength);
    if (!match) {
        return 0;
    }
    // The separator behind an entry goes with it; an entry that ends the line keeps the one before.
    const char* rest = match + matchLength;
    if (*rest != '\0') {
        ++rest;
    }
    char* out = match;
    while ((*out++ = *rest++) != '\0') {
    }
    return 1;
}

int RemoveSelfFromLoadLine()
{
    LoadLine line;
    int length = ReadLoadLine(&line, 0);
    if (length < 0) {
        return 0;
    }
    if (length == 0) {
        ReleaseLoadLine(&line);
        return 1;
    }
    if (!IsFaithfulLine(line.text)) {
        ReleaseLoadLine(&line);
        return 0;
    }

    int removed = 0;
    char systemDir[kSystemDirSize + 1];
    char candidate[kCandidateSize];
    constexpr int kTail = static_cast<int>(sizeof(kFolder) - 1 + sizeof(kSelf) - 1 + 2);
    if (GetSystemDirectoryFitting(systemDir, kSystemDirSize, kTail, kCandidateSize)) {
        wsprintfA(candidate, kFullCandidate, systemDir, kFolder, kSelf);
        removed = RemoveSubstring(line.text, candidate);
        if (!removed) {
            wsprintfA(candidate, kRelativeCandidate, kFolder, kSelf);
            removed = RemoveSubstring(line.text, candidate);
        }
        if (removed) {
            removed = WriteLoadLine(line.text) ? 1 : 0;
        }
    }
    ReleaseLoadLine(&line);
    return removed;
}

void AddToLoadLine(const char* fileName)
{
    char path[kAddPathSize];
    for (char& c : path) {
        c = '\0';
    }
    int tail = static_cast<int>(sizeof(kFolderInfix) - 1) + lstrlenA(fileName);
    if (!GetSystemDirectoryFitting(path, kAddPathSize, tail, kAddPathSize)) {
        return;
    }
    lstrcatA(path, kFolderInfix);
    lstrcatA(path, fileName);

    LoadLine line;
    int pathLength = lstrlenA(path);
    int length = ReadLoadLine(&line, static_cast<DWORD>(pathLength + 1));
    if (length < 0) {
        return;
    }
    if (length == 0) {
        lstrcpyA(line.text, path);
    } else if (!IsFaithfulLine(line.text)) {
        ReleaseLoadLine(&line);
        return;
    } else if (!FindText(line.text, fileName)) {
        lstrcatA(line.text, " ");
        lstrcatA(line.text, path);
    }
    // A line too long to write is left as it stands, as a failed write would leave it.
    static_cast<void>(WriteLoadLine(line.text));
    ReleaseLoadLine(&line);
}
