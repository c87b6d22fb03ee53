// The text helpers: bounded copies and looks into paths, one character at a time.
#include "base/base.h"

namespace {

// Copies whole characters of text while they fit with the terminator; false when one did not.
template <typename Char> bool CopyWholeCharacters(Char* out, int size, const Char* text)
{
    if (size <= 0) {
        return false;
    }
    int length = 0;
    for (const Char* at = text; *at;) {
        const Char* next = NextChar(at);
        int width = static_cast<int>(next - at);
        if (length + width >= size) {
            out[length] = 0;
            return false;
        }
        for (; at != next; ++at) {
            out[length++] = *at;
        }
    }
    out[length] = 0;
    return true;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

bool CopyText(char* out, int size, const char* text)
{
    return CopyWholeCharacters(out, size, text);
}

bool CopyText(WCHAR* out, int size, const WCHAR* text)
{
    return CopyWholeCharacters(out, size, text);
}

bool CopyAscii(WCHAR* out, int size, const char* ascii)
{
    int length = TextLength(ascii);
    if (length >= size) {
        return false;
    }
    for (int i = 0; i <= length; ++i) {
        out[i] = static_cast<WCHAR>(static_cast<unsigned char>(ascii[i]));
    }
    return true;
}

void ZeroBytes(void* bytes, size_t size)
{
    auto* at = static_cast<unsigned char*>(bytes);
    while (size--) {
        *at++ = 0;
    }
}

bool SameText(const char* a, const char* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

bool TextHolds(const char* text, char c)
{
    for (const char* at = text; *at; at = NextChar(at)) {
        if (*at == c) {
            return true;
        }
    }
    return false;
}

bool EndsWithBackslash(const char* text)
{
    const char* end = text + TextLength(text);
    const char* last = PrevChar(text, end);
    return last != end && *last == '\\';
}

void TrimBlanks(char* text)
{
    char* start = text;
    while (IsBlank(*start)) {
        start = NextChar(start);
    }
    // The end of the last character that is not a blank.
    char* end = start;
    for (char* at = start; *at;) {
        char* next = NextChar(at);
        if (!IsBlank(*at)) {
            end = next;
        }
        at = next;
    }
    char* out = text;
    while (start != end) {
        *out++ = *start++;
    }
    *out = '\0';
}
