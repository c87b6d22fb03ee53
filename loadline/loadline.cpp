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

// The line is read whole: the buffer grows from the first size until a read no longer fills it,
// up to the largest value one profile read can return.
constexpr DWORD kFirstLineSize = 256;
constexpr DWORD kMaxLineSize = 65535;

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

// The first place where entry stands on line as a whole entry: at the start or behind a blank,
// and at the end or before a blank. nullptr when there is none.
char* FindWholeEntry(char* line, const char* entry, int entryLength)
{
    for (char* at = line; *at; ++at) {
        bool startsEntry = at == line || at[-1] == ' ';
        if (startsEntry && TextStartsWith(at, entry)) {
            char after = at[entryLength];
            if (after == '\0' || after == ' ') {
                return at;
            }
        }
    }
    return nullptr;
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
        DWORD length = GetPrivateProfileStringA(kSection, kKey, nullptr, line->text, size, kProfile);
        // A read that fills the buffer may have been cut: only a shorter one is surely whole.
        if (length < size - 1) {
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

void WriteLoadLine(const char* text)
{
    WritePrivateProfileStringA(kSection, kKey, text, kProfile);
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
    char* match = FindWholeEntry(line, entry, entryLength);
    if (!match) {
        return 0;
    }
    // The blank behind an entry goes with it; an entry that ends the line keeps the one before it.
    const char* rest = match + entryLength;
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
            WriteLoadLine(line.text);
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
    } else if (!FindText(line.text, fileName)) {
        lstrcatA(line.text, " ");
        lstrcatA(line.text, path);
    }
    WriteLoadLine(line.text);
    ReleaseLoadLine(&line);
}
