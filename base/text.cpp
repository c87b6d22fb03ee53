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

bool IsBlank(WCHAR c)
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

bool TextHolds(const WCHAR* text, WCHAR c)
{
    for (; *text; ++text) {
        if (*text == c) {
            return true;
        }
    }
    return false;
}

bool EndsWithBackslash(const WCHAR* text)
{
    int length = TextLength(text);
    return length > 0 && text[length - 1] == '\\';
}

void TrimBlanks(WCHAR* text)
{
    int end = TextLength(text);
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    text[end] = 0;
    int start = 0;
    while (IsBlank(text[start])) {
        ++start;
    }
    for (int i = 0; (text[i] = text[i + start]) != 0; ++i) {
    }
}

bool SameAscii(const WCHAR* text, const char* ascii)
{
    while (*ascii && *text == static_cast<unsigned char>(*ascii)) {
        ++text;
        ++ascii;
    }
    return *text == static_cast<unsigned char>(*ascii);
}

// ---- The text the platform keeps ----

bool HasUnicodeFunctions()
{
    // Windows 95, 98 and Me report themselves with the high bit set.
    return (GetVersion() & 0x80000000u) == 0;
}

int PackBytes(const char* bytes, WCHAR* out)
{
    int count = 0;
    for (const char* at = bytes; *at;) {
        const char* next = NextChar(at);
        WCHAR first = static_cast<unsigned char>(at[0]);
        out[count++] =
            next - at == 2 ? static_cast<WCHAR>(first << 8 | static_cast<unsigned char>(at[1])) : first;
        at = next;
    }
    out[count] = 0;
    return count;
}

void UnpackBytes(const WCHAR* units, char* out)
{
    for (WCHAR unit; (unit = *units) != 0; ++units) {
        if (unit >= kDoubleByteFloor) {
            *out++ = static_cast<char>(unit >> 8);
        }
        *out++ = static_cast<char>(unit & 0xFF);
    }
    *out = '\0';
}

const void* PlatformText(const WCHAR* units, char* bytes)
{
    if (HasUnicodeFunctions()) {
        return units;
    }
    UnpackBytes(units, bytes);
    return bytes;
}

void TakePlatformText(const char* bytes, WCHAR* units)
{
    if (!HasUnicodeFunctions()) {
        PackBytes(bytes, units);
    }
}

LRESULT SendRunsMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    using SendProc = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
    auto send = InRunsText<SendProc>(SendMessageA, "user32.dll", "SendMessageW");
    return send ? send(window, message, wParam, lParam) : 0;
}

LRESULT SendPath(HWND window, UINT message, WPARAM wParam, const WCHAR* path)
{
    char bytes[kPlatformPathBytes];
    return SendRunsMessage(window, message, wParam, reinterpret_cast<LPARAM>(PlatformText(path, bytes)));
}

// Kept out of line: the file is smaller so.
[[gnu::noinline]] LRESULT ReceivePath(HWND window, UINT message, WPARAM wParam, WCHAR* path)
{
    char bytes[kPlatformPathBytes];
    bytes[0] = '\0';
    void* out = HasUnicodeFunctions() ? static_cast<void*>(path) : bytes;
    LRESULT result = SendRunsMessage(window, message, wParam, reinterpret_cast<LPARAM>(out));
    TakePlatformText(bytes, path);
    return result;
}
