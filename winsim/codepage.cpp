// The ANSI code page between the A functions and text the system keeps in Unicode: Windows-1252 or
// one of the double-byte code pages of Japanese (932), Simplified Chinese (936), Korean (949) and
// Traditional Chinese (950) Windows, with their lead bytes, the character steppers and upper-casing.
//
// The double-byte tables are made at build time from Python's codecs (mkcodepages.py). What is
// left out, and where it differs from Windows: no best-fit mapping (a character the code page
// lacks becomes '?'), and a double-byte sequence the table lacks reads as '?' too.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "winsim/machine.h"

#ifndef WINSIM_CODEPAGE_DIR
#error "WINSIM_CODEPAGE_DIR names the folder of the generated code-page tables"
#endif

namespace {

using winsim::M;

// 0x80 to 0x9F; the five bytes Windows-1252 leaves undefined stand for the control characters of
// the same number, as Windows' own table maps them, so every byte comes back as it went.
constexpr char32_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
constexpr uint16_t kNone = 0xFFFF;

// The lead bytes of each code page, as the platform gives them (CPINFO's LeadByte ranges).
struct LeadRange {
    UINT codePage;
    unsigned char first, last;
};
constexpr LeadRange kLeadRanges[] = {
    {932, 0x81, 0x9F}, {932, 0xE0, 0xFC}, {936, 0x81, 0xFE}, {949, 0x81, 0xFE}, {950, 0x81, 0xFE},
};

bool IsLeadByteOf(UINT codePage, BYTE byte)
{
    for (const LeadRange& range : kLeadRanges) {
        if (range.codePage == codePage && byte >= range.first && byte <= range.last) {
            return true;
        }
    }
    return false;
}

struct Table {
    std::vector<uint16_t> toUnicode;       // by byte, or by lead * 256 + trail
    std::map<char32_t, std::string> bytes; // back again; the lowest code wins
};

const Table& DoubleByteTable(UINT codePage)
{
    static std::map<UINT, Table> tables;
    auto found = tables.find(codePage);
    if (found != tables.end()) {
        return found->second;
    }
    Table& table = tables[codePage];
    std::string path = std::string(WINSIM_CODEPAGE_DIR) + "/cp" + std::to_string(codePage) + ".bin";
    bool ok = false;
    std::vector<BYTE> raw = winsim::ReadHostFile(path, &ok);
    if (!ok || raw.size() != 2 * 65536) {
        winsim::Problem("cannot read the code-page table " + path);
        raw.assign(2 * 65536, 0xFF);
    }
    table.toUnicode.resize(65536);
    for (size_t i = 0; i < 65536; ++i) {
        table.toUnicode[i] = static_cast<uint16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
    }
    for (size_t code = 0; code < 65536; ++code) {
        uint16_t unicode = table.toUnicode[code];
        if (unicode == kNone || (code >= 256 && !IsLeadByteOf(codePage, static_cast<BYTE>(code >> 8)))) {
            continue;
        }
        std::string text = code < 256
                               ? std::string(1, static_cast<char>(code))
                               : std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        table.bytes.emplace(unicode, text);
    }
    return table;
}

char32_t FromSingleByte(unsigned char byte)
{
    UINT codePage = M().codePage;
    if (codePage == 1252) {
        return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
    }
    uint16_t unicode = DoubleByteTable(codePage).toUnicode[byte];
    return unicode == kNone ? U'?' : unicode;
}

// The bytes of one character in the code page; empty when the code page lacks it.
std::string ToBytes(char32_t c)
{
    UINT codePage = M().codePage;
    if (codePage == 1252) {
        for (int b = 0; b < 256; ++b) {
            if (FromSingleByte(static_cast<unsigned char>(b)) == c) {
                return std::string(1, static_cast<char>(b));
            }
        }
        return "";
    }
    const Table& table = DoubleByteTable(codePage);
    auto found = table.bytes.find(c);
    return found == table.bytes.end() ? "" : found->second;
}

// The simple upper case of the letters the tests meet: Latin (ASCII, Latin-1, Latin Extended-A),
// Greek, Cyrillic and the full-width Latin letters of the East Asian code pages.
char32_t UpperCase(char32_t c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F) ||
        (c >= 0xFF41 && c <= 0xFF5A)) {
        return c - 0x20;
    }
    if (c >= 0x450 && c <= 0x45F) {
        return c - 0x50;
    }
    if (c == 0xFF) {
        return 0x178;
    }
    bool oddIsLower = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    bool evenIsLower = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((oddIsLower && (c & 1)) || (evenIsLower && !(c & 1))) {
        return c - 1;
    }
    return c;
}

// The length in bytes of the character at text; 0 at its end.
size_t CharacterLength(const char* text)
{
    if (*text == '\0') {
        return 0;
    }
    return winsim::IsLeadByte(static_cast<BYTE>(*text)) && text[1] != '\0' ? 2 : 1;
}

// The length of the character at `at` of a text that may hold NULs (a NUL is one byte).
size_t CharacterLength(const std::string& text, size_t at)
{
    return text[at] == '\0' ? 1 : CharacterLength(text.c_str() + at);
}

} // namespace

