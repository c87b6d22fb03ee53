// A program that imports the Open dialog at start-up, as Corven must not: the product check
// refuses it.
#include <windows.h>
// after windows.h, which it builds on
#include <commdlg.h>

int main()
{
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof(open);
    return GetOpenFileNameA(&open) ? 0 : 1;
}
