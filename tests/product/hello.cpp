// A program built the ordinary way, with the C runtime: the file check must refuse it.
#include <cstdio>

int main()
{
    std::puts("hello");
    return 0;
}