namespace winsim {

void SetCodePage(UINT codePage)
{
    if (codePage != 1252 && codePage != 932 && codePage != 936 && codePage != 949 && codePage != 950) {
        Problem("code page " + std::to_string(codePage) + " is not simulated");
        return;
    }
    M().codePage = codePage;
}

UINT CodePage()
{
    return M().codePage;
}

std::string AnsiFromUtf8(const std::string& utf8)
{
    return UnicodeToAnsi(Utf8ToUnicode(utf8));
}

std::string Utf8FromAnsi(const std::string& ansi)
{
    return UnicodeToUtf8(AnsiToUnicode(ansi));
}

bool IsLeadByte(BYTE byte)
{
    return IsLeadByteOf(M().codePage, byte);
}

std::u32string AnsiToUnicode(const std::string& text)
{
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        size_t length = CharacterLength(text, i);
        if (length == 1 && IsLeadByte(static_cast<BYTE>(text[i]))) {
            out += U'?'; // a lead byte with nothing after it
        } else if (length == 1) {
            out += FromSingleByte(static_cast<unsigned char>(text[i]));
        } else {
            uint16_t unicode = DoubleByteTable(M().codePage)
                                   .toUnicode[static_cast<unsigned char>(text[i]) << 8 |
                                              static_cast<unsigned char>(text[i + 1])];
            out += unicode == kNone ? U'?' : static_cast<char32_t>(unicode);
        }
        i += length;
    }
    return out;
}

std::string UnicodeToAnsi(const std::u32string& text)
{
    std::string out;
    for (char32_t c : text) {
        std::string bytes = ToBytes(c);
        out += bytes.empty() ? "?" : bytes; // what the platform gives for a character the code page lacks
    }
    return out;
}

std::u16string ToUtf16(const std::u32string& text)
{
    std::u16string out;
    for (char32_t c : text) {
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::u32string FromUtf16(const std::u16string& text)
{
    std::u32string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        out += c;
    }
    return out;
}

std::u32string Utf8ToUnicode(const std::string& text)
{
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t c = more == 0 ? lead : lead & (0x3F >> more);
        for (int k = 1; k <= more && i + static_cast<size_t>(k) < text.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(text[i + static_cast<size_t>(k)]) & 0x3F);
        }
        out += c;
        i += static_cast<size_t>(more) + 1;
    }
    return out;
}

std::string UnicodeToUtf8(const std::u32string& text)
{
    std::string out;
    for (char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string UpperAnsi(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        size_t length = CharacterLength(text, i);
        std::string character = text.substr(i, length);
        std::u32string unicode = AnsiToUnicode(character);
        std::string upper = unicode.size() == 1 ? ToBytes(UpperCase(unicode[0])) : "";
        // A character whose upper case the code page lacks, or spells otherwise, stays as it is.
        out += upper.size() == length && unicode[0] != U'?' ? upper : character;
        i += length;
    }
    return out;
}

std::string Utf8FromWide(const WCHAR* text)
{
    std::u16string wide;
    for (; text && *text; ++text) {
        wide += *text;
    }
    return UnicodeToUtf8(FromUtf16(wide));
}

std::u16string WideFromUtf8(const std::string& utf8)
{
    return ToUtf16(Utf8ToUnicode(utf8));
}

std::string PathFromAnsi(const std::string& ansi)
{
    return UnicodeToUtf8(AnsiToUnicode(ansi));
}

std::string UpperUnicode(const std::string& utf8)
{
    std::u32string text = Utf8ToUnicode(utf8);
    for (char32_t& c : text) {
        c = UpperCase(c);
    }
    return UnicodeToUtf8(text);
}

} // namespace winsim

extern "C" {

UINT WINAPI GetACP(void)
{
    return M().codePage;
}

BOOL WINAPI IsDBCSLeadByte(BYTE byte)
{
    return winsim::IsLeadByte(byte) ? TRUE : FALSE;
}

LPSTR WINAPI CharNextA(LPCSTR at)
{
    winsim::Fault("CharNextA");
    return const_cast<LPSTR>(at + CharacterLength(at));
}

LPSTR WINAPI CharPrevA(LPCSTR start, LPCSTR at)
{
    winsim::Fault("CharPrevA");
    while (*start && start < at) {
        LPCSTR next = start + CharacterLength(start);
        if (next >= at) {
            break;
        }
        start = next;
    }
    return const_cast<LPSTR>(start);
}

LPSTR WINAPI CharUpperA(LPSTR text)
{
    if (IS_INTRESOURCE(text)) { // a single character in the low word
        std::string upper =
            winsim::UpperAnsi(std::string(1, static_cast<char>(reinterpret_cast<uintptr_t>(text))));
        return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(static_cast<unsigned char>(upper[0])));
    }
    std::string upper = winsim::UpperAnsi(text);
    std::memcpy(text, upper.c_str(), upper.size() + 1);
    return text;
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR in, int inLength, LPWSTR out, int outSize)
{
    if (codePage != CP_ACP) {
        winsim::Problem("MultiByteToWideChar: only CP_ACP is simulated");
        return 0;
    }
    std::string text =
        inLength < 0 ? std::string(in, std::strlen(in) + 1) : std::string(in, static_cast<size_t>(inLength));
    std::u16string wide = winsim::ToUtf16(winsim::AnsiToUnicode(text));
    if (outSize == 0) {
        return static_cast<int>(wide.size());
    }
    if (wide.size() > static_cast<size_t>(outSize)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(wide.begin(), wide.end(), out);
    return static_cast<int>(wide.size());
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR in, int inLength, LPSTR out, int outSize, LPCSTR,
                               LPBOOL)
{
    if (codePage != CP_ACP) {
        winsim::Problem("WideCharToMultiByte: only CP_ACP is simulated");
        return 0;
    }
    size_t length = 0;
    if (inLength < 0) {
        while (in[length]) {
            ++length;
        }
        ++length;
    } else {
        length = static_cast<size_t>(inLength);
    }
    std::string text = winsim::UnicodeToAnsi(winsim::FromUtf16(std::u16string(in, length)));
    if (outSize == 0) {
        return static_cast<int>(text.size());
    }
    if (text.size() > static_cast<size_t>(outSize)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(out, text.data(), text.size());
    return static_cast<int>(text.size());
}
}
