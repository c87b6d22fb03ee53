// The ANSI code page (Windows-1252) between the A functions and text the system keeps in Unicode.
#include "winsim/machine.h"

namespace {

// 0x80 to 0x9F; the five bytes Windows-1252 leaves undefined stand for the control characters of
// the same number, as Windows' own table maps them, so every byte comes back as it went.
constexpr char32_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t FromAnsi(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

} // namespace

namespace winsim {

std::u32string AnsiToUnicode(const std::string& text)
{
    std::u32string out;
    for (char c : text) {
        out += FromAnsi(static_cast<unsigned char>(c));
    }
    return out;
}

std::string UnicodeToAnsi(const std::u32string& text)
{
    std::string out;
    for (char32_t c : text) {
        char byte = '?'; // what the platform gives for a character the code page lacks
        for (int b = 0; b < 256; ++b) {
            if (FromAnsi(static_cast<unsigned char>(b)) == c) {
                byte = static_cast<char>(b);
                break;
            }
        }
        out += byte;
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

} // namespace winsim
