// The two memory routines the compiler calls for struct copies and zero-filled locals.
#include <stddef.h>

extern "C" {

void* memset(void* destination, int value, size_t count)
{
    auto* bytes = static_cast<unsigned char*>(destination);
    while (count--) {
        *bytes++ = static_cast<unsigned char>(value);
    }
    return destination;
}

void* memcpy(void* destination, const void* source, size_t count)
{
    auto* to = static_cast<unsigned char*>(destination);
    const auto* from = static_cast<const unsigned char*>(source);
    while (count--) {
        *to++ = *from++;
    }
    return destination;
}
}
