// Text functions: the lstr family and wsprintfA, with the platform's limits.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "winsim/machine.h"

// wsprintfA hands its own conversions on to snprintf.
#pragma GCC diagnostic ignored "-Wformat-nonliteral"

namespace {
// wsprintfA never writes more than this, terminator included.
constexpr size_t kFormatLimit = 1024;
} // namespace

extern "C" {

LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src)
{
    std::memmove(dst, src, std::strlen(src) + 1);
    return dst;
}

LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int max)
{
    if (max <= 0) {
        return dst;
    }
    int i = 0;
    for (; i < max - 1 && src[i]; ++i) {
        dst[i] = src[i];
    }
    dst[i] = '\0';
    return dst;
}

LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src)
{
    std::strcat(dst, src);
    return dst;
}

int WINAPI lstrlenA(LPCSTR s)
{
    return s ? static_cast<int>(std::strlen(s)) : 0;
}

int WINAPI lstrcmpA(LPCSTR a, LPCSTR b)
{
    winsim::Fault("lstrcmpA");
    int r = std::strcmp(a, b);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b)
{
    std::string x = winsim::Lower(a);
    std::string y = winsim::Lower(b);
    int r = x.compare(y);
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

// The conversions Corven's texts use: %s %c %d %i %u %x %X %%, with '-', '0', a width and 'l'.
int WINAPIV wsprintfA(LPSTR out, LPCSTR format, ...)
{
    winsim::Fault("wsprintfA");
    va_list args;
    va_start(args, format);
    std::string result;
    for (const char* f = format; *f; ++f) {
        if (*f != '%') {
            result += *f;
            continue;
        }
        ++f;
        std::string conversion = "%";
        while (*f == '-' || *f == '0') {
            conversion += *f++;
        }
        while (*f >= '0' && *f <= '9') {
            conversion += *f++;
        }
        if (*f == 'l') {
            ++f;
        }
        char piece[64];
        switch (*f) {
        case '%':
            result += '%';
            break;
        case 's': {
            const char* text = va_arg(args, const char*);
            std::string s = text ? text : "(null)";
            std::string padded(64 + s.size(), '\0');
            std::snprintf(&padded[0], padded.size(), (conversion + "s").c_str(), s.c_str());
            result += padded.c_str();
            break;
        }
        case 'c':
            result += static_cast<char>(va_arg(args, int));
            break;
        case 'd':
        case 'i':
            std::snprintf(piece, sizeof(piece), (conversion + "d").c_str(), va_arg(args, int));
            result += piece;
            break;
        case 'u':
        case 'x':
        case 'X':
            std::snprintf(piece, sizeof(piece), (conversion + *f).c_str(), va_arg(args, unsigned));
            result += piece;
            break;
        case '\0':
            --f;
            break;
        default:
            winsim::Problem(std::string("wsprintfA: conversion not simulated: %") + *f);
            break;
        }
    }
    va_end(args);
    if (result.size() > kFormatLimit - 1) {
        result.resize(kFormatLimit - 1);
    }
    std::memcpy(out, result.c_str(), result.size() + 1);
    return static_cast<int>(result.size());
}
}
