// The stand-in installer: writes down the command line it was started with, then ends.
#include <windows.h>

#include <cstdio>

int main()
{
    FILE* record = std::fopen("C:\\setup-record.txt", "a");
    if (!record) {
        return 1;
    }
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::fprintf(record, "%s|%s\n", path, GetCommandLineA());
    std::fclose(record);
    return 0;
}
