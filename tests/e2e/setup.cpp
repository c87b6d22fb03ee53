// The stand-in installer: writes down the program file and the command line it was started with,
// in UTF-8 whatever the code page, then ends.
#include <windows.h>

#include <cstdio>

namespace {

void WriteUtf8(FILE* out, const wchar_t* text)
{
    char bytes[4 * MAX_PATH * 4] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof(bytes), nullptr, nullptr);
    std::fputs(bytes, out);
}

} // namespace

int main()
{
    FILE* record = std::fopen("C:\\setup-record.txt", "a");
    if (!record) {
        return 1;
    }
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    WriteUtf8(record, path);
    std::fputs("|", record);
    WriteUtf8(record, GetCommandLineW());
    std::fputs("\n", record);
    std::fclose(record);
    return 0;
}
